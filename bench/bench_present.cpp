// One presented frame on the OpenGL path: the picture's upload, the CRT or
// sharp program over the whole window, and the buffer swap. Needs an X
// display with OpenGL 3.2; with Mesa's software renderer under Xvfb this is
// the slowest machine a player could have:
//   xvfb-run -s '-screen 0 1920x1200x24' build/tumbold_bench present

#include <SDL.h>
#include <SDL_opengl.h>

#include <chrono>
#include <cstdio>

#include "bench.h"
#include "present/presenter.h"

namespace {

render::RgbaImage gamePicture() {
  render::RgbaImage img;
  img.width = 348;
  img.height = 240;
  std::uint32_t state = 1;
  for (int i = 0; i < img.width * img.height; ++i) {
    state = state * 1103515245u + 12345u;
    img.pixels.push_back(0xFF000000u | (state >> 8));
  }
  return img;
}

}  // namespace

TUMBOLD_BENCHMARK(present_gl_frame) {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::printf("no video: %s\n", SDL_GetError());
    return;
  }
  render::RgbaImage picture = gamePicture();
  const struct {
    int w, h;
  } sizes[] = {{1044, 720}, {1920, 1080}};
  for (const auto& size : sizes) {
    present::Presenter presenter;
    if (!presenter.open("bench", size.w, size.h, false) || !presenter.screen) {
      std::printf("no OpenGL 3.2 screen: run under an X server with OpenGL (see bench_present.cpp)\n");
      break;
    }
    for (const bool crt : {true, false}) {
      presenter.crt = crt;
      for (int i = 0; i < 10; ++i) presenter.present(picture);
      const int frames = 200;
      const auto start = std::chrono::steady_clock::now();
      for (int i = 0; i < frames; ++i) {
        picture.pixels[static_cast<std::size_t>(i)] ^= 0x00FFFFFFu;  // a new picture every frame
        presenter.present(picture);
      }
      const double perFrame = bench::seconds(start) / frames;

      // The same frame in two halves: drawing (finished), then the swap alone.
      using Finish = void(APIENTRY*)();
      const auto finish = reinterpret_cast<Finish>(SDL_GL_GetProcAddress("glFinish"));
      double drawing = 0;
      double swapping = 0;
      for (int i = 0; i < frames && finish; ++i) {
        picture.pixels[static_cast<std::size_t>(i)] ^= 0x00FFFFFFu;
        const auto t0 = std::chrono::steady_clock::now();
        presenter.screen->draw(picture, size.w, size.h, 0, 0, size.w, size.h, crt);
        finish();
        const auto t1 = std::chrono::steady_clock::now();
        SDL_GL_SwapWindow(presenter.window);
        finish();
        drawing += std::chrono::duration<double>(t1 - t0).count();
        swapping += bench::seconds(t1);
      }
      std::printf("present %dx%d through the %s program: %.2f ms per frame (drawing %.2f ms, swap %.2f ms; "
                  "%d frames; one display frame is 16.7 ms)\n",
                  size.w, size.h, crt ? "CRT" : "sharp", perFrame * 1000.0, drawing * 1000.0 / frames,
                  swapping * 1000.0 / frames, frames);
    }
  }
  SDL_Quit();
}
