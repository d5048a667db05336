#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "assets/palette.h"
#include "render/framebuffer.h"
#include "render/game_graphics.h"
#include "render/game_renderer.h"
#include "render/rgba.h"
#include "world/world.h"

namespace render {

constexpr int kHudWidth = 348;
constexpr int kHudHeight = 240;
// Where the 320 x 200 picture sits in the frame during play. Its play area,
// below the panel rows, is the frame's game view: 320 x 160 at (14, 66), what
// the pause menu dims and a save's thumbnail shows.
constexpr int kHudPlayX = 14;
constexpr int kHudPlayY = 26;
constexpr int kHudViewX = kHudPlayX;
constexpr int kHudViewY = kHudPlayY + kPlayAreaTop;
constexpr int kHudViewWidth = kScreenWidth;
constexpr int kHudViewHeight = kScreenHeight - kPlayAreaTop;

// The game in a decorative 348 x 240 frame: the play area inside the frame
// art, the frame's own panel completed with the current values in full colour,
// the title in its film strip and a centred message box for notices.
class HudScreen {
 public:
  struct InventoryIcon {
    int object = -1;  // object graphic
    int x = 0;        // pixel offset inside the inventory box; 16 i for slot i at rest
  };

  HudScreen(const GameGraphics& gfx, const world::World& world, RgbaImage frame);

  // One 8 x 8 glyph in the graphics' own colours; inverted flips the RGB bits.
  void drawGlyph(RgbaImage& out, int ch, int x, int y, bool inverted) const;
  // icons null: the view's three inventory slots at rest.
  void drawPanel(const PanelView& view, const std::vector<InventoryIcon>* icons, RgbaImage& out) const;
  // mask: bubble coverage of the framebuffer (1 = show over the panel), ignored
  // unless it has one byte per framebuffer pixel.
  void composePlay(const Framebuffer& fb, const assets::Palette& palette, const PanelView& view,
                   const std::vector<std::uint8_t>* mask, RgbaImage& out,
                   const std::vector<InventoryIcon>* icons) const;
  // The whole picture on black (ending, game over).
  void composeFullFrame(const Framebuffer& fb, const assets::Palette& palette, RgbaImage& out) const;
  // The title in its film-strip frame, with overlay rows 0..7 (the credit line) below it.
  void composeTitle(const Framebuffer& fb, const Framebuffer& overlay, const assets::Palette& palette,
                    RgbaImage& out) const;
  void drawMessage(RgbaImage& out, const std::vector<std::string>& lines) const;

  const GameGraphics* gfx;
  const world::World* world;
  RgbaImage frame;
  RgbaImage titleFrame;
  std::int16_t lifeIcon[16][16];
  std::int16_t blankIcon[16][16];

 private:
  std::uint32_t colour(int index) const;
};

// Loads assets/UI/frame_transparent.png (required) and title_frame.png (optional).
std::optional<HudScreen> loadHudScreen(const std::filesystem::path& root, const GameGraphics& gfx,
                                       const world::World& world);

}  // namespace render
