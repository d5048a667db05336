#include <algorithm>
#include <cstddef>
#include <vector>

#include "ui/menu_art.h"

namespace ui {

void dim(render::RgbaImage& img, Rect r) {
  const long long x0 = std::max<long long>(r.x, 0);
  const long long y0 = std::max<long long>(r.y, 0);
  const long long x1 = std::min<long long>(static_cast<long long>(r.x) + r.w, img.width);
  const long long y1 = std::min<long long>(static_cast<long long>(r.y) + r.h, img.height);
  for (long long y = y0; y < y1; ++y) {
    for (long long x = x0; x < x1; ++x) {
      std::uint32_t& p = img.pixels[static_cast<std::size_t>(y * img.width + x)];
      p = ((p >> 1) & 0x7F7F7Fu) | 0xFF000000u;
    }
  }
}

render::RgbaImage shrink(const render::RgbaImage& src, Rect r, int w, int h) {
  render::RgbaImage out;
  if (w < 1 || h < 1) return out;
  out.width = w;
  out.height = h;
  out.pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0xFF000000u);
  std::vector<std::uint32_t> box;
  for (long long oy = 0; oy < h; ++oy) {
    const long long y0 = oy * r.h / h;
    const long long y1 = (oy + 1) * r.h / h;
    for (long long ox = 0; ox < w; ++ox) {
      const long long x0 = ox * r.w / w;
      const long long x1 = (ox + 1) * r.w / w;
      box.clear();
      for (long long sy = y0; sy < y1; ++sy) {
        const long long y = r.y + sy;
        if (y < 0 || y >= src.height) continue;
        for (long long sx = x0; sx < x1; ++sx) {
          const long long x = r.x + sx;
          if (x < 0 || x >= src.width) continue;
          box.push_back(src.pixels[static_cast<std::size_t>(y * src.width + x)] | 0xFF000000u);
        }
      }
      if (box.empty()) continue;
      // Sorted, equal colours form runs; the first longest run is the
      // smallest of the most frequent values.
      std::sort(box.begin(), box.end());
      std::uint32_t best = box[0];
      std::size_t bestCount = 0;
      for (std::size_t i = 0; i < box.size();) {
        std::size_t j = i;
        while (j < box.size() && box[j] == box[i]) ++j;
        if (j - i > bestCount) {
          bestCount = j - i;
          best = box[i];
        }
        i = j;
      }
      out.pixels[static_cast<std::size_t>(oy * w + ox)] = best;
    }
  }
  return out;
}

}  // namespace ui
