#pragma once

// The tick loop of scripted play: the game application driven as the
// interactive loop drives it, with its input from a play script, writing what
// a player would hear (sounds.txt, music.txt) and see (frame_NNNNN.png, the
// indexed picture, and screen_NNNNN.png, the composed one) into a folder.

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "app/game_app.h"
#include "play_script.h"

class ScriptedPlay {
 public:
  // The application must outlive this object. Nothing is written yet.
  ScriptedPlay(app::GameApp& game, std::filesystem::path outDir);

  // Creates (truncates) sounds.txt and music.txt in the output folder.
  void openLogs();

  // Tick t with the script's keys (the walker advanced to t): the keys of the
  // ranges starting now, then one game tick. False when the player quit from
  // the title, which ends the run before this tick's logs and captures.
  bool play(int t, const ScriptTicks& keys);

  // The sound and music requests of the tick, one line each.
  void logRequests(int t);
  // frame_NNNNN.png and screen_NNNNN.png of tick t.
  void capture(int t);

 private:
  app::GameApp& game_;
  const std::filesystem::path outDir_;
  std::ofstream sounds_;
  std::ofstream music_;
};

// Escape reaches the game as its back input only where the game has a use for
// it: on a shown screen, during a fade out, in a stopped game, and in modes
// past the fade to black. In play it opens the pause menu instead.
bool escapeIsBack(const app::GameApp& game);
