// The CRT self-test: a picture rendered through the GPU's CRT and sharp
// programs at four sizes, the CRT output compared pixel by pixel with the CPU
// reference, all three written as PNG files, PASS or FAIL per size.

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/log.h"
#include "modes.h"
#include "present/crt_reference.h"
#include "present/presenter.h"
#include "render/rgba.h"

namespace fs = std::filesystem;

namespace {

// Fewer than this share of the pixels may differ by more than 2 in a channel.
constexpr double kPassFraction = 0.001;
constexpr int kTolerance = 2;

struct Size {
  int w;
  int h;
};

render::RgbaImage picture(int w, int h, std::vector<std::uint32_t> pixels) {
  render::RgbaImage img;
  img.width = w;
  img.height = h;
  img.pixels = std::move(pixels);
  return img;
}

std::string sizedName(const char* prefix, Size size) {
  char name[64];
  std::snprintf(name, sizeof name, "%s_%dx%d.png", prefix, size.w, size.h);
  return name;
}

int channelOf(std::uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFFu); }

// One size: true when it passes and its pictures are written.
bool testSize(present::Presenter& presenter, const render::RgbaImage& input, Size size, const fs::path& out) {
  std::vector<std::uint32_t> gpu;
  std::vector<std::uint32_t> sharp;
  const bool rendered = presenter.renderOffscreen(input, size.w, size.h, true, gpu) &&
             presenter.renderOffscreen(input, size.w, size.h, false, sharp);
  if (!rendered) {
    core::log(core::LogLevel::Error, "crt %dx%d: the off-screen render failed", size.w, size.h);
    return false;
  }

  std::vector<std::uint32_t> reference(static_cast<std::size_t>(size.w) * size.h, 0xFF000000u);
  int largest = 0;
  long over = 0;
  for (int y = 0; y < size.h; ++y)
    for (int x = 0; x < size.w; ++x) {
      double rgb[3];
      present::crtReference(input, x, y, size.w, size.h, rgb);
      const std::size_t at = static_cast<std::size_t>(y) * size.w + x;
      int difference = 0;
      std::uint32_t pixel = 0xFF000000u;
      for (int k = 0; k < 3; ++k) {
        const int shift = 16 - 8 * k;
        const int value = static_cast<int>(std::lround(rgb[k] * 255));
        pixel |= static_cast<std::uint32_t>(value) << shift;
        difference = std::max(difference, std::abs(channelOf(gpu[at], shift) - value));
      }
      reference[at] = pixel;
      largest = std::max(largest, difference);
      if (difference > kTolerance) ++over;
    }

  // A folder that refuses the pictures does not change the verdict, but it
  // fails the test once the verdict is given.
  const bool written =
      render::saveRgbaPng(out / sizedName("crt_gpu", size), picture(size.w, size.h, std::move(gpu))) &&
      render::saveRgbaPng(out / sizedName("crt_ref", size), picture(size.w, size.h, std::move(reference))) &&
      render::saveRgbaPng(out / sizedName("sharp", size), picture(size.w, size.h, std::move(sharp)));

  const double fraction = static_cast<double>(over) / (static_cast<double>(size.w) * size.h);
  const bool pass = fraction < kPassFraction;
  core::log(core::LogLevel::Info, "crt %dx%d: max channel difference %d/255, %ld pixels over 2/255 (%.4f%%): %s",
            size.w, size.h, largest, over, fraction * 100, pass ? "PASS" : "FAIL");
  return pass && written;
}

int runSizes(present::Presenter& presenter, const render::RgbaImage& input, const fs::path& out) {
  const Size sizes[] = {
      {3 * input.width, 3 * input.height}, {1566, 1080}, {2 * input.width, 2 * input.height}, {1000, 690}};
  for (const Size size : sizes)
    if (!testSize(presenter, input, size, out)) return 1;
  return 0;
}

}  // namespace

int runCrtTest(const std::string& inputPng, const fs::path& outFolder) {
  const std::optional<render::RgbaImage> input = render::loadRgbaPng(inputPng);
  if (!input) return 1;
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    core::log(core::LogLevel::Error, "SDL_Init: %s", SDL_GetError());
    return 1;
  }
  int result = 1;
  {
    present::Presenter presenter;
    const bool haveGl = presenter.open("crt test", 64, 64, true) && presenter.screen;
    if (!haveGl) core::log(core::LogLevel::Error, "crt test: no OpenGL 3.2");
    std::error_code ignored;
    fs::create_directories(outFolder, ignored);
    if (haveGl) result = runSizes(presenter, *input, outFolder);
  }
  SDL_Quit();
  return result;
}
