#include <gtest/gtest.h>

#include "sim_fixture.h"

using namespace simtest;
using sim::PageOpKind;

namespace {

std::unique_ptr<sim::Simulation> standingAt(TestWorld& t, int x) {
  t.world.newGameX = x;
  auto s = t.start();
  steps(*s, 2);
  return s;
}

}  // namespace

TEST(RoomExits, WalkingOffTheRightEdge) {
  TestWorld t;
  t.exits(0, {}, {}, {}, toRoom(1));
  auto s = standingAt(t, 276);
  stepOnce(*s, sim::kInputRight);  // stand -> walk
  stepOnce(*s, sim::kInputRight);
  stepOnce(*s, sim::kInputRight);
  EXPECT_EQ(s->state.x, 280);
  EXPECT_EQ(s->state.room, 0);
  const int counter = s->state.frameCounter;
  s->ops.clear();
  ASSERT_TRUE(s->beginStep(sim::kInputRight));
  EXPECT_EQ(s->state.room, 1);
  EXPECT_EQ(s->state.x, 2);  // placed at 0, then the second step walked on
  EXPECT_EQ(s->state.frameCounter, counter + 2);
  ASSERT_FALSE(s->ops.empty());
  // The step in the old room ends before its scripts: no flip before the entry.
  EXPECT_EQ(s->ops[0].kind, PageOpKind::Energy);
  EXPECT_EQ(s->ops[1].kind, PageOpKind::ResetCache);
  EXPECT_EQ(s->ops[1].a, 1);
  ASSERT_TRUE(s->endStep());
  EXPECT_EQ(s->state.checkpointRoom, 1);
  EXPECT_EQ(s->state.checkpointX, 2);
  EXPECT_EQ(s->state.checkpointArmed, 0);
}

TEST(RoomExits, EdgesWithoutExitsHoldTheHero) {
  TestWorld t;
  auto s = standingAt(t, 276);
  steps(*s, 10, sim::kInputRight);
  EXPECT_EQ(s->state.x, 280);
  EXPECT_EQ(s->state.room, 0);
  steps(*s, 200, sim::kInputLeft);
  EXPECT_EQ(s->state.x, 0);
  EXPECT_EQ(s->state.room, 0);
}

TEST(RoomExits, LeftEdgeAndEntryOnTheGroundDisarmsTheDirection) {
  TestWorld t;
  t.exits(0, {}, {}, toRoom(2), {});
  auto s = standingAt(t, 2);
  stepOnce(*s, sim::kInputLeft);
  stepOnce(*s, sim::kInputLeft);
  EXPECT_EQ(s->state.x, 0);
  stepOnce(*s, sim::kInputLeft);
  EXPECT_EQ(s->state.room, 2);
  EXPECT_EQ(s->state.x, 278);

  // A respawn on the ground at x 0 clears the left bit from armed.
  TestWorld r;
  auto p = standingAt(r, 0);
  p->state.armed = 255;
  sim::SimulationProbe::enterRoom(*p);
  EXPECT_EQ(p->state.armed, 255 - 4);
}

TEST(RoomExits, FallingAndJumpingThroughVerticalExits) {
  TestWorld t;
  for (int c = 0; c < 20; ++c) t.tile(0, 8, c, kEmpty);
  t.exits(0, {}, toRoom(1), {}, {});
  auto s = standingAt(t, 100);
  int n = 0;
  while (s->state.room == 0 && n < 200) {
    stepOnce(*s);
    ++n;
  }
  EXPECT_EQ(s->state.room, 1);
  EXPECT_GE(s->state.y, 40);
  EXPECT_LT(s->state.y, 48);

  TestWorld u;
  u.exits(0, toRoom(2), {}, {}, {});
  u.world.newGameY = 46;
  for (int c = 0; c < 20; ++c) u.tile(0, 1, c, kFloor);  // floor at y 56
  auto j = u.start();
  steps(*j, 3);
  EXPECT_EQ(j->state.y, 40);  // the feet probe found the floor: y snaps to a multiple of 8
  stepOnce(*j, sim::kInputUp);
  stepOnce(*j);  // rises 5 pixels: y 27 is above the play area
  EXPECT_EQ(j->state.room, 2);
}

TEST(RoomExits, DoorsResolveOnEntry) {
  TestWorld t;
  t.world.doors = {world::Door{2, 40, -1}};
  t.world.doorTuneRooms = {2};
  t.exits(0, {}, {}, {}, toDoor(0));
  world::Exit door = toDoor(0);
  auto s = standingAt(t, 276);
  EXPECT_EQ(sim::SimulationProbe::neighbour(*s, door), 128);
  EXPECT_EQ(sim::SimulationProbe::neighbour(*s, world::Exit{}), 255);
  EXPECT_EQ(sim::SimulationProbe::neighbour(*s, toRoom(300)), 300 & 255);
  s->state.tune = 0;
  steps(*s, 4, sim::kInputRight);
  EXPECT_EQ(s->state.room, 2);
  EXPECT_EQ(s->state.x, 42);
  EXPECT_EQ(s->state.y, 144);
  EXPECT_EQ(s->state.tune, 7);
}

TEST(RoomExits, UnknownDoorsAndRoomsStopTheSimulation) {
  TestWorld t;
  t.exits(0, {}, {}, {}, toDoor(5));
  auto s = standingAt(t, 278);
  steps(*s, 3, sim::kInputRight);
  EXPECT_EQ(s->error, "door 5");
  EXPECT_FALSE(s->beginStep(0));
  EXPECT_FALSE(s->endStep());

  TestWorld r;
  r.exits(0, {}, {}, {}, toRoom(9));
  auto q = standingAt(r, 278);
  steps(*q, 3, sim::kInputRight);
  EXPECT_EQ(q->error, "room 9");
  EXPECT_EQ(q->state.room, 9);
}

TEST(LifeAndDeath, DyingOnlyStartsOnTheGround) {
  TestWorld t;
  t.world.newGameY = 60;
  auto s = t.start();
  stepOnce(*s);
  s->state.energy = 0;
  int n = 0;
  while (s->state.state != 22 && n < 100) {
    EXPECT_EQ(s->state.onGround, 0);
    stepOnce(*s);
    ++n;
  }
  EXPECT_EQ(s->state.state, 22);
  EXPECT_EQ(s->state.y, 144);
}

TEST(LifeAndDeath, CountdownRespawnAtTheCheckpoint) {
  TestWorld t;
  auto s = standingAt(t, 100);
  s->state.fadeEnabled = 0;  // no fade: every step counts down
  s->state.checkpointX = 60;
  s->state.checkpointArmed = 0;
  s->state.energy = 0;
  stepOnce(*s);
  EXPECT_EQ(s->state.state, 22);
  EXPECT_EQ(s->state.counter, 0);
  for (int i = 1; i <= 40; ++i) stepOnce(*s);
  EXPECT_EQ(s->state.frame, 35 + 9);
  EXPECT_EQ(s->state.dying, 0);
  ASSERT_TRUE(s->beginStep(0));
  EXPECT_EQ(s->state.frame, 45);
  EXPECT_EQ(s->state.dying, 1);
  EXPECT_EQ(s->state.countdown, 12);
  ASSERT_TRUE(s->endStep());
  EXPECT_EQ(s->state.countdown, 11);
  for (int i = 0; i < 10; ++i) stepOnce(*s);
  EXPECT_EQ(s->state.countdown, 1);
  EXPECT_NE(s->state.targetPalette[0], 0);
  stepOnce(*s);
  EXPECT_EQ(s->state.countdown, 0);
  EXPECT_EQ(s->state.targetPalette, (std::array<std::uint8_t, 48>{}));
  EXPECT_EQ(s->state.lives, 3);
  stepOnce(*s);
  EXPECT_EQ(s->state.lives, 2);
  EXPECT_EQ(s->state.x, 60);
  EXPECT_EQ(s->state.respawnPending, 1);
  EXPECT_EQ(s->state.enterPending, 1);
  EXPECT_EQ(s->state.endCode, 0u);
  s->ops.clear();
  ASSERT_TRUE(s->beginStep(0));
  EXPECT_EQ(s->ops[0].kind, PageOpKind::ResetCache);
  EXPECT_EQ(s->state.energy, 46);
  EXPECT_EQ(s->state.state, 1);
  EXPECT_EQ(s->state.dying, 0);
  EXPECT_EQ(s->state.respawnPending, 0);
  EXPECT_EQ(s->state.targetPalette, t.content.palette);
}

TEST(LifeAndDeath, GameOverAndLivesWrap) {
  for (int lives : {1, 0}) {
    TestWorld t;
    auto s = standingAt(t, 100);
    s->state.fadeEnabled = 0;
    s->state.lives = static_cast<std::uint8_t>(lives);
    s->state.energy = 0;
    steps(*s, 1 + 40 + 1 + 12);
    if (lives == 1) {
      EXPECT_EQ(s->state.endCode, 1u);
      EXPECT_EQ(s->state.lives, 0);
      EXPECT_EQ(s->state.respawnPending, 0);
      // The game has ended; the simulation still steps if asked.
      EXPECT_TRUE(stepOnce(*s));
    } else {
      EXPECT_EQ(s->state.endCode, 0u);
      EXPECT_EQ(s->state.lives, 255);
      EXPECT_EQ(s->state.respawnPending, 1);
    }
  }
}

TEST(LifeAndDeath, FadeHoldsTheCountdown) {
  TestWorld t;
  auto s = standingAt(t, 100);
  s->state.energy = 0;
  steps(*s, 42);
  EXPECT_EQ(s->state.dying, 1);
  EXPECT_EQ(s->state.countdown, 11);
  // A fade in progress holds the countdown: 29 steps of fading toward the
  // room palette (largest byte 57), 11 counting steps, 29 steps of fading to
  // black, then the life is lost.
  s->state.currentPalette.fill(0);
  steps(*s, 29);
  EXPECT_EQ(s->state.countdown, 11);
  EXPECT_EQ(s->state.currentPalette, t.content.palette);
  steps(*s, 11);
  EXPECT_EQ(s->state.countdown, 0);
  steps(*s, 29);
  EXPECT_EQ(s->state.lives, 3);
  EXPECT_EQ(s->state.currentPalette, (std::array<std::uint8_t, 48>{}));
  steps(*s, 1);
  EXPECT_EQ(s->state.lives, 2);
}

TEST(GameEnd, WinningObjects) {
  TestWorld t;
  world::Object o;
  o.room = -1;
  world::Object p;
  p.room = 1;
  t.world.objects = {o, p};
  t.world.winObjects = {0, 1};
  auto s = standingAt(t, 100);
  EXPECT_EQ(s->state.endCode, 0u);
  s->state.objects[1].room = sim::kRoomGone;
  stepOnce(*s);
  EXPECT_EQ(s->state.endCode, 2u);

  TestWorld none;
  none.world.objects = {o};
  auto n = standingAt(none, 100);
  EXPECT_FALSE(sim::SimulationProbe::won(*n));
  none.world.winObjects = {0, 7};
  EXPECT_FALSE(sim::SimulationProbe::won(*n));
  none.world.winObjects = {0};
  EXPECT_TRUE(sim::SimulationProbe::won(*n));
}
