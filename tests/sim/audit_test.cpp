#include <gtest/gtest.h>

#include "sim_fixture.h"

// Second-reading checks of widths and wrap-arounds that the first tests left out.

using namespace simtest;
using sim::PageOpKind;
using sim::SimulationProbe;

namespace {

struct ScriptRun {
  TestWorld t;
  std::unique_ptr<sim::Simulation> s;
  sim::EntityState e;

  explicit ScriptRun(std::vector<world::ScriptBlock> blocks) {
    t.world.scripts = std::move(blocks);
    for (int i = 0; i < 2; ++i) {
      world::Object o;
      o.id = i;
      o.room = 1;
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
};

}  // namespace

// Byte operands are one byte in the script area: a world file's -1 is 255 and
// 256 + n is n, for counts, comparisons and the place room alike.
TEST(ScriptByteOperands, OnlyTheLowByteCounts) {
  ScriptRun r({code("W", {op("wait", {-1})}), code("L", {op("loop", {511}), op("end")}),
               code("J", {op("jge", {-1, "Yes"}), op("stop")}), code("Yes", {op("end")}),
               code("Q", {op("setvar", {3}), op("jeqvar", {259, "Yes"}), op("stop")}),
               code("P", {op("place", {0, -2}), op("end")}), code("P2", {op("place", {1, 257}), op("end")})});
  auto& g = r.s->state;
  g.result = 9;
  r.run("W");
  EXPECT_EQ(r.e.wait, 9);  // 255: the count comes from R
  r.run("L");
  EXPECT_EQ(r.e.loopCount, 9);
  g.result = 200;
  EXPECT_EQ(r.run("J"), r.at("Yes") + 1);  // 255 >= 200
  EXPECT_EQ(r.run("Q"), r.at("Yes") + 1);  // 259 is 3

  // -2 is 254: the current room without a redraw.
  r.run("P");
  EXPECT_EQ(g.objects[0].room, g.room);
  EXPECT_TRUE(r.s->ops.empty());
  // 257 is room 1, with a redraw.
  r.run("P2");
  EXPECT_EQ(g.objects[1].room, 1);
  EXPECT_EQ(count(r.s->ops, PageOpKind::ResetCache), 2);
}
