// One tick of play: the cheats, the simulation step and the input history, the
// playback of the step's page operations with speech-bubble waits and teleport
// fades, and the two panel animations (shown energy, inventory slide).

#include <algorithm>
#include <cmath>
#include <utility>

#include "app/game/game_app.h"
#include "core/log.h"
#include "world/world.h"

namespace app {

namespace {

constexpr std::uint8_t kEndingTune = 9;
constexpr std::uint8_t kGameOverTune = 8;
// Ticks the shown energy takes to rise from empty to full.
constexpr double kEnergyRiseTicks = 140.0;
constexpr int kEnergySteps = 20;
constexpr int kMaxComponent = 63;

bool jumping(std::uint8_t state) { return state >= 6 && state <= 8; }
bool jumpingFromRide(std::uint8_t state) { return state == 16 || state == 17; }

// Index 0..19 of the energy step that value v shows.
int energyIndex(double v, int full) {
  const double t = std::trunc(v);
  const int index = t < 0 ? 0 : static_cast<int>(std::min(static_cast<double>(full), t)) * kEnergySteps / full;
  return std::min(index, kEnergySteps - 1);
}

}  // namespace

void GameApp::applyCheats(std::uint8_t bits) { applyCheats(sim.state, bits); }

void GameApp::applyCheats(sim::GameState& s, std::uint8_t bits) const {
  const world::World& w = *content->world;
  if ((bits & kCheatLives) != 0 && w.newGameLives > static_cast<int>(s.lives))
    s.lives = static_cast<std::uint8_t>(w.newGameLives);
  if ((bits & kCheatEnergy) != 0) s.energy = static_cast<std::uint8_t>(w.energyFull & 0xFF);
}

void GameApp::soundCmd(std::uint8_t tune) {
  if (lastMusic == static_cast<std::int8_t>(tune)) return;
  lastMusic = static_cast<std::int8_t>(tune);
  musicQueue.push_back({0, tune, 0});
}

void GameApp::playStep(std::uint8_t keys, bool back) {
  if (back) {
    fadeTarget = Palette48{};
    mode = kModeFadeOut;
    next = kNextTitle;
    return;
  }
  if (!stopReason.empty()) return;

  // Only the bits the simulation knows go into a step. The cheat bits share
  // the history byte with the input, so a stray 0x20 or 0x40 from the caller
  // would otherwise replay as a cheat, and would reach the simulation in play
  // but not on replay.
  keys &= kSimInputMask;

  applyCheats(cheats);
  const std::uint8_t prevState = sim.state.state;
  const std::uint8_t prevLives = sim.state.lives;

  auto drain = [this] {
    for (auto& op : sim.ops) pending.push_back(std::move(op));
    sim.ops.clear();
  };
  sim.beginStep(keys);
  history.push_back(static_cast<std::uint8_t>(keys | cheats));
  drain();
  sim.endStep();
  drain();
  applyCheats(cheats);

  const std::uint8_t now = sim.state.state;
  if ((jumping(now) && !jumping(prevState)) || (jumpingFromRide(now) && !jumpingFromRide(prevState)))
    soundQueue.push_back({0, 0});
  if (sim.state.lives < prevLives) shownEnergy = 0.0;

  if (!sim.error.empty()) {
    stopReason = sim.error;
    core::log(core::LogLevel::Error, "the simulation stopped: %s", stopReason.c_str());
  }

  shownPal = shownPalette(sim.state);
  playBack();

  if (mode == kModePlay) {
    if (sim.state.endCode == 2)
      showScreen("end", "ending", false, kEndingTune);
    else if (sim.state.endCode == 1)
      showScreen("end", "game_over", false, kGameOverTune);
  }
}

void GameApp::playBack() {
  screenShown = false;
  for (;;) {
    if (pending.empty()) {
      renderer.compose(sim.state, frame);
      soundCmd(sim.state.tune);
      return;
    }
    sim::PageOp op = std::move(pending.front());
    pending.pop_front();
    renderer.applyOne(op);

    if (op.kind == sim::PageOpKind::Teleport && op.snapshot) {
      renderer.compose(*op.snapshot, frame);
      shownPal = op.snapshot->currentPalette;
      mode = kModeFadeBlack;
      return;
    }
    if (op.kind == sim::PageOpKind::Bubble) {
      // The bubble was drawn into the drawing page; play on to the flip that
      // shows it, and hold everything after that until the wait ends.
      while (!pending.empty()) {
        const sim::PageOp more = std::move(pending.front());
        pending.pop_front();
        renderer.applyOne(more);
        if (more.kind == sim::PageOpKind::Flip) break;
      }
      if (op.snapshot) {
        renderer.compose(*op.snapshot, frame);
        shownPal = op.snapshot->currentPalette;
      } else {
        renderer.compose(sim.state, frame);
      }
      renderer.drawBubble(frame, op);
      bubbleCover = renderer.bubbleMask(op);
      bubble = std::move(op);
      fireWait = FireWait{};
      mode = kModeBubble;
      return;
    }
  }
}

Palette48 GameApp::shownPalette(const sim::GameState& state) {
  const Palette48 prev = lastCurrent;
  const Palette48& current = state.currentPalette;
  const Palette48& target = state.targetPalette;
  lastCurrent = current;

  if (target != lastBase) {
    lastBase = target;
    const bool nearBlack = std::all_of(current.begin(), current.end(), [](std::uint8_t v) { return v < 3; });
    if (nearBlack) {
      fadeFrom = Palette48{};
      fastFade = true;
    } else {
      fadeFrom = prev;
      fastFade = std::all_of(target.begin(), target.end(), [](std::uint8_t v) { return v == 0; });
    }
  }

  if (fastFade && current != target) {
    Palette48 out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
      const int from = fadeFrom[i];
      const int to = target[i];
      int v = from + 2 * (static_cast<int>(current[i]) - from);
      v = from <= to ? std::min(v, to) : std::max(v, to);
      // The doubled step must stay a DAC value whatever the fade started from.
      out[i] = static_cast<std::uint8_t>(std::clamp(v, 0, kMaxComponent));
    }
    return out;
  }
  fastFade = false;
  return current;
}

void GameApp::updateShownEnergy() {
  if (screenShown) return;
  const render::PanelView& view = shownPanel();
  if (!view.valid) return;

  const int full = content->world->energyFull;
  const double real = view.energy;
  const double old = shownEnergy;
  const double now = old >= real ? real : std::min(real, old + full / kEnergyRiseTicks);
  shownEnergy = now;

  if (full < 1) return;
  const int a = energyIndex(old, full);
  const int b = energyIndex(now, full);
  if (a < b) {
    for (int n = a + 2; n <= b + 1; ++n) soundQueue.push_back({1, static_cast<std::uint32_t>(n)});
  } else {
    for (int n = a; n >= b + 1; --n) soundQueue.push_back({1, static_cast<std::uint32_t>(n)});
  }
}

void GameApp::updateInventorySlide() {
  if (screenShown) return;
  const render::PanelView& view = shownPanel();
  if (!view.valid) return;

  if (slideFrame >= 0) slideFrame = slideFrame + 1 < kSlideTicks ? slideFrame + 1 : -1;

  if (!std::equal(view.inventory, view.inventory + 3, lastInventory)) {
    if (view.inventory[1] == lastInventory[0] && view.inventory[2] == lastInventory[1]) {
      std::copy(lastInventory, lastInventory + 3, slideOld);
      slideNew = view.inventory[0];
      slideFrame = 0;
    } else {
      slideFrame = -1;
    }
    std::copy(view.inventory, view.inventory + 3, lastInventory);
  }
}

}  // namespace app
