#pragma once

// A small world made in code for the autopilot and its search, two short
// corridors side by side:
//   room 0, the start (hero at x 200): a wall up to x 175, the object 0 lying at
//     x 288, a touch box at x 184 that adds a point to the score once (flag 7);
//     open to room 1 on the right; with the sting, a low touch box at x 232 to
//     247 that takes energy while the hero stands in it (he can jump over it);
//   room 1: takes energy every other step while the hero is in it; a wall from
//     x 112; the object 1 at x 40; open to room 0 on the left;
//   room 2: never reached.

#include <memory>
#include <string>
#include <vector>

#include "app/autopilot/route.h"
#include "sim/sim_fixture.h"

namespace autopilot_test {

constexpr int kScoreEntity = 0;   // the touch box at x 184
constexpr int kStingEntity = 1;   // the low box that takes energy
constexpr int kObject = 0;

struct AutopilotWorld : simtest::TestWorld {
  explicit AutopilotWorld(bool sting = false) : TestWorld(3) {
    using namespace simtest;
    for (int row = 0; row < 8; ++row) {
      for (int col = 0; col < 11; ++col) tile(0, row, col, kSolid);
      for (int col = 7; col < world::kRoomCols; ++col) tile(1, row, col, kSolid);
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
    world.entities = {entity(0, 184, 128, "", "", "Score"), entity(sting ? 0 : 2, 232, 144, "", "", "Sting"),
                      entity(1, 0, 0, "Drain")};
    world::Object o;
    o.id = 5;
    o.room = 0;
    o.x = 288;
    o.y = 144;
    world::Object far = o;
    far.id = 6;
    far.room = 1;
    far.x = 40;
    world.objects = {o, far};
    world.newGameX = 200;
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
