#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "assets/palette.h"
#include "assets/tile_set.h"

namespace world {
struct World;
}

namespace sim {

// Read-only material a simulation is built on. The world is borrowed: it must
// outlive every simulation made from this content.
struct Content {
  const world::World* world = nullptr;
  // Per tile id, the collision attribute of each 8 x 8 quadrant: 0 upper left,
  // 1 upper right, 2 lower left, 3 lower right.
  std::vector<std::array<std::uint8_t, 4>> attributes;
  // Tile ids at or above this value collide nowhere.
  std::uint32_t collisionTiles = 0;
  // 16 colours, red, green, blue each, 6-bit components.
  std::array<std::uint8_t, 48> palette{};
};

// The content of a loaded world with its tile set and palette; it points into
// world, which must outlive it.
Content makeContent(const world::World& world, const assets::TileSet& tiles, const assets::Palette& palette);

// Attribute values the player's movement tells apart.
constexpr std::uint8_t kAttrEmpty = 0;
constexpr std::uint8_t kAttrSolid = 1;
constexpr std::uint8_t kAttrFloor = 2;
constexpr std::uint8_t kAttrSinking = 3;
constexpr std::uint8_t kAttrFloorSnap = 255;

}  // namespace sim
