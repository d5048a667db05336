#pragma once

// The command line of the tumbold executable: 29 options, read left to right.

#include <string>

struct Options {
  std::string data;
  int renderRoom = -1;
  std::string out;
  std::string renderGoldens;
  int quitAfterFrames = 0;
  int pressF1At = -1;
  std::string replay;
  bool viewer = false;
  std::string playScript;
  std::string captureAt;
  std::string renderScreens;
  std::string autopilot;
  std::string resume;
  int fromLine = 0;
  int from = -1;
  bool verbose = false;
  bool frames = false;
  bool newGame = false;
  bool checkQuickSave = false;
  std::string startSteps;
  int startCount = -1;
  std::string listBubbles;
  std::string oplReplay;
  int renderTune = -1;
  double seconds = 60.0;
  bool beeper = false;
  bool windowed = false;
  std::string crtTest;
};

enum class ParseOutcome {
  Run,      // options read; go on to the data root and the mode
  Version,  // --version seen: print the version line, exit 0
  Unknown,  // an argument that is no option: exit 2 (already logged)
};

constexpr const char* kVersion = "1.0.0";

// Logs "unknown argument %s" for the first word that is no option.
ParseOutcome parseOptions(int argc, const char* const* argv, Options& options);

// The mode that runs, in the order in which the dispatch decides.
enum class Mode {
  CrtTest,
  OplReplay,
  RenderTune,
  // Every mode from here on needs the loaded data.
  Goldens,
  Replay,
  Screens,
  Autopilot,
  Bubbles,
  Viewer,
  Game,
  Script,
  RoomPng,
  RoomPngWithoutOut,
};

Mode selectMode(const Options& options);

inline bool needsData(Mode mode) { return mode >= Mode::Goldens; }
