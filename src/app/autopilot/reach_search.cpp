#include "app/autopilot/reach_search.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <queue>
#include <utility>

namespace app {

namespace {

// A short input pattern; with a hold byte, that byte is held afterwards until
// the hero is on the ground (at most 80 steps).
struct Macro {
  std::vector<std::uint8_t> bytes;
  int hold = -1;  // -1 none
};

const Macro kMacros[] = {
    {{8, 8, 8, 8}}, {{4, 4, 4, 4}}, {{0, 0, 0, 0}}, {{8}}, {{4}}, {{1}, 0},
    {{9, 9}, 8},    {{5, 5}, 4},    {{0}},          {{1}}, {{9}}, {{5}},
};
constexpr int kMaxHoldSteps = 80;
constexpr int kDefaultEnergyLoss = 10;
constexpr int kLowLossWeight = 64;
constexpr std::uint8_t kStateDying = 22;

SearchStats gStats;

// What the condition asks of the search beyond the goal itself.
struct Settings {
  std::vector<int> rooms;  // allowed rooms
  std::int64_t energyFloor = 0;  // a maxloss of any 32-bit value, negative too, cannot overflow it
  bool lowLoss = false;
  int lives = 0;
};

Settings settingsFor(const Cond& cond, const std::vector<int>& via, const sim::GameState& start) {
  Settings s;
  s.rooms = via;
  s.rooms.push_back(start.room);
  int loss = kDefaultEnergyLoss;
  bool maxLossGiven = false;
  for (const Term& t : cond) {
    if (t.name == "keep" && !maxLossGiven) loss = 0;
    if (t.name == "maxloss") {
      loss = t.value;
      maxLossGiven = true;
    }
    if (t.name == "lowloss") s.lowLoss = true;
    if (t.negated) continue;
    if (t.name == "room" && t.op == "=") s.rooms.push_back(t.value);
    if (t.name == "touch" && gProgram != nullptr && t.value >= 0 &&
        static_cast<std::size_t>(t.value) < gProgram->entities.size()) {
      s.rooms.push_back(gProgram->entities[static_cast<std::size_t>(t.value)].room);
    }
    if (t.name == "near" && t.value >= 0 && static_cast<std::size_t>(t.value) < start.objects.size()) {
      s.rooms.push_back(start.objects[static_cast<std::size_t>(t.value)].room);
    }
  }
  s.energyFloor = std::int64_t{start.energy} - loss;
  s.lives = start.lives;
  return s;
}

std::uint64_t signature(const sim::GameState& s, bool lowLoss) {
  using U = std::uint64_t;
  U sig = U{s.room} << 56 | U{static_cast<std::uint16_t>(s.x)} << 40 | U{static_cast<std::uint16_t>(s.y)} << 24 |
          U{static_cast<std::uint8_t>(s.vy)} << 16 | U{s.state} << 8;
  sig ^= s.onGround;
  if (s.state == 4 || s.state == 5 || s.state == 10 || s.state == 11) sig ^= U{s.counter} * 2;
  if (lowLoss) sig ^= U{s.energy} << 50;
  return sig;
}

// The signatures seen so far: open addressing in a power-of-two table, which
// the search fills far faster than a node-based set.
class SignatureSet {
 public:
  SignatureSet() : slots_(1u << 16, kEmpty) {}

  // False when the signature was already there.
  bool insert(std::uint64_t sig) {
    if (sig == kEmpty) {
      if (hasEmpty_) return false;
      hasEmpty_ = true;
      return true;
    }
    if ((count_ + 1) * 2 > slots_.size()) grow();
    if (!place(slots_, sig)) return false;
    ++count_;
    return true;
  }

 private:
  static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};

  static bool place(std::vector<std::uint64_t>& slots, std::uint64_t sig) {
    const std::size_t mask = slots.size() - 1;
    // Multiplying carries every bit of the signature up into the top bits.
    const std::uint64_t h = (sig * 0x9E3779B97F4A7C15ull) >> 32;
    for (std::size_t i = static_cast<std::size_t>(h ^ (h >> 16)) & mask;; i = (i + 1) & mask) {
      if (slots[i] == sig) return false;
      if (slots[i] == kEmpty) {
        slots[i] = sig;
        return true;
      }
    }
  }

  void grow() {
    std::vector<std::uint64_t> bigger(slots_.size() * 2, kEmpty);
    for (std::uint64_t sig : slots_) {
      if (sig != kEmpty) place(bigger, sig);
    }
    slots_.swap(bigger);
  }

  std::vector<std::uint64_t> slots_;
  std::size_t count_ = 0;
  bool hasEmpty_ = false;
};

enum class Outcome { Pruned, Goal, Ended };

class MacroPlayer {
 public:
  MacroPlayer(sim::Simulation& simulation, const Cond& cond, const Settings& settings)
      : sim_(simulation), goal_(cond), settings_(settings) {}

  Outcome play(const sim::GameState& from, const Macro& macro, std::vector<std::uint8_t>& bytes) {
    sim_.state = from;
    sim_.error.clear();
    bytes.clear();
    Outcome last = Outcome::Ended;
    for (std::uint8_t b : macro.bytes) {
      last = step(b, bytes);
      if (last != Outcome::Ended) return last;
    }
    if (macro.hold < 0) return last;
    for (int i = 0; i < kMaxHoldSteps && sim_.state.onGround == 0; ++i) {
      last = step(static_cast<std::uint8_t>(macro.hold), bytes);
      if (last != Outcome::Ended) return last;
    }
    return last;
  }

 private:
  Outcome step(std::uint8_t input, std::vector<std::uint8_t>& bytes) {
    sim_.beginStep(input);
    sim_.endStep();
    sim_.ops.clear();
    bytes.push_back(input);
    const sim::GameState& s = sim_.state;
    if (!sim_.error.empty() || s.state == kStateDying || s.lives != settings_.lives ||
        s.energy < settings_.energyFloor || s.endCode != 0 ||
        std::find(settings_.rooms.begin(), settings_.rooms.end(), s.room) == settings_.rooms.end()) {
      return Outcome::Pruned;
    }
    return goal_(s) ? Outcome::Goal : Outcome::Ended;
  }

  sim::Simulation& sim_;
  const CondTest goal_;
  const Settings& settings_;
};

struct Node {
  std::unique_ptr<sim::GameState> state;  // kept only until the node is expanded
  int parent = -1;
  std::vector<std::uint8_t> keys;  // from the parent's state to this one
  int cost = 0;
};

}  // namespace

const SearchStats& lastSearchStats() { return gStats; }

std::optional<std::vector<std::uint8_t>> searchReach(sim::Simulation& simulation, const Cond& cond,
                                                     const std::vector<int>& via, int) {
  const sim::GameState start = simulation.state;
  const bool alive = simulation.alive;
  const std::string error = simulation.error;
  const std::vector<sim::PageOp> ops = simulation.ops;
  const Settings settings = settingsFor(cond, via, start);
  MacroPlayer player(simulation, cond, settings);

  using Entry = std::pair<int, int>;  // cost, node index: the smaller first on both
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
  SignatureSet seen;
  std::vector<Node> nodes;
  nodes.push_back(Node{std::make_unique<sim::GameState>(start), -1, {}, 0});
  open.push({0, 0});
  seen.insert(signature(start, settings.lowLoss));
  gStats = SearchStats{};

  bool found = false;
  int goalParent = -1;
  std::vector<std::uint8_t> goalBytes;
  std::vector<std::uint8_t> bytes;
  while (!open.empty() && nodes.size() < kSearchNodeLimit && !found) {
    const int index = open.top().second;
    open.pop();
    const std::unique_ptr<sim::GameState> from = std::move(nodes[static_cast<std::size_t>(index)].state);
    const int cost = nodes[static_cast<std::size_t>(index)].cost;
    ++gStats.expanded;
    for (const Macro& macro : kMacros) {
      const Outcome outcome = player.play(*from, macro, bytes);
      if (outcome == Outcome::Pruned) continue;
      if (outcome == Outcome::Goal) {
        found = true;
        goalParent = index;
        goalBytes = bytes;
        break;
      }
      if (!seen.insert(signature(simulation.state, settings.lowLoss))) continue;
      int next = cost + static_cast<int>(bytes.size());
      if (settings.lowLoss) next += kLowLossWeight * (from->energy - simulation.state.energy);
      nodes.push_back(Node{std::make_unique<sim::GameState>(simulation.state), index, bytes, next});
      open.push({next, static_cast<int>(nodes.size()) - 1});
    }
  }
  gStats.created = nodes.size();

  simulation.state = start;
  simulation.error = error;
  simulation.alive = alive;
  simulation.ops = ops;

  if (!found) {
    std::printf("  search: %zu states, %s\n", nodes.size(),
                open.empty() ? "all reachable states tried" : "node limit reached");
    return std::nullopt;
  }
  std::vector<std::uint8_t> path = goalBytes;
  for (int i = goalParent; i > 0; i = nodes[static_cast<std::size_t>(i)].parent) {
    const auto& keys = nodes[static_cast<std::size_t>(i)].keys;
    path.insert(path.begin(), keys.begin(), keys.end());
  }
  return path;
}

}  // namespace app
