#pragma once

#include <SDL.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace input {

// The eight things a player can bind, in the order the menu lists them.
enum class Action : std::uint32_t {
  MoveLeft = 0,
  MoveRight = 1,
  Jump = 2,
  Down = 3,
  Fire = 4,  // "ACTION": pick up, drop, use, confirm screens
  QuickSave = 5,
  QuickLoad = 6,
  Screenshot = 7,
};

constexpr std::size_t kActionCount = 8;

constexpr std::size_t index(Action a) { return static_cast<std::size_t>(a); }

// Display name for the menu ("MOVE LEFT" ...); the empty string past the last action.
const char* actionName(Action a);

// Movement left, right and down stay on the D-pad and the stick; only the other
// five actions take a controller button.
bool controllerBindable(Action a);

// One key and one controller button per action. A key of 0 (SDL_SCANCODE_UNKNOWN)
// and a button of -1 (SDL_CONTROLLER_BUTTON_INVALID) mean unbound.
struct Bindings {
  using Buttons = std::array<SDL_GameControllerButton, kActionCount>;

  std::array<SDL_Scancode, kActionCount> keys{};
  Buttons buttons = noButtons();

  static Bindings defaults();

  SDL_Scancode key(Action a) const { return keys[index(a)]; }
  SDL_GameControllerButton button(Action a) const { return buttons[index(a)]; }

  // Both refuse the keys and buttons the front end keeps for itself (pause,
  // menu confirm, full screen, the D-pad). An accepted key or button that
  // another action holds is swapped: that action takes over this one's old
  // binding, so no key ever drives two actions.
  bool bindKey(Action a, SDL_Scancode key);
  bool bindButton(Action a, SDL_GameControllerButton button);

  bool operator==(const Bindings& o) const { return keys == o.keys && buttons == o.buttons; }
  bool operator!=(const Bindings& o) const { return !(*this == o); }

 private:
  static constexpr Buttons noButtons() {
    Buttons b{};
    for (auto& button : b) button = SDL_CONTROLLER_BUTTON_INVALID;
    return b;
  }
};

}  // namespace input
