#include "input/controls.h"

#include <algorithm>

#include "core/log.h"

namespace input {

namespace {

constexpr Uint16 kAltMask = KMOD_LALT | KMOD_RALT;  // 0x0300

// The first repeat comes 17 polls after the press (about 0.3 s at 60 Hz), then every fifth poll.
constexpr std::int32_t kRepeatDelay = 17;
constexpr std::int32_t kRepeatEvery = 5;

bool freshKeyDown(const SDL_Event& event) { return event.type == SDL_KEYDOWN && event.key.repeat == 0; }

SDL_JoystickID instanceOf(SDL_GameController* controller) {
  return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
}

struct PadDirections {
  bool up = false, down = false, left = false, right = false;
};

PadDirections padDirections(SDL_GameController* c) {
  PadDirections d;
  const int x = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX);
  const int y = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY);
  d.up = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_UP) || y < -kStickThreshold;
  d.down = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN) || y > kStickThreshold;
  d.left = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT) || x < -kStickThreshold;
  d.right = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT) || x > kStickThreshold;
  return d;
}

bool buttonHeld(SDL_GameController* c, SDL_GameControllerButton button) {
  return button != SDL_CONTROLLER_BUTTON_INVALID && SDL_GameControllerGetButton(c, button) != 0;
}

}  // namespace

Controls::~Controls() {
  for (SDL_GameController* c : controllers) SDL_GameControllerClose(c);
}

void Controls::open() {
  for (int i = 0; i < SDL_NumJoysticks(); ++i) add(i);
}

void Controls::add(int deviceIndex) {
  if (!SDL_IsGameController(deviceIndex)) return;
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  for (SDL_GameController* c : controllers)
    if (instanceOf(c) == id) return;
  SDL_GameController* c = SDL_GameControllerOpen(deviceIndex);
  if (!c) return;
  controllers.push_back(c);
  const char* name = SDL_GameControllerName(c);
  core::log(core::LogLevel::Info, "controller connected: %s", name ? name : "");
}

Command Controls::handleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN: {
      if (event.key.repeat != 0) return Command::None;
      const SDL_Scancode key = event.key.keysym.scancode;
      // Keys SDL cannot identify arrive as scancode 0, which is also "unbound":
      // such a press must not reach an action that has no key.
      if (key == SDL_SCANCODE_UNKNOWN) return Command::None;
      if (key == SDL_SCANCODE_ESCAPE) return Command::Pause;
      if (key == bindings.key(Action::Screenshot)) return Command::Screenshot;
      if (key == bindings.key(Action::QuickSave)) return Command::QuickSave;
      if (key == bindings.key(Action::QuickLoad)) return Command::QuickLoad;
      return Command::None;
    }
    case SDL_CONTROLLERBUTTONDOWN: {
      const auto button = static_cast<SDL_GameControllerButton>(event.cbutton.button);
      if (button == SDL_CONTROLLER_BUTTON_START) return Command::Pause;
      if (button == bindings.button(Action::QuickSave)) return Command::QuickSave;
      if (button == bindings.button(Action::QuickLoad)) return Command::QuickLoad;
      if (button == bindings.button(Action::Screenshot)) return Command::Screenshot;
      return Command::None;
    }
    case SDL_CONTROLLERDEVICEADDED:
      add(event.cdevice.which);
      return Command::None;
    case SDL_CONTROLLERDEVICEREMOVED: {
      const SDL_JoystickID gone = event.cdevice.which;
      auto out = std::remove_if(controllers.begin(), controllers.end(), [gone](SDL_GameController* c) {
        if (instanceOf(c) != gone) return false;
        SDL_GameControllerClose(c);
        return true;
      });
      controllers.erase(out, controllers.end());
      return Command::None;
    }
    default:
      return Command::None;
  }
}

Nav Controls::navEvent(const SDL_Event& event) const {
  if (freshKeyDown(event)) {
    switch (event.key.keysym.scancode) {
      case SDL_SCANCODE_RETURN:
      case SDL_SCANCODE_KP_ENTER:
        // Alt+Return belongs to the full-screen toggle.
        return (event.key.keysym.mod & kAltMask) ? Nav::None : Nav::Ok;
      case SDL_SCANCODE_ESCAPE:
        return Nav::Back;
      default:
        return Nav::None;
    }
  }
  if (event.type == SDL_CONTROLLERBUTTONDOWN) {
    switch (event.cbutton.button) {
      case SDL_CONTROLLER_BUTTON_A:
        return Nav::Ok;
      case SDL_CONTROLLER_BUTTON_B:
        return Nav::Back;
      case SDL_CONTROLLER_BUTTON_START:
        return Nav::Menu;
      default:
        return Nav::None;
    }
  }
  return Nav::None;
}

std::uint32_t Controls::heldDirection() const {
  const Uint8* keys = keyboard();
  PadDirections held;
  held.up = keys[SDL_SCANCODE_UP];
  held.down = keys[SDL_SCANCODE_DOWN];
  held.left = keys[SDL_SCANCODE_LEFT];
  held.right = keys[SDL_SCANCODE_RIGHT];
  for (SDL_GameController* c : controllers) {
    const PadDirections pad = padDirections(c);
    held.up |= pad.up;
    held.down |= pad.down;
    held.left |= pad.left;
    held.right |= pad.right;
  }
  if (held.up) return static_cast<std::uint32_t>(Nav::Up);
  if (held.down) return static_cast<std::uint32_t>(Nav::Down);
  if (held.left) return static_cast<std::uint32_t>(Nav::Left);
  if (held.right) return static_cast<std::uint32_t>(Nav::Right);
  return 0;
}

Nav Controls::pollNav() {
  const std::uint32_t dir = heldDirection();
  if (dir != navDir) {
    navDir = dir;
    navRepeat = 0;
    return static_cast<Nav>(dir);
  }
  if (dir == 0) return Nav::None;
  const std::int32_t r = navRepeat++;
  // Keep the count far from overflow without changing the repeat rhythm.
  constexpr std::int32_t kFold = kRepeatEvery * 100000000;
  if (navRepeat > kRepeatDelay + kFold) navRepeat -= kFold;
  return r >= kRepeatDelay && (r - kRepeatDelay) % kRepeatEvery == 0 ? static_cast<Nav>(dir) : Nav::None;
}

std::optional<SDL_Scancode> Controls::keyPressed(const SDL_Event& event) {
  if (!freshKeyDown(event)) return std::nullopt;
  return event.key.keysym.scancode;
}

std::optional<SDL_GameControllerButton> Controls::buttonPressed(const SDL_Event& event) {
  if (event.type != SDL_CONTROLLERBUTTONDOWN) return std::nullopt;
  return static_cast<SDL_GameControllerButton>(event.cbutton.button);
}

std::uint8_t Controls::heldBits() const {
  const Uint8* keys = keyboard();
  auto keyHeld = [&](Action a) {
    const SDL_Scancode k = bindings.key(a);
    return k > SDL_SCANCODE_UNKNOWN && k < SDL_NUM_SCANCODES && keys[k] != 0;
  };
  std::uint8_t bits = 0;
  if (keyHeld(Action::Jump)) bits |= kHeldUp;
  if (keyHeld(Action::Down)) bits |= kHeldDown;
  if (keyHeld(Action::MoveLeft)) bits |= kHeldLeft;
  if (keyHeld(Action::MoveRight)) bits |= kHeldRight;
  if (keyHeld(Action::Fire)) bits |= kHeldFire;
  for (SDL_GameController* c : controllers) {
    const PadDirections pad = padDirections(c);
    if (pad.up || buttonHeld(c, bindings.button(Action::Jump))) bits |= kHeldUp;
    if (pad.down) bits |= kHeldDown;
    if (pad.left) bits |= kHeldLeft;
    if (pad.right) bits |= kHeldRight;
    if (buttonHeld(c, bindings.button(Action::Fire))) bits |= kHeldFire;
  }
  return bits;
}

bool Controls::escapeHeld() const { return keyboard()[SDL_SCANCODE_ESCAPE] != 0; }

bool Controls::jumpButtonHeld() const {
  const SDL_GameControllerButton jump = bindings.button(Action::Jump);
  if (jump == SDL_CONTROLLER_BUTTON_INVALID) return false;
  for (SDL_GameController* c : controllers)
    if (buttonHeld(c, jump)) return true;
  return false;
}

const Uint8* Controls::keyboard() const {
  return keyboardOverride ? keyboardOverride : SDL_GetKeyboardState(nullptr);
}

}  // namespace input
