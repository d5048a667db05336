#include "assets/indexed_image.h"

#include <lodepng.h>

#include "core/files.h"
#include "core/log.h"

namespace assets {

namespace {

// Far beyond any game picture or reference frame, and small enough that a
// header claiming absurd dimensions cannot make the decoder reserve gigabytes.
constexpr unsigned long long kMaxPixels = 1ull << 26;

}  // namespace

std::optional<IndexedImage> loadIndexedPng(const std::filesystem::path& path) {
  auto bytes = core::readFile(path);
  if (!bytes) return std::nullopt;
  const std::string name = path.string();

  lodepng::State state;
  state.decoder.color_convert = 0;

  unsigned width = 0;
  unsigned height = 0;
  unsigned error = lodepng_inspect(&width, &height, &state, bytes->data(), bytes->size());
  if (error == 0 && static_cast<unsigned long long>(width) * height > kMaxPixels) {
    core::log(core::LogLevel::Error, "%s: picture of %ux%u pixels is too large", name.c_str(), width, height);
    return std::nullopt;
  }

  std::vector<unsigned char> raw;
  error = lodepng::decode(raw, width, height, state, *bytes);
  if (error != 0) {
    core::log(core::LogLevel::Error, "%s: %s", name.c_str(), lodepng_error_text(error));
    return std::nullopt;
  }
  if (state.info_png.color.colortype != LCT_PALETTE || state.info_png.color.bitdepth != 8) {
    core::log(core::LogLevel::Error, "%s: not an 8-bit palette PNG", name.c_str());
    return std::nullopt;
  }
  if (raw.size() != static_cast<std::size_t>(width) * height) {
    core::log(core::LogLevel::Error, "%s: decoded size does not match %ux%u", name.c_str(), width, height);
    return std::nullopt;
  }

  IndexedImage image;
  image.width = static_cast<std::int32_t>(width);
  image.height = static_cast<std::int32_t>(height);
  image.pixels = std::move(raw);
  return image;
}

bool saveIndexedPng(const std::filesystem::path& path, int width, int height,
                    const std::vector<std::uint8_t>& pixels,
                    const std::vector<std::uint8_t>& paletteRgb) {
  const std::string name = path.string();
  // The encoder reads width * height bytes whatever the vector holds.
  if (width < 1 || height < 1 ||
      static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) != pixels.size()) {
    core::log(core::LogLevel::Error, "%s: %d x %d picture with %zu pixels", name.c_str(), width, height,
              pixels.size());
    return false;
  }

  lodepng::State state;
  state.encoder.auto_convert = 0;
  for (LodePNGColorMode* mode : {&state.info_png.color, &state.info_raw}) {
    mode->colortype = LCT_PALETTE;
    mode->bitdepth = 8;
  }
  unsigned error = 0;
  for (std::size_t i = 0; error == 0 && i + 2 < paletteRgb.size(); i += 3) {
    error = lodepng_palette_add(&state.info_png.color, paletteRgb[i], paletteRgb[i + 1], paletteRgb[i + 2], 255);
    if (error == 0) {
      error = lodepng_palette_add(&state.info_raw, paletteRgb[i], paletteRgb[i + 1], paletteRgb[i + 2], 255);
    }
  }

  std::vector<unsigned char> encoded;
  if (error == 0) {
    error = lodepng::encode(encoded, pixels, static_cast<unsigned>(width), static_cast<unsigned>(height), state);
  }
  if (error != 0) {
    core::log(core::LogLevel::Error, "%s: %s", name.c_str(), lodepng_error_text(error));
    return false;
  }
  return core::writeFile(path, encoded);
}

}  // namespace assets
