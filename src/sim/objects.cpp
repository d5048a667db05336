// Touch scripts, objects within reach and the fire action.
//
// For now the touch scripts and the fire action behave as in a room where the
// hero touches nothing and has nothing to pick up or drop; the step order that
// calls them is final.

#include "sim/simulation.h"
#include "world/world.h"

namespace sim {

void Simulation::runTouchScripts() {}

int Simulation::nearObject() const {
  const GameState& s = state;
  for (int i = static_cast<int>(s.objects.size()) - 1; i >= 0; --i) {
    const ObjectState& o = s.objects[static_cast<std::size_t>(i)];
    if (o.room != s.room || o.id > 77) continue;
    const int dx = o.x8 * 8 - s.x + 11;
    const int dy = o.y - s.y + 11;
    if (dx >= 0 && dx <= 46 && dy >= 0 && dy <= 34) return i;
  }
  return -1;
}

void Simulation::fire() {
  GameState& s = state;
  if (s.state > 8 || !(s.pressed & kInputFire)) return;
  s.armed = static_cast<std::uint8_t>(s.armed & ~kInputFire);
}

}  // namespace sim
