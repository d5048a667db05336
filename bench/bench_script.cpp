// Scripted play speed: the game application driven from a play script that
// starts a game and walks to and fro with jumps, without captures and with both
// pictures written at every tick (the worst case) and once a second.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>

#include "app/game/game_app.h"
#include "bench.h"
#include "program/play_script.h"
#include "program/scripted_play.h"
#include "render/game_graphics.h"
#include "render/hud_screen.h"
#include "data/shipped_data.h"
#include "ui/menu_art.h"

namespace {

namespace fs = std::filesystem;

ScriptInput walkingScript(int ticks) {
  std::ostringstream text;
  text << "40-42 fire\n";
  for (int t = 100; t < ticks; t += 200) {
    text << t << "-" << t + 99 << " right\n";
    text << t + 100 << "-" << t + 199 << " left\n";
    text << t + 50 << "-" << t + 60 << " up\n";
  }
  std::istringstream in(text.str());
  return parsePlayScript(in);
}

// Ticks per second over ticks 0 to ticks - 1, capturing every `every` ticks
// (0: never); steps receives how many of them were game steps.
double ticksPerSecond(const data_test::Shipped& data, const render::GameGraphics& gfx,
                      const render::HudScreen& hud, const ui::MenuArt& art, const fs::path& folder, int ticks,
                      int every, std::size_t& steps) {
  auto game = std::make_unique<app::GameApp>(data.content, *data.program, gfx, &hud);
  ScriptedPlay play(*game, art, folder);
  play.openLogs();
  const ScriptInput script = walkingScript(ticks);
  ScriptTicks keys(script);
  const auto start = std::chrono::steady_clock::now();
  for (int t = 0; t < ticks; ++t) {
    keys.advance(t);
    if (!play.play(keys)) break;
    play.logRequests(t);
    if (every > 0 && t % every == 0) play.capture(t);
  }
  const double seconds = bench::seconds(start);
  steps = game->history.size();
  return ticks / seconds;
}

}  // namespace

TUMBOLD_BENCHMARK(scripted_play) {
  const data_test::Shipped& data = data_test::shipped();
  const auto gfx = render::loadGameGraphics(data_test::kRoot);
  const auto hud = gfx && data.world ? render::loadHudScreen(data_test::kRoot, *gfx, *data.world) : std::nullopt;
  const auto art = ui::MenuArt::load(data_test::kRoot);
  if (!data.complete() || !hud || !art) {
    std::printf("the shipped data set does not load\n");
    return;
  }
  const fs::path folder = fs::temp_directory_path() / ("bench_play_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const struct {
    const char* what;
    int ticks;
    int every;
  } runs[] = {{"without captures", 70000, 0},
              {"with captures once a second", 14000, 70},
              {"with captures every tick", 1400, 1}};
  for (const auto& run : runs) {
    std::size_t steps = 0;
    const double rate = ticksPerSecond(data, *gfx, *hud, *art, folder, run.ticks, run.every, steps);
    std::printf("%-28s %6d ticks (%6zu of them game steps): %8.0f ticks per second\n", run.what, run.ticks,
                steps, rate);
  }
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}
