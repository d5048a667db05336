#include "app/autopilot/autopilot.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "app/autopilot/reach_search.h"
#include "app/autopilot/route.h"
#include "app/autopilot/steps_text.h"
#include "core/files.h"
#include "core/log.h"
#include "sim/input_history.h"
#include "sim/simulation.h"

namespace app {

namespace {

constexpr int kTimeout = 4000;                // steps a wait or walk without a count may take
constexpr std::uint8_t kStanding = 1;

// Every line of the route, or nothing after the error line of the first one
// refused: one it cannot read, or one naming what the world does not have.
std::optional<std::vector<Command>> readRoute(const std::filesystem::path& route, const sim::Content& content,
                                              const sim::ScriptProgram& program) {
  const std::optional<std::string> text = core::readInputText(route);
  if (!text) {
    core::log(core::LogLevel::Error, "cannot read %s", route.string().c_str());
    return std::nullopt;
  }
  std::istringstream in(*text);
  std::vector<Command> commands;
  std::string line;
  for (std::int32_t number = 1; std::getline(in, line); ++number) {
    const std::size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Command command;
    std::string error;
    LineRead read = parseCommand(number, line, command, error);
    if (read == LineRead::Command && !namesThingsOf(command, content, program, error)) read = LineRead::Refused;
    switch (read) {
      case LineRead::Empty:
        break;
      case LineRead::Command:
        commands.push_back(std::move(command));
        break;
      case LineRead::Refused:
        core::log(core::LogLevel::Error, "%s:%d: %s", route.string().c_str(), number,
                  error.empty() ? "bad command" : error.c_str());
        return std::nullopt;
    }
  }
  return commands;
}

class Runner {
 public:
  Runner(const sim::Content& content, const sim::ScriptProgram& program) : sim_(content, program) {
    sim_.newGame();
    sim_.state.armed = sim::kArmedAtNewGame;
  }

  const std::vector<std::uint8_t>& history() const { return history_; }

  void resume(const std::vector<std::uint8_t>& steps) {
    for (std::uint8_t b : steps) step(b);
    std::printf("resumed %zu steps: %s\n", history_.size(), describe(sim_.state).c_str());
  }

  // Plays one command; false when the route must end here.
  bool run(const Command& c) {
    const std::size_t start = history_.size();
    bool ok = true;
    switch (c.kind) {
      case CommandKind::Hold: ok = hold(c); break;
      case CommandKind::Fire: step(16), step(0); break;
      case CommandKind::Expect:
        if (holds(c.cond, sim_.state)) return true;
        std::printf("line %d: expect failed at step %zu: %s\n", c.line, history_.size(), now().c_str());
        return false;
      case CommandKind::Walk: ok = walk(c); break;
      case CommandKind::Reach: ok = reach(c); break;
      case CommandKind::Pick: ok = pick(c); break;
      case CommandKind::Drop: ok = drop(c); break;
    }
    if (full_) {
      std::printf("line %d: the route is longer than a steps file holds (%llu steps)\n", c.line,
                  static_cast<unsigned long long>(sim::kMaxHistorySteps));
      return false;
    }
    if (!ok) return false;
    if (!sim_.error.empty()) {
      std::printf("line %d: the simulation stopped: %s\n", c.line, sim_.error.c_str());
      return false;
    }
    std::printf("line %3d  steps %5zu-%5zu  %s\n", c.line, start, history_.size(), now().c_str());
    std::fflush(stdout);  // a long route shows its progress as it goes
    return true;
  }

 private:
  std::string now() const { return describe(sim_.state); }

  // False when the simulation stopped, or when the history is as long as a
  // steps file may be: a longer one would be written as a file no reader takes.
  bool step(std::uint8_t input) {
    if (history_.size() >= sim::kMaxHistorySteps) {
      full_ = true;
      return false;
    }
    sim_.beginStep(input);
    sim_.endStep();
    sim_.ops.clear();
    history_.push_back(input);
    return sim_.error.empty();
  }

  // A command cut short at the history's bound is reported by run alone.
  bool fail(const Command& c, const char* what) {
    if (!full_) std::printf("line %d: '%s' %s: %s\n", c.line, c.text.c_str(), what, now().c_str());
    return false;
  }

  bool hold(const Command& c) {
    for (int i = 0; c.value < 0 || i < c.value;) {
      if (!c.cond.empty() && holds(c.cond, sim_.state)) break;
      if (!step(c.keys)) break;
      ++i;
      if (c.value < 0 && i == kTimeout) {
        std::printf("line %d: '%s' timed out after %d steps: %s\n", c.line, c.text.c_str(), i, now().c_str());
        return false;
      }
    }
    return true;
  }

  bool walk(const Command& c) {
    const bool right = c.value > sim_.state.x;
    const std::uint8_t key = right ? 8 : 4;
    const auto arrived = [&] { return right ? sim_.state.x >= c.value - 1 : sim_.state.x <= c.value + 1; };
    int n = 0;
    while (!arrived()) {
      if (!step(key)) break;
      if (n == kTimeout) {
        n = kTimeout + 1;
        break;
      }
      ++n;
      if (sim_.state.room != sim_.state.roomAtStart) break;
    }
    const int cap = n == kTimeout + 1 ? n : kTimeout;
    while (true) {
      if (sim_.state.state == kStanding) return n < kTimeout + 1 || fail(c, "did not get there");
      if (n == cap) return fail(c, "did not get there");
      ++n;
      if (!step(0)) return true;
    }
  }

  // Searches for a way to the condition unless it already holds, and plays it.
  bool goTo(const Command& c, const Cond& cond) {
    if (holds(cond, sim_.state)) return true;
    const auto found = searchReach(sim_, cond, c.via, 0);
    if (!found) return fail(c, "found no way");
    for (std::uint8_t b : *found) step(b);
    return true;
  }

  bool reach(const Command& c) {
    if (holds(c.cond, sim_.state)) return true;
    if (!goTo(c, c.cond)) return false;
    return holds(c.cond, sim_.state) || fail(c, "replay missed");
  }

  bool pick(const Command& c) {
    Cond cond;
    std::string error;
    parseCond("next=" + std::to_string(c.value) + " and stand", cond, error);
    if (!goTo(c, cond)) return false;
    step(16);
    step(0);
    const auto& objects = sim_.state.objects;
    const bool carried = static_cast<std::size_t>(c.value) < objects.size() &&
                         objects[static_cast<std::size_t>(c.value)].room == sim::kRoomCarried;
    return carried || fail(c, "did not pick it up");
  }

  bool drop(const Command& c) {
    if (sim_.state.carried[2] != c.value) {
      std::printf("line %d: object %d is not in slot 3: %s\n", c.line, c.value, now().c_str());
      return false;
    }
    step(16);
    step(0);
    const auto& objects = sim_.state.objects;
    const bool dropped = static_cast<std::size_t>(c.value) < objects.size() &&
                         objects[static_cast<std::size_t>(c.value)].room == sim_.state.room;
    return dropped || fail(c, "did not drop it");
  }

  sim::Simulation sim_;
  std::vector<std::uint8_t> history_;
  bool full_ = false;  // a step was refused at the history's bound
};

}  // namespace

int runAutopilot(const sim::Content& content, const sim::ScriptProgram& program, const std::filesystem::path& route,
                 const std::filesystem::path& out, const std::filesystem::path& resume, int fromLine) {
  const auto commands = readRoute(route, content, program);
  if (!commands) return 1;

  gProgram = &program;
  Runner runner(content, program);
  if (!resume.empty()) {
    const auto steps = readSteps(resume, "cannot read " + resume.string());
    if (!steps) return 1;
    runner.resume(*steps);
  }
  bool complete = true;
  for (const Command& c : *commands) {
    if (c.line < fromLine) continue;
    if (!runner.run(c)) {
      complete = false;
      break;
    }
  }
  const std::string text = stepsText(route.filename().string(), runner.history());
  // A steps file that could not be written fails the run, even a complete one,
  // and its error line is the last word: no result line names a file that
  // does not hold the steps.
  if (!core::writeFile(out, std::vector<std::uint8_t>(text.begin(), text.end()))) return 1;
  std::printf("%s: %zu steps -> %s\n", complete ? "route complete" : "FAILED", runner.history().size(),
              out.string().c_str());
  return complete ? 0 : 1;
}

}  // namespace app
