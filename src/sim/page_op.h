#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/game_state.h"

namespace sim {

enum class PageOpKind : std::uint32_t {
  ResetCache = 0,  // a = room: redraw the room's tiles into the drawing page
  DrawTile = 1,    // a = tile id, b = cell column, c = cell row
  Objects = 2,     // items = (graphic, x8, y) of each object in the room
  Lift = 3,        // lift = the current lift's record
  Panel = 4,       // a room, b lives, c energy, d score, items = inventory
  Energy = 5,      // c = energy
  Score = 6,       // d = score
  Inventory = 7,   // items = inventory
  Bubble = 8,      // a x cell, b y cell, c tail, text, snapshot
  Teleport = 9,    // snapshot = the state before the teleport
  Flip = 10,       // drawing and shown page change places
};

using PageItem = std::array<int, 3>;

// One drawing or presentation operation, emitted in order by the simulation.
struct PageOp {
  PageOpKind kind = PageOpKind::ResetCache;
  std::int32_t a = 0;
  std::int32_t b = 0;
  std::int32_t c = 0;
  std::int32_t d = 0;
  std::vector<PageItem> items;
  LiftBytes lift{};
  std::string text;
  std::shared_ptr<const GameState> snapshot;
};

}  // namespace sim
