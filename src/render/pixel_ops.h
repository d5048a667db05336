#pragma once

// Pixel primitives and picture facts shared by the drawing files of the render
// component; not part of its public interface.

#include <array>
#include <cstdint>

#include "assets/indexed_image.h"
#include "assets/sheet.h"
#include "render/framebuffer.h"

namespace render::detail {

// Tiles of the panel's life icons, a life left and a life spent.
constexpr int kLifeTile = 1382;
constexpr int kBlankLifeTile = 1383;
// The font has no zero of its own; the letter O stands in for it.
constexpr int kLetterOGlyph = 47;

// The font glyph of a character: the font starts at the space.
inline int characterGlyph(int ch) { return ch == '0' ? kLetterOGlyph : ch - 32; }

// The font glyphs of the panel's three score digits. The game keeps the score
// doubled and shows it modulo 128, the hundreds as a 0 or a 1.
inline std::array<int, 3> scoreGlyphs(int score) {
  const int v = (score >> 1) & 127;
  const int digits[3] = {v >= 100 ? 1 : 0, (v >= 100 ? v - 100 : v) / 10, v % 10};
  std::array<int, 3> glyphs{};
  for (int k = 0; k < 3; ++k) glyphs[k] = digits[k] == 0 ? kLetterOGlyph : digits[k] + 16;
  return glyphs;
}

// True when the framebuffer holds a whole picture; drawing into anything else
// is skipped rather than run past the end of the vector.
inline bool whole(const Framebuffer& fb) { return fb.pixels.size() >= static_cast<std::size_t>(kScreenPixels); }

// Copies the w x h rectangle of `image` at (sx, sy) to (dx, dy) under the game
// graphics index rules: 16 transparent, 0..15 stored, 17 and above OR-ed in as
// value - 16. With onlyBlack only the colour-15 pixels are written. Target rows
// above minY and every pixel outside the picture or outside the image are
// skipped. Positions and sizes come from data files unchecked, so any 32-bit
// values (and their sums) are safe here.
void blit(Framebuffer& fb, const assets::IndexedImage& image, std::int64_t sx, std::int64_t sy, std::int64_t w,
          std::int64_t h, std::int64_t dx, std::int64_t dy, int minY, bool onlyBlack);

// The EGA/VGA plane write of 8 pixels at byte column `column`: where a bit of
// `bits` (bit 7 leftmost) is set the planes of planeMask are set, elsewhere cleared.
void writeByte(Framebuffer& fb, int column, int y, int bits, int planeMask);

// The top-left corner of item `index` in the sheet's picture (which the item
// may lie partly or wholly outside of); false when the sheet has no such item.
inline bool sheetItem(const assets::Sheet& sheet, int index, std::int64_t& x, std::int64_t& y) {
  if (index < 0 || index >= sheet.count || sheet.columns < 1) return false;
  x = std::int64_t{index % sheet.columns} * sheet.itemW;
  y = std::int64_t{index / sheet.columns} * sheet.itemH;
  return true;
}

// The image pixel at (x, y), or -1 outside the image: what lies beyond a
// picture reads as transparent wherever the drawing treats -1 so.
int imagePixel(const assets::IndexedImage& image, std::int64_t x, std::int64_t y);

}  // namespace render::detail
