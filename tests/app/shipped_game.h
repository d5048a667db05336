#pragma once

// The shipped game for the application tests: its graphics and frame, and a
// player that drives a GameApp from the win recording as a player would,
// confirming speech bubbles and waiting out fades between recorded steps.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "app/game/game_app.h"
#include "render/game_graphics.h"
#include "render/hud_screen.h"
#include "data/shipped_data.h"

namespace apptest {

struct ShippedGame {
  std::optional<render::GameGraphics> gfx;
  std::optional<render::HudScreen> hud;
  std::vector<std::uint8_t> win;  // the win recording, one input byte per step

  bool complete() const { return data_test::shipped().complete() && gfx && hud && !win.empty(); }
  std::unique_ptr<app::GameApp> makeApp() const;
};

// Loaded once per test program.
const ShippedGame& shippedGame();

// Ticks without a simulation step (bubble waits, fades to black) until the
// application is in play with nothing held back; false when it does not get there.
bool settle(app::GameApp& game);

// A new game, then the first `count` recorded steps, one tick of play each.
// The history then equals those steps.
bool playRecorded(app::GameApp& game, const std::vector<std::uint8_t>& inputs, std::size_t count);

}  // namespace apptest
