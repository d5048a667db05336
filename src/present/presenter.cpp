#include "present/presenter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/log.h"

namespace present {

namespace {

constexpr Uint32 kDesktopFullscreen = SDL_WINDOW_FULLSCREEN_DESKTOP;  // 0x1001

bool onX11() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && std::strcmp(driver, "x11") == 0;
}

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
  // Reverse order of dependence: the GL screen while its context still exists,
  // textures before their renderer, everything before the window.
  screen.reset();
  if (gl) SDL_GL_DeleteContext(gl);
  if (target) SDL_DestroyTexture(target);
  if (texture) SDL_DestroyTexture(texture);
  if (renderer) SDL_DestroyRenderer(renderer);
  if (window) SDL_DestroyWindow(window);
}

bool Presenter::open(const char* title, int w, int h, bool hidden) {
  // A core profile with the forward-compatible flag is the only kind of
  // 3.2 context some platforms hand out; it has to be asked for before the
  // window exists.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_FORWARD_COMPATIBLE_FLAG);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

  Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
  if (hidden) flags |= SDL_WINDOW_HIDDEN;
  window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, flags | SDL_WINDOW_OPENGL);
  if (window) {
    SDL_GetWindowSize(window, &windowedW_, &windowedH_);
    if (openGl()) return true;
    SDL_DestroyWindow(window);
    window = nullptr;
  } else {
    core::log(core::LogLevel::Info, "SDL_CreateWindow (OpenGL): %s; plain scaling, no CRT", SDL_GetError());
  }
  // SDL's own renderer asks for whatever context it knows, not ours.
  SDL_GL_ResetAttributes();

  window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, flags);
  if (!window) {
    core::log(core::LogLevel::Error, "SDL_CreateWindow: %s", SDL_GetError());
    return false;
  }
  SDL_GetWindowSize(window, &windowedW_, &windowedH_);
  return openRenderer();
}

bool Presenter::openGl() {
  gl = SDL_GL_CreateContext(window);
  if (!gl) {
    core::log(core::LogLevel::Info, "no OpenGL 3.2 (%s): plain scaling, no CRT", SDL_GetError());
    return false;
  }
  bool made = false;
  if (SDL_GL_MakeCurrent(window, gl) != 0) {
    core::log(core::LogLevel::Error, "SDL_GL_MakeCurrent: %s", SDL_GetError());
  } else {
    if (SDL_GL_SetSwapInterval(1) != 0) core::log(core::LogLevel::Info, "SDL_GL_SetSwapInterval: %s", SDL_GetError());
    screen = std::make_unique<GlScreen>();
    made = screen->init();
    // Its GL objects go while the context still exists.
    if (!made) screen.reset();
  }
  if (made) return true;
  SDL_GL_DeleteContext(gl);
  gl = nullptr;
  core::log(core::LogLevel::Info, "OpenGL shaders unavailable: plain scaling, no CRT");
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

void Presenter::presentGl(const render::RgbaImage& image) {
  int outW = 0;
  int outH = 0;
  // In pixels, so a high-DPI display gets its full resolution.
  SDL_GL_GetDrawableSize(window, &outW, &outH);
  const std::optional<Placement> place = placePicture(image.width, image.height, outW, outH);
  if (!place) return;
  screen->draw(image, outW, outH, place->x, place->y, place->width, place->height, crt);
  SDL_GL_SwapWindow(window);
}

void Presenter::present(const render::RgbaImage& image) {
  // A picture whose pixel vector does not match its size is never read.
  if (image.pixels.size() != static_cast<std::size_t>(std::max(image.width, 0)) * std::max(image.height, 0))
    return;
  if (screen) {
    presentGl(image);
    return;
  }
  if (!renderer) return;
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

double Presenter::refreshInterval() const {
  constexpr double kFallbackHz = 60.0;
  SDL_DisplayMode mode{};
  const int display = window ? SDL_GetWindowDisplayIndex(window) : -1;
  if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0 || mode.refresh_rate <= 0) return 1.0 / kFallbackHz;
  return 1.0 / mode.refresh_rate;
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
  if (on) SDL_GetWindowSize(window, &windowedW_, &windowedH_);
  if (SDL_SetWindowFullscreen(window, on ? kDesktopFullscreen : 0) != 0) {
    core::log(core::LogLevel::Error, "SDL_SetWindowFullscreen: %s", SDL_GetError());
    return;
  }
  // Without a window manager on X11 no one resizes the window for full
  // screen, yet SDL keeps reporting the desktop's size after leaving it, and
  // every later picture would be laid out for a window that is not there.
  // Elsewhere leaving full screen may still be under way here (an animated
  // transition): the window system restores the size itself.
  if (on || windowedW_ < 1 || windowedH_ < 1 || !onX11()) return;
  int w = 0;
  int h = 0;
  SDL_GetWindowSize(window, &w, &h);
  if (w != windowedW_ || h != windowedH_) SDL_SetWindowSize(window, windowedW_, windowedH_);
}

void Presenter::toggleFullscreen() { setFullscreen(!fullscreen()); }

bool Presenter::renderOffscreen(const render::RgbaImage& image, int w, int h, bool crtProgram,
                                std::vector<std::uint32_t>& out) {
  if (!screen) return false;  // the renderer path has no off-screen shader pass
  return screen->drawOffscreen(image, w, h, crtProgram, out);
}

}  // namespace present
