// The reach search on a small world: where a found way ends, which states it
// prunes (rooms, energy, lives), how it merges states, and that it leaves the
// simulation as it found it.

#include "app/autopilot/reach_search.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "autopilot_world.h"

namespace {

using autopilot_test::AutopilotWorld;

app::Cond cond(const std::string& text) {
  app::Cond c;
  std::string error;
  EXPECT_TRUE(app::parseCond(text, c, error)) << error;
  return c;
}

struct Search {
  std::optional<std::vector<std::uint8_t>> way;
  std::string out;  // what the search printed
  sim::GameState end;  // the state the way leads to
};

Search search(const AutopilotWorld& world, const std::string& goal, const std::vector<int>& via = {}) {
  auto simulation = world.newGame();
  const sim::GameState before = simulation->state;
  Search s;
  ::testing::internal::CaptureStdout();
  s.way = app::searchReach(*simulation, cond(goal), via, 0);
  s.out = ::testing::internal::GetCapturedStdout();
  EXPECT_TRUE(simulation->state == before) << goal << ": the search left another state behind";
  EXPECT_TRUE(simulation->error.empty() && simulation->ops.empty()) << goal;
  // Replayed step by step, the goal holds after the last byte and not before.
  const app::Cond goalCond = cond(goal);
  for (std::size_t i = 0; s.way && i < s.way->size(); ++i) {
    EXPECT_FALSE(app::holds(goalCond, simulation->state)) << goal << ": held after step " << i;
    simulation->beginStep((*s.way)[i]);
    simulation->endStep();
    simulation->ops.clear();
  }
  s.end = simulation->state;
  if (s.way) {
    EXPECT_TRUE(app::holds(goalCond, s.end)) << goal;
  }
  return s;
}

constexpr const char* kExhausted = "all reachable states tried\n";

// The goal is tested after every step, so a way can end inside a move.
TEST(ReachSearch, AWayEndsAtTheStepWhereTheGoalFirstHolds) {
  AutopilotWorld world;
  for (const char* goal : {"x>=203", "x<=197", "x>=260 and stand", "y<140", "near=0 and stand", "touch=0"}) {
    const Search s = search(world, goal);
    ASSERT_TRUE(s.way.has_value()) << goal << s.out;
    EXPECT_EQ(s.out, "") << goal;
  }
  EXPECT_EQ(search(world, "x>=201").way->size(), 3u) << "inside the first move of four steps";
}

// Rooms other than the start room are allowed only as via rooms or when the
// goal names them (room=, touch, near).
TEST(ReachSearch, OtherRoomsOnlyWhenAllowed) {
  AutopilotWorld world;
  const Search closed = search(world, "room>0");
  EXPECT_FALSE(closed.way.has_value());
  EXPECT_EQ(closed.out.rfind("  search: ", 0), 0u) << closed.out;
  EXPECT_EQ(closed.out.substr(closed.out.size() - std::string(kExhausted).size()), kExhausted);

  EXPECT_EQ(search(world, "room>0", {1}).end.room, 1);
  EXPECT_EQ(search(world, "room=1").end.room, 1);
  EXPECT_FALSE(search(world, "!room=0").way.has_value()) << "a negated room allows nothing";
  EXPECT_EQ(search(world, "near=1").end.room, 1);
}

// The energy floor: 10 below the start by default, the start itself with
// "keep", the last "maxloss" when there is one. A step below it is pruned even
// when it meets the goal.
TEST(ReachSearch, EnergyBelowTheFloorIsPrunedEvenAtTheGoal) {
  AutopilotWorld world;
  const int full = world.world.energyFull;
  const struct {
    const char* goal;
    int floor;  // -1: not found
  } cases[] = {
      {"room=1 and energy<=36", full - 10},
      {"room=1 and energy<=35", -1},
      {"room=1 and keep", -1},
      {"room=1 and x>=60", -1},
      {"room=1 and x>=60 and maxloss=30", full - 30},
      {"room=1 and x>=60 and maxloss=30 and keep", full - 30},
      {"room=1 and x>=60 and keep and maxloss=30", full - 30},
  };
  for (const auto& c : cases) {
    const Search s = search(world, c.goal);
    EXPECT_EQ(s.way.has_value(), c.floor >= 0) << c.goal << "\n" << s.out;
    if (s.way) {
      EXPECT_GE(s.end.energy, c.floor) << c.goal;
    }
  }
  // Losses a route may not ask for still make a floor, without overflowing.
  for (const std::int32_t loss : {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()}) {
    app::Cond goal = cond("room=1 and x>=60");
    goal.push_back({"maxloss", "=", loss, false});
    auto simulation = world.newGame();
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(app::searchReach(*simulation, goal, {}, 0).has_value(), loss > 0) << loss;
    ::testing::internal::GetCapturedStdout();
  }
}

// Low-loss mode weighs lost energy 64 steps a point: the sting on the floor
// is jumped over instead of walked through.
TEST(ReachSearch, LowLossPrefersAWayThatKeepsEnergy) {
  AutopilotWorld world(true);
  const int full = world.world.energyFull;
  const Search plain = search(world, "x>=260 and stand");
  const Search careful = search(world, "x>=260 and stand and lowloss");
  ASSERT_TRUE(plain.way && careful.way);
  EXPECT_LT(plain.end.energy, full);
  EXPECT_EQ(careful.end.energy, full);
  EXPECT_GT(careful.way->size(), plain.way->size());
}

// States alike in room, place, speed, hero state and ground count as one: a
// point of score on the way makes no new state, so an exhaustive search tries
// as many states with the score box as without it.
TEST(ReachSearch, StatesThatDifferOnlyOutsideTheSignatureAreMerged) {
  AutopilotWorld scoring;
  AutopilotWorld quiet;
  quiet.world.entities[autopilot_test::kScoreEntity].room = 2;
  quiet.program = sim::compileScripts(quiet.world);
  ASSERT_TRUE(search(scoring, "score>=1").way.has_value()) << "the box is on the way";
  const std::string a = search(scoring, "room>0").out;
  const std::string b = search(quiet, "room>0").out;
  EXPECT_EQ(a, b);
}

}  // namespace
