#pragma once

// A small world made in code for the autopilot and its search:
//   room 0, the start (hero at x 100): a wall on the left, the object 0 lying
//     at x 160, a touch box at x 32 that adds a point to the score once (flag
//     7); open to room 1 on the right. With the sting, a low touch box at x 136
//     to 151 takes energy while the hero stands in it, and he can jump over it;
//     without, a low ceiling keeps his jumps small (and the searches short);
//   room 1: takes energy every other step while the hero is in it; a wall on the
//     right; the object 1 at x 40; open to room 0 on the left;
//   room 2: never reached.

#include <memory>
#include <string>
#include <vector>

#include "app/route.h"
#include "sim/sim_fixture.h"

namespace autopilot_test {

constexpr int kScoreEntity = 0;   // the touch box at x 32
constexpr int kStingEntity = 1;   // the low box that takes energy
constexpr int kObject = 0;

struct AutopilotWorld : simtest::TestWorld {
  explicit AutopilotWorld(bool sting = false) : TestWorld(3) {
    using namespace simtest;
    for (int row = 0; row < 8; ++row) {
      tile(0, row, 0, kSolid);
      tile(1, row, 19, kSolid);
    }
    for (int col = 0; col < world::kRoomCols && !sting; ++col) {
      tile(0, 5, col, kSolid);
      tile(1, 5, col, kSolid);
    }

    exits(0, {}, {}, {}, toRoom(1));
    exits(1, {}, {}, toRoom(0), {});
    world.scripts = {
        touch("Score", 0, 0, 2, 2),
        code("Point", {op("jflag", {7, "Had"}), op("setflag", {7}), op("score"), op("label", {"Had"}), op("end")}),
        touch("Sting", 0, 0, 2, 1),
        code("Hurt", {op("native", {"take_energy"}), op("end")}),
        code("Drain", {op("native", {"take_energy"}), op("wait", {1}), op("jmp", {"Drain"})}),
    };
    world.entities = {entity(0, 32, 128, "", "", "Score"), entity(sting ? 0 : 2, 136, 144, "", "", "Sting"),
                      entity(1, 0, 0, "Drain")};
    world::Object o;
    o.id = 5;
    o.room = 0;
    o.x = 160;
    o.y = 144;
    world::Object far = o;
    far.id = 6;
    far.room = 1;
    far.x = 40;
    world.objects = {o, far};
    program = sim::compileScripts(world);
  }

  std::unique_ptr<sim::Simulation> newGame() const {
    auto s = std::make_unique<sim::Simulation>(content, *program);
    s->newGame();
    s->state.armed = 0xEF;
    app::gProgram = &*program;
    return s;
  }

  std::optional<sim::ScriptProgram> program;
};

}  // namespace autopilot_test
