#include "scripted_play.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "assets/indexed_image.h"
#include "assets/palette.h"
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

ScriptedPlay::ScriptedPlay(app::GameApp& game, fs::path outDir) : game_(game), outDir_(std::move(outDir)) {}

void ScriptedPlay::openLogs() {
  sounds_.open(outDir_ / "sounds.txt", std::ios::binary | std::ios::trunc);
  music_.open(outDir_ / "music.txt", std::ios::binary | std::ios::trunc);
}

bool ScriptedPlay::play(int, const ScriptTicks& keys) {
  // The pause flow joins here: the keys of the ranges starting now become its
  // commands while the menu is closed and navigation while it is open, and no
  // game tick runs while it is open.
  const bool back = keys.escapeHeld() && escapeIsBack(game_);
  return game_.tick(keys.held(), back);
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

void ScriptedPlay::capture(int t) {
  const assets::Palette palette = app::toPalette(game_.shownPal);
  std::vector<std::uint8_t> rgb;
  for (const assets::Palette::Color& c : palette.colors) {
    const assets::Palette::Color c8 = assets::Palette::toRgb8(c);
    rgb.insert(rgb.end(), c8.begin(), c8.end());
  }
  assets::saveIndexedPng(outDir_ / numbered("frame_%05d.png", t), render::kScreenWidth, render::kScreenHeight,
                         game_.frame.pixels, rgb);

  render::RgbaImage screen;
  game_.compose(screen);
  render::saveRgbaPng(outDir_ / numbered("screen_%05d.png", t), screen);
}
