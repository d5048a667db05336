#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "audio/music.h"
#include "core/files.h"

// The game's own driver images, played through the drivers: which tunes sound, which
// end and which repeat, that every register write reaches a real OPL2 register, and
// that the rendered music neither clips nor falls silent.
namespace {

constexpr int kTicksPerSecond = 70;

std::vector<std::uint8_t> shipped(const std::string& name) {
  auto bytes = core::readFile(std::string(TUMBOLD_SOURCE_DIR) + "/assets/audio/" + name);
  return bytes ? *bytes : std::vector<std::uint8_t>{};
}

bool anyActive(const audio::AdlibDriver& driver) {
  return std::any_of(driver.channels.begin(), driver.channels.end(),
                     [](const auto& ch) { return ch.active != 0; });
}

// True for the registers of the nine OPL2 voices and their eighteen operators.
bool oplRegister(std::uint8_t reg) {
  const int group = reg & 0xE0;
  const int low = reg & 0x1F;
  if (group == 0x20 || group == 0x40 || group == 0x60 || group == 0x80 || group == 0xE0) {
    return low <= 0x15 && (low & 7) < 6;
  }
  return (reg >= 0xA0 && reg <= 0xA8) || (reg >= 0xB0 && reg <= 0xB8) ||
         (reg >= 0xC0 && reg <= 0xC8);
}

struct AdlibRun {
  int keyOns = 0;
  int lateKeyOns = 0;  // in the last ten seconds
  int strayWrites = 0;
  bool activeAtEnd = false;
};

AdlibRun runAdlib(int tune, int seconds) {
  audio::AdlibDriver driver;
  EXPECT_TRUE(driver.load(shipped("adlib.dat")));
  driver.setTimer(16976);
  AdlibRun run;
  int tick = 0;
  const int ticks = seconds * kTicksPerSecond;
  driver.output = [&](std::uint8_t reg, std::uint8_t value) {
    if (!oplRegister(reg)) ++run.strayWrites;
    if (reg >= 0xB0 && reg <= 0xB8 && (value & 0x20)) {
      ++run.keyOns;
      if (tick >= ticks - 10 * kTicksPerSecond) ++run.lateKeyOns;
    }
  };
  driver.startRequest = static_cast<std::uint8_t>(tune);
  for (; tick < ticks; ++tick) driver.tick();
  run.activeAtEnd = anyActive(driver);
  return run;
}

TEST(ShippedMusic, AdlibTunesSoundEndOrRepeatAsTheGameExpects) {
  // Tune 2 only prepares the title's voices for the one tick it is heard.
  const AdlibRun silent = runAdlib(2, 1);
  EXPECT_EQ(silent.keyOns, 0);
  EXPECT_FALSE(silent.activeAtEnd);
  EXPECT_EQ(silent.strayWrites, 0);

  // The teleport jingles and the game-over tune end quickly, the ending within a minute.
  for (const auto& [tune, seconds] : {std::pair{3, 6}, {4, 6}, {5, 6}, {8, 20}, {9, 60}}) {
    const AdlibRun run = runAdlib(tune, seconds);
    EXPECT_GT(run.keyOns, 5) << "tune " << tune;
    EXPECT_FALSE(run.activeAtEnd) << "tune " << tune << " has not ended";
    EXPECT_EQ(run.strayWrites, 0) << "tune " << tune;
  }
  // The title themes and the in-game theme still play after several minutes.
  for (const int tune : {1, 6, 7}) {
    const AdlibRun run = runAdlib(tune, 200);
    EXPECT_TRUE(run.activeAtEnd) << "tune " << tune;
    EXPECT_GT(run.lateKeyOns, 20) << "tune " << tune << " fell silent";
    EXPECT_EQ(run.strayWrites, 0) << "tune " << tune;
  }
}

TEST(ShippedMusic, SpeakerTunesEndOrRepeatLikeTheirPartners) {
  for (int speakerTune = 1; speakerTune <= 7; ++speakerTune) {
    audio::BeeperDriver driver;
    ASSERT_TRUE(driver.load(shipped("beeper.dat")));
    driver.init();
    driver.setTimer(16976);
    std::set<std::uint16_t> divisors;
    int gatedTicks = 0;
    driver.startRequest = static_cast<std::uint8_t>(speakerTune);
    const bool loops = speakerTune == 1 || speakerTune == 3;  // in-game and title themes
    const int seconds = loops ? 120 : 60;
    for (int tick = 0; tick < seconds * kTicksPerSecond; ++tick) {
      driver.tick();
      if ((driver.port61 & 3) == 3) {
        ++gatedTicks;
        divisors.insert(driver.pitCounter);
      }
    }
    EXPECT_GT(divisors.size(), 3u) << "speaker tune " << speakerTune;
    EXPECT_GT(gatedTicks, kTicksPerSecond) << "speaker tune " << speakerTune;
    if (!loops) {
      EXPECT_EQ(driver.currentTune, 0) << "speaker tune " << speakerTune << " has not ended";
      EXPECT_NE(driver.port61 & 3, 3) << "speaker tune " << speakerTune << " still sounds";
    } else {
      EXPECT_EQ(driver.currentTune, speakerTune) << "speaker tune " << speakerTune;
    }
  }
}

struct Level {
  int peak = 0;
  double rms = 0;
};

Level render(audio::Music::Device device, int gameTune, double seconds) {
  audio::Music music(48000);
  EXPECT_TRUE(music.load(shipped("adlib.dat"), shipped("beeper.dat")));
  music.setDevice(device);
  music.startTune(static_cast<std::uint8_t>(gameTune), false);
  std::vector<std::int16_t> samples(static_cast<std::size_t>(48000 * seconds), 0);
  music.render(samples.data(), static_cast<int>(samples.size()), 1.0f);
  Level level;
  double sum = 0;
  for (const std::int16_t s : samples) {
    level.peak = std::max(level.peak, std::abs(static_cast<int>(s)));
    sum += static_cast<double>(s) * s;
  }
  level.rms = std::sqrt(sum / static_cast<double>(samples.size()));
  return level;
}

TEST(ShippedMusic, RenderedTunesHaveHeadroomAndBody) {
  for (const int tune : {1, 3, 4, 5, 6, 7, 8, 9}) {
    const double seconds = (tune >= 3 && tune <= 5) ? 2.0 : 8.0;
    for (const auto device : {audio::Music::Device::AdLib, audio::Music::Device::Speaker}) {
      const Level level = render(device, tune, seconds);
      const char* name = device == audio::Music::Device::AdLib ? "AdLib" : "speaker";
      // Room is left for the sound effects that the game mixes on top.
      EXPECT_LT(level.peak, 24000) << name << " tune " << tune;
      EXPECT_GT(level.rms, 600) << name << " tune " << tune << " is nearly silent";
    }
  }
}

}  // namespace
