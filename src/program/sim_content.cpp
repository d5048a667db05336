// The simulation's view of the loaded Data, shared by the game and the tool modes.

#include "modes.h"

sim::Content simContent(const Data& data) {
  sim::Content content;
  content.world = &data.world;
  content.attributes = data.tiles.attributes;
  content.collisionTiles = static_cast<std::uint32_t>(data.tiles.collisionTiles);
  for (std::size_t c = 0; c < data.palette.colors.size(); ++c)
    for (std::size_t k = 0; k < 3; ++k) content.palette[c * 3 + k] = data.palette.colors[c][k];
  return content;
}
