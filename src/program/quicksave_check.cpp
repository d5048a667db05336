#include "quicksave_check.h"

#include <memory>
#include <optional>

#include "app/game/quick_save.h"
#include "core/log.h"
#include "render/rgba.h"

namespace {

// What a saved game must bring back: where the hero is, what he has and
// carries, every flag and the random generator. Nothing else is compared.
bool sameGame(const sim::GameState& a, const sim::GameState& b) {
  return a.room == b.room && a.x == b.x && a.y == b.y && a.score == b.score && a.energy == b.energy &&
         a.lives == b.lives && a.carried == b.carried && a.flags == b.flags && a.rng == b.rng;
}

bool sameScreen(const app::GameApp& a, const app::GameApp& b) {
  render::RgbaImage left;
  render::RgbaImage right;
  a.compose(left);
  b.compose(right);
  return left.pixels == right.pixels;
}

const char* verdict(bool equal) { return equal ? "equal" : "DIFFERS"; }

}  // namespace

bool checkQuickSave(const Data&, const app::GameApp& played, const sim::Content& content,
                    const sim::ScriptProgram& program, const render::GameGraphics& graphics,
                    const render::HudScreen* hud, const std::filesystem::path& folder) {
  app::QuickSave save;
  save.keys = played.history;
  const std::filesystem::path file = folder / "quicksave_check.json";
  if (!app::writeQuickSave(file, save)) return false;

  const std::optional<app::QuickSave> back = app::readQuickSave(file);
  if (!back || back->keys != played.history) {
    core::log(core::LogLevel::Error, "quick save: the file does not give back the keys");
    return false;
  }

  // Held on the heap: the application carries the whole simulation.
  auto replayed = std::make_unique<app::GameApp>(content, program, graphics, hud);
  if (!replayed->loadHistory(back->keys)) return false;

  const bool state = sameGame(played.sim.state, replayed->sim.state);
  const bool frame = played.frame.pixels == replayed->frame.pixels;
  const bool screen = sameScreen(played, *replayed);
  core::log(core::LogLevel::Info, "quick save check: %zu steps, state %s, frame %s, screen %s",
            played.history.size(), verdict(state), verdict(frame), verdict(screen));
  return state && frame && screen;
}
