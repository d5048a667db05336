#include <gtest/gtest.h>

#include <string>

#include "asset_fixtures.h"
#include "assets/draw_tables.h"
#include "assets/lift_graphics.h"
#include "assets/sheet.h"
#include "assets/sprite_set.h"

using namespace assets_test;

namespace {

// name.json with the text and name.png of w x h pixels.
void writePair(const fs::path& dir, const std::string& name, const std::string& json, unsigned w = 8,
               unsigned h = 8) {
  writeBytes(dir / (name + ".json"), json);
  writeBytes(dir / (name + ".png"), indexedPng(w, h));
}

std::string frameJson(const std::string& x, const std::string& w) {
  return R"({"frames":[{"x":)" + x + R"(,"y":0,"w":)" + w + R"(,"h":2,"ox":0,"oy":0,"source":{"xoff":0,"yoff":0}}]})";
}

}  // namespace

TEST(SpriteSet, LoadsFramesInOrderWithLowByteOffsets) {
  TempDir dir;
  writePair(dir.path(), "hero", kSpritesJson);
  const auto set = assets::loadSpriteSet(dir.path(), "hero");
  ASSERT_TRUE(set);
  ASSERT_EQ(set->frames.size(), 2u);
  const assets::SpriteFrame& a = set->frames[0];
  EXPECT_EQ(a.x, 0);
  EXPECT_EQ(a.w, 4);
  EXPECT_EQ(a.h, 3);
  EXPECT_EQ(a.ox, -2);
  EXPECT_EQ(a.oy, 1);
  EXPECT_EQ(a.xoff, 5);
  EXPECT_EQ(a.yoff, 4);  // 260 keeps its low byte
  const assets::SpriteFrame& b = set->frames[1];
  EXPECT_EQ(b.x, 4);
  EXPECT_EQ(b.y, 2);
  EXPECT_EQ(b.yoff, 255);
  EXPECT_EQ(set->image.width, 8);
}

TEST(SpriteSet, NoFramesKeyMeansNoFrames) {
  TempDir dir;
  writePair(dir.path(), "s", R"({"format":"tumbold-sprites","version":2})");
  const auto set = assets::loadSpriteSet(dir.path(), "s");
  ASSERT_TRUE(set);
  EXPECT_TRUE(set->frames.empty());
}

TEST(SpriteSet, MalformedFramesFailWithTheLibraryText) {
  TempDir dir;
  writePair(dir.path(), "s", R"({"frames":["frame"]})");
  {
    LogCapture log;
    EXPECT_FALSE(assets::loadSpriteSet(dir.path(), "s"));
    expectOneError(log, "s.json: [json.exception.type_error.304] cannot use at() with string");
  }
  for (const char* json : {
           R"({"frames":[{"x":0,"y":0,"w":1,"h":1,"ox":0,"source":{"xoff":0,"yoff":0}}]})",          // no oy
           R"({"frames":[{"x":0,"y":0,"w":1,"h":1,"ox":0,"oy":0}]})",                               // no source
           R"({"frames":[{"x":"0","y":0,"w":1,"h":1,"ox":0,"oy":0,"source":{"xoff":0,"yoff":0}}]})",  // string
           R"({"frames":[{"x":0,"y":0,"w":1,"h":1,"ox":false,"oy":0,"source":{"xoff":0,"yoff":0}}]})",
           R"({"frames":[{"x":0,"y":0,"w":1,"h":1,"ox":0,"oy":0,"source":{"xoff":1e300,"yoff":0}}]})",
           R"({"frames":[{"x":0,"y":0,"w":1,"h":1,"ox":0,"oy":0,"source":[0,0]}]})",
           R"({"frames":[{"x":0,"y":0,"w":1,"h":1,"ox":5000000000,"oy":0,"source":{"xoff":0,"yoff":0}}]})",
           R"({"frames":{"x":0}})",
           R"({"frames":7})",
           R"([{"frames":[]}])",
       }) {
    SCOPED_TRACE(json);
    writePair(dir.path(), "s", json);
    LogCapture log;
    EXPECT_FALSE(assets::loadSpriteSet(dir.path(), "s"));
    expectOneErrorStartingWith(log, "s.json: [json.exception.");
  }
}

// Rectangles are taken as they stand, inside their picture or not: the
// drawing reads what lies outside as transparent.
TEST(SpriteSetSheetAndLifts, RectanglesOutsideThePictureAreAccepted) {
  TempDir dir;
  for (const auto& [x, w] : {std::pair{4, 4}, {5, 4}, {-1, 2}, {0, -1}, {2147483647, 2147483647}}) {
    SCOPED_TRACE(std::to_string(x) + " " + std::to_string(w));
    const std::string xs = std::to_string(x), ws = std::to_string(w);
    writePair(dir.path(), "s", frameJson(xs, ws));
    writePair(dir.path(), "lifts", R"({"types":[{"x":)" + xs + R"(,"y":7,"w":)" + ws + R"(,"h":2}]})");
    LogCapture log;
    const auto set = assets::loadSpriteSet(dir.path(), "s");
    const auto lifts = assets::loadLiftGraphics(dir.path());
    EXPECT_TRUE(log.lines().empty());
    ASSERT_TRUE(set && lifts);
    EXPECT_EQ(set->frames.at(0).x, x);
    EXPECT_EQ(set->frames.at(0).w, w);
    EXPECT_EQ(lifts->types.at(0).x, x);
    EXPECT_EQ(lifts->types.at(0).w, w);
  }
  // 8 x 8 picture: items past the fourth 4 x 4 cell lie outside it.
  for (const char* json : {R"({"item_w":4,"item_h":4,"columns":2,"count":5})", R"({"item_w":9,"item_h":1,"count":1})",
                           R"({"item_w":2147483647,"item_h":2147483647,"columns":2147483647,"count":2147483647})"}) {
    SCOPED_TRACE(json);
    writePair(dir.path(), "font", json);
    LogCapture log;
    EXPECT_TRUE(assets::loadSheet(dir.path(), "font"));
    EXPECT_TRUE(log.lines().empty());
  }
}

TEST(SpriteSet, BothFilesAreTriedBeforeGivingUp) {
  TempDir dir;
  writeBytes(dir.path() / "s.json", "{");  // and no s.png
  LogCapture log;
  EXPECT_FALSE(assets::loadSpriteSet(dir.path(), "s"));
  const auto lines = log.lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "[error] " + (dir.path() / "s.json").string() + ": invalid JSON");
  EXPECT_NE(lines[1].find("s.png"), std::string::npos);
}

TEST(SpriteSet, AMissingPictureFailsAValidDescription) {
  TempDir dir;
  writeBytes(dir.path() / "s.json", kSpritesJson);
  LogCapture log;
  EXPECT_FALSE(assets::loadSpriteSet(dir.path(), "s"));
  expectOneError(log, "cannot open " + (dir.path() / "s.png").string());
}

TEST(Sheet, LoadsGeometryWithDefaults) {
  TempDir dir;
  writePair(dir.path(), "objects", kSheetJson);
  auto sheet = assets::loadSheet(dir.path(), "objects");
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->itemW, 4);
  EXPECT_EQ(sheet->itemH, 4);
  EXPECT_EQ(sheet->columns, 2);
  EXPECT_EQ(sheet->count, 3);

  writePair(dir.path(), "logo", R"({"item_w":8,"item_h":8,"first_code":32})");
  sheet = assets::loadSheet(dir.path(), "logo");
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->columns, 1);
  EXPECT_EQ(sheet->count, 0);
}

TEST(Sheet, RefusesBadItemGeometry) {
  TempDir dir;
  for (const char* json : {R"({"item_w":0,"item_h":4})", R"({"item_w":4})", R"({"item_w":4,"item_h":4,"columns":0})",
                           R"({"item_w":4,"item_h":-4})"}) {
    SCOPED_TRACE(json);
    writePair(dir.path(), "font", json);
    LogCapture log;
    EXPECT_FALSE(assets::loadSheet(dir.path(), "font"));
    expectOneError(log, "font.json: bad item geometry");
  }
}

TEST(Sheet, RefusesValuesOfTheWrongType) {
  TempDir dir;
  const std::pair<const char*, const char*> cases[] = {
      {R"([4,4])", "[json.exception.type_error.302] root must be object, but is array"},
      {R"({"item_w":"4","item_h":4})", R"("item_w" must be a number, not string)"},
      {R"({"item_w":4,"item_h":4,"count":null})", R"("count" must be a number, not null)"},
      {R"({"item_w":4,"item_h":4,"columns":[2]})", R"("columns" must be a number, not array)"},
      {R"({"item_w":4e20,"item_h":4})", R"("item_w" 4e+20 does not fit in 32 bits)"},
  };
  for (const auto& [json, message] : cases) {
    SCOPED_TRACE(json);
    writePair(dir.path(), "font", json);
    LogCapture log;
    EXPECT_FALSE(assets::loadSheet(dir.path(), "font"));
    expectOneError(log, std::string("font.json: ") + message);
  }
}

TEST(LiftGraphics, LoadsOneRectanglePerType) {
  TempDir dir;
  writePair(dir.path(), "lifts", kLiftsJson);
  const auto lifts = assets::loadLiftGraphics(dir.path());
  ASSERT_TRUE(lifts);
  ASSERT_EQ(lifts->types.size(), 2u);
  EXPECT_EQ(lifts->types[1].x, 2);
  EXPECT_EQ(lifts->types[1].y, 4);
  EXPECT_EQ(lifts->types[1].w, 6);
  EXPECT_EQ(lifts->types[1].h, 4);
}

TEST(LiftGraphics, RefusesMalformedTypes) {
  TempDir dir;
  const std::pair<const char*, const char*> cases[] = {
      {R"({"types":[5]})", "type 0 must be an object, not number"},
      {R"({"types":[{"x":0,"y":0,"w":1,"h":1},{"x":0,"y":0,"w":1}]})", R"(type 1 has no "h")"},
      {R"({"types":[{"x":0,"y":0,"w":1,"h":"1"}]})", R"(type 0 "h" must be a number, not string)"},
      {R"({"types":[{"x":0,"y":3e10,"w":1,"h":1}]})", R"(type 0 "y" 30000000000.0 does not fit in 32 bits)"},
      {R"({"types":"none"})", R"("types" must be an array, not string)"},
      {R"(3)", "[json.exception.type_error.302] root must be object, but is number"},
  };
  for (const auto& [json, message] : cases) {
    SCOPED_TRACE(json);
    writePair(dir.path(), "lifts", json);
    LogCapture log;
    EXPECT_FALSE(assets::loadLiftGraphics(dir.path()));
    expectOneError(log, std::string("lifts.json: ") + message);
  }
}

TEST(DrawTables, LoadsEveryTable) {
  TempDir dir;
  writeBytes(dir.path() / "draw_tables.json", kDrawTablesJson);
  const auto t = assets::loadDrawTables(dir.path());
  ASSERT_TRUE(t);
  EXPECT_EQ(t->glueonFirstPlayerFrame, 30);
  EXPECT_EQ(t->glueonFrames, (std::vector<std::int32_t>{3, 4, 5}));
  ASSERT_EQ(t->shadesEntries.size(), 2u);
  EXPECT_EQ(t->shadesEntries[0], (std::array<std::int32_t, 3>{1, -2, 0}));
  EXPECT_EQ(t->liftRope[0], (std::array<std::int32_t, 4>{1, 2, 3, 4}));
  EXPECT_EQ(t->liftRope[3], (std::array<std::int32_t, 4>{13, 14, 15, 16}));
  EXPECT_EQ(t->energyColumns, (std::vector<std::int32_t>{15, 14}));
  EXPECT_EQ(t->energyPartial, (std::vector<std::int32_t>{128, 192, 224, 240, 248, 252, 254, 255}));
}

TEST(DrawTables, OptionalPartsTakeTheirDefaults) {
  TempDir dir;
  writeBytes(dir.path() / "draw_tables.json",
             R"({"glueon_overlay":{"frames":[]},"lift_rope":{"planes":[[0,0,0,0],[0,0,0,0],[0,0,0,0],[0,0,0,0]]},)"
             R"("energy_bar":{"columns":[],"partial":[1,2,3,4,5,6,7,8]}})");
  const auto t = assets::loadDrawTables(dir.path());
  ASSERT_TRUE(t);
  EXPECT_EQ(t->glueonFirstPlayerFrame, 26);
  EXPECT_TRUE(t->shadesEntries.empty());
}

TEST(DrawTables, RefusesMissingOrMalformedTables) {
  TempDir dir;
  const fs::path file = dir.path() / "draw_tables.json";
  const std::string rope = R"("lift_rope":{"planes":[[0,0,0,0],[0,0,0,0],[0,0,0,0],[0,0,0,0]]})";
  const std::string energy = R"("energy_bar":{"columns":[1],"partial":[1,2,3,4,5,6,7,8]})";
  const std::string glueon = R"("glueon_overlay":{"frames":[1]})";

  writeBytes(file, "{" + glueon + "," + rope + R"(,"energy_bar":{"columns":[1],"partial":[1,2,3,4,5,6,7]}})");
  {
    LogCapture log;
    EXPECT_FALSE(assets::loadDrawTables(dir.path()));
    expectOneError(log, "draw_tables.json: energy_bar.partial needs 8 entries");
  }
  writeBytes(file, "{" + rope + "," + energy + "}");
  {
    LogCapture log;
    EXPECT_FALSE(assets::loadDrawTables(dir.path()));
    expectOneError(log, "draw_tables.json: [json.exception.out_of_range.403] key 'glueon_overlay' not found");
  }
  // Wrong types keep the JSON library's text; short rows say what they lack.
  const std::pair<std::string, std::string> broken[] = {
      {"{" + std::string(R"("glueon_overlay":{"first_player_frame":26})") + "," + rope + "," + energy + "}",
       "[json.exception."},
      {"{" + std::string(R"("glueon_overlay":[1])") + "," + rope + "," + energy + "}", "[json.exception."},
      {"{" + glueon + R"(,"shades_overlay":{"entries":[[1,2,3],[1,2]]},)" + rope + "," + energy + "}",
       "shades_overlay.entries[1] needs 3 numbers"},
      {"{" + glueon + R"(,"shades_overlay":{"entries":[{"dx":1}]},)" + rope + "," + energy + "}", "[json.exception."},
      {"{" + glueon + R"(,"lift_rope":{"planes":[[0,0,0,0],[0,0,0,0],[0,0,0,0]]},)" + energy + "}",
       "lift_rope.planes needs 4 rows of 4 numbers"},
      {"{" + glueon + R"(,"lift_rope":{"planes":[[0,0,0,0],[0,0,0,0],[0,0,0],[0,0,0,0]]},)" + energy + "}",
       "lift_rope.planes needs 4 rows of 4 numbers"},
      {"{" + glueon + R"(,"lift_rope":{"planes":[[0,0,0,0],[0,0,0,0],"abcd",[0,0,0,0]]},)" + energy + "}",
       "[json.exception."},
      {"{" + glueon + "," + rope + R"(,"energy_bar":{"partial":[1,2,3,4,5,6,7,8]}})", "[json.exception."},
      {"{" + glueon + "," + rope + R"(,"energy_bar":{"columns":[1e99],"partial":[1,2,3,4,5,6,7,8]}})",
       "[json.exception."},
      {"{" + glueon + "," + rope + R"(,"energy_bar":{"columns":{"a":1},"partial":[1,2,3,4,5,6,7,8]}})",
       "[json.exception."},
      {"[]", "[json.exception."},
  };
  for (const auto& [text, message] : broken) {
    SCOPED_TRACE(text);
    writeBytes(file, text);
    LogCapture log;
    EXPECT_FALSE(assets::loadDrawTables(dir.path()));
    expectOneErrorStartingWith(log, "draw_tables.json: " + message);
  }
  writeBytes(file, "{\"glueon_overlay\":");
  LogCapture log;
  EXPECT_FALSE(assets::loadDrawTables(dir.path()));
  expectOneError(log, file.string() + ": invalid JSON");
}
