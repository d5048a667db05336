// The trace replay mode: the world's scripts compiled, then the simulation
// checked against a recorded trace folder.

#include <filesystem>

#include "app/trace/trace_replay.h"
#include "modes.h"
#include "sim/script_program.h"

int runReplay(const Data& data, const std::string& traceFolder, const app::ReplayOptions& options) {
  const auto program = sim::compileScripts(data.world);
  if (!program) return 2;
  const sim::Content content = simContent(data);
  return app::replayTrace(content, *program, std::filesystem::path(traceFolder), options);
}
