#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "assets/indexed_image.h"

namespace assets {

// The 16 x 16 room tiles and their collision attributes.
struct TileSet {
  IndexedImage image;              // tile t at (16 * (t % columns), 16 * (t / columns))
  std::int32_t columns = 0;        // tiles per sheet row, at least 1 once loaded
  std::int32_t count = 0;          // ids from count on are not drawn
  std::int32_t collisionTiles = 0; // leading ids that carry attributes
  // Per tile the class of its 8 x 8 quadrants: top-left, top-right,
  // bottom-left, bottom-right (0 empty, 1 solid, 2 step, 3 sinking).
  std::vector<std::array<std::uint8_t, 4>> attributes;
};

// Loads dir/"tiles.json" and dir/"tiles.png"; dir is root/"assets"/"graphics".
std::optional<TileSet> loadTileSet(const std::filesystem::path& dir);

}  // namespace assets
