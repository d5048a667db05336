// The autopilot run on a small world: refused lines, each command's end and
// failure with its exact message, the steps file (of failed runs too), resume
// and --from-line.

#include "app/autopilot/autopilot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <cstdio>
#include <cstring>
#include <tuple>

#include "app/autopilot/steps_text.h"
#include "autopilot_world.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using autopilot_test::AutopilotWorld;

struct Played {
  int code = -1;
  std::string out;    // standard output
  std::string err;    // the log
  std::string steps;  // the steps file, "" when none was written
};

std::string slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The first and last step and the state of a line's progress report.
std::tuple<int, int, std::string> progress(const std::string& out, int line) {
  char head[32];
  std::snprintf(head, sizeof head, "line %3d  steps ", line);
  const std::size_t at = out.find(head);
  if (at == std::string::npos) return {-2, -2, "no progress line " + std::to_string(line)};
  int first = 0, last = 0;
  std::sscanf(out.c_str() + at + std::strlen(head), "%d-%d", &first, &last);
  const std::size_t state = out.find("  room", at) + 2;
  return {first, last, out.substr(state, out.find('\n', at) - state)};
}

class Autopilot : public ::testing::Test {
 protected:
  // Writes `route` as r.route and plays it; the steps go to out.steps.
  Played play(const std::string& route, const std::string& resume = "", int fromLine = 0) {
    std::ofstream(dir() / "r.route", std::ios::binary) << route;
    return playFile(dir() / "r.route", resume.empty() ? fs::path() : dir() / resume, fromLine);
  }

  Played playFile(const fs::path& route, const fs::path& resume, int fromLine = 0) {
    fs::remove(out());
    Played r;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    r.code = app::runAutopilot(world_.content, *world_.program, route, out(), resume, fromLine);
    r.err = ::testing::internal::GetCapturedStderr();
    r.out = ::testing::internal::GetCapturedStdout();
    if (fs::exists(out())) r.steps = slurp(out());
    return r;
  }

  fs::path dir() const { return scratch_.path(); }
  fs::path out() const { return scratch_.path() / "out.steps"; }

  AutopilotWorld world_;
  testsupport::ScratchDir scratch_{"tumbold_autopilot"};
};

// Messages name the route, the line and what is wrong; nothing is played and no
// steps file is written. "bad command" stands for lines plainly malformed.
TEST_F(Autopilot, RefusedLinesEndTheRunBeforeAnythingIsPlayed) {
  const struct {
    const char* line;
    const char* error;
  } cases[] = {
      {"hold right", "bad command"},
      {"hold", "bad command"},
      {"hold up+jump 5", "bad command"},
      {"hold 40 right", "bad command"},
      {"wait", "bad command"},
      {"wait until", "bad command"},
      {"reach roomx=3", "unknown condition 'roomx=3'"},
      {"expect stand and !bogus", "unknown condition 'bogus'"},
      {"jump 3", "unknown command 'jump'"},
      {"pick 3 via x", "expected 'via' and room numbers, got 'x'"},
      {"drop 3 99999999999", "expected 'via' and room numbers, got '99999999999'"},
      {"hold right forty", "expected a number of steps, got 'forty'"},
      {"wait for -5", "expected a number of steps, got '-5'"},
      {"wait 99999999999999999999", "expected a number of steps, got '99999999999999999999'"},
      {"wait 16777217", "a count of 16777217 steps is more than 16777216"},
      {"hold 8 40", "bad command"},
      {"reach 5 via 3", "unknown condition '5'"},
      {"walk 99999999999", "expected an x to walk to, got '99999999999'"},
      {"pick 99999999999", "expected an object number, got '99999999999'"},
      {"walk left", "expected an x to walk to, got 'left'"},
      {"walk", "expected an x to walk to, got ''"},
      {"pick five", "expected an object number, got 'five'"},
      {"drop -1", "expected an object number, got '-1'"},
      {"expect x<abc", "condition 'x<abc' needs a whole number after '<'"},
      {"wait until flag=0x", "condition 'flag=0x' needs a whole number after '='"},
      {"reach x>99999999999", "condition 'x>99999999999' needs a whole number after '>'"},
      {"\x01\xfe\xff noise", "unknown command '\x01\xfe\xff'"},
      // Nothing of a line is dropped or read as something else, and no number
      // asks for what the game state or the world cannot have.
      {"reach x>150 via 1 and stand", "expected 'via' and room numbers, got 'and'"},
      {"reach x>150 via 1 -5", "expected 'via' and room numbers, got '-5'"},
      {"hold right until x=>150", "condition 'x=>150' compares with '=>', which is none of = < <= > >="},
      {"reach x>1 and maxloss=-2147483648",
       "condition 'maxloss=-2147483648' compares maxloss with -2147483648, outside what it can be (0 to 255)"},
      {"wait until x<40000", "condition 'x<40000' compares x with 40000, outside what it can be (-32768 to 32767)"},
      {"expect var3=-2", "condition 'var3=-2' compares var3 with -2, outside what it can be (-1 to 255)"},
      {"pick 2147483647", "there is no object 2147483647 in the world (it has 0 to 1)"},
      {"expect !carry=2", "there is no object 2 in the world (it has 0 to 1)"},
      {"expect next=2", "there is no object 2 in the world (it has 0 to 1)"},
      {"reach touch=3", "there is no entity 3 in the world (it has 0 to 2)"},
      {"pick 0 via 3", "there is no room 3 in the world (it has 0 to 2)"},
  };
  const std::string route = (dir() / "r.route").string();
  for (const auto& c : cases) {
    const Played r = play(std::string("wait 5\n") + c.line + "\nwait 5\n");
    EXPECT_EQ(r.code, 1) << c.line;
    EXPECT_EQ(r.err, "[error] " + route + ":2: " + c.error + "\n") << c.line;
    EXPECT_EQ(r.out, "") << c.line;
    EXPECT_FALSE(fs::exists(out())) << c.line;
  }
}

TEST_F(Autopilot, UnreadableRouteOrResumeFilesEndTheRunWithoutAStepsFile) {
  Played r = playFile(dir() / "missing.route", fs::path());
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "[error] cannot read " + (dir() / "missing.route").string() + "\n");
  EXPECT_EQ(r.steps, "");

  for (const char* header : {"no count\n0-4 right\n", "x (99999999999999 steps)\n", "x (17000000 steps)\n", ""}) {
    std::ofstream(dir() / "bad.steps", std::ios::binary) << header;
    r = play("wait 5\n", "bad.steps");
    EXPECT_EQ(r.code, 1) << header;
    EXPECT_EQ(r.err.rfind("[error] cannot read " + (dir() / "bad.steps").string(), 0), 0u) << r.err;
    EXPECT_EQ(r.out, "") << header;
    EXPECT_FALSE(fs::exists(out())) << header;
  }
}

TEST_F(Autopilot, ARouteOfCommentsPlaysNothingAndWritesAnEmptyStepsFile) {
  const Played r = play("# only comments\n\n   \t# and blanks\n");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "route complete: 0 steps -> " + out().string() + "\n");
  EXPECT_EQ(r.steps, "# generated by tumbold --autopilot r.route (0 steps)\n");
}

// Conditions are tested before each step; a count ends a hold normally even if
// its condition never held; walking to where the hero stands takes no step.
TEST_F(Autopilot, HoldsWaitsAndWalksEndOnTheirConditionOrCount) {
  const Played r = play(
      "wait until stand      # the new game's first step\n"
      "wait until stand\n"
      "hold right 20 until x>300\n"
      "hold left for 10 until x<190\n"
      "wait until stand\n"
      "walk 239\n"
      "walk 241\n"
      "walk 200\n"
      "expect x<=201 and stand\n"
      "fire\n");
  EXPECT_EQ(r.code, 0) << r.out;
  const struct {
    int line;
    int first, last;  // -1: not looked at
    const char* state;
  } expected[] = {
      {1, 0, 1, "room 0 x 200 y 144 state 1 "},
      {2, 1, 1, "room 0 x 200 "},
      {3, 1, 21, "room 0 x 238 "},  // x never passed 300
      {4, 21, 31, "room 0 x 240 y 144 state 5 "},  // turning round: x<190 never held
      {8, -1, -1, "room 0 x 198 y 144 state 1 "},
      {10, -1, -1, "room 0 x 198 "},
  };
  for (const auto& e : expected) {
    const auto [first, last, state] = progress(r.out, e.line);
    if (e.first >= 0) {
      EXPECT_EQ(first, e.first) << "line " << e.line;
      EXPECT_EQ(last, e.last) << "line " << e.line;
    }
    EXPECT_EQ(state.rfind(e.state, 0), 0u) << "line " << e.line << ": " << state;
  }
  for (int line : {6, 7}) {  // the hero stands at 240 after line 5: no walking step
    const auto [first, last, state] = progress(r.out, line);
    EXPECT_EQ(first, last) << "line " << line;
  }
  EXPECT_EQ(r.out.find("line   9"), std::string::npos) << "a passing expect prints nothing";
  EXPECT_NE(r.steps.find("1-20 right\n21-30 left\n35-"), std::string::npos) << r.steps;
}

// A failing command ends the route at once; the steps file holds every step
// played, the failing command's own included.
TEST_F(Autopilot, FailuresPrintTheirMessageAndKeepTheirSteps) {
  const struct {
    const char* route;
    const char* message;
    const char* steps;
  } cases[] = {
      {"hold right 30\nwait until gameover\nwait 5\n",
       "line 2: 'wait until gameover' timed out after 4000 steps: room 0 x 258 y 144 state 1 energy 46 lives 3 "
       "score 0 inv -1 -1 -1\n",
       "(4030 steps)\n0-29 right\n"},
      {"wait 3\nexpect room=1\n", "line 2: expect failed at step 3: room 0 x 200 y 144 state 1", "(3 steps)\n"},
      {"wait 2\ndrop 0\n", "line 2: object 0 is not in slot 3: room 0 x 200", "(2 steps)\n"},
      {"walk -50  # into the wall\n", "line 1: 'walk -50  ' did not get there: room 0 x ", "(4001 steps)\n0-4000 left\n"},
      {"reach room>0\n", "line 1: 'reach room>0' found no way: room 0 x 200 y 144 state 0", "(0 steps)\n"},
  };
  for (const auto& c : cases) {
    const Played r = play(c.route);
    EXPECT_EQ(r.code, 1) << c.route;
    EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("FAILED: "), std::string::npos) << r.out;
    EXPECT_NE(r.steps.find(c.steps), std::string::npos) << r.steps;
  }
}

TEST_F(Autopilot, PickSearchesForTheObjectAndDropTakesItFromTheThirdSlot) {
  const Played r = play(
      "pick 0\n"
      "expect carry=0\n"
      "fire  # the pockets turn: the object goes to the second slot\n"
      "fire  # and to the third\n"
      "walk 220\n"
      "drop 0\n"
      "expect !carry=0 and near=0\n"
      "pick 0\n");
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("inv 0 -1 -1"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("inv -1 -1 0"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("route complete"), std::string::npos) << r.out;
}

// The steps of one run are played again by the next with --resume; lines
// before --from-line are skipped, and one beyond the last plays only them.
TEST_F(Autopilot, ResumePlaysAStepsFileAndFromLineSkipsTheLinesBefore) {
  Played first = play("hold right 20\nwait until stand\n");
  ASSERT_EQ(first.code, 0) << first.out;
  fs::copy_file(out(), dir() / "first.steps");

  Played next = play("hold left 80  # skipped\nexpect x>130 and stand\nhold left 4\n", "first.steps", 2);
  EXPECT_EQ(next.code, 0) << next.out;
  EXPECT_EQ(next.out.rfind("resumed ", 0), 0u) << next.out;
  EXPECT_NE(next.out.find("line   3  steps "), std::string::npos);
  EXPECT_EQ(next.out.find("line   1"), std::string::npos);

  next = play("hold left 80\n", "first.steps", 99);
  EXPECT_EQ(next.code, 0);
  const std::string header = "# generated by tumbold --autopilot r.route";
  EXPECT_EQ(next.steps.substr(header.size()), first.steps.substr(header.size()));

  // The steps file's own words, as every mode reads them: route keys are none.
  std::ofstream(dir() / "keys.steps") << "# by hand (4 steps)\n0-1 space\n3-9 space down\n2-2 up+right\n";
  next = play("", "keys.steps");
  EXPECT_EQ(next.code, 1);
  EXPECT_EQ(next.err, "[error] " + (dir() / "keys.steps").string() + ":4: unknown key 'up+right'\n");
  EXPECT_EQ(next.out, "");
  EXPECT_EQ(next.steps, "");
}

// Damaged route and resume files (flipped, cut, inserted and random bytes) end
// in a result line, or in one error line and exit 1 with nothing played and no
// steps file; never a crash.
TEST_F(Autopilot, DamagedRouteAndResumeFilesEndInAResultOrOneErrorLine) {
  const std::string route = "wait until stand\nhold right 20 until x>230\nwalk 210 # back\nexpect stand and x<=212\nfire\n";
  const std::string steps = app::stepsText("r", {0, 8, 8, 9, 9, 0, 16, 4, 4, 0, 2});
  std::mt19937 rng(120);
  const auto below = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  const auto damage = [&](std::string text, int how) {
    switch (how % 4) {
      case 0:
        for (int k = 0; k < 3; ++k) text[below(text.size())] = static_cast<char>(rng());
        break;
      case 1: text.resize(below(text.size() + 1)); break;
      case 2: text.insert(below(text.size() + 1), std::string(1 + below(6), "0123456789-+<=>!( #\n"[below(19)])); break;
      default:
        text.assign(1 + below(120), '\0');
        for (char& c : text) c = static_cast<char>(rng());
    }
    return text;
  };
  // Long holds make a slow test, not a different outcome.
  const auto quick = [](const std::string& text) {
    std::istringstream lines(text);
    std::int32_t number = 0;
    for (std::string line; std::getline(lines, line);) {
      app::Command c;
      std::string error;
      if (app::parseCommand(++number, line.substr(0, line.find('#')), c, error) == app::LineRead::Command &&
          (c.value > 4000 || c.kind == app::CommandKind::Reach || c.kind == app::CommandKind::Pick)) {
        return false;
      }
    }
    return true;
  };
  int refused = 0, played = 0;
  for (int i = 0; i < 160; ++i) {
    const bool routeCase = i % 2 == 0;
    const std::string text = damage(routeCase ? route : steps, i / 2);
    Played r;
    if (routeCase) {
      if (!quick(text)) continue;
      r = play(text);
    } else {
      const auto count = app::headerSteps(text.substr(0, text.find('\n')));
      if (count && *count > 4000) continue;
      std::ofstream(dir() / "d.steps", std::ios::binary) << text;
      r = play("", "d.steps");
    }
    ASSERT_TRUE(r.code == 0 || r.code == 1) << text;
    if (r.out.empty()) {
      ++refused;
      EXPECT_EQ(r.code, 1) << text;
      EXPECT_EQ(r.err.rfind("[error] ", 0), 0u) << r.err;
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
      EXPECT_FALSE(fs::exists(out())) << text;
      continue;
    }
    ++played;
    const std::size_t last = r.out.rfind('\n', r.out.size() - 2) + 1;
    const std::string result = r.out.substr(last);
    const std::string count = result.substr(result.find(": ") + 2, result.find(" steps") - result.find(": ") - 2);
    EXPECT_EQ(result, std::string(r.code == 0 ? "route complete: " : "FAILED: ") + count + " steps -> " +
                          out().string() + "\n");
    EXPECT_EQ(r.steps.rfind("# generated by tumbold --autopilot r.route (" + count + " steps)\n", 0), 0u) << r.steps;
  }
  EXPECT_GT(refused, 20);
  EXPECT_GT(played, 20);
}

// A steps file that cannot be written fails the run, even a complete one, and
// its error line stands for the result line, which would name that file.
TEST_F(Autopilot, AStepsFileThatCannotBeWrittenFailsTheRun) {
  fs::create_directories(out());
  for (const char* route : {"wait 2\n", "expect room=99\n"}) {
    std::ofstream(dir() / "r.route") << route;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int code = app::runAutopilot(world_.content, *world_.program, dir() / "r.route", out(), {}, 0);
    const std::string err = ::testing::internal::GetCapturedStderr();
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(code, 1) << route;
    EXPECT_EQ(err, "[error] cannot write " + out().string() + "\n");
    EXPECT_EQ(printed.find(" steps -> "), std::string::npos) << printed;
  }
}

}  // namespace
