#include "app/game/sim_clock.h"

#include <algorithm>
#include <cmath>

namespace app {

namespace {

// Beyond this much owed time the dropped periods are taken off in one go: a
// machine waking from sleep can hand over hours, which would otherwise cost
// billions of subtractions.
constexpr double kLongStall = 4096 * SimClock::kPeriod;

}  // namespace

unsigned SimClock::advance(double dt) {
  // A negative, undefined or infinite interval counts as none; an undefined
  // one would otherwise poison the accumulator for good.
  if (!(dt > 0.0) || !std::isfinite(dt)) dt = 0.0;
  accumulator += dt;
  unsigned count = 0;
  if (accumulator >= kLongStall) {
    accumulator = std::fmod(accumulator, kPeriod);
    count = kMaxTicks;
  }
  while (accumulator >= kPeriod) {
    accumulator -= kPeriod;
    ++count;
  }
  const unsigned run = std::min(count, kMaxTicks);
  ticks += run;
  return run;
}

}  // namespace app
