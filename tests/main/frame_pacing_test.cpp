// Frame pacing on a clock of the test's own, for swaps that waited for the
// display and swaps that returned at once.

#include "program/frame_pacing.h"

#include <gtest/gtest.h>

namespace {

struct TestClock : game::FrameClock {
  double seconds() override { return now; }
  void sleep(double seconds) override { now += seconds; }
  double now = 100.0;
};

TEST(FramePacer, AFrameThatDidNotWaitForTheDisplaySleepsTheRestOfItsInterval) {
  const struct {
    double hz, frame, paced;  // the display, the frame's work and swap, a paced frame (seconds)
  } cases[] = {{60, 0.001, 1.0 / 60}, {144, 0.0005, 1.0 / 144}, {60, 1.0 / 60, 1.0 / 60}, {60, 0.7 / 60, 0.7 / 60}};
  for (const auto& c : cases) {
    TestClock clock;
    game::FramePacer pacer(clock);
    for (int frame = 0; frame < 10; ++frame) {
      clock.now += c.frame;
      pacer.frameDone(1.0 / c.hz);
    }
    EXPECT_NEAR(clock.now - 100.0, 10 * c.paced, 1e-9) << c.hz << " Hz, " << c.frame;
  }
}

}  // namespace
