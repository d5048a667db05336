// Program entry: options, data root, the Data bundle and the mode dispatch.

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "assets/palette.h"
#include "assets/tile_set.h"
#include "core/data_root.h"
#include "core/log.h"
#include "modes.h"
#include "options.h"
#include "render/game_graphics.h"
#include "sim/script_program.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace {

fs::path executableDir(int argc, char** argv) {
  if (argc < 1 || argv[0] == nullptr) return fs::path();
  std::error_code error;
  const fs::path absolute = fs::absolute(argv[0], error);
  return error ? fs::path() : absolute.parent_path();
}

const std::string& orDefault(const std::string& value, const std::string& fallback) {
  return value.empty() ? fallback : value;
}

// All three loaders run even after a failure, so every broken file is reported at once.
std::optional<Data> loadData(const fs::path& root) {
  auto palette = assets::loadPalette(root / "assets" / "palettes" / "vga.json");
  auto tiles = assets::loadTileSet(root / "assets" / "graphics");
  auto world = world::loadWorld(root / "world" / "world.json");
  if (!palette || !tiles || !world) return std::nullopt;
  return Data{*palette, std::move(*tiles), std::move(*world)};
}

int runAutopilot(const Data& data, const Options& o) {
  const auto program = sim::compileScripts(data.world);
  if (!program) return 1;
  const sim::Content content = simContent(data);
  return runAutopilotMode(content, *program, o.autopilot, orDefault(o.out, "build/autopilot.steps"), o.resume,
                          o.fromLine);
}

int runReplayMode(const Data& data, const fs::path& root, const Options& o) {
  std::optional<render::GameGraphics> graphics;
  if (o.frames) {
    graphics = render::loadGameGraphics(root);
    if (!graphics) return 1;
  }
  app::ReplayOptions options;
  options.from = o.from;
  options.verbose = o.verbose;
  options.newGame = o.newGame;
  options.graphics = graphics ? &*graphics : nullptr;
  return runReplay(data, o.replay, options);
}

int runInteractive(const Data& data, const fs::path& root, const Options& o) {
  const int code = o.viewer ? runViewer(data, o.quitAfterFrames)
                            : runGame(data, root, o.quitAfterFrames, o.pressF1At, o.windowed);
  if (code == 0 && o.quitAfterFrames >= 1)
    core::log(core::LogLevel::Info, "presented %d frames", o.quitAfterFrames);
  return code;
}

int runWithData(Mode mode, const Data& data, const fs::path& root, const Options& o) {
  switch (mode) {
    case Mode::Goldens:
      return renderGoldens(data, o.renderGoldens) ? 0 : 1;
    case Mode::Replay:
      return runReplayMode(data, root, o);
    case Mode::Screens:
      return renderScreens(data, root, o.renderScreens);
    case Mode::Autopilot:
      return runAutopilot(data, o);
    case Mode::Bubbles:
      return listBubbles(data, o.startSteps, o.listBubbles);
    case Mode::Viewer:
    case Mode::Game:
      return runInteractive(data, root, o);
    case Mode::Script:
      return runScript(data, root, o.playScript, o.captureAt, orDefault(o.out, "build/play"),
                       o.checkQuickSave, o.startSteps, o.startCount);
    case Mode::RoomPng:
      return renderRoomPng(data, o.renderRoom, o.out) ? 0 : 1;
    case Mode::RoomPngWithoutOut:
      core::log(core::LogLevel::Error, "--render-room needs --out FILE");
      return 2;
    default:
      return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
#ifdef SIGXFSZ
  // A write past the file-size limit is then a failed write, reported like a
  // full disk, instead of the end of the program (and of a game not saved).
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  Options options;
  switch (parseOptions(argc, argv, options)) {
    case ParseOutcome::Version:
      std::printf("Quillhaven (DOS remake) %s\n", kVersion);
      return 0;
    case ParseOutcome::Unknown:
      return 2;
    case ParseOutcome::Run:
      break;
  }

  const std::optional<fs::path> root = core::findDataRoot(options.data, executableDir(argc, argv));
  if (!root) return 1;

  const Mode mode = selectMode(options);
  switch (mode) {
    case Mode::CrtTest:
      return runCrtTest(options.crtTest, orDefault(options.out, "build/crt_test"));
    case Mode::OplReplay:
      return runOplReplay(*root, options.oplReplay, orDefault(options.out, "build/opl_port.txt"),
                          options.beeper);
    case Mode::RenderTune:
      return runTuneRender(*root, options.renderTune, options.seconds,
                           orDefault(options.out, "build/tune.wav"), options.beeper);
    default:
      break;
  }

  const std::optional<Data> data = loadData(*root);
  if (!data) return 1;
  return runWithData(mode, *data, *root, options);
}
