// Actors, balls and the mover.
//
// For now these behave as in a room without actors and without balls; the step
// order that calls them is final.

#include "sim/simulation.h"
#include "world/world.h"

namespace sim {

void Simulation::findActors() {
  GameState& s = state;
  s.firstActor = static_cast<std::int32_t>(s.actors.size());
  for (std::size_t i = 0; i < s.actors.size(); ++i) {
    if (s.actors[i].room == s.room) {
      s.firstActor = static_cast<std::int32_t>(i);
      return;
    }
  }
}

void Simulation::runRoomActors() {}

void Simulation::runPool2() {}

void Simulation::ballContact() {}

}  // namespace sim
