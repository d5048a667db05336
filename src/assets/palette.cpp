#include "assets/palette.h"

#include <exception>

#include "assets/json_read.h"
#include "core/files.h"
#include "core/json.h"
#include "core/log.h"

namespace assets {

using detail::Json;

Palette::Color Palette::toRgb8(const Color& c) {
  Color out{};
  for (std::size_t k = 0; k < 3; ++k) out[k] = static_cast<std::uint8_t>((c[k] * 255 + 31) / 63);
  return out;
}

std::vector<std::uint8_t> Palette::rgb8Bytes() const {
  std::vector<std::uint8_t> rgb;
  rgb.reserve(colors.size() * 3);
  for (const Color& colour : colors) {
    const Color c = toRgb8(colour);
    rgb.insert(rgb.end(), c.begin(), c.end());
  }
  return rgb;
}

std::optional<Palette> loadPalette(const std::filesystem::path& file) {
  const std::string name = file.string();
  auto text = core::readTextFile(file);
  if (!text) return std::nullopt;
  const Json root = core::parseJson(*text);
  // A "dac6" object with 16 keys would pass a bare size test, so insist on an array.
  if (root.is_discarded() || !root.is_object() || !root.contains("dac6") || !root["dac6"].is_array() ||
      root["dac6"].size() != 16) {
    core::log(core::LogLevel::Error, "%s: expected 16 dac6 entries", name.c_str());
    return std::nullopt;
  }

  Palette palette;
  const Json& entries = root["dac6"];
  for (std::size_t i = 0; i < 16; ++i) {
    const Json& entry = entries[i];
    if (!entry.is_array() || entry.size() < 3) {
      core::log(core::LogLevel::Error, "%s: dac6 entry %zu is not an array of three numbers", name.c_str(), i);
      return std::nullopt;
    }
    try {
      for (std::size_t k = 0; k < 3; ++k) palette.colors[i][k] = detail::lowByte(entry[k]);
    } catch (const std::exception& e) {
      core::log(core::LogLevel::Error, "%s: dac6 entry %zu: %s", name.c_str(), i, e.what());
      return std::nullopt;
    }
  }
  return palette;
}

}  // namespace assets
