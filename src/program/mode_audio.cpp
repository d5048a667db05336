// The two sound tool modes: driver-log replay and tune rendering. Neither needs
// the game data beyond the two driver images.

#include "app/audio_tools/opl_replay.h"
#include "app/audio_tools/tune_render.h"
#include "modes.h"

int runOplReplay(const std::filesystem::path& root, const std::string& log, const std::string& out,
                 bool beeper) {
  return app::replayOplLog(root, log, out, beeper);
}

int runTuneRender(const std::filesystem::path& root, int tune, double seconds, const std::string& out,
                  bool beeper) {
  return app::renderTune(root, tune, seconds, out, beeper);
}
