// The OpenGL path on a private X server with Mesa's software renderer: both
// programs rendered off screen and read back. (The fallback to SDL's renderer
// is run end to end in tests/e2e.)

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "present/crt_reference.h"
#include "present/presenter.h"
#include "support/virtual_display.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

using present::Presenter;

namespace {

// Neighbouring pixels differ in every channel and alpha varies, so swapped
// channels, flipped rows or shifted pixels all show.
render::RgbaImage busyPicture(int w, int h) {
  render::RgbaImage img{w, h, {}};
  std::uint32_t state = 12345;
  for (int i = 0; i < w * h; ++i) {
    state = state * 1103515245u + 12345u;
    img.pixels.push_back((state >> 8) ^ ((state >> 1) & 0xFF000000u));
  }
  return img;
}

int channel(std::uint32_t pixel, int k) { return static_cast<int>((pixel >> (16 - 8 * k)) & 0xFF); }

// An X server can be there without SDL's X11 driver (XQuartz beside macOS's own SDL).
bool sdlHasX11() {
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i)
    if (std::strcmp(SDL_GetVideoDriver(i), "x11") == 0) return true;
  return false;
}

class GlPath : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!display_.running()) GTEST_SKIP() << display_.problem();
    if (!sdlHasX11()) GTEST_SKIP() << "this SDL has no X11 video driver";
#if defined(__SANITIZE_ADDRESS__)
    // X11, Mesa's shader compiler and D-Bus keep blocks until the process
    // ends, in libraries unloaded before leaks are counted, so no suppression
    // can name them: what is allocated while the GL window exists is not counted.
    __lsan_disable();
#endif
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    presenter_ = std::make_unique<Presenter>();
    ASSERT_TRUE(presenter_->open("gl test", 64, 64, true));
    ASSERT_NE(presenter_->screen, nullptr) << "no OpenGL 3.2 core context on the virtual display";
    ASSERT_EQ(presenter_->renderer, nullptr);
  }
  void TearDown() override {
    if (!display_.running() || !sdlHasX11()) return;
    presenter_.reset();
    SDL_Quit();
#if defined(__SANITIZE_ADDRESS__)
    __lsan_enable();
#endif
  }

  std::vector<std::uint32_t> render(const render::RgbaImage& img, int w, int h, bool crt) {
    std::vector<std::uint32_t> out;
    EXPECT_TRUE(presenter_->renderOffscreen(img, w, h, crt, out));
    out.resize(static_cast<std::size_t>(w) * h);  // a failure above is reported once, not per pixel
    return out;
  }

  testsupport::VirtualDisplay display_;
  std::unique_ptr<Presenter> presenter_;
};

TEST_F(GlPath, SharpKeepsSourcePixelsFlatAndBlendsOnlyOnePixelBands) {
  // Exactly 3 times: every source pixel a 3 x 3 block. 2.5 times: whole
  // enlargement 2, so only pixels closer than 0.625 output pixels to a
  // source pixel's edge blend, and a blend lies between its neighbours' colours.
  const render::RgbaImage img = busyPicture(348, 240);
  for (const double scale : {3.0, 2.5}) {
    const int w = static_cast<int>(348 * scale), h = static_cast<int>(240 * scale);
    const auto out = render(img, w, h, false);
    int failures = 0;
    for (int y = 0; y < h && failures < 5; ++y)
      for (int x = 0; x < w && failures < 5; ++x) {
        const double tx = (x + 0.5) / scale, ty = (y + 0.5) / scale;
        const int sx = static_cast<int>(tx), sy = static_cast<int>(ty);
        const double edge = std::min({tx - sx, sx + 1 - tx, ty - sy, sy + 1 - ty}) * scale;
        const std::uint32_t got = out[static_cast<std::size_t>(y) * w + x];
        if (edge > 0.7) {
          const std::uint32_t want = img.pixels[static_cast<std::size_t>(sy) * 348 + sx] | 0xFF000000u;
          if (got != want) ++failures, ADD_FAILURE() << scale << "x at " << x << "," << y << ": " << std::hex << got;
          continue;
        }
        for (int k = 0; k < 3; ++k) {
          int lo = 255, hi = 0;
          for (int ny = std::max(sy - 1, 0); ny <= std::min(sy + 1, 239); ++ny)
            for (int nx = std::max(sx - 1, 0); nx <= std::min(sx + 1, 347); ++nx) {
              lo = std::min(lo, channel(img.pixels[static_cast<std::size_t>(ny) * 348 + nx], k));
              hi = std::max(hi, channel(img.pixels[static_cast<std::size_t>(ny) * 348 + nx], k));
            }
          if (channel(got, k) < lo - 1 || channel(got, k) > hi + 1)
            ++failures, ADD_FAILURE() << scale << "x at " << x << "," << y << ": no blend of its neighbours";
        }
      }
  }
}

TEST_F(GlPath, TheCrtProgramMatchesTheReference) {
  const render::RgbaImage img = busyPicture(348, 240);
  for (const auto& [w, h] : {std::pair{1044, 720}, std::pair{1000, 690}, std::pair{97, 61}}) {
    const auto gpu = render(img, w, h, true);
    long over = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        double rgb[3];
        present::crtReference(img, x, y, w, h, rgb);
        for (int k = 0; k < 3; ++k)
          if (std::abs(channel(gpu[static_cast<std::size_t>(y) * w + x], k) - std::lround(rgb[k] * 255)) > 2) {
            ++over;
            break;
          }
      }
    EXPECT_LT(static_cast<double>(over) / (static_cast<double>(w) * h), 0.001) << w << "x" << h << ": " << over;
  }
}

TEST_F(GlPath, OffscreenPicturesAreTopDownOpaqueAndFollowEachUpload) {
  // Transparent red above blue: rows must not come out upside down, alpha is opaque.
  render::RgbaImage img{2, 2, {0x00FF0000u, 0x00FF0000u, 0x000000FFu, 0x000000FFu}};
  auto out = render(img, 6, 6, false);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(out[y * 6 + x], y < 3 ? 0xFFFF0000u : 0xFF0000FFu) << x << "," << y;
  // The same size again goes through the sub-image update and must show the new picture.
  img.pixels.assign(4, 0xFF00FF00u);
  out = render(img, 6, 6, false);
  EXPECT_EQ(out[21], 0xFF00FF00u);
  EXPECT_EQ(presenter_->screen->texW, 2);
  // A 1 x 1 target still draws, and a new size re-specifies the texture.
  img = busyPicture(3, 1);
  render(img, 1, 1, false);
  EXPECT_EQ(presenter_->screen->texW, 3);
  EXPECT_EQ(presenter_->screen->texH, 1);

  // Nothing is drawn from a picture whose pixels do not match its size, nor into no area.
  render::RgbaImage lying = busyPicture(4, 4);
  lying.pixels.resize(5);
  std::vector<std::uint32_t> untouched = {7};
  EXPECT_FALSE(presenter_->renderOffscreen(lying, 8, 8, true, untouched));
  EXPECT_FALSE(presenter_->renderOffscreen(img, 0, 8, true, untouched));
  EXPECT_EQ(untouched, std::vector<std::uint32_t>{7});
  presenter_->present(lying);
}

void* withoutVertexArrays(const char* name) {
  return std::strcmp(name, "glGenVertexArrays") == 0 ? nullptr : SDL_GL_GetProcAddress(name);
}

TEST_F(GlPath, AMissingEntryPointIsNamed) {
  present::GlScreen screen;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(screen.init(withoutVertexArrays));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[error] OpenGL: no glGenVertexArrays\n");
  std::vector<std::uint32_t> out;
  EXPECT_FALSE(screen.drawOffscreen(busyPicture(2, 2), 4, 4, false, out));
}

}  // namespace
