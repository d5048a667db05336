#include <gtest/gtest.h>

#include "sim_fixture.h"

using namespace simtest;
using sim::PageOpKind;
using sim::SimulationProbe;

namespace {

std::vector<sim::PageOp> drawTiles(const std::vector<sim::PageOp>& ops) {
  std::vector<sim::PageOp> out;
  for (const auto& o : ops) {
    if (o.kind == PageOpKind::DrawTile) out.push_back(o);
  }
  return out;
}

}  // namespace

TEST(TileCache, GraphicsDrawOnlyWhatChanged) {
  TestWorld t;
  t.world.scripts = {gfx("G", 2, 2, {kLayered, kPlain, kPlain, 100}), gfx("Wide", 3, 1, {kPlain, kPlain, kPlain})};
  auto s = t.start();
  stepOnce(*s);
  s->ops.clear();
  const int page = s->state.page;
  SimulationProbe::drawGfx(*s, 0, 10, 5);
  auto d = drawTiles(s->ops);
  ASSERT_EQ(d.size(), 4u);
  EXPECT_EQ(d[0].a, kLayered);
  EXPECT_EQ(d[0].b, 10);
  EXPECT_EQ(d[0].c, 0);
  EXPECT_EQ(d[3].b, 12);
  EXPECT_EQ(d[3].c, 2);
  EXPECT_EQ(s->state.pageCache[page][0][10], 65535);
  EXPECT_EQ(s->state.pageCache[page][1][11], 65535);
  EXPECT_EQ(s->state.pageCache[page][0][12], kPlain);
  EXPECT_EQ(s->state.pageCache[page][3][13], 65535);  // tile 100 is below 912 too
  s->ops.clear();
  SimulationProbe::drawGfx(*s, 0, 10, 5);
  d = drawTiles(s->ops);
  ASSERT_EQ(d.size(), 2u);  // the layered tiles again, the plain ones not
  EXPECT_EQ(d[0].a, kLayered);
  EXPECT_EQ(d[1].a, 100);
  s->ops.clear();
  // One row higher: the first tile row falls above the play area.
  SimulationProbe::drawGfx(*s, 0, 20, 4);
  d = drawTiles(s->ops);
  ASSERT_EQ(d.size(), 2u);
  EXPECT_EQ(d[0].c, 1);
  s->ops.clear();
  // Columns from 39 on and rows from 19 on are skipped.
  SimulationProbe::drawGfx(*s, 1, 35, 23);
  d = drawTiles(s->ops);
  ASSERT_EQ(d.size(), 2u);
  EXPECT_EQ(d[1].b, 37);
  s->ops.clear();
  SimulationProbe::drawGfx(*s, 1, 0, 24);
  EXPECT_TRUE(s->ops.empty());
  SimulationProbe::drawGfx(*s, 7, 0, 5);  // no such list
  SimulationProbe::drawGfx(*s, -1, 0, 5);
  EXPECT_TRUE(s->ops.empty());
}

TEST(TileCache, RedrawSequenceWithLiftAndObjects) {
  TestWorld t;
  world::Lift lift;
  lift.room = 0;
  lift.x = 40;
  lift.y = 100;
  lift.raw10Word = 32;
  t.world.lifts = {lift};
  world::Object here;
  here.room = 0;
  here.x = 24;
  here.y = 120;
  here.graphic = 9;
  world::Object away = here;
  away.room = 1;
  t.world.objects = {away, here};
  t.world.scripts = {gfx("G", 1, 1, {kPlain}), code("S", {op("yield")})};
  t.world.entities = {entity(0, 80, 80, "S", "G")};
  auto s = t.start();
  ASSERT_TRUE(s->beginStep(0));
  using K = PageOpKind;
  const std::vector<K> once = {K::ResetCache, K::DrawTile, K::Objects, K::Lift, K::Panel};
  std::vector<K> expected = once;
  expected.push_back(K::Flip);
  expected.insert(expected.end(), once.begin(), once.end());
  expected.push_back(K::Energy);
  expected.push_back(K::Lift);  // the lift still owed to the other page
  expected.push_back(K::Flip);
  EXPECT_EQ(kinds(s->ops), expected);
  EXPECT_EQ(s->state.currentLift, 0);
  EXPECT_EQ(s->state.liftRedraw, 0);
  ASSERT_EQ(s->ops[2].items.size(), 1u);
  EXPECT_EQ(s->ops[2].items[0], (sim::PageItem{9, 3, 120}));
  EXPECT_EQ(sim::unpackLift(s->ops[3].lift).width, 32);
  EXPECT_EQ(s->ops[1].b, 10);
  EXPECT_EQ(s->ops[1].c, 5);
  // The plain tile is in both caches now: later steps draw nothing.
  s->endStep();
  s->ops.clear();
  stepOnce(*s);
  EXPECT_EQ(kinds(s->ops), (std::vector<K>{K::Energy, K::Flip}));
}

TEST(TileCache, ChandelierIsNotDrawnAsALift) {
  TestWorld t;
  world::Lift lift;
  lift.room = 0;
  lift.type = 3;
  t.world.lifts = {lift};
  auto s = t.start();
  s->beginStep(0);
  EXPECT_EQ(count(s->ops, PageOpKind::Lift), 0);
}

TEST(Bubbles, BubbleBetweenTwoRedrawsConsumesFire) {
  TestWorld t;
  t.world.scripts = {code("S", {op("jflag", {1, "L"}), op("end"), op("jmp", {"S"}), op("label", {"L"}),
                                op("say_at", {3, 4, 5, "Hi"}), op("stop")})};
  t.world.entities = {entity(0, 0, 0, "S")};
  auto s = t.start();
  steps(*s, 2);
  s->state.flags[1] = 1;
  s->state.armed = 255;
  ASSERT_TRUE(s->beginStep(sim::kInputFire));
  using K = PageOpKind;
  EXPECT_EQ(kinds(s->ops), (std::vector<K>{K::Energy, K::ResetCache, K::Objects, K::Panel, K::Bubble, K::Flip,
                                           K::ResetCache, K::Objects, K::Panel, K::Flip, K::ResetCache, K::Objects,
                                           K::Panel, K::Flip}));
  ASSERT_GE(s->ops.size(), 5u);
  const sim::PageOp& b = s->ops[4];
  EXPECT_EQ(b.a, 3);
  EXPECT_EQ(b.b, 4);
  EXPECT_EQ(b.c, 8);
  EXPECT_EQ(b.text, "Hi");
  ASSERT_TRUE(b.snapshot);
  EXPECT_EQ(b.snapshot->messageOpen, 1);
  EXPECT_EQ(b.snapshot->pressed & sim::kInputFire, sim::kInputFire);
  EXPECT_EQ(s->state.messageOpen, 0);
  EXPECT_EQ(s->state.pressed & sim::kInputFire, 0);
  EXPECT_EQ(s->state.armed & sim::kInputFire, sim::kInputFire);
  EXPECT_EQ(s->state.entities[0].pc, -1);
  EXPECT_TRUE(s->endStep());
}

TEST(Bubbles, ScriptsHoldWhileAMessageIsOpenButGraphicsDraw) {
  TestWorld t;
  t.world.scripts = {gfx("G", 1, 1, {kLayered}), code("S", {op("incvar"), op("end"), op("jmp", {"S"})})};
  t.world.entities = {entity(0, 80, 80, "S", "G")};
  auto s = t.start();
  stepOnce(*s);
  const int var = s->state.entities[0].var;
  s->state.messageOpen = 1;
  s->ops.clear();
  stepOnce(*s);
  EXPECT_EQ(s->state.entities[0].var, var);
  EXPECT_EQ(count(s->ops, PageOpKind::DrawTile), 1);
  s->state.messageOpen = 0;
  stepOnce(*s);
  EXPECT_EQ(s->state.entities[0].var, var + 1);
}

TEST(Bubbles, SayPlacesTheBubbleBesideTheHero) {
  TestWorld t;
  auto s = t.start();
  stepOnce(*s);
  const auto placed = [&](int x, int y, int width, const std::string& text) {
    s->state.x = static_cast<std::int16_t>(x);
    s->state.y = static_cast<std::int16_t>(y);
    s->ops.clear();
    SimulationProbe::say(*s, width, text);
    for (const auto& o : s->ops) {
      if (o.kind == PageOpKind::Bubble) return std::array<int, 3>{o.a, o.b, o.c};
    }
    return std::array<int, 3>{-99, -99, -99};
  };
  EXPECT_EQ(placed(100, 144, 4, "hello"), (std::array<int, 3>{11, 15, 16}));
  EXPECT_EQ(placed(280, 144, 4, "hello world twenty chars!!"), (std::array<int, 3>{12, 15, 162}));
  EXPECT_EQ(placed(100, 144, 0x84, "hello"), (std::array<int, 3>{6, 15, 139}));
  EXPECT_EQ(placed(100, 144, 0x80, "hello"), (std::array<int, 3>{7, 15, 139}));
  EXPECT_EQ(placed(100, 144, 4, "ab\ncdef\ngh"), (std::array<int, 3>{11, 13, 16}));
  EXPECT_EQ(placed(0, 16, 4, "x"), (std::array<int, 3>{0, 0, 4}));
  // Bit 7 of the width always gives a tail on the other side.
  for (int x : {0, 40, 160, 280}) EXPECT_NE(placed(x, 100, 0x85, "text") [2] & 128, 0);
}
