// Gathered page operations, drawn only where they can still show, give the
// pages, flags and panel views that drawing every operation in turn gives,
// over long random runs of every kind of operation, some of them drawn only
// in part (tiles cut off by the sheet, rooms with empty cells).

#include <gtest/gtest.h>

#include <random>

#include "render/deferred_pages.h"
#include "test_graphics.h"

namespace {

using sim::PageOpKind;

class DeferredPages : public rendertest::RendererTest {
 protected:
  void SetUp() override {
    // The last row of tiles loses its lower half, and a room that every
    // tile covers whole joins the test world's rooms with their empty cells.
    gfx.tiles.image.height -= 8;
    gfx.tiles.image.pixels.resize(static_cast<std::size_t>(gfx.tiles.image.width) * gfx.tiles.image.height);
    world::Room whole = world.rooms[0];
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
    const int roll = pick(0, 99);
    sim::PageOp o;
    if (roll < 40) {
      // Few places, so that tiles often land on tiles; some reach past the picture.
      const int b = pick(0, 3) == 0 ? pick(-3, 42) : pick(-1, 3) * 2;
      const int c = pick(0, 3) == 0 ? pick(-8, 21) : pick(-1, 2) * 2;
      o = op(PageOpKind::DrawTile, pick(0, 9) == 0 ? 0x8000 : pick(1370, 1390) - pick(0, 1) * 1000, b, c);
    } else if (roll < 55) {
      o = op(PageOpKind::Flip);
    } else if (roll < 70) {
      o = op(PageOpKind::Energy, 0, 0, pick(0, 60));
    } else if (roll < 78) {
      o = op(PageOpKind::Score, 0, 0, 0, pick(0, 255));
    } else if (roll < 82) {
      o = op(PageOpKind::Inventory);
      o.items = items(4);
    } else if (roll < 84) {
      o = op(PageOpKind::ResetCache, pick(-1, 5));
    } else if (roll < 90) {
      o = op(PageOpKind::Panel, pick(0, 4), pick(0, 4), pick(0, 60), pick(0, 255));
      o.items = items(3);
    } else if (roll < 94) {
      o = op(PageOpKind::Objects);
      o.items = items(3);
    } else if (roll < 97) {
      o = op(PageOpKind::Lift);
      sim::LiftState lift;
      lift.x = static_cast<std::int16_t>(pick(0, 330));
      lift.y = static_cast<std::int16_t>(pick(30, 210));
      lift.type = static_cast<std::uint8_t>(pick(0, 1));
      lift.wWords = static_cast<std::uint8_t>(pick(0, 3));
      lift.h = static_cast<std::uint8_t>(pick(0, 40));
      o.lift = sim::packLift(lift);
    } else if (roll < 99) {
      o = bubbleOp(pick(0, 30), pick(0, 20), pick(0, 255), "HI\nTHERE");
    } else {
      o = op(PageOpKind::Teleport);
    }
    return o;
  }
};

TEST_F(DeferredPages, GiveWhatDrawingEveryOperationGives) {
  std::mt19937 rng(23);
  render::GameRenderer deferred{gfx, world};
  for (int round = 0; round < 40; ++round) {
    render::DeferredPages gathering(deferred);
    const int length = std::uniform_int_distribution<int>(1, 3000)(rng);
    for (int i = 0; i < length; ++i) {
      std::vector<sim::PageOp> ops = {randomOp(rng)};
      renderer.apply(ops);
      gathering.add(ops);
    }
    gathering.finish();
    for (int p = 0; p < 2; ++p) {
      ASSERT_TRUE(deferred.pages[p].pixels == renderer.pages[p].pixels) << "round " << round << ", page " << p;
      EXPECT_EQ(deferred.pageFlags[p], renderer.pageFlags[p]);
      EXPECT_EQ(deferred.panels[p].energy, renderer.panels[p].energy);
      EXPECT_EQ(deferred.panels[p].score, renderer.panels[p].score);
      EXPECT_TRUE(std::equal(deferred.panels[p].inventory, deferred.panels[p].inventory + 3,
                             renderer.panels[p].inventory));
    }
    EXPECT_EQ(deferred.drawPage, renderer.drawPage);
  }
}

}  // namespace
