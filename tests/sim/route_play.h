#pragma once

// Play of the shipped world from recorded input: the data set loaded from the
// repository, the recording format (run-length "count byte" lines), and a small
// route finder that turns goals ("stand in room 34", "press fire") into input
// bytes by searching over short macro moves.

#include <array>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "assets/palette.h"
#include "assets/tile_set.h"
#include "sim/content.h"
#include "sim/script_program.h"
#include "sim/simulation.h"
#include "world/world.h"

namespace route {

inline const std::filesystem::path kRoot = TUMBOLD_SOURCE_DIR;
inline const std::filesystem::path kRecordings = kRoot / "tests" / "sim" / "data";

struct ShippedWorld {
  std::optional<assets::TileSet> tiles = assets::loadTileSet(kRoot / "assets" / "graphics");
  std::optional<world::World> world = world::loadWorld(kRoot / "world" / "world.json");
  std::optional<assets::Palette> palette = assets::loadPalette(kRoot / "assets" / "palettes" / "vga.json");
  std::optional<sim::ScriptProgram> program = world ? sim::compileScripts(*world) : std::nullopt;
  sim::Content content;

  ShippedWorld() {
    if (!tiles || !world || !palette) return;
    content.world = &*world;
    content.attributes = tiles->attributes;
    content.collisionTiles = static_cast<std::uint32_t>(tiles->collisionTiles);
    for (int c = 0; c < 16; ++c) {
      for (int k = 0; k < 3; ++k) content.palette[static_cast<std::size_t>(3 * c + k)] = (*palette)[static_cast<std::size_t>(c)][static_cast<std::size_t>(k)];
    }
  }
  bool complete() const { return tiles && world && palette && program; }
};

inline const ShippedWorld& shipped() {
  static const ShippedWorld data;
  return data;
}

// Recording text: lines "count byte"; '#' starts a comment.
inline std::optional<std::vector<std::uint8_t>> parseRecording(const std::string& text) {
  std::vector<std::uint8_t> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const auto hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream fields(line);
    long count = 0;
    long value = 0;
    if (!(fields >> count)) continue;
    if (!(fields >> value) || count < 1 || value < 0 || value > 255) return std::nullopt;
    out.insert(out.end(), static_cast<std::size_t>(count), static_cast<std::uint8_t>(value));
  }
  return out;
}

inline std::string formatRecording(const std::vector<std::uint8_t>& inputs, const std::string& comment) {
  std::ostringstream out;
  out << "# " << comment << "\n# one line per run of equal input bytes: count byte\n";
  for (std::size_t i = 0; i < inputs.size();) {
    std::size_t j = i;
    while (j < inputs.size() && inputs[j] == inputs[i]) ++j;
    out << (j - i) << ' ' << static_cast<int>(inputs[i]) << '\n';
    i = j;
  }
  return out.str();
}

// A game on the shipped world that remembers every input byte it was given.
class Player {
 public:
  Player() : sim_(shipped().content, *shipped().program) { sim_.newGame(); }

  sim::GameState& state() { return sim_.state; }
  const sim::GameState& state() const { return sim_.state; }
  const std::string& error() const { return sim_.error; }
  const sim::Simulation& simulation() const { return sim_; }
  const std::vector<std::uint8_t>& inputs() const { return inputs_; }
  bool stopped() const { return !sim_.error.empty() || sim_.state.endCode != 0; }

  // One step; false once the simulation stopped or the game ended.
  bool step(std::uint8_t input) {
    if (stopped()) return false;
    inputs_.push_back(input);
    const bool ok = sim_.beginStep(input) && sim_.endStep();
    sim_.ops.clear();
    trace_.push_back(fingerprint(sim_.state));
    return ok && sim_.state.endCode == 0;
  }
  bool steps(std::uint8_t input, int n) {
    for (int i = 0; i < n; ++i) {
      if (!step(input)) return false;
    }
    return true;
  }
  // Resting: standing, on the ground, and not moved in the last two steps.
  bool settle(int budget = 400) {
    int still = 0;
    for (int i = 0; i < budget; ++i) {
      const auto before = std::make_tuple(sim_.state.room, sim_.state.x, sim_.state.y);
      if (!step(0)) return false;
      const auto after = std::make_tuple(sim_.state.room, sim_.state.x, sim_.state.y);
      still = (before == after && sim_.state.state == 1 && sim_.state.onGround) ? still + 1 : 0;
      if (still >= 2) return true;
    }
    return false;
  }
  // Snapshot and restore for the search.
  struct Mark {
    sim::GameState state;
    std::size_t inputs = 0;
  };
  Mark mark() const { return Mark{sim_.state, inputs_.size()}; }
  void restore(const Mark& m) {
    sim_.state = m.state;
    sim_.error.clear();
    inputs_.resize(m.inputs);
    trace_.resize(m.inputs);
  }
  // Enough of a state to notice a replay going another way.
  using Fingerprint = std::tuple<int, int, int, int, int, int, std::array<std::uint8_t, 3>>;
  static Fingerprint fingerprint(const sim::GameState& s) {
    return Fingerprint{s.room, s.x, s.y, s.state, s.energy, s.frameCounter, s.rng};
  }
  const std::vector<Fingerprint>& trace() const { return trace_; }

 private:
  sim::Simulation sim_;
  std::vector<std::uint8_t> inputs_;
  std::vector<Fingerprint> trace_;
};

// Macro moves from a resting hero: walks of several lengths, jumps to either
// side held for several lengths, a jump straight up, each followed by a rest.
struct Move {
  std::uint8_t input;
  int hold;
  std::uint8_t then = 0;  // a second input held after the first, for turns in the air
  int thenHold = 0;
};

inline const std::vector<Move>& moves() {
  static const std::vector<Move> list = {
      {4, 4},   {4, 10},  {4, 24},  {4, 60},  {8, 4},   {8, 10},  {8, 24},  {8, 60},
      {5, 3},   {5, 8},   {5, 16},  {5, 40},  {9, 3},   {9, 8},   {9, 16},  {9, 40},
      {1, 2},   {2, 2},   {8, 8, 4, 30}, {4, 8, 8, 30}, {9, 12, 4, 30}, {5, 12, 8, 30},
      {8, 16, 4, 30}, {4, 16, 8, 30},
  };
  return list;
}

// Breadth-first search over macro moves until `goal` holds for a resting hero.
// Moves that cost energy, a life or stop the game are not taken unless `hurtOk`.
// On success the player stands at the goal with the inputs of the path appended
// (replayed from the start, so the recording holds exactly what was searched).
inline bool search(Player& p, const std::function<bool(const sim::GameState&)>& goal, bool hurtOk = false,
                   int maxNodes = 6000, std::vector<int>* roomsSeen = nullptr, int onlyRoom = -1) {
  if (!p.settle()) return false;
  if (goal(p.state())) return true;
  const Player::Mark start = p.mark();
  struct Node {
    sim::GameState state;
    int parent;
    std::vector<std::uint8_t> path;  // inputs from the parent to here
  };
  using Key = std::tuple<int, int, int, int>;
  const auto key = [](const sim::GameState& s) {
    int carried = 0;
    for (int c : s.carried) carried = carried * 97 + c + 1;
    return Key{s.room, s.x, s.y, carried};
  };
  std::map<Key, bool> seen;
  std::vector<Node> nodes;
  nodes.push_back(Node{p.state(), -1, {}});
  seen[key(p.state())] = true;
  const auto finish = [&](int index) {
    std::vector<std::uint8_t> inputs;
    for (int i = index; i > 0; i = nodes[static_cast<std::size_t>(i)].parent) {
      const auto& path = nodes[static_cast<std::size_t>(i)].path;
      inputs.insert(inputs.begin(), path.begin(), path.end());
    }
    p.restore(start);
    for (std::uint8_t input : inputs) p.step(input);
  };
  for (std::size_t next = 0; next < nodes.size() && static_cast<int>(next) < maxNodes; ++next) {
    for (const Move& m : moves()) {
      const Player::Mark from{nodes[next].state, start.inputs};
      p.restore(from);
      const int energy = p.state().energy;
      const int lives = p.state().lives;
      if (!p.steps(m.input, m.hold) || !p.steps(m.then, m.thenHold) || !p.settle()) continue;
      if (!hurtOk && (p.state().energy < energy || p.state().lives != lives)) continue;
      const Key k = key(p.state());
      if (seen.count(k)) continue;
      seen[k] = true;
      if (onlyRoom >= 0 && p.state().room != onlyRoom) continue;
      if (roomsSeen) roomsSeen->push_back(p.state().room);
      nodes.push_back(Node{p.state(), static_cast<int>(next),
                           std::vector<std::uint8_t>(p.inputs().begin() + static_cast<long>(start.inputs),
                                                     p.inputs().end())});
      if (goal(p.state())) {
        finish(static_cast<int>(nodes.size()) - 1);
        return true;
      }
    }
  }
  p.restore(start);
  return false;
}

}  // namespace route
