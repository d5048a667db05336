// The interactive game: start-up, the main loop paced by the display and tear-down.

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "app/game/game_app.h"
#include "app/pause/pause_flow.h"
#include "app/game/sim_clock.h"
#include "audio/music.h"
#include "core/files.h"
#include "core/log.h"
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
  GameLoop(app::GameApp& game, app::PauseFlow& flow, present::Presenter& presenter, present::Audio& audio,
           audio::Music& music, input::Controls& controls, render::RgbaImage& frame, bool windowed)
      : game_(game), flow_(flow), presenter_(presenter), audio_(audio), music_(music), controls_(controls),
        frame_(frame), windowed_(windowed) {}

  // Runs until the window closes, the player quits from the title, or after
  // quitAfterFrames frames (when positive).
  void run(int quitAfterFrames, int pressF1At);

 private:
  // While the menu is open no tick runs, events navigate it and it is drawn
  // over the picture.
  bool menuOpen() const { return flow_.menu.isOpen(); }

  void handleEvent(const SDL_Event& e);
  void handleCommand(input::Command command);
  void handleMenuEvent(const SDL_Event& e);
  void applyChangedSettings();
  void runTicks(unsigned ticks);
  static void paceFrame(Uint64 frameStart, double frequency);
  void playMusicRequests();
  void playSoundRequests();
  void takeScreenshot();
  void composePicture();

  app::GameApp& game_;
  app::PauseFlow& flow_;
  present::Presenter& presenter_;
  present::Audio& audio_;
  audio::Music& music_;
  input::Controls& controls_;
  render::RgbaImage& frame_;
  const bool windowed_;
  bool running_ = true;
  int titleTimer_ = 0;
  app::SimClock clock_{};
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
    if (menuOpen()) flow_.nav(controls_.pollNav());
    applyChangedSettings();

    if (titleTimer_ > 0 && --titleTimer_ == 0) presenter_.setTitle(game::kWindowTitle);

    const Uint64 now = SDL_GetPerformanceCounter();
    const unsigned ticks = clock_.advance(static_cast<double>(now - last) / frequency);
    last = now;
    runTicks(ticks);

    playMusicRequests();
    playSoundRequests();
    composePicture();
    if (!presenter_.present(frame_)) paceFrame(last, frequency);
  }
}

// A frame that did not wait for the display (no vsync, or a minimised window
// that presents nothing) would let the loop spin as fast as it can: the menu's
// held-key repeat counts frames and would race, and a core would burn for
// nothing. Such frames are held to about 60 a second.
void GameLoop::paceFrame(Uint64 frameStart, double frequency) {
  const double elapsed = static_cast<double>(SDL_GetPerformanceCounter() - frameStart) / frequency;
  const double wait = 1.0 / 60.0 - elapsed;
  if (wait > 0.0) SDL_Delay(static_cast<Uint32>(wait * 1000.0));
}

void GameLoop::handleEvent(const SDL_Event& e) {
  if (e.type == SDL_QUIT) running_ = false;
  if (isFullscreenToggle(e)) {
    presenter_.toggleFullscreen();
    // The settings file keeps the state, unless --windowed decides it for this run.
    if (!windowed_) flow_.setFullscreen(presenter_.fullscreen());
    return;
  }
  if (!menuOpen()) {
    handleCommand(controls_.handleEvent(e));
    return;
  }
  // Hot-plugging still reaches the controls; their command is the menu's business.
  controls_.handleEvent(e);
  handleMenuEvent(e);
}

void GameLoop::handleMenuEvent(const SDL_Event& e) {
  const std::optional<SDL_Scancode> key = input::Controls::keyPressed(e);
  switch (flow_.menu.capture) {
    case ui::Menu::kCaptureButton:
      // Escape cancels a button capture the way the controller's START does.
      if (const auto button = input::Controls::buttonPressed(e))
        flow_.button(*button);
      else if (key == SDL_SCANCODE_ESCAPE)
        flow_.button(SDL_CONTROLLER_BUTTON_START);
      break;
    case ui::Menu::kCaptureKey:
      if (key) flow_.key(*key);
      break;
    default:
      if (key && *key == controls_.bindings.key(input::Action::Screenshot))
        takeScreenshot();
      else
        flow_.nav(controls_.navEvent(e));
      break;
  }
}

void GameLoop::applyChangedSettings() {
  if (!flow_.settingsChanged) return;
  flow_.settingsChanged = false;
  app::Settings s = flow_.settings;
  // --windowed keeps the window as it is; the menu cannot switch it.
  if (windowed_) s.fullscreen = presenter_.fullscreen();
  game::applySettings(s, presenter_, audio_, music_, controls_);
}

void GameLoop::handleCommand(input::Command command) {
  if (command == input::Command::None) return;
  if (command == input::Command::Screenshot) {
    takeScreenshot();
    return;
  }
  // Quick save, quick load and pause take their thumbnail and any save from
  // the picture of this moment.
  composePicture();
  flow_.command(command, frame_);
}

void GameLoop::runTicks(unsigned ticks) {
  for (unsigned i = 0; i < ticks && running_ && !menuOpen(); ++i) {
    std::uint8_t bits = controls_.heldBits();
    // The pad's jump button also confirms screens and speech bubbles.
    if ((game_.mode == app::GameApp::kModeScreen || game_.mode == app::GameApp::kModeBubble) && controls_.jumpButtonHeld()) bits |= input::kHeldFire;
    // During play Escape is the pause command, never the game's back input.
    const bool back = controls_.escapeHeld() && (!game_.stopReason.empty() || game_.mode == app::GameApp::kModeScreen ||
                                                   game_.mode == app::GameApp::kModeFadeOut);
    running_ = game_.tick(bits, back);
  }
}

void GameLoop::playMusicRequests() {
  auto requests = std::move(game_.musicQueue);
  game_.musicQueue.clear();
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
  auto requests = std::move(game_.soundQueue);
  game_.soundQueue.clear();
  for (const auto& s : requests) {
    if (s.kind == 0)
      audio_.play(game::kJumpSound, 1.0f);
    else
      audio_.play(game::energySoundName(s.n), 0.5f);
  }
}

void GameLoop::composePicture() {
  game_.compose(frame_);
  flow_.menu.draw(frame_);
}

void GameLoop::takeScreenshot() {
  composePicture();
  game::saveScreenshot(frame_, game::screenshotFolders(), presenter_, titleTimer_);
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

  render::RgbaImage frame;
  // Held on the heap: the application carries the whole simulation.
  auto game = std::make_unique<app::GameApp>(content, *program, *graphics, &*hud);
  // Reads the settings file; created after the application, destroyed before it.
  auto flow = std::make_unique<app::PauseFlow>(*game, *menuArt, game::prefsFolder());
  app::Settings settings = flow->settings;
  if (windowed) settings.fullscreen = false;
  game::applySettings(settings, presenter, audio, music, controls);

  GameLoop loop(*game, *flow, presenter, audio, music, controls, frame, windowed);
  loop.run(quitAfterFrames, pressF1At);
  return 0;
}
