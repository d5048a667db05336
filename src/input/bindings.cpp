#include "input/bindings.h"

namespace input {

namespace {

constexpr const char* kActionNames[kActionCount] = {
    "MOVE LEFT", "MOVE RIGHT", "JUMP", "DOWN", "ACTION", "QUICK SAVE", "QUICK LOAD", "SCREENSHOT",
};

bool reservedKey(SDL_Scancode key) {
  switch (key) {
    case SDL_SCANCODE_UNKNOWN:
    case SDL_SCANCODE_RETURN:    // menu OK
    case SDL_SCANCODE_ESCAPE:    // pause
    case SDL_SCANCODE_F11:       // full screen
    case SDL_SCANCODE_KP_ENTER:  // menu OK
      return true;
    default:
      return false;
  }
}

bool reservedButton(SDL_GameControllerButton button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_INVALID:
    case SDL_CONTROLLER_BUTTON_START:  // pause
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      return true;
    default:
      return false;
  }
}

template <typename T, std::size_t N>
void bindSwapping(std::array<T, N>& slots, std::size_t target, T value) {
  for (std::size_t i = 0; i < N; ++i)
    if (i != target && slots[i] == value) slots[i] = slots[target];
  slots[target] = value;
}

}  // namespace

const char* actionName(Action a) {
  const std::size_t i = index(a);
  return i < kActionCount ? kActionNames[i] : "";
}

bool controllerBindable(Action a) {
  const std::size_t i = index(a);
  return i >= 2 && i != index(Action::Down) && i < kActionCount;
}

Bindings Bindings::defaults() {
  Bindings b;
  b.keys = {SDL_SCANCODE_LEFT, SDL_SCANCODE_RIGHT, SDL_SCANCODE_UP, SDL_SCANCODE_DOWN,
            SDL_SCANCODE_SPACE, SDL_SCANCODE_F5, SDL_SCANCODE_F8, SDL_SCANCODE_F1};
  b.buttons.fill(SDL_CONTROLLER_BUTTON_INVALID);
  b.buttons[index(Action::Jump)] = SDL_CONTROLLER_BUTTON_B;
  b.buttons[index(Action::Fire)] = SDL_CONTROLLER_BUTTON_A;
  b.buttons[index(Action::QuickSave)] = SDL_CONTROLLER_BUTTON_BACK;
  return b;
}

bool Bindings::bindKey(Action a, SDL_Scancode key) {
  if (index(a) >= kActionCount || reservedKey(key)) return false;
  bindSwapping(keys, index(a), key);
  return true;
}

bool Bindings::bindButton(Action a, SDL_GameControllerButton button) {
  if (!controllerBindable(a) || reservedButton(button)) return false;
  bindSwapping(buttons, index(a), button);
  return true;
}

}  // namespace input
