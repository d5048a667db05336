#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "present/gl_screen.h"
#include "render/rgba.h"

namespace present {

// Where a picture lands in an output of some size: as large as fits with its
// aspect kept, centred, the rest black.
struct Placement {
  double scale = 0;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Nothing when the picture or the output has no area (a minimised window).
std::optional<Placement> placePicture(int pictureW, int pictureH, int outputW, int outputH);

// How the renderer path scales: whole multiples are drawn with nearest
// neighbour; anything else is first enlarged by the whole factor k >= scale
// with sharp pixel edges into a target texture, then smoothly reduced, which
// keeps pixels crisp without uneven widths. k 1 means no target texture.
struct ScalePlan {
  bool integral = false;
  int k = 1;
};

ScalePlan planScaling(double scale, bool targetTexturesSupported);

// The game window. Shows one picture per frame, aspect-correct and centred on
// black: through OpenGL 3.2 with the CRT or the sharp-scaling program when a
// core context can be had, else through SDL's 2D renderer (accelerated with
// vsync, else software). Switches desktop full screen, carries the title and
// icon, and renders pictures off screen on the OpenGL path.
class Presenter {
 public:
  Presenter() = default;
  ~Presenter();
  Presenter(const Presenter&) = delete;
  Presenter& operator=(const Presenter&) = delete;

  // A resizable window centred on the screen, with an OpenGL screen when one
  // can be made; false (logged) when no window can be opened at all.
  bool open(const char* title, int w, int h, bool hidden);
  // The context and GL screen for the OpenGL window just made; false (logged) when either fails.
  bool openGl();
  // Shows the picture; with vsync (asked for on both paths) the swap usually
  // waits for the display, but the caller paces its frames on the clock.
  void present(const render::RgbaImage& image);
  // The refresh interval in seconds of the display the window is on, from
  // its display mode; that of 60 Hz when SDL does not know it.
  double refreshInterval() const;
  void setTitle(const char* text);
  void setIcon(const render::RgbaImage& image);
  void toggleFullscreen();
  void setFullscreen(bool on);
  bool fullscreen() const;
  // Off-screen rendering needs the OpenGL path; false and out untouched otherwise.
  bool renderOffscreen(const render::RgbaImage& image, int w, int h, bool crt, std::vector<std::uint32_t>& out);
  // The streaming texture of the picture's size and, for k >= 2, a target of k times it.
  bool ensureTextures(int w, int h, int k);

  SDL_Window* window = nullptr;
  SDL_GLContext gl = nullptr;
  std::unique_ptr<GlScreen> screen;
  // Draw with the CRT program rather than the sharp one (OpenGL path only).
  bool crt = false;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  SDL_Texture* target = nullptr;
  int texW = 0;
  int texH = 0;
  int targetScale = 0;

 private:
  bool openRenderer();
  void presentGl(const render::RgbaImage& image);
  void uploadPicture(const render::RgbaImage& image);

  bool uploadFailureLogged_ = false;
  // The window's own size before full screen, put back on leaving it where
  // nothing else does (an X server without a window manager).
  int windowedW_ = 0;
  int windowedH_ = 0;
};

}  // namespace present
