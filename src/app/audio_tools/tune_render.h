#pragma once

#include <filesystem>
#include <string>

namespace app {

// Renders game tune `tune` for `seconds` through the music engine (AdLib, or the
// PC speaker with speaker set) into a 48000 Hz 16-bit mono WAV file. Returns 0, or
// 1 on failure.
int renderTune(const std::filesystem::path& root, int tune, double seconds,
               const std::string& out, bool speaker);

}  // namespace app
