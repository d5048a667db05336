#pragma once

// Pixel primitives shared by the drawing files of the render component; not
// part of its public interface.

#include <cstdint>

#include "assets/indexed_image.h"
#include "render/framebuffer.h"

namespace render::detail {

// True when the framebuffer holds a whole picture; drawing into anything else
// is skipped rather than run past the end of the vector.
inline bool whole(const Framebuffer& fb) { return fb.pixels.size() >= static_cast<std::size_t>(kScreenPixels); }

// Copies the w x h rectangle of `image` at (sx, sy) to (dx, dy) under the game
// graphics index rules: 16 transparent, 0..15 stored, 17 and above OR-ed in as
// value - 16. With onlyBlack only the colour-15 pixels are written. Target rows
// above minY and every pixel outside the picture or outside the image are skipped.
void blit(Framebuffer& fb, const assets::IndexedImage& image, int sx, int sy, int w, int h, int dx,
          int dy, int minY, bool onlyBlack);

// The EGA/VGA plane write of 8 pixels at byte column `column`: where a bit of
// `bits` (bit 7 leftmost) is set the planes of planeMask are set, elsewhere cleared.
void writeByte(Framebuffer& fb, int column, int y, int bits, int planeMask);

// The image pixel at (x, y), or -1 outside the image.
int imagePixel(const assets::IndexedImage& image, int x, int y);

}  // namespace render::detail
