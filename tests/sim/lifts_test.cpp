#include <gtest/gtest.h>

#include "sim_fixture.h"

using namespace simtest;

namespace {

world::Lift lift(int room, int x, int y, int type, int startStop, int width, int top) {
  world::Lift l;
  l.room = room;
  l.x = x;
  l.y = y;
  l.type = type;
  l.startStop = startStop;
  l.wWords = 2;
  l.h = 16;
  l.raw10Word = width;
  l.raw10Byte = top;
  return l;
}

// Room 1 below room 0. One lift in room 1 at x 120 whose surface is its
// reference line (hero y = lift y - 24), with a lower stop at y 150 in room 1
// and an upper one at y 160 in room 0 (a stop is found by its y alone, so the
// upper stop must lie below every y the lift passes in the lower room). Entity 9 is the lift switch.
void liftWorld(TestWorld& t, int switchOn = 1) {
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 20; ++c) t.tile(r, 8, c, kEmpty);
  }
  t.exits(1, toRoom(0), world::Exit{}, world::Exit{}, world::Exit{});
  t.exits(0, world::Exit{}, toRoom(1), world::Exit{}, world::Exit{});
  t.world.lifts = {lift(1, 120, 150, 0, 0, 40, -24)};
  t.world.liftStops = {std::nullopt, std::make_pair(150, 1), std::make_pair(160, 0), std::nullopt};
  for (int i = 0; i < 10; ++i) t.world.entities.push_back(entity(200, 0, 0, ""));
  t.world.entities[9].state[5] = static_cast<std::uint8_t>(switchOn);
  t.world.newGameRoom = 1;
  t.world.newGameX = 120;
  t.world.newGameY = 126;
}

}  // namespace

TEST(Lifts, LandOnlyWithinTheLandingWidth) {
  for (int x : {90, 91, 149, 150}) {
    TestWorld t;
    liftWorld(t);
    t.world.newGameX = x;
    t.world.newGameY = 60;
    auto s = t.start();
    steps(*s, 60);
    const bool on = x >= 91 && x <= 149;
    EXPECT_EQ(s->state.y, on ? 126 : 176) << x;
    EXPECT_EQ(s->state.vy, 0) << x;
  }
}

TEST(Lifts, BoardingNeedsTheSwitchOneDirectionAndAStop) {
  {
    TestWorld t;
    liftWorld(t, 0);
    auto s = t.start();
    steps(*s, 2);
    steps(*s, 1, sim::kInputUp);
    EXPECT_EQ(s->state.lifts[0].y, 150);
    EXPECT_EQ(s->state.lifts[0].stop, 0);
  }
  TestWorld t;
  liftWorld(t);
  auto s = t.start();
  steps(*s, 2);
  ASSERT_EQ(s->state.y, 126);
  steps(*s, 1, sim::kInputUp | sim::kInputDown);
  EXPECT_EQ(s->state.lifts[0].y, 150);
  steps(*s, 80);
  steps(*s, 1, sim::kInputUp | sim::kInputFire);
  EXPECT_EQ(s->state.lifts[0].y, 150);
  steps(*s, 80);
  steps(*s, 1, sim::kInputDown);  // already at the lowest stop
  EXPECT_EQ(s->state.lifts[0].y, 150);
  EXPECT_EQ(s->state.lifts[0].stop, 0);
  s->state.x = 109;  // beyond the boarding span x - 4 .. x + 12
  steps(*s, 1, sim::kInputUp);
  EXPECT_EQ(s->state.lifts[0].y, 150);
  steps(*s, 80);
  s->state.x = 116;
  steps(*s, 1, sim::kInputUp);
  EXPECT_EQ(s->state.lifts[0].y, 149);
  EXPECT_EQ(s->state.y, 125);
  EXPECT_EQ(s->state.lifts[0].stop, 2);
  EXPECT_EQ(s->state.lifts[0].dir, 1);
}

TEST(Lifts, RideAcrossTheTopOfARoom) {
  TestWorld t;
  liftWorld(t);
  auto s = t.start();
  steps(*s, 2);
  steps(*s, 1, sim::kInputUp);
  int n = 0;
  while (s->state.room == 1 && n < 200) {
    EXPECT_EQ(s->state.lifts[0].y - s->state.y, 24);
    steps(*s, 1);
    ++n;
  }
  EXPECT_EQ(n, 86);  // from hero y 125 up to 40, then the crossing step
  ASSERT_EQ(s->state.room, 0);
  EXPECT_EQ(s->state.lifts[0].room, 0);
  // The crossing put both 136 pixels lower, and the step ran once more in the
  // new room.
  EXPECT_EQ(s->state.y, 175);
  EXPECT_EQ(s->state.lifts[0].y, 199);
  steps(*s, 1);
  EXPECT_EQ(s->state.y, 174);
  steps(*s, 100);
  EXPECT_EQ(s->state.lifts[0].y, 160);
  EXPECT_EQ(s->state.y, 136);
  // At the upper stop the way on up is closed, down leads back.
  steps(*s, 1, sim::kInputUp);
  EXPECT_EQ(s->state.lifts[0].y, 160);
  steps(*s, 80);
  steps(*s, 1, sim::kInputDown);
  EXPECT_EQ(s->state.lifts[0].y, 161);
  EXPECT_EQ(s->state.lifts[0].stop, 0);
}

TEST(Lifts, TheRoom29LiftTravelsAloneAndStartsTheMover) {
  TestWorld t(31);
  t.exits(29, toRoom(30), world::Exit{}, world::Exit{}, world::Exit{});
  t.world.lifts = {lift(5, 0, 0, 0, 0, 0, 0), lift(5, 0, 0, 0, 0, 0, 0), lift(29, 100, 150, 0, 30, 48, -24)};
  t.world.liftStops.assign(19, std::nullopt);
  t.world.liftStops[16] = std::make_pair(150, 29);
  t.world.liftStops[17] = std::make_pair(120, 30);
  t.world.newGameRoom = 29;
  t.world.newGameX = 250;
  auto s = t.start();
  steps(*s, 5);
  EXPECT_EQ(s->state.lifts[2].y, 150);  // resting at its stop
  sim::LiftState& l = s->state.lifts[2];
  l.stop = 32;
  l.dir = 1;
  steps(*s, 125);  // up to the wrap line 40 - 16
  EXPECT_EQ(l.y, 25);
  EXPECT_EQ(l.room, 29);
  steps(*s, 1);  // reaching it, the lift reappears below the next room
  EXPECT_EQ(l.y, 200);
  EXPECT_EQ(l.room, 30);
  steps(*s, 79);
  EXPECT_EQ(l.y, 121);
  EXPECT_EQ(s->state.flags[13], 0);
  steps(*s, 1);
  EXPECT_EQ(l.y, 120);
  EXPECT_EQ(s->state.flags[13], 1);
  steps(*s, 3);
  EXPECT_EQ(l.y, 120);

  l.stop = 30;
  l.dir = 0;
  steps(*s, 79);
  EXPECT_EQ(l.y, 199);
  steps(*s, 1);
  EXPECT_EQ(l.y, 24);
  EXPECT_EQ(l.room, 29);
  steps(*s, 125);
  EXPECT_EQ(l.y, 149);
  EXPECT_EQ(s->state.moverFrame, 255);
  steps(*s, 1);
  EXPECT_EQ(l.y, 150);
  EXPECT_EQ(s->state.flags[14], 1);
  EXPECT_EQ(l.type, 1);
  // The mover starts beside the lift and has already taken its first pixel.
  EXPECT_EQ(s->state.moverX, 125);
  EXPECT_EQ(s->state.moverY, 130);
  EXPECT_EQ(s->state.moverFrame, 0);
}

TEST(Lifts, ChandelierFallsOnceObject66WasSeen) {
  TestWorld t;
  t.world.lifts = {lift(0, 100, 0, 3, 0, 48, -8)};
  t.world.liftStops = {std::nullopt};
  for (int i = 0; i < 67; ++i) {
    world::Object o;
    o.room = 2;
    t.world.objects.push_back(o);
  }
  t.world.newGameX = 250;
  auto s = t.start();
  steps(*s, 5);
  EXPECT_EQ(s->state.lifts[0].y, 0);
  s->state.objects[66].seen = 1;
  std::vector<int> falls;
  for (int i = 0; i < 20; ++i) {
    const int y = s->state.lifts[0].y;
    steps(*s, 1);
    falls.push_back(s->state.lifts[0].y - y);
  }
  EXPECT_EQ(falls, (std::vector<int>{0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 4}));
  steps(*s, 50);
  EXPECT_EQ(s->state.lifts[0].y, 136);
  EXPECT_EQ(s->state.chandelierSpeed, 16);
}
