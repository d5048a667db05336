#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "present/crt_reference.h"

using present::crtReference;

namespace {

render::RgbaImage flat(int w, int h, std::uint32_t pixel) {
  render::RgbaImage img;
  img.width = w;
  img.height = h;
  img.pixels.assign(static_cast<std::size_t>(w) * h, pixel);
  return img;
}

double byte(std::uint32_t pixel, int shift) { return ((pixel >> shift) & 0xFF) / 255.0; }

// The scan-line weight at the centre of the screen: the row sits half a
// source pixel off its centre line (f = -0.5), so Y = 1/4 and YY = 1/16:
// A = (1.25 - 6 (1/4 - 2.05/16)) x 0.75 and B = 1 - 8 (1/16 - 2.8/64).
constexpr double kCentreA = 0.3890625;
constexpr double kCentreB = 0.85;

double centreWeight(double r, double g, double b) {
  const double lum = (r + g + b) * 0.26664;
  return kCentreA + (kCentreB - kCentreA) * lum;
}

TEST(CrtReferenceSample, IsALinearLookupClampedToTheEdges) {
  // Alpha differs on purpose: it must never leak into a colour.
  const std::uint32_t p00 = 0x00102030u, p10 = 0xFF405060u, p01 = 0x80708090u, p11 = 0xFFA0B0C0u;
  render::RgbaImage img;
  img.width = 2;
  img.height = 2;
  img.pixels = {p00, p10, p01, p11};
  struct Case {
    double u, v;
    double w00, w10, w01, w11;  // weight of each pixel in the expected colour
  };
  const Case cases[] = {
      {0.25, 0.25, 1, 0, 0, 0},           // a pixel's centre is that pixel
      {0.75, 0.75, 0, 0, 0, 1},           //
      {0.5, 0.25, 0.5, 0.5, 0, 0},        // between two columns
      {0.375, 0.25, 0.75, 0.25, 0, 0},    // a quarter of the way
      {0.5, 0.5, 0.25, 0.25, 0.25, 0.25}, // between all four
      {1.0, 0.25, 0, 1, 0, 0},            // the right edge clamps
      {-3.0, 7.0, 0, 0, 1, 0},            // far outside clamps to the corner
      {0.0, 0.0, 1, 0, 0, 0},
  };
  for (const Case& c : cases) {
    double rgb[3];
    present::crt_ref::sample(img, c.u, c.v, rgb);
    for (int k = 0; k < 3; ++k) {
      const int shift = 16 - 8 * k;
      const double want = c.w00 * byte(p00, shift) + c.w10 * byte(p10, shift) + c.w01 * byte(p01, shift) +
                          c.w11 * byte(p11, shift);
      EXPECT_NEAR(rgb[k], want, 1e-12) << "u " << c.u << " v " << c.v << " channel " << k;
    }
  }

  // Pictures without pixels, or fewer than their size claims, read as black.
  render::RgbaImage lying = flat(4, 4, 0xFFFFFFFFu);
  lying.pixels.resize(3);
  for (const render::RgbaImage& broken : {render::RgbaImage{}, lying}) {
    double rgb[3] = {9, 9, 9};
    present::crt_ref::sample(broken, 0.5, 0.5, rgb);
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0.0);
    crtReference(broken, 10, 10, 20, 20, rgb);
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0.0);
  }
}

TEST(CrtReference, TheCentrePixelSeesNoCurvature) {
  // Only the four pixels around the picture's centre are lit, each differently:
  // the centre of an odd-sized output samples exactly between them.
  render::RgbaImage img = flat(348, 240, 0xFF000000u);
  const std::uint32_t lit[4] = {0xFF402010u, 0xFF804020u, 0xFFC06030u, 0xFF2080F0u};
  img.pixels[119 * 348 + 173] = lit[0];
  img.pixels[119 * 348 + 174] = lit[1];
  img.pixels[120 * 348 + 173] = lit[2];
  img.pixels[120 * 348 + 174] = lit[3];
  double mean[3];
  for (int k = 0; k < 3; ++k) {
    const int shift = 16 - 8 * k;
    mean[k] = (byte(lit[0], shift) + byte(lit[1], shift) + byte(lit[2], shift) + byte(lit[3], shift)) / 4;
  }
  const double weight = centreWeight(mean[0], mean[1], mean[2]);
  for (const auto& [w, h] : {std::pair{1045, 721}, std::pair{349, 241}, std::pair{1567, 1081}}) {
    double rgb[3];
    crtReference(img, w / 2, h / 2, w, h, rgb);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(rgb[k], mean[k] * weight, 1e-12) << w << "x" << h << " channel " << k;
  }

  // A bright grey is boosted past full scale and clamped.
  double rgb[3];
  crtReference(flat(348, 240, 0xFFF0F0F0u), 522, 360, 1045, 721, rgb);
  const double g = 0xF0 / 255.0;
  EXPECT_NEAR(rgb[0], std::min(1.0, g * centreWeight(g, g, g)), 1e-12);
  crtReference(flat(348, 240, 0xFFFFFFFFu), 522, 360, 1045, 721, rgb);
  EXPECT_EQ(rgb[1], std::min(1.0, centreWeight(1, 1, 1)));
}

TEST(CrtReference, CornersAreBlackAtEverySelfTestSize) {
  const render::RgbaImage white = flat(348, 240, 0xFFFFFFFFu);
  for (const auto& [w, h] : {std::pair{1044, 720}, std::pair{1566, 1080}, std::pair{696, 480}, std::pair{1000, 690}}) {
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{w - 1, 0}, std::pair{0, h - 1}, std::pair{w - 1, h - 1}}) {
      double rgb[3];
      crtReference(white, x, y, w, h, rgb);
      EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0.0) << w << "x" << h << " at " << x << "," << y;
    }
    double centre[3];
    crtReference(white, w / 2, h / 2, w, h, centre);
    EXPECT_GT(centre[0], 0.3) << w << "x" << h;
  }
}

TEST(CrtReference, AGreyPictureVariesOnlyWithTheScanLines) {
  const double g = 0x60 / 255.0;
  const render::RgbaImage grey = flat(348, 240, 0xFF606060u);
  const int w = 1045, h = 720;
  std::vector<double> value(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double rgb[3];
      crtReference(grey, x, y, w, h, rgb);
      ASSERT_EQ(rgb[0], rgb[1]);  // grey stays grey
      ASSERT_EQ(rgb[1], rgb[2]);
      value[static_cast<std::size_t>(y) * w + x] = rgb[0];
    }
  auto at = [&](int x, int y) { return value[static_cast<std::size_t>(y) * w + x]; };
  // The screen is the same on both sides of its vertical centre line.
  for (int y = 0; y < h; y += 7)
    for (int x = 0; x < w / 2; x += 5) ASSERT_NEAR(at(x, y), at(w - 1 - x, y), 1e-9) << x << "," << y;
  // Down the centre column nothing bends: three output rows per source row,
  // the same three weights for every source row.
  const int cx = w / 2;
  for (int y = 3; y < h - 3; ++y) ASSERT_NEAR(at(cx, y), at(cx, y % 3 + 3), 1e-9) << y;
  // Between the scan lines it is darker than on them, and never brighter than boosted grey.
  double lo = 1, hi = 0;
  for (int y = 3; y < 6; ++y) {
    lo = std::min(lo, at(cx, y));
    hi = std::max(hi, at(cx, y));
  }
  EXPECT_LT(lo, hi * 0.8);
  EXPECT_LE(hi, g * 1.25 + 1e-12);
}

}  // namespace
