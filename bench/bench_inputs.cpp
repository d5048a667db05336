// The readers of the tools' input: a steps file whose lines overlap (each
// step is to be written once, not once per line that names it), one of many
// short lines, the win recording; and the nesting check in front of every JSON
// parse, against the parse alone.

#include <cstdio>
#include <string>

#include "app/autopilot/steps_text.h"
#include "sim/input_history.h"
#include "bench.h"
#include "core/files.h"
#include "core/json.h"
#include "data/shipped_data.h"

namespace {

double secondsToParse(const std::string& text, std::size_t& count) {
  const auto start = std::chrono::steady_clock::now();
  app::StepsProblem problem;
  const auto steps = app::parseSteps(text, problem);
  const double elapsed = bench::seconds(start);
  count = steps ? steps->size() : 0;
  return elapsed;
}

}  // namespace

TUMBOLD_BENCHMARK(input_readers) {
  std::string overlapping = "# overlapping (" + std::to_string(sim::kMaxHistorySteps) + " steps)\n";
  for (int i = 0; i < 1000; ++i) overlapping += i % 2 ? "0-16777215 right\n" : "0-16777215 left\n";
  std::string shortLines = "# short lines (1000000 steps)\n";
  for (int i = 0; shortLines.size() < (8u << 20); ++i) {
    const std::string step = std::to_string(i % 1000000);
    shortLines += step + "-" + step + " up\n";
  }
  const auto win = core::readInputText(data_test::kRoot / "tests" / "sim" / "data" / "win.steps");
  const struct {
    const char* what;
    const std::string* text;
  } files[] = {{"1000 lines of 2^24 steps", &overlapping}, {"8 MiB of one-step lines", &shortLines},
               {"the win recording", win ? &*win : nullptr}};
  for (const auto& f : files) {
    if (f.text == nullptr) continue;
    std::size_t count = 0;
    const double s = secondsToParse(*f.text, count);
    std::printf("steps file, %-26s %7zu KiB -> %8zu steps: %8.1f ms\n", f.what, f.text->size() / 1024, count, s * 1000);
  }

  const auto world = core::readInputText(data_test::kRoot / "world" / "world.json");
  if (!world) return;
  constexpr int kRounds = 20;
  std::size_t keys = 0;  // used, so that no parse is left out
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRounds; ++i) keys += core::parseJson(*world).size();
  const double guarded = bench::seconds(start) / kRounds;
  start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRounds; ++i) keys += nlohmann::json::parse(*world, nullptr, false).size();
  const double plain = bench::seconds(start) / kRounds;
  std::printf("world.json (%zu KiB, %zu keys): parse with the nesting check %.2f ms, without %.2f ms\n",
              world->size() / 1024, keys / (2 * kRounds), guarded * 1000, plain * 1000);
}
