#include <gtest/gtest.h>

#include "sim_fixture.h"

// Second-reading checks of widths and wrap-arounds that the first tests left out.

using namespace simtest;
using sim::PageOpKind;
using sim::SimulationProbe;

namespace {

struct ScriptRun {
  TestWorld t;
  std::unique_ptr<sim::Simulation> s;
  sim::EntityState e;

  explicit ScriptRun(std::vector<world::ScriptBlock> blocks) {
    t.world.scripts = std::move(blocks);
    for (int i = 0; i < 2; ++i) {
      world::Object o;
      o.id = i;
      o.room = 1;
      o.y = 100;
      o.graphic = 20 + i;
      t.world.objects.push_back(o);
    }
    s = t.start();
    stepOnce(*s);
    s->ops.clear();
  }

  int run(const std::string& label) { return SimulationProbe::run(*s, e, s->program.label(label)); }
  int at(const std::string& label) const { return s->program.label(label); }
};

}  // namespace

// Byte operands are one byte in the script area: a world file's -1 is 255 and
// 256 + n is n, for counts, comparisons and the place room alike.
TEST(ScriptByteOperands, OnlyTheLowByteCounts) {
  ScriptRun r({code("W", {op("wait", {-1})}), code("L", {op("loop", {511}), op("end")}),
               code("J", {op("jge", {-1, "Yes"}), op("stop")}), code("Yes", {op("end")}),
               code("Q", {op("setvar", {3}), op("jeqvar", {259, "Yes"}), op("stop")}),
               code("P", {op("place", {0, -2}), op("end")}), code("P2", {op("place", {1, 257}), op("end")})});
  auto& g = r.s->state;
  g.result = 9;
  r.run("W");
  EXPECT_EQ(r.e.wait, 9);  // 255: the count comes from R
  r.run("L");
  EXPECT_EQ(r.e.loopCount, 9);
  g.result = 200;
  EXPECT_EQ(r.run("J"), r.at("Yes") + 1);  // 255 >= 200
  EXPECT_EQ(r.run("Q"), r.at("Yes") + 1);  // 259 is 3

  // -2 is 254: the current room without a redraw.
  r.run("P");
  EXPECT_EQ(g.objects[0].room, g.room);
  EXPECT_TRUE(r.s->ops.empty());
  // 257 is room 1, with a redraw.
  r.run("P2");
  EXPECT_EQ(g.objects[1].room, 1);
  EXPECT_EQ(count(r.s->ops, PageOpKind::ResetCache), 2);
}

namespace {

std::unique_ptr<sim::Simulation> standingHero(TestWorld& t, int room = 0, int x = 100) {
  t.world.newGameRoom = room;
  t.world.newGameX = x;
  auto s = t.start();
  steps(*s, 2);
  return s;
}

std::vector<int> framesOver(sim::Simulation& s, int n, std::uint8_t input = 0) {
  std::vector<int> out;
  for (int i = 0; i < n; ++i) {
    stepOnce(s, input);
    s.ops.clear();
    out.push_back(s.state.frame);
  }
  return out;
}

}  // namespace

// The hurt state blinks on bit 2 (value 4) of its falling counter and drains
// one unit of energy on every step but the last.
TEST(PlayerStateTables, HurtBlinksEveryFourSteps) {
  TestWorld t;
  auto s = standingHero(t);
  s->state.state = 9;
  s->state.counter = 20;
  const auto frames = framesOver(*s, 19);
  EXPECT_EQ(frames, (std::vector<int>{38, 38, 38, 38, 26, 26, 26, 26, 38, 38, 38, 38, 26, 26, 26, 26, 38, 38, 38}));
  EXPECT_EQ(s->state.state, 9);
  EXPECT_EQ(s->state.energy, 46 - 19);
  stepOnce(*s);
  EXPECT_EQ(s->state.state, 0);
  EXPECT_EQ(s->state.energy, 46 - 19);
}

TEST(PlayerStateTables, WalkAndIdleFrames) {
  TestWorld t;
  auto s = standingHero(t, 0, 20);
  stepOnce(*s, sim::kInputRight);  // stand -> walk right
  std::vector<int> expected;
  for (int f = 8; f <= 15; ++f) expected.insert(expected.end(), 4, f);
  expected.push_back(8);  // the walk counter wraps after 31
  EXPECT_EQ(framesOver(*s, 33, sim::kInputRight), expected);

  // Idle animation 3 counts its frame down from the counter.
  auto i = standingHero(t);
  i->state.idleAnim = 6;
  i->state.counter = 25;
  std::vector<int> idle;
  idle.insert(idle.end(), 1, 30);
  idle.insert(idle.end(), 8, 31);
  idle.insert(idle.end(), 8, 32);
  idle.insert(idle.end(), 7, 33);
  EXPECT_EQ(framesOver(*i, 24), idle);
  stepOnce(*i);
  EXPECT_EQ(i->state.idleAnim, 0);
  EXPECT_EQ(i->state.counter, 25);
  EXPECT_EQ(i->state.frame, 26);

  // Animation 2 blinks on bit 3 of the counter; 4 and 5 hold one frame; 6 leaves it.
  const auto frameOf = [&](int anim, int counter) {
    i->state.state = 1;
    i->state.idleAnim = static_cast<std::uint16_t>(anim);
    i->state.counter = static_cast<std::uint8_t>(counter + 1);
    stepOnce(*i);
    return static_cast<int>(i->state.frame);
  };
  EXPECT_EQ(frameOf(4, 8), 30);
  EXPECT_EQ(frameOf(4, 7), 29);
  EXPECT_EQ(frameOf(8, 5), 33);
  EXPECT_EQ(frameOf(10, 5), 34);
  EXPECT_EQ(frameOf(12, 5), 26);
}

TEST(PlayerStateTables, RideRiseDismountAndRoomChange) {
  TestWorld t;
  auto s = standingHero(t);
  // Rising: the anchor climbs on odd step counts until it is 46 above the hero.
  s->state.state = 14;
  s->state.anchorY = 100;
  s->state.frameCounter = 0;
  steps(*s, 2);
  EXPECT_EQ(s->state.state, 14);
  EXPECT_EQ(s->state.anchorY, 99);
  EXPECT_EQ(s->state.frame, 50);
  steps(*s, 1);
  EXPECT_EQ(s->state.state, 16);
  EXPECT_EQ(s->state.vy, -15);

  // Dismounting to the right: stages 3 to 0, eight steps each (the first one
  // seven), then standing again.
  auto d = standingHero(t);
  d->state.state = 20;
  d->state.counter = 0;
  std::vector<int> stages;
  while (d->state.state == 20 && stages.size() < 100) {
    stepOnce(*d);
    d->ops.clear();
    stages.push_back(d->state.rideStage);
  }
  ASSERT_EQ(stages.size(), 32u);
  EXPECT_EQ(stages[0], 3);
  EXPECT_EQ(stages[7], 2);
  EXPECT_EQ(stages[23], 0);
  EXPECT_EQ(stages[30], 0);
  EXPECT_EQ(stages[31], 255);
  EXPECT_EQ(d->state.anchorX, d->state.x + 36);
  EXPECT_EQ(d->state.anchorY, d->state.y - 8);

  // Riding right off the edge of the room: the neighbour room is entered and
  // the ride goes on in the same step.
  TestWorld edge;
  edge.exits(0, {}, {}, {}, toRoom(1));
  auto r = standingHero(edge);
  r->state.state = 18;
  r->state.counter = 0;
  r->state.anchorX = 287;
  r->state.x = 250;
  stepOnce(*r);
  EXPECT_EQ(r->state.anchorX, 288);
  EXPECT_EQ(r->state.x, 251);
  stepOnce(*r);
  EXPECT_EQ(r->state.room, 1);
  EXPECT_EQ(r->state.x, 1);
  EXPECT_EQ(r->state.anchorX, 20);
  // Without a neighbour the room byte becomes 255, a door that does not exist.
  TestWorld closed;
  auto c = standingHero(closed);
  c->state.state = 18;
  c->state.anchorX = 288;
  EXPECT_FALSE(c->beginStep(0));
  EXPECT_EQ(c->error, "door 127");

  // In room 53 the ride sinks one pixel on odd steps and ends at y 104.
  TestWorld valley(54);
  auto v = standingHero(valley, 53);
  v->state.state = 18;
  v->state.anchorX = 100;
  v->state.anchorY = 50;
  v->state.y = 102;
  v->state.frameCounter = 0;
  steps(*v, 2);
  EXPECT_EQ(v->state.y, 103);
  EXPECT_EQ(v->state.anchorY, 52);
  EXPECT_EQ(v->state.state, 18);
  steps(*v, 1);
  EXPECT_EQ(v->state.state, 20);
  EXPECT_EQ(v->state.y, 112);
  EXPECT_EQ(v->state.frame, 26);
  EXPECT_EQ(v->state.counter, 0);
}
