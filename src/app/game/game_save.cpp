// Saving a game as its input history and loading it by replaying that history
// from a new game, checked against the values stored with it.

#include <ctime>
#include <optional>
#include <system_error>
#include <utility>

#include "app/game/game_app.h"
#include "app/game/quick_save.h"
#include "core/log.h"
#include "render/deferred_pages.h"

namespace app {

namespace {

namespace fs = std::filesystem;

std::array<int, 6> checkValues(const sim::GameState& s) {
  return {s.room, s.x, s.y, s.score, s.lives, s.energy};
}

}  // namespace

bool GameApp::saveGame(const fs::path& path, const render::RgbaImage& picture) {
  if (mode != kModePlay || !stopReason.empty() || path.empty()) return false;

  QuickSave save;
  save.keys = history;
  save.savedAt = static_cast<std::int64_t>(std::time(nullptr));
  save.check = checkValues(sim.state);
  const bool ok = writeQuickSave(path, save);
  if (ok) {
    fs::path picturePath = path;
    picturePath.replace_extension(".png");
    const bool pictured = picture.width > 0 && render::saveRgbaPng(picturePath, picture);
    if (picture.width > 0 && !pictured)
      core::log(core::LogLevel::Error, "save: no picture written beside %s", path.string().c_str());
    if (!pictured) {
      // The picture of the game saved there before must not pass for this one's.
      std::error_code ignored;
      if (fs::is_regular_file(fs::symlink_status(picturePath, ignored))) fs::remove(picturePath, ignored);
    }
    core::log(core::LogLevel::Info, "saved: %zu steps -> %s", history.size(), path.string().c_str());
  }
  return ok;
}

void GameApp::requestQuickSave(const render::RgbaImage& picture) {
  if (mode != kModePlay || !stopReason.empty() || quickSavePath.empty())
    notice({"CANNOT SAVE NOW"});
  else if (saveGame(quickSavePath, picture))
    notice({"GAME SAVED"});
  else if (!fitsQuickSave(history))
    notice({"SAVE FAILED", kTooLongToSave});
  else
    notice({"SAVE FAILED"});
}

bool GameApp::loadGame(const fs::path& path, std::string& error) {
  const std::optional<QuickSave> save = readQuickSave(path);
  if (!save) {
    error = somethingAtSavePath(path) ? "THE FILE CANNOT BE READ" : "THE SAVE IS MISSING";
    return false;
  }

  if (!loadHistory(save->keys)) {
    error = "IT DOES NOT REPLAY";
    return false;
  }

  // The key that confirmed the load must be let go before play reacts to it.
  waitRelease = true;
  if (save->check == checkValues(sim.state)) {
    core::log(core::LogLevel::Info, "loaded: %zu steps from %s", history.size(), path.string().c_str());
    notice({"GAME LOADED"});
  } else {
    core::log(core::LogLevel::Error, "load: the replay ends elsewhere than saved (a save from another version?)");
    notice({"GAME LOADED", "BUT IT DIFFERS FROM", "THE SAVED GAME"});
  }
  return true;
}

bool GameApp::loadHistory(const std::vector<std::uint8_t>& keys) {
  // The history replays into a game of its own, so that the running game (its
  // state, its pictures, its queues) is left as it was when the replay stops
  // short, and is replaced only by a history that replayed to its end.
  sim::Simulation replay = sim;
  newGameIn(replay);
  const std::uint8_t newGameTune = replay.state.tune;
  // Of the pages only the last picture is seen: what later steps paint over
  // is never drawn, which is most of a long game's drawing.
  render::GameRenderer pages = renderer;
  render::DeferredPages drawing(pages);
  // The shown palette follows the replay as it follows play (a fade from
  // black runs at double speed), from where a game in a fresh application
  // starts, so a load ending in a fade shows what play showed.
  const Palette48 keptFrom = fadeFrom;
  const Palette48 keptBase = lastBase;
  const Palette48 keptCurrent = lastCurrent;
  const bool keptFast = fastFade;
  fadeFrom = lastBase = lastCurrent = Palette48{};
  fastFade = false;
  Palette48 shown = replay.state.currentPalette;

  // Play shows, until the next step, the palette that a teleport fade (black)
  // or a speech bubble (its own moment's) of a step left on the screen.
  std::optional<Palette48> held;
  auto take = [&](std::vector<sim::PageOp>& ops) {
    for (const sim::PageOp& op : ops) {
      if (!op.snapshot) continue;
      if (op.kind == sim::PageOpKind::Teleport) held = Palette48{};
      if (op.kind == sim::PageOpKind::Bubble) held = op.snapshot->currentPalette;
    }
    drawing.add(ops);
    ops.clear();
  };

  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::uint8_t b = keys[i];
    held.reset();
    applyCheats(replay.state, b);
    replay.beginStep(static_cast<std::uint8_t>(b & kSimInputMask));
    take(replay.ops);
    replay.endStep();
    take(replay.ops);
    applyCheats(replay.state, b);
    if (!replay.error.empty() || replay.state.endCode != 0) {
      core::log(core::LogLevel::Error, "quick load: the replay stopped after %zu of %zu steps", i, keys.size());
      fadeFrom = keptFrom;
      lastBase = keptBase;
      lastCurrent = keptCurrent;
      fastFade = keptFast;
      return false;
    }
    shown = shownPalette(replay.state);
    if (held) shown = *held;
  }
  drawing.finish();

  // As startGame would have begun it, then the replayed game in place.
  sim = std::move(replay);
  renderer = std::move(pages);
  history = keys;
  pending.clear();
  bubble.reset();
  bubbleCover.clear();
  stopReason.clear();
  soundCmd(newGameTune);

  shownPal = shown;
  mode = kModePlay;
  screenShown = false;
  renderer.compose(sim.state, frame);

  // Neither a slide nor energy sounds follow a load: the panel is shown as it is.
  const render::PanelView& view = shownPanel();
  shownEnergy = view.energy;
  soundCmd(sim.state.tune);
  std::copy(view.inventory, view.inventory + 3, lastInventory);
  slideFrame = -1;
  return true;
}

}  // namespace app
