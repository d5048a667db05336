#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "render/framebuffer.h"
#include "render/game_graphics.h"
#include "sim/game_state.h"
#include "sim/page_op.h"
#include "world/world.h"

namespace render {

// The status-panel values last drawn into one page, for the framed panel.
struct PanelView {
  bool valid = false;  // false until a full panel was drawn into the page
  int room = -1;
  int lives = 0;
  int energy = 0;
  int score = 0;
  int inventory[3] = {-1, -1, -1};  // object graphic per slot, -1 empty
};

// Carries out the simulation's page operations on two indexed pages the way
// the DOS game drew into its two video pages, and composes the moving sprites
// of a game state over the shown one.
class GameRenderer {
 public:
  enum class TextStyle : int { Plain = 0, Panel = 1, Shadow = 2 };

  // Page flags: a page whose flags are both set (3) shows a whole picture.
  static constexpr std::uint32_t kRoomReset = 1;
  static constexpr std::uint32_t kPanelDrawn = 2;

  GameRenderer(const GameGraphics& gfx, const world::World& world);

  void apply(const std::vector<sim::PageOp>& ops);
  // drawOne into the drawing page (an inventory into both), then noteOne.
  void applyOne(const sim::PageOp& op);
  // The pixels of one operation, drawn into page p only.
  void drawOne(int p, const sim::PageOp& op);
  // What one operation changes besides pixels: the page flags, the panel
  // views and, for a flip, the drawing page.
  void noteOne(const sim::PageOp& op);

  void drawObjects(Framebuffer& fb, const std::vector<std::array<int, 3>>& items) const;
  void drawLift(Framebuffer& fb, const sim::LiftState& lift) const;
  void drawPanel(Framebuffer& fb, const sim::PageOp& op) const;
  void drawEnergy(Framebuffer& fb, int energy) const;
  void drawScore(Framebuffer& fb, int score) const;
  void drawInventory(Framebuffer& fb, const std::vector<std::array<int, 3>>& items) const;

  // Text at byte column `column` (8 pixels each) and pixel row y.
  void drawText(Framebuffer& fb, int column, int y, const std::string& text, TextStyle style) const;
  // A speech bubble of a kind-8 operation: a = x column, b = y cell row, c = tail.
  void drawBubble(Framebuffer& fb, const sim::PageOp& op) const;
  // 64000 bytes, 1 wherever the bubble writes a pixel.
  std::vector<std::uint8_t> bubbleMask(const sim::PageOp& op) const;
  // A world screen with the logo and a text screen over it (title, ending, game over).
  void drawShowScreen(Framebuffer& fb, const std::string& screen, const std::string& page) const;

  // The shown page with the state's sprites over it.
  void compose(const sim::GameState& state, Framebuffer& out) const;

  static TextStyle styleNamed(const std::string& name);

  const GameGraphics* gfx;
  const world::World* world;
  Framebuffer pages[2];
  int drawPage = 0;  // the other page is shown
  std::uint32_t pageFlags[2] = {0, 0};
  PanelView panels[2];

 private:
  // Object item `id` (16 x 16) at (x, y); ids outside the sheet draw nothing.
  void drawObjectItem(Framebuffer& fb, int id, int x, int y) const;
  void drawGlyph(Framebuffer& fb, int column, int y, int glyph, TextStyle style) const;
};

}  // namespace render
