#pragma once

// Frames held to the display's pace on what the clock says, for the game loop
// and the room viewer.

namespace game {

// The time and the sleep that pacing works with: the program's are SDL's
// performance counter and SDL_Delay (systemFrameClock).
class FrameClock {
 public:
  virtual ~FrameClock() = default;
  virtual double seconds() = 0;
  virtual void sleep(double seconds) = 0;
};

FrameClock& systemFrameClock();

// A presenter's word that it waited for the display is not proof: a swap with
// vsync on can return at once (an occluded or minimised window on some
// systems), and a loop that trusted it would spin a core and race the menu's
// held-key repeat, which counts frames. So every frame is timed from the end
// of the one before: one that took much less than the display's refresh
// interval did not wait, and sleeps the rest of it. A frame near the interval
// is left alone, as a sleep there could miss the next refresh.
class FramePacer {
 public:
  explicit FramePacer(FrameClock& clock);
  // Called once a frame, after presenting it.
  void frameDone(double refreshInterval);

 private:
  FrameClock& clock_;
  double frameStart_;
};

}  // namespace game
