#include "scripted_play.h"

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "assets/indexed_image.h"
#include "assets/palette.h"
#include "core/log.h"
#include "game_loop.h"
#include "input/controls.h"
#include "render/rgba.h"

namespace fs = std::filesystem;

namespace {

std::string numbered(const char* format, int t) {
  char name[32];
  std::snprintf(name, sizeof name, format, t);
  return name;
}

}  // namespace

ScriptedPlay::ScriptedPlay(app::GameApp& game, const ui::MenuArt& art, fs::path outDir)
    : game_(game), outDir_(std::move(outDir)), driver_(game, art, outDir_ / "user") {}

bool ScriptedPlay::openLogs() {
  for (const auto& [log, name] : {std::pair{&sounds_, "sounds.txt"}, {&music_, "music.txt"}}) {
    log->open(outDir_ / name, std::ios::binary | std::ios::trunc);
    if (!*log) {
      core::log(core::LogLevel::Error, "cannot write %s", (outDir_ / name).string().c_str());
      return false;
    }
  }
  return true;
}

bool ScriptedPlay::closeLogs() {
  bool whole = true;
  for (const auto& [log, name] : {std::pair{&sounds_, "sounds.txt"}, {&music_, "music.txt"}}) {
    log->close();
    if (log->fail()) {
      core::log(core::LogLevel::Error, "cannot write %s", (outDir_ / name).string().c_str());
      whole = false;
    }
  }
  return whole;
}

bool ScriptedPlay::play(const ScriptTicks& keys) {
  for (const ScriptInput::Range* range : keys.starting()) press(*range);
  return driver_.tick(keys.held(), keys.escapeHeld());
}

void ScriptedPlay::press(const ScriptInput::Range& r) {
  if (driver_.capture(r.esc ? std::optional<SDL_Scancode>(SDL_SCANCODE_ESCAPE) : std::nullopt, std::nullopt)) return;
  if (!driver_.menuOpen()) {
    std::vector<input::Command> raised;
    if (r.esc) raised.push_back(input::Command::Pause);
    if (r.f5) raised.push_back(input::Command::QuickSave);
    if (r.f8) raised.push_back(input::Command::QuickLoad);
    driver_.commands(raised);
    return;
  }
  // One press each, in this order.
  const struct {
    bool pressed;
    input::Nav nav;
  } navigation[] = {
      {(r.held & input::kHeldUp) != 0, input::Nav::Up},
      {(r.held & input::kHeldDown) != 0, input::Nav::Down},
      {(r.held & input::kHeldLeft) != 0, input::Nav::Left},
      {(r.held & input::kHeldRight) != 0, input::Nav::Right},
      {r.enter != 0, input::Nav::Ok},
      {r.esc != 0, input::Nav::Back},
      {r.start != 0, input::Nav::Menu},
  };
  for (const auto& n : navigation) {
    if (n.pressed) driver_.nav(n.nav);
  }
}

void ScriptedPlay::logRequests(int t) {
  for (const app::GameApp::Sound& s : driver_.takeSounds()) {
    if (s.kind == 0)
      sounds_ << t << " jump\n";
    else
      sounds_ << t << " " << game::energySoundName(s.n) << "\n";
  }
  for (const app::GameApp::MusicCommand& m : driver_.takeMusic()) {
    if (m.kind == 1)
      music_ << t << " tick\n";
    else
      music_ << t << " tune " << static_cast<int>(m.tune) << "\n";
  }
  // Flushed per tick, so that the logs hold everything up to a crash or a kill.
  sounds_.flush();
  music_.flush();
}

bool ScriptedPlay::capture(int t) {
  if (!assets::saveIndexedPng(outDir_ / numbered("frame_%05d.png", t), render::kScreenWidth,
                              render::kScreenHeight, game_.frame.pixels, app::toPalette(game_.shownPal).rgb8Bytes())) {
    return false;
  }
  return render::saveRgbaPng(outDir_ / numbered("screen_%05d.png", t), driver_.compose());
}
