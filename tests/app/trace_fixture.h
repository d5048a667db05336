#pragma once

// Trace replay tests: traces recorded from this simulation's own games on the
// shipped world, written into a scratch folder in the build folder that is
// also the current folder while the test runs (the replay writes its pictures
// under ./build/frames).

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/trace/trace_replay.h"
#include "data/shipped_data.h"
#include "support/scratch_dir.h"
#include "support/steps_reader.h"
#include "support/trace_recorder.h"

namespace tracetest {

namespace fs = std::filesystem;
using Json = nlohmann::json;

inline const std::vector<std::uint8_t>& recording(const std::string& name) {
  static std::map<std::string, std::vector<std::uint8_t>> cache;
  auto& inputs = cache[name];
  if (inputs.empty()) inputs = testsupport::readSteps(data_test::kRoot / "tests" / "sim" / "data" / name);
  return inputs;
}

inline const std::vector<std::uint8_t>& winInputs() { return recording("win.steps"); }

struct Replayed {
  int code = -1;
  std::string out;
  std::string err;
};

class TraceTest : public ::testing::Test {
 public:
  static const sim::Content& content() { return data_test::shipped().content; }
  static const sim::ScriptProgram& program() { return *data_test::shipped().program; }

 protected:
  void SetUp() override {
    ASSERT_TRUE(data_test::shipped().complete()) << "the shipped data set does not load";
    ASSERT_FALSE(winInputs().empty()) << "tests/sim/data/win.steps does not read";
    previous_ = fs::current_path();
    fs::current_path(dir());
  }
  void TearDown() override { fs::current_path(previous_); }

  const fs::path& dir() const { return scratch_.path(); }

  // The first `steps` steps of the won game, recorded into dir()/name.
  // The first `steps` steps of the won game, or of `inputs`.
  fs::path newGameTrace(const std::string& name, std::int64_t steps, Recording recording = {},
                        const std::vector<std::uint8_t>& inputs = winInputs()) {
    recording.end = steps;
    recordTrace(content(), program(), inputs, dir() / name, recording);
    return dir() / name;
  }

  static Replayed replay(const fs::path& folder, const app::ReplayOptions& options = {}) {
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    Replayed r;
    r.code = app::replayTrace(content(), program(), folder, options);
    r.out = ::testing::internal::GetCapturedStdout();
    r.err = ::testing::internal::GetCapturedStderr();
    return r;
  }
  static app::ReplayOptions from(std::int32_t step, bool newGame = false) {
    app::ReplayOptions o;
    o.from = step;
    o.newGame = newGame;
    return o;
  }

 private:
  testsupport::ScratchDir scratch_{"trace", fs::path(TUMBOLD_BINARY_DIR) / "scratch"};
  fs::path previous_;
};

// state.jsonl rows as JSON values, and written back (blank lines between rows
// when asked).
std::vector<Json> readRows(const fs::path& folder);
void writeRows(const fs::path& folder, const std::vector<Json>& rows, bool blankLines = false);

// dgroup.bin record `row`, and written back in place.
std::vector<std::uint8_t> readSnapshot(const fs::path& folder, std::size_t row);
void writeSnapshot(const fs::path& folder, std::size_t row, const std::vector<std::uint8_t>& snapshot);

}  // namespace tracetest
