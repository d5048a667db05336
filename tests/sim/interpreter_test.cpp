#include <gtest/gtest.h>

#include "sim_fixture.h"

using namespace simtest;
using sim::PageOpKind;
using sim::SimulationProbe;

namespace {

// A started game in room 0 and a free-standing entity state to run scripts on.
struct Runner {
  TestWorld t;
  std::unique_ptr<sim::Simulation> s;
  sim::EntityState e;

  explicit Runner(std::vector<world::ScriptBlock> blocks, int objects = 3) {
    t.world.scripts = std::move(blocks);
    for (int i = 0; i < objects; ++i) {
      world::Object o;
      o.id = i;
      o.room = 1;
      o.x = 8 * i;
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
  sim::GameState& g() { return s->state; }
};

std::string stopText(Runner& r, const std::string& label) {
  try {
    r.run(label);
  } catch (const sim::Simulation::NotModelled& n) {
    return n.text();
  }
  return "";
}

}  // namespace

TEST(Interpreter, WaitRandomAndCompare) {
  Runner r({code("W", {op("wait", {255})}), code("Z", {op("wait", {0})}),
            code("R", {op("rnd", {15, 3}), op("end")}), code("R2", {op("rnd", {255, 200}), op("end")}),
            code("J", {op("jge", {5, "Yes"}), op("stop")}), code("Yes", {op("end")})});
  r.g().result = 7;
  EXPECT_EQ(r.run("W"), r.at("W") + 1);
  EXPECT_EQ(r.e.wait, 7);
  EXPECT_EQ(r.run("Z"), r.at("Z") + 1);
  EXPECT_EQ(r.e.wait, 0);
  r.run("R");
  EXPECT_EQ(r.g().result, (0xF0 & 15) + 3);
  r.run("R2");
  EXPECT_EQ(r.g().result, (0xBD + 200) & 0xFF);
  r.g().result = 5;
  EXPECT_EQ(r.run("J"), r.at("Yes") + 1);  // equal jumps
  r.g().result = 6;
  EXPECT_EQ(r.run("J"), -1);
}

TEST(Interpreter, LoopsAndVariables) {
  Runner r({code("L", {op("setvar", {250}), op("loop", {3}), op("incvar"), op("endloop"), op("end")}),
            code("LR", {op("loop", {255}), op("incvar"), op("endloop"), op("end")}),
            code("E", {op("endloop"), op("stop")}), code("Back", {op("end")}),
            code("Q", {op("jeqvar", {9, "Back"}), op("stop")})});
  r.run("L");
  EXPECT_EQ(r.e.var, 253);
  EXPECT_EQ(r.e.loopStart, r.at("L") + 2);
  r.g().result = 4;
  r.e.var = 254;
  r.run("LR");
  EXPECT_EQ(r.e.var, 2);  // 4 iterations, wrapping as a byte
  r.e.loopStart = r.at("Back");
  r.e.loopCount = 1;
  EXPECT_EQ(r.run("E"), -1);  // 1 falls through
  r.e.loopCount = 0;
  EXPECT_EQ(r.run("E"), r.at("Back") + 1);  // 0 wraps to 255 and jumps back
  EXPECT_EQ(r.e.loopCount, 255);
  r.e.var = 9;
  EXPECT_EQ(r.run("Q"), r.at("Back") + 1);
  r.e.var = 8;
  EXPECT_EQ(r.run("Q"), -1);
}

TEST(Interpreter, ScoreFlagsAndScriptChange) {
  Runner r({code("S", {op("score"), op("setflag", {200}), op("clrflag", {3}), op("jflag", {200, "T"}), op("stop")}),
            code("T", {op("setscript", {"S"}), op("goto", {"U"})}), code("U", {op("yield")})});
  r.g().score = 255;
  r.g().flags[3] = 1;
  r.e.wait = 4;
  const int at = r.run("S");
  EXPECT_EQ(at, r.at("U"));  // yield returns its own index
  EXPECT_EQ(r.g().score, 1);
  EXPECT_EQ(r.g().scoreRedraw, 2);
  EXPECT_EQ(r.g().flags[200], 1);
  EXPECT_EQ(r.g().flags[3], 0);
  EXPECT_EQ(r.e.pc, r.at("S"));
  EXPECT_EQ(r.e.wait, 0);
}

TEST(Interpreter, ObjectOperations) {
  Runner r({code("C", {op("jcarried", {1, "Yes"}), op("stop")}), code("Yes", {op("end")}),
            code("Bad", {op("jcarried", {9, "Yes"}), op("stop")}), code("D", {op("destroy", {1}), op("end")}),
            code("P254", {op("place", {0, 254}), op("end")}), code("P255", {op("place", {0, 255}), op("end")}),
            code("P5", {op("place", {2, 5}), op("end")}), code("PBad", {op("place", {3, 5}), op("end")})});
  EXPECT_EQ(r.run("C"), -1);
  r.g().objects[1].room = sim::kRoomCarried;
  EXPECT_EQ(r.run("C"), r.at("Yes") + 1);
  EXPECT_EQ(stopText(r, "Bad"), "object 9");

  // The slot is found by the object's id, the record by its index.
  r.g().objects[0].id = 1;
  r.g().objects[1].id = 0;
  r.g().carried = {0, 1, -1};
  r.run("D");
  EXPECT_EQ(r.g().carried, (std::array<std::int32_t, 3>{-1, 1, -1}));
  EXPECT_EQ(r.g().objects[1].room, sim::kRoomGone);
  EXPECT_EQ(r.g().objects[0].room, 1);
  // Not carried at all: the slots stay, the object is gone anyway.
  r.g().carried = {-1, -1, 2};
  r.g().objects[1].room = 1;
  r.g().objects[0].id = 7;
  r.run("D");
  EXPECT_EQ(r.g().carried, (std::array<std::int32_t, 3>{-1, -1, 2}));
  EXPECT_EQ(r.g().objects[1].room, sim::kRoomGone);

  r.s->ops.clear();
  r.run("P254");
  EXPECT_EQ(r.g().objects[0].room, 0);
  EXPECT_TRUE(r.s->ops.empty());
  r.g().objects[0].room = 1;
  r.run("P255");
  EXPECT_EQ(r.g().objects[0].room, 0);
  using K = PageOpKind;
  EXPECT_EQ(kinds(r.s->ops), (std::vector<K>{K::ResetCache, K::Objects, K::Panel, K::Flip, K::ResetCache,
                                             K::Objects, K::Panel}));
  EXPECT_EQ(r.s->ops[1].items, (std::vector<sim::PageItem>{{20, 0, 100}}));
  r.s->ops.clear();
  r.run("P5");
  EXPECT_EQ(r.g().objects[2].room, 5);
  EXPECT_EQ(count(r.s->ops, K::Flip), 1);
  EXPECT_EQ(stopText(r, "PBad"), "object 3");
}

TEST(Interpreter, SpeechAndTheConversationTemplate) {
  Runner r({code("Plain", {op("say_at", {1, 2, 3, "p"}), op("say", {4, "q"}), op("end")}),
            code("T", {op("template", {0x0A14, 6})}), code("Other", {op("say_at", {1, 2, 3, "c"}), op("end")}),
            code("L_756D", {op("say_at", {1, 2, 3, "a"}), op("say_at", {1, 2, 3, "b"}), op("stop")})});
  const auto bubbles = [&r] {
    std::vector<std::array<int, 3>> out;
    for (const auto& o : r.s->ops) {
      if (o.kind == PageOpKind::Bubble) out.push_back({o.a, o.b, o.c});
    }
    r.s->ops.clear();
    return out;
  };
  r.run("Plain");
  auto b = bubbles();
  ASSERT_EQ(b.size(), 2u);
  EXPECT_EQ(b[0], (std::array<int, 3>{1, 2, 4}));
  // Without a template the conversation uses its own operands.
  r.run("L_756D");
  EXPECT_EQ(bubbles(), (std::vector<std::array<int, 3>>{{1, 2, 4}, {1, 2, 4}}));
  EXPECT_EQ(r.run("T"), -1);
  EXPECT_EQ(r.g().templateActive, 1);
  EXPECT_EQ(r.g().templateX, 0x14);
  EXPECT_EQ(r.g().templateY, 0x0A);
  EXPECT_EQ(r.g().templateExtra, 6);
  EXPECT_EQ(bubbles(), (std::vector<std::array<int, 3>>{{20, 10, 26}, {18, 8, 26}}));
  // Other bubbles keep their operands; the template stays active.
  r.run("Other");
  EXPECT_EQ(bubbles(), (std::vector<std::array<int, 3>>{{1, 2, 4}}));
  r.run("L_756D");
  EXPECT_EQ(bubbles().front(), (std::array<int, 3>{20, 10, 26}));

  Runner none({code("T", {op("template", {1, 2})})});
  EXPECT_EQ(stopText(none, "T"), "template: no conversation sequence L_756D");
}

TEST(Interpreter, Teleport) {
  Runner r({code("T", {op("teleport", {1, 50, 65535, 3}), op("stop")}),
            code("Quiet", {op("teleport", {0x82, 65535, 60, 255}), op("stop")})});
  r.g().currentPalette.fill(40);
  r.g().tune = 9;
  const sim::GameState before = r.g();
  EXPECT_EQ(r.run("T"), r.at("T") + 1);
  EXPECT_EQ(r.g().room, 1);
  EXPECT_EQ(r.g().x, 50);
  EXPECT_EQ(r.g().y, before.y);
  EXPECT_EQ(r.g().tune, 3);
  EXPECT_EQ(r.g().targetPalette, (std::array<std::uint8_t, 48>{}));
  EXPECT_EQ(r.g().currentPalette, (std::array<std::uint8_t, 48>{}));
  ASSERT_EQ(r.s->ops.size(), 1u);
  EXPECT_EQ(r.s->ops[0].kind, PageOpKind::Teleport);
  ASSERT_TRUE(r.s->ops[0].snapshot);
  EXPECT_TRUE(*r.s->ops[0].snapshot == before);
  r.s->ops.clear();

  r.g().currentPalette.fill(40);
  r.run("Quiet");
  EXPECT_EQ(r.g().room, 2);
  EXPECT_EQ(r.g().x, 50);
  EXPECT_EQ(r.g().y, 60);
  EXPECT_EQ(r.g().tune, 3);
  EXPECT_TRUE(r.s->ops.empty());
  EXPECT_EQ(r.g().currentPalette[0], 40);

  // With the fade switched off there is no snapshot either.
  r.g().fadeEnabled = 0;
  r.run("T");
  EXPECT_TRUE(r.s->ops.empty());
  EXPECT_EQ(r.g().room, 1);
}

TEST(Interpreter, ReturnsNativesAndAskFire) {
  Runner r({code("N", {op("native", {"state_minus_9"}), op("native_end", {"no_lives"}), op("stop")}),
            code("Y", {op("yield")}), code("F", {op("ask_fire"), op("stop")}), code("X", {op("end"), op("stop")})});
  r.g().state = 1;
  EXPECT_EQ(r.run("N"), r.at("N") + 2);
  EXPECT_EQ(r.g().result, 248);
  EXPECT_EQ(r.g().lives, 0);
  EXPECT_EQ(r.run("Y"), r.at("Y"));
  EXPECT_EQ(r.run("X"), r.at("X") + 1);
  EXPECT_EQ(SimulationProbe::run(*r.s, r.e, r.at("X") + 1), -1);
  // Past the end of the block.
  try {
    SimulationProbe::run(*r.s, r.e, r.at("X") + 2);
    ADD_FAILURE();
  } catch (const sim::Simulation::NotModelled& n) {
    EXPECT_EQ(n.text(), "a script ran past the end of its code block");
  }

  r.g().pressed = 0;
  EXPECT_EQ(r.run("F"), r.at("F") + 1);
  r.g().pressed = 16;
  r.g().armed = 255;
  EXPECT_EQ(r.run("F"), -1);  // fire held and nothing near: consumed, the script goes on
  EXPECT_EQ(r.g().pressed, 0);
  EXPECT_EQ(r.g().armed, 255 - 16);
  r.g().objects[1].room = 0;  // object 1 at cell 1, y 100: within reach of (0, 100)
  r.g().x = 0;
  r.g().y = 100;
  r.g().pressed = 16;
  EXPECT_EQ(r.run("F"), r.at("F") + 1);  // a pickable object is near: leave fire alone
  EXPECT_EQ(r.g().pressed, 16);
}

TEST(Interpreter, UnknownOpcodesAreSkipped) {
  Runner r({code("A", {op("incvar"), op("incvar"), op("end")})});
  r.s->program.instrs[static_cast<std::size_t>(r.at("A"))].op = 30;
  EXPECT_EQ(r.run("A"), r.at("A") + 3);
  EXPECT_EQ(r.e.var, 1);
}

TEST(Interpreter, AStoppedScriptStopsTheSimulationCleanly) {
  TestWorld t;
  t.world.scripts = {code("S", {op("wait", {2}), op("end")})};
  t.world.entities = {entity(0, 0, 0, "S")};
  auto s = t.start();
  for (int i = 0; i < 10 && s->error.empty(); ++i) stepOnce(*s);
  EXPECT_EQ(s->error, "a script ran past the end of its code block");
}
