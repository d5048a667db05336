#include "input/names.h"

namespace input {

namespace {

// SDL's own button names differ between controller families; the menu uses one
// neutral set. The D-pad is never bindable, so it reads as unbound.
constexpr const char* kButtonNames[] = {
    "A",  "B",    "X",    "Y",    "VIEW",  "GUIDE", "MENU", "LS", "RS", "LB", "RB",
    "NONE", "NONE", "NONE", "NONE", "SHARE", "P1", "P2", "P3", "P4", "TOUCHPAD",
};
constexpr int kButtonNameCount = static_cast<int>(sizeof(kButtonNames) / sizeof(kButtonNames[0]));

}  // namespace

std::string keyName(SDL_Scancode key) {
  switch (key) {
    case SDL_SCANCODE_UNKNOWN:
      return "NONE";
    case SDL_SCANCODE_RIGHT:
      return "RIGHT ARROW";
    case SDL_SCANCODE_LEFT:
      return "LEFT ARROW";
    case SDL_SCANCODE_DOWN:
      return "DOWN ARROW";
    case SDL_SCANCODE_UP:
      return "UP ARROW";
    default:
      break;
  }
  const char* sdlName = SDL_GetScancodeName(key);
  std::string name = sdlName ? sdlName : "";
  if (name.empty()) return "?";
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name;
}

std::string buttonName(SDL_GameControllerButton button) {
  const int b = static_cast<int>(button);
  return b >= 0 && b < kButtonNameCount ? kButtonNames[b] : "NONE";
}

std::string keyId(SDL_Scancode key) {
  if (key == SDL_SCANCODE_UNKNOWN) return std::string();
  const char* sdlName = SDL_GetScancodeName(key);
  return sdlName ? sdlName : "";
}

SDL_Scancode keyFromId(const std::string& id) {
  if (id.empty()) return SDL_SCANCODE_UNKNOWN;
  return SDL_GetScancodeFromName(id.c_str());
}

std::string buttonId(SDL_GameControllerButton button) {
  if (button == SDL_CONTROLLER_BUTTON_INVALID) return std::string();
  const char* sdlName = SDL_GameControllerGetStringForButton(button);
  return sdlName ? sdlName : "";
}

SDL_GameControllerButton buttonFromId(const std::string& id) {
  if (id.empty()) return SDL_CONTROLLER_BUTTON_INVALID;
  return SDL_GameControllerGetButtonFromString(id.c_str());
}

}  // namespace input
