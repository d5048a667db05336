// The bubble listing: a steps file replayed from a new game, every speech
// bubble the game shows on the way written as one JSON line, for checking the
// texts and their places against the DOS game.

#include <string>
#include <vector>

#include "core/files.h"
#include "core/log.h"
#include "modes.h"
#include "sim/simulation.h"
#include "steps_file.h"

namespace {

// The bubbles among the pending page operations; all of them are then dropped.
void takeBubbles(sim::Simulation& simulation, int step, std::string& out, int& count) {
  for (const sim::PageOp& op : simulation.ops) {
    if (op.kind != sim::PageOpKind::Bubble) continue;
    out += bubbleLine(step, op) + "\n";
    ++count;
  }
  simulation.ops.clear();
}

}  // namespace

int listBubbles(const Data& data, const std::string& steps, const std::string& out) {
  const auto program = sim::compileScripts(data.world);
  if (!program) return 1;
  const auto inputs = readStepsFile(steps);
  if (!inputs) return 1;

  const sim::Content content = simContent(data);
  sim::Simulation simulation(content, *program);
  simulation.newGame();
  simulation.state.armed = sim::kArmedAtNewGame;

  std::string lines;
  int count = 0;
  int step = 0;
  for (std::size_t i = 0; i < inputs->size(); ++i) {
    step = static_cast<int>(i);
    simulation.beginStep((*inputs)[i]);
    takeBubbles(simulation, step, lines, count);
    simulation.endStep();
    takeBubbles(simulation, step, lines, count);
    if (!simulation.error.empty() || simulation.state.endCode != 0) break;
  }
  // A listing that could not be written is a failure, not a count of bubbles.
  if (!core::writeFile(out, std::vector<std::uint8_t>(lines.begin(), lines.end()))) return 1;
  core::log(core::LogLevel::Info, "%d bubbles -> %s", count, out.c_str());
  // The bubbles up to the stop are listed, but the steps after it never played.
  if (!simulation.error.empty()) {
    core::log(core::LogLevel::Error, "the simulation stopped at step %d: %s", step, simulation.error.c_str());
    return 1;
  }
  return 0;
}
