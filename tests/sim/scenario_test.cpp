#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "sim_fixture.h"

using namespace simtest;

namespace {

// Three rooms with walls, a step, a ceiling, a hole, a sinking floor and a
// door, and one scripted entity per room: an animated talker, an object mover
// and an energy drain.
void buildScenario(TestWorld& t) {
  t.tile(0, 6, 2, kSolid);
  t.tile(0, 7, 2, kSolid);
  t.tile(0, 7, 14, kLowStep);
  for (int c = 8; c <= 12; ++c) t.tile(0, 4, c, kSolid);
  t.exits(0, {}, {}, {}, toRoom(1));
  t.tile(1, 8, 9, kEmpty);
  t.tile(1, 8, 10, kEmpty);
  t.exits(1, {}, toRoom(2), toRoom(0), toDoor(0));
  for (int c = 4; c <= 6; ++c) t.tile(2, 8, c, kSink);
  t.tile(2, 7, 12, kSnap);
  t.exits(2, toRoom(1), {}, {}, toRoom(0));
  t.world.doors = {world::Door{0, 40, -1}};
  world::Object a;
  a.id = 3;
  a.room = 1;
  a.x = 64;
  a.y = 120;
  a.graphic = 5;
  world::Object b = a;
  b.id = 4;
  b.room = 0;
  b.x = 200;
  b.graphic = 6;
  t.world.objects = {a, b};
  t.world.scripts = {
      gfx("G1", 2, 1, {kPlain, kPlain + 1}),
      gfx("G2", 2, 1, {kLayered, kPlain}),
      code("Talker", {op("setw", {"G1"}), op("rnd", {7, 2}), op("wait", {255}), op("setw", {"G2"}),
                      op("wait", {3}), op("incvar"), op("jeqvar", {5, "Talk"}), op("jmp", {"Talker"}),
                      op("label", {"Talk"}), op("say", {4, "Hello\nthere"}), op("setvar", {0}), op("score"),
                      op("jmp", {"Talker"})}),
      code("Mover", {op("wait", {20}), op("place", {0, 254}), op("wait", {20}), op("place", {0, 2}),
                     op("jmp", {"Mover"})}),
      code("Drain", {op("native", {"take_energy"}), op("wait", {1}), op("jmp", {"Drain"})}),
  };
  t.world.entities = {entity(0, 120, 56, "Talker", "G1"), entity(1, 0, 0, "Mover"), entity(2, 0, 0, "Drain")};
}

// A fixed input sequence: 12-step segments of pseudo-random choices.
std::vector<std::uint8_t> scenarioInput(int steps) {
  // No fire: the play stays clear of picking up and dropping objects.
  const std::uint8_t choices[] = {0, 4, 8, 1, 5, 9, 2, 8, 8, 9};
  std::vector<std::uint8_t> out;
  std::uint32_t seed = 12345;
  while (static_cast<int>(out.size()) < steps) {
    seed = seed * 1103515245u + 12345u;
    const std::uint8_t in = choices[(seed >> 16) % 10];
    for (int i = 0; i < 12; ++i) out.push_back(in);
  }
  out.resize(static_cast<std::size_t>(steps));
  return out;
}

std::uint32_t fnv(std::uint32_t h, std::int64_t v) {
  for (int i = 0; i < 8; ++i) {
    h ^= static_cast<std::uint32_t>((v >> (8 * i)) & 0xFF);
    h *= 16777619u;
  }
  return h;
}

std::uint32_t opsHash(std::uint32_t h, const std::vector<sim::PageOp>& ops) {
  for (const auto& o : ops) {
    h = fnv(h, static_cast<std::int64_t>(o.kind));
    for (int v : {o.a, o.b, o.c, o.d}) h = fnv(h, v);
    for (const auto& item : o.items) {
      for (int v : item) h = fnv(h, v);
    }
    for (auto byte : o.lift) h = fnv(h, byte);
    for (char c : o.text) h = fnv(h, c);
  }
  return h;
}

std::string digest(const sim::GameState& g) {
  char buffer[200];
  std::snprintf(buffer, sizeof buffer, "r%d x%d y%d vy%d st%d fr%d e%d l%d sc%d ck%d/%d/%d v%d,%d,%d pg%d end%u",
                g.room, g.x, g.y, g.vy, g.state, g.frame, g.energy, g.lives, g.score, g.checkpointRoom,
                g.checkpointX, g.checkpointY, g.entities[0].var, g.objects[0].room, g.objects[1].room, g.page,
                g.endCode);
  return buffer;
}

bool sameOps(const std::vector<sim::PageOp>& a, const std::vector<sim::PageOp>& b) {
  return opsHash(2166136261u, a) == opsHash(2166136261u, b) && a.size() == b.size();
}

}  // namespace

TEST(Scenario, GoldenDigestsOfAFixedPlay) {
  TestWorld t;
  buildScenario(t);
  auto s = t.start();
  const auto input = scenarioInput(720);
  std::vector<std::string> digests;
  std::uint32_t h = 2166136261u;
  for (std::size_t i = 0; i < input.size(); ++i) {
    ASSERT_TRUE(s->beginStep(input[i])) << s->error;
    h = opsHash(h, s->ops);
    s->ops.clear();
    ASSERT_TRUE(s->endStep()) << s->error;
    h = opsHash(h, s->ops);
    s->ops.clear();
    if ((i + 1) % 60 == 0) digests.push_back(digest(s->state));
  }
  const bool print = std::getenv("TUMBOLD_PRINT_SCENARIO") != nullptr;
  if (print) {
    for (const auto& d : digests) std::printf("    \"%s\",\n", d.c_str());
    std::printf("ops hash %u\n", h);
  }
  const std::vector<std::string> golden = {
      "r0 x174 y139 vy-20 st8 fr21 e46 l3 sc2 ck0/100/144 v0,1,0 pg1 end0",
      "r0 x268 y106 vy-11 st8 fr22 e46 l3 sc4 ck0/100/144 v1,1,0 pg1 end0",
      "r1 x110 y102 vy-9 st8 fr22 e46 l3 sc4 ck1/52/144 v1,2,0 pg1 end0",
      "r1 x136 y102 vy-9 st7 fr17 e46 l3 sc4 ck1/52/144 v1,1,0 pg0 end0",
      "r1 x82 y109 vy-12 st8 fr21 e46 l3 sc4 ck1/52/144 v1,2,0 pg0 end0",
      "r2 x196 y124 vy16 st8 fr23 e34 l3 sc4 ck1/52/144 v1,2,0 pg0 end0",
      "r2 x136 y122 vy14 st7 fr18 e4 l3 sc4 ck2/208/144 v1,2,0 pg0 end0",
      "r2 x122 y144 vy0 st22 fr45 e0 l3 sc4 ck2/208/144 v1,2,0 pg0 end0",
      "r2 x208 y100 vy6 st6 fr27 e30 l2 sc4 ck2/208/144 v1,2,0 pg1 end0",
      "r2 x206 y144 vy0 st2 fr0 e0 l2 sc4 ck2/208/144 v1,2,0 pg1 end0",
      "r2 x204 y144 vy0 st22 fr45 e0 l2 sc4 ck2/208/144 v1,2,0 pg1 end0",
      "r2 x232 y109 vy-12 st6 fr27 e26 l1 sc4 ck2/208/144 v1,2,0 pg0 end0",
  };
  EXPECT_EQ(digests, golden);
  EXPECT_EQ(h, 2657375798u) << "the page-operation stream changed";
}

TEST(Scenario, DeterministicAndCopyable) {
  TestWorld t;
  buildScenario(t);
  auto a = t.start();
  auto b = t.start();
  const auto input = scenarioInput(500);
  std::unique_ptr<sim::Simulation> c;
  for (std::size_t i = 0; i < input.size(); ++i) {
    for (auto* s : {a.get(), b.get(), c.get()}) {
      if (s) stepOnce(*s, input[i]);
    }
    EXPECT_TRUE(a->state == b->state) << "step " << i;
    ASSERT_TRUE(sameOps(a->ops, b->ops)) << "step " << i;
    if (c) {
      EXPECT_TRUE(a->state == c->state) << "step " << i;
      ASSERT_TRUE(sameOps(a->ops, c->ops)) << "step " << i;
    }
    a->ops.clear();
    b->ops.clear();
    if (c) c->ops.clear();
    if (i == 250) {
      // A copy of the state taken mid-game continues exactly like the original.
      c = t.start();
      c->state = a->state;
    }
  }
  EXPECT_TRUE(a->error.empty());
}
