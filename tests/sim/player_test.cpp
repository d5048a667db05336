#include <gtest/gtest.h>

#include "sim_fixture.h"

using namespace simtest;
using sim::SimulationProbe;

namespace {

// A started game with the hero standing at (x, 144) in room 0.
std::unique_ptr<sim::Simulation> standing(TestWorld& t, int x = 100) {
  t.world.newGameX = x;
  auto s = t.start();
  steps(*s, 2);
  EXPECT_EQ(s->state.state, 1);
  EXPECT_EQ(s->state.onGround, 1);
  return s;
}

std::vector<int> yDeltas(sim::Simulation& s, int n, std::uint8_t input = 0) {
  std::vector<int> out;
  for (int i = 0; i < n; ++i) {
    const int y = s.state.y;
    stepOnce(s, input);
    s.ops.clear();
    out.push_back(s.state.y - y);
  }
  return out;
}

}  // namespace

TEST(PlayerVertical, FallFromRestAndLanding) {
  TestWorld t;
  t.world.newGameY = 40;
  auto s = t.start();
  stepOnce(*s);  // reset state: no movement yet
  EXPECT_EQ(s->state.y, 40);
  const auto d = yDeltas(*s, 17);
  EXPECT_EQ(d, (std::vector<int>{0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4}));
  EXPECT_EQ(s->state.vy, 16);
  EXPECT_EQ(yDeltas(*s, 3), (std::vector<int>{4, 4, 4}));
  steps(*s, 13);
  EXPECT_EQ(s->state.y, 144);
  EXPECT_EQ(s->state.vy, 0);
  EXPECT_EQ(s->state.onGround, 1);
  EXPECT_EQ(s->state.state, 1);
}

TEST(PlayerVertical, JumpCurveAndHeadBump) {
  TestWorld t;
  auto s = standing(t);
  stepOnce(*s, sim::kInputUp);
  EXPECT_EQ(s->state.state, 6);
  EXPECT_EQ(s->state.vy, -21);
  EXPECT_EQ(s->state.y, 144);  // a jump from standing moves from the next step on
  const auto up = yDeltas(*s, 18);
  EXPECT_EQ(up, (std::vector<int>{-5, -5, -4, -4, -4, -4, -3, -3, -3, -3, -2, -2, -2, -2, -1, -1, -1, -1}));
  EXPECT_EQ(s->state.y, 94);
  int n = 0;
  while (s->state.state == 6 && n < 100) {
    stepOnce(*s);
    ++n;
  }
  EXPECT_EQ(n, 23);
  EXPECT_EQ(s->state.y, 144);
  EXPECT_EQ(s->state.state, 0);

  TestWorld bump;
  for (int c = 0; c < 20; ++c) bump.tile(0, 5, c, kSolid);  // ceiling at y 120..135
  auto b = standing(bump);
  stepOnce(*b, sim::kInputUp);
  stepOnce(*b);
  EXPECT_EQ(b->state.y, 139);
  stepOnce(*b);
  EXPECT_EQ(b->state.y, 136);  // snapped below the ceiling
  EXPECT_EQ(b->state.vy, -19);  // the upward speed is kept
  stepOnce(*b);
  EXPECT_EQ(b->state.y, 136);
  EXPECT_EQ(b->state.vy, -18);
}

TEST(PlayerVertical, CeilingRightAboveForbidsJumping) {
  TestWorld t;
  for (int c = 0; c < 20; ++c) t.tile(0, 5, c, kSolid);  // y 120..135
  auto s = standing(t);
  EXPECT_TRUE(SimulationProbe::canJump(*s));
  s->state.y = 136;  // the probes one pixel above the head reach the solid row
  EXPECT_FALSE(SimulationProbe::canJump(*s));
  stepOnce(*s, sim::kInputUp);
  EXPECT_EQ(s->state.state, 1);
}

TEST(PlayerVertical, SpecialFloorsAndBottomEdge) {
  TestWorld t;
  for (int c = 0; c < 20; ++c) t.tile(0, 8, c, kSink);
  auto s = t.start();
  steps(*s, 2);
  const auto d = yDeltas(*s, 6);
  // One pixel down on every odd step counter value, while counting as landed.
  int total = 0;
  for (int v : d) total += v;
  EXPECT_EQ(total, 3);
  EXPECT_EQ(s->state.onGround, 1);

  TestWorld snap;
  for (int c = 0; c < 20; ++c) snap.tile(0, 8, c, kSnap);
  auto p = snap.start();
  stepOnce(*p);
  p->state.y = 146;
  EXPECT_EQ(SimulationProbe::vertical(*p), 2);
  EXPECT_EQ(p->state.y, 144);
  for (int c = 0; c < 20; ++c) snap.world.rooms[0].tiles[8][c] = kEmpty;
  auto q = snap.start();
  stepOnce(*q);
  q->state.y = 175;
  q->state.vy = 16;
  EXPECT_EQ(SimulationProbe::vertical(*q), 2);
  EXPECT_EQ(q->state.y, 176);
  EXPECT_EQ(q->state.vy, 0);
}

TEST(PlayerHorizontal, WallsStopTheHero) {
  TestWorld t;
  t.tile(0, 6, 10, kSolid);
  t.tile(0, 7, 10, kSolid);
  t.tile(0, 6, 4, kSolid);
  t.tile(0, 7, 4, kSolid);
  auto s = standing(t);
  steps(*s, 40, sim::kInputRight);
  EXPECT_EQ(s->state.x, 130);
  steps(*s, 60, sim::kInputLeft);
  EXPECT_EQ(s->state.x, 70);
}

TEST(PlayerHorizontal, OnePixelStepUp) {
  TestWorld t;
  t.tile(0, 7, 10, kLowStep);
  auto s = standing(t, 124);
  stepOnce(*s, sim::kInputRight);  // stand -> walk
  stepOnce(*s, sim::kInputRight);
  EXPECT_EQ(s->state.x, 126);
  stepOnce(*s, sim::kInputRight);
  EXPECT_EQ(s->state.x, 128);
  EXPECT_EQ(s->state.y, 144);
  stepOnce(*s, sim::kInputRight);
  EXPECT_EQ(s->state.x, 129);
  EXPECT_EQ(s->state.y, 143);
  steps(*s, 7, sim::kInputRight);
  EXPECT_EQ(s->state.y, 136);
  steps(*s, 3, sim::kInputRight);
  EXPECT_EQ(s->state.y, 136);
  EXPECT_EQ(s->state.onGround, 1);

  // In the air (or near the top) the same step is a wall.
  TestWorld air;
  air.tile(0, 7, 10, kLowStep);
  auto a = standing(air, 128);
  a->state.vy = 3;
  EXPECT_TRUE(SimulationProbe::stepX(*a, false));
  EXPECT_EQ(a->state.x, 130);
  EXPECT_EQ(a->state.y, 144);
}

TEST(PlayerHorizontal, SkidAfterReleasingTheDirection) {
  TestWorld t;
  auto s = standing(t);
  stepOnce(*s, sim::kInputLeft);
  stepOnce(*s, sim::kInputLeft);
  EXPECT_EQ(s->state.state, 2);
  stepOnce(*s, 0);
  EXPECT_EQ(s->state.state, 4);
  std::vector<int> frames;
  for (int i = 0; i < 12; ++i) {
    stepOnce(*s, 0);
    frames.push_back(s->state.frame);
  }
  EXPECT_EQ(frames, (std::vector<int>{19, 19, 19, 19, 19, 19, 19, 20, 20, 20, 20, 20}));
  EXPECT_EQ(s->state.state, 0);
  stepOnce(*s, 0);
  EXPECT_EQ(s->state.state, 1);
}

TEST(PlayerHorizontal, JumpFromWalkingMovesTwiceInItsFirstStep) {
  TestWorld t;
  auto s = standing(t);
  stepOnce(*s, sim::kInputRight);
  stepOnce(*s, sim::kInputRight);
  const int x = s->state.x;
  stepOnce(*s, sim::kInputRight | sim::kInputUp);
  EXPECT_EQ(s->state.state, 8);
  EXPECT_EQ(s->state.x, x + 4);
  EXPECT_EQ(s->state.y, 139);
  int n = 0;
  while (s->state.state == 8 && n < 100) {
    stepOnce(*s, sim::kInputRight);
    ++n;
  }
  EXPECT_EQ(s->state.state, 3);
  EXPECT_EQ(s->state.y, 144);
}

TEST(PlayerStates, BatSwingHurtAndUnknownState) {
  TestWorld t;
  auto s = standing(t);
  s->state.state = 10;
  s->state.counter = 0;
  s->state.batted = 3;
  s->state.pool2[3].state = 2;
  std::vector<int> frames;
  for (int i = 0; i < 18; ++i) {
    stepOnce(*s);
    frames.push_back(s->state.frame);
    if (i < 17) {
      EXPECT_EQ(s->state.state, 10);
    }
  }
  EXPECT_EQ(frames, (std::vector<int>{60, 60, 60, 60, 60, 60, 61, 61, 61, 61, 61, 61, 62, 62, 62, 62, 62, 62}));
  EXPECT_EQ(s->state.state, 2);
  EXPECT_EQ(s->state.pool2[3].state, 0);

  auto h = standing(t);
  h->state.state = 9;
  h->state.counter = 3;
  h->state.flags[11] = 1;
  stepOnce(*h);
  EXPECT_EQ(h->state.energy, 45);
  stepOnce(*h);
  EXPECT_EQ(h->state.energy, 44);
  stepOnce(*h);
  EXPECT_EQ(h->state.energy, 44);
  EXPECT_EQ(h->state.state, 0);
  EXPECT_EQ(h->state.flags[11], 0);

  auto u = standing(t);
  u->state.state = 23;
  EXPECT_FALSE(u->beginStep(0));
  EXPECT_EQ(u->error, "player state 23");
  EXPECT_FALSE(u->endStep());
  const sim::GameState frozen = u->state;
  EXPECT_FALSE(u->beginStep(0));
  EXPECT_TRUE(u->state == frozen);
}

TEST(PlayerStates, RideStartClimbAndDismountTimings) {
  TestWorld t;
  auto s = standing(t);
  s->state.state = 12;
  s->state.counter = 0;
  int n = 0;
  while (s->state.state == 12 && n < 100) {
    stepOnce(*s);
    ++n;
  }
  EXPECT_EQ(n, 32);
  EXPECT_EQ(s->state.state, 14);
  EXPECT_EQ(s->state.rideStage, 4);
  EXPECT_EQ(s->state.anchorX, s->state.x + 36);

  auto l = standing(t);
  l->state.state = 13;
  l->state.counter = 0;
  n = 0;
  while (l->state.state == 13 && n < 100) {
    stepOnce(*l);
    ++n;
  }
  EXPECT_EQ(n, 40);

  auto d = standing(t);
  d->state.state = 21;
  d->state.counter = 0;
  std::vector<int> stages;
  while (d->state.state == 21 && stages.size() < 100) {
    stepOnce(*d);
    stages.push_back(d->state.rideStage);
  }
  EXPECT_EQ(stages.size(), 32u);
  EXPECT_EQ(stages.front(), 5);
  EXPECT_EQ(stages[30], 8);
  EXPECT_EQ(stages.back(), 255);
}

TEST(PlayerStates, IdleResetsAfterAnAnimation) {
  TestWorld t;
  auto s = standing(t);
  s->state.idleAnim = 2;
  s->state.counter = 3;
  stepOnce(*s);
  EXPECT_EQ(s->state.frame, 28);
  stepOnce(*s);
  stepOnce(*s);
  EXPECT_EQ(s->state.idleAnim, 0);
  EXPECT_EQ(s->state.counter, 25);
  EXPECT_EQ(s->state.frame, 26);
}
