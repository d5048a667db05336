#include <gtest/gtest.h>

#include "render/game_renderer.h"
#include "render/pixel_ops.h"
#include "test_graphics.h"

using render::Framebuffer;
using render::GameRenderer;
using sim::PageOp;
using sim::PageOpKind;
using rendertest::at;

namespace {

class Renderer : public rendertest::RendererTest {
 protected:
  static std::vector<sim::PageItem> inventory(int a, int b, int c) { return {{a, 0, 0}, {b, 0, 0}, {c, 0, 0}}; }
};

}  // namespace

TEST_F(Renderer, StartsWithTwoBlackPagesDrawingIntoPageZero) {
  EXPECT_EQ(renderer.drawPage, 0);
  EXPECT_EQ(renderer.pages[0].pixels, std::vector<std::uint8_t>(64000, 0));
  EXPECT_EQ(renderer.pages[1].pixels.size(), 64000u);
  EXPECT_FALSE(renderer.panels[0].valid);
  EXPECT_EQ(renderer.panels[1].room, -1);
  EXPECT_EQ(renderer.panels[1].inventory[2], -1);
}

TEST_F(Renderer, ResetDrawsTheRoomIntoTheDrawPageOnlyAndFlipSwapsPages) {
  renderer.applyOne(op(PageOpKind::ResetCache, 1));
  Framebuffer expected;
  render::drawRoom(expected, gfx.tiles, world.rooms[1], 40);
  EXPECT_EQ(renderer.pages[0].pixels, expected.pixels);
  EXPECT_EQ(renderer.pages[1].pixels, std::vector<std::uint8_t>(64000, 0));
  EXPECT_EQ(renderer.pageFlags[0], GameRenderer::kRoomReset);

  renderer.applyOne(op(PageOpKind::Flip));
  EXPECT_EQ(renderer.drawPage, 1);
  renderer.applyOne(op(PageOpKind::ResetCache, -1));  // not a room: flag only
  renderer.applyOne(op(PageOpKind::ResetCache, 4));
  EXPECT_EQ(renderer.pageFlags[1], GameRenderer::kRoomReset);
  EXPECT_EQ(renderer.pages[1].pixels, std::vector<std::uint8_t>(64000, 0));

  renderer.applyOne(op(PageOpKind::Flip));
  EXPECT_EQ(renderer.drawPage, 0);
}

TEST_F(Renderer, TeleportAndUnknownKindsChangeNothing) {
  renderer.applyOne(op(PageOpKind::ResetCache, 0));
  const auto before = renderer.pages[0].pixels;
  renderer.applyOne(op(PageOpKind::Teleport));
  renderer.applyOne(op(static_cast<PageOpKind>(11), 1, 1, 1, 1));
  EXPECT_EQ(renderer.pages[0].pixels, before);
  EXPECT_EQ(renderer.drawPage, 0);
}

TEST_F(Renderer, DrawTilePlacesByCellsBelowThePanel) {
  renderer.applyOne(op(PageOpKind::DrawTile, 7, 3, 2));
  Framebuffer expected;
  render::drawTile(expected, gfx.tiles, 7, 24, 56);
  EXPECT_EQ(renderer.pages[0].pixels, expected.pixels);
}

TEST_F(Renderer, ObjectsSkipUnknownIdsAndUseTheIndexRules) {
  auto o = op(PageOpKind::Objects);
  o.items = {{1, 2, 60}, {-1, 5, 60}, {6, 8, 60}};
  renderer.pages[0].pixels.assign(64000, 1);
  renderer.applyOne(o);
  EXPECT_EQ(at(renderer.pages[0], 16 + 3, 63), 3);   // item 1 body colour 3
  EXPECT_EQ(at(renderer.pages[0], 16 + 6, 66), 9);   // 1 OR 8
  EXPECT_EQ(at(renderer.pages[0], 16, 60), 1);       // transparent corner
  for (int x = 40; x < 90; ++x) EXPECT_EQ(at(renderer.pages[0], x, 66), 1) << x;
}

TEST_F(Renderer, PanelRecordsItsValuesAndDrawsLives) {
  auto p = op(PageOpKind::Panel, 0, 2, 20, 200);
  p.items = inventory(3, -1, 0);
  renderer.applyOne(p);
  const auto& view = renderer.panels[0];
  EXPECT_TRUE(view.valid);
  EXPECT_EQ(view.room, 0);
  EXPECT_EQ(view.lives, 2);
  EXPECT_EQ(view.energy, 20);
  EXPECT_EQ(view.score, 200);
  EXPECT_EQ(view.inventory[0], 3);
  EXPECT_EQ(view.inventory[1], -1);
  EXPECT_EQ(view.inventory[2], 0);
  EXPECT_EQ(renderer.pageFlags[0], GameRenderer::kPanelDrawn);
  EXPECT_FALSE(renderer.panels[1].valid);

  Framebuffer life;
  Framebuffer blank;
  render::drawTile(life, gfx.tiles, 1382, 0, 0);
  render::drawTile(blank, gfx.tiles, 1383, 0, 0);
  const auto& page = renderer.pages[0];
  for (int r = 0; r < 16; ++r) {
    for (int c = 0; c < 16; ++c) {
      ASSERT_EQ(at(page, 176 + c, 16 + r), at(life, c, r));
      ASSERT_EQ(at(page, 192 + c, 16 + r), at(life, c, r));
      ASSERT_EQ(at(page, 208 + c, 16 + r), at(blank, c, r));
      ASSERT_EQ(at(page, 224 + c, 16 + r), 8) << "panel background after the blanks";
    }
  }
}

TEST_F(Renderer, PanelLivesStopAfterNineIcons) {
  Framebuffer life;
  render::drawTile(life, gfx.tiles, 1382, 0, 0);
  auto p = op(PageOpKind::Panel, 0, 30, 0, 0);
  renderer.drawPanel(renderer.pages[0], p);
  EXPECT_EQ(at(renderer.pages[0], 304 + 8, 16 + 8), at(life, 8, 8));
  auto zero = op(PageOpKind::Panel, -1, 0, 0, 0);
  Framebuffer fb;
  renderer.drawPanel(fb, zero);
  Framebuffer blank;
  render::drawTile(blank, gfx.tiles, 1383, 0, 0);
  for (int x : {176, 192, 208}) EXPECT_EQ(at(fb, x + 4, 16 + 4), at(blank, 4, 4)) << x;
  EXPECT_EQ(at(fb, 224 + 4, 16 + 4), 8);
}

TEST_F(Renderer, PanelCentresTheRoomName) {
  Framebuffer fb;
  renderer.drawPanel(fb, op(PageOpKind::Panel, 3, 0, 0, 0));  // "TOWER": 7 spaces before it
  Framebuffer expected;
  renderer.drawPanel(expected, op(PageOpKind::Panel, -1, 0, 0, 0));
  renderer.drawText(expected, 1, 32, "       TOWER        ", GameRenderer::TextStyle::Plain);
  EXPECT_EQ(fb.pixels, expected.pixels);
}

TEST_F(Renderer, EnergyBarFillsWholeAndPartialColumns) {
  // Column planes: 2, 2, 10, 10, 12, 12. Start from colour 1 everywhere.
  auto bar = [&](int energy) {
    Framebuffer fb;
    fb.pixels.assign(64000, 1);
    renderer.drawEnergy(fb, energy);
    return fb;
  };
  const auto empty = bar(0);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(at(empty, 176 + 8 * k, 6), 1 & ~gfx.drawTables.energyColumns[k]) << k;

  const auto eight = bar(8);  // partial entry 7 (0xFF) in column 0
  for (int i = 0; i < 8; ++i) EXPECT_EQ(at(eight, 176 + i, 13), 3);
  EXPECT_EQ(at(eight, 184, 13), 1 & ~2);

  const auto nine = bar(9);  // column 0 full, column 1 gets entry 0 (0x80)
  EXPECT_EQ(at(nine, 183, 6), 3);
  EXPECT_EQ(at(nine, 184, 6), 3);
  EXPECT_EQ(at(nine, 185, 6), 1);
  EXPECT_EQ(at(nine, 176, 5), 1);
  EXPECT_EQ(at(nine, 176, 14), 1);

  const auto full = bar(48);  // (47 >> 3) = 5 full columns, then entry 7 in column 5
  for (int k = 0; k < 6; ++k) EXPECT_EQ(at(full, 176 + 8 * k + 7, 10), 1 | gfx.drawTables.energyColumns[k]) << k;

  renderer.applyOne(op(PageOpKind::Energy, 0, 0, 9));
  EXPECT_EQ(renderer.panels[0].energy, 9);
}

TEST_F(Renderer, ScoreShowsHalfTheValueWithOForZero) {
  auto digitsOf = [&](int score) {
    Framebuffer fb;
    fb.pixels.assign(64000, 6);
    renderer.drawScore(fb, score);
    return fb;
  };
  auto expectDigit = [&](const Framebuffer& fb, int k, char ch) {
    Framebuffer ref;
    ref.pixels.assign(64000, 6);
    renderer.drawText(ref, 17 + k, 13, std::string(1, ch), GameRenderer::TextStyle::Panel);
    for (int r = 0; r < 8; ++r)
      for (int i = 0; i < 8; ++i)
        ASSERT_EQ(at(fb, (17 + k) * 8 + i, 13 + r), at(ref, (17 + k) * 8 + i, 13 + r)) << ch << " " << k;
  };
  const auto s200 = digitsOf(200);
  expectDigit(s200, 0, '1');
  expectDigit(s200, 1, 'O');
  expectDigit(s200, 2, 'O');
  const auto s255 = digitsOf(255);
  expectDigit(s255, 0, '1');
  expectDigit(s255, 1, '2');
  expectDigit(s255, 2, '7');
  const auto s1 = digitsOf(1);
  for (int k = 0; k < 3; ++k) expectDigit(s1, k, 'O');
  EXPECT_EQ(at(s1, 17 * 8, 12), 6);
  EXPECT_EQ(at(s1, 17 * 8, 21), 6);

  renderer.applyOne(op(PageOpKind::Score, 0, 0, 0, 42));
  EXPECT_EQ(renderer.panels[0].score, 42);
}

TEST_F(Renderer, InventoryGoesToBothPagesAndBothViews) {
  auto p = op(PageOpKind::Panel, 0, 3, 46, 0);
  p.items = inventory(1, 2, 3);
  renderer.applyOne(p);
  auto inv = op(PageOpKind::Inventory);
  inv.items = {{4, 0, 0}, {-1, 0, 0}};
  renderer.applyOne(inv);
  for (int page = 0; page < 2; ++page) {
    EXPECT_EQ(renderer.panels[page].inventory[0], 4);
    EXPECT_EQ(renderer.panels[page].inventory[1], -1);
    EXPECT_EQ(renderer.panels[page].inventory[2], -1);
    const auto& fb = renderer.pages[page];
    EXPECT_EQ(at(fb, 16 + 5, 8 + 5), 6) << "item 4 in slot 0";
    EXPECT_EQ(at(fb, 32 + 5, 8 + 5), 3) << "slot 1 restored from the panel picture";
    EXPECT_EQ(at(fb, 48 + 5, 8 + 5), 3) << "slot 2 restored, the old item gone";
  }
  EXPECT_FALSE(renderer.panels[1].valid);
}

TEST_F(Renderer, LiftRopeRowsFollowTheHeight) {
  auto ropeRows = [&](int y) {
    sim::LiftState lift;
    lift.x = 80;
    lift.y = static_cast<std::int16_t>(y);
    lift.type = 0;
    lift.h = 0;
    Framebuffer fb;
    renderer.drawLift(fb, lift);
    std::vector<int> rows;
    for (int row = 0; row < 200; ++row) {
      bool any = false;
      for (int x = 96; x < 112; ++x) any = any || at(fb, x, row) != 0;
      if (any) rows.push_back(row);
    }
    return rows;
  };
  EXPECT_EQ(ropeRows(41), (std::vector<int>{40}));
  EXPECT_EQ(ropeRows(43), (std::vector<int>{41, 42}));
  EXPECT_EQ(ropeRows(60).size(), 20u);
  EXPECT_TRUE(ropeRows(40).empty());

  // Even rows (counted up from the lift) use b0/b1, odd rows a0/a1: plane 3 of
  // the table is 0x18 in every byte, planes 0 and 1 only in a0 and b1.
  sim::LiftState lift;
  lift.x = 80;
  lift.y = 60;
  Framebuffer fb;
  renderer.drawLift(fb, lift);
  EXPECT_EQ(at(fb, 99, 59), 8);       // k 0: b0 has plane 3 only
  EXPECT_EQ(at(fb, 107, 59), 8 | 3);  // k 0: b1 adds planes 0 and 1
  EXPECT_EQ(at(fb, 99, 58), 8 | 3);   // k 1: a0
  EXPECT_EQ(at(fb, 107, 58), 8);      // k 1: a1
}

TEST_F(Renderer, LiftBodyIsCutToTheWidthTheHeightAndThePicture) {
  sim::LiftState lift;
  lift.x = 300;
  lift.y = 100;
  lift.type = 1;
  lift.wWords = 2;
  lift.h = 10;
  Framebuffer fb;
  renderer.drawLift(fb, lift);
  int drawn = 0;
  for (auto p : fb.pixels) drawn += p != 0;
  EXPECT_EQ(drawn, 24 * 10);  // columns 296..319 of the 32, rows cut to the record height
  EXPECT_EQ(at(fb, 319, 109), 6);
  EXPECT_EQ(at(fb, 300, 110), 0);

  sim::LiftState high = lift;
  high.x = 0;
  high.y = 35;  // rows above the play area are not drawn
  Framebuffer top;
  renderer.drawLift(top, high);
  EXPECT_EQ(at(top, 0, 39), 0);
  EXPECT_EQ(at(top, 0, 40), 6);

  sim::LiftState unknown = lift;
  unknown.type = 7;
  Framebuffer none;
  renderer.drawLift(none, unknown);
  EXPECT_EQ(none.pixels, std::vector<std::uint8_t>(64000, 0));

  // A rectangle reaching past the lift picture draws only what the picture holds.
  gfx.lifts.types[1] = {48, 8, 32, 16};
  sim::LiftState cut = lift;
  cut.x = 0;
  cut.wWords = 4;
  cut.h = 16;
  Framebuffer part;
  renderer.drawLift(part, cut);
  drawn = 0;
  for (auto p : part.pixels) drawn += p != 0;
  EXPECT_EQ(drawn, 16 * 8);
}

// Sheet items are not checked against their picture when loaded: an item
// that lies outside it draws nothing, one partly inside draws that part, and
// no item size makes the drawing run past one screen.
TEST_F(Renderer, SheetItemsOutsideTheirPictureDrawOnlyWhatItHolds) {
  constexpr int kMax = 2147483647;
  struct Case {
    int itemW, itemH, columns, object;
    int drawn;  // pixels drawn of a 16 x 16 cell whose 10 x 10 body is opaque
  };
  // The objects picture is 64 x 32: two rows of four 16 x 16 cells.
  const Case cases[] = {
      {16, 16, 4, 5, 100}, {16, 16, 5, 4, 0}, {16, 24, 4, 4, 50}, {kMax, kMax, kMax, 1, 0}, {kMax, 1, 1, 0, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.itemW << "x" << c.itemH << " columns " << c.columns << " item "
                                      << c.object);
    gfx.objects.itemW = c.itemW;
    gfx.objects.itemH = c.itemH;
    gfx.objects.columns = c.columns;
    Framebuffer fb;
    renderer.drawObjects(fb, {{c.object, 10, 80}});
    int drawn = 0;
    for (auto p : fb.pixels) drawn += p != 0;
    EXPECT_EQ(drawn, c.drawn);
  }
  // A logo of any size is drawn from its picture alone.
  gfx.logo.itemW = gfx.logo.itemH = kMax;
  Framebuffer fb;
  renderer.drawShowScreen(fb, "none", "none");
  int drawn = 0;
  for (auto p : fb.pixels) drawn += p != 0;
  EXPECT_EQ(drawn, 96 * 24 - 16);
}

TEST_F(Renderer, ApplyRunsAWholeSequence) {
  std::vector<PageOp> ops;
  ops.push_back(op(PageOpKind::ResetCache, 0));
  auto panel = op(PageOpKind::Panel, 0, 3, 46, 10);
  panel.items = inventory(-1, -1, -1);
  ops.push_back(panel);
  ops.push_back(op(PageOpKind::Flip));
  ops.push_back(op(PageOpKind::ResetCache, 1));
  renderer.apply(ops);
  EXPECT_EQ(renderer.drawPage, 1);
  EXPECT_TRUE(renderer.panels[0].valid);
  EXPECT_EQ(renderer.pageFlags[0], 3u) << "room and panel drawn";
  EXPECT_EQ(renderer.pageFlags[1], 1u) << "room only";
}
