#include "app/audio_tools/opl_replay.h"

#include <cstdio>
#include <memory>
#include <sstream>
#include <system_error>
#include <type_traits>

#include "audio/adlib_driver.h"
#include "audio/beeper_driver.h"
#include "core/embedded.h"
#include "core/files.h"
#include "core/log.h"

namespace app {

namespace {

struct Command {
  std::int64_t tick = 0;
  std::int32_t cmd = 0;
  std::int32_t a = 0;
  std::int32_t b = 0;
};

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};

// About 16 days of music at 70 ticks a second: far beyond any recorded log,
// and a bound on how long a replay can run.
constexpr std::int64_t kMaxTick = 100000000;

// The driver side of the replay: the commands a driver log can hold.
template <typename Driver>
bool apply(Driver& driver, const Command& c) {
  switch (c.cmd) {
    case 0:
      if constexpr (std::is_same_v<Driver, audio::BeeperDriver>) driver.init();
      return true;
    case 1:
      return true;
    case 2:
      driver.setTimer(static_cast<std::uint16_t>(c.b));
      return true;
    case 4:
      driver.startRequest = static_cast<std::uint8_t>(c.a);
      return true;
    case 7:
      driver.stopRequest = 1;
      return true;
    default:
      core::log(core::LogLevel::Error, "driver command %d not modelled", c.cmd);
      return false;
  }
}

template <typename Driver>
int replay(Driver& driver, std::vector<std::uint8_t> image, const std::vector<Command>& commands,
           std::int64_t lastTick, std::FILE* file) {
  if (!driver.load(std::move(image))) return 1;
  std::int64_t now = 0;
  driver.output = [&now, file](std::uint8_t r, std::uint8_t v) {
    std::fprintf(file, "w %ld %02X %02X\n", static_cast<long>(now), r, v);
  };
  std::size_t next = 0;
  for (now = 0; now <= lastTick; ++now) {
    if (now > 0) driver.tick();
    while (next < commands.size() && commands[next].tick == now) {
      if (!apply(driver, commands[next])) return 1;
      ++next;
    }
  }
  if (next < commands.size()) {
    // Commands are taken strictly in file order; one that goes back in time
    // blocks itself and every command after it.
    core::log(core::LogLevel::Warn,
              "%zu driver commands not applied: command at tick %ld comes after a later one",
              commands.size() - next, static_cast<long>(commands[next].tick));
  }
  return 0;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> driverImage(const std::filesystem::path& root,
                                                     const char* name) {
  std::error_code ec;
  const std::filesystem::path path = root / "assets" / "audio" / name;
  // Checked first, so that a missing file is reported in this function's words;
  // anything else of that name is left to core::readFile to refuse.
  const bool exists = root == std::filesystem::path(core::kEmbeddedRoot)
                          ? core::embeddedFile(std::string("assets/audio/") + name) != nullptr
                          : std::filesystem::exists(std::filesystem::symlink_status(path, ec));
  if (!exists) {
    core::log(core::LogLevel::Error, "no assets/audio/%s", name);
    return std::nullopt;
  }
  return core::readFile(path);
}

int replayOplLog(const std::filesystem::path& root, const std::string& log,
                 const std::string& out, bool beeper) {
  auto image = driverImage(root, beeper ? "beeper.dat" : "adlib.dat");
  if (!image) return 1;

  const std::optional<std::string> text = core::readInputText(log);
  if (!text) {
    core::log(core::LogLevel::Error, "cannot read %s", log.c_str());
    return 1;
  }
  std::istringstream in(*text);
  std::vector<Command> commands;
  std::int64_t lastTick = -1;
  bool anyLine = false;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string word;
    std::int64_t tick = 0;
    words >> word;
    if (!(words >> tick)) tick = 0;
    lastTick = anyLine ? std::max(lastTick, tick) : tick;
    anyLine = true;
    if (word == "c") {
      Command c;
      c.tick = tick;
      words >> c.cmd >> c.a >> c.b;
      commands.push_back(c);
    }
  }
  // A folder or a failing disk opens like a file but cannot be read; replaying
  // nothing from it would pass for success.
  if (in.bad()) {
    core::log(core::LogLevel::Error, "cannot read %s", log.c_str());
    return 1;
  }

  if (lastTick > kMaxTick) {
    core::log(core::LogLevel::Error, "%s: tick %lld is beyond the last tick a replay runs to (%lld)", log.c_str(),
              static_cast<long long>(lastTick), static_cast<long long>(kMaxTick));
    return 1;
  }

  std::error_code ec;
  const std::filesystem::path outPath(out);
  if (outPath.has_parent_path()) std::filesystem::create_directories(outPath.parent_path(), ec);
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(out.c_str(), "w"));
  if (!file) {
    core::log(core::LogLevel::Error, "cannot write %s", out.c_str());
    return 1;
  }

  int code = 0;
  if (beeper) {
    audio::BeeperDriver driver;
    code = replay(driver, std::move(*image), commands, lastTick, file.get());
  } else {
    audio::AdlibDriver driver;
    code = replay(driver, std::move(*image), commands, lastTick, file.get());
  }
  // A full disk shows at the latest when the buffered lines go out at closing.
  const bool written = !std::ferror(file.get()) && std::fclose(file.release()) == 0;
  if (!written) {
    core::log(core::LogLevel::Error, "cannot write %s", out.c_str());
    return 1;
  }
  return code;
}

}  // namespace app
