#include "sim/content.h"

namespace sim {

Content makeContent(const world::World& world, const assets::TileSet& tiles, const assets::Palette& palette) {
  Content content;
  content.world = &world;
  content.attributes = tiles.attributes;
  content.collisionTiles = static_cast<std::uint32_t>(tiles.collisionTiles);
  for (std::size_t c = 0; c < palette.colors.size(); ++c)
    for (std::size_t k = 0; k < 3; ++k) content.palette[c * 3 + k] = palette.colors[c][k];
  return content;
}

}  // namespace sim
