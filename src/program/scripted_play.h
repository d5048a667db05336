#pragma once

// The tick loop of scripted play: the game application driven as the
// interactive loop drives it, with its input from a play script, writing what
// a player would hear (sounds.txt, music.txt) and see (frame_NNNNN.png, the
// indexed picture, and screen_NNNNN.png, the composed one with the pause menu
// over it) into a folder. The pause menu keeps its settings and saves in the
// folder's "user" folder.

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "app/game/game_app.h"
#include "game_driver.h"
#include "play_script.h"
#include "ui/menu_art.h"

class ScriptedPlay {
 public:
  // The application and the art must outlive this object. Reads the settings
  // file of outDir/"user" when there is one; nothing is written yet.
  ScriptedPlay(app::GameApp& game, const ui::MenuArt& art, std::filesystem::path outDir);

  // Creates (truncates) sounds.txt and music.txt in the output folder. False
  // after the error line of one that cannot be created.
  bool openLogs();
  // False after the error line of a log that could not be written whole.
  bool closeLogs();

  // One tick with the script's keys (the walker advanced to it): the keys of
  // the ranges starting now go to the driver, then the game ticks unless the
  // menu is open. False when the player quit from the title, which ends
  // the run before this tick's logs and captures.
  bool play(const ScriptTicks& keys);

  // The sound and music requests of the tick, one line each.
  void logRequests(int t);
  // frame_NNNNN.png and screen_NNNNN.png of tick t; false after the error
  // line of one that cannot be written.
  bool capture(int t);

 private:
  // A key pressed as its range starts: a command while the menu is closed,
  // navigation while it is open, Escape alone while it waits for a binding.
  void press(const ScriptInput::Range& range);

  app::GameApp& game_;
  const std::filesystem::path outDir_;
  GameDriver driver_;
  std::ofstream sounds_;
  std::ofstream music_;
};
