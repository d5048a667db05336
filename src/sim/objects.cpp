// Touch scripts, objects within reach and the fire action.

#include <algorithm>
#include <string>

#include "sim/simulation.h"
#include "world/world.h"

namespace sim {

namespace {

// Graphic tiles from this id on are pure decoration: nothing may be set down on them.
constexpr std::uint16_t kFirstDecorativeTile = 912;
constexpr int kLastPickableId = 77;
constexpr std::size_t kMeasuredLift = 3;
constexpr int kObject1ERecords = 30;
constexpr int kObject1EGuard = 29;
constexpr int kObject1EId = 30;
constexpr int kObject2CId = 44;

std::uint8_t low(int v) { return static_cast<std::uint8_t>(v & 0xFF); }

bool listed(const std::vector<std::int32_t>& list, int value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

bool inReach(const GameState& s, const ObjectState& o) {
  if (o.room != s.room || o.id > kLastPickableId) return false;
  const int dx = o.x8 * 8 - s.x + 11;
  const int dy = o.y - s.y + 11;
  return dx >= 0 && dx <= 46 && dy >= 0 && dy <= 34;
}

}  // namespace

void Simulation::runTouchScripts() {
  GameState& s = state;
  if (s.energy == 0 || s.entityRoom != s.room) return;
  for (int i : roomEntityLists_[s.room]) {
    const EntityDef& def = program.entities[static_cast<std::size_t>(i)];
    if (def.touch < 0 || def.touch >= static_cast<int>(program.touches.size())) continue;
    const TouchBox& box = program.touches[static_cast<std::size_t>(def.touch)];
    const int left = def.x8 * 8 + box.dx;
    const int top = def.y8 * 8 + box.dy;
    const int dx = s.x + 11 - left;
    const int dy = s.y + 4 - top;
    if (dx < -17 || dx >= box.w * 8 || dy < -18 || dy >= box.h * 8) continue;
    run(s.entities[static_cast<std::size_t>(i)], box.code);
  }
}

int Simulation::nearObject() const {
  for (int i = static_cast<int>(state.objects.size()) - 1; i >= 0; --i) {
    if (inReach(state, state.objects[static_cast<std::size_t>(i)])) return i;
  }
  return -1;
}

int Simulation::findObject() const {
  const GameState& s = state;
  for (int i = static_cast<int>(s.objects.size()) - 1; i >= 0; --i) {
    const ObjectState& o = s.objects[static_cast<std::size_t>(i)];
    if (!inReach(s, o)) continue;
    // Two objects lie on a shelf that only the lift reaches: from below, the
    // hero sees them but cannot take them until he has had them once.
    if (o.seen != 0 || !listed(world->pickupFromLift29, o.id) || s.lifts.size() <= kMeasuredLift ||
        s.y + 24 <= s.lifts[kMeasuredLift].y) {
      return i;
    }
  }
  return -1;
}

bool Simulation::canDrop(int cellX, int y) {
  const int row = ((y & 0xF8) - 40) >> 3;
  if (cellX < 0 || cellX >= kCacheCols || row < 0 || row >= kCacheRows) return false;
  if (cellX >= kCacheCols - 1 || row >= kCacheRows - 1) return false;
  const auto& cache = state.pageCache[state.page & 1];
  const auto plain = [&](int r, int c) {
    return cache[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] < kFirstDecorativeTile;
  };
  if (!plain(row, cellX) || !plain(row, cellX + 1) || !plain(row + 1, cellX) || !plain(row + 1, cellX + 1)) {
    return false;
  }
  if ((y & 7) == 0) return true;
  if (row == kCacheRows - 2) return false;
  return plain(row + 2, cellX) && plain(row + 2, cellX + 1);
}

const std::string& Simulation::bubbleText(const std::string& key) const {
  static const std::string kNone;
  const auto it = world->bubbles.find(key);
  return it == world->bubbles.end() ? kNone : it->second;
}

void Simulation::fire() {
  GameState& s = state;
  if (s.state > 8 || !(s.pressed & kInputFire)) return;
  s.armed = static_cast<std::uint8_t>(s.armed & ~kInputFire);

  const world::FirePuzzle& puzzle = world->firePuzzle;
  if (puzzle.carried >= 0 && object(puzzle.carried).room == kRoomCarried) {
    const ObjectState& placed = object(puzzle.placed);
    if (placed.room == puzzle.room && placed.x8 >= puzzle.minX8 && placed.y >= puzzle.minY) {
      ObjectState& revealed = object(puzzle.reveals);
      say(4, bubbleText("fire_puzzle"));
      flash();
      s.flags[low(puzzle.flag)] = 1;
      s.scoreRedraw = 2;
      object(puzzle.placed).room = kRoomGone;
      // The slots keep what they held: emptying them is left to the world's
      // scripts (destroy), as the recorded game state requires.
      object(puzzle.carried).room = kRoomGone;
      revealed.room = low(puzzle.room);
      s.score = low(s.score + 2);
      redraw();
      return;
    }
  }

  const int i = findObject();
  if (i < 0) {
    if (s.carried[0] < 0 && s.carried[1] < 0 && s.carried[2] < 0) return;
    if (s.carried[2] >= 0) {
      ObjectState& dropped = object(s.carried[2]);
      dropped.x8 = low((s.x + 16) / 8);
      dropped.y = low(s.y + 8);
      const bool anywhere = dropped.y == world->dropAnywhereY && listed(world->dropAnywhereRooms, s.room);
      if (!anywhere && !canDrop(dropped.x8, dropped.y)) return;
      dropped.room = s.room;
    }
    redraw();
    s.carried = {-1, s.carried[0], s.carried[1]};
    logInventory();
    return;
  }

  ObjectState& taken = object(i);
  if (taken.seen == 0) {
    taken.seen = 1;
    const auto& defs = world->objects;
    const int name = static_cast<std::size_t>(i) < defs.size() ? defs[static_cast<std::size_t>(i)].name : -1;
    const bool named = name >= 0 && name < static_cast<int>(world->objectNames.size());
    static const std::string kNoName;
    say(4, named ? world->objectNames[static_cast<std::size_t>(name)] : kNoName);
    if (taken.id == kObject2CId) {
      say(4, bubbleText("object_2C_a"));
      say(4, bubbleText("object_2C_b"));
      s.flags[low(world->object2CFlag)] = 1;
    }
    s.score = low(s.score + 1);
    s.scoreRedraw = 2;
  }
  if (taken.id == kObject1EId && s.objects.size() >= kObject1ERecords &&
      s.objects[kObject1EGuard].room != kRoomCarried) {
    s.flags[low(world->object1EFlag)] = 1;
  }
  taken.room = kRoomCarried;
  if (s.carried[2] >= 0) {
    ObjectState& swapped = object(s.carried[2]);
    swapped.x8 = taken.x8;
    swapped.y = taken.y;
    swapped.room = s.room;
  }
  redraw();
  s.carried = {i, s.carried[0], s.carried[1]};
  logInventory();
}

}  // namespace sim
