#pragma once

#include <cstdint>

namespace sim {

// The most steps of input, one byte a step since a new game, that the program
// keeps in a file or plays from one: a saved game, a steps file, one hold or
// wait of a route. 2^24 steps are about 66 hours of play, more than any player
// or route reaches, and bound what a damaged file can make a reader allocate or
// replay. A history beyond it is never written, since no reader would take it.
constexpr std::uint64_t kMaxHistorySteps = std::uint64_t{1} << 24;

}  // namespace sim
