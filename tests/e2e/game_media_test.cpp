#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "app/pause/pause_flow.h"
#include "audio/wav.h"
#include "core/files.h"
#include "data/shipped_data.h"
#include "program/game_loop.h"
#include "render/game_graphics.h"
#include "support/scratch_dir.h"
#include "ui/menu_art.h"

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

TEST(Settings, ChangedInTheMenuSurviveARestartAndApply) {
#if defined(__APPLE__)
  GTEST_SKIP() << "macOS's preferences folder follows no variable into a scratch folder: the test would change "
                  "the user's own settings";
#endif
  // SDL's preferences folder lands in the scratch folder.
  TempFolder home;
  const char* oldData = std::getenv("XDG_DATA_HOME");
  const std::string savedData = oldData ? oldData : "";
  setenv("XDG_DATA_HOME", home.path().c_str(), 1);
  const fs::path prefs = game::prefsFolder();
  EXPECT_EQ(prefs, home.path() / "Tumbold" / "Quillhaven" / "");

  ASSERT_TRUE(data_test::shipped().complete());
  const auto graphics = render::loadGameGraphics(data_test::kRoot);
  const auto art = ui::MenuArt::load(data_test::kRoot);
  ASSERT_TRUE(graphics && art);
  app::GameApp game(data_test::shipped().content, *data_test::shipped().program, *graphics, nullptr);
  game.startGame();
  for (int i = 0; i < 20; ++i) game.tick(0, false);
  {
    // Sound volume down to 5, music muted, CRT off, the PC speaker, jump on W.
    app::PauseFlow flow(game, *art, prefs);
    flow.command(input::Command::Pause, render::RgbaImage{});
    using input::Nav;
    for (Nav n : {Nav::Down, Nav::Down, Nav::Down, Nav::Ok, Nav::Down, Nav::Left, Nav::Left, Nav::Left, Nav::Left,
                  Nav::Left, Nav::Down})
      flow.nav(n);
    for (int i = 0; i < 12; ++i) flow.nav(Nav::Left);
    for (Nav n : {Nav::Down, Nav::Ok, Nav::Down, Nav::Ok, Nav::Down, Nav::Ok, Nav::Down, Nav::Down, Nav::Ok})
      flow.nav(n);
    flow.key(SDL_SCANCODE_W);
  }
  EXPECT_TRUE(fs::exists(prefs / "settings.json"));

  app::PauseFlow restarted(game, *art, game::prefsFolder());
  present::Presenter presenter;  // no window: the full-screen switch has nothing to act on
  present::Audio audio;
  audio::Music music(48000);
  input::Controls controls;
  game::applySettings(restarted.settings, presenter, audio, music, controls);
  EXPECT_FALSE(presenter.crt);
  EXPECT_EQ(audio.sfxVolume(), 0.5f);
  EXPECT_EQ(audio.musicVolume(), 0.0f);
  EXPECT_EQ(music.device(), audio::Music::Device::Speaker);
  EXPECT_EQ(controls.bindings.key(input::Action::Jump), SDL_SCANCODE_W);
  EXPECT_TRUE(controls.bindings == restarted.settings.bindings);

  // The defaults: full volumes, the AdLib, the CRT, the default keys.
  game::applySettings(app::Settings{}, presenter, audio, music, controls);
  EXPECT_TRUE(presenter.crt);
  EXPECT_EQ(audio.sfxVolume(), 1.0f);
  EXPECT_EQ(audio.musicVolume(), 1.0f);
  EXPECT_EQ(music.device(), audio::Music::Device::AdLib);
  EXPECT_TRUE(controls.bindings == input::Bindings::defaults());

  if (oldData)
    setenv("XDG_DATA_HOME", savedData.c_str(), 1);
  else
    unsetenv("XDG_DATA_HOME");
}

}  // namespace
