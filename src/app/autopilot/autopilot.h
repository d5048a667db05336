#pragma once

// The autopilot: plays a route file (one goal or move a line) from a new game
// on the real simulation, reports each line's progress on standard output, and
// writes every input byte it played as a steps file.

#include <filesystem>

#include "sim/content.h"
#include "sim/script_program.h"

namespace app {

// 0 when the whole route was played, 1 otherwise. `resume` (may be empty) is a
// steps file played before the route; lines before `fromLine` are skipped.
int runAutopilot(const sim::Content& content, const sim::ScriptProgram& program,
                 const std::filesystem::path& route, const std::filesystem::path& out,
                 const std::filesystem::path& resume, int fromLine);

}  // namespace app
