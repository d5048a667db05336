// Second-reading checks of the drawing rules: positions taken from data files
// at the far ends of their range, and rules that are easy to get subtly wrong.

#include <gtest/gtest.h>

#include <climits>

#include "render/game_renderer.h"
#include "test_graphics.h"

using render::Framebuffer;
using render::GameRenderer;
using Style = render::GameRenderer::TextStyle;
using world::SegmentKind;
using rendertest::filled;

namespace {

class FarPositions : public rendertest::RendererTest {
 protected:
  // The logo over an untouched picture: what a show screen without a visible text gives.
  Framebuffer logoOnly() {
    Framebuffer fb = filled(2);
    renderer.drawShowScreen(fb, "no such screen", "no such text");
    return fb;
  }
};

}  // namespace

TEST_F(FarPositions, TextFarOutsideThePictureDrawsNothing) {
  const Framebuffer untouched = filled(2);
  for (int column : {40, 1 << 28, 2000000000, INT_MAX - 2}) {
    Framebuffer fb = filled(2);
    renderer.drawText(fb, column, 0, "AAAA", Style::Panel);
    EXPECT_EQ(fb.pixels, untouched.pixels) << "column " << column;
  }
  for (int y : {200, INT_MAX - 3, INT_MIN, -8}) {
    Framebuffer fb = filled(2);
    renderer.drawText(fb, 0, y, "AAAA", Style::Panel);
    EXPECT_EQ(fb.pixels, untouched.pixels) << "y " << y;
  }
  // A text starting far to the left still reaches the picture with its tail.
  Framebuffer tail = filled(2);
  renderer.drawText(tail, -3, 0, "xxxA", Style::Panel);
  Framebuffer ref = filled(2);
  renderer.drawText(ref, 0, 0, "A", Style::Panel);
  EXPECT_EQ(tail.pixels, ref.pixels);
}

TEST_F(FarPositions, TextScreenPositionsAtTheEndsOfTheirRangeDrawNothing) {
  // Rows whose pixel row 8 * row passes the 32-bit range must not wrap back
  // into the picture (536870922 * 8 wraps to 80), and huge columns must not
  // wrap into memory before the picture.
  world.textScreens["far"] = {{SegmentKind::At, 2000000000, 2, ""},  {SegmentKind::Text, 0, 0, "FAR RIGHT"},
                              {SegmentKind::At, 2, 536870922, ""},   {SegmentKind::Text, 0, 0, "WRAPPED"},
                              {SegmentKind::At, INT_MAX - 1, 3, ""}, {SegmentKind::Text, 0, 0, "PAST THE END"},
                              {SegmentKind::At, INT_MIN, 4, ""},     {SegmentKind::Text, 0, 0, "FAR LEFT"},
                              {SegmentKind::At, 0, INT_MIN, ""},     {SegmentKind::Text, 0, 0, "FAR UP"}};
  Framebuffer fb = filled(2);
  renderer.drawShowScreen(fb, "no such screen", "far");
  EXPECT_EQ(fb.pixels, logoOnly().pixels);

  // A later "at" segment brings the text back: the walk goes on normally.
  world.textScreens["back"] = {{SegmentKind::At, 2000000000, 2, ""},
                               {SegmentKind::Text, 0, 0, "GONE"},
                               {SegmentKind::At, -2, 10, ""},
                               {SegmentKind::Text, 0, 0, "xxAB"},
                               {SegmentKind::Text, 0, 0, "C"}};
  Framebuffer back = filled(2);
  renderer.drawShowScreen(back, "no such screen", "back");
  Framebuffer ref = logoOnly();
  renderer.drawText(ref, 0, 80, "ABC", Style::Plain);
  EXPECT_EQ(back.pixels, ref.pixels);
}
