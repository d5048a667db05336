#include "program/options.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

struct Parsed {
  ParseOutcome outcome;
  Options options;
  std::string log;
};

Parsed parse(std::vector<const char*> args) {
  args.insert(args.begin(), "tumbold");
  Parsed p{ParseOutcome::Run, Options{}, ""};
  ::testing::internal::CaptureStderr();
  p.outcome = parseOptions(static_cast<int>(args.size()), args.data(), p.options);
  p.log = ::testing::internal::GetCapturedStderr();
  return p;
}

Mode modeOf(std::vector<const char*> args) {
  const Parsed p = parse(std::move(args));
  EXPECT_EQ(p.outcome, ParseOutcome::Run) << p.log;
  return selectMode(p.options);
}

TEST(OptionParsing, NoArgumentsKeepsTheDefaults) {
  const Parsed p = parse({});
  EXPECT_EQ(p.outcome, ParseOutcome::Run);
  EXPECT_EQ(p.log, "");
  EXPECT_EQ(p.options.renderRoom, -1);
  EXPECT_EQ(p.options.quitAfterFrames, 0);
  EXPECT_EQ(p.options.pressF1At, -1);
  EXPECT_EQ(p.options.fromLine, 0);
  EXPECT_EQ(p.options.from, -1);
  EXPECT_EQ(p.options.startCount, -1);
  EXPECT_EQ(p.options.renderTune, -1);
  EXPECT_DOUBLE_EQ(p.options.seconds, 60.0);
  EXPECT_FALSE(p.options.viewer || p.options.verbose || p.options.frames || p.options.newGame ||
               p.options.checkQuickSave || p.options.beeper || p.options.windowed);
}

TEST(OptionParsing, ValueOptionsTakeTheNextArgumentWhateverItLooksLike) {
  const Parsed p = parse({"--out", "--version", "--data", "d", "--capture-at", "1,2", "--from-line", "7",
                          "--from", "9", "--seconds", "2.5"});
  ASSERT_EQ(p.outcome, ParseOutcome::Run);
  EXPECT_EQ(p.options.out, "--version");
  EXPECT_EQ(p.options.data, "d");
  EXPECT_EQ(p.options.captureAt, "1,2");
  EXPECT_EQ(p.options.fromLine, 7);
  EXPECT_EQ(p.options.from, 9);
  EXPECT_DOUBLE_EQ(p.options.seconds, 2.5);
}

TEST(OptionParsing, NumbersAreReadLikeAtoi) {
  EXPECT_EQ(parse({"--render-room", "12abc"}).options.renderRoom, 12);
  EXPECT_EQ(parse({"--render-room", "abc"}).options.renderRoom, 0);
  EXPECT_EQ(parse({"--render-room", " -4"}).options.renderRoom, -4);
  EXPECT_EQ(parse({"--start-count", "99999999999999999999"}).options.startCount, INT_MAX);
  EXPECT_EQ(parse({"--start-count", "-99999999999999999999"}).options.startCount, INT_MIN);
  EXPECT_DOUBLE_EQ(parse({"--seconds", "x"}).options.seconds, 0.0);
}

TEST(OptionParsing, AValueOptionAtTheEndReadsAnEmptyValue) {
  const Parsed p = parse({"--viewer", "--render-room"});
  EXPECT_EQ(p.outcome, ParseOutcome::Run);
  EXPECT_EQ(p.options.renderRoom, 0);
  EXPECT_TRUE(p.options.viewer);
  EXPECT_DOUBLE_EQ(parse({"--seconds"}).options.seconds, 0.0);
  EXPECT_EQ(parse({"--out"}).options.out, "");
}

TEST(OptionParsing, RepeatsOverwriteAndFlagsStaySet) {
  const Parsed p = parse(
      {"--out", "a", "--beeper", "--out", "b", "--beeper", "--render-tune", "3", "--render-tune", "-1"});
  EXPECT_EQ(p.options.out, "b");
  EXPECT_TRUE(p.options.beeper);
  EXPECT_EQ(p.options.renderTune, -1);
}

TEST(OptionParsing, OnlyWholeOptionNamesAreKnown) {
  for (const char* word : {"--from=3", "--fro", "--FROM", "-v", "version", "", "--render-room3"}) {
    const Parsed p = parse({"--viewer", word});
    EXPECT_EQ(p.outcome, ParseOutcome::Unknown) << word;
    EXPECT_EQ(p.log, std::string("[error] unknown argument ") + word + "\n");
  }
  const Parsed p = parse({"--from-line", "4"});
  EXPECT_EQ(p.options.fromLine, 4);
  EXPECT_EQ(p.options.from, -1);
}

TEST(OptionParsing, VersionEndsParsingButOnlyWhereItStands) {
  const Parsed first = parse({"--version", "nonsense"});
  EXPECT_EQ(first.outcome, ParseOutcome::Version);
  EXPECT_EQ(first.log, "");
  const Parsed second = parse({"nonsense", "--version"});
  EXPECT_EQ(second.outcome, ParseOutcome::Unknown);
  EXPECT_EQ(second.log, "[error] unknown argument nonsense\n");
}

TEST(ModeChoice, DataFreeModesComeFirst) {
  EXPECT_EQ(modeOf({}), Mode::Game);
  EXPECT_EQ(modeOf({"--crt-test", "a.png", "--opl-replay", "l", "--render-tune", "1"}), Mode::CrtTest);
  EXPECT_EQ(modeOf({"--opl-replay", "l", "--render-tune", "1", "--replay", "t"}), Mode::OplReplay);
  EXPECT_EQ(modeOf({"--render-tune", "0", "--render-goldens", "g"}), Mode::RenderTune);
  EXPECT_EQ(modeOf({"--render-tune", "-2"}), Mode::Game);
  EXPECT_FALSE(needsData(Mode::RenderTune));
  EXPECT_TRUE(needsData(Mode::Goldens));
  EXPECT_TRUE(needsData(Mode::RoomPngWithoutOut));
}

TEST(ModeChoice, ARoomNumberBeatsEverythingButGoldensAndReplay) {
  EXPECT_EQ(modeOf({"--render-room", "3", "--render-screens", "s", "--out", "o"}), Mode::RoomPng);
  EXPECT_EQ(modeOf({"--render-room", "0", "--autopilot", "r", "--list-bubbles", "b", "--play-script", "p",
                    "--viewer", "--out", "o"}),
            Mode::RoomPng);
  EXPECT_EQ(modeOf({"--render-room", "3", "--render-goldens", "g"}), Mode::Goldens);
  EXPECT_EQ(modeOf({"--render-room", "3", "--replay", "t"}), Mode::Replay);
  EXPECT_EQ(modeOf({"--render-room"}), Mode::RoomPngWithoutOut);
  EXPECT_EQ(modeOf({"--render-room", "-1", "--out", "o"}), Mode::Game);
}

TEST(ModeChoice, ToolModesInTheirOrder) {
  EXPECT_EQ(modeOf({"--render-screens", "s", "--autopilot", "r"}), Mode::Screens);
  EXPECT_EQ(modeOf({"--autopilot", "r", "--list-bubbles", "b"}), Mode::Autopilot);
  EXPECT_EQ(modeOf({"--list-bubbles", "b", "--play-script", "p"}), Mode::Bubbles);
  EXPECT_EQ(modeOf({"--play-script", "p", "--viewer"}), Mode::Script);
  EXPECT_EQ(modeOf({"--viewer"}), Mode::Viewer);
  EXPECT_EQ(modeOf({"--play-script", "", "--viewer"}), Mode::Viewer);
}

}  // namespace
