#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace assets {

// A picture of palette indices, one byte per pixel, row by row from the top.
// In game graphics 0..15 are colours, 16 is transparent and 17..31 draw
// (index - 16) OR-ed into what is already there; tiles are copied opaquely.
struct IndexedImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> pixels;  // width * height entries, no row padding
};

// A rectangle of a picture in pixels: left, top, width, height.
struct Rect {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t w = 0;
  std::int32_t h = 0;
};

// Reads an 8-bit palette PNG as its raw index bytes (the PNG's own palette is
// ignored). Anything else, or an undecodable file: one error line, empty.
std::optional<IndexedImage> loadIndexedPng(const std::filesystem::path& path);

// Writes an 8-bit palette PNG. paletteRgb holds consecutive red, green, blue
// bytes; each whole triple becomes one opaque palette entry, a trailing
// partial triple is ignored. Missing folders are created.
bool saveIndexedPng(const std::filesystem::path& path, int width, int height,
                    const std::vector<std::uint8_t>& pixels,
                    const std::vector<std::uint8_t>& paletteRgb);

}  // namespace assets
