#pragma once

#include <SDL.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "input/bindings.h"

namespace input {

// Raised by single presses while the pause menu is closed.
enum class Command : std::uint32_t { None = 0, QuickSave = 1, QuickLoad = 2, Screenshot = 3, Pause = 4 };

// Menu navigation codes.
enum class Nav : std::uint32_t { None = 0, Up = 1, Down = 2, Left = 3, Right = 4, Ok = 5, Back = 6, Menu = 7 };

// Bits of the simulation's held-input byte.
constexpr std::uint8_t kHeldUp = 1;
constexpr std::uint8_t kHeldDown = 2;
constexpr std::uint8_t kHeldLeft = 4;
constexpr std::uint8_t kHeldRight = 8;
constexpr std::uint8_t kHeldFire = 16;

// A stick counts as pushed strictly beyond this, in either direction.
constexpr int kStickThreshold = 16000;

// Keyboard and game-controller input on the main thread: single presses become
// commands or menu navigation, held keys and buttons become the input byte of
// each simulation tick. Owns the open controllers and follows hot-plugging.
class Controls {
 public:
  Controls() = default;
  ~Controls();
  Controls(const Controls&) = delete;
  Controls& operator=(const Controls&) = delete;

  // Opens every attached game controller.
  void open();
  // Opens the controller at a device index, unless it is no game controller or already open.
  void add(int deviceIndex);

  // Every event passes here, menu open or not: hot-plug events are handled
  // whatever the menu does with the command.
  Command handleEvent(const SDL_Event& event);
  Nav navEvent(const SDL_Event& event) const;
  // Once per frame while the menu is open: held directions, with auto-repeat.
  Nav pollNav();

  static std::optional<SDL_Scancode> keyPressed(const SDL_Event& event);
  static std::optional<SDL_GameControllerButton> buttonPressed(const SDL_Event& event);

  // Once per simulation tick.
  std::uint8_t heldBits() const;
  bool escapeHeld() const;
  bool jumpButtonHeld() const;

  std::vector<SDL_GameController*> controllers;
  Bindings bindings = Bindings::defaults();
  std::uint32_t navDir = 0;
  std::int32_t navRepeat = 0;

  // Stands in for SDL's keyboard state when set (SDL_NUM_SCANCODES entries);
  // lets the held-input rules be exercised without a keyboard.
  const Uint8* keyboardOverride = nullptr;

 private:
  const Uint8* keyboard() const;
  std::uint32_t heldDirection() const;
};

}  // namespace input
