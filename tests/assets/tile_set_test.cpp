#include <gtest/gtest.h>

#include <string>

#include "asset_fixtures.h"
#include "assets/tile_set.h"

using namespace assets_test;

namespace {

// tiles.json with the given text beside a sheet of w x h pixels.
void writeTiles(const fs::path& dir, const std::string& json, unsigned w = 32, unsigned h = 32) {
  writeBytes(dir / "tiles.json", json);
  writeBytes(dir / "tiles.png", indexedPng(w, h));
}

}  // namespace

TEST(TileSet, LoadsGeometryAttributesAndSheet) {
  TempDir dir;
  writeTiles(dir.path(), kTilesJson);
  const auto set = assets::loadTileSet(dir.path());
  ASSERT_TRUE(set);
  EXPECT_EQ(set->columns, 2);
  EXPECT_EQ(set->count, 3);
  EXPECT_EQ(set->collisionTiles, 2);
  ASSERT_EQ(set->attributes.size(), 2u);
  EXPECT_EQ(set->attributes[0], (std::array<std::uint8_t, 4>{0, 1, 2, 3}));
  EXPECT_EQ(set->attributes[1], (std::array<std::uint8_t, 4>{3, 2, 1, 0}));
  EXPECT_EQ(set->image.width, 32);
  EXPECT_EQ(set->image.height, 32);
  EXPECT_EQ(set->image.pixels.size(), 32u * 32u);
}

TEST(TileSet, AttributesAndCollisionCountAreOptional) {
  TempDir dir;
  writeTiles(dir.path(), R"({"columns":2,"count":4})");
  const auto set = assets::loadTileSet(dir.path());
  ASSERT_TRUE(set);
  EXPECT_TRUE(set->attributes.empty());
  EXPECT_EQ(set->collisionTiles, 0);
}

TEST(TileSet, RefusesGeometryThatDoesNotMatchTheSheet) {
  TempDir dir;
  struct Case {
    const char* json;
    unsigned w, h;
  };
  const Case cases[] = {
      {R"({"columns":32,"count":10})", 496, 16},  // one tile short of 32 columns
      {R"({"columns":2})", 32, 32},               // no count
      {R"({"count":2})", 32, 32},                 // no columns
      {R"({"columns":0,"count":2})", 32, 32},
      {R"({"columns":-3,"count":2})", 32, 32},
      {R"({"columns":2,"count":-1})", 32, 32},
      {R"({"columns":2147483647,"count":1})", 32, 32},  // 16 x columns must not overflow
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    writeTiles(dir.path(), c.json, c.w, c.h);
    LogCapture log;
    EXPECT_FALSE(assets::loadTileSet(dir.path()));
    expectOneError(log, "tiles.json: bad columns/count");
  }
}

TEST(TileSet, TheSheetsHeightIsNotCheckedAgainstTheCount) {
  TempDir dir;
  writeTiles(dir.path(), R"({"columns":2,"count":5})", 32, 20);
  LogCapture log;
  const auto set = assets::loadTileSet(dir.path());
  ASSERT_TRUE(set);
  EXPECT_EQ(set->count, 5);
  EXPECT_TRUE(log.lines().empty());
}

TEST(TileSet, RefusesAttributesThatAreNotFourDigits) {
  TempDir dir;
  for (const char* bad : {"012", "01a2", "01234", "", "-123", "0 12"}) {
    SCOPED_TRACE(bad);
    writeTiles(dir.path(), std::string(R"({"columns":2,"count":2,"attributes":["0000",")") + bad + "\"]}");
    LogCapture log;
    EXPECT_FALSE(assets::loadTileSet(dir.path()));
    expectOneError(log, std::string("tiles.json: attribute entry '") + bad + "' is not 4 digits");
  }
}

TEST(TileSet, RefusesValuesOfTheWrongType) {
  TempDir dir;
  // Each message names the key and what was found there.
  const std::pair<const char*, const char*> cases[] = {
      {R"([2,2])", "expected an object, found array"},
      {R"("tiles")", "expected an object, found string"},
      {R"({"columns":"2","count":2})", R"("columns" must be a number, not string)"},
      {R"({"columns":2,"count":null})", R"("count" must be a number, not null)"},
      {R"({"columns":2,"count":true})", R"("count" must be a number, not boolean)"},
      {R"({"columns":2,"count":2,"collision_tiles":[]})", R"("collision_tiles" must be a number, not array)"},
      {R"({"columns":1e10,"count":2})", R"("columns" 10000000000.0 does not fit in 32 bits)"},
      {R"({"columns":2,"count":99999999999999999999})", R"("count" 1e+20 does not fit in 32 bits)"},
      {R"({"columns":2,"count":2,"attributes":["0000",1]})", "attribute entry 1 is a number, not a string"},
      {R"({"columns":2,"count":2,"attributes":{"a":"0000"}})", "attributes must be an array, not object"},
      {R"({"columns":2,"count":2,"attributes":"0000"})", "attributes must be an array, not string"},
  };
  for (const auto& [json, message] : cases) {
    SCOPED_TRACE(json);
    writeTiles(dir.path(), json);
    LogCapture log;
    EXPECT_FALSE(assets::loadTileSet(dir.path()));
    expectOneError(log, std::string("tiles.json: ") + message);
  }
}

TEST(TileSet, FileProblemsStopBeforeTheSheetIsRead) {
  TempDir dir;
  // Invalid JSON: the sheet is not even looked at, so one line only.
  writeBytes(dir.path() / "tiles.json", R"({"columns":2,)");
  {
    LogCapture log;
    EXPECT_FALSE(assets::loadTileSet(dir.path()));
    expectOneError(log, "tiles.json: invalid JSON");
  }
  // Valid JSON, sheet missing: the file-access line.
  writeBytes(dir.path() / "tiles.json", kTilesJson);
  {
    LogCapture log;
    EXPECT_FALSE(assets::loadTileSet(dir.path()));
    expectOneErrorStartingWith(log, "cannot open ");
  }
  // A sheet that is not an 8-bit palette picture.
  writeBytes(dir.path() / "tiles.png", encodePng(32, 32, std::vector<unsigned char>(32 * 32), LCT_GREY, 8));
  {
    LogCapture log;
    EXPECT_FALSE(assets::loadTileSet(dir.path()));
    expectOneError(log, (dir.path() / "tiles.png").string() + ": not an 8-bit palette PNG");
  }
}
