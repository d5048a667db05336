#pragma once

#include <cstdint>
#include <vector>

#include "render/rgba.h"

namespace present {

// Strength of the screen curvature given to the CRT program.
constexpr float kCrtCurve = 0.015f;

// Finds a GL entry point by name; SDL_GL_GetProcAddress unless a test stands in.
using GlLookup = void* (*)(const char* name);

// Draws a picture into a rectangle of the current OpenGL 3.2 core context with
// one of two programs: the CRT look (curvature, scan lines, rounded black
// corners) or sharp-bilinear scaling (whole-pixel enlargement with one-pixel
// soft edges). Also renders off screen and reads the pixels back, so that the
// GPU's output can be checked against a CPU reference.
//
// The context must be current for every call, the destructor included.
class GlScreen {
 public:
  GlScreen() = default;
  ~GlScreen();
  GlScreen(const GlScreen&) = delete;
  GlScreen& operator=(const GlScreen&) = delete;

  // Loads the GL entry points (through SDL when lookup is null) and builds both
  // programs; false (logged) when either fails.
  bool init(GlLookup lookup = nullptr);
  // Clears the outW x outH output to black and draws the picture into the
  // rectangle (x, y, w, h), y counted from the bottom as GL does.
  void draw(const render::RgbaImage& img, int outW, int outH, int x, int y, int w, int h, bool crt);
  // The picture drawn over a whole w x h off-screen target, rows top-down,
  // alpha forced opaque. False when the target cannot be made.
  bool drawOffscreen(const render::RgbaImage& img, int w, int h, bool crt, std::vector<std::uint32_t>& out);
  // One texture upload: the texture is re-specified only when the size changes.
  void upload(const render::RgbaImage& img);
  // The shared vertex stage linked with this fragment stage; 0 (logged) on failure.
  std::uint32_t program(const char* fragmentSource);

  std::uint32_t crtProgram = 0;
  std::uint32_t sharpProgram = 0;
  std::uint32_t vao = 0;
  std::uint32_t texture = 0;
  std::int32_t texW = 0;
  std::int32_t texH = 0;
  bool ready = false;
};

}  // namespace present
