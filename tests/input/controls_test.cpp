#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "input/controls.h"

using input::Action;
using input::Command;
using input::Controls;
using input::Nav;

namespace {

SDL_Event keyDown(SDL_Scancode key, Uint16 mod = KMOD_NONE, bool repeat = false) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.state = SDL_PRESSED;
  e.key.repeat = repeat ? 1 : 0;
  e.key.keysym.scancode = key;
  e.key.keysym.sym = SDL_GetKeyFromScancode(key);
  e.key.keysym.mod = mod;
  return e;
}

SDL_Event keyUp(SDL_Scancode key) {
  SDL_Event e = keyDown(key);
  e.type = SDL_KEYUP;
  e.key.state = SDL_RELEASED;
  return e;
}

SDL_Event buttonDown(SDL_GameControllerButton button) {
  SDL_Event e{};
  e.type = SDL_CONTROLLERBUTTONDOWN;
  e.cbutton.button = static_cast<Uint8>(button);
  e.cbutton.state = SDL_PRESSED;
  return e;
}

// A keyboard the test holds keys on, standing in for SDL's keyboard state.
struct FakeKeyboard {
  std::array<Uint8, SDL_NUM_SCANCODES> keys{};
  void hold(SDL_Scancode k) { keys[k] = 1; }
  void release(SDL_Scancode k) { keys[k] = 0; }
  void releaseAll() { keys.fill(0); }
};

class KeyboardControls : public ::testing::Test {
 protected:
  void SetUp() override { controls.keyboardOverride = keyboard.keys.data(); }
  FakeKeyboard keyboard;
  Controls controls;
};

TEST_F(KeyboardControls, KeyPressesBecomeCommands) {
  EXPECT_EQ(controls.handleEvent(keyDown(SDL_SCANCODE_ESCAPE)), Command::Pause);
  EXPECT_EQ(controls.handleEvent(keyDown(SDL_SCANCODE_F1)), Command::Screenshot);
  EXPECT_EQ(controls.handleEvent(keyDown(SDL_SCANCODE_F5)), Command::QuickSave);
  EXPECT_EQ(controls.handleEvent(keyDown(SDL_SCANCODE_F8)), Command::QuickLoad);
  EXPECT_EQ(controls.handleEvent(keyDown(SDL_SCANCODE_SPACE)), Command::None);
  EXPECT_EQ(controls.handleEvent(keyDown(SDL_SCANCODE_RETURN)), Command::None);
  // Held keys repeat; a repeat never raises a second command.
  EXPECT_EQ(controls.handleEvent(keyDown(SDL_SCANCODE_ESCAPE, KMOD_NONE, true)), Command::None);
  EXPECT_EQ(controls.handleEvent(keyDown(SDL_SCANCODE_F5, KMOD_NONE, true)), Command::None);
  EXPECT_EQ(controls.handleEvent(keyUp(SDL_SCANCODE_F5)), Command::None);

  // Commands follow the bindings, not fixed keys.
  ASSERT_TRUE(controls.bindings.bindKey(Action::QuickSave, SDL_SCANCODE_S));
  EXPECT_EQ(controls.handleEvent(keyDown(SDL_SCANCODE_S)), Command::QuickSave);
  EXPECT_EQ(controls.handleEvent(keyDown(SDL_SCANCODE_F5)), Command::None);
  // A command key left unbound raises nothing, not even for the "no key" scancode.
  controls.bindings.keys[input::index(Action::QuickLoad)] = SDL_SCANCODE_UNKNOWN;
  EXPECT_EQ(controls.handleEvent(keyDown(SDL_SCANCODE_UNKNOWN)), Command::None);
}

TEST_F(KeyboardControls, ControllerButtonsBecomeCommands) {
  EXPECT_EQ(controls.handleEvent(buttonDown(SDL_CONTROLLER_BUTTON_START)), Command::Pause);
  EXPECT_EQ(controls.handleEvent(buttonDown(SDL_CONTROLLER_BUTTON_BACK)), Command::QuickSave);
  EXPECT_EQ(controls.handleEvent(buttonDown(SDL_CONTROLLER_BUTTON_A)), Command::None);
  EXPECT_EQ(controls.handleEvent(buttonDown(SDL_CONTROLLER_BUTTON_X)), Command::None);
  ASSERT_TRUE(controls.bindings.bindButton(Action::QuickLoad, SDL_CONTROLLER_BUTTON_X));
  ASSERT_TRUE(controls.bindings.bindButton(Action::Screenshot, SDL_CONTROLLER_BUTTON_Y));
  EXPECT_EQ(controls.handleEvent(buttonDown(SDL_CONTROLLER_BUTTON_X)), Command::QuickLoad);
  EXPECT_EQ(controls.handleEvent(buttonDown(SDL_CONTROLLER_BUTTON_Y)), Command::Screenshot);
  // Unbound entries are -1, which no real button matches.
  EXPECT_EQ(controls.handleEvent(buttonDown(static_cast<SDL_GameControllerButton>(255))), Command::None);
  // A removal of a controller that was never opened is ignored.
  SDL_Event removed{};
  removed.type = SDL_CONTROLLERDEVICEREMOVED;
  removed.cdevice.which = 1234;
  EXPECT_EQ(controls.handleEvent(removed), Command::None);
  EXPECT_TRUE(controls.controllers.empty());
}

TEST_F(KeyboardControls, MenuNavigationFromPresses) {
  EXPECT_EQ(controls.navEvent(keyDown(SDL_SCANCODE_RETURN)), Nav::Ok);
  EXPECT_EQ(controls.navEvent(keyDown(SDL_SCANCODE_KP_ENTER)), Nav::Ok);
  EXPECT_EQ(controls.navEvent(keyDown(SDL_SCANCODE_ESCAPE)), Nav::Back);
  // Alt+Enter switches full screen instead, on either Enter key and with either Alt.
  EXPECT_EQ(controls.navEvent(keyDown(SDL_SCANCODE_RETURN, KMOD_LALT)), Nav::None);
  EXPECT_EQ(controls.navEvent(keyDown(SDL_SCANCODE_KP_ENTER, KMOD_RALT)), Nav::None);
  EXPECT_EQ(controls.navEvent(keyDown(SDL_SCANCODE_RETURN, KMOD_LSHIFT | KMOD_NUM)), Nav::Ok);
  EXPECT_EQ(controls.navEvent(keyDown(SDL_SCANCODE_RETURN, KMOD_NONE, true)), Nav::None);
  EXPECT_EQ(controls.navEvent(keyUp(SDL_SCANCODE_RETURN)), Nav::None);
  // Directions come from pollNav only.
  EXPECT_EQ(controls.navEvent(keyDown(SDL_SCANCODE_UP)), Nav::None);
  EXPECT_EQ(controls.navEvent(buttonDown(SDL_CONTROLLER_BUTTON_DPAD_UP)), Nav::None);
  EXPECT_EQ(controls.navEvent(buttonDown(SDL_CONTROLLER_BUTTON_A)), Nav::Ok);
  EXPECT_EQ(controls.navEvent(buttonDown(SDL_CONTROLLER_BUTTON_B)), Nav::Back);
  EXPECT_EQ(controls.navEvent(buttonDown(SDL_CONTROLLER_BUTTON_START)), Nav::Menu);
  EXPECT_EQ(controls.navEvent(buttonDown(SDL_CONTROLLER_BUTTON_X)), Nav::None);

  EXPECT_EQ(Controls::keyPressed(keyDown(SDL_SCANCODE_Q)), SDL_SCANCODE_Q);
  EXPECT_FALSE(Controls::keyPressed(keyDown(SDL_SCANCODE_Q, KMOD_NONE, true)));
  EXPECT_FALSE(Controls::keyPressed(keyUp(SDL_SCANCODE_Q)));
  EXPECT_FALSE(Controls::keyPressed(buttonDown(SDL_CONTROLLER_BUTTON_A)));
  EXPECT_EQ(Controls::buttonPressed(buttonDown(SDL_CONTROLLER_BUTTON_Y)), SDL_CONTROLLER_BUTTON_Y);
  EXPECT_FALSE(Controls::buttonPressed(keyDown(SDL_SCANCODE_Q)));
}

TEST_F(KeyboardControls, HeldKeysFormTheInputByte) {
  EXPECT_EQ(controls.heldBits(), 0);
  keyboard.hold(SDL_SCANCODE_UP);
  EXPECT_EQ(controls.heldBits(), input::kHeldUp);
  keyboard.hold(SDL_SCANCODE_DOWN);
  keyboard.hold(SDL_SCANCODE_LEFT);
  keyboard.hold(SDL_SCANCODE_RIGHT);
  keyboard.hold(SDL_SCANCODE_SPACE);
  EXPECT_EQ(controls.heldBits(), 31);  // opposite directions both reach the simulation
  keyboard.releaseAll();

  // Keys count through their bindings only.
  ASSERT_TRUE(controls.bindings.bindKey(Action::Fire, SDL_SCANCODE_LCTRL));
  keyboard.hold(SDL_SCANCODE_SPACE);
  EXPECT_EQ(controls.heldBits(), 0);
  keyboard.hold(SDL_SCANCODE_LCTRL);
  EXPECT_EQ(controls.heldBits(), input::kHeldFire);
  keyboard.releaseAll();

  // An unbound action does not read the "no key" slot of the keyboard state.
  controls.bindings.keys[input::index(Action::Jump)] = SDL_SCANCODE_UNKNOWN;
  keyboard.hold(SDL_SCANCODE_UNKNOWN);
  EXPECT_EQ(controls.heldBits(), 0);
  // Neither does a corrupt binding beyond the keyboard.
  controls.bindings.keys[input::index(Action::Down)] = static_cast<SDL_Scancode>(SDL_NUM_SCANCODES + 7);
  EXPECT_EQ(controls.heldBits(), 0);
}

TEST_F(KeyboardControls, EscapeIsHeldWhileThePauseFiresOnce) {
  int pauses = 0;
  pauses += controls.handleEvent(keyDown(SDL_SCANCODE_ESCAPE)) == Command::Pause;
  keyboard.hold(SDL_SCANCODE_ESCAPE);
  for (int tick = 0; tick < 5; ++tick) {
    EXPECT_TRUE(controls.escapeHeld());
    pauses += controls.handleEvent(keyDown(SDL_SCANCODE_ESCAPE, KMOD_NONE, true)) == Command::Pause;
  }
  EXPECT_EQ(pauses, 1);
  EXPECT_EQ(controls.heldBits(), 0);  // Escape is no game input
  keyboard.release(SDL_SCANCODE_ESCAPE);
  EXPECT_FALSE(controls.escapeHeld());
  EXPECT_FALSE(controls.jumpButtonHeld());  // no controller open
}

TEST_F(KeyboardControls, HeldDirectionsRepeatInTheMenu) {
  EXPECT_EQ(controls.pollNav(), Nav::None);
  keyboard.hold(SDL_SCANCODE_DOWN);
  std::vector<int> fired;
  for (int poll = 1; poll <= 40; ++poll)
    if (controls.pollNav() == Nav::Down) fired.push_back(poll);
  EXPECT_EQ(fired, (std::vector<int>{1, 19, 24, 29, 34, 39}));

  // Release reports "none" once, then stays quiet.
  keyboard.releaseAll();
  EXPECT_EQ(controls.pollNav(), Nav::None);
  EXPECT_EQ(controls.navDir, 0u);
  EXPECT_EQ(controls.pollNav(), Nav::None);

  // Up beats down and left beats right; the arrows count whatever the bindings say.
  ASSERT_TRUE(controls.bindings.bindKey(Action::Jump, SDL_SCANCODE_W));
  keyboard.hold(SDL_SCANCODE_UP);
  keyboard.hold(SDL_SCANCODE_DOWN);
  EXPECT_EQ(controls.pollNav(), Nav::Up);
  keyboard.releaseAll();
  keyboard.hold(SDL_SCANCODE_RIGHT);
  keyboard.hold(SDL_SCANCODE_LEFT);
  EXPECT_EQ(controls.pollNav(), Nav::Left);
  // A change of direction fires at once and restarts the delay.
  keyboard.release(SDL_SCANCODE_LEFT);
  EXPECT_EQ(controls.pollNav(), Nav::Right);
  EXPECT_EQ(controls.navRepeat, 0);
  EXPECT_EQ(controls.pollNav(), Nav::None);
}

TEST_F(KeyboardControls, RepeatRhythmSurvivesAVeryLongHold) {
  keyboard.hold(SDL_SCANCODE_LEFT);
  EXPECT_EQ(controls.pollNav(), Nav::Left);
  controls.navRepeat = 0x7FFFFFF0;  // as if held for over a year
  int fired = 0;
  for (int poll = 0; poll < 100; ++poll) {
    fired += controls.pollNav() == Nav::Left;
    ASSERT_GE(controls.navRepeat, 17);
  }
  EXPECT_EQ(fired, 20);
}

// Game controllers through SDL's virtual joystick driver: the same path as a
// real pad, from the device-added event to the button state.
class PadControls : public ::testing::Test {
 protected:
  void SetUp() override {
    SDL_SetHint(SDL_HINT_JOYSTICK_HIDAPI, "0");
    if (SDL_Init(SDL_INIT_GAMECONTROLLER) != 0) GTEST_SKIP() << "no controller subsystem: " << SDL_GetError();
    controls.keyboardOverride = keyboard.keys.data();
  }
  void TearDown() override {
    for (int d : devices) SDL_JoystickDetachVirtual(d);
    SDL_Quit();
  }

  // Attaches a virtual pad and delivers its added event like the game loop does.
  int attach() {
    const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                                 SDL_CONTROLLER_BUTTON_MAX, 0);
    if (device < 0) return device;
    devices.push_back(device);
    drain();
    return device;
  }
  void detach(int device) {
    SDL_JoystickDetachVirtual(device);
    devices.erase(std::remove(devices.begin(), devices.end(), device), devices.end());
    drain();
  }
  // Feeds every pending event to the controls, as the game loop does each frame.
  void drain() {
    SDL_PumpEvents();
    SDL_Event e;
    while (SDL_PollEvent(&e)) controls.handleEvent(e);
  }
  SDL_Joystick* joystick(std::size_t i) { return SDL_GameControllerGetJoystick(controls.controllers.at(i)); }
  void press(std::size_t pad, SDL_GameControllerButton b, bool down = true) {
    SDL_JoystickSetVirtualButton(joystick(pad), b, down ? 1 : 0);
    SDL_GameControllerUpdate();
  }
  void stick(std::size_t pad, SDL_GameControllerAxis axis, Sint16 value) {
    SDL_JoystickSetVirtualAxis(joystick(pad), axis, value);
    SDL_GameControllerUpdate();
  }

  FakeKeyboard keyboard;
  Controls controls;
  std::vector<int> devices;
};

TEST_F(PadControls, HotPlugOpensEachPadOnceAndForgetsItOnRemoval) {
  const int device = attach();
  if (device < 0) GTEST_SKIP() << "no virtual joystick: " << SDL_GetError();
  ASSERT_EQ(controls.controllers.size(), 1u);
  // Further added events for the same device, and open(), change nothing.
  SDL_Event added{};
  added.type = SDL_CONTROLLERDEVICEADDED;
  added.cdevice.which = device;
  controls.handleEvent(added);
  controls.handleEvent(added);
  controls.open();
  EXPECT_EQ(controls.controllers.size(), 1u);

  press(0, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
  EXPECT_EQ(controls.heldBits(), input::kHeldLeft);
  detach(device);
  EXPECT_TRUE(controls.controllers.empty());
  EXPECT_EQ(controls.heldBits(), 0);

  // Plugged in again, it comes back exactly once.
  const int again = attach();
  ASSERT_GE(again, 0);
  controls.open();
  EXPECT_EQ(controls.controllers.size(), 1u);
}

TEST_F(PadControls, PadAndStickFormTheInputByte) {
  if (attach() < 0) GTEST_SKIP() << "no virtual joystick: " << SDL_GetError();
  ASSERT_EQ(controls.controllers.size(), 1u);
  EXPECT_EQ(controls.heldBits(), 0);

  // Exactly the threshold is centred; one more is pushed.
  stick(0, SDL_CONTROLLER_AXIS_LEFTX, 16000);
  stick(0, SDL_CONTROLLER_AXIS_LEFTY, -16000);
  EXPECT_EQ(controls.heldBits(), 0);
  stick(0, SDL_CONTROLLER_AXIS_LEFTX, 16001);
  stick(0, SDL_CONTROLLER_AXIS_LEFTY, -16001);
  EXPECT_EQ(controls.heldBits(), input::kHeldRight | input::kHeldUp);
  stick(0, SDL_CONTROLLER_AXIS_LEFTX, -20000);
  stick(0, SDL_CONTROLLER_AXIS_LEFTY, 20000);
  EXPECT_EQ(controls.heldBits(), input::kHeldLeft | input::kHeldDown);
  stick(0, SDL_CONTROLLER_AXIS_LEFTX, 0);
  stick(0, SDL_CONTROLLER_AXIS_LEFTY, 0);
  // The right stick is not read.
  stick(0, SDL_CONTROLLER_AXIS_RIGHTX, 32767);
  EXPECT_EQ(controls.heldBits(), 0);

  // Jump is B and action is A by default; both follow the bindings.
  press(0, SDL_CONTROLLER_BUTTON_B);
  EXPECT_EQ(controls.heldBits(), input::kHeldUp);
  EXPECT_TRUE(controls.jumpButtonHeld());
  press(0, SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(controls.heldBits(), input::kHeldUp | input::kHeldFire);
  ASSERT_TRUE(controls.bindings.bindButton(Action::Fire, SDL_CONTROLLER_BUTTON_B));
  EXPECT_EQ(controls.heldBits(), input::kHeldUp | input::kHeldFire);  // swapped: still both
  ASSERT_TRUE(controls.bindings.bindButton(Action::Jump, SDL_CONTROLLER_BUTTON_Y));
  EXPECT_EQ(controls.heldBits(), input::kHeldFire);
  EXPECT_FALSE(controls.jumpButtonHeld());
  controls.bindings.buttons[input::index(Action::Jump)] = SDL_CONTROLLER_BUTTON_INVALID;
  EXPECT_FALSE(controls.jumpButtonHeld());
  press(0, SDL_CONTROLLER_BUTTON_A, false);
  press(0, SDL_CONTROLLER_BUTTON_B, false);

  // The D-pad always moves, whatever is bound; keyboard and pad add up.
  press(0, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
  keyboard.hold(SDL_SCANCODE_RIGHT);
  EXPECT_EQ(controls.heldBits(), input::kHeldDown | input::kHeldRight);
  EXPECT_FALSE(controls.escapeHeld());
}

TEST_F(PadControls, EveryPadCountsForMovementAndMenus) {
  if (attach() < 0 || attach() < 0) GTEST_SKIP() << "no virtual joysticks: " << SDL_GetError();
  ASSERT_EQ(controls.controllers.size(), 2u);
  press(1, SDL_CONTROLLER_BUTTON_B);
  EXPECT_TRUE(controls.jumpButtonHeld());
  EXPECT_EQ(controls.heldBits(), input::kHeldUp);
  press(1, SDL_CONTROLLER_BUTTON_B, false);

  stick(1, SDL_CONTROLLER_AXIS_LEFTY, 30000);
  EXPECT_EQ(controls.pollNav(), Nav::Down);
  EXPECT_EQ(controls.pollNav(), Nav::None);
  // The D-pad up of the other pad wins over the stick's down.
  press(0, SDL_CONTROLLER_BUTTON_DPAD_UP);
  EXPECT_EQ(controls.pollNav(), Nav::Up);
  press(0, SDL_CONTROLLER_BUTTON_DPAD_UP, false);
  stick(1, SDL_CONTROLLER_AXIS_LEFTY, 0);
  EXPECT_EQ(controls.pollNav(), Nav::None);

  // Removing the first keeps the second, in its place.
  SDL_GameController* second = controls.controllers[1];
  detach(devices.front());
  ASSERT_EQ(controls.controllers.size(), 1u);
  EXPECT_EQ(controls.controllers[0], second);
}

}  // namespace
