#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/game/sim_clock.h"

namespace {

using app::SimClock;

TEST(SimClock, WholePeriodsBecomeTicks) {
  SimClock clock{};
  EXPECT_EQ(clock.advance(0.014268184801529549), 1u);
  EXPECT_EQ(clock.accumulator, 0.0);
  EXPECT_EQ(clock.ticks, 1u);

  // Half a period twice: nothing, then one tick.
  EXPECT_EQ(clock.advance(SimClock::kPeriod / 2), 0u);
  EXPECT_EQ(clock.advance(SimClock::kPeriod / 2), 1u);
  EXPECT_EQ(clock.ticks, 2u);

  // A frame of a 60 Hz display runs one or two ticks, 70 or so a second.
  SimClock display{};
  unsigned total = 0;
  for (int frame = 0; frame < 60; ++frame) {
    const unsigned n = display.advance(1.0 / 60);
    EXPECT_GE(n, 1u);
    EXPECT_LE(n, 2u);
    total += n;
  }
  EXPECT_EQ(total, 70u);
  EXPECT_EQ(display.ticks, 70u);
}

TEST(SimClock, AStallRunsAtMostEightTicksAndForgetsTheRest) {
  SimClock clock{};
  EXPECT_EQ(clock.advance(1.0), 8u);
  EXPECT_EQ(clock.ticks, 8u);
  EXPECT_NEAR(clock.accumulator, 1.0 - 70 * SimClock::kPeriod, 1e-12);
  EXPECT_LT(clock.accumulator, SimClock::kPeriod);
  // The dropped time is not made up later.
  EXPECT_EQ(clock.advance(0.0), 0u);

  // Hours asleep: still eight ticks, at once, and the clock goes on normally.
  SimClock asleep{};
  EXPECT_EQ(asleep.advance(5.0 * 3600.0), 8u);
  EXPECT_LT(asleep.accumulator, SimClock::kPeriod);
  EXPECT_GE(asleep.accumulator, 0.0);
  EXPECT_GE(asleep.advance(SimClock::kPeriod), 1u);
}

TEST(SimClock, NegativeOrUndefinedIntervalsCountAsNone) {
  SimClock clock{};
  clock.advance(SimClock::kPeriod / 2);
  const double before = clock.accumulator;
  EXPECT_EQ(clock.advance(-5.0), 0u);
  EXPECT_EQ(clock.accumulator, before);
  EXPECT_EQ(clock.advance(std::numeric_limits<double>::quiet_NaN()), 0u);
  EXPECT_EQ(clock.advance(std::numeric_limits<double>::infinity()), 0u);
  EXPECT_EQ(clock.accumulator, before);
  EXPECT_EQ(clock.ticks, 0u);
  // Still counting afterwards.
  EXPECT_EQ(clock.advance(SimClock::kPeriod / 2), 1u);
}

}  // namespace
