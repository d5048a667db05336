#pragma once

#include "render/rgba.h"

namespace present {

// The colour the CRT program gives output pixel (x, y) of a w x h output
// (y from the top), computed on the CPU in double precision: three values 0
// to 1 in rgb. It is the yardstick against which the GPU's output is checked.
void crtReference(const render::RgbaImage& img, int x, int y, int w, int h, double* rgb);

namespace crt_ref {

// A linear, clamped-to-edge texture lookup at (u, v) (0 to 1, from the
// top-left corner): red, green and blue, 0 to 1. Alpha is not used.
void sample(const render::RgbaImage& img, double u, double v, double* rgb);

}  // namespace crt_ref

}  // namespace present
