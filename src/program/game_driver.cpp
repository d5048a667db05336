#include "game_driver.h"

#include <utility>

bool escapeIsBack(const app::GameApp& game) {
  return !game.stopReason.empty() || game.mode == app::GameApp::kModeScreen ||
         game.mode == app::GameApp::kModeFadeOut || game.mode > app::GameApp::kModeFadeBlack;
}

GameDriver::GameDriver(app::GameApp& g, const ui::MenuArt& art, std::filesystem::path prefs)
    : game(g), flow(g, art, std::move(prefs)) {}

void GameDriver::commands(const std::vector<input::Command>& raised) {
  if (raised.empty()) return;
  compose();
  for (input::Command c : raised) flow.command(c, picture_);
}

bool GameDriver::capture(std::optional<SDL_Scancode> key, std::optional<SDL_GameControllerButton> button) {
  switch (flow.menu.capture) {
    case ui::Menu::kCaptureKey:
      if (key) flow.key(*key);
      return true;
    case ui::Menu::kCaptureButton:
      if (button)
        flow.button(*button);
      else if (key == SDL_SCANCODE_ESCAPE)
        flow.button(SDL_CONTROLLER_BUTTON_START);
      return true;
    default:
      return false;
  }
}

std::optional<app::Settings> GameDriver::changedSettings() {
  if (!flow.settingsChanged) return std::nullopt;
  flow.settingsChanged = false;
  return flow.settings;
}

bool GameDriver::tick(std::uint8_t held, bool escapeHeld, bool jumpButtonHeld) {
  if (menuOpen()) return true;
  if (jumpButtonHeld && (game.mode == app::GameApp::kModeScreen || game.mode == app::GameApp::kModeBubble))
    held |= input::kHeldFire;
  return game.tick(held, escapeHeld && escapeIsBack(game));
}

const render::RgbaImage& GameDriver::compose() {
  game.compose(picture_);
  flow.menu.draw(picture_);
  return picture_;
}

std::vector<app::GameApp::Sound> GameDriver::takeSounds() {
  std::vector<app::GameApp::Sound> sounds = std::move(game.soundQueue);
  game.soundQueue.clear();
  return sounds;
}

std::vector<app::GameApp::MusicCommand> GameDriver::takeMusic() {
  std::vector<app::GameApp::MusicCommand> music = std::move(game.musicQueue);
  game.musicQueue.clear();
  return music;
}
