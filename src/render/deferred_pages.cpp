#include "render/deferred_pages.h"

#include <algorithm>
#include <utility>

namespace render {

namespace {

using Kind = sim::PageOpKind;
using Area = DeferredPages::Area;

// Gathered operations per page before the dead ones are dropped from the
// list, and the live ones that make the page be drawn at once instead: a run
// of operations that nothing paints over costs memory up to here only.
constexpr std::size_t kMaxEntries = 4096;

constexpr Area kScreen{0, 0, kScreenWidth, kScreenHeight};
constexpr Area kPanel{0, 0, kScreenWidth, kPlayAreaTop};
constexpr Area kPlayArea{0, kPlayAreaTop, kScreenWidth, kScreenHeight};
// The inventory box that drawInventory restores from the panel picture.
constexpr Area kInventoryBox{16, 8, 64, 24};

// The part of the w x h rectangle at (x, y) that lies in the picture.
Area clipped(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
  Area a;
  a.x0 = static_cast<int>(std::clamp<std::int64_t>(x, 0, kScreenWidth));
  a.y0 = static_cast<int>(std::clamp<std::int64_t>(y, 0, kScreenHeight));
  a.x1 = static_cast<int>(std::clamp<std::int64_t>(x + w, 0, kScreenWidth));
  a.y1 = static_cast<int>(std::clamp<std::int64_t>(y + h, 0, kScreenHeight));
  return a;
}

Area joined(const Area& a, const Area& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

bool wholePicture(const assets::IndexedImage& image, int w, int h) {
  return image.width >= w && image.height >= h &&
         image.pixels.size() >= static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
}

// The small operations that a later one of the same kind in the same place
// may paint over, one key each; 0 for the others.
std::uint64_t keyOf(const sim::PageOp& op) {
  switch (op.kind) {
    case Kind::DrawTile:
      // Only tiles that reach the picture are gathered, so both cells are small.
      return std::uint64_t{1} << 40 | std::uint64_t{static_cast<std::uint16_t>(op.b)} << 16 |
             static_cast<std::uint16_t>(op.c);
    case Kind::Energy:
    case Kind::Score:
    case Kind::Inventory:
      return std::uint64_t{static_cast<std::uint32_t>(op.kind) + 2} << 40;
    default:
      return 0;
  }
}

}  // namespace

DeferredPages::DeferredPages(GameRenderer& renderer) : renderer_(renderer) {
  const GameGraphics& gfx = *renderer.gfx;
  panelWhole_ = wholePicture(gfx.panel, kPanel.x1, kPanel.y1);
  inventoryWhole_ = wholePicture(gfx.panel, kInventoryBox.x1, kInventoryBox.y1);
  // Digits 1 to 9 are glyphs 17 to 25, the zero is the letter O (47).
  scoreWhole_ = gfx.font.columns >= 1 && gfx.font.count > 47;
}

void DeferredPages::add(std::vector<sim::PageOp>& ops) {
  for (sim::PageOp& op : ops) {
    const int page = renderer_.drawPage;
    renderer_.noteOne(op);
    if (op.kind == Kind::Inventory) {
      sim::PageOp copy = op;
      addOne(page ^ 1, std::move(copy));
    }
    addOne(page, std::move(op));
  }
}

Area DeferredPages::writes(const sim::PageOp& op) const {
  const GameGraphics& gfx = *renderer_.gfx;
  switch (op.kind) {
    case Kind::ResetCache:
      return op.a >= 0 && op.a < static_cast<int>(renderer_.world->rooms.size()) ? kPlayArea : Area{};
    case Kind::DrawTile:
      return clipped(std::int64_t{op.b} * 8, std::int64_t{op.c} * 8 + kPlayAreaTop, 16, 16);
    case Kind::Objects: {
      Area all;
      for (const sim::PageItem& item : op.items) {
        if (item[0] >= 0 && item[0] < gfx.objects.count)
          all = joined(all, clipped(std::int64_t{item[1]} * 8, item[2], 16, 16));
      }
      return all;
    }
    case Kind::Lift:
      // The body is cut to the play area and the rope never climbs above it.
      return kPlayArea;
    case Kind::Panel:
    case Kind::Energy:
    case Kind::Score:
      return kPanel;
    case Kind::Inventory:
      return joined(kInventoryBox, clipped(16, 8, 16 * static_cast<std::int64_t>(op.items.size()), 16));
    case Kind::Bubble:
      return kScreen;
    default:
      return Area{};  // a teleport and a flip draw nothing
  }
}

Area DeferredPages::overwrites(const sim::PageOp& op) const {
  const GameGraphics& gfx = *renderer_.gfx;
  switch (op.kind) {
    case Kind::ResetCache: {
      if (writes(op).empty()) return Area{};
      for (const auto& row : renderer_.world->rooms[op.a].tiles)
        for (const std::uint16_t tile : row)
          if (!tileDrawnWhole(gfx.tiles, tile)) return Area{};
      return kPlayArea;
    }
    case Kind::DrawTile:
      return tileDrawnWhole(gfx.tiles, static_cast<std::uint16_t>(op.a)) ? writes(op) : Area{};
    case Kind::Panel:
      return panelWhole_ ? kPanel : Area{};
    case Kind::Inventory:
      return inventoryWhole_ ? kInventoryBox : Area{};
    default:
      return Area{};
  }
}

void DeferredPages::addOne(int p, sim::PageOp&& op) {
  const Area area = writes(op);
  if (area.empty()) return;
  Page& page = pages_[p & 1];
  const Area over = overwrites(op);
  if (op.kind == Kind::ResetCache || op.kind == Kind::Panel) {
    if (!over.empty()) paintOver(page, over);
  }
  const std::uint64_t key = keyOf(op);
  if (key != 0) {
    const auto found = page.latest.find(key);
    if (found != page.latest.end()) {
      Entry& old = page.entries[found->second];
      // The energy bar and the score write the same bits of the same pixels
      // each time, whatever they show (the score when every digit exists).
      const bool sameBits = op.kind == Kind::Energy || (op.kind == Kind::Score && scoreWhole_);
      if (old.live && (sameBits || over.contains(old.writes))) {
        old.live = false;
        old.op = sim::PageOp{};
        --page.live;
      }
    }
    page.latest[key] = page.entries.size();
  }
  page.entries.push_back({std::move(op), area, true});
  ++page.live;
  if (page.entries.size() >= kMaxEntries) {
    compact(page);
    if (page.live >= kMaxEntries / 2) draw(p & 1);
  }
}

void DeferredPages::paintOver(Page& page, const Area& area) {
  for (Entry& e : page.entries) {
    if (e.live && area.contains(e.writes)) {
      e.live = false;
      --page.live;
    }
  }
  compact(page);
}

void DeferredPages::compact(Page& page) {
  page.entries.erase(
      std::remove_if(page.entries.begin(), page.entries.end(), [](const Entry& e) { return !e.live; }),
      page.entries.end());
  page.latest.clear();
  for (std::size_t i = 0; i < page.entries.size(); ++i) {
    const std::uint64_t key = keyOf(page.entries[i].op);
    if (key != 0) page.latest[key] = i;
  }
}

void DeferredPages::draw(int p) {
  Page& page = pages_[p];
  for (const Entry& e : page.entries) {
    if (e.live) renderer_.drawOne(p, e.op);
  }
  page.entries.clear();
  page.latest.clear();
  page.live = 0;
}

void DeferredPages::finish() {
  draw(0);
  draw(1);
}

}  // namespace render
