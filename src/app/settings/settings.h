#pragma once

#include <cstdint>
#include <filesystem>

#include "input/bindings.h"

namespace app {

// The loudest either volume goes, in tenths of full.
constexpr std::int32_t kMaxVolume = 10;

// What the player chose in the settings menu, kept between runs in
// settings.json. A default-constructed value is the first-run state.
struct Settings {
  bool fullscreen = true;
  std::int32_t soundVolume = kMaxVolume;  // 0..kMaxVolume
  std::int32_t musicVolume = kMaxVolume;  // 0..kMaxVolume
  bool crt = true;
  std::uint32_t audio = 0;  // music device: 0 AdLib (FM), 1 PC speaker
  input::Bindings bindings = input::Bindings::defaults();

  bool operator==(const Settings& o) const {
    return fullscreen == o.fullscreen && soundVolume == o.soundVolume && musicVolume == o.musicVolume &&
           crt == o.crt && audio == o.audio && bindings == o.bindings;
  }
  bool operator!=(const Settings& o) const { return !(*this == o); }
};

// Never fails: the defaults, overridden by whatever the file holds that can be
// used. A missing file (or an empty path) is silent; a file that exists but
// cannot be used logs one error line.
Settings loadSettings(const std::filesystem::path& file);
// The same, telling whether a file was there that could not be used (false
// for an empty path or a missing file).
Settings loadSettings(const std::filesystem::path& file, bool& unusable);

// Writes the whole value; false for an empty path or a failed write (the
// caller reports it).
bool saveSettings(const std::filesystem::path& file, const Settings& settings);

}  // namespace app
