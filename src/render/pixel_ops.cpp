#include "render/pixel_ops.h"

#include <algorithm>

namespace render::detail {

int imagePixel(const assets::IndexedImage& image, std::int64_t x, std::int64_t y) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return -1;
  const std::size_t index = static_cast<std::size_t>(y) * image.width + x;
  if (index >= image.pixels.size()) return -1;
  return image.pixels[index];
}

void blit(Framebuffer& fb, const assets::IndexedImage& image, std::int64_t sx, std::int64_t sy, std::int64_t w,
          std::int64_t h, std::int64_t dx, std::int64_t dy, int minY, bool onlyBlack) {
  if (h < 1 || w < 1 || !whole(fb)) return;
  // Only the part of the rectangle that lands in the picture is visited, so a
  // rectangle of any size costs at most one screen.
  const std::int64_t top = std::max<std::int64_t>(std::max(minY, 0), dy);
  const std::int64_t bottom = std::min<std::int64_t>(kScreenHeight, dy + h);
  const std::int64_t left = std::max<std::int64_t>(0, dx);
  const std::int64_t right = std::min<std::int64_t>(kScreenWidth, dx + w);
  for (std::int64_t ty = top; ty < bottom; ++ty) {
    std::uint8_t* row = &fb.pixels[static_cast<std::size_t>(ty) * kScreenWidth];
    for (std::int64_t tx = left; tx < right; ++tx) {
      // Frame and item rectangles come from data files unchecked against
      // their picture; pixels beyond it are treated as transparent.
      const int p = imagePixel(image, sx + (tx - dx), sy + (ty - dy));
      if (p < 0 || p == 16) continue;
      if (onlyBlack) {
        if (p == 15) row[tx] = 15;
      } else if (p < 16) {
        row[tx] = static_cast<std::uint8_t>(p);
      } else {
        row[tx] = static_cast<std::uint8_t>(row[tx] | (p - 16));
      }
    }
  }
}

void writeByte(Framebuffer& fb, int column, int y, int bits, int planeMask) {
  if (column < 0 || y < 0 || y >= kScreenHeight || !whole(fb)) return;
  for (int i = 0; i < 8; ++i) {
    const int x = column * 8 + i;
    if (x >= kScreenWidth) return;
    std::uint8_t& pixel = fb.pixels[y * kScreenWidth + x];
    if ((bits >> (7 - i)) & 1) {
      pixel = static_cast<std::uint8_t>(pixel | planeMask);
    } else {
      pixel = static_cast<std::uint8_t>(pixel & ~planeMask);
    }
  }
}

}  // namespace render::detail
