// The autopilot's reach search on the shipped world: how many nodes it expands
// per second on the goals of a route, and the time and peak memory of a search
// that runs into the node limit.

#include <sys/resource.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/autopilot/reach_search.h"
#include "app/autopilot/route.h"
#include "bench.h"
#include "data/shipped_data.h"
#include "sim/simulation.h"
#include "world/world.h"

namespace {

// A new game of the shipped world in simulation; false, after a line that
// says so, when the shipped data set does not load.
bool startShipped(std::optional<sim::Simulation>& simulation) {
  const data_test::Shipped& data = data_test::shipped();
  if (!data.complete()) {
    std::printf("no shipped world\n");
    return false;
  }
  app::gProgram = &*data.program;
  simulation.emplace(data.content, *data.program);
  simulation->newGame();
  return true;
}

// Peak resident memory of the process so far, in MiB.
double peakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
#if defined(__APPLE__)
  return static_cast<double>(usage.ru_maxrss) / (1024.0 * 1024.0);
#else
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
#endif
}

app::Cond cond(const char* text) {
  app::Cond c;
  std::string error;
  app::parseCond(text, c, error);
  return c;
}

// The hero dropped into a room as if he had just come in, and left to land.
bool placeHero(sim::Simulation& simulation, int room, int x, int y) {
  auto& s = simulation.state;
  s.room = static_cast<std::uint8_t>(room);
  s.roomAtStart = s.checkpointRoom = s.room;
  s.x = s.checkpointX = static_cast<std::int16_t>(x);
  s.y = s.checkpointY = static_cast<std::int16_t>(y);
  s.enterPending = 1;
  for (int i = 0; i < 200; ++i) {
    simulation.beginStep(0);
    simulation.endStep();
    simulation.ops.clear();
  }
  return simulation.error.empty() && s.room == room && s.state == 1;
}

// Processor time of the process so far: on a busy machine a fairer measure than the clock.
double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec) + static_cast<double>(usage.ru_utime.tv_usec) / 1e6;
}

// One search for a goal that never holds, from where the simulation stands
// and through the rooms given, timed by the clock and by the processor.
void timeSearch(const char* what, sim::Simulation& simulation, const std::vector<int>& rooms) {
  const double cpu = cpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  const bool found = app::searchReach(simulation, cond("x<-1000 and maxloss=255"), rooms, 0).has_value();
  const double seconds = bench::seconds(start);
  const double processor = cpuSeconds() - cpu;
  const auto& stats = app::lastSearchStats();
  std::printf("%s: %s, %zu nodes, %zu expanded in %.2f s (%.2f s of processor time): %.0f expanded per second; "
              "peak memory %.0f MiB\n",
              what, found ? "found" : "not found", stats.created, stats.expanded, seconds, processor,
              static_cast<double>(stats.expanded) / processor, peakMiB());
}

}  // namespace

// Every state of the new game's room tried.
TUMBOLD_BENCHMARK(search_speed) {
  std::optional<sim::Simulation> simulation;
  if (!startShipped(simulation)) return;
  timeSearch("the new game's room", *simulation, {});
}

// From the shipped room with the most states (about 85,000: no single room
// reaches the limit) with every room allowed, until the node limit.
TUMBOLD_BENCHMARK(search_limit) {
  std::optional<sim::Simulation> simulation;
  if (!startShipped(simulation)) return;
  if (!placeHero(*simulation, 4, 150, 40)) {
    std::printf("the hero does not land in room 4\n");
    return;
  }
  std::vector<int> rooms;
  for (std::size_t r = 0; r < data_test::shipped().world->rooms.size(); ++r) rooms.push_back(static_cast<int>(r));
  timeSearch("room 4 and beyond", *simulation, rooms);
}
