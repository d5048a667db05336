// The route language: key words, conditions and what they test in a game
// state, and damaged route lines, which are refused or read, never a crash.

#include "app/autopilot/route.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "autopilot_world.h"
#include "sim/input_history.h"

namespace {

using autopilot_test::AutopilotWorld;

TEST(RouteWords, KeysAreJoinedByPlus) {
  const struct {
    const char* word;
    bool ok;
    int keys;
  } cases[] = {
      {"", true, 0},         {"none", true, 0},         {"up", true, 1},        {"down", true, 2},
      {"left", true, 4},     {"right", true, 8},        {"fire", true, 16},     {"space", true, 16},
      {"up+right", true, 9}, {"left+fire+none", true, 20}, {"up+jump", false, 0}, {"up+", false, 0},
      {"+up", false, 0},     {"Up", false, 0},          {"8", false, 0},
  };
  for (const auto& c : cases) {
    std::uint8_t keys = 99;
    EXPECT_EQ(app::parseKeys(c.word, keys), c.ok) << c.word;
    if (c.ok) {
      EXPECT_EQ(keys, c.keys) << c.word;
    }
  }
}

TEST(RouteWords, ConditionsSplitIntoTermsOrAreRefused) {
  app::Cond cond;
  std::string error;
  ASSERT_TRUE(app::parseCond("room and !carry=5 and x<=0x20 var12>=3 y==010 keep", cond, error));
  ASSERT_EQ(cond.size(), 6u);
  const struct {
    const char* name;
    const char* op;
    int value;
    bool negated;
  } terms[] = {{"room", "", 0, false}, {"carry", "=", 5, true},  {"x", "<=", 32, false},
               {"var12", ">=", 3, false}, {"y", "==", 8, false}, {"keep", "", 0, false}};
  for (std::size_t i = 0; i < cond.size(); ++i) {
    EXPECT_EQ(cond[i].name, terms[i].name);
    EXPECT_EQ(cond[i].op, terms[i].op) << terms[i].name;
    EXPECT_EQ(cond[i].value, terms[i].value) << terms[i].name;
    EXPECT_EQ(cond[i].negated, terms[i].negated) << terms[i].name;
  }
  const struct {
    const char* text;
    const char* error;
  } refused[] = {
      {"roomx=3", "unknown condition 'roomx=3'"},
      {"stand !nothing", "unknown condition 'nothing'"},
      {"var", "unknown condition 'var'"},
      {"var1a>2", "unknown condition 'var1a>2'"},
      {"=4", "unknown condition '=4'"},
      {"x>", "condition 'x>' needs a whole number after '>'"},
      {"x>four", "condition 'x>four' needs a whole number after '>'"},
      {"x=09", "condition 'x=09' needs a whole number after '='"},
      {"x=3000000000", "condition 'x=3000000000' needs a whole number after '='"},
      {"carry=-1", "condition 'carry=-1' compares carry with -1, outside what it can be (0 to 2147483647)"},
  };
  for (const auto& r : refused) {
    app::Cond out;
    EXPECT_FALSE(app::parseCond(r.text, out, error)) << r.text;
    EXPECT_EQ(error, r.error);
  }
}

// Each name against a state set up for it; a term holds when its result
// differs from its negation, and all terms must hold.
TEST(RouteWords, ConditionsTestTheGameState) {
  AutopilotWorld world;
  auto simulation = world.newGame();
  sim::GameState s = simulation->state;  // room 0, x 200, y 144, the object 0 at x 288
  s.state = 1;
  s.entities[1].var = 7;
  s.flags[9] = 1;
  s.objects[1].room = sim::kRoomCarried;
  s.score = 12;
  const struct {
    const char* cond;
    bool holds;
  } cases[] = {
      {"room", true},          {"room=1", false},        {"!room=1", true},     {"room<1 and x=200", true},
      {"x=0xC8 and y=0220", true}, {"x>200", false},     {"x>=200 and x<=200", true}, {"x==200", true},
      {"state=1 and stand", true}, {"ground", false},    {"carry=1", true},     {"carry=0", false},
      {"!carry=5", true},      {"carry=9", false},       {"flag=9", true},      {"flag=255", false},
      {"energy=46 lives=3 score=12", true}, {"ending", false}, {"gameover", false}, {"near=0", false},
      {"touch=0", false},      {"lifty=-9999", true},    {"follower=-1", true}, {"actorx=-9999", true},
      {"free and next=-1", true}, {"keep and lowloss and maxloss=3", true}, {"var1=7 and var1>6", true},
      {"var2=0", true},        {"var99=-1", true},       {"var99999999999999999999=-1", true},
      {"x>-32768 and y<32767 and room<=255 and var1>=-1", true},
      {"stand and !stand", false},
  };
  for (const auto& c : cases) {
    app::Cond cond;
    std::string error;
    ASSERT_TRUE(app::parseCond(c.cond, cond, error)) << error;
    EXPECT_EQ(app::holds(cond, s), c.holds) << c.cond;
  }

  // The pick-up box and the touch box, at their edges.
  const struct {
    int x, y;
    const char* cond;
    bool holds;
  } places[] = {
      {288 + 11, 144, "near=0 and next=0 and !free", true},  {288 + 12, 144, "near=0", false},
      {288 - 35, 144, "near=0", true},  {288 - 36, 144, "near=0", false},
      {288, 144 + 11, "near=0", true},  {288, 144 + 12, "near=0", false},
      {288, 144 - 23, "near=0", true},  {288, 144 - 24, "near=0", false},
      {184 - 28, 128, "touch=0", true}, {184 - 29, 128, "touch=0", false},
      {184 + 4, 128, "touch=0", true},  {184 + 5, 128, "touch=0", false},
      {172, 128 + 11, "touch=0", true}, {172, 128 + 12, "touch=0", false},
      {172, 128 - 22, "touch=0", true}, {172, 128 - 23, "touch=0", false},
  };
  for (const auto& p : places) {
    s.x = static_cast<std::int16_t>(p.x);
    s.y = static_cast<std::int16_t>(p.y);
    app::Cond cond;
    std::string error;
    ASSERT_TRUE(app::parseCond(p.cond, cond, error));
    EXPECT_EQ(app::holds(cond, s), p.holds) << p.cond << " at " << p.x << "," << p.y;
  }
  app::gProgram = nullptr;
  s.x = 172;
  s.y = 128;
  app::Cond touch;
  std::string error;
  app::parseCond("touch=0", touch, error);
  EXPECT_FALSE(app::holds(touch, s)) << "no program, no touch";

  EXPECT_EQ(app::describe(s), "room 0 x 172 y 128 state 1 energy 46 lives 3 score 12 inv -1 -1 -1");
}

// Each command takes its words as the walkthroughs write them: counts with or
// without "for", "until" anywhere in a tail, via rooms after a reach, a pick or
// a drop with or without "via".
TEST(RouteLines, EachCommandReadsItsWords) {
  using Kind = app::CommandKind;
  const struct {
    const char* text;
    Kind kind;
    int keys, value;
    std::size_t terms;
    std::vector<int> via;
  } cases[] = {
      {"hold right for 40", Kind::Hold, 8, 40, 0, {}},
      {"  hold right 40", Kind::Hold, 8, 40, 0, {}},
      {"hold up+left 100 until x<30", Kind::Hold, 5, 100, 1, {}},
      {"wait until stand", Kind::Hold, 0, -1, 1, {}},
      {"wait 70", Kind::Hold, 0, 70, 0, {}},
      {"wait 5 7", Kind::Hold, 0, 7, 0, {}},  // the last count counts
      {"fire now please", Kind::Fire, 0, -1, 0, {}},
      {"expect", Kind::Expect, 0, -1, 0, {}},
      {"walk 160 and stop", Kind::Walk, 0, 160, 0, {}},
      {"walk -3", Kind::Walk, 0, -3, 0, {}},
      {"reach room=34 and stand", Kind::Reach, 0, -1, 2, {}},
      {"reach x>4 via 2 via 5", Kind::Reach, 0, -1, 1, {2, 5}},
      {"reach via 9", Kind::Reach, 0, -1, 0, {9}},
      {"pick 12", Kind::Pick, 0, 12, 0, {}},
      {"pick 12 via 3 via 4", Kind::Pick, 0, 12, 0, {3, 4}},
      {"drop 7 5", Kind::Drop, 0, 7, 0, {5}},
  };
  for (const auto& c : cases) {
    app::Command command;
    std::string error;
    ASSERT_EQ(app::parseCommand(4, c.text, command, error), app::LineRead::Command) << c.text << ": " << error;
    EXPECT_EQ(command.line, 4);
    EXPECT_EQ(command.text, c.text);
    EXPECT_EQ(command.kind, c.kind) << c.text;
    EXPECT_EQ(command.keys, c.keys) << c.text;
    EXPECT_EQ(command.value, c.value) << c.text;
    EXPECT_EQ(command.cond.size(), c.terms) << c.text;
    EXPECT_EQ(command.via, c.via) << c.text;
  }
  app::Command command;
  std::string error;
  EXPECT_EQ(app::parseCommand(1, " \t ", command, error), app::LineRead::Empty);
}

// Damaged route lines (flipped, cut, inserted and random bytes) are read or
// refused, never a crash; a refusal without its own text is a malformed line.
TEST(RouteWords, DamagedLinesAreReadOrRefusedNeverACrash) {
  const char* lines[] = {"hold right for 40 until x>200 and stand", "reach room=3 and near=4 via 2 5",
                         "pick 12 via 3 4", "walk 160", "expect !carry=5 and var12>=3", "wait until lifty<=0x50"};
  std::mt19937 rng(9);
  const auto below = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  int read = 0;
  for (int i = 0; i < 3000; ++i) {
    std::string text = lines[i % 6];
    switch (i % 4) {
      case 0:
        for (int k = 0; k < 2; ++k) text[below(text.size())] = static_cast<char>(rng());
        break;
      case 1: text.resize(below(text.size() + 1)); break;
      case 2: text.insert(below(text.size() + 1), std::string(1 + below(12), "0123456789-+<=>! x"[below(18)])); break;
      default:
        text.assign(1 + below(60), ' ');
        for (char& c : text) c = static_cast<char>(rng());
    }
    app::Command command;
    std::string error;
    if (app::parseCommand(1, text, command, error) == app::LineRead::Command) {
      ++read;
      if (command.kind == app::CommandKind::Hold) {
        EXPECT_LE(command.value, static_cast<std::int32_t>(sim::kMaxHistorySteps));
      }
    }
  }
  EXPECT_GT(read, 100);
}

}  // namespace
