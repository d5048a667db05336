#pragma once

// The trace replay: one simulation driven by the input bytes a recording of the
// DOS game read, its state compared after the first half of every step with the
// DOS game's data segment of that step, and optionally its picture with the DOS
// game's screen.

#include <cstdint>
#include <filesystem>

#include "sim/content.h"
#include "sim/script_program.h"

namespace render {
struct GameGraphics;
}

namespace app {

struct ReplayOptions {
  std::int32_t from = -1;     // "step" of the start row; negative: the first standing row
  bool verbose = false;       // a status line for every compared step
  bool newGame = false;       // start from a new game instead of the start row's snapshot
  const render::GameGraphics* graphics = nullptr;  // set: pictures are compared and bubbles written
};

// Results go to standard output, unusable trace files to the log. Exit code: 0
// the whole trace matched; 1 a state, picture or outcome differs; 2 the trace
// cannot be used; 3 the simulation stopped at something it does not model.
int replayTrace(const sim::Content& content, const sim::ScriptProgram& program, const std::filesystem::path& folder,
                const ReplayOptions& options);

}  // namespace app
