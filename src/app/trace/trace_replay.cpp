#include "app/trace/trace_replay.h"

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "app/trace/trace_folder.h"
#include "app/trace/trace_state.h"
#include "assets/indexed_image.h"
#include "core/log.h"
#include "render/game_graphics.h"
#include "render/game_renderer.h"
#include "sim/simulation.h"
#include "world/world.h"

namespace app {

namespace {

namespace fs = std::filesystem;
using trace::Row;

constexpr std::int64_t kLastModelledRoom = 74;
constexpr std::uint8_t kStanding = 1;
constexpr std::uint32_t kWholePicture = render::GameRenderer::kRoomReset | render::GameRenderer::kPanelDrawn;

// Everything of one replay; nothing outlives the call.
class Replay {
 public:
  Replay(const sim::Content& content, const sim::ScriptProgram& program, const fs::path& folder,
         const ReplayOptions& options)
      : content_(content),
        program_(program),
        folder_(folder),
        options_(options),
        name_(folder.filename().string()),
        outFolder_(fs::path("build") / "frames" / name_),
        sim_(content, program) {}

  int run();
  // Whether a picture could not be written; the replay then writes no more.
  bool picturesLost() const { return picturesLost_; }

 private:
  std::optional<std::size_t> startRow() const;
  int start(std::size_t startRow);
  void drain();
  // False after the error line of a picture that cannot be written.
  bool writePicture(const render::Framebuffer& fb, const std::string& file);
  // The exit code when the picture on show differs from the reference, else 0.
  int checkPicture(const Row& row);
  // The difference lines of row i; empty when the state matches.
  std::vector<std::string> differences(const Row& row, const trace::Dgroup& snapshot) const;
  int applyPokes(std::int64_t step, std::int64_t frame);
  void printSummary(const char* ending) const;

  const sim::Content& content_;
  const sim::ScriptProgram& program_;
  const fs::path folder_;
  const ReplayOptions options_;
  const std::string name_;
  const fs::path outFolder_;
  trace::TraceFolder trace_;
  sim::Simulation sim_;
  std::unique_ptr<render::GameRenderer> renderer_;
  std::int64_t startStep_ = 0;
  std::int64_t matched_ = 0;
  std::int64_t equalFrames_ = 0;
  std::int64_t roomEntries_ = 0;
  long bubbles_ = 0;
  bool picturesLost_ = false;
};

std::optional<std::size_t> Replay::startRow() const {
  const auto& rows = trace_.rows;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    const bool fits = options_.from < 0
                          ? row.room.value_or(255) <= kLastModelledRoom && row.pstate.value_or(-1) == kStanding
                          : row.stepOr(-1) == options_.from;
    if (fits) return i;
  }
  return std::nullopt;
}

bool Replay::writePicture(const render::Framebuffer& fb, const std::string& file) {
  if (picturesLost_) return false;
  std::error_code ignored;
  fs::create_directories(outFolder_, ignored);
  picturesLost_ =
      !assets::saveIndexedPng(outFolder_ / file, render::kScreenWidth, render::kScreenHeight, fb.pixels,
                              options_.graphics->palette.rgb8Bytes());
  return !picturesLost_;
}

void Replay::drain() {
  auto& ops = sim_.ops;
  if (!renderer_) {
    ops.clear();
    return;
  }
  for (std::size_t i = 0; i < ops.size(); ++i) {
    renderer_->applyOne(ops[i]);
    if (ops[i].kind != sim::PageOpKind::Bubble) continue;
    // The DOS game showed a bubble once its page was on screen: the picture
    // is taken after the operations up to the next flip.
    const sim::PageOp& bubble = ops[i];
    while (i + 1 < ops.size()) {
      renderer_->applyOne(ops[++i]);
      if (ops[i].kind == sim::PageOpKind::Flip) break;
    }
    render::Framebuffer fb;
    renderer_->compose(bubble.snapshot ? *bubble.snapshot : sim_.state, fb);
    renderer_->drawBubble(fb, bubble);
    char file[32];
    std::snprintf(file, sizeof file, "bubble_%03ld.png", bubbles_++);
    writePicture(fb, file);
  }
  ops.clear();
}

int Replay::checkPicture(const Row& row) {
  if (!renderer_ || renderer_->pageFlags[renderer_->drawPage ^ 1] != kWholePicture) return 0;
  render::Framebuffer fb;
  renderer_->compose(sim_.state, fb);
  const std::int64_t step = row.stepOr(-1);
  const fs::path reference = folder_ / "frames" / trace::stepPictureName(step);
  std::error_code error;
  if (!fs::exists(reference, error)) return 0;
  const auto picture = assets::loadIndexedPng(reference);
  bool differs = !picture || picture->width != render::kScreenWidth || picture->height != render::kScreenHeight;
  if (!differs) {
    long count = 0;
    int x0 = render::kScreenWidth, y0 = render::kScreenHeight, x1 = -1, y1 = -1;
    for (int y = 0; y < render::kScreenHeight; ++y) {
      for (int x = 0; x < render::kScreenWidth; ++x) {
        const std::size_t at = static_cast<std::size_t>(y * render::kScreenWidth + x);
        if (fb.pixels[at] == picture->pixels[at]) continue;
        ++count;
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
      }
    }
    if (count > 0) {
      const std::string file = trace::stepPictureName(step, "_port");
      if (writePicture(fb, file)) {
        std::printf("  frame: %ld pixels differ in (%d,%d)-(%d,%d); port frame saved to %s\n", count, x0, y0, x1,
                    y1, (outFolder_ / file).string().c_str());
      } else {
        std::printf("  frame: %ld pixels differ in (%d,%d)-(%d,%d)\n", count, x0, y0, x1, y1);
      }
      differs = true;
    }
  }
  if (differs) {
    std::printf("%s: FRAME DIFFERS at step %" PRId64 " (frame %" PRId64 ") after %" PRId64 " equal frames\n",
                name_.c_str(), step, row.frame.value_or(-1), equalFrames_);
    return 1;
  }
  ++equalFrames_;
  return 0;
}

std::vector<std::string> Replay::differences(const Row& row, const trace::Dgroup& snapshot) const {
  std::vector<std::string> lines;
  const bool traceRead = row.heldRead.has_value();
  if (traceRead != sim_.alive) {
    lines.push_back(trace::differenceLine({"input read", {sim_.alive ? 1 : 0}, {traceRead ? 1 : 0}}));
  }
  for (const trace::Field& field : trace::compare(sim_.state, program_, snapshot)) {
    if (field.differs()) lines.push_back(trace::differenceLine(field));
  }
  return lines;
}

int Replay::applyPokes(std::int64_t step, std::int64_t frame) {
  for (trace::Poke& poke : trace_.pokes) {
    if (poke.applied || poke.frame > frame) continue;
    poke.applied = true;
    const std::string failure = trace::pokeBytes(sim_.state, poke.address, poke.bytes);
    if (failure.empty()) continue;
    std::printf("%s: stopped at step %" PRId64 ": not modelled: %s\n", name_.c_str(), step, failure.c_str());
    std::printf("%s: port matches the original for %" PRId64 " steps, then stops\n", name_.c_str(), matched_);
    return 3;
  }
  return 0;
}

void Replay::printSummary(const char* ending) const {
  std::printf("%s: port matches the original for %" PRId64 " steps (from step %" PRId64 "; %" PRId64
              " room entries)%s",
              name_.c_str(), matched_, startStep_, roomEntries_, ending);
}

int Replay::start(std::size_t row) {
  startStep_ = trace_.rows[row].stepOr(0);
  if (options_.newGame) {
    sim_.newGame();
    sim_.state.armed = sim::kArmedAtNewGame;
  } else {
    const auto snapshot = trace_.snapshots.at(row);
    const std::string failure = snapshot ? trace::loadSnapshot(*snapshot, *content_.world, program_, sim_.state)
                                         : std::string("no snapshot");
    if (!failure.empty()) {
      std::printf("%s: cannot start from step %zu: %s\n", name_.c_str(), row, failure.c_str());
      return 2;
    }
    // A snapshot is taken between the two halves of a step: finish that step.
    sim_.endStep();
  }
  if (options_.graphics) renderer_ = std::make_unique<render::GameRenderer>(*options_.graphics, *content_.world);
  drain();
  return 0;
}

int Replay::run() {
  if (!trace::readTraceFolder(folder_, trace_)) return 2;
  const auto first = startRow();
  if (!first) {
    core::log(core::LogLevel::Error, "%s: no starting step in the trace", folder_.string().c_str());
    return 2;
  }
  if (const int code = start(*first)) return code;

  bool outcomeMatched = false;
  sim::GameState& s = sim_.state;
  for (std::size_t i = options_.newGame ? 0 : *first + 1; i < trace_.rows.size(); ++i) {
    const Row& row = trace_.rows[i];
    const std::int64_t step = row.stepOr(-1);
    const std::int64_t frame = row.frame.value_or(-1);
    if (row.room.value_or(0) > kLastModelledRoom) break;
    const std::uint8_t input = row.heldRead.value_or(0);
    const std::uint8_t roomBefore = s.room;
    const std::uint8_t pendingBefore = s.enterPending;

    if (!sim_.beginStep(input)) {
      std::printf("%s: stopped at step %" PRId64 ": not modelled: %s\n", name_.c_str(), step, sim_.error.c_str());
      printSummary(", then stops\n");
      return 3;
    }
    const bool entered = s.room != roomBefore && pendingBefore == 0;
    drain();
    if (const int code = checkPicture(row)) return code;

    const auto snapshot = trace_.snapshots.at(i);
    if (!snapshot) {
      core::log(core::LogLevel::Error, "%s: no snapshot for row %zu", name_.c_str(), i);
      return 2;
    }
    const std::string outside = trace::recordsOutside(*snapshot, s);
    if (!outside.empty()) {
      core::log(core::LogLevel::Error, "%s: snapshot of row %zu: %s", name_.c_str(), i, outside.c_str());
      return 2;
    }
    const std::vector<std::string> lines = differences(row, *snapshot);
    if (options_.verbose) {
      std::printf("step %" PRId64 ": room %d x %d y %d vy %d state %d frame %d energy %d\n", step, s.room, s.x, s.y,
                  s.vy, s.state, s.frame, s.energy);
    }
    if (pendingBefore == 1 || entered) ++roomEntries_;
    if (!lines.empty()) {
      std::printf("%s: DIVERGED at step %" PRId64 " (frame %" PRId64 "), held %d:\n", name_.c_str(), step, frame,
                  input);
      for (const std::string& line : lines) std::printf("  %s\n", line.c_str());
      return 1;
    }
    ++matched_;

    if (const int code = applyPokes(step, frame)) return code;
    const bool ended = sim_.endStep();
    drain();
    if (!ended) {
      std::printf("%s: stopped after step %" PRId64 ": not modelled: %s\n", name_.c_str(), step, sim_.error.c_str());
      printSummary(", then stops\n");
      return 3;
    }
    if (s.endCode == 0) continue;
    const std::string outcome = s.endCode == 1 ? "game_over" : s.endCode == 2 ? "ending" : "";
    for (const trace::Outcome& o : trace_.outcomes) outcomeMatched = outcomeMatched || o == trace::Outcome{step, outcome};
    if (!outcomeMatched) {
      std::printf("%s: DIVERGED after step %" PRId64 ": port %s, original continues or differs\n", name_.c_str(), step,
                  outcome.c_str());
      return 1;
    }
    std::printf("%s: outcome after step %" PRId64 " matches: %s\n", name_.c_str(), step, outcome.c_str());
    break;
  }

  if (trace_.outcomes.empty() || outcomeMatched) {
    printSummary("");
    if (renderer_) std::printf(", %" PRId64 " frames pixel for pixel", equalFrames_);
    std::printf("\n");
    return 0;
  }
  std::printf("%s: DIVERGED: the original ended the game but the port did not\n", name_.c_str());
  return 1;
}

}  // namespace

int replayTrace(const sim::Content& content, const sim::ScriptProgram& program, const std::filesystem::path& folder,
                const ReplayOptions& options) {
  const auto replay = std::make_unique<Replay>(content, program, folder, options);
  int code = replay->run();
  std::fflush(stdout);
  // A match whose pictures are missing is not a whole success.
  if (code == 0 && replay->picturesLost()) code = 1;
  return code;
}

}  // namespace app
