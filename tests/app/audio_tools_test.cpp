#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <tuple>

#include "app/audio_tools/opl_replay.h"
#include "app/audio_tools/tune_render.h"
#include "audio/driver_images.h"
#include "core/files.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using testimg::Bytes;

// A data root of its own with the two driver images the test builds.
class AudioTools : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root / "assets" / "audio");
    testimg::Instrument tone{};
    tone[9] = 20;
    // AdLib tune 1 plays one note then ends; the speaker's tune 1 likewise.
    const Bytes adlibCode = {0x00, 0x80, 0x00, 0x92, 0x00, 0x00, 0x30, 0x7F, 0x05, 0x91};
    const Bytes beeperCode = {0x00, 0x92, 0x00, 0x00, 0x45, 0x40, 0x05, 0x91};
    testimg::Instrument shortOrgan = testimg::organ();
    shortOrgan[2] = shortOrgan[3] = 0x2F;  // fastest release
    write("adlib.dat", testimg::adlibImage(
                           std::vector<testimg::Tune>(7, testimg::Tune{10, 100, {adlibCode}}),
                           {shortOrgan}));
    write("beeper.dat", testimg::beeperImage(
                            std::vector<testimg::Tune>(7, testimg::Tune{40, 100, {beeperCode}}),
                            {tone}));
  }
  void write(const char* name, const Bytes& bytes) {
    ASSERT_TRUE(core::writeFile(root / "assets" / "audio" / name, bytes));
  }
  std::string log(const std::string& text) {
    const fs::path p = root / "driver.log";
    std::ofstream(p) << text;
    return p.string();
  }
  std::vector<std::string> lines(const fs::path& p) {
    std::ifstream in(p);
    std::vector<std::string> out;
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
  }
  std::string out() const { return (root / "out.txt").string(); }

  testsupport::ScratchDir scratch{"tumbold_app"};
  const fs::path root = scratch.path();
};

TEST_F(AudioTools, ReplayStartAtTickZeroWritesOnTickOne) {
  ASSERT_EQ(app::replayOplLog(root, log("c 0 2 0 17897\nc 0 4 1 0\nx 3\n"), out(), false), 0);
  const auto l = lines(out());
  ASSERT_FALSE(l.empty());
  for (const std::string& line : l) EXPECT_EQ(line.rfind("w 1 ", 0), 0u) << line;
  EXPECT_NE(std::find(l.begin(), l.end(), "w 1 A0 59"), l.end());
  EXPECT_NE(std::find(l.begin(), l.end(), "w 1 B0 2D"), l.end());
}

TEST_F(AudioTools, ReplayRunsToTheLastTickOfAnyLine) {
  ASSERT_EQ(app::replayOplLog(root, log("c 0 2 0 17897\nc 0 4 1 0\n# 500\n"), out(), false), 0);
  const auto l = lines(out());
  // The note's key-off lands 5 ticks later; the channel then ends.
  ASSERT_FALSE(l.empty());
  EXPECT_EQ(l.back(), "w 6 B0 0D");

  ASSERT_EQ(app::replayOplLog(root, log("comment 500\n"), out(), false), 0);
  EXPECT_TRUE(lines(out()).empty());
  EXPECT_TRUE(fs::exists(out()));
}

TEST_F(AudioTools, ReplayTakesCommandsStrictlyInFileOrder) {
  // The start request at tick 1 after one at tick 5 is never applied, nor is the
  // stop after it; the ticks still run.
  ASSERT_EQ(app::replayOplLog(root, log("c 5 2 0 17897\nc 1 4 1 0\nc 9 7 0 0\nx 20\n"), out(),
                              false),
            0);
  EXPECT_TRUE(lines(out()).empty());
}

TEST_F(AudioTools, ReplayStopsAtUnknownCommands) {
  for (int cmd : {3, 5, 6, 99}) {
    std::ostringstream text;
    text << "c 0 2 0 17897\nc 0 4 1 0\nc 2 " << cmd << " 0 0\nx 10\n";
    EXPECT_EQ(app::replayOplLog(root, log(text.str()), out(), false), 1) << cmd;
    const auto l = lines(out());
    ASSERT_FALSE(l.empty()) << "the lines before the failure are kept";
    EXPECT_EQ(l.back().rfind("w 1 ", 0), 0u);
  }
}

TEST_F(AudioTools, ReplayBeeperPortsAndInit) {
  ASSERT_EQ(app::replayOplLog(root, log("c 0 2 0 17897\nc 0 4 1 0\nx 30\n"), out(), true), 0);
  auto l = lines(out());
  ASSERT_EQ(l.size(), 32u);
  EXPECT_EQ(l[0].rfind("w 1 42 ", 0), 0u);
  EXPECT_EQ(l[1].rfind("w 1 42 ", 0), 0u);
  EXPECT_EQ(l[2], "w 1 61 03");
  EXPECT_EQ(l[3], "w 2 61 03") << "the gate is written every tick";
  EXPECT_EQ(l.back(), "w 30 61 02") << "the note's 20 ticks are over";

  // Command 0 deactivates the speaker channels: nothing counts the note's length
  // down any more, so the tone is never switched off.
  ASSERT_EQ(app::replayOplLog(root, log("c 0 2 0 17897\nc 0 4 1 0\nc 1 0 0 0\nx 30\n"), out(),
                              true),
            0);
  l = lines(out());
  ASSERT_EQ(l.size(), 32u);
  EXPECT_EQ(l.back(), "w 30 61 03");
  // With the AdLib driver command 0 does nothing.
  EXPECT_EQ(app::replayOplLog(root, log("c 0 0 0 0\nc 0 1 0 0\n"), out(), false), 0);
}

TEST_F(AudioTools, ReplayFailures) {
  EXPECT_EQ(app::replayOplLog(root, (root / "none.log").string(), out(), false), 1);
  EXPECT_EQ(app::replayOplLog(root, root.string(), out(), false), 1)
      << "a folder opens but cannot be read: not an empty log";
  fs::remove(root / "assets" / "audio" / "beeper.dat");
  EXPECT_EQ(app::replayOplLog(root, log("c 0 4 1 0\n"), out(), true), 1);
  write("adlib.dat", Bytes(5000, 0));
  fs::remove(out());
  EXPECT_EQ(app::replayOplLog(root, log("c 0 4 1 0\n"), out(), false), 1);
  EXPECT_TRUE(fs::exists(out())) << "the output is created before the driver refuses";
  EXPECT_EQ(fs::file_size(out()), 0u);
}

// A log that would run for weeks is refused before anything runs, and an
// output that cannot be created or written is a failure with its own line.
TEST_F(AudioTools, ReplayRefusesEndlessLogsAndUnwritableOutputs) {
  std::ofstream(root / "file") << "x";
  fs::create_directories(root / "folder");
  const std::string good = "c 0 2 0 17897\nc 0 4 1 0\nx 30\n";
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"x 100000001\n", out(), "[error] " + log("") + ": tick 100000001 is beyond the last tick a replay runs to "
                                                      "(100000000)\n"},
      {"c 9223372036854775807 4 1 0\n", out(),
       "[error] " + log("") + ": tick 9223372036854775807 is beyond the last tick a replay runs to (100000000)\n"},
      {good, (root / "folder").string(), "[error] cannot write " + (root / "folder").string() + "\n"},
      {good, (root / "file" / "x").string(), "[error] cannot write " + (root / "file" / "x").string() + "\n"},
      {good, "/dev/full", "[error] cannot write /dev/full\n"},
  };
  for (const auto& [text, target, message] : cases) {
    if (target == "/dev/full" && !fs::is_character_file(target)) continue;  // no full device (macOS)
    SCOPED_TRACE(text + " -> " + target);
    fs::remove(out());
    const std::string logPath = log(text);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(app::replayOplLog(root, logPath, target, false), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), message);
    EXPECT_FALSE(fs::exists(out()));
  }
}

std::uint32_t u32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

TEST_F(AudioTools, RenderTuneHeaderAndLength) {
  const fs::path wav = root / "sub" / "tune.wav";
  ASSERT_EQ(app::renderTune(root, 1, 0.0, wav.string(), false), 0);
  auto bytes = core::readFile(wav);
  ASSERT_TRUE(bytes);
  ASSERT_EQ(bytes->size(), 44u);
  EXPECT_EQ(u32(*bytes, 4), 36u);
  EXPECT_EQ(u32(*bytes, 40), 0u);
  EXPECT_EQ(std::string(bytes->begin(), bytes->begin() + 4), "RIFF");
  EXPECT_EQ(std::string(bytes->begin() + 8, bytes->begin() + 16), "WAVEfmt ");
  EXPECT_EQ(u32(*bytes, 24), 48000u);
  EXPECT_EQ(u32(*bytes, 28), 96000u);

  ASSERT_EQ(app::renderTune(root, 1, 1.5, wav.string(), false), 0);
  bytes = core::readFile(wav);
  ASSERT_EQ(bytes->size(), 44u + 144000u);
  EXPECT_EQ(u32(*bytes, 4), 144036u);
  EXPECT_EQ(u32(*bytes, 40), 144000u);
}

TEST_F(AudioTools, RenderedTuneEndsInSilence) {
  const fs::path wav = root / "tune.wav";
  for (bool speaker : {false, true}) {
    ASSERT_EQ(app::renderTune(root, 7, 1.0, wav.string(), speaker), 0);
    const auto bytes = core::readFile(wav);
    ASSERT_TRUE(bytes);
    int peak = 0;
    for (std::size_t i = 44; i < 44 + 2 * 12000; i += 2)
      peak = std::max(peak, std::abs(static_cast<std::int16_t>((*bytes)[i] | ((*bytes)[i + 1] << 8))));
    EXPECT_GT(peak, 300) << "the note sounds (speaker " << speaker << ")";
    // The speaker's tone is gone with its channel; the AdLib note's release has
    // faded well before the end.
    for (std::size_t i = bytes->size() - 2 * 4800; i < bytes->size(); i += 2)
      ASSERT_LT(std::abs(static_cast<std::int16_t>((*bytes)[i] | ((*bytes)[i + 1] << 8))), 50)
          << "speaker " << speaker << " sample " << (i - 44) / 2;
  }
}

TEST_F(AudioTools, RenderTuneFailures) {
  EXPECT_EQ(app::renderTune(root, 1, -1.0, (root / "t.wav").string(), false), 1);
  EXPECT_EQ(app::renderTune(root, 1, 1e9, (root / "t.wav").string(), false), 1);
  EXPECT_EQ(app::renderTune(root, 1, std::nan(""), (root / "t.wav").string(), false), 1);
  EXPECT_EQ(app::renderTune(root, 1, 0.1, (root / "no" / "dir" / "t.wav").string(), false), 0)
      << "parent folders are created";
  fs::create_directories(root / "isdir.wav");
  EXPECT_EQ(app::renderTune(root, 1, 0.1, (root / "isdir.wav").string(), false), 1);
  const auto beeperImage = core::readFile(root / "assets" / "audio" / "beeper.dat");
  write("adlib.dat", Bytes(10, 0));
  write("beeper.dat", Bytes(10, 0));
  EXPECT_EQ(app::renderTune(root, 1, 1.0, (root / "t.wav").string(), false), 1);
  // The other driver alone renders no tune of the selected device.
  const std::string adlibRefused = "[error] adlib driver: not a Sonorithmics driver image\n";
  for (const auto& [adlib, speaker, message] :
       {std::tuple{Bytes(10, 0), false, adlibRefused}, std::tuple{Bytes(), false, std::string("[error] assets/audio/adlib.dat is empty\n")},
        std::tuple{Bytes(), true, std::string("[error] assets/audio/beeper.dat is empty\n")}}) {
    write("adlib.dat", adlib);
    write("beeper.dat", speaker ? Bytes() : *beeperImage);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(app::renderTune(root, 1, 1.0, (root / "t.wav").string(), speaker), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), message);
  }
  fs::remove(root / "assets" / "audio" / "adlib.dat");
  EXPECT_EQ(app::renderTune(root, 1, 1.0, (root / "t.wav").string(), false), 1);
}

}  // namespace
