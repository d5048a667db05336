#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace assets {

// The 16 game colours in VGA DAC units (0..63 per component), colour 0 first.
struct Palette {
  using Color = std::array<std::uint8_t, 3>;  // red, green, blue

  std::array<Color, 16> colors{};

  Color& operator[](std::size_t i) { return colors[i]; }
  const Color& operator[](std::size_t i) const { return colors[i]; }

  // 6-bit DAC components to 8 bits: (c * 255 + 31) / 63, so 63 becomes 255.
  static Color toRgb8(const Color& c);
  // The 16 colours in 8 bits as consecutive red, green, blue bytes, the
  // palette of an indexed PNG.
  std::vector<std::uint8_t> rgb8Bytes() const;
};

// Reads "dac6" (16 entries of [r, g, b, ...]) from a palette JSON file.
std::optional<Palette> loadPalette(const std::filesystem::path& file);

}  // namespace assets
