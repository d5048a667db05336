#include "render/game_renderer.h"

#include <algorithm>

#include "render/pixel_ops.h"

namespace render {

namespace {

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (char ch : text) {
    if (ch == '\n') {
      lines.emplace_back();
    } else {
      lines.back() += ch;
    }
  }
  return lines;
}

}  // namespace

GameRenderer::TextStyle GameRenderer::styleNamed(const std::string& name) {
  if (name == "panel") return TextStyle::Panel;
  if (name == "shadow") return TextStyle::Shadow;
  return TextStyle::Plain;
}

void GameRenderer::drawGlyph(Framebuffer& fb, int column, int y, int glyph, TextStyle style) const {
  const assets::Sheet& font = gfx->font;
  // Glyphs wholly outside the picture are dropped before any pixel arithmetic:
  // a text screen may place text at any 32-bit position.
  std::int64_t gx = 0, gy = 0;
  if (column < 0 || column >= kScreenWidth / 8 || y <= -8 || y >= kScreenHeight || !detail::whole(fb) ||
      !detail::sheetItem(font, glyph, gx, gy))
    return;
  for (int r = 0; r < 8; ++r) {
    const int ty = y + r;
    if (ty < 0 || ty >= kScreenHeight) continue;
    for (int i = 0; i < 8; ++i) {
      const int tx = column * 8 + i;
      if (tx >= kScreenWidth) break;
      const int p = detail::imagePixel(font.image, gx + i, gy + r);
      if (p < 0) continue;
      const int v = p < 16 ? p : p - 16;
      std::uint8_t& t = fb.pixels[ty * kScreenWidth + tx];
      switch (style) {
        case TextStyle::Panel:
          t = (v & 12) != 0 ? 1 : 15;
          break;
        case TextStyle::Shadow:
          if ((v & 12) != 0) t = 1;
          break;
        default:
          t = static_cast<std::uint8_t>((p & 7) != 0 ? v : (t | v));
          break;
      }
    }
  }
}

void GameRenderer::drawText(Framebuffer& fb, int column, int y, const std::string& text, TextStyle style) const {
  for (unsigned char ch : text) {
    if (column >= kScreenWidth / 8) break;  // the rest lies right of the picture
    drawGlyph(fb, column, y, detail::characterGlyph(ch), style);
    ++column;
  }
}

void GameRenderer::drawBubble(Framebuffer& fb, const sim::PageOp& op) const {
  const std::vector<std::string> lines = splitLines(op.text);
  const int n = static_cast<int>(lines.size());
  const int column = op.a;
  const int top = 8 * op.b;

  drawText(fb, column, top, "\"" + std::string(lines.front().size(), '*') + "#", TextStyle::Plain);
  for (int i = 0; i < n; ++i) drawText(fb, column, 8 * (op.b + 1 + i), "-" + lines[i] + "/", TextStyle::Plain);
  const std::size_t bottomWidth = std::max<std::size_t>(lines.back().size(), 1);
  const int bottom = 8 * (op.b + 1 + n);
  drawText(fb, column, bottom, "$" + std::string(bottomWidth, '+') + "%", TextStyle::Plain);

  const int tail = op.c & 0xFF;
  drawText(fb, tail & 127, bottom + 7, (tail & 0x80) != 0 ? "&'" : "=<", TextStyle::Plain);
}

std::vector<std::uint8_t> GameRenderer::bubbleMask(const sim::PageOp& op) const {
  // Drawn over black and over white: a pixel the bubble writes shows on at
  // least one of them, whatever its colour.
  Framebuffer over0;
  Framebuffer over15;
  over15.pixels.assign(kScreenPixels, 15);
  drawBubble(over0, op);
  drawBubble(over15, op);
  std::vector<std::uint8_t> mask(kScreenPixels, 0);
  for (int i = 0; i < kScreenPixels; ++i) mask[i] = (over0.pixels[i] != 0 || over15.pixels[i] != 15) ? 1 : 0;
  return mask;
}

void GameRenderer::drawShowScreen(Framebuffer& fb, const std::string& screen, const std::string& page) const {
  const auto found = world->screens.find(screen);
  if (found != world->screens.end()) drawScreen(fb, gfx->tiles, *world, found->second);

  const assets::Sheet& logo = gfx->logo;
  if (logo.count > 0) detail::blit(fb, logo.image, 0, 0, logo.itemW, logo.itemH, gfx->logoX, gfx->logoY, 0, false);

  const auto text = world->textScreens.find(page);
  if (text == world->textScreens.end()) return;
  // Wide enough that no position or length read from the world can overflow.
  long long column = 0;
  long long row = 0;
  TextStyle style = TextStyle::Plain;
  for (const world::TextSegment& segment : text->second) {
    switch (segment.kind) {
      case world::SegmentKind::At:
        column = segment.x;
        row = segment.y;
        break;
      case world::SegmentKind::Style:
        style = styleNamed(segment.text);
        break;
      default: {
        const long long length = static_cast<long long>(segment.text.size());
        const long long y = 8 * row;
        // Text that cannot reach the picture draws nothing; leave it out whole.
        if (column + length > 0 && column < kScreenWidth / 8 && y > -8 && y < kScreenHeight) {
          drawText(fb, static_cast<int>(column), static_cast<int>(y), segment.text, style);
        }
        column += length;
        break;
      }
    }
  }
}

}  // namespace render
