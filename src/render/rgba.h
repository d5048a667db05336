#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "assets/palette.h"
#include "render/framebuffer.h"

namespace render {

// A picture as it leaves the game: 0xAARRGGBB pixels, row-major. Width 0 means
// no picture where one is optional.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// Opaque 0xFFRRGGBB for each of the 16 palette colours in 8-bit form.
std::array<std::uint32_t, 16> colourTable(const assets::Palette& palette);

// Reads any PNG (through the data root or the embedded table) as 8-bit RGBA.
// A file that cannot be read gets core::readFile's line and "cannot read PATH".
std::optional<RgbaImage> loadRgbaPng(const std::filesystem::path& path);
// loadRgbaPng for a picture that must be width x height: any other size is
// nothing, without a log line, known from the PNG header before anything is
// decoded, so a huge picture costs no more than reading its file.
std::optional<RgbaImage> loadRgbaPngOfSize(const std::filesystem::path& path, int width, int height);

// Writes an 8-bit RGBA PNG to `path` through a temporary file renamed into
// place (core::replaceFile); parent folders must exist. A failed write logs
// the path and what failed ("No space left on device").
bool saveRgbaPng(const std::filesystem::path& path, const RgbaImage& image);

// The 320 x 200 picture in the palette's colours; only the low 4 bits of a
// pixel select its colour.
RgbaImage toRgba(const Framebuffer& fb, const assets::Palette& palette);

}  // namespace render
