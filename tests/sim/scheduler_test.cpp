#include <gtest/gtest.h>

#include "sim_fixture.h"

using namespace simtest;
using sim::PageOpKind;

TEST(StepScripts, WaitsAreCountedByTheScheduler) {
  TestWorld t;
  t.world.scripts = {code("S", {op("wait", {2}), op("incvar"), op("end"), op("jmp", {"S"})})};
  t.world.entities = {entity(0, 0, 0, "S"), entity(1, 0, 0, "S")};
  auto s = t.start();
  std::vector<int> vars;
  for (int i = 0; i < 6; ++i) {
    stepOnce(*s);
    vars.push_back(s->state.entities[0].var);
  }
  // The room entry ran the script twice (both pages): the wait began there.
  EXPECT_EQ(vars, (std::vector<int>{0, 1, 1, 1, 1, 2}));
  // Entities of other rooms do not run.
  EXPECT_EQ(s->state.entities[1].var, 0);
  EXPECT_EQ(s->state.entities[1].pc, 0);
}

TEST(StepScripts, SharedThreadRunsInItsRooms) {
  TestWorld t;
  t.world.sharedThreadRooms = {0};
  t.world.scripts = {code("L_76D8", {op("incvar"), op("wait", {1}), op("jmp", {"L_76D8"})}),
                     code("Own", {op("stop")})};
  for (int i = 0; i < 27; ++i) t.world.entities.push_back(entity(5, 0, 0, i == 26 ? "Own" : ""));
  auto s = t.start();
  EXPECT_EQ(s->state.entities[26].pc, s->program.label("Own"));
  steps(*s, 4);
  // Entry: run, wait; then steps: wait, run, wait, run.
  EXPECT_EQ(s->state.entities[26].var, 3);
  EXPECT_EQ(s->state.entities[26].pc, -1);  // the context entity's own script never runs

  TestWorld few;
  few.world.sharedThreadRooms = {0};
  auto f = few.start();
  EXPECT_FALSE(f->beginStep(0));
  EXPECT_EQ(f->error, "the shared thread's context entity");
}

// A step script that redraws would, taken literally, run itself again inside
// the redraw from its unchanged pc, without end. The nested redraw skips the
// scripts that are running; every other script runs as usual.
TEST(StepScripts, RedrawFromAStepScriptDoesNotReenterIt) {
  TestWorld t;
  t.world.scripts = {code("A", {op("native_end", {"redraw"}), op("jmp", {"A"})}),
                     code("B", {op("incvar"), op("end"), op("jmp", {"B"})}),
                     code("P", {op("place", {0, 255}), op("end"), op("jmp", {"P"})}), gfx("G", 1, 1, {kLayered})};
  world::Object o;
  o.room = 0;
  t.world.objects = {o};
  t.world.entities = {entity(0, 0, 40, "A", "G"), entity(0, 0, 0, "B"), entity(1, 0, 0, "P")};
  auto s = t.start();
  ASSERT_TRUE(stepOnce(*s));
  EXPECT_TRUE(s->error.empty());
  const int afterEntry = s->state.entities[1].var;
  s->ops.clear();
  ASSERT_TRUE(stepOnce(*s));
  // B runs twice inside A's redraw and once after it.
  EXPECT_EQ(s->state.entities[1].var, afterEntry + 3);
  EXPECT_EQ(s->state.entities[0].pc, s->program.label("A") + 1);
  // A's graphic is still drawn in the nested redraws.
  EXPECT_EQ(count(s->ops, PageOpKind::DrawTile), 3);
  EXPECT_EQ(count(s->ops, PageOpKind::ResetCache), 2);

  // The same holds for `place` with a redraw, and for the shared thread.
  TestWorld p;
  p.world.scripts = t.world.scripts;
  p.world.objects = {o};
  p.world.entities = {entity(0, 0, 0, "P")};
  auto q = p.start();
  steps(*q, 5);
  EXPECT_TRUE(q->error.empty());

  TestWorld shared;
  shared.world.sharedThreadRooms = {0};
  shared.world.scripts = {code("L_76D8", {op("native_end", {"redraw"}), op("jmp", {"L_76D8"})})};
  for (int i = 0; i < 27; ++i) shared.world.entities.push_back(entity(5, 0, 0, ""));
  auto r = shared.start();
  steps(*r, 5);
  EXPECT_TRUE(r->error.empty());
  EXPECT_EQ(r->state.sharedPc, r->program.label("L_76D8") + 1);
}
