#pragma once

// Internal to the trace replay: which bytes of the DOS data segment hold which
// member of the game state, used to compare a state with a snapshot, to load a
// snapshot into a state and to write poked bytes into a state.

#include <cstdint>
#include <string>
#include <vector>

#include "app/trace/trace_folder.h"
#include "sim/game_state.h"
#include "sim/script_program.h"

namespace world {
struct World;
}

namespace app::trace {

// One compared group: the simulation's values and the DOS game's.
struct Field {
  std::string name;
  std::vector<std::int64_t> port;
  std::vector<std::int64_t> original;

  bool differs() const { return port != original; }
};

// Always the 39 groups, in their fixed order.
std::vector<Field> compare(const sim::GameState& state, const sim::ScriptProgram& program, const Dgroup& snapshot);

// Replaces `state` by the snapshot's game. Empty on success, else the reason.
std::string loadSnapshot(const Dgroup& snapshot, const world::World& world, const sim::ScriptProgram& program,
                         sim::GameState& state);

// Why the records that a comparison of `state` reads through the snapshot's own
// pointers would lie past its end, or empty when they all lie inside it.
std::string recordsOutside(const Dgroup& snapshot, const sim::GameState& state);

// Writes the bytes of a poke at data-segment offset `address` on. Empty on
// success, else the reason; bytes before a failing one stay written.
std::string pokeBytes(sim::GameState& state, std::uint64_t address, const std::vector<std::uint8_t>& bytes);

// One value as its number, otherwise "[a b c]".
std::string listText(const std::vector<std::int64_t>& values);

// The line that reports a differing group (without indentation).
std::string differenceLine(const Field& field);

sim::ActorState readActor(const Dgroup& snapshot, std::size_t offset);
std::vector<std::int64_t> actorBytes(const sim::ActorState& actor);

}  // namespace app::trace
