#pragma once

#include <SDL.h>

#include <string>

namespace input {

// Names as the menu shows them: upper case, "NONE" for unbound.
std::string keyName(SDL_Scancode key);
std::string buttonName(SDL_GameControllerButton button);

// Identifiers as the settings file stores them: SDL's own names, the empty
// string for unbound. Unknown identifiers read back as unbound.
std::string keyId(SDL_Scancode key);
SDL_Scancode keyFromId(const std::string& id);
std::string buttonId(SDL_GameControllerButton button);
SDL_GameControllerButton buttonFromId(const std::string& id);

}  // namespace input
