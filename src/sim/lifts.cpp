// Lifts and the chandelier.
//
// For now the lifts never carry the hero and never move by themselves; the step
// order and the movement code that call these are final.

#include "sim/simulation.h"
#include "world/world.h"

namespace sim {

void Simulation::findLift() {
  GameState& s = state;
  s.currentLift = -1;
  for (std::size_t i = 0; i < s.lifts.size(); ++i) {
    const int room = s.lifts[i].room;
    if (room == s.room || (room == 30 && s.room == 29) || (room == 29 && s.room == 30)) {
      s.currentLift = static_cast<std::int32_t>(i);
      return;
    }
  }
}

bool Simulation::liftLand(int /*oldY*/) { return false; }

bool Simulation::liftStanding() { return false; }

void Simulation::autoLift() {}

void Simulation::chandelier() {}

}  // namespace sim
