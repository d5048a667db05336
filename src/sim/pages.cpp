#include <algorithm>
#include <memory>
#include <string>

#include "sim/simulation.h"
#include "world/world.h"

namespace sim {

namespace {

// Graphic tiles below this id are drawn every time (they may be see-through and
// layered); tiles from this id on only when the cell does not already show them.
constexpr std::uint16_t kFirstPlainTile = 912;
constexpr std::uint16_t kLayeredCell = 65535;
constexpr int kSharedContextEntity = 26;

// Marks an entity's step script as running for the lifetime of the guard, also
// when the script stops the simulation.
class RunningGuard {
 public:
  explicit RunningGuard(std::vector<int>& running, int entity) : running_(running) {
    running_.push_back(entity);
  }
  ~RunningGuard() { running_.pop_back(); }
  RunningGuard(const RunningGuard&) = delete;
  RunningGuard& operator=(const RunningGuard&) = delete;

 private:
  std::vector<int>& running_;
};

class FlagGuard {
 public:
  explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagGuard() { flag_ = false; }
  FlagGuard(const FlagGuard&) = delete;
  FlagGuard& operator=(const FlagGuard&) = delete;

 private:
  bool& flag_;
};

}  // namespace

void Simulation::emit(PageOpKind kind, int a, int b, int c, int d) {
  ops.emplace_back();
  PageOp& op = ops.back();
  op.kind = kind;
  op.a = a;
  op.b = b;
  op.c = c;
  op.d = d;
}

void Simulation::resetCache() {
  GameState& s = state;
  if (s.room >= world->rooms.size()) notModelled("room " + std::to_string(s.room));
  const std::uint16_t* tiles = roomTiles.data() + static_cast<std::size_t>(s.room) * 200;
  auto& cache = s.pageCache[s.page];
  for (int row = 0; row < kCacheRows; ++row) {
    for (int col = 0; col < kCacheCols; ++col) cache[row][col] = tiles[(row / 2) * 20 + col / 2];
  }
  emit(PageOpKind::ResetCache, s.room);
}

void Simulation::drawGfx(int list, int cellX, int cellY) {
  if (list < 0 || list >= static_cast<int>(program.graphics.size())) return;
  const GraphicList& g = program.graphics[static_cast<std::size_t>(list)];
  if (g.rows < 1) return;
  auto& cache = state.pageCache[state.page];
  for (int r = 0; r < g.rows; ++r) {
    for (int c = 0; c < g.cols; ++c) {
      const int x = cellX + 2 * c;
      const int y = cellY - 5 + 2 * r;
      if (static_cast<unsigned>(x) >= 39 || static_cast<unsigned>(y) >= 19) continue;
      const std::size_t index = static_cast<std::size_t>(r) * static_cast<std::size_t>(g.cols) +
                                static_cast<std::size_t>(c);
      if (index >= g.tiles.size()) continue;
      const std::uint16_t t = g.tiles[index];
      if (t == cache[y][x]) continue;
      emit(PageOpKind::DrawTile, t, x, y);
      const std::uint16_t mark = t < kFirstPlainTile ? kLayeredCell : t;
      cache[y][x] = mark;
      cache[y][x + 1] = mark;
      cache[y + 1][x] = mark;
      cache[y + 1][x + 1] = mark;
    }
  }
}

void Simulation::redrawOnce() {
  GameState& s = state;
  s.liftRedraw = 2;
  resetCache();
  runStepScripts();
  emit(PageOpKind::Objects);
  auto& items = ops.back().items;
  for (const auto& o : s.objects) {
    if (o.room == s.room) items.push_back(PageItem{o.graphic, o.x8, o.y});
  }
  drawWorld();
  logPanel();
}

void Simulation::redraw() {
  redrawOnce();
  flipPages();
  redrawOnce();
}

void Simulation::drawWorld() {
  GameState& s = state;
  if (s.currentLift >= 0 && s.currentLift < static_cast<int>(s.lifts.size())) {
    const LiftState& lift = s.lifts[static_cast<std::size_t>(s.currentLift)];
    if (lift.room == s.room && lift.type != 3 && s.liftRedraw != 0) {
      --s.liftRedraw;
      emit(PageOpKind::Lift);
      ops.back().lift = packLift(lift);
    }
  }
  ballContact();
}

void Simulation::logPanel() {
  GameState& s = state;
  emit(PageOpKind::Panel, s.room, s.lives, s.energy, s.score);
  ops.back().items = inventoryItems();
  s.scoreRedraw = 0;
}

std::vector<PageItem> Simulation::inventoryItems() const {
  std::vector<PageItem> items;
  items.reserve(3);
  for (int slot : state.carried) {
    if (slot >= 0 && slot < static_cast<int>(state.objects.size())) {
      items.push_back(PageItem{state.objects[static_cast<std::size_t>(slot)].graphic, 0, 0});
    } else {
      items.push_back(PageItem{-1, 0, 0});
    }
  }
  return items;
}

void Simulation::logInventory() {
  emit(PageOpKind::Inventory);
  ops.back().items = inventoryItems();
}

void Simulation::flipPages() {
  state.page ^= 1;
  emit(PageOpKind::Flip);
}

bool Simulation::scriptRunning(int entity) const {
  return std::find(runningScripts_.begin(), runningScripts_.end(), entity) != runningScripts_.end();
}

void Simulation::runStepScripts() {
  GameState& s = state;
  if (sharedThreadRoom_[s.room]) {
    if (program.entities.size() <= kSharedContextEntity) notModelled("the shared thread's context entity");
    EntityState& context = s.entities[kSharedContextEntity];
    if (s.sharedPc >= 0 && s.messageOpen == 0 && !sharedRunning_) {
      if (context.wait != 0) {
        --context.wait;
      } else {
        FlagGuard guard(sharedRunning_);
        s.sharedPc = run(context, s.sharedPc);
      }
    }
    context.pc = -1;
    runPool2();
  }
  if (s.entityRoom != s.room) return;
  for (int i : roomEntityLists_[s.room]) {
    EntityState& e = s.entities[static_cast<std::size_t>(i)];
    if (e.pc >= 0 && s.messageOpen == 0 && !scriptRunning(i)) {
      if (e.wait != 0) {
        --e.wait;
      } else {
        RunningGuard guard(runningScripts_, i);
        e.pc = run(e, e.pc);
      }
    }
    if (e.graphic >= 0) {
      const EntityDef& def = program.entities[static_cast<std::size_t>(i)];
      drawGfx(e.graphic, def.x8, def.y8);
    }
  }
}

void Simulation::bubble(int x, int y, int tail, const std::string& text) {
  GameState& s = state;
  s.messageOpen = 1;
  redrawOnce();
  emit(PageOpKind::Bubble, x, y, tail);
  ops.back().text = text;
  ops.back().snapshot = std::make_shared<const GameState>(s);
  flipPages();
  s.pressed = static_cast<std::uint8_t>(s.pressed & ~kInputFire);
  s.armed = static_cast<std::uint8_t>(s.armed | kInputFire);
  redrawOnce();
  flipPages();
  redrawOnce();
  s.messageOpen = 0;
}

void Simulation::say(int width, const std::string& text) {
  const std::size_t feed = text.find('\n');
  const int first = static_cast<int>(feed == std::string::npos ? text.size() : feed);
  const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  const int hx = static_cast<std::uint16_t>(state.x) / 8;
  const int left = std::max(0, hx + 3 - (width & 127));
  int bx = 0;
  int tail = 0;
  if (!(width & 128) && static_cast<std::uint16_t>(left) < static_cast<std::uint16_t>(38 - first)) {
    bx = left;
    tail = hx + 4;
  } else {
    bx = (width & 128) ? left - 5 : 38 - first;
    tail = ((hx - 1) | 128) & 0xFF;
    if (static_cast<std::uint16_t>(hx - 1 - bx) < 4) bx = hx - 5;
  }
  const int by = std::max(0, static_cast<std::uint16_t>(state.y) / 8 - lines - 3);
  bubble(bx, by, tail, text);
}

}  // namespace sim
