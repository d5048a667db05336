// Play scripts and capture lists: what the readers make of good, odd and
// damaged text.

#include "program/play_script.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>
#include <vector>


namespace {

using Range = ScriptInput::Range;

std::vector<Range> parse(const std::string& text) {
  std::istringstream in(text);
  return parsePlayScript(in).ranges;
}

std::string describe(const Range& r) {
  std::ostringstream s;
  s << r.from << "-" << r.to << " held " << int(r.held) << " esc " << int(r.esc) << " enter " << int(r.enter)
    << " start " << int(r.start) << " f5 " << int(r.f5) << " f8 " << int(r.f8);
  return s.str();
}

TEST(PlayScript, EachLineGivesOneRangeWithItsKeys) {
  const struct {
    const char* text;
    std::vector<std::string> ranges;
  } cases[] = {
      {"100-120 right\n", {"100-120 held 8 esc 0 enter 0 start 0 f5 0 f8 0"}},
      {"7\n", {"7-7 held 0 esc 0 enter 0 start 0 f5 0 f8 0"}},  // one number: a one-tick range
      {"walk right\n", {"0-0 held 8 esc 0 enter 0 start 0 f5 0 f8 0"}},  // no digits: tick 0
      {"0-3 up down left right\n1 space\n2 fire\n", {"0-3 held 15 esc 0 enter 0 start 0 f5 0 f8 0",
                                                      "1-1 held 16 esc 0 enter 0 start 0 f5 0 f8 0",
                                                      "2-2 held 16 esc 0 enter 0 start 0 f5 0 f8 0"}},
      {"5 esc enter start f5 f8\n", {"5-5 held 0 esc 1 enter 1 start 1 f5 1 f8 1"}},
      // Words compare exactly; unknown words count for nothing.
      {"5 Esc RIGHT f9 jump right,\n", {"5-5 held 0 esc 0 enter 0 start 0 f5 0 f8 0"}},
      // Comments, blank lines and a line that is only a comment.
      {"# intro\n\n   \n3 up # down\n#4 down\n", {"3-3 held 1 esc 0 enter 0 start 0 f5 0 f8 0"}},
      {"4-6\tleft\r\n", {"4-6 held 4 esc 0 enter 0 start 0 f5 0 f8 0"}},  // tabs and CRLF
      {"9- up\n", {"9-0 held 1 esc 0 enter 0 start 0 f5 0 f8 0"}},      // B without digits: 0
      {"12-8 down\n", {"12-8 held 2 esc 0 enter 0 start 0 f5 0 f8 0"}},  // kept as written
      {"+3-+4 up\n", {"3-4 held 1 esc 0 enter 0 start 0 f5 0 f8 0"}},    // signs allowed
      // Numbers beyond int saturate instead of wrapping.
      {"99999999999999999999-99999999999 up\n",
       {std::to_string(INT_MAX) + "-" + std::to_string(INT_MAX) + " held 1 esc 0 enter 0 start 0 f5 0 f8 0"}},
  };
  for (const auto& c : cases) {
    const std::vector<Range> ranges = parse(c.text);
    std::vector<std::string> got;
    for (const Range& r : ranges) got.push_back(describe(r));
    EXPECT_EQ(got, c.ranges) << c.text;
  }
}

// Per tick: the held byte, whether Escape is held, and the lines (counted from
// 0) of the ranges that start, in file order.
struct TickView {
  int held;
  bool escape;
  std::vector<int> starting;
  bool operator==(const TickView& o) const {
    return held == o.held && escape == o.escape && starting == o.starting;
  }
};

void PrintTo(const TickView& v, std::ostream* os) {
  *os << "{held " << v.held << (v.escape ? ", esc" : "") << ", starting";
  for (int line : v.starting) *os << " " << line;
  *os << "}";
}

std::vector<TickView> walk(const std::string& text, int ticks) {
  std::istringstream in(text);
  const ScriptInput script = parsePlayScript(in);
  ScriptTicks walker(script);
  std::vector<TickView> views;
  for (int t = 0; t < ticks; ++t) {
    walker.advance(t);
    TickView v{walker.held(), walker.escapeHeld(), {}};
    for (const Range* r : walker.starting()) v.starting.push_back(static_cast<int>(r - script.ranges.data()));
    views.push_back(v);
  }
  return views;
}

TEST(PlayScript, RangesHoldTheirKeysOverTheirTicksAndStartOnTheirFirst) {
  // Overlapping ranges hold the OR of their keys; lines out of order still
  // start in file order on a shared first tick.
  EXPECT_EQ(walk("3-5 right\n1-3 up\n4 esc down\n3 fire\n", 7),
            (std::vector<TickView>{{0, false, {}},
                                   {1, false, {1}},
                                   {1, false, {}},
                                   {25, false, {0, 3}},
                                   {10, true, {2}},
                                   {8, false, {}},
                                   {0, false, {}}}));
  // A range ending before it begins starts on its first tick but holds nothing;
  // one that began before tick 0 is held from tick 0 and never starts ("-3-1"
  // reads as -3 to 3: B is read after the first "-", here the sign).
  EXPECT_EQ(walk("2-0 esc left\n-3-1 up\n", 5),
            (std::vector<TickView>{{1, false, {}}, {1, false, {}}, {1, false, {0}}, {1, false, {}}, {0, false, {}}}));
  // 100-120 right: right on exactly 21 ticks.
  int heldTicks = 0;
  for (const TickView& v : walk("100-120 right\n", 200)) heldTicks += v.held == 8;
  EXPECT_EQ(heldTicks, 21);
}

TEST(PlayScript, CaptureListsAndTheLastTickPlayed) {
  const struct {
    const char* text;
    std::vector<int> ticks;
    int last;
  } cases[] = {
      {"", {}, 0},
      {"40", {40}, 40},
      {"5,,120, 3,", {5, 120, 3}, 120},
      {"x,7y", {0, 7}, 7},
      {"-4,-9", {-4, -9}, 0},
      {"99999999999", {INT_MAX}, INT_MAX},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parseCaptureList(c.text), c.ticks) << c.text;
    EXPECT_EQ(lastTick(parseCaptureList(c.text)), c.last) << c.text;
  }
}

}  // namespace
