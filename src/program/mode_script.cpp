// Scripted play: the whole game application run headless from a play script,
// tick by tick as the interactive loop would run it, recording sounds, music
// and pictures at chosen ticks; optionally followed by the quick-save check.

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "app/game/game_app.h"
#include "core/log.h"
#include "modes.h"
#include "play_script.h"
#include "quicksave_check.h"
#include "render/game_graphics.h"
#include "render/hud_screen.h"
#include "scripted_play.h"
#include "sim/script_program.h"
#include "steps_file.h"
#include "ui/menu_art.h"

namespace fs = std::filesystem;

namespace {

// The game from the first startCount steps of a steps file (all of them when
// startCount is negative or past the end).
bool startFrom(app::GameApp& game, const std::string& path, int startCount) {
  std::optional<std::vector<std::uint8_t>> steps = readStepsFile(path);
  if (!steps) return false;
  if (startCount >= 0 && static_cast<std::size_t>(startCount) < steps->size())
    steps->resize(static_cast<std::size_t>(startCount));
  if (!game.loadHistory(*steps)) return false;
  core::log(core::LogLevel::Info, "started from %zu steps of %s", steps->size(), path.c_str());
  return true;
}

}  // namespace

int runScript(const Data& data, const fs::path& root, const std::string& script, const std::string& captureAt,
              const std::string& out, bool check, const std::string& startSteps, int startCount) {
  const std::optional<render::GameGraphics> graphics = render::loadGameGraphics(root);
  const std::optional<sim::ScriptProgram> program = sim::compileScripts(data.world);
  const std::optional<ScriptInput> input = readPlayScript(script);
  if (!input) core::log(core::LogLevel::Error, "cannot read %s", script.c_str());
  if (!graphics || !program || !input) return 1;

  std::vector<int> captures = parseCaptureList(captureAt);
  std::sort(captures.begin(), captures.end());
  const int last = lastTick(captures);
  if (last > kMaxScriptTick) {
    core::log(core::LogLevel::Error, "capture tick %d is past the longest scripted play of %d ticks", last,
              kMaxScriptTick);
    return 1;
  }

  const sim::Content content = simContent(data);
  const std::optional<render::HudScreen> hud = render::loadHudScreen(root, *graphics, data.world);
  const std::optional<ui::MenuArt> art = ui::MenuArt::load(root);
  if (!art) return 1;

  // Held on the heap: the application carries the whole simulation.
  auto game = std::make_unique<app::GameApp>(content, *program, *graphics, hud ? &*hud : nullptr);
  const fs::path folder = out;
  std::error_code ignored;
  fs::create_directories(folder, ignored);
  ScriptedPlay play(*game, *art, folder);

  if (!startSteps.empty() && !startFrom(*game, startSteps, startCount)) return 1;
  if (!play.openLogs()) return 1;

  ScriptTicks keys(*input);
  bool captured = true;
  int ended = -1;  // the tick on which the player quit from the title
  for (int t = 0; t <= last; ++t) {
    keys.advance(t);
    if (!play.play(keys)) {
      ended = t;
      break;
    }
    play.logRequests(t);
    if (std::binary_search(captures.begin(), captures.end(), t) && !play.capture(t)) {
      captured = false;
      break;
    }
  }

  if (!game->stopReason.empty()) core::log(core::LogLevel::Error, "stopped: %s", game->stopReason.c_str());
  // A capture asked for and never made is a failure, not a shorter play.
  const auto missed = ended < 0 ? captures.end() : std::lower_bound(captures.begin(), captures.end(), ended);
  if (missed != captures.end())
    core::log(core::LogLevel::Error, "the game ended at tick %d, before the capture at tick %d", ended, *missed);
  core::log(core::LogLevel::Info, "played %d ticks", last + 1);
  const bool logged = play.closeLogs();
  if (check && !checkQuickSave(data, *game, content, *program, *graphics, hud ? &*hud : nullptr, folder)) return 1;
  return game->stopReason.empty() && captured && logged && missed == captures.end() ? 0 : 1;
}
