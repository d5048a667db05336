#pragma once

#include <filesystem>
#include <optional>

#include "assets/draw_tables.h"
#include "assets/indexed_image.h"
#include "assets/lift_graphics.h"
#include "assets/palette.h"
#include "assets/sheet.h"
#include "assets/sprite_set.h"
#include "assets/tile_set.h"

namespace render {

// Every graphic the game picture needs, loaded once and shared read-only.
struct GameGraphics {
  assets::TileSet tiles;
  assets::Palette palette;       // the 16 game colours, 6-bit components
  assets::IndexedImage panel;    // status panel background (top 40 rows, 320 columns used)
  assets::Sheet objects;         // 16 x 16 object items
  assets::Sheet font;            // 8 x 8 glyphs from character 32 on
  assets::Sheet logo;            // drawn whole on the show screens
  int logoX = 112;
  int logoY = 4;
  assets::LiftGraphics lifts;
  assets::SpriteSet tumbold;     // the hero
  assets::SpriteSet misc;        // actors, balls, thrown object
  assets::SpriteSet frank;       // the character moving in room 29
  assets::SpriteSet shades;      // overlay while object 0 is carried
  assets::SpriteSet glueon;      // overlay of some hero frames
  assets::SpriteSet balloon;     // the balloon ride
  assets::SpriteSet chandel;     // the chandelier
  assets::DrawTables drawTables;
};

// All or nothing: every loader reports its own failure; nothing partial returns.
std::optional<GameGraphics> loadGameGraphics(const std::filesystem::path& root);

}  // namespace render
