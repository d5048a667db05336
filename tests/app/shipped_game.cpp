#include "shipped_game.h"

#include "support/steps_reader.h"

namespace apptest {

std::unique_ptr<app::GameApp> ShippedGame::makeApp() const {
  return std::make_unique<app::GameApp>(data_test::shipped().content, *data_test::shipped().program, *gfx, &*hud);
}

const ShippedGame& shippedGame() {
  static const ShippedGame game = [] {
    ShippedGame g;
    const auto& world = data_test::shipped().world;
    g.gfx = render::loadGameGraphics(data_test::kRoot);
    if (g.gfx && world) g.hud = render::loadHudScreen(data_test::kRoot, *g.gfx, *world);
    g.win = testsupport::readSteps(data_test::kRoot / "tests" / "sim" / "data" / "win.steps");
    return g;
  }();
  return game;
}

bool settle(app::GameApp& game) {
  for (int guard = 0; guard < 2000; ++guard) {
    if (game.mode == app::GameApp::kModePlay && game.pending.empty()) return true;
    if (game.mode != app::GameApp::kModeBubble && game.mode != app::GameApp::kModeFadeBlack &&
        game.mode != app::GameApp::kModePlay)
      return false;
    // A bubble wants fire pressed once its minimum wait has passed, then released.
    const bool press = game.mode == app::GameApp::kModeBubble && game.fireWait.state == 2;
    game.tick(press ? 16 : 0, false);
  }
  return false;
}

bool playRecorded(app::GameApp& game, const std::vector<std::uint8_t>& inputs, std::size_t count) {
  game.startGame();
  for (std::size_t i = 0; i < count && i < inputs.size(); ++i) {
    if (!settle(game)) return false;
    game.tick(inputs[i], false);
  }
  return settle(game) && game.history.size() == count;
}

}  // namespace apptest
