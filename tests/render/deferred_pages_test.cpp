// Gathered page operations, drawn only where they can still show, give the
// pages, flags and panel views that drawing every operation in turn gives,
// over long random runs of every kind, some drawn only in part (tiles cut off
// by their sheet, rooms with empty cells).

#include <gtest/gtest.h>

#include <random>

#include "render/deferred_pages.h"
#include "test_graphics.h"

namespace {

using K = sim::PageOpKind;

class DeferredPages : public rendertest::RendererTest {
 protected:
  void SetUp() override {
    gfx.tiles.image.height -= 8;  // the last row of tiles loses its lower half
    gfx.tiles.image.pixels.resize(static_cast<std::size_t>(gfx.tiles.image.width) * gfx.tiles.image.height);
    world::Room whole = world.rooms[0];  // beside rooms with empty cells, one covered whole
    for (auto& row : whole.tiles) row.fill(7);
    world.rooms.push_back(whole);
  }

  sim::PageOp randomOp(std::mt19937& rng) {
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto items = [&](int most) {
      std::vector<sim::PageItem> list(static_cast<std::size_t>(pick(0, most)));
      for (auto& item : list) item = {pick(-1, 7), pick(-3, 42), pick(-20, 210)};
      return list;
    };
    // Tiles at few places, so that they often land on tiles; some past the picture.
    const auto cell = [&](int lo, int hi, int most) { return pick(0, 3) == 0 ? pick(lo, hi) : pick(-1, most) * 2; };
    const int roll = pick(0, 99);
    if (roll < 40)
      return op(K::DrawTile, pick(0, 9) == 0 ? 0x8000 : pick(1370, 1390) - pick(0, 1) * 1000, cell(-3, 42, 3),
                cell(-8, 21, 2));
    if (roll < 55) return op(K::Flip);
    if (roll < 70) return op(K::Energy, 0, 0, pick(0, 60));
    if (roll < 78) return op(K::Score, 0, 0, 0, pick(0, 255));
    if (roll < 84) return op(K::ResetCache, pick(-1, 5));
    if (roll < 97) {
      sim::PageOp o = op(roll < 86 ? K::Inventory : roll < 90 ? K::Panel : roll < 94 ? K::Objects : K::Lift,
                         pick(0, 4), pick(0, 4), pick(0, 60), pick(0, 255));
      o.items = items(o.kind == K::Inventory ? 4 : 3);
      sim::LiftState lift;
      lift.x = static_cast<std::int16_t>(pick(0, 330));
      lift.y = static_cast<std::int16_t>(pick(30, 210));
      lift.type = static_cast<std::uint8_t>(pick(0, 1));
      lift.wWords = static_cast<std::uint8_t>(pick(0, 3));
      lift.h = static_cast<std::uint8_t>(pick(0, 40));
      o.lift = sim::packLift(lift);
      return o;
    }
    return roll < 99 ? bubbleOp(pick(0, 30), pick(0, 20), pick(0, 255), "HI\nTHERE") : op(K::Teleport);
  }
};

TEST_F(DeferredPages, GiveWhatDrawingEveryOperationGives) {
  std::mt19937 rng(23);
  render::GameRenderer deferred{gfx, world};
  for (int round = 0; round < 40; ++round) {
    render::DeferredPages gathering(deferred);
    for (int i = std::uniform_int_distribution<int>(1, 3000)(rng); i > 0; --i) {
      std::vector<sim::PageOp> ops = {randomOp(rng)};
      renderer.apply(ops);
      gathering.add(ops);
    }
    gathering.finish();
    for (int p = 0; p < 2; ++p) {
      ASSERT_TRUE(deferred.pages[p].pixels == renderer.pages[p].pixels) << "round " << round << ", page " << p;
      EXPECT_EQ(deferred.pageFlags[p], renderer.pageFlags[p]);
      const render::PanelView &a = deferred.panels[p], &b = renderer.panels[p];
      EXPECT_TRUE(a.energy == b.energy && a.score == b.score && std::equal(a.inventory, a.inventory + 3, b.inventory));
    }
    EXPECT_EQ(deferred.drawPage, renderer.drawPage);
  }
}

}  // namespace
