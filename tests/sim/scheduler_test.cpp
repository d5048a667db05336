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

// A script that never reaches a returning instruction would hold the step for
// ever: the step's instruction budget stops the simulation instead, naming the
// entity and the instruction, and the stop holds for the steps after it.
TEST(StepScripts, AScriptThatNeverWaitsStopsTheSimulation) {
  struct Case {
    const char* name;
    std::vector<world::ScriptBlock> blocks;
    bool touch;     // run as the entity's touch script rather than its step script
    const char* at;  // the instruction named in the stop text
  };
  world::ScriptBlock box = touch("T", -64, -64, 40, 40);
  const Case cases[] = {
      {"jump to itself", {code("S", {op("incvar"), op("jmp", {"S"})})}, false, "incvar at instruction 0, S"},
      {"goto to its own start", {code("S", {op("goto", {"S"})})}, false, "goto at instruction 0, S"},
      {"backward conditional jump", {code("S", {op("setvar", {3}), op("jeqvar", {3, "S"}), op("end")})}, false,
       "setvar at instruction 0, S"},
      {"loops inside loops",
       {code("S", {op("loop", {255}), op("loop", {255}), op("endloop"), op("endloop"), op("end")})}, false,
       "endloop at instruction 2, S + 2"},
      {"a redraw in every turn", {code("S", {op("place", {0, 255}), op("jmp", {"S"})})}, false,
       "place at instruction 0, S"},
      {"a bubble in every turn", {code("S", {op("say_at", {1, 1, 4, "x"}), op("jmp", {"S"})})}, false,
       "say_at at instruction 0, S"},
      {"touch script", {code("S", {op("stop")}), box, code("TC", {op("label", {"Back"}), op("jmp", {"Back"})})},
       true, "jmp at instruction 2, Back"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestWorld t;
    t.world.scripts = c.blocks;
    world::Object o;
    o.room = 0;
    t.world.objects = {o};
    t.world.entities = {entity(1, 0, 0, "S"), entity(0, 10, 15, "S", "", c.touch ? "T" : "")};
    auto s = t.start();
    ASSERT_TRUE(s);
    EXPECT_FALSE(stepOnce(*s));
    EXPECT_EQ(s->error, "entity 1 ran " + std::to_string(sim::Simulation::kStepInstructionBudget) +
                            " script instructions in one step without waiting (" + c.at + ")");
    const sim::GameState stopped = s->state;
    EXPECT_FALSE(s->beginStep(0));
    EXPECT_FALSE(s->endStep());
    EXPECT_EQ(s->state.frameCounter, stopped.frameCounter);
  }

  // The budget is the step's, not the call's: a long script that returns runs
  // every step, and the count begins again with each step.
  TestWorld t;
  t.world.scripts = {code("S", {op("loop", {200}), op("incvar"), op("endloop"), op("wait", {0}), op("jmp", {"S"})})};
  t.world.entities = {entity(0, 0, 0, "S")};
  auto s = t.start();
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(stepOnce(*s)) << s->error;
  EXPECT_LT(sim::SimulationProbe::stepInstructions(*s), 1000);
}
