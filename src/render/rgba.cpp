#include "render/rgba.h"

#include <lodepng.h>

#include <algorithm>
#include <string>

#include "core/files.h"
#include "core/log.h"

namespace render {

std::array<std::uint32_t, 16> colourTable(const assets::Palette& palette) {
  std::array<std::uint32_t, 16> table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    const auto c = assets::Palette::toRgb8(palette[i]);
    table[i] = 0xFF000000u | static_cast<std::uint32_t>(c[0]) << 16 | static_cast<std::uint32_t>(c[1]) << 8 | c[2];
  }
  return table;
}

namespace {

std::optional<RgbaImage> decodePng(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                                   lodepng::State& state) {
  std::vector<unsigned char> decoded;
  unsigned width = 0;
  unsigned height = 0;
  state.info_raw.colortype = LCT_RGBA;
  state.info_raw.bitdepth = 8;
  const unsigned error = lodepng::decode(decoded, width, height, state, bytes);
  if (error != 0) {
    core::log(core::LogLevel::Error, "%s: %s", path.string().c_str(), lodepng_error_text(error));
    return std::nullopt;
  }
  RgbaImage image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.pixels.resize(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    const unsigned char* p = &decoded[i * 4];
    image.pixels[i] = static_cast<std::uint32_t>(p[3]) << 24 | static_cast<std::uint32_t>(p[0]) << 16 |
                      static_cast<std::uint32_t>(p[1]) << 8 | p[2];
  }
  return image;
}

// A picture that cannot be read is said twice: where the file access failed, and
// that the picture is missing for it.
std::optional<std::vector<std::uint8_t>> readPng(const std::filesystem::path& path) {
  auto bytes = core::readFile(path);
  if (!bytes) core::log(core::LogLevel::Error, "cannot read %s", path.string().c_str());
  return bytes;
}

}  // namespace

std::optional<RgbaImage> loadRgbaPng(const std::filesystem::path& path) {
  const auto bytes = readPng(path);
  if (!bytes) return std::nullopt;
  lodepng::State state;
  return decodePng(path, *bytes, state);
}

std::optional<RgbaImage> loadRgbaPngOfSize(const std::filesystem::path& path, int width, int height) {
  const auto bytes = readPng(path);
  if (!bytes) return std::nullopt;
  lodepng::State state;
  unsigned w = 0;
  unsigned h = 0;
  const unsigned error = lodepng_inspect(&w, &h, &state, bytes->data(), bytes->size());
  if (error != 0) {
    core::log(core::LogLevel::Error, "%s: %s", path.string().c_str(), lodepng_error_text(error));
    return std::nullopt;
  }
  if (width < 0 || height < 0 || w != static_cast<unsigned>(width) || h != static_cast<unsigned>(height))
    return std::nullopt;
  // Nor may the compressed rows unpack to more than a picture of this size
  // holds at the widest pixel format (16-bit RGBA, a filter byte per row,
  // seven interlace passes).
  state.decoder.zlibsettings.max_output_size =
      (static_cast<std::size_t>(w) * 8 + 8) * (static_cast<std::size_t>(h) + 8) + 1024;
  return decodePng(path, *bytes, state);
}

bool saveRgbaPng(const std::filesystem::path& path, const RgbaImage& image) {
  const std::size_t count = static_cast<std::size_t>(std::max(image.width, 0)) * std::max(image.height, 0);
  if (image.width < 1 || image.height < 1 || image.pixels.size() != count) {
    // The encoder would read past a short pixel vector; refuse instead.
    core::log(core::LogLevel::Error, "%s: %s", path.string().c_str(), "picture size does not match its pixels");
    return false;
  }
  std::vector<unsigned char> bytes(count * 4);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t p = image.pixels[i];
    bytes[i * 4 + 0] = static_cast<unsigned char>(p >> 16);
    bytes[i * 4 + 1] = static_cast<unsigned char>(p >> 8);
    bytes[i * 4 + 2] = static_cast<unsigned char>(p);
    bytes[i * 4 + 3] = static_cast<unsigned char>(p >> 24);
  }
  std::vector<unsigned char> png;
  const unsigned error = lodepng::encode(png, bytes, static_cast<unsigned>(image.width),
                                         static_cast<unsigned>(image.height), LCT_RGBA, 8);
  if (error != 0) {
    core::log(core::LogLevel::Error, "%s: %s", path.string().c_str(), lodepng_error_text(error));
    return false;
  }
  // Written here rather than by the PNG library, which does not check that its
  // writes reach the file (a full disk would pass for a saved picture) and has
  // one text for every failure, and like every whole file through a temporary
  // one renamed into place, so a failed write leaves the picture that was there
  // as it was. The line says what failed, in the system's words.
  std::string why;
  if (!core::replaceFile(path, std::vector<std::uint8_t>(png.begin(), png.end()), &why)) {
    core::log(core::LogLevel::Error, "%s: %s", path.string().c_str(), why.c_str());
    return false;
  }
  return true;
}

RgbaImage toRgba(const Framebuffer& fb, const assets::Palette& palette) {
  const auto table = colourTable(palette);
  RgbaImage image;
  image.width = kScreenWidth;
  image.height = kScreenHeight;
  image.pixels.resize(kScreenPixels, table[0]);
  const std::size_t n = std::min(fb.pixels.size(), image.pixels.size());
  for (std::size_t i = 0; i < n; ++i) image.pixels[i] = table[fb.pixels[i] & 15];
  return image;
}

}  // namespace render
