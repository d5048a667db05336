#include <gtest/gtest.h>

#include "sim_fixture.h"

using namespace simtest;

namespace {

world::Actor actor(int room, int x, int y, int state, int rangeA, int rangeB, int dir, int graphic = 0) {
  world::Actor a;
  a.room = room;
  a.x = x;
  a.y = y;
  a.state = state;
  a.rangeA = rangeA;
  a.rangeB = rangeB;
  a.dir = dir;
  a.graphic = graphic;
  return a;
}

// One type at offset 0: a 40 x 40 box at the actor, two frames per direction
// changing every second step: 5, 6 going left and 7, 8 going right.
void addType(TestWorld& t) {
  world::ActorType type;
  type.offset = 0;
  type.box = {0, 0, 40, 40};
  type.animDivisor = 2;
  type.framesPerDir = 2;
  type.framesLeft = {5, 6};
  type.framesRight = {7, 8};
  t.world.actorTypes.push_back(type);
}

// A world with the three stacked ball rooms 25 (bottom), 26 and 27 (top), where
// the balls move, and the hero in `room`.
void ballWorld(TestWorld& t, int room, int x = 250) {
  t.world.ballRooms = {25, 26, 27};
  t.world.sharedThreadRooms = {25, 26, 27};
  for (int i = 0; i < 27; ++i) t.world.entities.push_back(entity(200, 0, 0, ""));
  t.world.newGameRoom = room;
  t.world.newGameX = x;
}

sim::ActorState ball(int x, int y, int state, int speed) {
  sim::ActorState b;
  b.x = static_cast<std::uint16_t>(x);
  b.y = static_cast<std::uint16_t>(y);
  b.state = static_cast<std::uint8_t>(state);
  b.rangeA = static_cast<std::uint16_t>(speed);
  return b;
}

}  // namespace

TEST(Patrol, TurnsTwiceInOneStepAtItsLeftEndOnly) {
  TestWorld t;
  addType(t);
  t.world.actors = {actor(0, 54, 140, 3, 50, 58, 0)};
  t.world.newGameX = 250;  // out of the box
  auto s = t.start();
  std::vector<int> xs;
  for (int i = 0; i < 12; ++i) {
    stepOnce(*s);
    xs.push_back(s->state.actors[0].x);
  }
  // The first step also runs the actors once on room entry.
  EXPECT_EQ(xs, (std::vector<int>{52, 51, 51, 52, 53, 54, 55, 56, 57, 58, 57, 56}));
}

TEST(Patrol, AnimatesPerDirectionAndDrainsTwiceWhenTurningLeft) {
  TestWorld t;
  addType(t);
  t.world.actors = {actor(0, 100, 140, 4, 90, 130, 0)};
  auto s = t.start();
  stepOnce(*s);
  std::vector<int> frames;
  for (int i = 0; i < 4; ++i) {
    stepOnce(*s);
    frames.push_back(s->state.actors[0].frame);
  }
  EXPECT_EQ(frames, (std::vector<int>{6, 5, 5, 6}));
  // Walk it to its left end, counting the energy taken on each step.
  s->state.actors[0].x = 93;
  s->state.energy = 40;
  for (int i = 0; i < 3; ++i) {
    const int energy = s->state.energy;
    const bool even = ((s->state.frameCounter + 1) & 1) == 0;
    const int x = s->state.actors[0].x;
    stepOnce(*s);
    const bool turned = x == 91;
    EXPECT_EQ(energy - s->state.energy, even ? (turned ? 2 : 1) : 0) << "step " << i;
  }
  EXPECT_EQ(s->state.actors[0].dir, 1);
  EXPECT_GE(s->state.actors[0].frame, 7);
}

TEST(Patrol, RoomsWithoutActorsStillRunTheMover) {
  TestWorld t;
  t.world.actors = {actor(1, 54, 140, 3, 50, 58, 0)};
  auto s = t.start();
  stepOnce(*s);
  s->state.moverFrame = 0;
  s->state.moverX = 250;
  steps(*s, 6);
  EXPECT_EQ(s->state.moverX, 256);
  EXPECT_EQ(s->state.moverFrame, 1);
  EXPECT_EQ(s->state.flags[16], 0);
  steps(*s, 1);
  EXPECT_EQ(s->state.flags[16], 1);
  steps(*s, 31);
  EXPECT_EQ(s->state.moverX, 288);
  EXPECT_EQ(s->state.flags[17], 0);
  steps(*s, 1);
  EXPECT_EQ(s->state.flags[17], 1);
  EXPECT_EQ(s->state.moverFrame, 255);
  steps(*s, 3);
  EXPECT_EQ(s->state.moverX, 289);
  EXPECT_EQ(s->state.actors[0].x, 54);  // another room's actor stays put
}

TEST(Patrol, UnknownActorStateStops) {
  TestWorld t;
  t.world.actors = {actor(0, 54, 140, 6, 50, 58, 0)};
  auto s = t.start();
  EXPECT_FALSE(stepOnce(*s));
  EXPECT_EQ(s->error, "actor state 6");
}

TEST(Follower, NeverHurtsAndChangesRoomsOnlyAtTheFixedPlaces) {
  TestWorld t(68);
  addType(t);
  t.world.followerObject = 0;
  world::Object o;
  o.room = 1;
  t.world.objects = {o};
  t.world.actors = {actor(67, 150, 136, 5, 0, 400, 1)};
  t.world.newGameRoom = 67;
  t.world.newGameX = 160;
  t.world.newGameY = 136;
  auto s = t.start();
  steps(*s, 2);
  const int energy = s->state.energy;
  int moved = 0;
  while (s->state.actors[0].room == 67 && moved < 100) {
    EXPECT_LT(s->state.actors[0].x, 176);
    steps(*s, 1);
    ++moved;
  }
  EXPECT_EQ(s->state.energy, energy);
  const sim::ActorState& a = s->state.actors[0];
  EXPECT_EQ(a.room, 50);
  EXPECT_EQ(a.x, 224);
  EXPECT_EQ(a.y, 76);
  EXPECT_EQ(a.rangeA, 192);
  EXPECT_EQ(a.rangeB, 256);

  // In room 50 it leaves on the left only.
  s->state.room = 50;
  s->state.actors[0].x = 2;
  s->state.actors[0].dir = 0;
  s->state.actors[0].rangeA = static_cast<std::uint16_t>(-50);
  s->state.enterPending = 1;
  steps(*s, 4);
  EXPECT_EQ(s->state.actors[0].room, 49);
  EXPECT_EQ(s->state.actors[0].x, 288);

  // In room 49 it passes x 91 and 93 at a wrong height without leaving.
  s->state.room = 49;
  s->state.actors[0].x = 95;
  s->state.actors[0].y = 100;
  s->state.actors[0].rangeA = 0;
  s->state.enterPending = 1;
  steps(*s, 10);
  EXPECT_EQ(s->state.actors[0].room, 49);
  s->state.actors[0].x = 94;
  s->state.actors[0].y = 96;
  s->state.actors[0].dir = 0;
  steps(*s, 3);
  EXPECT_EQ(s->state.actors[0].room, 66);
  EXPECT_EQ(s->state.actors[0].x, 84);
  EXPECT_EQ(s->state.actors[0].y, 160);

  // In room 66 it walks to its place and raises flag 19 on arrival.
  s->state.room = 66;
  s->state.enterPending = 1;
  steps(*s, 67);
  EXPECT_EQ(s->state.flags[19], 0);
  steps(*s, 2);
  EXPECT_EQ(s->state.actors[0].x, 152);
  EXPECT_EQ(s->state.actors[0].y, 136);
  EXPECT_EQ(s->state.flags[19], 1);
}

TEST(Follower, WalksToItsObjectThenPatrolsAroundIt) {
  TestWorld t(68);
  addType(t);
  t.world.followerObject = 0;
  world::Object o;
  o.room = 67;
  o.x = 80;
  o.y = 152;
  t.world.objects = {o};
  t.world.actors = {actor(67, 60, 136, 5, 0, 400, 1)};
  t.world.newGameRoom = 67;
  t.world.newGameX = 200;
  auto s = t.start();
  steps(*s, 12);
  EXPECT_EQ(s->state.actors[0].x, 72);
  EXPECT_EQ(s->state.actors[0].y, 144);
  EXPECT_EQ(s->state.followerX8, 10);
  EXPECT_EQ(s->state.followerY, 152);
  EXPECT_EQ(static_cast<std::int16_t>(s->state.actors[0].rangeA), 40);
  EXPECT_EQ(s->state.actors[0].rangeB, 104);
  steps(*s, 100);
  EXPECT_GE(s->state.actors[0].x, 40);
  EXPECT_LE(s->state.actors[0].x, 104);
}

TEST(Balls, FallAccelerateLandAndBounce) {
  TestWorld t(28);
  ballWorld(t, 27);
  auto s = t.start();
  stepOnce(*s);
  s->state.pool2[0] = ball(128, 0, 1, 0);
  std::vector<int> deltas;
  int lastY = 0;
  do {
    stepOnce(*s);
    deltas.push_back(s->state.pool2[0].y - lastY);
    lastY = s->state.pool2[0].y;
  } while (static_cast<std::int16_t>(s->state.pool2[0].rangeA) > 0 && deltas.size() < 100);
  // The floor of room 27 is tile row 8: the ball rests with its top at y 112.
  EXPECT_EQ(s->state.pool2[0].y, 112);
  const int speedAtLanding = static_cast<int>(deltas.size());  // one more per step from 0, capped at 20
  EXPECT_EQ(static_cast<std::int16_t>(s->state.pool2[0].rangeA), 3 - std::min(speedAtLanding, 20));
  for (std::size_t i = 1; i + 1 < deltas.size(); ++i) EXPECT_GE(deltas[i], deltas[i - 1]);
  const int x = s->state.pool2[0].x;
  stepOnce(*s);
  EXPECT_LT(s->state.pool2[0].y, 112);  // the bounce carries it up again
  EXPECT_EQ(s->state.pool2[0].x, x - 1);  // and it keeps rolling left
}

TEST(Balls, TurnAtWallsAndLeaveAtTheBottom) {
  TestWorld t(28);
  ballWorld(t, 26);
  t.tile(26, 7, 4, kSolid);  // a wall at x 64..79 just above the floor
  for (int c = 0; c < 20; ++c) t.tile(25, 8, c, kEmpty);  // room 25 has no floor
  auto s = t.start();
  stepOnce(*s);
  s->state.pool2[3] = ball(84, 272, 1, 0);  // resting on room 26's floor
  steps(*s, 4);
  EXPECT_EQ(s->state.pool2[3].x, 80);
  EXPECT_EQ(s->state.pool2[3].state, 1);
  steps(*s, 1);
  EXPECT_EQ(s->state.pool2[3].state, 2);
  steps(*s, 2);
  EXPECT_EQ(s->state.pool2[3].x, 82);
  s->state.pool2[3] = ball(84, 400, 2, 20);
  steps(*s, 30);
  EXPECT_EQ(s->state.pool2[3].state, 0);
}

TEST(Balls, TheBatSwingsInsteadOfLosingEnergy) {
  TestWorld t(28);
  ballWorld(t, 25, 100);
  t.world.batObject = 0;
  world::Object bat;
  bat.room = 2;
  t.world.objects = {bat};
  auto s = t.start();
  steps(*s, 2);
  const auto touching = [](int x) { return ball(x, 432, 1, 0); };

  // Without the bat a touching ball costs energy every second step.
  s->state.pool2[0] = touching(110);
  int energy = s->state.energy;
  steps(*s, 4);
  EXPECT_EQ(energy - s->state.energy, 2);

  s->state.objects[0].room = sim::kRoomCarried;
  s->state.carried = {0, -1, -1};
  s->state.pool2[0] = touching(110);
  energy = s->state.energy;
  stepOnce(*s);
  EXPECT_EQ(s->state.state, 10);  // facing right (standing state 1), ball on the right
  EXPECT_EQ(s->state.batted, 0);
  EXPECT_EQ(s->state.energy, energy);
  // During the swing the batted ball costs nothing, another one does.
  steps(*s, 4);
  EXPECT_EQ(s->state.energy, energy);
  s->state.pool2[1] = touching(104);
  steps(*s, 4);
  EXPECT_EQ(energy - s->state.energy, 2);
  s->state.pool2[1].state = 0;
  steps(*s, 12);
  EXPECT_EQ(s->state.pool2[0].state, 0);  // batted away at the end of the swing
  EXPECT_LT(s->state.state, 10);
}

TEST(Follower, TurnsAtSolidWallsWithoutItsObject) {
  TestWorld t;
  addType(t);
  t.world.followerObject = 0;
  world::Object o;
  o.room = 2;
  t.world.objects = {o};
  t.tile(0, 6, 4, kSolid);   // x 64..79 at the actor's height
  t.tile(0, 6, 10, kSolid);  // x 160..175
  t.world.actors = {actor(0, 120, 140, 5, -1000, 1000, 1)};
  t.world.newGameX = 250;
  auto s = t.start();
  int low = 1000, high = -1000;
  for (int i = 0; i < 300; ++i) {
    stepOnce(*s);
    low = std::min(low, static_cast<int>(s->state.actors[0].x));
    high = std::max(high, static_cast<int>(s->state.actors[0].x));
  }
  EXPECT_EQ(high, 136);  // turns when x + 24 meets the wall
  EXPECT_EQ(low, 80);    // turns when x - 1 meets the wall
  EXPECT_EQ(s->state.energy, 46);
}
