#pragma once

#include <cstdint>
#include <vector>

#include "assets/tile_set.h"
#include "world/world.h"

namespace render {

constexpr int kScreenWidth = 320;
constexpr int kScreenHeight = 200;
constexpr int kScreenPixels = kScreenWidth * kScreenHeight;
// Rows above this one hold the status panel; the play area fills the rest.
constexpr int kPlayAreaTop = 40;

// The game picture as the DOS game kept it: one palette index per pixel,
// row-major with a stride of 320. Made zero-filled at full size.
struct Framebuffer {
  std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(kScreenPixels, 0);

  // A copy of rows y0 (inclusive) to y1 (exclusive); rows outside the picture
  // are left out.
  std::vector<std::uint8_t> rows(int y0, int y1) const;
};

// One 16 x 16 tile copied opaque to (x, y). Ids with bit 15 set mark empty
// cells; ids past the tile set draw nothing (warned about once per process).
void drawTile(Framebuffer& fb, const assets::TileSet& tiles, std::uint16_t id, int x, int y);
// Whether drawTile of this id writes every pixel of its 16 x 16 square that
// lies in the picture (a tile wholly inside the tile sheet).
bool tileDrawnWhole(const assets::TileSet& tiles, std::uint16_t id);

// The room's 20 x 10 tiles, the top row at yOffset.
void drawRoom(Framebuffer& fb, const assets::TileSet& tiles, const world::Room& room, int yOffset);

// A tile screen: colour 15 background, two header rows, then its room 32 pixels down.
void drawScreen(Framebuffer& fb, const assets::TileSet& tiles, const world::World& world,
                const world::Screen& screen);

}  // namespace render
