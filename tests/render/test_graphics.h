#pragma once

// A small graphics set and world made in code, shaped like the shipped data
// (tile ids up to the life icons, a font from character 32, overlay tables)
// but with patterns that make every drawing rule visible in a picture.

#include "render/game_graphics.h"
#include "world/world.h"

namespace rendertest {

// Glyph characters with special pixel values for the text-rule tests.
// '!' row 0 holds, left to right: 0, 16, 24, 8, 13, 1, 15, 17.
constexpr char kRuleGlyph = '!';

render::GameGraphics makeGraphics();
world::World makeWorld();

// An image of w x h filled with `value`.
assets::IndexedImage filledImage(int w, int h, int value);

}  // namespace rendertest
