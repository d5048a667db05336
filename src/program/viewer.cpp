// The room viewer: browse the world's rooms and tile screens in a window.

#include <SDL.h>

#include <cstddef>
#include <string>

#include "app/game/sim_clock.h"
#include "core/log.h"
#include "frame_pacing.h"
#include "modes.h"
#include "present/presenter.h"
#include "render/framebuffer.h"
#include "render/rgba.h"

namespace {

constexpr Uint16 kAltMask = KMOD_LALT | KMOD_RALT;

// Which picture the viewer shows; the last two rooms of the list are left out
// of browsing.
struct ViewerState {
  std::size_t room = 2;
  std::string screen;
  std::size_t browsable = 0;

  void next() {
    if (browsable == 0) return;
    room = (room + 1) % browsable;
    screen.clear();
  }
  void previous() {
    if (browsable == 0) return;
    room = (room + browsable - 1) % browsable;
    screen.clear();
  }
};

render::Framebuffer drawView(const Data& data, const ViewerState& view) {
  render::Framebuffer fb;
  const auto screen = view.screen.empty() ? data.world.screens.end() : data.world.screens.find(view.screen);
  if (screen != data.world.screens.end())
    render::drawScreen(fb, data.tiles, data.world, screen->second);
  else if (view.room < data.world.rooms.size())
    render::drawRoom(fb, data.tiles, data.world.rooms[view.room], render::kPlayAreaTop);
  return fb;
}

}  // namespace

int runViewer(const Data& data, int quitAfterFrames) {
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    core::log(core::LogLevel::Error, "SDL_Init: %s", SDL_GetError());
    return 1;
  }
  int result = 0;
  {
    present::Presenter presenter;
    if (!presenter.open("Quillhaven", 960, 600, false)) {
      result = 1;
    } else {
      ViewerState view;
      // Fewer than three rooms leave nothing to browse; the viewer then shows black.
      view.browsable = data.world.rooms.size() > 2 ? data.world.rooms.size() - 2 : 0;
      app::SimClock clock{};
      game::FramePacer pacer(game::systemFrameClock());
      Uint64 last = SDL_GetPerformanceCounter();
      const double frequency = static_cast<double>(SDL_GetPerformanceFrequency());
      bool running = true;
      for (int frames = 0; running; ++frames) {
        if (quitAfterFrames > 0 && frames >= quitAfterFrames) break;
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
          if (e.type == SDL_QUIT) running = false;
          if (e.type != SDL_KEYDOWN) continue;
          switch (e.key.keysym.sym) {
            case SDLK_ESCAPE:
              running = false;
              break;
            case SDLK_HOME:
              view.screen = "title";
              break;
            case SDLK_END:
              view.screen = "end";
              break;
            case SDLK_RIGHT:
              view.next();
              break;
            case SDLK_LEFT:
              view.previous();
              break;
            case SDLK_F11:
              presenter.toggleFullscreen();
              break;
            case SDLK_RETURN:
              if (e.key.keysym.mod & kAltMask) presenter.toggleFullscreen();
              break;
            default:
              break;
          }
        }
        // Nothing is simulated here; the clock only keeps the viewer's time like the game's.
        const Uint64 now = SDL_GetPerformanceCounter();
        clock.advance(static_cast<double>(now - last) / frequency);
        last = now;
        presenter.present(render::toRgba(drawView(data, view), data.palette));
        pacer.frameDone(presenter.refreshInterval());
      }
    }
  }
  SDL_Quit();
  return result;
}
