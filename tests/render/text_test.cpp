#include <gtest/gtest.h>

#include "render/game_renderer.h"
#include "test_graphics.h"

using render::Framebuffer;
using render::GameRenderer;
using Style = render::GameRenderer::TextStyle;
using rendertest::at;
using rendertest::filled;

namespace {

class Text : public rendertest::RendererTest {
 protected:
  // The 8 x 8 cell at byte column `column`, row y.
  static std::vector<int> cell(const Framebuffer& fb, int column, int y) {
    std::vector<int> out;
    for (int r = 0; r < 8; ++r)
      for (int i = 0; i < 8; ++i) out.push_back(at(fb, column * 8 + i, y + r));
    return out;
  }
  std::vector<int> glyphCell(const std::string& ch, Style style = Style::Plain, int background = 2) const {
    Framebuffer fb = filled(background);
    renderer.drawText(fb, 0, 0, ch, style);
    return cell(fb, 0, 0);
  }
};

}  // namespace

TEST_F(Text, PlainPanelAndShadowStylesFollowTheGlyphValues) {
  // Glyph row 0 of '!': 0, 16, 24, 8, 13, 1, 15, 17 over colour 2.
  Framebuffer fb = filled(2);
  renderer.drawText(fb, 3, 50, "!", Style::Plain);
  const int plain[8] = {2, 2, 10, 10, 13, 1, 15, 1};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(at(fb, 24 + i, 50), plain[i]) << i;

  Framebuffer panel = filled(2);
  renderer.drawText(panel, 3, 50, "!", Style::Panel);
  const int panelRow[8] = {15, 15, 1, 1, 1, 15, 1, 15};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(at(panel, 24 + i, 50), panelRow[i]) << i;
  for (int v : cell(panel, 3, 50)) EXPECT_TRUE(v == 1 || v == 15);

  Framebuffer shadow = filled(2);
  renderer.drawText(shadow, 3, 50, "!", Style::Shadow);
  const int shadowRow[8] = {2, 2, 1, 1, 1, 2, 1, 2};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(at(shadow, 24 + i, 50), shadowRow[i]) << i;
}

TEST_F(Text, ZeroUsesTheLetterOAndEveryCharacterAdvances) {
  Framebuffer a = filled(2);
  renderer.drawText(a, 0, 0, "10", Style::Plain);
  EXPECT_EQ(cell(a, 1, 0), glyphCell("O"));
  EXPECT_EQ(cell(a, 0, 0), glyphCell("1"));

  // Control codes and codes past the font draw nothing but still take a column.
  Framebuffer b = filled(2);
  renderer.drawText(b, 0, 0, std::string("\x01") + "\xC8" + "A", Style::Plain);
  EXPECT_EQ(cell(b, 0, 0), std::vector<int>(64, 2));
  EXPECT_EQ(cell(b, 1, 0), std::vector<int>(64, 2));
  EXPECT_EQ(cell(b, 2, 0), glyphCell("A"));
}

TEST_F(Text, ClipsAtEveryEdge) {
  Framebuffer fb = filled(2);
  renderer.drawText(fb, -1, 0, "AA", Style::Panel);  // the first glyph is off the left edge
  EXPECT_EQ(cell(fb, 0, 0), glyphCell("A", Style::Panel));
  renderer.drawText(fb, 39, 196, "AB", Style::Panel);  // the last column fits, rows 196..199 only
  EXPECT_EQ(at(fb, 319, 199), glyphCell("A", Style::Panel)[3 * 8 + 7]);
  renderer.drawText(fb, 10, -4, "A", Style::Panel);
  EXPECT_EQ(at(fb, 80, 0), glyphCell("A", Style::Panel)[4 * 8]);
  renderer.drawText(fb, 40, 100, "A", Style::Panel);
  renderer.drawText(fb, 10, 200, "A", Style::Panel);
  int touched = 0;
  for (int y = 96; y < 112; ++y)
    for (int x = 0; x < 320; ++x) touched += at(fb, x, y) != 2;
  EXPECT_EQ(touched, 0);
}

TEST_F(Text, BubbleFrameFollowsTheFirstAndLastLines) {
  Framebuffer fb = filled(2);
  renderer.drawBubble(fb, bubbleOp(4, 10, 6, "AB\nDE"));
  Framebuffer ref = filled(2);
  renderer.drawText(ref, 4, 80, "\"**#", Style::Plain);
  renderer.drawText(ref, 4, 88, "-AB/", Style::Plain);
  renderer.drawText(ref, 4, 96, "-DE/", Style::Plain);
  renderer.drawText(ref, 4, 104, "$++%", Style::Plain);
  renderer.drawText(ref, 6, 111, "=<", Style::Plain);
  EXPECT_EQ(fb.pixels, ref.pixels);

  Framebuffer left = filled(2);
  renderer.drawBubble(left, bubbleOp(4, 10, 0x80 | 9, "ABC\n"));
  Framebuffer leftRef = filled(2);
  renderer.drawText(leftRef, 4, 80, "\"***#", Style::Plain);
  renderer.drawText(leftRef, 4, 88, "-ABC/", Style::Plain);
  renderer.drawText(leftRef, 4, 96, "-/", Style::Plain);
  renderer.drawText(leftRef, 4, 104, "$+%", Style::Plain);
  renderer.drawText(leftRef, 9, 111, "&'", Style::Plain);
  EXPECT_EQ(left.pixels, leftRef.pixels);
}

TEST_F(Text, BubbleMaskMarksEveryWrittenPixelButNotTheSeeThroughOnes) {
  const auto op = bubbleOp(0, 0, 1, "!");
  const auto mask = renderer.bubbleMask(op);
  ASSERT_EQ(mask.size(), 64000u);
  // Row 8 holds "-!/": glyph '!' in column 1 with its values 0 and 16 at x 8 and 9.
  EXPECT_EQ(mask[8 * 320 + 8], 0);
  EXPECT_EQ(mask[8 * 320 + 9], 0);
  for (int x = 10; x < 16; ++x) EXPECT_EQ(mask[8 * 320 + x], 1) << x;
  EXPECT_EQ(mask[9 * 320 + 8], 0);  // transparent rows of '!'
  // Frame pieces: the top-left corner is see-through in its upper half.
  EXPECT_EQ(mask[0], 0);
  EXPECT_EQ(mask[4 * 320 + 4], 1);
  EXPECT_EQ(mask[199 * 320 + 319], 0);
}

TEST_F(Text, ShowScreenDrawsTheLogoEvenWithoutAScreen) {
  Framebuffer fb = filled(4);
  renderer.drawShowScreen(fb, "no such screen", "no such text");
  EXPECT_EQ(at(fb, 112, 4), 4);        // transparent logo corner
  EXPECT_EQ(at(fb, 112 + 10, 4), 14);  // logo body
  EXPECT_EQ(at(fb, 112 + 10, 4 + 8), 4 | 1);
  EXPECT_EQ(at(fb, 0, 100), 4);

  Framebuffer titled = filled(3);
  renderer.drawShowScreen(titled, "title", "title");
  Framebuffer ref = filled(3);
  render::drawScreen(ref, gfx.tiles, world, world.screens.at("title"));
  Framebuffer logoOnly = ref;
  renderer.drawShowScreen(logoOnly, "title", "none");
  renderer.drawText(logoOnly, 12, 160, "PRESS FIRE", Style::Plain);
  renderer.drawText(logoOnly, 4, 176, "SCORE 10", Style::Panel);
  renderer.drawText(logoOnly, 12, 176, " HI", Style::Shadow);
  EXPECT_EQ(titled.pixels, logoOnly.pixels);
}

TEST(TextStyleNames, OnlyPanelAndShadowAreSpecial) {
  EXPECT_EQ(GameRenderer::styleNamed("panel"), Style::Panel);
  EXPECT_EQ(GameRenderer::styleNamed("shadow"), Style::Shadow);
  EXPECT_EQ(GameRenderer::styleNamed("Panel"), Style::Plain);
  EXPECT_EQ(GameRenderer::styleNamed(""), Style::Plain);
}
