// The OpenGL path on a private X server with Mesa's software renderer: the two
// programs rendered off screen and read back, and the fallback to SDL's
// renderer when no usable 3.2 core context exists.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "present/crt_reference.h"
#include "present/presenter.h"
#include "support/virtual_display.h"

using present::Presenter;

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

// SDL's X11 video, Mesa (its shader compiler included) and D-Bus keep a few
// blocks until the process ends, from libraries already unloaded when leaks
// are counted, so no suppression can name them. What is allocated while a
// window with OpenGL exists is left out of leak checking; the rest of this
// module's tests stay in.
struct LibraryAllocations {
  LibraryAllocations() {
#if defined(__SANITIZE_ADDRESS__)
    __lsan_disable();
#endif
  }
  ~LibraryAllocations() {
#if defined(__SANITIZE_ADDRESS__)
    __lsan_enable();
#endif
  }
};

namespace {

// Neighbouring pixels differ in every channel, and alpha varies, so swapped
// channels, flipped rows or shifted pixels all show.
render::RgbaImage busyPicture(int w, int h) {
  render::RgbaImage img;
  img.width = w;
  img.height = h;
  std::uint32_t state = 12345;
  for (int i = 0; i < w * h; ++i) {
    state = state * 1103515245u + 12345u;
    img.pixels.push_back((state >> 8) ^ ((state >> 1) & 0xFF000000u));
  }
  return img;
}

std::uint32_t opaque(std::uint32_t pixel) { return pixel | 0xFF000000u; }

int channel(std::uint32_t pixel, int k) { return static_cast<int>((pixel >> (16 - 8 * k)) & 0xFF); }

class GlPath : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!display_.running()) GTEST_SKIP() << display_.problem();
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    quiet_ = std::make_unique<LibraryAllocations>();
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    presenter_ = std::make_unique<Presenter>();
    ASSERT_TRUE(presenter_->open("gl test", 64, 64, true));
    ASSERT_NE(presenter_->screen, nullptr) << "no OpenGL 3.2 core context on the virtual display";
    ASSERT_NE(presenter_->gl, nullptr);
    ASSERT_EQ(presenter_->renderer, nullptr);
  }
  void TearDown() override {
    presenter_.reset();
    SDL_Quit();
    quiet_.reset();
  }

  std::vector<std::uint32_t> render(const render::RgbaImage& img, int w, int h, bool crt) {
    std::vector<std::uint32_t> out;
    EXPECT_TRUE(presenter_->renderOffscreen(img, w, h, crt, out));
    EXPECT_EQ(out.size(), static_cast<std::size_t>(w) * h);
    return out;
  }

  testsupport::VirtualDisplay display_;
  std::unique_ptr<LibraryAllocations> quiet_;
  std::unique_ptr<Presenter> presenter_;
};

TEST_F(GlPath, SharpAtThreeTimesRepeatsEverySourcePixelAsABlock) {
  const render::RgbaImage img = busyPicture(348, 240);
  const auto out = render(img, 1044, 720, false);
  ASSERT_EQ(out.size(), 1044u * 720u);
  int wrong = 0;
  for (int y = 0; y < 720 && wrong < 10; ++y)
    for (int x = 0; x < 1044 && wrong < 10; ++x) {
      const std::uint32_t want = opaque(img.pixels[static_cast<std::size_t>(y / 3) * 348 + x / 3]);
      const std::uint32_t got = out[static_cast<std::size_t>(y) * 1044 + x];
      if (got != want) {
        ++wrong;
        ADD_FAILURE() << "output " << x << "," << y << ": " << std::hex << got << " instead of " << want;
      }
    }
}

TEST_F(GlPath, SharpAtAFractionalScaleBlendsOnlyOnePixelBands) {
  // 2.5 times: whole enlargement 2, so a band narrower than 0.625 output
  // pixels on each side of a source pixel edge blends; everything else is flat.
  const int sw = 20, sh = 10, ow = 50, oh = 25;
  const render::RgbaImage img = busyPicture(sw, sh);
  const auto out = render(img, ow, oh, false);
  ASSERT_EQ(out.size(), static_cast<std::size_t>(ow) * oh);
  int flatPixels = 0;
  for (int y = 0; y < oh; ++y)
    for (int x = 0; x < ow; ++x) {
      const double tx = (x + 0.5) * sw / ow, ty = (y + 0.5) * sh / oh;
      const double edgeX = std::min(tx - std::floor(tx), std::ceil(tx) - tx) * ow / sw;
      const double edgeY = std::min(ty - std::floor(ty), std::ceil(ty) - ty) * oh / sh;
      const std::uint32_t got = out[static_cast<std::size_t>(y) * ow + x];
      const int sx = static_cast<int>(tx), sy = static_cast<int>(ty);
      if (edgeX > 0.7 && edgeY > 0.7) {
        ++flatPixels;
        EXPECT_EQ(got, opaque(img.pixels[static_cast<std::size_t>(sy) * sw + sx])) << x << "," << y;
        continue;
      }
      // A blend lies between the colours of the source pixels around it.
      for (int k = 0; k < 3; ++k) {
        int lo = 255, hi = 0;
        for (int ny = std::max(sy - 1, 0); ny <= std::min(sy + 1, sh - 1); ++ny)
          for (int nx = std::max(sx - 1, 0); nx <= std::min(sx + 1, sw - 1); ++nx) {
            lo = std::min(lo, channel(img.pixels[static_cast<std::size_t>(ny) * sw + nx], k));
            hi = std::max(hi, channel(img.pixels[static_cast<std::size_t>(ny) * sw + nx], k));
          }
        EXPECT_GE(channel(got, k), lo - 1) << x << "," << y;
        EXPECT_LE(channel(got, k), hi + 1) << x << "," << y;
      }
    }
  // Most of the picture is flat: per source pixel 2.5 x 2.5 output pixels, of which at least one is.
  EXPECT_GE(flatPixels, sw * sh);
}

TEST_F(GlPath, TheCrtProgramMatchesTheReference) {
  const render::RgbaImage img = busyPicture(348, 240);
  for (const auto& [w, h] : {std::pair{1044, 720}, std::pair{1000, 690}, std::pair{97, 61}}) {
    const auto gpu = render(img, w, h, true);
    ASSERT_EQ(gpu.size(), static_cast<std::size_t>(w) * h);
    long over = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        double rgb[3];
        present::crtReference(img, x, y, w, h, rgb);
        const std::uint32_t got = gpu[static_cast<std::size_t>(y) * w + x];
        int difference = 0;
        for (int k = 0; k < 3; ++k)
          difference = std::max(difference, std::abs(channel(got, k) - static_cast<int>(std::lround(rgb[k] * 255))));
        if (difference > 2) ++over;
      }
    EXPECT_LT(static_cast<double>(over) / (static_cast<double>(w) * h), 0.001) << w << "x" << h << ": " << over;
  }
}

TEST_F(GlPath, OffscreenPicturesAreTopDownOpaqueAndFollowEachUpload) {
  // Transparent red on top, blue below: rows must not come out upside down,
  // and alpha is opaque whatever the picture held.
  render::RgbaImage img;
  img.width = 2;
  img.height = 2;
  img.pixels = {0x00FF0000u, 0x00FF0000u, 0x000000FFu, 0x000000FFu};
  auto out = render(img, 6, 6, false);
  ASSERT_EQ(out.size(), 36u);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(out[y * 6 + x], y < 3 ? 0xFFFF0000u : 0xFF0000FFu) << x << "," << y;
  EXPECT_EQ(presenter_->screen->texW, 2);

  // The same size again goes through the sub-image update and must show the new picture.
  img.pixels = {0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u};
  out = render(img, 6, 6, true);
  ASSERT_EQ(out.size(), 36u);
  EXPECT_GT(channel(out[3 * 6 + 3], 1), 100);
  EXPECT_EQ(channel(out[3 * 6 + 3], 0), 0);
  img = busyPicture(3, 1);
  render(img, 1, 1, false);  // a 1 x 1 target still draws, and a new size re-specifies the texture
  EXPECT_EQ(presenter_->screen->texW, 3);
  EXPECT_EQ(presenter_->screen->texH, 1);

  // Nothing is drawn from a picture whose pixels do not match its size.
  render::RgbaImage lying = busyPicture(4, 4);
  lying.pixels.resize(5);
  std::vector<std::uint32_t> untouched = {7};
  EXPECT_FALSE(presenter_->renderOffscreen(lying, 8, 8, true, untouched));
  EXPECT_FALSE(presenter_->renderOffscreen(img, 0, 8, true, untouched));
  EXPECT_EQ(untouched, std::vector<std::uint32_t>{7});
  presenter_->present(lying);
  presenter_->present(busyPicture(348, 240));
}

void* withoutVertexArrays(const char* name) {
  return std::strcmp(name, "glGenVertexArrays") == 0 ? nullptr : SDL_GL_GetProcAddress(name);
}

TEST_F(GlPath, AMissingEntryPointIsNamed) {
  present::GlScreen screen;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(screen.init(withoutVertexArrays));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[error] OpenGL: no glGenVertexArrays\n");
  EXPECT_FALSE(screen.ready);
  std::vector<std::uint32_t> out;
  EXPECT_FALSE(screen.drawOffscreen(busyPicture(2, 2), 4, 4, false, out));
  // The presenter's own screen still has every entry point.
  EXPECT_EQ(render(busyPicture(2, 2), 4, 4, false).size(), 16u);
}

// Mesa told to offer an older OpenGL: either no 3.2 core context at all, or
// one whose shading language is too old for the programs.
struct OlderGl {
  const char* name;
  const char* glVersion;
  const char* glslVersion;
  const char* logged;
};

void PrintTo(const OlderGl& param, std::ostream* out) { *out << param.name; }

class Fallback : public ::testing::TestWithParam<OlderGl> {};

TEST_P(Fallback, TheRendererPathTakesOverAndSaysWhy) {
  const OlderGl& param = GetParam();
  testsupport::VirtualDisplay display;
  if (!display.running()) GTEST_SKIP() << display.problem();
  ::setenv("MESA_GL_VERSION_OVERRIDE", param.glVersion, 1);
  if (param.glslVersion) ::setenv("MESA_GLSL_VERSION_OVERRIDE", param.glslVersion, 1);
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  LibraryAllocations quiet;
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
  {
    Presenter presenter;
    ::testing::internal::CaptureStderr();
    const bool opened = presenter.open("fallback test", 64, 48, true);
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(opened);
    EXPECT_NE(log.find(param.logged), std::string::npos) << log;
    EXPECT_EQ(presenter.screen, nullptr);
    EXPECT_EQ(presenter.gl, nullptr);
    EXPECT_NE(presenter.renderer, nullptr);
    presenter.present(busyPicture(16, 12));
    EXPECT_NE(presenter.texture, nullptr);
    std::vector<std::uint32_t> untouched = {7};
    EXPECT_FALSE(presenter.renderOffscreen(busyPicture(4, 4), 8, 8, true, untouched));
    EXPECT_EQ(untouched, std::vector<std::uint32_t>{7});
  }
  SDL_Quit();
  ::unsetenv("MESA_GL_VERSION_OVERRIDE");
  ::unsetenv("MESA_GLSL_VERSION_OVERRIDE");
}

INSTANTIATE_TEST_SUITE_P(
    OlderMesa, Fallback,
    ::testing::Values(OlderGl{"NoCoreContext", "3.0", nullptr, "[info] no OpenGL 3.2 ("},
                      OlderGl{"OldShadingLanguage", "3.2", "140",
                              "[info] OpenGL shaders unavailable: plain scaling, no CRT\n"}),
    [](const ::testing::TestParamInfo<OlderGl>& info) { return std::string(info.param.name); });

}  // namespace
