#include "frame_pacing.h"

#include <SDL.h>

namespace game {

namespace {

// Below this share of the refresh interval a frame cannot have waited for the display.
constexpr double kUnwaitedShare = 0.5;

class SdlFrameClock : public FrameClock {
 public:
  double seconds() override {
    return static_cast<double>(SDL_GetPerformanceCounter()) / static_cast<double>(SDL_GetPerformanceFrequency());
  }
  void sleep(double seconds) override { SDL_Delay(static_cast<Uint32>(seconds * 1000.0)); }
};

}  // namespace

FrameClock& systemFrameClock() {
  static SdlFrameClock clock;
  return clock;
}

FramePacer::FramePacer(FrameClock& clock) : clock_(clock), frameStart_(clock.seconds()) {}

void FramePacer::frameDone(double refreshInterval) {
  const double took = clock_.seconds() - frameStart_;
  if (took < refreshInterval * kUnwaitedShare) clock_.sleep(refreshInterval - took);
  frameStart_ = clock_.seconds();
}

}  // namespace game
