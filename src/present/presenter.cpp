#include "present/presenter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/log.h"

namespace present {

namespace {

constexpr Uint32 kDesktopFullscreen = SDL_WINDOW_FULLSCREEN_DESKTOP;  // 0x1001

}  // namespace

std::optional<Placement> placePicture(int pictureW, int pictureH, int outputW, int outputH) {
  if (pictureW < 1 || pictureH < 1 || outputW < 1 || outputH < 1) return std::nullopt;
  Placement p;
  p.scale = std::min(static_cast<double>(outputW) / pictureW, static_cast<double>(outputH) / pictureH);
  p.width = std::max(1, static_cast<int>(std::lround(pictureW * p.scale)));
  p.height = std::max(1, static_cast<int>(std::lround(pictureH * p.scale)));
  p.x = (outputW - p.width) / 2;
  p.y = (outputH - p.height) / 2;
  return p;
}

ScalePlan planScaling(double scale, bool targetTexturesSupported) {
  ScalePlan plan;
  plan.integral = scale >= 1 && std::fabs(scale - std::round(scale)) < 1e-6;
  plan.k = plan.integral || scale < 1 ? 1 : static_cast<int>(std::ceil(scale));
  if (!targetTexturesSupported) plan.k = 1;
  return plan;
}

Presenter::~Presenter() {
  // Reverse order of dependence: the GL screen before its context, textures
  // before their renderer, everything before the window.
  if (gl) SDL_GL_DeleteContext(gl);
  if (target) SDL_DestroyTexture(target);
  if (texture) SDL_DestroyTexture(texture);
  if (renderer) SDL_DestroyRenderer(renderer);
  if (window) SDL_DestroyWindow(window);
}

bool Presenter::open(const char* title, int w, int h, bool hidden) {
  Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
  if (hidden) flags |= SDL_WINDOW_HIDDEN;
  // The OpenGL path joins here: with a 3.2 core context requested, the window is
  // first created with SDL_WINDOW_OPENGL and kept when openGl() succeeds;
  // otherwise it is destroyed and the renderer path below takes over.
  window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, flags);
  if (!window) {
    core::log(core::LogLevel::Error, "SDL_CreateWindow: %s", SDL_GetError());
    return false;
  }
  return openRenderer();
}

bool Presenter::openGl() {
  // No OpenGL screen in this build: plain scaling, no CRT.
  return false;
}

bool Presenter::openRenderer() {
  renderer = SDL_CreateRenderer(window, -1,
                                SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC | SDL_RENDERER_TARGETTEXTURE);
  if (renderer) return true;
  core::log(core::LogLevel::Info, "SDL_CreateRenderer (accelerated): %s; using the software renderer",
            SDL_GetError());
  renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
  if (renderer) return true;
  core::log(core::LogLevel::Error, "SDL_CreateRenderer: %s", SDL_GetError());
  return false;
}

bool Presenter::ensureTextures(int w, int h, int k) {
  if (!renderer) return false;
  if (!texture || texW != w || texH != h) {
    if (texture) SDL_DestroyTexture(texture);
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, w, h);
    if (!texture) {
      texW = texH = 0;
      core::log(core::LogLevel::Error, "SDL_CreateTexture: %s", SDL_GetError());
      return false;
    }
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    texW = w;
    texH = h;
    targetScale = 0;
  }
  if (k < 2) return true;
  if (target && targetScale == k) return true;
  if (target) SDL_DestroyTexture(target);
  target = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, w * k, h * k);
  if (!target) {
    targetScale = 0;
    core::log(core::LogLevel::Error, "SDL_CreateTexture (target): %s", SDL_GetError());
    return false;
  }
  SDL_SetTextureScaleMode(target, SDL_ScaleModeLinear);
  targetScale = k;
  return true;
}

void Presenter::uploadPicture(const render::RgbaImage& image) {
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) != 0) {
    // The texture keeps its earlier picture; one line is enough for a lasting fault.
    if (!uploadFailureLogged_) core::log(core::LogLevel::Error, "SDL_LockTexture: %s", SDL_GetError());
    uploadFailureLogged_ = true;
    return;
  }
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4;
  for (int y = 0; y < image.height; ++y)
    std::memcpy(static_cast<std::uint8_t*>(pixels) + static_cast<std::size_t>(y) * pitch,
                image.pixels.data() + static_cast<std::size_t>(y) * image.width, rowBytes);
  SDL_UnlockTexture(texture);
}

void Presenter::present(const render::RgbaImage& image) {
  if (!renderer) return;
  // A picture whose pixel vector does not match its size is never read.
  if (image.pixels.size() != static_cast<std::size_t>(std::max(image.width, 0)) * std::max(image.height, 0))
    return;
  int outW = 0;
  int outH = 0;
  if (SDL_GetRendererOutputSize(renderer, &outW, &outH) != 0) return;
  const std::optional<Placement> place = placePicture(image.width, image.height, outW, outH);
  if (!place) return;

  const bool targetsSupported = SDL_RenderTargetSupported(renderer) == SDL_TRUE;
  const ScalePlan plan = planScaling(place->scale, targetsSupported);
  if (!ensureTextures(image.width, image.height, plan.k)) return;
  uploadPicture(image);

  SDL_Texture* source = texture;
  if (plan.integral) {
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
  } else if (targetsSupported && plan.k >= 2 && target) {
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    SDL_SetRenderTarget(renderer, target);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_SetRenderTarget(renderer, nullptr);
    source = target;
  } else {
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear);
  }

  const SDL_Rect dest{place->x, place->y, place->width, place->height};
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  SDL_RenderClear(renderer);
  SDL_RenderCopy(renderer, source, nullptr, &dest);
  SDL_RenderPresent(renderer);
}

void Presenter::setTitle(const char* text) {
  if (window) SDL_SetWindowTitle(window, text);
}

void Presenter::setIcon(const render::RgbaImage& image) {
  if (!window || image.width < 1 || image.height < 1 ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * image.height)
    return;
  // SDL only reads the pixels while setting the icon, so the const picture is never written.
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(image.pixels.data()),
                                                            image.width, image.height, 32, image.width * 4,
                                                            SDL_PIXELFORMAT_ARGB8888);
  if (!surface) return;
  SDL_SetWindowIcon(window, surface);
  SDL_FreeSurface(surface);
}

bool Presenter::fullscreen() const {
  return window && (SDL_GetWindowFlags(window) & kDesktopFullscreen) == kDesktopFullscreen;
}

void Presenter::setFullscreen(bool on) {
  if (!window || fullscreen() == on) return;
  if (SDL_SetWindowFullscreen(window, on ? kDesktopFullscreen : 0) != 0)
    core::log(core::LogLevel::Error, "SDL_SetWindowFullscreen: %s", SDL_GetError());
}

void Presenter::toggleFullscreen() { setFullscreen(!fullscreen()); }

bool Presenter::renderOffscreen(const render::RgbaImage&, int, int, bool, std::vector<std::uint32_t>&) {
  return false;  // the renderer path has no off-screen shader pass
}

}  // namespace present
