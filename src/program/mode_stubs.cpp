// Modes whose code is not in this build yet. Each answers with one error line
// naming the mode and exit code 1; remove a function here when its mode lands.

#include "core/log.h"
#include "modes.h"

namespace {

int notAvailable(const char* mode) {
  core::log(core::LogLevel::Error, "%s is not available in this build", mode);
  return 1;
}

}  // namespace

int runAutopilotMode(const sim::Content&, const sim::ScriptProgram&, const std::filesystem::path&,
                     const std::filesystem::path&, const std::filesystem::path&, int) {
  return notAvailable("the autopilot (--autopilot)");
}
