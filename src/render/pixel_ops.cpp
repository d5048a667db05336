#include "render/pixel_ops.h"

namespace render::detail {

int imagePixel(const assets::IndexedImage& image, int x, int y) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return -1;
  const std::size_t index = static_cast<std::size_t>(y) * image.width + x;
  if (index >= image.pixels.size()) return -1;
  return image.pixels[index];
}

void blit(Framebuffer& fb, const assets::IndexedImage& image, int sx, int sy, int w, int h, int dx,
          int dy, int minY, bool onlyBlack) {
  if (h < 1 || w < 1 || !whole(fb)) return;
  for (int r = 0; r < h; ++r) {
    const int ty = dy + r;
    if (ty < minY || ty < 0 || ty >= kScreenHeight) continue;
    std::uint8_t* row = &fb.pixels[ty * kScreenWidth];
    for (int c = 0; c < w; ++c) {
      const int tx = dx + c;
      if (tx < 0 || tx >= kScreenWidth) continue;
      // Frame and item rectangles come from data files unchecked against
      // their picture; pixels beyond it are treated as transparent.
      const int p = imagePixel(image, sx + c, sy + r);
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
