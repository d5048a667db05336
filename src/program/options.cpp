#include "options.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/log.h"

namespace {

enum class Kind { Text, Int, Real, Flag, Version };

struct Option {
  const char* name;
  Kind kind;
  std::string Options::*text = nullptr;
  int Options::*number = nullptr;
  double Options::*real = nullptr;
  bool Options::*flag = nullptr;
};

Option text(const char* name, std::string Options::*field) { return {name, Kind::Text, field}; }
Option integer(const char* name, int Options::*field) { return {name, Kind::Int, nullptr, field}; }
Option flag(const char* name, bool Options::*field) {
  return {name, Kind::Flag, nullptr, nullptr, nullptr, field};
}

const Option kOptions[] = {
    text("--data", &Options::data),
    integer("--render-room", &Options::renderRoom),
    text("--out", &Options::out),
    text("--render-goldens", &Options::renderGoldens),
    integer("--quit-after-frames", &Options::quitAfterFrames),
    integer("--press-f1-at", &Options::pressF1At),
    text("--replay", &Options::replay),
    flag("--viewer", &Options::viewer),
    text("--play-script", &Options::playScript),
    text("--capture-at", &Options::captureAt),
    text("--render-screens", &Options::renderScreens),
    text("--autopilot", &Options::autopilot),
    text("--resume", &Options::resume),
    integer("--from-line", &Options::fromLine),
    integer("--from", &Options::from),
    flag("--verbose", &Options::verbose),
    flag("--frames", &Options::frames),
    flag("--new-game", &Options::newGame),
    flag("--check-quicksave", &Options::checkQuickSave),
    text("--start-steps", &Options::startSteps),
    integer("--start-count", &Options::startCount),
    text("--list-bubbles", &Options::listBubbles),
    text("--opl-replay", &Options::oplReplay),
    integer("--render-tune", &Options::renderTune),
    {"--seconds", Kind::Real, nullptr, nullptr, &Options::seconds},
    flag("--beeper", &Options::beeper),
    flag("--windowed", &Options::windowed),
    text("--crt-test", &Options::crtTest),
    {"--version", Kind::Version},
};
static_assert(sizeof kOptions / sizeof kOptions[0] == 29, "the command line has 29 options");

// atoi's reading (leading blanks, a sign, leading digits, else 0), but a value
// beyond int saturates instead of being undefined behaviour.
int toInt(const char* text) {
  const long value = std::strtol(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

ParseOutcome parseOptions(int argc, const char* const* argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i] ? argv[i] : "";
    const Option* option = nullptr;
    for (const Option& candidate : kOptions) {
      if (std::strcmp(candidate.name, argument) == 0) {
        option = &candidate;
        break;
      }
    }
    if (!option) {
      core::log(core::LogLevel::Error, "unknown argument %s", argument);
      return ParseOutcome::Unknown;
    }
    if (option->kind == Kind::Version) return ParseOutcome::Version;
    if (option->kind == Kind::Flag) {
      options.*(option->flag) = true;
      continue;
    }
    // A value option at the end of the line reads an empty value.
    const char* value = "";
    if (i + 1 < argc) value = argv[++i] ? argv[i] : "";
    switch (option->kind) {
      case Kind::Text:
        options.*(option->text) = value;
        break;
      case Kind::Int:
        options.*(option->number) = toInt(value);
        break;
      case Kind::Real:
        options.*(option->real) = std::strtod(value, nullptr);
        break;
      default:
        break;
    }
  }
  return ParseOutcome::Run;
}

Mode selectMode(const Options& o) {
  if (!o.crtTest.empty()) return Mode::CrtTest;
  if (!o.oplReplay.empty()) return Mode::OplReplay;
  if (o.renderTune >= 0) return Mode::RenderTune;
  if (!o.renderGoldens.empty()) return Mode::Goldens;
  if (!o.replay.empty()) return Mode::Replay;
  if (o.renderRoom >= 0) return o.out.empty() ? Mode::RoomPngWithoutOut : Mode::RoomPng;
  if (!o.renderScreens.empty()) return Mode::Screens;
  if (!o.autopilot.empty()) return Mode::Autopilot;
  if (!o.listBubbles.empty()) return Mode::Bubbles;
  if (!o.playScript.empty()) return Mode::Script;
  return o.viewer ? Mode::Viewer : Mode::Game;
}
