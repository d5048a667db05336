#pragma once

// A small graphics set and world made in code, shaped like the shipped data
// (tile ids up to the life icons, a font from character 32, overlay tables)
// but with patterns that make every drawing rule visible in a picture.

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "render/framebuffer.h"
#include "render/game_graphics.h"
#include "render/game_renderer.h"
#include "sim/page_op.h"
#include "support/indexed_drawing.h"
#include "world/world.h"

namespace rendertest {

// Glyph characters with special pixel values for the text-rule tests.
// '!' row 0 holds, left to right: 0, 16, 24, 8, 13, 1, 15, 17.
constexpr char kRuleGlyph = '!';

render::GameGraphics makeGraphics();
world::World makeWorld();

using testsupport::filledImage;

// A whole picture of one colour.
inline render::Framebuffer filled(int value) {
  render::Framebuffer fb;
  fb.pixels.assign(render::kScreenPixels, static_cast<std::uint8_t>(value));
  return fb;
}

inline std::uint8_t at(const render::Framebuffer& fb, int x, int y) { return fb.pixels[y * 320 + x]; }

// A renderer over the test graphics and world, with a page-op builder.
class RendererTest : public ::testing::Test {
 protected:
  render::GameGraphics gfx = makeGraphics();
  world::World world = makeWorld();
  render::GameRenderer renderer{gfx, world};

  static sim::PageOp op(sim::PageOpKind kind, int a = 0, int b = 0, int c = 0, int d = 0) {
    sim::PageOp o;
    o.kind = kind;
    o.a = a;
    o.b = b;
    o.c = c;
    o.d = d;
    return o;
  }
  static sim::PageOp bubbleOp(int a, int b, int c, const std::string& text) {
    sim::PageOp o = op(sim::PageOpKind::Bubble, a, b, c);
    o.text = text;
    return o;
  }
};

}  // namespace rendertest
