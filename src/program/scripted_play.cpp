#include "scripted_play.h"

#include <SDL.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "assets/indexed_image.h"
#include "assets/palette.h"
#include "core/log.h"
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

bool escapeIsBack(const app::GameApp& game) {
  return !game.stopReason.empty() || game.mode == app::GameApp::kModeScreen ||
         game.mode == app::GameApp::kModeFadeOut || game.mode > app::GameApp::kModeFadeBlack;
}

ScriptedPlay::ScriptedPlay(app::GameApp& game, const ui::MenuArt& art, fs::path outDir)
    : game_(game), outDir_(std::move(outDir)), flow_(game, art, outDir_ / "user") {}

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
  // The game stands still while the menu is open.
  if (flow_.menu.isOpen()) return true;
  const bool back = keys.escapeHeld() && escapeIsBack(game_);
  return game_.tick(keys.held(), back);
}

void ScriptedPlay::press(const ScriptInput::Range& r) {
  if (flow_.menu.capture == ui::Menu::kCaptureKey) {
    if (r.esc) flow_.key(SDL_SCANCODE_ESCAPE);
    return;
  }
  if (flow_.menu.capture == ui::Menu::kCaptureButton) {
    if (r.esc) flow_.button(SDL_CONTROLLER_BUTTON_START);
    return;
  }
  if (!flow_.menu.isOpen()) {
    // The pause flow takes its thumbnails from the picture of this moment.
    if (!(r.esc || r.f5 || r.f8)) return;
    game_.compose(picture_);
    if (r.esc) flow_.command(input::Command::Pause, picture_);
    if (r.f5) flow_.command(input::Command::QuickSave, picture_);
    if (r.f8) flow_.command(input::Command::QuickLoad, picture_);
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
    if (n.pressed) flow_.nav(n.nav);
  }
}

void ScriptedPlay::logRequests(int t) {
  std::vector<app::GameApp::Sound> sounds = std::move(game_.soundQueue);
  game_.soundQueue.clear();
  for (const app::GameApp::Sound& s : sounds) {
    if (s.kind == 0)
      sounds_ << t << " jump\n";
    else
      sounds_ << t << " " << numbered("energy_%02d.wav", static_cast<int>(s.n)) << "\n";
  }
  std::vector<app::GameApp::MusicCommand> music = std::move(game_.musicQueue);
  game_.musicQueue.clear();
  for (const app::GameApp::MusicCommand& m : music) {
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
  const assets::Palette palette = app::toPalette(game_.shownPal);
  std::vector<std::uint8_t> rgb;
  for (const assets::Palette::Color& c : palette.colors) {
    const assets::Palette::Color c8 = assets::Palette::toRgb8(c);
    rgb.insert(rgb.end(), c8.begin(), c8.end());
  }
  if (!assets::saveIndexedPng(outDir_ / numbered("frame_%05d.png", t), render::kScreenWidth,
                              render::kScreenHeight, game_.frame.pixels, rgb)) {
    return false;
  }
  game_.compose(picture_);
  flow_.menu.draw(picture_);
  return render::saveRgbaPng(outDir_ / numbered("screen_%05d.png", t), picture_);
}
