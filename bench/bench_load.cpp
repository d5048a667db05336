// Loading a long game: a history of a million steps (about four hours of play)
// replayed by the game application as a load does, beside the bare simulation
// of the same steps with its page operations dropped, so the cost of the
// pictures shows on its own.

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "app/game/game_app.h"
#include "bench.h"
#include "data/shipped_data.h"
#include "render/game_graphics.h"
#include "render/hud_screen.h"
#include "support/steps_reader.h"

namespace {

constexpr std::size_t kSteps = 1000000;
constexpr std::uint8_t kCheats = app::GameApp::kCheatLives | app::GameApp::kCheatEnergy;

// The hero standing in the first room the whole time.
std::vector<std::uint8_t> idleHistory() { return std::vector<std::uint8_t>(kSteps, 0); }

// The first half of the won game, then walking to and fro with jumps under
// both cheats, so that the rest of the million steps cannot end the game.
std::vector<std::uint8_t> playedHistory(const std::vector<std::uint8_t>& win) {
  std::vector<std::uint8_t> keys(win.begin(), win.begin() + static_cast<std::ptrdiff_t>(win.size() / 2));
  while (keys.size() < kSteps) {
    const std::size_t t = keys.size() % 400;
    std::uint8_t b = t < 200 ? sim::kInputRight : sim::kInputLeft;
    if (t % 100 >= 50 && t % 100 < 60) b |= sim::kInputUp;
    keys.push_back(static_cast<std::uint8_t>(b | kCheats));
  }
  return keys;
}

// The simulation alone over the history, as a load drives it, without drawing.
double bareSeconds(app::GameApp& game, const std::vector<std::uint8_t>& keys) {
  const auto start = std::chrono::steady_clock::now();
  game.startGame();
  for (const std::uint8_t b : keys) {
    game.applyCheats(b);
    game.sim.beginStep(static_cast<std::uint8_t>(b & app::GameApp::kSimInputMask));
    game.sim.ops.clear();
    game.sim.endStep();
    game.sim.ops.clear();
    game.applyCheats(b);
    if (!game.sim.error.empty() || game.sim.state.endCode != 0) break;
  }
  return bench::seconds(start);
}

}  // namespace

TUMBOLD_BENCHMARK(load_long_game) {
  const data_test::Shipped& data = data_test::shipped();
  const auto graphics = render::loadGameGraphics(data_test::kRoot);
  const auto hud = graphics && data.world ? render::loadHudScreen(data_test::kRoot, *graphics, *data.world)
                                          : std::nullopt;
  const auto win = testsupport::readSteps(data_test::kRoot / "tests" / "sim" / "data" / "win.steps");
  if (!data.complete() || !graphics || !hud || win.empty()) {
    std::printf("the shipped data set or the win recording does not load\n");
    return;
  }
  const struct {
    const char* name;
    std::vector<std::uint8_t> keys;
  } histories[] = {{"idle in the first room", idleHistory()}, {"half the won game, then walking", playedHistory(win)}};
  for (const auto& h : histories) {
    // Held on the heap: the application carries the whole simulation.
    auto game = std::make_unique<app::GameApp>(data.content, *data.program, *graphics, &*hud);
    const double bare = bareSeconds(*game, h.keys);
    const auto start = std::chrono::steady_clock::now();
    const bool loaded = game->loadHistory(h.keys);
    const double load = bench::seconds(start);
    std::printf("%s, %zu steps: load %.3f s (%s), bare simulation %.3f s, load / bare %.2f\n", h.name,
                h.keys.size(), load, loaded ? "replayed" : "DID NOT REPLAY", bare, load / bare);
  }
}
