#pragma once

// Internal to the trace replay: the content of a trace folder (state.jsonl,
// dgroup.bin, run.json, frames/) and the reader of its data-segment snapshots.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace app::trace {

// One copy of the DOS game's data segment.
constexpr std::size_t kDgroupSize = 38880;
using Dgroup = std::vector<std::uint8_t>;

// Reads one record of dgroup.bin at a time, by seeking, so that the memory
// used does not grow with the length of the trace.
class Snapshots {
 public:
  // False when the file cannot be opened.
  bool open(const std::filesystem::path& file);
  // Nothing when the file holds no whole record for the row.
  std::optional<Dgroup> at(std::uint64_t row);

 private:
  std::ifstream in_;
};

// One line of state.jsonl; an absent key stays empty and takes the default of
// the place that reads it.
struct Row {
  std::optional<std::int64_t> step;
  std::optional<std::int64_t> frame;
  std::optional<std::int64_t> room;
  std::optional<std::int64_t> pstate;
  std::optional<std::uint8_t> heldRead;  // low byte; empty when the DOS game read no input

  std::int64_t stepOr(std::int64_t fallback) const { return step.value_or(fallback); }
};

struct Poke {
  std::int64_t frame = 0;
  std::uint64_t address = 0;
  std::vector<std::uint8_t> bytes;
  bool applied = false;
};

using Outcome = std::pair<std::int64_t, std::string>;  // after step, "game_over" or "ending"

struct TraceFolder {
  std::vector<Row> rows;
  Snapshots snapshots;  // dgroup.bin, open for the whole replay
  std::vector<Poke> pokes;
  std::vector<Outcome> outcomes;
};

// Reads state.jsonl and run.json and opens dgroup.bin. False after
// one error line naming `folder` as given.
bool readTraceFolder(const std::filesystem::path& folder, TraceFolder& out);

// A poke string FRAME:ADDR=BYTES. Empty when it has no ":" or no "=" (skipped
// silently); `problem` is set when the string is outside the format.
std::optional<Poke> parsePoke(const std::string& text, std::string& problem);

// "step_%05ld.png" of a step: the reference picture's name.
std::string stepPictureName(std::int64_t step, const char* suffix = "");

}  // namespace app::trace
