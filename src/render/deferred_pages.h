#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "render/game_renderer.h"
#include "sim/page_op.h"

namespace render {

// Page operations gathered for a renderer and drawn only as far as they can
// still show. Of a long run of operations (a saved game replayed at once)
// only the last picture of each page is ever seen, and most operations are
// painted over whole by later ones on the same page: a room reset over the
// play area, a panel over the panel, a tile over the same tile square, the
// energy bar over the energy bar. Those are never drawn; the rest are drawn
// in their order when the gathering finishes. What an operation changes
// besides pixels (page flags, panel views, the drawing page) is done at once,
// so the renderer's bookkeeping is current all along.
//
// Every drawing operation sets each pixel it writes from that pixel's old
// value and its own data alone, so leaving out one whose pixels a later one
// overwrites whole changes no pixel of the result: after finish the pages
// hold exactly what applyOne of every operation in turn gives.
class DeferredPages {
 public:
  explicit DeferredPages(GameRenderer& renderer);
  DeferredPages(const DeferredPages&) = delete;
  DeferredPages& operator=(const DeferredPages&) = delete;

  // Takes the operations, in order (they are moved from).
  void add(std::vector<sim::PageOp>& ops);
  // Draws what is still gathered. Until then the renderer's pages lack it;
  // gathered operations that are never finished are simply dropped.
  void finish();

  // A rectangle of the picture, x0 <= x < x1 and y0 <= y < y1.
  struct Area {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
    bool contains(const Area& a) const { return a.x0 >= x0 && a.y0 >= y0 && a.x1 <= x1 && a.y1 <= y1; }
  };

 private:
  struct Entry {
    sim::PageOp op;
    Area writes;  // every pixel it may write lies in here
    bool live = true;
  };
  struct Page {
    std::vector<Entry> entries;
    std::size_t live = 0;
    // The latest entry of each kind of small operation and place, which the
    // next one of the same kind and place may paint over.
    std::unordered_map<std::uint64_t, std::size_t> latest;
  };

  void addOne(int page, sim::PageOp&& op);
  Area writes(const sim::PageOp& op) const;
  // The area whose every pixel the operation sets without regard to what
  // was there; empty when there is none.
  Area overwrites(const sim::PageOp& op) const;
  void paintOver(Page& page, const Area& area);
  void compact(Page& page);
  void draw(int page);

  GameRenderer& renderer_;
  Page pages_[2];
  bool panelWhole_ = false;      // the panel picture covers the whole panel
  bool inventoryWhole_ = false;  // ... and the whole inventory box
  bool scoreWhole_ = false;      // the font has every digit the score draws
};

}  // namespace render
