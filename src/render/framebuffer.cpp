#include "render/framebuffer.h"

#include <algorithm>

#include "core/log.h"
#include "render/pixel_ops.h"

namespace render {

namespace {

// Written once per process: a room that names tiles past the set would
// otherwise repeat the line for every cell of every redraw.
bool pastTileSetWarned = false;

}  // namespace

std::vector<std::uint8_t> Framebuffer::rows(int y0, int y1) const {
  const int available = static_cast<int>(pixels.size() / kScreenWidth);
  y0 = std::clamp(y0, 0, std::min(available, kScreenHeight));
  y1 = std::clamp(y1, y0, std::min(available, kScreenHeight));
  return std::vector<std::uint8_t>(pixels.begin() + y0 * kScreenWidth, pixels.begin() + y1 * kScreenWidth);
}

void drawTile(Framebuffer& fb, const assets::TileSet& tiles, std::uint16_t id, int x, int y) {
  if ((id & 0x8000) != 0) return;
  if (static_cast<int>(id) >= tiles.count) {
    if (!pastTileSetWarned) {
      pastTileSetWarned = true;
      core::log(core::LogLevel::Warn, "tile id %u is past the tile set (%d tiles); drawn as nothing",
                static_cast<unsigned>(id), tiles.count);
    }
    return;
  }
  if (!detail::whole(fb) || tiles.columns < 1) return;
  const int sx = (id % tiles.columns) * 16;
  const int sy = (id / tiles.columns) * 16;
  for (int r = 0; r < 16; ++r) {
    const int ty = y + r;
    if (ty < 0 || ty >= kScreenHeight) continue;
    for (int c = 0; c < 16; ++c) {
      const int tx = x + c;
      if (tx < 0 || tx >= kScreenWidth) continue;
      // A sheet shorter than its tile count leaves the missing tiles undrawn.
      const int p = detail::imagePixel(tiles.image, sx + c, sy + r);
      if (p >= 0) fb.pixels[ty * kScreenWidth + tx] = static_cast<std::uint8_t>(p);
    }
  }
}

bool tileDrawnWhole(const assets::TileSet& tiles, std::uint16_t id) {
  if ((id & 0x8000) != 0 || static_cast<int>(id) >= tiles.count || tiles.columns < 1) return false;
  const std::int64_t sx = std::int64_t{id % tiles.columns} * 16;
  const std::int64_t sy = std::int64_t{id / tiles.columns} * 16;
  const assets::IndexedImage& image = tiles.image;
  return sx + 16 <= image.width && sy + 16 <= image.height &&
         static_cast<std::uint64_t>((sy + 15) * image.width + sx + 15) < image.pixels.size();
}

void drawRoom(Framebuffer& fb, const assets::TileSet& tiles, const world::Room& room, int yOffset) {
  for (int row = 0; row < world::kRoomRows; ++row) {
    for (int col = 0; col < world::kRoomCols; ++col) {
      drawTile(fb, tiles, room.tiles[row][col], col * 16, row * 16 + yOffset);
    }
  }
}

void drawScreen(Framebuffer& fb, const assets::TileSet& tiles, const world::World& world,
                const world::Screen& screen) {
  std::fill(fb.pixels.begin(), fb.pixels.end(), 15);
  for (int row = 0; row < world::kScreenHeaderRows; ++row) {
    for (int i = 0; i < world::kRoomCols; ++i) drawTile(fb, tiles, screen.header[row][i], 16 * i, 16 * row);
  }
  if (screen.room >= 0 && screen.room < static_cast<int>(world.rooms.size())) {
    drawRoom(fb, tiles, world.rooms[screen.room], 32);
  }
}

}  // namespace render
