#pragma once

// Test support, not part of the program: records trace folders of this
// simulation's own games in the format the trace replay reads. The game state
// is written into a 38880-byte data segment exactly as the replay loads it
// back, one row after the first half of every recorded step.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "render/framebuffer.h"
#include "render/game_graphics.h"
#include "sim/content.h"
#include "sim/game_state.h"
#include "sim/script_program.h"
#include "sim/simulation.h"

namespace tracetest {

constexpr std::size_t kSnapshotSize = 38880;

// The DOS data segment of a state. Pointers the segment holds where the game
// state holds indices point at the records they stand for; the tile cache
// pages and the entity room byte live in otherwise unused parts.
std::vector<std::uint8_t> encodeSnapshot(const sim::GameState& state, const sim::ScriptProgram& program);

// Little-endian word writes into a snapshot, for planting differences.
void putU16(std::vector<std::uint8_t>& snapshot, std::size_t at, std::uint16_t value);

struct TraceRow {
  std::int64_t step = 0;
  std::int64_t frame = 0;
  int room = 0;
  int pstate = 0;
  std::optional<std::uint8_t> heldRead;  // empty: the game read no input at this step
};

std::string rowLine(const TraceRow& row);

// A trace folder written row by row: state.jsonl and dgroup.bin side by side.
class TraceWriter {
 public:
  explicit TraceWriter(const std::filesystem::path& folder);
  void add(const TraceRow& row, const std::vector<std::uint8_t>& snapshot);
  void addLine(const std::string& line);  // a raw state.jsonl line, no snapshot
  void writeRun(const std::string& json) const;
  void close();
  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
  std::ofstream rows_;
  std::ofstream snapshots_;
};

// A game played from a new game on a list of input bytes. `visit` runs between
// the two halves of every step, when a recording takes its snapshot; it may
// change the state (as a recording tool's poke does) and returns false to stop
// the game there (before the second half).
struct Step {
  std::int64_t index = 0;
  std::uint8_t input = 0;
  sim::Simulation* sim = nullptr;
};
struct PlayResult {
  std::int64_t steps = 0;      // steps begun
  std::uint32_t endCode = 0;   // the game's end after the last step, 0 still playing
  std::string stopText;        // the simulation's stop text, if it stopped
};
PlayResult playGame(const sim::Content& content, const sim::ScriptProgram& program,
                    const std::vector<std::uint8_t>& inputs, const std::function<bool(const Step&)>& visit,
                    const render::GameGraphics* graphics = nullptr,
                    const std::function<void(const Step&, const render::Framebuffer&)>& picture = nullptr);

// Records steps [first, end) of a game into `folder`, with reference pictures
// when graphics are given and an "ending" or "game_over" outcome in run.json
// when the game ends inside the slice.
struct Recording {
  std::int64_t first = 0;
  std::int64_t end = INT64_MAX;
  const render::GameGraphics* graphics = nullptr;
  std::function<void(const Step&)> afterRow;  // runs once a row is written, e.g. to poke
};
PlayResult recordTrace(const sim::Content& content, const sim::ScriptProgram& program,
                       const std::vector<std::uint8_t>& inputs, const std::filesystem::path& folder,
                       const Recording& recording);

}  // namespace tracetest
