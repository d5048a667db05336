#include "present/crt_reference.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace present {

namespace {

// The program's single-precision curvature factors, widened: 1.3333 x 0.015
// and 0.015 as the GPU sees them.
constexpr double kCurveX = 0.01999949955297634;
constexpr double kCurveY = 0.014999999664723873;
constexpr double kSharpen = 4.0;
constexpr double kBlur = 0.3;
constexpr double kMask = 0.75;
constexpr double kCorner = 3e-5;
constexpr double kLuminance = 0.26664;

double channel(std::uint32_t pixel, int shift) { return ((pixel >> shift) & 0xFFu) / 255.0; }

// One axis of the sharpened position: pulled toward the centre of its source pixel.
double sharpened(double c, int size, double& fraction) {
  const double p = c * size;
  const double i = std::floor(p) + 0.5;
  fraction = p - i;
  return (i + kSharpen * fraction * fraction * fraction) / size;
}

}  // namespace

namespace crt_ref {

void sample(const render::RgbaImage& img, double u, double v, double* rgb) {
  rgb[0] = rgb[1] = rgb[2] = 0.0;
  if (img.width < 1 || img.height < 1 ||
      img.pixels.size() != static_cast<std::size_t>(img.width) * static_cast<std::size_t>(img.height))
    return;
  const double x = u * img.width - 0.5;
  const double y = v * img.height - 0.5;
  const double x0 = std::floor(x);
  const double y0 = std::floor(y);
  const double fx = x - x0;
  const double fy = y - y0;
  // Clamped as doubles first, so that far-off coordinates never overflow an int.
  auto column = [&](double c) { return static_cast<std::size_t>(std::clamp(c, 0.0, img.width - 1.0)); };
  auto row = [&](double r) { return static_cast<std::size_t>(std::clamp(r, 0.0, img.height - 1.0)); };
  const std::size_t left = column(x0), right = column(x0 + 1);
  const std::size_t top = row(y0), bottom = row(y0 + 1);
  auto at = [&](std::size_t cx, std::size_t cy) { return img.pixels[cy * img.width + cx]; };
  for (int k = 0; k < 3; ++k) {
    const int shift = 16 - 8 * k;
    const double upper = channel(at(left, top), shift) * (1 - fx) + channel(at(right, top), shift) * fx;
    const double lower = channel(at(left, bottom), shift) * (1 - fx) + channel(at(right, bottom), shift) * fx;
    rgb[k] = upper * (1 - fy) + lower * fy;
  }
}

}  // namespace crt_ref

void crtReference(const render::RgbaImage& img, int x, int y, int w, int h, double* rgb) {
  rgb[0] = rgb[1] = rgb[2] = 0.0;
  if (w < 1 || h < 1 || img.width < 1 || img.height < 1) return;
  const double u = (x + 0.5) / w;
  const double v = (y + 0.5) / h;
  const double qx = 2 * u - 1;
  const double qy = 2 * v - 1;
  const double cx = std::clamp(qx * (1 + kCurveX * qy * qy) * 0.5 + 0.5, 0.0, 1.0);
  const double cy = std::clamp(qy * (1 + kCurveY * qx * qx) * 0.5 + 0.5, 0.0, 1.0);

  double fx = 0;
  double fy = 0;
  double tx = sharpened(cx, img.width, fx);
  const double ty = sharpened(cy, img.height, fy);
  tx = tx + (cx - tx) * kBlur;

  const double Y = fy * fy;
  const double YY = Y * Y;

  double colour[3];
  crt_ref::sample(img, tx, ty, colour);
  const double kx = std::min(cx, 1 - cx);
  const double ky = std::min(cy, 1 - cy);
  // An edge of the curved screen (kx 0) is a corner too.
  if (kx <= 0 || kCorner / kx >= ky) colour[0] = colour[1] = colour[2] = 0.0;

  const double a = (1.25 - 6.0 * (Y - 2.05 * YY)) * kMask;
  const double b = 1 - 8.0 * (YY - 2.8 * YY * Y);
  const double lum = (colour[0] + colour[1] + colour[2]) * kLuminance;
  for (int k = 0; k < 3; ++k) rgb[k] = std::clamp(colour[k] * (a + (b - a) * lum), 0.0, 1.0);
}

}  // namespace present
