// Whole games on the shipped world, replayed from the steps files that the
// autopilot writes from the routes beside them (tests/sim/data/*.route; each
// says how to remake its recording after a change of the world): one won, one
// lost.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>

#include "data/shipped_data.h"
#include "sim_fixture.h"
#include "support/steps_reader.h"

namespace {

const std::filesystem::path kRecordings = data_test::kRoot / "tests" / "sim" / "data";

std::string describe(const sim::GameState& s) {
  char text[200];
  std::snprintf(text, sizeof text, "room %d x %d y %d state %d energy %d lives %d score %d inv %d %d %d",
                s.room, s.x, s.y, s.state, s.energy, s.lives, s.score, s.carried[0], s.carried[1], s.carried[2]);
  return text;
}

// What a replay met on its way, beyond the state it ends in.
struct Seen {
  std::set<int> heroStates;
  std::set<int> rooms;
  bool template_ = false;
  bool balls = false;
  bool ride = false;  // carried by a boarding lift
  int mostInstructions = 0;  // script instructions in the busiest step
};

struct Replay {
  std::unique_ptr<sim::Simulation> simulation;
  std::size_t unused = 0;  // steps recorded after the game ended
  Seen seen;
};

// A new game as the game application starts one, then every recorded step
// until the game ends or the simulation stops.
std::unique_ptr<Replay> replay(const std::string& name) {
  const auto inputs = testsupport::readSteps(kRecordings / name);
  EXPECT_FALSE(inputs.empty()) << name;
  auto r = std::make_unique<Replay>();
  r->simulation = std::make_unique<sim::Simulation>(data_test::shipped().content, *data_test::shipped().program);
  sim::Simulation& sim = *r->simulation;
  sim.newGame();
  sim.state.armed = 0xEF;
  std::size_t used = 0;
  for (std::uint8_t input : inputs) {
    ++used;
    const sim::GameState before = sim.state;
    sim.beginStep(input);
    sim.endStep();
    sim.ops.clear();
    const sim::GameState& s = sim.state;
    r->seen.heroStates.insert(s.state);
    r->seen.rooms.insert(s.room);
    r->seen.template_ = r->seen.template_ || s.templateActive != 0;
    for (const auto& ball : s.pool2) r->seen.balls = r->seen.balls || ball.state != 0;
    for (std::size_t l = 0; l < s.lifts.size() && l < before.lifts.size(); ++l) {
      if (s.lifts[l].type == 0 && s.lifts[l].room != before.lifts[l].room && s.room == s.lifts[l].room) r->seen.ride = true;
    }
    r->seen.mostInstructions = std::max(r->seen.mostInstructions, sim::SimulationProbe::stepInstructions(sim));
    if (!sim.error.empty() || s.endCode != 0) break;
  }
  r->unused = inputs.size() - used;
  return r;
}

}  // namespace

// The recording follows the shipped rooms pixel by pixel: after a change of the
// world along its way it must be made again from its route file.
constexpr const char* kRemake =
    "\nif the shipped world changed, remake the recording with the autopilot as the route file "
    "tests/sim/data/win.route (or lose.route) says";

TEST(Playthrough, LosingAllLivesEndsTheGame) {
  ASSERT_TRUE(data_test::shipped().complete());
  auto r = replay("lose.steps");
  const sim::GameState& s = r->simulation->state;
  EXPECT_TRUE(r->simulation->error.empty()) << r->simulation->error;
  EXPECT_EQ(r->unused, 0u) << "the game ended before the recording did";
  EXPECT_EQ(s.endCode, 1u) << describe(s) << kRemake;
  EXPECT_EQ(s.lives, 0);
}

TEST(Playthrough, NewGameToTheWin) {
  ASSERT_TRUE(data_test::shipped().complete());
  auto r = replay("win.steps");
  const sim::GameState& s = r->simulation->state;
  EXPECT_TRUE(r->simulation->error.empty()) << r->simulation->error;
  EXPECT_LE(r->unused, 1u) << "the game ended before the recording did";  // the release of the last fire
  ASSERT_EQ(s.endCode, 2u) << describe(s) << kRemake;
  for (int win : data_test::shipped().world->winObjects) EXPECT_EQ(s.objects[static_cast<std::size_t>(win)].room, sim::kRoomGone);

  // What the mechanics leave behind on the way.
  const Seen& seen = r->seen;
  const auto& program = *data_test::shipped().program;
  EXPECT_TRUE(seen.template_) << "a conversation";
  EXPECT_EQ(s.entities[9].var, 1) << "the lift switch";
  EXPECT_TRUE(seen.ride) << "a ride on a boarding lift into another room";
  EXPECT_EQ(s.flags[14], 1) << "the room-29 lift came down";
  EXPECT_EQ(s.flags[17], 1) << "the mover went all the way";
  EXPECT_EQ(s.lifts[2].type, 2) << "the porter's script ran";
  EXPECT_EQ(s.chandelierSpeed, 16) << "the chandelier fell";
  EXPECT_EQ(s.flags[19], 1) << "the follower reached its den";
  EXPECT_EQ(s.actors[6].room, 66);
  EXPECT_EQ(s.flags[20], 1) << "the fire puzzle";
  EXPECT_EQ(s.flags[21], 1) << "the crown's bubbles";
  EXPECT_EQ(s.flags[1], 1) << "the moon altar took the chalice";
  EXPECT_EQ(s.flags[2], 1) << "the sun altar";
  EXPECT_TRUE(seen.balls) << "balls in the boulder run";
  EXPECT_TRUE(seen.heroStates.count(10) || seen.heroStates.count(11)) << "a bat swing";
  EXPECT_TRUE(seen.heroStates.count(12) || seen.heroStates.count(13)) << "a balloon ride";
  EXPECT_TRUE(seen.rooms.count(53)) << "the balloon landing";
  // The stop for a script that never waits must stay far out of reach of
  // every real one (the busiest step of this game runs about a dozen).
  EXPECT_GT(seen.mostInstructions, 0);
  EXPECT_LE(seen.mostInstructions * 100, sim::Simulation::kStepInstructionBudget)
      << "the busiest step ran " << seen.mostInstructions << " script instructions";
  EXPECT_GE(s.entities[81].pc, program.label("L_7480")) << "the portal";
  EXPECT_LE(s.entities[81].pc, program.label("L_7480") + 4);
  EXPECT_GE(s.sharedPc, program.label("L_7704")) << "the lever switched the shared thread";
  for (int o : {0, 40, 43, 44, 66}) EXPECT_EQ(s.objects[static_cast<std::size_t>(o)].seen, 1) << "object " << o;
}
