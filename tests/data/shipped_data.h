#pragma once

// The shipped data set loaded once per test program, and a small driver that runs
// the simulation on it from a chosen place.

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "assets/palette.h"
#include "core/files.h"
#include "assets/tile_set.h"
#include "sim/content.h"
#include "sim/script_program.h"
#include "sim/simulation.h"
#include "world/world.h"

namespace data_test {

inline const std::filesystem::path kRoot = TUMBOLD_SOURCE_DIR;

struct Shipped {
  std::optional<assets::TileSet> tiles = assets::loadTileSet(kRoot / "assets" / "graphics");
  std::optional<world::World> world = world::loadWorld(kRoot / "world" / "world.json");
  std::optional<assets::Palette> palette = assets::loadPalette(kRoot / "assets" / "palettes" / "vga.json");
  std::optional<sim::ScriptProgram> program = world ? sim::compileScripts(*world) : std::nullopt;
  sim::Content content;

  Shipped() {
    if (!tiles || !world || !palette) return;
    content = sim::makeContent(*world, *tiles, *palette);
  }
  bool complete() const { return tiles && world && palette && program; }
};

inline const Shipped& shipped() {
  static const Shipped data;
  return data;
}

// Quadrant attribute of a room at a page pixel (y from the top of the screen): 0
// open, 1 solid, 2 one-way, 3 sinking.
inline int attrAt(const world::Room& room, int x, int y) {
  const auto& tiles = *shipped().tiles;
  if (x < 0 || x >= 320 || y < 40 || y >= 200) return 0;
  const int tile = room.tiles[(y - 40) / 16][x / 16];
  if (tile >= tiles.collisionTiles) return 0;
  return tiles.attributes[tile][2 * (((y - 40) / 8) & 1) + ((x / 8) & 1)];
}

// Whether the hero's body at (x, y) is clear of solid tiles.
inline bool bodyClear(const world::Room& room, int x, int y) {
  for (int probe : {10, 18, 26, 29})
    for (int dy : {0, 8, 16, 23})
      if (attrAt(room, x + probe, y + dy) == 1) return false;
  return true;
}

// The names the tile set gives its tiles ("village.sign", "ledge_l" ...), by id.
inline std::map<int, std::string> tileNames() {
  std::map<int, std::string> names;
  const auto text = core::readTextFile(kRoot / "assets" / "graphics" / "tiles.json");
  if (!text) return names;
  const auto json = nlohmann::json::parse(*text, nullptr, false);
  if (!json.is_object() || !json.contains("names") || !json["names"].is_object()) return names;
  for (const auto& [id, name] : json["names"].items())
    if (name.is_string()) names[std::stoi(id)] = name.get<std::string>();
  return names;
}

// A new game on the shipped world, optionally moved elsewhere before its first step.
class Game {
 public:
  Game() : simulation_(shipped().content, *shipped().program) { simulation_.newGame(); }

  sim::GameState& state() { return simulation_.state; }
  const std::string& error() const { return simulation_.error; }
  // The simulation itself, for the tools that drive one (the autopilot's search).
  sim::Simulation& simulation() { return simulation_; }

  // Puts the hero into a room before the first step, as if he had just arrived.
  void placeHero(int room, int x, int y) {
    auto& s = simulation_.state;
    s.room = static_cast<std::uint8_t>(room);
    s.x = static_cast<std::int16_t>(x);
    s.y = static_cast<std::int16_t>(y);
    s.checkpointRoom = s.room;
    s.checkpointX = s.x;
    s.checkpointY = s.y;
  }

  // Hands the hero an object as if he had picked it up.
  void give(int object) {
    auto& s = simulation_.state;
    s.objects[object].room = 254;
    s.objects[object].seen = 1;
    s.carried[2] = s.carried[1];
    s.carried[1] = s.carried[0];
    s.carried[0] = object;
  }

  // Runs steps with one input byte; false once the simulation stopped. The speech
  // bubbles shown meanwhile are kept in bubbles.
  bool run(std::uint8_t input, int steps) {
    for (int i = 0; i < steps; ++i) {
      simulation_.ops.clear();
      if (!simulation_.beginStep(input) || !simulation_.endStep()) return false;
      for (const auto& op : simulation_.ops)
        if (op.kind == sim::PageOpKind::Bubble) bubbles.push_back(op);
    }
    return true;
  }

  // The page operations of the last step run.
  const std::vector<sim::PageOp>& lastOps() const { return simulation_.ops; }

  // A copy of the game as it stands, to try something from here.
  void restore(const sim::GameState& state) {
    simulation_.state = state;
    simulation_.error.clear();
  }

  // Runs with one input until the condition holds or the step budget is spent.
  bool runUntil(std::uint8_t input, int budget, const std::function<bool(const sim::GameState&)>& done) {
    for (int i = 0; i < budget; ++i) {
      if (done(simulation_.state)) return true;
      if (!run(input, 1)) return false;
    }
    return done(simulation_.state);
  }

  // One press of fire, released again so that the next press counts.
  bool fire() { return run(16, 1) && run(0, 4); }

  std::vector<sim::PageOp> bubbles;

 private:
  sim::Simulation simulation_;
};

}  // namespace data_test
