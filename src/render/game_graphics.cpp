#include "render/game_graphics.h"

#include <utility>

namespace render {

std::optional<GameGraphics> loadGameGraphics(const std::filesystem::path& root) {
  const auto graphics = root / "assets" / "graphics";
  const auto sprites = graphics / "sprites";

  // Every base loader runs even after a failure so that one start reports all
  // the missing or broken files at once.
  auto tiles = assets::loadTileSet(graphics);
  auto palette = assets::loadPalette(root / "assets" / "palettes" / "vga.json");
  auto panel = assets::loadIndexedPng(graphics / "panel.png");
  auto objects = assets::loadSheet(graphics, "objects");
  auto font = assets::loadSheet(graphics, "font");
  auto logo = assets::loadSheet(graphics, "logo");
  auto lifts = assets::loadLiftGraphics(graphics);
  auto drawTables = assets::loadDrawTables(graphics);
  if (!tiles || !palette || !panel || !objects || !font || !logo || !lifts || !drawTables) return std::nullopt;

  GameGraphics gfx;
  gfx.tiles = std::move(*tiles);
  gfx.palette = *palette;
  gfx.panel = std::move(*panel);
  gfx.objects = std::move(*objects);
  gfx.font = std::move(*font);
  gfx.logo = std::move(*logo);
  gfx.lifts = std::move(*lifts);
  gfx.drawTables = std::move(*drawTables);

  const std::pair<const char*, assets::SpriteSet GameGraphics::*> sets[] = {
      {"tumbold", &GameGraphics::tumbold}, {"misc", &GameGraphics::misc},       {"frank", &GameGraphics::frank},
      {"shades", &GameGraphics::shades},   {"glueon", &GameGraphics::glueon},   {"balloon", &GameGraphics::balloon},
      {"chandel", &GameGraphics::chandel},
  };
  for (const auto& [name, member] : sets) {
    auto set = assets::loadSpriteSet(sprites, name);
    if (!set) return std::nullopt;
    gfx.*member = std::move(*set);
  }
  return gfx;
}

}  // namespace render
