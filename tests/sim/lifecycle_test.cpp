#include <gtest/gtest.h>

#include "sim_fixture.h"

using namespace simtest;
using sim::PageOpKind;

TEST(GameStateValue, DefaultsAndIndependentCopies) {
  sim::GameState s;
  EXPECT_EQ(s.armed, 255);
  EXPECT_EQ(s.carried, (std::array<std::int32_t, 3>{-1, -1, -1}));
  EXPECT_EQ(s.entityRoom, -1);
  EXPECT_EQ(s.fadeEnabled, 1);
  EXPECT_EQ(s.batted, -1);
  EXPECT_EQ(s.sharedPc, -1);
  EXPECT_EQ(s.moverFrame, 255);
  EXPECT_EQ(s.currentLift, -1);
  EXPECT_EQ(s.room, 0);
  EXPECT_EQ(s.endCode, 0u);
  EXPECT_TRUE(s.objects.empty());

  s.objects.resize(2);
  s.entities.resize(1);
  s.actors.resize(1);
  s.lifts.resize(1);
  sim::GameState copy = s;
  EXPECT_TRUE(copy == s);
  copy.objects[1].room = 9;
  copy.entities[0].pc = 4;
  copy.actors[0].x = 3;
  copy.lifts[0].top = -2;
  EXPECT_EQ(s.objects[1].room, 0);
  EXPECT_EQ(s.entities[0].pc, -1);
  EXPECT_EQ(s.actors[0].x, 0);
  EXPECT_EQ(s.lifts[0].top, 0);
  EXPECT_FALSE(copy == s);
}

TEST(GameStateValue, LiftRecordBytes) {
  sim::LiftState l;
  l.x = -2;
  l.y = 0x1234;
  l.type = 3;
  l.stop = 4;
  l.dir = 1;
  l.room = 29;
  l.wWords = 5;
  l.h = 6;
  l.width = 0xABCD;
  l.top = -8;
  const sim::LiftBytes b = sim::packLift(l);
  EXPECT_EQ(b, (sim::LiftBytes{0xFE, 0xFF, 0x34, 0x12, 3, 4, 1, 29, 5, 6, 0xCD, 0xAB, 0xF8}));
  EXPECT_TRUE(sim::unpackLift(b) == l);
}

TEST(SimulationSetup, DerivedTablesAndNewGame) {
  TestWorld t(2);
  t.tile(1, 9, 19, 77);
  world::ActorType a;
  a.offset = 2;
  a.box = {1, 2, 3, 256 + 4};
  a.animDivisor = 5;
  a.framesPerDir = 2;
  a.framesLeft = {10, 11};
  a.framesRight = {12, 13};
  world::ActorType b = a;
  b.offset = 4;  // a smaller offset cuts the table
  b.framesLeft = {20};
  b.framesRight = {};
  t.world.actorTypes = {a, b};
  t.world.actorTypesTail = {99};
  t.world.liftStops = {world::LiftStop{{100, 29}}, std::nullopt, world::LiftStop{{300, 30}}};
  world::Object o1;
  o1.id = 300;
  o1.room = -1;
  o1.x = -9;
  o1.y = 88;
  o1.graphic = 7;
  world::Object o2 = o1;
  o2.room = 1;
  o2.x = 36;
  t.world.objects = {o1, o2};
  world::Actor actor;
  actor.room = 1;
  actor.x = 50;
  actor.b6 = 3;
  actor.rangeA = -4;
  t.world.actors = {actor};
  world::Lift lift;
  lift.room = 1;
  lift.x = -3;
  lift.y = 120;
  lift.b6 = 1;
  lift.raw10Word = 40;
  lift.raw10Byte = -8;
  lift.startStop = 2;
  t.world.lifts = {lift};
  world::Entity e = entity(1, 16, 24, "S", "G");
  e.state = {4, 9, 6, 9, 9, 2};
  t.world.entities = {e};
  t.world.scripts = {code("S", {op("end")}), gfx("G", 1, 1, {kPlain}), code("L_76D8", {op("stop")})};

  auto s = t.start();
  ASSERT_TRUE(s);
  ASSERT_EQ(s->roomTiles.size(), 400u);
  EXPECT_EQ(s->roomTiles[200 + 9 * 20 + 19], 77);
  EXPECT_EQ(s->roomTiles[8 * 20 + 3], kFloor);
  EXPECT_EQ(s->typeBytes, (std::vector<std::uint8_t>{0, 0, 1, 2, 1, 2, 3, 4, 5, 2, 20, 99}));
  EXPECT_EQ(s->stopBytes, (std::vector<std::uint8_t>{100, 29, 255, 255, 44, 30}));

  const sim::GameState& g = s->state;
  EXPECT_EQ(g.room, 0);
  EXPECT_EQ(g.x, 100);
  EXPECT_EQ(g.y, 144);
  EXPECT_EQ(g.lives, 3);
  EXPECT_EQ(g.checkpointX, 100);
  EXPECT_EQ(g.checkpointY, 144);
  EXPECT_EQ(g.rng, (std::array<std::uint8_t, 3>{0x44, 0x61, 0x53}));
  EXPECT_EQ(g.rideStage, 255);
  EXPECT_EQ(g.tune, 7);
  EXPECT_EQ(g.frame, 26);
  EXPECT_EQ(g.energy, 46);
  EXPECT_EQ(g.enterPending, 1);
  ASSERT_EQ(g.objects.size(), 2u);
  EXPECT_EQ(g.objects[0].room, 255);
  EXPECT_EQ(g.objects[0].x8, static_cast<std::uint8_t>(-1));
  EXPECT_EQ(g.objects[0].id, 300 & 0xFF);
  EXPECT_EQ(g.objects[1].room, 1);
  EXPECT_EQ(g.objects[1].x8, 4);
  ASSERT_EQ(g.entities.size(), 1u);
  EXPECT_EQ(g.entities[0].pc, 0);
  EXPECT_EQ(g.entities[0].graphic, 0);
  EXPECT_EQ(g.entities[0].wait, 4);
  EXPECT_EQ(g.entities[0].loopCount, 6);
  EXPECT_EQ(g.entities[0].var, 2);
  EXPECT_EQ(g.entities[0].loopStart, -1);
  ASSERT_EQ(g.actors.size(), 1u);
  EXPECT_EQ(g.actors[0].anim, 3);
  EXPECT_EQ(g.actors[0].rangeA, 0xFFFC);
  ASSERT_EQ(g.lifts.size(), 1u);
  EXPECT_EQ(g.lifts[0].x, -3);
  EXPECT_EQ(g.lifts[0].dir, 1);
  EXPECT_EQ(g.lifts[0].stop, 2);
  EXPECT_EQ(g.lifts[0].width, 40);
  EXPECT_EQ(g.lifts[0].top, -8);
  EXPECT_EQ(g.sharedPc, 2);
}

TEST(SimulationSetup, RandomGeneratorAndFade) {
  TestWorld t;
  auto s = t.start();
  EXPECT_EQ(sim::SimulationProbe::rng(*s), 0xF0);
  EXPECT_EQ(sim::SimulationProbe::rng(*s), 0xBD);
  EXPECT_EQ(sim::SimulationProbe::rng(*s), 0x5C);

  s->state.currentPalette.fill(0);
  s->state.targetPalette.fill(63);
  s->state.targetPalette[5] = 1;
  int frames = 0;
  while (sim::SimulationProbe::fadeOneFrame(*s)) ++frames;
  EXPECT_EQ(frames, 32);
  EXPECT_EQ(s->state.currentPalette[0], 63);
  EXPECT_EQ(s->state.currentPalette[5], 1);
  s->state.targetPalette.fill(0);
  s->state.fadeEnabled = 2;
  EXPECT_FALSE(sim::SimulationProbe::fadeOneFrame(*s));
  EXPECT_EQ(s->state.currentPalette[0], 63);
}

TEST(SimulationStep, FirstStepEntersTheRoomThenSteps) {
  TestWorld t;
  auto s = t.start();
  ASSERT_TRUE(s->beginStep(0));
  using K = PageOpKind;
  EXPECT_EQ(kinds(s->ops), (std::vector<K>{K::ResetCache, K::Objects, K::Panel, K::Flip, K::ResetCache, K::Objects,
                                           K::Panel, K::Energy, K::Flip}));
  EXPECT_EQ(s->ops[0].a, 0);
  EXPECT_EQ(s->ops[2].b, 3);
  EXPECT_EQ(s->ops[2].c, 46);
  EXPECT_EQ(s->ops[2].items, (std::vector<sim::PageItem>{{-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}}));
  EXPECT_EQ(s->ops[7].c, 46);
  EXPECT_EQ(s->state.enterPending, 0);
  EXPECT_EQ(s->state.entityRoom, 0);
  EXPECT_EQ(s->state.checkpointArmed, 1);
  EXPECT_EQ(s->state.frameCounter, 1);
  EXPECT_EQ(s->state.state, 1);
  EXPECT_EQ(s->state.page, 0);  // three flips
  EXPECT_TRUE(s->alive);
  EXPECT_EQ(s->state.targetPalette, t.content.palette);
  // The cache of both pages shows the room.
  EXPECT_EQ(s->state.pageCache[0][16][5], kFloor);
  EXPECT_EQ(s->state.pageCache[1][17][39], kFloor);
  EXPECT_EQ(s->state.pageCache[1][15][0], kEmpty);
  s->ops.clear();
  ASSERT_TRUE(s->endStep());
  EXPECT_TRUE(s->ops.empty());
  // The fade toward the room palette moves two steps per step.
  EXPECT_EQ(s->state.currentPalette[0], 2);
  // Standing: the checkpoint is taken on the first step on the ground.
  EXPECT_EQ(s->state.checkpointArmed, 1);
  stepOnce(*s);
  EXPECT_EQ(s->state.onGround, 1);
  EXPECT_EQ(s->state.checkpointArmed, 0);
}

TEST(SimulationStep, InputArmingAndScoreRedraw) {
  TestWorld t;
  auto s = t.start();
  stepOnce(*s, sim::kInputFire);
  EXPECT_EQ(s->state.pressed, 16);
  EXPECT_EQ(s->state.armed, 255 - 16);  // the fire action disarmed it
  stepOnce(*s, 16);                      // held: no longer pressed
  EXPECT_EQ(s->state.pressed, 0);
  EXPECT_EQ(s->state.armed, 255 - 16);
  stepOnce(*s, 0);
  stepOnce(*s, 16);
  EXPECT_EQ(s->state.pressed, 16);
  s->ops.clear();
  s->state.scoreRedraw = 2;
  s->state.score = 9;
  stepOnce(*s);
  ASSERT_GE(s->ops.size(), 2u);
  EXPECT_EQ(s->ops[1].kind, PageOpKind::Score);
  EXPECT_EQ(s->ops[1].d, 9);
  EXPECT_EQ(s->state.scoreRedraw, 1);
  // With energy 0 the input is not read at all.
  s->state.energy = 0;
  s->state.pressed = 0;
  s->state.armed = 0x0F;
  stepOnce(*s, 31);
  EXPECT_FALSE(s->alive);
  EXPECT_EQ(s->state.pressed, 0);
  EXPECT_EQ(s->state.armed, 0x0F);
}
