#pragma once

// Drawing into indexed pictures made in code by the tests; whatever falls
// outside the picture is dropped.

#include <cstddef>
#include <cstdint>

#include "assets/indexed_image.h"

namespace testsupport {

// An image of w x h filled with `value`.
inline assets::IndexedImage filledImage(int w, int h, int value) {
  assets::IndexedImage image;
  image.width = w;
  image.height = h;
  image.pixels.assign(static_cast<std::size_t>(w) * h, static_cast<std::uint8_t>(value));
  return image;
}

inline void setPixel(assets::IndexedImage& image, int x, int y, int value) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
  image.pixels[static_cast<std::size_t>(y) * image.width + x] = static_cast<std::uint8_t>(value);
}

inline void fillRect(assets::IndexedImage& image, int x, int y, int w, int h, int value) {
  for (int r = 0; r < h; ++r)
    for (int c = 0; c < w; ++c) setPixel(image, x + c, y + r, value);
}

}  // namespace testsupport
