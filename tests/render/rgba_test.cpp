#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "render/rgba.h"
#include "test_graphics.h"

namespace fs = std::filesystem;

namespace {

fs::path scratch(const std::string& name) {
  const fs::path dir = fs::path(TUMBOLD_BINARY_DIR) / "render-test-scratch";
  fs::create_directories(dir);
  return dir / name;
}

}  // namespace

TEST(Rgba, ConversionUsesTheLowFourBitsAndIsOpaque) {
  const auto gfx = rendertest::makeGraphics();
  render::Framebuffer fb;
  fb.pixels[0] = 1;
  fb.pixels[1] = 17;
  fb.pixels[2] = 15;
  fb.pixels[63999] = 0xFE;
  const auto image = render::toRgba(fb, gfx.palette);
  ASSERT_EQ(image.width, 320);
  ASSERT_EQ(image.height, 200);
  ASSERT_EQ(image.pixels.size(), 64000u);
  EXPECT_EQ(image.pixels[0], 0xFF0000AAu);  // (0, 0, 42) -> (0, 0, 170)
  EXPECT_EQ(image.pixels[1], image.pixels[0]);
  EXPECT_EQ(image.pixels[2], 0xFFFFFFFFu);
  EXPECT_EQ(image.pixels[3], 0xFF000000u);
  EXPECT_EQ(image.pixels[63999], render::colourTable(gfx.palette)[14]);
  for (auto p : image.pixels) ASSERT_EQ(p >> 24, 0xFFu);
}

TEST(Rgba, SavedPicturesLoadBackWithAlpha) {
  render::RgbaImage image;
  image.width = 3;
  image.height = 2;
  image.pixels = {0xFF102030u, 0x00000000u, 0x80FFFFFFu, 0x01020304u, 0xFFFFFFFFu, 0x7F7F7F7Fu};
  const auto path = scratch("roundtrip.png");
  ASSERT_TRUE(render::saveRgbaPng(path, image));
  const auto loaded = render::loadRgbaPng(path);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->width, 3);
  EXPECT_EQ(loaded->height, 2);
  EXPECT_EQ(loaded->pixels, image.pixels);
}

TEST(Rgba, FailuresAreLoggedAndReported) {
  const auto missing = scratch("missing.png");
  fs::remove(missing);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(render::loadRgbaPng(missing));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[error] cannot open " + missing.string() + "\n[error] cannot read " + missing.string() + "\n");

  const auto notPng = scratch("not.png");
  std::ofstream(notPng) << "hello";
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(render::loadRgbaPng(notPng));
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(log.rfind("[error] " + notPng.string() + ": ", 0), 0u) << log;

  // A failed write says what failed; the file-size limit stands in for a full
  // disk, with noise for a picture that outgrows it.
  render::RgbaImage image{64, 64, {}};
  for (std::uint32_t i = 0; i < 64 * 64; ++i) image.pixels.push_back(i * 2654435761u);
  const std::tuple<fs::path, rlim_t, const char*> cases[] = {
      {scratch("no_such_folder") / "x.png", RLIM_INFINITY, "No such file or directory"},
      {"/dev/null", RLIM_INFINITY, "not a regular file"},
      {scratch("limited.png"), 1024, "File too large"}};
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  for (const auto& [target, limit, why] : cases) {
    const rlimit limited{std::min(limit, saved.rlim_max), saved.rlim_max};
    ::testing::internal::CaptureStderr();
    setrlimit(RLIMIT_FSIZE, &limited);
    EXPECT_FALSE(render::saveRgbaPng(target, image)) << target;
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[error] " + target.string() + ": " + why + "\n");
  }
  std::signal(SIGXFSZ, previous);

  image.pixels.resize(3);  // shorter than width x height
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(render::saveRgbaPng(scratch("short.png"), image));
  log = ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(log.empty());
}
