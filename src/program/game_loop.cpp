// The interactive game: start-up, the main loop paced to the display and tear-down.

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "app/game/game_app.h"
#include "app/game/sim_clock.h"
#include "audio/music.h"
#include "core/files.h"
#include "core/log.h"
#include "frame_pacing.h"
#include "game_driver.h"
#include "game_loop.h"
#include "input/controls.h"
#include "modes.h"
#include "present/audio.h"
#include "present/presenter.h"
#include "render/game_graphics.h"
#include "render/hud_screen.h"
#include "render/rgba.h"
#include "sim/script_program.h"
#include "ui/menu_art.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWindowWidth = 1044;
constexpr int kWindowHeight = 720;
constexpr int kMusicRate = 48000;
constexpr Uint16 kAltMask = KMOD_LALT | KMOD_RALT;

// Shuts SDL down when the objects that need it are gone: declared before them,
// destroyed after them.
struct SdlSession {
  ~SdlSession() { SDL_Quit(); }
};

bool isFullscreenToggle(const SDL_Event& e) {
  if (e.type != SDL_KEYDOWN) return false;
  const SDL_Keycode key = e.key.keysym.sym;
  return key == SDLK_F11 || (key == SDLK_RETURN && (e.key.keysym.mod & kAltMask) != 0);
}

SDL_Event f1Press() {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.timestamp = 0;
  e.key.windowID = 0;
  e.key.state = SDL_PRESSED;
  e.key.repeat = 0;
  e.key.keysym.scancode = SDL_SCANCODE_F1;
  e.key.keysym.sym = SDLK_F1;
  e.key.keysym.mod = KMOD_NONE;
  return e;
}

// Everything the loop drives, borrowed from runGame, which owns it.
class GameLoop {
 public:
  GameLoop(GameDriver& driver, present::Presenter& presenter, present::Audio& audio, audio::Music& music,
           input::Controls& controls, bool windowed)
      : driver_(driver), presenter_(presenter), audio_(audio), music_(music), controls_(controls),
        windowed_(windowed) {}

  // Runs until the window closes, the player quits from the title, or after
  // quitAfterFrames frames (when positive).
  void run(int quitAfterFrames, int pressF1At);

 private:
  void handleEvent(const SDL_Event& e);
  void handleMenuEvent(const SDL_Event& e);
  void applyChangedSettings();
  void runTicks(unsigned ticks);
  void playMusicRequests();
  void playSoundRequests();
  void takeScreenshot();

  GameDriver& driver_;
  present::Presenter& presenter_;
  present::Audio& audio_;
  audio::Music& music_;
  input::Controls& controls_;
  const bool windowed_;
  bool running_ = true;
  int titleTimer_ = 0;
  app::SimClock clock_{};
  game::FramePacer pacer_{game::systemFrameClock()};
};

void GameLoop::run(int quitAfterFrames, int pressF1At) {
  Uint64 last = SDL_GetPerformanceCounter();
  const double frequency = static_cast<double>(SDL_GetPerformanceFrequency());
  int frames = 0;
  while (running_) {
    if (quitAfterFrames > 0 && frames >= quitAfterFrames) break;
    if (frames == pressF1At) {
      SDL_Event press = f1Press();
      if (SDL_PushEvent(&press) < 0) core::log(core::LogLevel::Error, "SDL_PushEvent: %s", SDL_GetError());
    }
    ++frames;

    SDL_Event e;
    while (SDL_PollEvent(&e)) handleEvent(e);
    if (driver_.menuOpen()) driver_.nav(controls_.pollNav());
    applyChangedSettings();

    if (titleTimer_ > 0 && --titleTimer_ == 0) presenter_.setTitle(game::kWindowTitle);

    const Uint64 now = SDL_GetPerformanceCounter();
    const unsigned ticks = clock_.advance(static_cast<double>(now - last) / frequency);
    last = now;
    runTicks(ticks);

    playMusicRequests();
    playSoundRequests();
    presenter_.present(driver_.compose());
    pacer_.frameDone(presenter_.refreshInterval());
  }
}

void GameLoop::handleEvent(const SDL_Event& e) {
  if (e.type == SDL_QUIT) running_ = false;
  if (isFullscreenToggle(e)) {
    presenter_.toggleFullscreen();
    // The settings file keeps the state, unless --windowed decides it for this run.
    if (!windowed_) driver_.fullscreenToggled(presenter_.fullscreen());
    return;
  }
  if (!driver_.menuOpen()) {
    const input::Command command = controls_.handleEvent(e);
    if (command == input::Command::Screenshot)
      takeScreenshot();
    else if (command != input::Command::None)
      driver_.commands({command});
    return;
  }
  // Hot-plugging still reaches the controls; their command is the menu's business.
  controls_.handleEvent(e);
  handleMenuEvent(e);
}

void GameLoop::handleMenuEvent(const SDL_Event& e) {
  const std::optional<SDL_Scancode> key = input::Controls::keyPressed(e);
  if (driver_.capture(key, input::Controls::buttonPressed(e))) return;
  if (key && *key == controls_.bindings.key(input::Action::Screenshot))
    takeScreenshot();
  else
    driver_.nav(controls_.navEvent(e));
}

void GameLoop::applyChangedSettings() {
  std::optional<app::Settings> s = driver_.changedSettings();
  if (!s) return;
  // --windowed keeps the window as it is; the menu cannot switch it.
  if (windowed_) s->fullscreen = presenter_.fullscreen();
  game::applySettings(*s, presenter_, audio_, music_, controls_);
}

void GameLoop::runTicks(unsigned ticks) {
  for (unsigned i = 0; i < ticks && running_ && !driver_.menuOpen(); ++i)
    running_ = driver_.tick(controls_.heldBits(), controls_.escapeHeld(), controls_.jumpButtonHeld());
}

void GameLoop::playMusicRequests() {
  const auto requests = driver_.takeMusic();
  if (requests.empty() || !(music_.adlibLoaded() || music_.beeperLoaded())) return;
  const SDL_AudioDeviceID device = audio_.device();
  if (device != 0) SDL_LockAudioDevice(device);
  for (const auto& r : requests) {
    if (r.kind == 1)
      music_.tickNow(r.flag != 0);
    else
      music_.startTune(r.tune, r.flag != 0);
  }
  if (device != 0) SDL_UnlockAudioDevice(device);
}

void GameLoop::playSoundRequests() {
  const auto requests = driver_.takeSounds();
  for (const auto& s : requests) {
    if (s.kind == 0)
      audio_.play(game::kJumpSound, 1.0f);
    else
      audio_.play(game::energySoundName(s.n), 0.5f);
  }
}

void GameLoop::takeScreenshot() {
  game::saveScreenshot(driver_.compose(), game::screenshotFolders(), presenter_, titleTimer_);
}

}  // namespace

int runGame(const Data& data, const fs::path& root, int quitAfterFrames, int pressF1At, bool windowed) {
  std::optional<render::GameGraphics> graphics = render::loadGameGraphics(root);
  if (!graphics) return 1;
  std::optional<sim::ScriptProgram> program = sim::compileScripts(data.world);
  if (!program) return 1;
  const sim::Content content = simContent(data);
  std::optional<render::HudScreen> hud = render::loadHudScreen(root, *graphics, data.world);
  if (!hud) return 1;
  std::optional<ui::MenuArt> menuArt = ui::MenuArt::load(root);
  if (!menuArt) return 1;

  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS) != 0) {
    core::log(core::LogLevel::Error, "SDL_Init: %s", SDL_GetError());
    return 1;
  }
  SdlSession sdl;
  const bool haveAudio = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  if (!haveAudio) core::log(core::LogLevel::Error, "no sound: %s", SDL_GetError());

  present::Presenter presenter;
  audio::Music music(kMusicRate);
  present::Audio audio;
  if (haveAudio && audio.open()) {
    game::loadSounds(audio, root);
    const fs::path folder = root / "assets" / "audio";
    std::vector<std::uint8_t> adlib = core::readFile(folder / "adlib.dat").value_or(std::vector<std::uint8_t>());
    std::vector<std::uint8_t> beeper = core::readFile(folder / "beeper.dat").value_or(std::vector<std::uint8_t>());
    if (music.load(std::move(adlib), std::move(beeper))) audio.setMusic(&music);
  }

  input::Controls controls;
  controls.bindings = input::Bindings::defaults();
  controls.open();

  if (!presenter.open(game::kWindowTitle, kWindowWidth, kWindowHeight, false)) return 1;
  if (auto icon = render::loadRgbaPng(root / "assets" / "icon" / "icon_64.png")) presenter.setIcon(*icon);

  // Held on the heap: the application carries the whole simulation.
  auto game = std::make_unique<app::GameApp>(content, *program, *graphics, &*hud);
  // Reads the settings file; created after the application, destroyed before it.
  auto driver = std::make_unique<GameDriver>(*game, *menuArt, game::prefsFolder());
  app::Settings settings = driver->flow.settings;
  if (windowed) settings.fullscreen = false;
  game::applySettings(settings, presenter, audio, music, controls);

  GameLoop loop(*driver, presenter, audio, music, controls, windowed);
  loop.run(quitAfterFrames, pressF1At);
  return 0;
}
