#pragma once

// Small worlds built in code for the simulation tests, and white-box access to
// the simulation's inner operations.

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/simulation.h"
#include "world/world.h"

namespace sim {

struct SimulationProbe {
  static int run(Simulation& s, EntityState& e, int pc) { return s.run(e, pc); }
  static std::uint8_t native(Simulation& s, Native id) { return s.callNative(id); }
  static std::uint8_t rng(Simulation& s) { return s.rng(); }
  static bool fadeOneFrame(Simulation& s) { return s.fadeOneFrame(); }
  static int vertical(Simulation& s) { return s.vertical(); }
  static bool stepX(Simulation& s, bool left) { return s.stepX(left); }
  static bool canJump(Simulation& s) { return s.canJump(); }
  static std::uint8_t attr(Simulation& s, int dx, int dy) { return s.attr(dx, dy); }
  static void drawGfx(Simulation& s, int list, int x, int y) { s.drawGfx(list, x, y); }
  static void redraw(Simulation& s) { s.redraw(); }
  static void say(Simulation& s, int width, const std::string& text) { s.say(width, text); }
  static void enterRoom(Simulation& s) { s.enterRoom(); }
  static bool won(Simulation& s) { return s.won(); }
  static int stepInstructions(const Simulation& s) { return s.stepInstructions_; }
  static std::uint8_t neighbour(Simulation& s, const world::Exit& e) { return s.neighbour(e); }
};

}  // namespace sim

namespace simtest {

// Tile ids of the test tile set (attributes per quadrant: UL, UR, LL, LR).
constexpr std::uint16_t kEmpty = 0;
constexpr std::uint16_t kSolid = 1;     // 1 everywhere
constexpr std::uint16_t kFloor = 2;     // 2 everywhere
constexpr std::uint16_t kSink = 3;      // 3 everywhere
constexpr std::uint16_t kSnap = 4;      // 255 everywhere
constexpr std::uint16_t kLowStep = 5;   // solid in the lower half only
constexpr std::uint16_t kRide = 908;    // solid, the ride tile
constexpr std::uint16_t kLayered = 911; // graphic tile drawn every time
constexpr std::uint16_t kPlain = 912;   // graphic tile drawn only when changed

inline world::ScriptOp op(const std::string& name, std::initializer_list<world::ScriptOperand> args = {}) {
  world::ScriptOp o;
  o.name = name;
  o.args = args;
  return o;
}

inline world::ScriptBlock code(const std::string& label, std::vector<world::ScriptOp> ops) {
  world::ScriptBlock b;
  b.kind = world::BlockKind::Code;
  b.label = label;
  b.ops = std::move(ops);
  return b;
}

inline world::ScriptBlock gfx(const std::string& label, int cols, int rows, std::vector<std::uint16_t> tiles) {
  world::ScriptBlock b;
  b.kind = world::BlockKind::Gfx;
  b.label = label;
  b.cols = cols;
  b.rows = rows;
  b.tiles = std::move(tiles);
  return b;
}

inline world::ScriptBlock touch(const std::string& label, int dx, int dy, int w, int h) {
  world::ScriptBlock b;
  b.kind = world::BlockKind::Touch;
  b.label = label;
  b.dx = dx;
  b.dy = dy;
  b.w = w;
  b.h = h;
  return b;
}

inline world::ScriptBlock raw(const std::string& label, std::size_t size) {
  world::ScriptBlock b;
  b.kind = world::BlockKind::Raw;
  b.label = label;
  b.rawSize = size;
  return b;
}

inline world::Entity entity(int room, int x, int y, const std::string& step, const std::string& gfxLabel = "",
                            const std::string& touchLabel = "") {
  world::Entity e;
  e.room = room;
  e.x = x;
  e.y = y;
  e.step = step;
  e.gfx = gfxLabel;
  e.touch = touchLabel;
  return e;
}

inline world::Exit toRoom(int room) { return world::Exit{world::ExitKind::Room, room}; }
inline world::Exit toDoor(int door) { return world::Exit{world::ExitKind::Door, door}; }

// A world of `rooms` rooms with a floor on tile row 8 (the hero stands at
// y 144), no walls and no exits, and the tile attribute table above.
struct TestWorld {
  world::World world;
  sim::Content content;

  explicit TestWorld(int rooms = 3) {
    for (int r = 0; r < rooms; ++r) {
      world::Room room;
      room.id = r;
      room.name = "room " + std::to_string(r);
      for (int c = 0; c < world::kRoomCols; ++c) room.tiles[8][c] = kFloor;
      world.rooms.push_back(room);
    }
    world.newGameRoom = 0;
    world.newGameX = 100;
    world.newGameY = 144;
    world.newGameLives = 3;
    world.energyFull = 46;
    content.world = &world;
    content.collisionTiles = 912;
    content.attributes.assign(1024, {0, 0, 0, 0});
    content.attributes[kSolid] = {1, 1, 1, 1};
    content.attributes[kFloor] = {2, 2, 2, 2};
    content.attributes[kSink] = {3, 3, 3, 3};
    content.attributes[kSnap] = {255, 255, 255, 255};
    content.attributes[kLowStep] = {0, 0, 1, 1};
    content.attributes[kRide] = {1, 1, 1, 1};
    content.attributes[kLayered] = {1, 1, 1, 1};
    for (int i = 0; i < 48; ++i) content.palette[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i + 10);
  }

  TestWorld(const TestWorld&) = delete;
  TestWorld& operator=(const TestWorld&) = delete;

  void tile(int room, int row, int col, std::uint16_t id) {
    world.rooms[static_cast<std::size_t>(room)].tiles[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = id;
  }

  void exits(int room, world::Exit up, world::Exit down, world::Exit left, world::Exit right) {
    world.rooms[static_cast<std::size_t>(room)].exits = {up, down, left, right};
  }

  // Compiles the scripts (which must compile) and starts a new game.
  std::unique_ptr<sim::Simulation> start() {
    auto program = sim::compileScripts(world);
    EXPECT_TRUE(program.has_value());
    if (!program) return nullptr;
    auto s = std::make_unique<sim::Simulation>(content, std::move(*program));
    s->newGame();
    return s;
  }
};

// One whole step; the page operations stay in ops.
inline bool stepOnce(sim::Simulation& s, std::uint8_t input = 0) {
  const bool a = s.beginStep(input);
  const bool b = s.endStep();
  return a && b;
}

// Runs n steps with the same input, draining the page operations.
inline void steps(sim::Simulation& s, int n, std::uint8_t input = 0) {
  for (int i = 0; i < n; ++i) {
    stepOnce(s, input);
    s.ops.clear();
  }
}

inline std::vector<sim::PageOpKind> kinds(const std::vector<sim::PageOp>& ops) {
  std::vector<sim::PageOpKind> out;
  for (const auto& o : ops) out.push_back(o.kind);
  return out;
}

inline int count(const std::vector<sim::PageOp>& ops, sim::PageOpKind kind) {
  int n = 0;
  for (const auto& o : ops) n += o.kind == kind;
  return n;
}

}  // namespace simtest
