#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "audio/wav.h"
#include "core/files.h"
#include "program/game_loop.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

class TempFolder : public testsupport::ScratchDir {
 public:
  TempFolder() : ScratchDir("tumbold_media") {}
};

void touch(const fs::path& p) { std::ofstream(p) << "x"; }

render::RgbaImage picture() {
  render::RgbaImage img;
  img.width = 4;
  img.height = 3;
  img.pixels.assign(12, 0xFF336699u);
  return img;
}

TEST(Screenshot, NamesCountUpWithinOneSecond) {
  TempFolder dir;
  const std::string stamp = "2026-03-04_17-05-09";
  auto first = game::freeScreenshotPath(dir.path(), stamp);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->filename(), "tumbold_2026-03-04_17-05-09.png");
  touch(*first);
  auto second = game::freeScreenshotPath(dir.path(), stamp);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->filename(), "tumbold_2026-03-04_17-05-09_1.png");
  touch(*second);
  EXPECT_EQ(game::freeScreenshotPath(dir.path(), stamp)->filename(), "tumbold_2026-03-04_17-05-09_2.png");
  // Another second starts again without a suffix.
  EXPECT_EQ(game::freeScreenshotPath(dir.path(), "2026-03-04_17-05-10")->filename(),
            "tumbold_2026-03-04_17-05-10.png");

  // With every one of the thousand names taken, this folder has no room left.
  for (int i = 2; i <= 999; ++i) touch(dir.path() / ("tumbold_" + stamp + "_" + std::to_string(i) + ".png"));
  EXPECT_FALSE(game::freeScreenshotPath(dir.path(), stamp));
}

TEST(Screenshot, StampIsLocalDateAndTime) {
  const char* oldTz = std::getenv("TZ");
  const std::string saved = oldTz ? oldTz : "";
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(game::screenshotStamp(1772643909), "2026-03-04_17-05-09");
  EXPECT_EQ(game::screenshotStamp(0), "1970-01-01_00-00-00");
  if (oldTz)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

TEST(Screenshot, FallsBackToTheNextFolderAndReportsInTheTitle) {
  TempFolder dir;
  // A file where the first folder should be: nothing can be written there.
  const fs::path blocked = dir.path() / "blocked";
  touch(blocked);
  const fs::path good = dir.path() / "good" / "screenshots";
  present::Presenter noWindow;
  int timer = 5;
  auto saved = game::saveScreenshot(picture(), {blocked / "screenshots", good}, noWindow, timer);
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->parent_path(), good);
  EXPECT_EQ(timer, game::kTitleMessageFrames);
  auto back = render::loadRgbaPng(*saved);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, 4);
  EXPECT_EQ(back->pixels, picture().pixels);

  // A second shot in the same second goes beside the first, with a suffix.
  auto again = game::saveScreenshot(picture(), {good}, noWindow, timer);
  ASSERT_TRUE(again);
  EXPECT_NE(*again, *saved);
  EXPECT_EQ(again->parent_path(), good);

  timer = 0;
  EXPECT_FALSE(game::saveScreenshot(picture(), {blocked / "a", blocked / "b"}, noWindow, timer));
  EXPECT_EQ(timer, game::kTitleMessageFrames);  // the failure is shown in the title too
}

TEST(Sounds, EffectsLoadUnderTheirBareNames) {
  EXPECT_EQ(game::energySoundName(1), "energy_01.wav");
  EXPECT_EQ(game::energySoundName(20), "energy_20.wav");

  TempFolder root;
  std::vector<std::int16_t> samples(480, 1000);
  const auto wav = audio::wavFile(samples, 48000);
  ASSERT_TRUE(core::writeFile(root.path() / "assets" / "audio" / "Tumbold_jump.wav", wav));
  ASSERT_TRUE(core::writeFile(root.path() / "assets" / "audio" / "energy" / "energy_03.wav", wav));
  const std::vector<std::uint8_t> junk = {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v'};
  ASSERT_TRUE(core::writeFile(root.path() / "assets" / "audio" / "energy" / "energy_04.wav", junk));

  present::Audio audio;  // no device: sounds are still decoded and kept
  game::loadSounds(audio, root.path());
  const auto* jump = audio.sound(game::kJumpSound);
  ASSERT_NE(jump, nullptr);
  EXPECT_EQ(jump->size(), 960u);  // mono 48 kHz becomes interleaved stereo
  EXPECT_NE(audio.sound("energy_03.wav"), nullptr);
  EXPECT_EQ(audio.sound("energy_04.wav"), nullptr);  // undecodable: skipped
  EXPECT_EQ(audio.sound("energy_01.wav"), nullptr);  // missing: skipped
}

TEST(Sounds, TheShippedDataHasAllTwentyOneEffects) {
  present::Audio audio;
  game::loadSounds(audio, fs::path(TUMBOLD_SOURCE_DIR));
  EXPECT_NE(audio.sound(game::kJumpSound), nullptr);
  for (unsigned n = 1; n <= 20; ++n) EXPECT_NE(audio.sound(game::energySoundName(n)), nullptr) << n;
}

}  // namespace
