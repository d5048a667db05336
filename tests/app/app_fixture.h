#pragma once

// A small game made in code for the application tests: graphics, a HUD frame,
// and a world whose start room holds a talker that speaks and then teleports
// the hero into a room that drains his energy until the game is over.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/game/game_app.h"
#include "render/game_graphics.h"
#include "render/hud_screen.h"
#include "render/rgba.h"
#include "sim/content.h"
#include "sim/script_program.h"
#include "world/world.h"

namespace apptest {

// Tile ids of the test world.
constexpr std::uint16_t kFloor = 2;   // floor attribute everywhere
constexpr std::uint16_t kWall = 33;   // no attribute, a visible pattern

// Timing of the talker in the start room (steps after the new game).
constexpr int kTalkWait = 40;
constexpr int kTeleportWait = 20;
constexpr int kTeleportRoom = 1;
constexpr std::uint8_t kTeleportTune = 3;

render::GameGraphics makeGraphics();
// 348 x 240 frame art with a recognisable panel.
render::RgbaImage makeFrameArt();
// The talker world; with talker false the start room is quiet.
world::World makeWorld(bool talker = true);

// Everything a GameApp borrows, built once per test.
struct TestGame {
  world::World world;
  render::GameGraphics gfx;
  sim::Content content;
  std::optional<sim::ScriptProgram> program;
  std::optional<render::HudScreen> hud;

  explicit TestGame(bool talker = true);
  TestGame(const TestGame&) = delete;
  TestGame& operator=(const TestGame&) = delete;

  // A new application; withHud false gives the raw 320 x 200 output.
  std::unique_ptr<app::GameApp> makeApp(bool withHud = true) const;
};

// Ticks the application n times with the same input; false once tick asked to quit.
bool run(app::GameApp& game, int n, std::uint8_t keys = 0, bool back = false);
// Ticks until the mode is `mode` (at most `limit` ticks); the number of ticks, or -1.
int runUntilMode(app::GameApp& game, std::uint32_t mode, int limit, std::uint8_t keys = 0);
// Gets a shown screen past its first tick, its fade and its minimum wait, then
// presses and releases fire; returns when the mode has left the screen.
void confirmScreen(app::GameApp& game);
// Presses fire for a speech bubble and releases it; returns in play.
void confirmBubble(app::GameApp& game);

// Compares with tests/app/golden/<name>.png. On a difference the actual picture
// and a copy of the expected one go to <build>/golden-diff/app/ and both are
// named. TUMBOLD_UPDATE_GOLDENS set rewrites the golden (check it by eye).
::testing::AssertionResult matchesGolden(const std::string& name, const render::RgbaImage& actual);

}  // namespace apptest
