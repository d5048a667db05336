#pragma once

#include <cstdint>

namespace app {

// Turns the wall-clock time between presented frames into whole simulation
// ticks at the DOS game's 70.086 ticks per second. A plain value.
struct SimClock {
  static constexpr double kPeriod = 0.014268184801529549;  // 1 / 70.086 s
  static constexpr unsigned kMaxTicks = 8;

  double accumulator = 0.0;  // seconds not yet turned into ticks
  std::uint64_t ticks = 0;   // ticks handed out so far

  // The ticks to run now, 0 to kMaxTicks. Time owed beyond that is dropped, so
  // that after a stall the game does not race to catch up.
  unsigned advance(double dt);
};

}  // namespace app
