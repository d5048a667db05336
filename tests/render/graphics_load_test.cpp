#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "assets/indexed_image.h"
#include "render/game_graphics.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

// A minimal but complete graphics folder written to disk.
class GraphicsFolder : public ::testing::Test {
 protected:
  GraphicsFolder() {
    graphics = root / "assets" / "graphics";
    const std::vector<std::uint8_t> palette(48, 0);
    auto png = [&](const fs::path& file, int w, int h) {
      ASSERT_TRUE(assets::saveIndexedPng(file, w, h, std::vector<std::uint8_t>(w * h, 1), palette));
    };
    auto text = [&](const fs::path& file, const std::string& content) {
      fs::create_directories(file.parent_path());
      std::ofstream(file) << content;
    };
    text(root / "assets" / "palettes" / "vga.json",
         R"({"dac6": [[0,0,0],[1,1,1],[2,2,2],[3,3,3],[4,4,4],[5,5,5],[6,6,6],[7,7,7],)"
         R"([8,8,8],[9,9,9],[10,10,10],[11,11,11],[12,12,12],[13,13,13],[14,14,14],[63,63,63]]})");
    text(graphics / "tiles.json", R"({"columns": 2, "count": 4, "collision_tiles": 2, "attributes": ["0000", "1111"]})");
    png(graphics / "tiles.png", 32, 32);
    png(graphics / "panel.png", 320, 40);
    for (const char* sheet : {"objects", "font", "logo"}) {
      text(graphics / (std::string(sheet) + ".json"), R"({"item_w": 8, "item_h": 8, "columns": 2, "count": 4})");
      png(graphics / (std::string(sheet) + ".png"), 16, 16);
    }
    text(graphics / "lifts.json", R"({"types": [{"x": 0, "y": 0, "w": 16, "h": 4}]})");
    png(graphics / "lifts.png", 16, 4);
    text(graphics / "draw_tables.json",
         R"({"glueon_overlay": {"first_player_frame": 20, "frames": [1, 2]},)"
         R"( "shades_overlay": {"entries": [[1, 2, 3]]},)"
         R"( "lift_rope": {"planes": [[1,2,3,4],[5,6,7,8],[9,10,11,12],[13,14,15,16]]},)"
         R"( "energy_bar": {"columns": [2, 4], "partial": [1,2,3,4,5,6,7,8]}})");
    for (const char* set : {"tumbold", "misc", "frank", "shades", "glueon", "balloon", "chandel"}) {
      text(graphics / "sprites" / (std::string(set) + ".json"),
           R"({"frames": [{"x": 0, "y": 0, "w": 4, "h": 4, "ox": 0, "oy": 0, "source": {"xoff": 1, "yoff": 2}}]})");
      png(graphics / "sprites" / (std::string(set) + ".png"), 4, 4);
    }
  }

  std::optional<render::GameGraphics> load(std::string& log) {
    ::testing::internal::CaptureStderr();
    auto gfx = render::loadGameGraphics(root);
    log = ::testing::internal::GetCapturedStderr();
    return gfx;
  }

  testsupport::ScratchDir scratch{"tumbold_render"};
  const fs::path root = scratch.path();
  fs::path graphics;
};

}  // namespace

TEST_F(GraphicsFolder, LoadsEveryPartSilently) {
  std::string log;
  const auto gfx = load(log);
  ASSERT_TRUE(gfx) << log;
  EXPECT_EQ(log, "");
  EXPECT_EQ(gfx->tiles.count, 4);
  EXPECT_EQ(gfx->palette[15][0], 63);
  EXPECT_EQ(gfx->panel.width, 320);
  EXPECT_EQ(gfx->objects.count, 4);
  EXPECT_EQ(gfx->font.itemW, 8);
  EXPECT_EQ(gfx->logoX, 112);
  EXPECT_EQ(gfx->logoY, 4);
  EXPECT_EQ(gfx->lifts.types.size(), 1u);
  EXPECT_EQ(gfx->drawTables.glueonFirstPlayerFrame, 20);
  for (const auto* set : {&gfx->tumbold, &gfx->misc, &gfx->frank, &gfx->shades, &gfx->glueon, &gfx->balloon,
                          &gfx->chandel}) {
    ASSERT_EQ(set->frames.size(), 1u);
    EXPECT_EQ(set->frames[0].yoff, 2);
  }
}

TEST_F(GraphicsFolder, AMissingBaseGraphicStillTriesTheOthers) {
  fs::remove(graphics / "font.json");
  fs::remove(graphics / "panel.png");
  fs::remove(graphics / "draw_tables.json");
  std::string log;
  EXPECT_FALSE(load(log));
  EXPECT_NE(log.find("font.json"), std::string::npos) << log;
  EXPECT_NE(log.find("panel.png"), std::string::npos) << log;
  EXPECT_NE(log.find("draw_tables.json"), std::string::npos) << log;
  EXPECT_EQ(log.find("sprites"), std::string::npos) << "sprite sets are not tried after a failure\n" << log;
}

TEST_F(GraphicsFolder, TheFirstMissingSpriteSetEndsTheLoad) {
  fs::remove(graphics / "sprites" / "frank.json");
  fs::remove(graphics / "sprites" / "shades.json");
  std::string log;
  EXPECT_FALSE(load(log));
  EXPECT_NE(log.find("frank.json"), std::string::npos) << log;
  EXPECT_EQ(log.find("shades"), std::string::npos) << log;
}

TEST(GameGraphicsDefaults, AnEmptySetHasTheFixedLogoPlaceAndGlueonStart) {
  const render::GameGraphics gfx;
  EXPECT_EQ(gfx.logoX, 112);
  EXPECT_EQ(gfx.logoY, 4);
  EXPECT_EQ(gfx.drawTables.glueonFirstPlayerFrame, 26);
  EXPECT_EQ(gfx.objects.columns, 1);
  EXPECT_TRUE(gfx.tumbold.frames.empty());
  EXPECT_TRUE(gfx.tiles.image.pixels.empty());
}
