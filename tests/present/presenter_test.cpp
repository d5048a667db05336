#include <gtest/gtest.h>

#include <vector>

#include "present/presenter.h"

using present::placePicture;
using present::planScaling;
using present::Presenter;

namespace {

TEST(Placement, ScalesToFitAndCentres) {
  auto exact = placePicture(348, 240, 1044, 720);
  ASSERT_TRUE(exact);
  EXPECT_DOUBLE_EQ(exact->scale, 3.0);
  EXPECT_EQ(exact->x, 0);
  EXPECT_EQ(exact->y, 0);
  EXPECT_EQ(exact->width, 1044);
  EXPECT_EQ(exact->height, 720);

  auto wide = placePicture(348, 240, 1920, 1080);
  ASSERT_TRUE(wide);
  EXPECT_DOUBLE_EQ(wide->scale, 4.5);
  EXPECT_EQ(wide->width, 1566);
  EXPECT_EQ(wide->height, 1080);
  EXPECT_EQ(wide->x, 177);
  EXPECT_EQ(wide->y, 0);

  // A tall output letterboxes above and below.
  auto tall = placePicture(320, 200, 640, 1000);
  ASSERT_TRUE(tall);
  EXPECT_EQ(tall->width, 640);
  EXPECT_EQ(tall->height, 400);
  EXPECT_EQ(tall->x, 0);
  EXPECT_EQ(tall->y, 300);

  // Odd leftovers round the offset down; the picture never leaves the output.
  auto odd = placePicture(348, 240, 1045, 721);
  ASSERT_TRUE(odd);
  EXPECT_EQ(odd->width, 1045);
  EXPECT_EQ(odd->height, 721);
  auto narrow = placePicture(348, 240, 701, 300);
  ASSERT_TRUE(narrow);
  EXPECT_EQ(narrow->height, 300);
  EXPECT_EQ(narrow->width, 435);
  EXPECT_EQ(narrow->x, 133);
  EXPECT_LE(narrow->x + narrow->width, 701);
}

TEST(Placement, DegenerateSizes) {
  EXPECT_FALSE(placePicture(348, 240, 0, 0));  // minimised
  EXPECT_FALSE(placePicture(348, 240, 1044, 0));
  EXPECT_FALSE(placePicture(0, 240, 1044, 720));
  EXPECT_FALSE(placePicture(348, -1, 1044, 720));
  // A tiny output still gets at least one pixel.
  auto tiny = placePicture(348, 240, 1, 1);
  ASSERT_TRUE(tiny);
  EXPECT_EQ(tiny->width, 1);
  EXPECT_EQ(tiny->height, 1);
  EXPECT_EQ(tiny->x, 0);
  EXPECT_EQ(tiny->y, 0);
  auto sliver = placePicture(1000, 10, 100, 100);
  ASSERT_TRUE(sliver);
  EXPECT_EQ(sliver->height, 1);
  EXPECT_EQ(sliver->y, 49);
}

TEST(Placement, ScalingPlan) {
  auto three = planScaling(3.0, true);
  EXPECT_TRUE(three.integral);
  EXPECT_EQ(three.k, 1);
  auto between = planScaling(4.5, true);
  EXPECT_FALSE(between.integral);
  EXPECT_EQ(between.k, 5);
  EXPECT_EQ(planScaling(1.01, true).k, 2);
  auto shrink = planScaling(0.8, true);
  EXPECT_FALSE(shrink.integral);
  EXPECT_EQ(shrink.k, 1);
  EXPECT_EQ(planScaling(4.5, false).k, 1);
  // Floating-point noise around a whole factor still counts as whole.
  EXPECT_TRUE(planScaling(2.0000000001, true).integral);
  EXPECT_TRUE(planScaling(1.9999999999, true).integral);
  EXPECT_TRUE(planScaling(1.0, true).integral);
}

render::RgbaImage checkerPicture(int w, int h) {
  render::RgbaImage img;
  img.width = w;
  img.height = h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.pixels.push_back(((x + y) & 1) ? 0xFFFF0000u : 0xFF0000FFu);
  return img;
}

// The real renderer path on SDL's window-less video driver with the software renderer.
class RendererPath : public ::testing::Test {
 protected:
  void SetUp() override {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no dummy video: " << SDL_GetError();
  }
  void TearDown() override {
    presenter.reset();
    SDL_Quit();
  }
  bool open(int w, int h) {
    presenter = std::make_unique<Presenter>();
    return presenter->open("test", w, h, true);
  }
  // The presented picture, read back from the renderer's output.
  std::vector<std::uint32_t> readBack(int w, int h) {
    std::vector<std::uint32_t> out(static_cast<std::size_t>(w) * h);
    SDL_RenderReadPixels(presenter->renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, out.data(), w * 4);
    return out;
  }
  std::unique_ptr<Presenter> presenter;
};

TEST_F(RendererPath, WholeMultiplesAreSharpAndCentred) {
  ASSERT_TRUE(open(100, 60));
  int w = 0, h = 0;
  SDL_GetRendererOutputSize(presenter->renderer, &w, &h);
  ASSERT_EQ(w, 100);
  ASSERT_EQ(h, 60);
  presenter->present(checkerPicture(20, 10));  // scale min(5, 6) = 5: 100 x 50 at (0, 5)
  EXPECT_EQ(presenter->texW, 20);
  EXPECT_EQ(presenter->texH, 10);
  EXPECT_EQ(presenter->target, nullptr);
  const auto px = readBack(w, h);
  auto at = [&](int x, int y) { return px[static_cast<std::size_t>(y) * w + x] | 0xFF000000u; };
  for (int x = 0; x < 100; x += 7) {
    EXPECT_EQ(at(x, 0), 0xFF000000u) << x;  // black bar above
    EXPECT_EQ(at(x, 59), 0xFF000000u) << x;
  }
  // Every 5 x 5 block is one source pixel, colours unchanged (BGRA byte order respected).
  for (int sy = 0; sy < 10; ++sy)
    for (int sx = 0; sx < 20; ++sx) {
      const std::uint32_t want = ((sx + sy) & 1) ? 0xFFFF0000u : 0xFF0000FFu;
      EXPECT_EQ(at(sx * 5, 5 + sy * 5), want);
      EXPECT_EQ(at(sx * 5 + 4, 5 + sy * 5 + 4), want);
    }
}

TEST_F(RendererPath, FractionalScalesUseTheEnlargedTarget) {
  ASSERT_TRUE(open(90, 30));
  presenter->present(checkerPicture(20, 10));  // scale min(4.5, 3) = 3: whole
  EXPECT_EQ(presenter->targetScale, 0);
  SDL_SetWindowSize(presenter->window, 45, 30);
  render::RgbaImage flat;
  flat.width = 20;
  flat.height = 10;
  flat.pixels.assign(200, 0xFF00FF00u);
  presenter->present(flat);  // scale 2.25: through a 3x target
  int w = 0, h = 0;
  SDL_GetRendererOutputSize(presenter->renderer, &w, &h);
  ASSERT_EQ(w, 45);
  if (SDL_RenderTargetSupported(presenter->renderer)) {
    EXPECT_EQ(presenter->targetScale, 3);
    ASSERT_NE(presenter->target, nullptr);
    int tw = 0, th = 0;
    SDL_QueryTexture(presenter->target, nullptr, nullptr, &tw, &th);
    EXPECT_EQ(tw, 60);
    EXPECT_EQ(th, 30);
  }
  const auto px = readBack(w, h);
  // 45 x 22.5 rounds to 45 x 23 at (0, 3); a flat colour stays flat when filtered.
  EXPECT_EQ(px[static_cast<std::size_t>(15) * w + 20] | 0xFF000000u, 0xFF00FF00u);
  EXPECT_EQ(px[static_cast<std::size_t>(1) * w + 20] | 0xFF000000u, 0xFF000000u);

  // A new picture size replaces the textures.
  presenter->present(checkerPicture(9, 3));
  EXPECT_EQ(presenter->texW, 9);
  EXPECT_EQ(presenter->texH, 3);
}

TEST_F(RendererPath, BrokenOrEmptyPicturesAreIgnored) {
  ASSERT_TRUE(open(64, 48));
  render::RgbaImage empty;
  presenter->present(empty);
  render::RgbaImage lying;
  lying.width = 100;
  lying.height = 100;
  lying.pixels.assign(10, 0xFFFFFFFFu);  // fewer pixels than its size claims
  presenter->present(lying);
  EXPECT_EQ(presenter->texture, nullptr);
  presenter->setIcon(lying);
  presenter->setIcon(checkerPicture(16, 16));

  std::vector<std::uint32_t> out = {7};
  EXPECT_FALSE(presenter->renderOffscreen(checkerPicture(4, 4), 8, 8, true, out));
  EXPECT_EQ(out, std::vector<std::uint32_t>{7});
}

TEST_F(RendererPath, FullScreenFollowsTheWindowState) {
  ASSERT_TRUE(open(64, 48));
  EXPECT_FALSE(presenter->fullscreen());
  presenter->setFullscreen(false);  // already windowed: nothing to do
  EXPECT_FALSE(presenter->fullscreen());
  presenter->toggleFullscreen();
  EXPECT_TRUE(presenter->fullscreen());
  presenter->setFullscreen(true);
  EXPECT_TRUE(presenter->fullscreen());
  presenter->toggleFullscreen();
  EXPECT_FALSE(presenter->fullscreen());
  presenter->setTitle("other title");
  EXPECT_STREQ(SDL_GetWindowTitle(presenter->window), "other title");
}

TEST(PresenterWithoutWindow, CallsAreHarmless) {
  Presenter p;
  EXPECT_FALSE(p.fullscreen());
  p.setFullscreen(true);
  p.toggleFullscreen();
  p.setTitle("x");
  p.setIcon(checkerPicture(2, 2));
  p.present(checkerPicture(2, 2));
  EXPECT_FALSE(p.ensureTextures(2, 2, 1));
  EXPECT_DOUBLE_EQ(p.refreshInterval(), 1.0 / 60);
}

}  // namespace
