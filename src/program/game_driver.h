#pragma once

// One game as the player meets it, whatever its input comes from: the game
// application, the pause flow with its menu, and the rules that join them.
// The window's loop feeds it SDL's events and the clock; scripted play feeds
// it the lines of a play script, tick by tick. What is only the window's
// (events, presenting, sound, pacing, screenshots) or only the script's (the
// walker, captures, logs) stays with them.

#include <filesystem>
#include <optional>
#include <vector>

#include "app/game/game_app.h"
#include "app/pause/pause_flow.h"
#include "app/settings/settings.h"
#include "input/controls.h"
#include "render/rgba.h"
#include "ui/menu_art.h"

class GameDriver {
 public:
  // The application and the art must outlive the driver. The pause flow
  // reads its settings from prefs (nothing is read or kept when it is empty).
  GameDriver(app::GameApp& game, const ui::MenuArt& art, std::filesystem::path prefs);

  // While the menu is open the game stands still and input navigates the menu.
  bool menuOpen() const { return flow.menu.isOpen(); }

  // Commands raised while the menu is closed (quick save, quick load, pause),
  // in order; each takes its thumbnail, and a save its picture, from the
  // picture of this moment, composed once before them.
  void commands(const std::vector<input::Command>& raised);

  // A key or button pressed while the menu waits for a new binding: a key
  // capture takes the key (Escape cancels it), a button capture takes the
  // button, and Escape cancels it as the controller's START does. True when a
  // capture was waiting, so the press is not navigation too.
  bool capture(std::optional<SDL_Scancode> key, std::optional<SDL_GameControllerButton> button);
  void nav(input::Nav nav) { flow.nav(nav); }

  // The window went full screen or back by the player's toggle: the settings,
  // the menu's copy of them and the file follow.
  void fullscreenToggled(bool on) { flow.setFullscreen(on); }
  // The settings once after the menu changed them, for the front end to apply.
  std::optional<app::Settings> changedSettings();

  // One game tick with the held input byte, unless the menu is open. Escape
  // held is the game's back input only where the game has a use for it (see
  // escapeIsBack); the pad's jump button also confirms screens and speech
  // bubbles. False when the player quit from the title.
  bool tick(std::uint8_t held, bool escapeHeld, bool jumpButtonHeld = false);

  // The framed picture of this moment with the menu drawn over it.
  const render::RgbaImage& compose();

  // The sound and music requests queued since the last call, oldest first.
  std::vector<app::GameApp::Sound> takeSounds();
  std::vector<app::GameApp::MusicCommand> takeMusic();

  app::GameApp& game;
  app::PauseFlow flow;

 private:
  render::RgbaImage picture_;
};

// Escape reaches the game as its back input only on a shown screen, during a
// fade out, in a stopped game, and in modes past the fade to black; in play it
// opens the pause menu instead.
bool escapeIsBack(const app::GameApp& game);
