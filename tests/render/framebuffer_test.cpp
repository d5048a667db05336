#include <gtest/gtest.h>

#include <string>

#include "render/framebuffer.h"
#include "render/pixel_ops.h"
#include "test_graphics.h"

using render::Framebuffer;
using rendertest::at;
using rendertest::filled;
using rendertest::filledImage;

namespace {

// A tile set of three tiles: tile t is filled with t + 1 and has colour 9 in
// its top-left pixel, so cut edges can be told apart.
assets::TileSet smallTiles() {
  assets::TileSet tiles;
  tiles.columns = 2;
  tiles.count = 3;
  tiles.image = filledImage(32, 32, 0);
  for (int t = 0; t < 3; ++t) {
    for (int r = 0; r < 16; ++r)
      for (int c = 0; c < 16; ++c)
        tiles.image.pixels[((t / 2) * 16 + r) * 32 + (t % 2) * 16 + c] = static_cast<std::uint8_t>(r == 0 && c == 0 ? 9 : t + 1);
  }
  return tiles;
}

int countValue(const Framebuffer& fb, int value) {
  int n = 0;
  for (auto p : fb.pixels) n += p == value;
  return n;
}

}  // namespace

TEST(Framebuffer, StartsAsAWholeBlackPictureAndCopiesRows) {
  Framebuffer fb;
  ASSERT_EQ(fb.pixels.size(), 64000u);
  fb.pixels[41 * 320 + 3] = 7;
  const auto rows = fb.rows(40, 200);
  ASSERT_EQ(rows.size(), 320u * 160u);
  EXPECT_EQ(rows[320 + 3], 7);
  EXPECT_TRUE(fb.rows(-5, 0).empty());
  EXPECT_EQ(fb.rows(190, 260).size(), 320u * 10u);
}

TEST(DrawTile, CopiesOpaqueAndClipsAtEveryEdge) {
  const auto tiles = smallTiles();
  {
    Framebuffer fb;
    drawTile(fb, tiles, 2, 100, 50);
    EXPECT_EQ(at(fb, 100, 50), 9);
    EXPECT_EQ(at(fb, 115, 65), 3);
    EXPECT_EQ(at(fb, 116, 65), 0);
    EXPECT_EQ(countValue(fb, 3), 255);
  }
  {  // right edge: x 312 keeps 8 columns
    Framebuffer fb;
    drawTile(fb, tiles, 1, 312, 0);
    EXPECT_EQ(at(fb, 312, 0), 9);
    EXPECT_EQ(countValue(fb, 2) + countValue(fb, 9), 8 * 16);
  }
  {  // top edge: y -8 loses its top 8 rows, the corner pixel with them
    Framebuffer fb;
    drawTile(fb, tiles, 1, 0, -8);
    EXPECT_EQ(countValue(fb, 9), 0);
    EXPECT_EQ(countValue(fb, 2), 8 * 16);
    EXPECT_EQ(at(fb, 0, 7), 2);
    EXPECT_EQ(at(fb, 0, 8), 0);
  }
  {  // left edge
    Framebuffer fb;
    drawTile(fb, tiles, 1, -12, 20);
    EXPECT_EQ(countValue(fb, 2), 4 * 16);
    EXPECT_EQ(at(fb, 3, 20), 2);
    EXPECT_EQ(at(fb, 4, 20), 0);
  }
  {  // bottom edge
    Framebuffer fb;
    drawTile(fb, tiles, 1, 40, 195);
    EXPECT_EQ(countValue(fb, 2) + countValue(fb, 9), 16 * 5);
  }
  {  // wholly outside
    Framebuffer fb;
    drawTile(fb, tiles, 1, 320, 0);
    drawTile(fb, tiles, 1, 0, 200);
    drawTile(fb, tiles, 1, -16, -16);
    EXPECT_EQ(countValue(fb, 0), 64000);
  }
}

TEST(DrawTile, TileValuesOfTheSpriteConventionAreCopiedAsTheyAre) {
  auto tiles = smallTiles();
  tiles.image.pixels[1] = 16;
  tiles.image.pixels[2] = 20;
  Framebuffer fb = filled(5);
  drawTile(fb, tiles, 0, 0, 0);
  EXPECT_EQ(at(fb, 1, 0), 16);
  EXPECT_EQ(at(fb, 2, 0), 20);
}

TEST(DrawTile, EmptyCellsAndUnknownIdsDrawNothingAndWarnOnlyOnce) {
  const auto tiles = smallTiles();
  Framebuffer fb;
  ::testing::internal::CaptureStderr();
  drawTile(fb, tiles, 0x8000, 0, 0);
  drawTile(fb, tiles, 0xFFFF, 0, 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

  ::testing::internal::CaptureStderr();
  drawTile(fb, tiles, 3, 0, 0);
  drawTile(fb, tiles, 1000, 0, 0);
  const std::string log = ::testing::internal::GetCapturedStderr();
  // The warning is process-wide: another test may have written it already.
  EXPECT_TRUE(log.empty() || log == "[warn] tile id 3 is past the tile set (3 tiles); drawn as nothing\n") << log;
  EXPECT_EQ(countValue(fb, 0), 64000);
}

// The sheet's height is not checked against the tile count: the rows of a
// tile that the sheet lacks are left as they were.
TEST(DrawTile, ASheetShorterThanItsCountDrawsOnlyTheRowsItHolds) {
  auto tiles = smallTiles();
  tiles.count = 40;
  tiles.image.height = 24;  // the second row of tiles is cut after 8 rows
  tiles.image.pixels.resize(32 * 24);
  for (const auto& [id, drawn] : {std::pair{0, 256}, {2, 128}, {3, 128}, {39, 0}}) {
    SCOPED_TRACE(id);
    Framebuffer fb = filled(5);
    drawTile(fb, tiles, static_cast<std::uint16_t>(id), 0, 0);
    EXPECT_EQ(64000 - countValue(fb, 5), drawn);
  }
}

TEST(DrawRoomAndScreen, PlaceTilesByRowAndFillScreensWhite) {
  const auto tiles = smallTiles();
  world::World w;
  world::Room room;
  for (auto& row : room.tiles) row.fill(1);
  room.tiles[9][19] = 2;
  room.tiles[0][0] = 0x8000;
  w.rooms.push_back(room);

  Framebuffer fb;
  drawRoom(fb, tiles, room, 40);
  EXPECT_EQ(at(fb, 0, 40), 0);            // empty cell
  EXPECT_EQ(at(fb, 16, 40), 9);           // tile 1's corner
  EXPECT_EQ(at(fb, 319, 199), 3);         // tile 2 in the last cell
  EXPECT_EQ(at(fb, 5, 39), 0);            // nothing above the offset

  world::Screen screen;
  for (auto& row : screen.header) row.fill(0);
  screen.room = -1;
  Framebuffer page = filled(4);
  drawScreen(page, tiles, w, screen);
  EXPECT_EQ(at(page, 0, 0), 9);
  EXPECT_EQ(at(page, 319, 31), 1);
  for (int y = 32; y < 200; ++y) ASSERT_EQ(at(page, 100, y), 15) << y;

  screen.room = 0;
  drawScreen(page, tiles, w, screen);
  EXPECT_EQ(at(page, 16, 32), 9);
  EXPECT_EQ(at(page, 2, 33), 15);  // the room's empty cell leaves the white background
  EXPECT_EQ(at(page, 319, 191), 3);
  EXPECT_EQ(at(page, 319, 192), 15);

  screen.room = 1;  // past the room list
  drawScreen(page, tiles, w, screen);
  EXPECT_EQ(at(page, 16, 32), 15);
}

TEST(Blit, FollowsTheIndexConvention) {
  auto image = filledImage(4, 1, 0);
  image.pixels = {20, 16, 3, 15};
  Framebuffer fb = filled(9);
  render::detail::blit(fb, image, 0, 0, 4, 1, 10, 10, 0, false);
  EXPECT_EQ(at(fb, 10, 10), 13);  // 9 OR 4
  EXPECT_EQ(at(fb, 11, 10), 9);   // transparent
  EXPECT_EQ(at(fb, 12, 10), 3);   // opaque
  EXPECT_EQ(at(fb, 13, 10), 15);

  Framebuffer black = filled(9);
  render::detail::blit(black, image, 0, 0, 4, 1, 10, 10, 0, true);
  EXPECT_EQ(at(black, 10, 10), 9);
  EXPECT_EQ(at(black, 11, 10), 9);
  EXPECT_EQ(at(black, 12, 10), 9);
  EXPECT_EQ(at(black, 13, 10), 15);
}

TEST(Blit, ClipsAtAllEdgesAtMinYAndAtTheImage) {
  const auto image = filledImage(10, 10, 6);
  Framebuffer fb;
  render::detail::blit(fb, image, 0, 0, 10, 10, -5, -5, 0, false);
  render::detail::blit(fb, image, 0, 0, 10, 10, 315, 195, 0, false);
  EXPECT_EQ(countValue(fb, 6), 50);
  EXPECT_EQ(at(fb, 4, 4), 6);
  EXPECT_EQ(at(fb, 319, 199), 6);

  Framebuffer limited;
  render::detail::blit(limited, image, 0, 0, 10, 10, 0, 35, 40, false);
  EXPECT_EQ(countValue(limited, 6), 50);
  EXPECT_EQ(at(limited, 0, 39), 0);
  EXPECT_EQ(at(limited, 0, 40), 6);

  // A rectangle reaching past the image only draws the part that exists.
  Framebuffer outside;
  render::detail::blit(outside, image, 5, 5, 10, 10, 0, 0, 0, false);
  EXPECT_EQ(countValue(outside, 6), 25);
  render::detail::blit(outside, image, 0, 0, 0, 10, 0, 0, 0, false);
  render::detail::blit(outside, image, 0, 0, 10, 0, 0, 0, 0, false);
  EXPECT_EQ(countValue(outside, 6), 25);
}

TEST(WriteByte, SetsAndClearsPlanesPerBitAndClips) {
  Framebuffer fb = filled(5);
  render::detail::writeByte(fb, 39, 3, 0b10000001, 2);
  EXPECT_EQ(at(fb, 312, 3), 7);
  for (int x = 313; x <= 318; ++x) EXPECT_EQ(at(fb, x, 3), 5);
  EXPECT_EQ(at(fb, 319, 3), 7);

  render::detail::writeByte(fb, 0, 0, 0, 4);
  EXPECT_EQ(at(fb, 0, 0), 1);
  EXPECT_EQ(at(fb, 7, 0), 1);
  EXPECT_EQ(at(fb, 8, 0), 5);

  Framebuffer untouched = filled(5);
  render::detail::writeByte(untouched, 40, 0, 255, 8);
  render::detail::writeByte(untouched, -1, 0, 255, 8);
  render::detail::writeByte(untouched, 0, -1, 255, 8);
  render::detail::writeByte(untouched, 0, 200, 255, 8);
  EXPECT_EQ(countValue(untouched, 5), 64000);
}

TEST(Framebuffer, DrawingIntoAShortVectorIsSkipped) {
  const auto tiles = smallTiles();
  Framebuffer fb;
  fb.pixels.resize(100);
  drawTile(fb, tiles, 1, 0, 0);
  render::detail::blit(fb, filledImage(4, 4, 3), 0, 0, 4, 4, 0, 0, 0, false);
  render::detail::writeByte(fb, 0, 0, 255, 1);
  EXPECT_EQ(fb.pixels.size(), 100u);
  EXPECT_EQ(fb.rows(0, 200).size(), 0u);
}
