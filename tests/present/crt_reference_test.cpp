#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "present/crt_reference.h"

using present::crtReference;

namespace {

render::RgbaImage flat(int w, int h, std::uint32_t pixel) {
  return render::RgbaImage{w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h, pixel)};
}

double byte(std::uint32_t pixel, int k) { return ((pixel >> (16 - 8 * k)) & 0xFF) / 255.0; }

TEST(CrtReference, SampleIsALinearLookupClampedToTheEdges) {
  // Alpha differs on purpose: it must never leak into a colour.
  const std::uint32_t p[4] = {0x00102030u, 0xFF405060u, 0x80708090u, 0xFFA0B0C0u};
  const render::RgbaImage img{2, 2, {p[0], p[1], p[2], p[3]}};
  struct Case {
    double u, v;
    double weight[4];  // of each pixel in the expected colour
  };
  const Case cases[] = {
      {0.25, 0.25, {1, 0, 0, 0}},        {0.75, 0.75, {0, 0, 0, 1}},          // pixel centres
      {0.5, 0.25, {0.5, 0.5, 0, 0}},     {0.375, 0.25, {0.75, 0.25, 0, 0}},   // between columns
      {0.5, 0.5, {.25, .25, .25, .25}},  {1.0, 0.25, {0, 1, 0, 0}},           // between all four; the edge
      {-3.0, 7.0, {0, 0, 1, 0}},                                              // far outside clamps
  };
  for (const Case& c : cases) {
    double rgb[3];
    present::crt_ref::sample(img, c.u, c.v, rgb);
    for (int k = 0; k < 3; ++k) {
      double want = 0;
      for (int i = 0; i < 4; ++i) want += c.weight[i] * byte(p[i], k);
      EXPECT_NEAR(rgb[k], want, 1e-12) << "u " << c.u << " v " << c.v << " channel " << k;
    }
  }
  // Pictures without pixels, or with fewer than their size claims, read as black.
  render::RgbaImage lying = flat(4, 4, 0xFFFFFFFFu);
  lying.pixels.resize(3);
  for (const render::RgbaImage& broken : {render::RgbaImage{}, lying}) {
    double rgb[3] = {9, 9, 9};
    crtReference(broken, 10, 10, 20, 20, rgb);
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0.0);
  }
}

TEST(CrtReference, TheCentrePixelSeesNoCurvature) {
  // Only the four pixels around the picture's centre are lit: the centre of an
  // odd-sized output samples exactly between them, on a row half a source
  // pixel off its scan line (f = -1/2, Y = 1/4, YY = 1/16), which gives
  // A = (1.25 - 6 (1/4 - 2.05/16)) x 0.75 and B = 1 - 8 (1/16 - 2.8/64).
  const double a = 0.3890625, b = 0.85;
  render::RgbaImage img = flat(348, 240, 0xFF000000u);
  const std::uint32_t lit[4] = {0xFF402010u, 0xFF804020u, 0xFFC06030u, 0xFF2080F0u};
  img.pixels[119 * 348 + 173] = lit[0];
  img.pixels[119 * 348 + 174] = lit[1];
  img.pixels[120 * 348 + 173] = lit[2];
  img.pixels[120 * 348 + 174] = lit[3];
  double mean[3];
  for (int k = 0; k < 3; ++k) mean[k] = (byte(lit[0], k) + byte(lit[1], k) + byte(lit[2], k) + byte(lit[3], k)) / 4;
  const double weight = a + (b - a) * (mean[0] + mean[1] + mean[2]) * 0.26664;
  for (const auto& [w, h] : {std::pair{1045, 721}, std::pair{349, 241}, std::pair{1567, 1081}}) {
    double rgb[3];
    crtReference(img, w / 2, h / 2, w, h, rgb);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(rgb[k], mean[k] * weight, 1e-12) << w << "x" << h << " channel " << k;
  }
  double rgb[3];
  crtReference(flat(348, 240, 0xFFFFFFFFu), 522, 360, 1045, 721, rgb);
  EXPECT_NEAR(rgb[1], a + (b - a) * 3 * 0.26664, 1e-12);
}

TEST(CrtReference, CornersAreBlackAtEverySelfTestSize) {
  const render::RgbaImage white = flat(348, 240, 0xFFFFFFFFu);
  for (const auto& [w, h] : {std::pair{1044, 720}, std::pair{1566, 1080}, std::pair{696, 480}, std::pair{1000, 690}})
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{w - 1, 0}, std::pair{0, h - 1}, std::pair{w - 1, h - 1}}) {
      double rgb[3];
      crtReference(white, x, y, w, h, rgb);
      EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0.0) << w << "x" << h << " at " << x << "," << y;
    }
}

TEST(CrtReference, AGreyPictureVariesOnlyWithTheScanLines) {
  const render::RgbaImage grey = flat(348, 240, 0xFF606060u);
  const int w = 1045, h = 720;
  auto at = [&](int x, int y) {
    double rgb[3];
    crtReference(grey, x, y, w, h, rgb);
    EXPECT_TRUE(rgb[0] == rgb[1] && rgb[1] == rgb[2]) << x << "," << y;  // grey stays grey
    return rgb[0];
  };
  // The same on both sides of the vertical centre line.
  for (int y = 0; y < h; y += 7)
    for (int x = 0; x < w / 2; x += 5) ASSERT_NEAR(at(x, y), at(w - 1 - x, y), 1e-9) << x << "," << y;
  // Down the centre column nothing bends: three output rows per source row,
  // the same three scan-line weights for every one, darker between the lines.
  for (int y = 3; y < h - 3; ++y) ASSERT_NEAR(at(w / 2, y), at(w / 2, y % 3 + 3), 1e-9) << y;
  const double rows[3] = {at(w / 2, 3), at(w / 2, 4), at(w / 2, 5)};
  EXPECT_LT(*std::min_element(rows, rows + 3), 0.8 * *std::max_element(rows, rows + 3));
}

}  // namespace
