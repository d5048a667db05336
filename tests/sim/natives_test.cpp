#include <gtest/gtest.h>

#include "sim_fixture.h"

using namespace simtest;
using sim::Native;
using sim::PageOpKind;
using sim::SimulationProbe;

namespace {

std::unique_ptr<sim::Simulation> started(TestWorld& t) {
  auto s = t.start();
  stepOnce(*s);
  s->ops.clear();
  return s;
}

std::uint8_t call(sim::Simulation& s, Native id) { return SimulationProbe::native(s, id); }

std::string stopText(sim::Simulation& s, Native id) {
  try {
    call(s, id);
  } catch (const sim::Simulation::NotModelled& n) {
    return n.text();
  }
  return "";
}

}  // namespace

TEST(Natives, EnergyDrain) {
  TestWorld t;
  auto s = started(t);
  sim::GameState& g = s->state;
  g.energy = 1;
  g.flags[11] = 1;
  g.onGround = 1;
  EXPECT_EQ(call(*s, Native::TakeEnergy), 0);
  EXPECT_EQ(g.energy, 0);
  EXPECT_EQ(g.flags[11], 0);
  EXPECT_EQ(g.onGround, 0);
  g.flags[11] = 1;
  g.onGround = 1;
  EXPECT_EQ(call(*s, Native::TakeEnergy), 0);
  EXPECT_EQ(g.flags[11], 1);
  EXPECT_EQ(g.onGround, 0);

  g.energy = 10;
  g.frameCounter = 3;
  g.onGround = 1;
  EXPECT_EQ(call(*s, Native::TakeEnergyEvenSteps), 10);
  EXPECT_EQ(g.onGround, 0);
  g.frameCounter = 4;
  EXPECT_EQ(call(*s, Native::TakeEnergyEvenSteps), 9);

  g.onGround = 1;
  EXPECT_EQ(call(*s, Native::NoEnergy), 0);
  EXPECT_EQ(g.energy, 0);
  EXPECT_EQ(g.onGround, 0);
  EXPECT_EQ(call(*s, Native::NoLives), 0);
  EXPECT_EQ(g.lives, 0);
}

TEST(Natives, ThrowCurve) {
  TestWorld t;
  auto s = started(t);
  sim::GameState& g = s->state;
  EXPECT_EQ(call(*s, Native::ThrowStart), 0);
  EXPECT_EQ(g.throwX, 120);
  EXPECT_EQ(g.throwY, 147);
  EXPECT_EQ(g.throwVy, -18);
  EXPECT_EQ(call(*s, Native::ThrowFall), 0);
  EXPECT_EQ(g.throwVy, -17);
  EXPECT_EQ(g.throwY, 142);
  int calls = 1;
  int minY = g.throwY;
  while (call(*s, Native::ThrowFall) == 0 && calls < 200) {
    ++calls;
    minY = std::min<int>(minY, g.throwY);
  }
  ++calls;
  EXPECT_EQ(calls, 39);
  EXPECT_EQ(minY, 102);
  EXPECT_EQ(g.throwVy, 16);
  EXPECT_EQ(g.throwY, 150);
}

TEST(Natives, PlayerStatesAndPosition) {
  TestWorld t;
  auto s = started(t);
  sim::GameState& g = s->state;
  const int y = g.y;
  call(*s, Native::RideRight);
  EXPECT_EQ(g.state, 12);
  EXPECT_EQ(g.y, y - 8);
  call(*s, Native::RideLeft);
  EXPECT_EQ(g.state, 13);
  EXPECT_EQ(g.counter, 0);
  call(*s, Native::JumpLeft);
  EXPECT_EQ(g.state, 7);
  EXPECT_EQ(g.vy, -21);
  call(*s, Native::JumpRight);
  EXPECT_EQ(g.state, 8);
  EXPECT_EQ(call(*s, Native::StateMinus9), 255);
  call(*s, Native::Hurt);
  EXPECT_EQ(g.state, 9);
  EXPECT_EQ(g.counter, 20);
  call(*s, Native::SetX243);
  EXPECT_EQ(g.x, 243);
  EXPECT_EQ(call(*s, static_cast<Native>(23)), 0);
}

TEST(Natives, RideTileCheck) {
  TestWorld t;
  t.tile(0, 8, 6, kRide);
  t.tile(0, 8, 8, kRide);
  auto s = started(t);  // hero at x 100: probes at columns 6 and 8
  EXPECT_EQ(call(*s, Native::OnTile38C), 1);
  s->state.state = 9;
  EXPECT_EQ(call(*s, Native::OnTile38C), 0);
  s->state.state = 1;
  s->state.x = 102;  // the right probe moves onto column 8 still, the left onto 6
  EXPECT_EQ(call(*s, Native::OnTile38C), 1);
  s->state.x = 92;  // left probe on column 6, right probe on column 7 (a plain floor)
  EXPECT_EQ(call(*s, Native::OnTile38C), 0);
  t.world.rideTile = 907;
  s->state.x = 100;
  EXPECT_EQ(call(*s, Native::OnTile38C), 0);
}

TEST(Natives, BallsFlashAndRedraw) {
  TestWorld t;
  auto s = started(t);
  sim::GameState& g = s->state;
  g.pool2[0].state = 2;
  EXPECT_EQ(call(*s, Native::SpawnBall), 1);
  const sim::ActorState& b = g.pool2[1];
  EXPECT_EQ(b.x, 128);
  EXPECT_EQ(b.y, 64);
  EXPECT_EQ(b.frame, 20);
  EXPECT_EQ(b.state, 1);
  EXPECT_EQ(b.rangeA, 20);
  for (auto& slot : g.pool2) slot.state = 1;
  const sim::GameState before = g;
  EXPECT_EQ(call(*s, Native::SpawnBall), 0);
  EXPECT_TRUE(g == before);

  call(*s, Native::Flash);
  EXPECT_EQ(g.currentPalette[0], 63);
  EXPECT_EQ(g.currentPalette[47], 63);

  s->ops.clear();
  EXPECT_EQ(call(*s, Native::Redraw), 0);
  EXPECT_EQ(count(s->ops, PageOpKind::ResetCache), 2);
  EXPECT_EQ(count(s->ops, PageOpKind::Flip), 1);
}

TEST(Natives, Room29Lift) {
  TestWorld t;
  auto s = started(t);
  EXPECT_EQ(stopText(*s, Native::Lift29Up), "no room-29 lift");
  EXPECT_EQ(stopText(*s, Native::Lift29Type2), "no room-29 lift");
  t.world.lifts.resize(3);
  auto l = started(t);
  EXPECT_EQ(call(*l, Native::Lift29Type2), 2);
  EXPECT_EQ(l->state.lifts[2].type, 2);
  EXPECT_EQ(l->state.liftRedraw, 2);
  EXPECT_EQ(call(*l, Native::Lift29Down), 1);
  EXPECT_EQ(l->state.lifts[2].dir, 1);
  EXPECT_EQ(l->state.lifts[2].stop, 32);
  EXPECT_EQ(call(*l, Native::Lift29Up), 0);
  EXPECT_EQ(l->state.lifts[2].dir, 0);
  EXPECT_EQ(l->state.lifts[2].stop, 30);
}

TEST(Natives, ObjectsAtTheSpot) {
  TestWorld t;
  auto s = started(t);
  const auto place = [](int room, int x8, int y, int id) {
    sim::ObjectState o;
    o.room = static_cast<std::uint8_t>(room);
    o.x8 = static_cast<std::uint8_t>(x8);
    o.y = static_cast<std::uint8_t>(y);
    o.id = static_cast<std::uint8_t>(id);
    return o;
  };
  s->state.objects = {place(0, 3, 88, 1), place(0, 9, 88, 1), place(1, 5, 88, 42), place(0, 5, 89, 1)};
  EXPECT_EQ(call(*s, Native::ObjectsAtSpot), 0);
  s->state.objects.push_back(place(0, 8, 88, 7));
  EXPECT_EQ(call(*s, Native::ObjectsAtSpot), 1);
  s->state.objects.push_back(place(0, 4, 88, 42));
  EXPECT_EQ(call(*s, Native::ObjectsAtSpot), 2);
}

TEST(Natives, SharedThreadAndFlashToRoom61) {
  TestWorld small;
  small.world.scripts = {code("L_7704", {op("stop")}), code("L_7480", {op("stop")})};
  auto s = started(small);
  EXPECT_EQ(stopText(*s, Native::SharedThreadNext), "native shared_thread_next");
  EXPECT_EQ(stopText(*s, Native::FlashToRoom61), "native flash_to_room_61");

  TestWorld t(63);
  t.world.scripts = {code("L_7704", {op("stop")}), code("L_7480", {op("stop")})};
  for (int i = 0; i < 86; ++i) t.world.entities.push_back(entity(40, 0, 0, ""));
  auto g = started(t);
  g->state.entities[26].wait = 5;
  EXPECT_EQ(call(*g, Native::SharedThreadNext), 0);
  EXPECT_EQ(g->state.sharedPc, g->program.label("L_7704"));
  EXPECT_EQ(g->state.entities[26].wait, 0);

  EXPECT_EQ(call(*g, Native::FlashToRoom61), 0);
  EXPECT_EQ(g->state.room, 61);
  EXPECT_EQ(g->state.x, 36);
  EXPECT_EQ(g->state.y, 80);
  EXPECT_EQ(g->state.entities[85].pc, g->program.label("L_7480"));
  EXPECT_EQ(g->state.entities[81].pc, g->program.label("L_7480"));
  EXPECT_EQ(g->state.entities[80].pc, -1);
  EXPECT_EQ(g->state.currentPalette[3], 63);
  EXPECT_EQ(call(*g, Native::FlashToRoom61), 0);
  EXPECT_EQ(g->state.room, 62);
  EXPECT_EQ(g->state.x, 28);
  EXPECT_EQ(g->state.y, 40);

  // Without the labels the natives stop the simulation too.
  TestWorld nolabel(2);
  for (int i = 0; i < 86; ++i) nolabel.world.entities.push_back(entity(1, 0, 0, ""));
  auto n = started(nolabel);
  EXPECT_EQ(stopText(*n, Native::SharedThreadNext), "native shared_thread_next");
  EXPECT_EQ(stopText(*n, Native::FlashToRoom61), "native flash_to_room_61");
}
