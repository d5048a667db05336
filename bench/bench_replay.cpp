// Trace replay speed over the whole won game: a trace with a data-segment
// snapshot and a reference picture for every step is recorded from the input
// recording (about a gigabyte, in the current folder, removed afterwards),
// then replayed without and with the picture check.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "app/trace/trace_replay.h"
#include "bench.h"
#include "data/shipped_data.h"
#include "render/game_graphics.h"
#include "support/steps_reader.h"
#include "support/trace_recorder.h"

namespace {

namespace fs = std::filesystem;

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
#if defined(__APPLE__)
  return usage.ru_maxrss / 1024;  // bytes there, kilobytes on Linux
#else
  return usage.ru_maxrss;
#endif
}

std::uintmax_t folderBytes(const fs::path& folder) {
  std::uintmax_t total = 0;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
    if (entry.is_regular_file(error)) total += entry.file_size(error);
  }
  return total;
}

}  // namespace

TUMBOLD_BENCHMARK(trace_replay) {
  const data_test::Shipped& data = data_test::shipped();
  const auto inputs = testsupport::readSteps(data_test::kRoot / "tests" / "sim" / "data" / "win.steps");
  const auto graphics = render::loadGameGraphics(data_test::kRoot);
  if (!data.complete() || inputs.empty() || !graphics) {
    std::printf("the shipped data set or the win recording does not load\n");
    return;
  }
  const fs::path folder = fs::current_path() / ("bench_trace_" + std::to_string(::getpid()));
  tracetest::Recording recording;
  recording.graphics = &*graphics;
  auto start = std::chrono::steady_clock::now();
  // Recorded in a child process, so that the peak memory below is the replay's own.
  std::fflush(stdout);
  const pid_t child = ::fork();
  if (child == 0) {
    tracetest::recordTrace(data.content, *data.program, inputs, folder, recording);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  std::int64_t steps = 0;
  tracetest::playGame(data.content, *data.program, inputs, [&](const tracetest::Step&) { return ++steps > 0; });
  std::printf("recorded %lld steps in %.1f s: %.0f MB\n", static_cast<long long>(steps), bench::seconds(start),
              static_cast<double>(folderBytes(folder)) / 1e6);

  for (const bool frames : {false, true}) {
    app::ReplayOptions options;
    options.newGame = true;
    options.graphics = frames ? &*graphics : nullptr;
    const long peakBefore = peakKilobytes();
    start = std::chrono::steady_clock::now();
    const int code = app::replayTrace(data.content, *data.program, folder, options);
    const double seconds = bench::seconds(start);
    std::printf("%s --frames: exit code %d, %lld steps in %.2f s: %.0f steps per second; peak memory %+ld kB\n",
                frames ? "with" : "without", code, static_cast<long long>(steps), seconds,
                static_cast<double>(steps) / seconds, peakKilobytes() - peakBefore);
  }
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  fs::remove_all(fs::path("build") / "frames" / folder.filename(), ignored);
  fs::remove(fs::path("build") / "frames", ignored);  // only when nothing else is in there
  fs::remove(fs::path("build"), ignored);
}
