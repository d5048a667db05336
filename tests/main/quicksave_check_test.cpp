// The quick-save check on a played game: equal after a plain replay, and each
// of its three comparisons catching what it is there for.

#include "program/quicksave_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "render/game_graphics.h"
#include "render/hud_screen.h"
#include "data/shipped_data.h"
#include "support/scratch_dir.h"

namespace {

struct Shipped {
  std::optional<render::GameGraphics> gfx = render::loadGameGraphics(data_test::kRoot);
  std::optional<render::HudScreen> hud =
      gfx && data_test::shipped().world ? render::loadHudScreen(data_test::kRoot, *gfx, *data_test::shipped().world)
                                    : std::nullopt;
  bool complete() const { return data_test::shipped().complete() && gfx && hud; }
};

const Shipped& shipped() {
  static const Shipped s;
  return s;
}

// A new game walked right and left, past the energy bar's fill at the start.
std::unique_ptr<app::GameApp> playedGame() {
  const auto& world = data_test::shipped();
  auto game = std::make_unique<app::GameApp>(world.content, *world.program, *shipped().gfx, &*shipped().hud);
  game->startGame();
  for (int t = 0; t < 200; ++t) game->tick(t < 100 ? 8 : 4, false);
  return game;
}

TEST(QuickSaveCheck, EachComparisonCatchesItsOwnDifference) {
  ASSERT_TRUE(shipped().complete());
  const struct {
    const char* what;
    std::function<void(app::GameApp&)> change;
    const char* verdicts;
  } cases[] = {
      {"nothing", [](app::GameApp&) {}, "state equal, frame equal, screen equal"},
      // Flags beyond those the trace comparison looks at count here too.
      {"flag 200", [](app::GameApp& g) { g.sim.state.flags[200] ^= 1; }, "state DIFFERS, frame equal, screen equal"},
      {"the random generator", [](app::GameApp& g) { g.sim.state.rng[2] ^= 1; },
       "state DIFFERS, frame equal, screen equal"},
      {"a carried thing", [](app::GameApp& g) { g.sim.state.carried[2] = 5; },
       "state DIFFERS, frame equal, screen equal"},
      {"a pixel of the frame", [](app::GameApp& g) { g.frame.pixels[320 * 100 + 50] ^= 1; },
       "state equal, frame DIFFERS, screen DIFFERS"},
      {"the energy bar as shown", [](app::GameApp& g) { g.shownEnergy = 0; },
       "state equal, frame equal, screen DIFFERS"},
      {"what is not compared", [](app::GameApp& g) { g.sim.state.vy = 7; },
       "state equal, frame equal, screen equal"},
  };
  for (const auto& c : cases) {
    testsupport::ScratchDir dir("tumbold_check");
    auto game = playedGame();
    c.change(*game);
    ::testing::internal::CaptureStderr();
    const bool equal = checkQuickSave(Data{}, *game, data_test::shipped().content, *data_test::shipped().program,
                                      *shipped().gfx, &*shipped().hud, dir.path());
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(equal, std::string(c.verdicts) == "state equal, frame equal, screen equal") << c.what;
    EXPECT_EQ(log, "[info] quick save check: 200 steps, " + std::string(c.verdicts) + "\n") << c.what;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.path() / "quicksave_check.json")) << c.what;
  }
}

}  // namespace
