#pragma once

#include <SDL.h>

#include <cstdint>
#include <optional>
#include <vector>

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
// black, through SDL's 2D renderer (accelerated with vsync, else software),
// switches desktop full screen, and carries the title and icon.
class Presenter {
 public:
  Presenter() = default;
  ~Presenter();
  Presenter(const Presenter&) = delete;
  Presenter& operator=(const Presenter&) = delete;

  // A resizable window centred on the screen; false (logged) when no window can be opened.
  bool open(const char* title, int w, int h, bool hidden);
  bool openGl();
  void present(const render::RgbaImage& image);
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
  // The OpenGL screen (CRT and sharp-scaling shaders) joins here as a member
  // next to the context; until then every window takes the renderer path.
  bool crt = false;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  SDL_Texture* target = nullptr;
  int texW = 0;
  int texH = 0;
  int targetScale = 0;

 private:
  bool openRenderer();
  void uploadPicture(const render::RgbaImage& image);

  bool uploadFailureLogged_ = false;
};

}  // namespace present
