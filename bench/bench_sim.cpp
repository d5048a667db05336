// Headless simulation speed: a long fixed input sequence, page operations
// drained and dropped after each half step.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "assets/palette.h"
#include "assets/tile_set.h"
#include "bench.h"
#include "sim/simulation.h"
#include "world/world.h"

namespace {

struct Setup {
  world::World world;
  sim::Content content;
  const char* source = "";
};

// The shipped data set when it is there and loads.
bool loadShipped(Setup& setup) {
  const std::filesystem::path root = TUMBOLD_SOURCE_DIR;
  if (!std::filesystem::exists(root / "world" / "world.json") ||
      !std::filesystem::exists(root / "assets" / "graphics" / "tiles.json")) {
    return false;
  }
  auto palette = assets::loadPalette(root / "assets" / "palettes" / "vga.json");
  auto tiles = assets::loadTileSet(root / "assets" / "graphics");
  auto world = world::loadWorld(root / "world" / "world.json");
  if (!palette || !tiles || !world) return false;
  setup.world = std::move(*world);
  setup.content = sim::makeContent(setup.world, *tiles, *palette);
  setup.source = "shipped world";
  return true;
}

world::ScriptOp op(const char* name, std::vector<world::ScriptOperand> args = {}) {
  world::ScriptOp o;
  o.name = name;
  o.args = std::move(args);
  return o;
}

// Two rooms joined left and right, a floor, a wall and an animated entity.
void buildFallback(Setup& setup) {
  world::World& w = setup.world;
  for (int r = 0; r < 2; ++r) {
    world::Room room;
    room.id = r;
    for (auto& t : room.tiles[8]) t = 2;
    room.tiles[7][3] = 1;
    room.exits[world::kExitRight] = {world::ExitKind::Room, 1 - r};
    room.exits[world::kExitLeft] = {world::ExitKind::Room, 1 - r};
    w.rooms.push_back(room);
  }
  w.newGameRoom = 0;
  world::ScriptBlock g1;
  g1.kind = world::BlockKind::Gfx;
  g1.label = "G1";
  g1.cols = 2;
  g1.rows = 2;
  g1.tiles = {912, 913, 914, 915};
  world::ScriptBlock g2 = g1;
  g2.label = "G2";
  g2.tiles = {900, 913, 914, 916};
  world::ScriptBlock code;
  code.kind = world::BlockKind::Code;
  code.label = "S";
  code.ops = {op("setw", {"G1"}), op("rnd", {7, 1}), op("wait", {255}), op("setw", {"G2"}), op("wait", {4}),
              op("jmp", {"S"})};
  w.scripts = {g1, g2, code};
  for (int r = 0; r < 2; ++r) {
    world::Entity e;
    e.room = r;
    e.x = 160;
    e.y = 80;
    e.step = "S";
    e.gfx = "G1";
    w.entities.push_back(e);
  }
  setup.content.attributes.assign(1024, {0, 0, 0, 0});
  setup.content.attributes[1] = {1, 1, 1, 1};
  setup.content.attributes[2] = {2, 2, 2, 2};
  setup.content.collisionTiles = 912;
  setup.source = "world made in code";
}

}  // namespace

TUMBOLD_BENCHMARK(sim_steps) {
  auto setup = std::make_unique<Setup>();
  if (!loadShipped(*setup)) {
    *setup = Setup{};
    buildFallback(*setup);
  }
  setup->content.world = &setup->world;
  auto program = sim::compileScripts(setup->world);
  if (!program) {
    std::printf("scripts do not compile\n");
    return;
  }
  sim::Simulation sim(setup->content, std::move(*program));
  sim.newGame();

  // Walk, jump and stand in long stretches, the way a player moves.
  const std::uint8_t pattern[] = {8, 8, 9, 0, 4, 4, 5, 0, 16, 8, 1, 4};
  std::vector<std::uint8_t> input;
  for (int i = 0; i < 4096; ++i) input.push_back(pattern[(i / 37) % 12]);

  const long total = 3000000;
  long restarts = 0;
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < total; ++i) {
    const std::uint8_t in = input[static_cast<std::size_t>(i) & 4095];
    sim.beginStep(in);
    sim.ops.clear();
    sim.endStep();
    sim.ops.clear();
    if (!sim.error.empty() || sim.state.endCode != 0) {
      sim.newGame();
      ++restarts;
    }
  }
  const double seconds = bench::seconds(start);
  std::printf("%s: %ld steps in %.3f s: %.0f steps per second (%ld new games)\n", setup->source, total, seconds,
              static_cast<double>(total) / seconds, restarts);
}
