// The autopilot: a route of goals played from a new game, written out as a
// steps file.

#include "app/autopilot/autopilot.h"
#include "modes.h"

int runAutopilotMode(const sim::Content& content, const sim::ScriptProgram& program,
                     const std::filesystem::path& route, const std::filesystem::path& out,
                     const std::filesystem::path& resume, int fromLine) {
  return app::runAutopilot(content, program, route, out, resume, fromLine);
}
