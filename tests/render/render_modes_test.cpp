// The offline render tools run in-process: reference pictures of screens and
// rooms, a single room, and the three show screens, read back from the
// indexed PNG files they write.

#include <gtest/gtest.h>

#include <lodepng.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/files.h"
#include "program/modes.h"
#include "render/framebuffer.h"
#include "render/game_graphics.h"
#include "render/game_renderer.h"
#include "support/scratch_dir.h"
#include "test_graphics.h"

namespace fs = std::filesystem;

namespace {

struct IndexedPicture {
  unsigned width = 0;
  unsigned height = 0;
  std::vector<std::uint8_t> pixels;
  std::vector<std::uint8_t> paletteRgb;  // red, green, blue per entry
};

// The raw indices and the palette of an 8-bit palette PNG.
std::optional<IndexedPicture> readIndexed(const fs::path& file) {
  std::vector<unsigned char> bytes;
  if (lodepng::load_file(bytes, file.string()) != 0) return std::nullopt;
  lodepng::State state;
  state.decoder.color_convert = 0;
  IndexedPicture picture;
  if (lodepng::decode(picture.pixels, picture.width, picture.height, state, bytes) != 0) return std::nullopt;
  if (state.info_png.color.colortype != LCT_PALETTE || state.info_png.color.bitdepth != 8) return std::nullopt;
  for (std::size_t i = 0; i < state.info_png.color.palettesize; ++i) {
    for (int k = 0; k < 3; ++k) picture.paletteRgb.push_back(state.info_png.color.palette[i * 4 + k]);
  }
  return picture;
}

class RenderModes : public ::testing::Test {
 protected:
  RenderModes() {
    data.palette = gfx.palette;
    data.tiles = gfx.tiles;
    data.world = rendertest::makeWorld();
  }

  std::vector<std::uint8_t> expectedPalette() const {
    std::vector<std::uint8_t> rgb;
    for (const auto& colour : data.palette.colors) {
      const auto c = assets::Palette::toRgb8(colour);
      rgb.insert(rgb.end(), c.begin(), c.end());
    }
    return rgb;
  }
  std::vector<std::uint8_t> roomRows(int room) const {
    render::Framebuffer fb;
    render::drawRoom(fb, data.tiles, data.world.rooms[room], 40);
    return fb.rows(40, 200);
  }
  std::vector<std::uint8_t> screenPixels(const std::string& name) const {
    render::Framebuffer fb;
    render::drawScreen(fb, data.tiles, data.world, data.world.screens.at(name));
    return fb.pixels;
  }
  // A room list of `count` rooms, room i with id i, each in its own tile pattern.
  void useRooms(int count) {
    const world::Room model = data.world.rooms[1];
    data.world.rooms.clear();
    for (int i = 0; i < count; ++i) {
      world::Room room = model;
      room.id = i;
      room.tiles[0][0] = static_cast<std::uint16_t>(i);
      data.world.rooms.push_back(room);
    }
  }

  render::GameGraphics gfx = rendertest::makeGraphics();
  Data data;
  testsupport::ScratchDir scratch{"tumbold_render"};
  const fs::path dir = scratch.path();
};

}  // namespace

TEST_F(RenderModes, ARoomIsThePlayAreaInTheGamePalette) {
  const fs::path file = dir / "nested" / "room.png";
  ASSERT_TRUE(renderRoomPng(data, 2, file));
  const auto picture = readIndexed(file);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 320u);
  EXPECT_EQ(picture->height, 160u);
  EXPECT_EQ(picture->pixels, roomRows(2));
  EXPECT_EQ(picture->paletteRgb, expectedPalette());
  EXPECT_EQ(picture->paletteRgb.size(), 48u);
}

TEST_F(RenderModes, ARoomOutsideTheListIsAnErrorAndWritesNothing) {
  const int count = static_cast<int>(data.world.rooms.size());
  for (int room : {-1, count}) {
    const fs::path file = dir / ("room" + std::to_string(room) + ".png");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(renderRoomPng(data, room, file));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[error] no room " + std::to_string(room) + "\n");
    EXPECT_FALSE(fs::exists(file));
  }
}

TEST_F(RenderModes, GoldensCoverEveryScreenAndEveryRoomButTheTwoWithoutReference) {
  useRooms(77);
  // Two screens on one room number: the later name wins the shared file.
  data.world.screens["a_first"] = data.world.screens.at("title");
  data.world.screens["a_first"].room = 5;
  data.world.screens["b_second"] = data.world.screens.at("end");
  data.world.screens["b_second"].room = 5;
  data.world.screens["b_second"].header[0][0] = 7;

  ASSERT_TRUE(renderGoldens(data, dir));

  for (const auto& [name, screen] : data.world.screens) {
    const fs::path file = dir / ("screen_" + std::string(screen.room < 10 ? "0" : "") + std::to_string(screen.room) + ".png");
    const auto picture = readIndexed(file);
    ASSERT_TRUE(picture) << file;
    EXPECT_EQ(picture->width, 320u);
    EXPECT_EQ(picture->height, 200u);
    EXPECT_EQ(picture->paletteRgb, expectedPalette());
    if (name == "a_first") continue;  // overwritten by b_second
    EXPECT_EQ(picture->pixels, screenPixels(name)) << name;
  }
  int rooms = 0;
  for (const auto& entry : fs::directory_iterator(dir)) rooms += entry.path().filename().string().rfind("room_", 0) == 0;
  EXPECT_EQ(rooms, 75);
  EXPECT_FALSE(fs::exists(dir / "room_75.png"));
  EXPECT_FALSE(fs::exists(dir / "room_76.png"));
  for (int room : {0, 9, 10, 74}) {
    char name[32];
    std::snprintf(name, sizeof name, "room_%02d.png", room);
    const auto picture = readIndexed(dir / name);
    ASSERT_TRUE(picture) << name;
    EXPECT_EQ(picture->pixels, roomRows(room)) << name;
  }
}

TEST_F(RenderModes, AFailedGoldenIsReportedButTheOthersAreStillWritten) {
  useRooms(5);
  fs::create_directories(dir / "room_02.png");  // a folder where a picture should go
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(renderGoldens(data, dir));
  ::testing::internal::GetCapturedStderr();
  for (const char* name : {"room_00.png", "room_01.png", "room_03.png", "room_04.png", "screen_01.png", "screen_03.png"}) {
    EXPECT_TRUE(readIndexed(dir / name)) << name;
  }
}

TEST_F(RenderModes, ShowScreensAreTheTitleTheEndingAndGameOver) {
  const fs::path root = TUMBOLD_SOURCE_DIR;
  const auto shipped = render::loadGameGraphics(root);
  ASSERT_TRUE(shipped);
  const fs::path out = dir / "deep" / "screens";
  ASSERT_EQ(renderScreens(data, root, out), 0);

  const render::GameRenderer renderer(*shipped, data.world);
  const std::pair<const char*, const char*> shows[] = {{"title", "title"}, {"end", "ending"}, {"end", "game_over"}};
  for (const auto& [screen, text] : shows) {
    render::Framebuffer expected;
    renderer.drawShowScreen(expected, screen, text);
    const auto picture = readIndexed(out / (std::string(text) + ".png"));
    ASSERT_TRUE(picture) << text;
    EXPECT_EQ(picture->width, 320u);
    EXPECT_EQ(picture->height, 200u);
    EXPECT_EQ(picture->pixels, expected.pixels) << text;
    EXPECT_EQ(picture->paletteRgb, expectedPalette());
  }
}

TEST_F(RenderModes, ShowScreensNeedTheGameGraphics) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(renderScreens(data, dir / "no data here", dir / "out"), 1);
  EXPECT_FALSE(::testing::internal::GetCapturedStderr().empty());
  EXPECT_FALSE(fs::exists(dir / "out"));
}
