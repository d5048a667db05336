#pragma once

// A search for the input that takes the game from where it is to a state in
// which a route condition holds.

#include <cstdint>
#include <optional>
#include <vector>

#include "app/autopilot/route.h"
#include "sim/simulation.h"

namespace app {

// The most nodes a search creates before it gives up.
constexpr std::size_t kSearchNodeLimit = 400000;

// Cheapest-first over twelve short moves played on the real simulation; states
// that lose a life, too much energy, end the game or leave the allowed rooms
// (the via rooms, the start room and those the condition names) are dropped.
// The input bytes from the current state to the first state found in which
// `cond` holds, or nothing (after a "search:" line on standard output). The
// simulation is left as it was found. The last argument is not used.
std::optional<std::vector<std::uint8_t>> searchReach(sim::Simulation& simulation, const Cond& cond,
                                                     const std::vector<int>& via, int);

// What the last search did, for the benchmark.
struct SearchStats {
  std::size_t created = 0;   // nodes, the root included
  std::size_t expanded = 0;  // nodes whose twelve moves were played
};
const SearchStats& lastSearchStats();

}  // namespace app
