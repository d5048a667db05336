#include <gtest/gtest.h>

#include <filesystem>

#include "render/hud_screen.h"
#include "support/scratch_dir.h"
#include "test_graphics.h"

using render::Framebuffer;
using render::HudScreen;
using render::PanelView;
using render::RgbaImage;

namespace {

constexpr std::uint32_t kArt = 0xFF406080u;  // the frame art's colour everywhere
constexpr std::uint32_t kBlack = 0xFF000000u;

RgbaImage frameArt(std::uint32_t colour = kArt) {
  RgbaImage image;
  image.width = 348;
  image.height = 240;
  image.pixels.assign(348 * 240, colour);
  return image;
}

class Hud : public ::testing::Test {
 protected:
  render::GameGraphics gfx = rendertest::makeGraphics();
  world::World world = rendertest::makeWorld();
  HudScreen hud{gfx, world, frameArt()};
  std::array<std::uint32_t, 16> colours = render::colourTable(gfx.palette);

  static std::uint32_t at(const RgbaImage& image, int x, int y) { return image.pixels[y * image.width + x]; }
  static int count(const RgbaImage& image, std::uint32_t argb) {
    int n = 0;
    for (auto p : image.pixels) n += p == argb;
    return n;
  }
  static PanelView view(int room, int lives, int energy, int score) {
    PanelView v;
    v.valid = true;
    v.room = room;
    v.lives = lives;
    v.energy = energy;
    v.score = score;
    return v;
  }
};

}  // namespace

TEST_F(Hud, LifeIconsComeFromTheTilesWithTheKeyColourSeeThrough) {
  EXPECT_EQ(hud.lifeIcon[0][0], -1);
  EXPECT_EQ(hud.lifeIcon[13][8], 12);
  EXPECT_EQ(hud.blankIcon[3][3], 8);
  EXPECT_EQ(hud.blankIcon[7][7], -1);

  gfx.tiles.count = 1000;  // the icons past the tile set are wholly see-through
  ::testing::internal::CaptureStderr();
  HudScreen bare(gfx, world, frameArt());
  ::testing::internal::GetCapturedStderr();
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 16; ++c) ASSERT_EQ(bare.lifeIcon[r][c], -1);
}

TEST_F(Hud, PlayAreaGoesInsideTheFrameAndAnInvalidViewLeavesThePanelArt) {
  Framebuffer fb;
  fb.pixels.assign(64000, 3);
  fb.pixels[40 * 320] = 19;  // only the low 4 bits count
  fb.pixels[199 * 320 + 319] = 5;
  RgbaImage out;
  hud.composePlay(fb, gfx.palette, PanelView{}, nullptr, out, nullptr);
  ASSERT_EQ(out.width, 348);
  ASSERT_EQ(out.height, 240);
  EXPECT_EQ(at(out, 14, 66), colours[3]);
  EXPECT_EQ(at(out, 15, 66), colours[3]);
  EXPECT_EQ(at(out, 333, 225), colours[5]);
  EXPECT_EQ(at(out, 13, 66), kArt);
  EXPECT_EQ(at(out, 14, 65), kArt);
  EXPECT_EQ(at(out, 334, 225), kArt);
  EXPECT_EQ(at(out, 14, 226), kArt);
  EXPECT_EQ(count(out, colours[3]), 320 * 160 - 1);

  // A palette other than the graphics' own (a fade) colours the play area only.
  assets::Palette dark{};
  hud.composePlay(fb, dark, view(0, 3, 10, 0), nullptr, out, nullptr);
  EXPECT_EQ(at(out, 14, 66), kBlack);
  EXPECT_EQ(at(out, 200, 14), kBlack) << "energy bar blacked in true black";
  EXPECT_EQ(at(out, 117 + 1, 22 + 1), colours[1]) << "score digits in the graphics' palette";
}

TEST_F(Hud, BubblePixelsOverThePanelFollowTheMask) {
  Framebuffer fb;
  fb.pixels.assign(64000, 2);
  std::vector<std::uint8_t> mask(64000, 0);
  mask[10 * 320 + 5] = 1;
  RgbaImage out;
  hud.composePlay(fb, gfx.palette, PanelView{}, &mask, out, nullptr);
  EXPECT_EQ(at(out, 19, 36), colours[2]);
  EXPECT_EQ(at(out, 20, 36), kArt);
  EXPECT_EQ(count(out, colours[2]), 320 * 160 + 1);

  mask.resize(63999);
  hud.composePlay(fb, gfx.palette, PanelView{}, &mask, out, nullptr);
  EXPECT_EQ(at(out, 19, 36), kArt);
}

TEST_F(Hud, EnergyBarIsBlackenedFromTheEnergyOn) {
  RgbaImage out = frameArt();
  hud.drawPanel(view(-1, 0, 46, 0), nullptr, out);
  EXPECT_EQ(at(out, 227, 14), kArt);
  out = frameArt();
  hud.drawPanel(view(-1, 0, 10, 0), nullptr, out);
  EXPECT_EQ(at(out, 191, 17), kArt);
  EXPECT_EQ(at(out, 192, 17), kBlack);
  EXPECT_EQ(at(out, 227, 20), kBlack);
  EXPECT_EQ(at(out, 228, 20), kArt);
  EXPECT_EQ(at(out, 200, 21), kArt);
  out = frameArt();
  hud.drawPanel(view(-1, 0, -3, 0), nullptr, out);
  EXPECT_EQ(at(out, 182, 14), kBlack);
  EXPECT_EQ(at(out, 181, 14), kArt);
}

TEST_F(Hud, LivesScoreAndInventory) {
  RgbaImage out = frameArt();
  PanelView v = view(-1, 2, 46, 255);
  v.inventory[0] = 1;
  v.inventory[1] = 99;  // not in the sheet
  hud.drawPanel(v, nullptr, out);
  EXPECT_EQ(at(out, 181 + 8, 23 + 13), colours[12]);        // life icon 0
  EXPECT_EQ(at(out, 181 + 17 + 8, 23 + 13), colours[12]);   // life icon 1
  EXPECT_EQ(at(out, 181 + 34 + 3, 23 + 3), colours[8]);     // blank icon
  EXPECT_EQ(at(out, 181 + 34 + 7, 23 + 7), kArt);           // see-through inside the blank icon
  EXPECT_EQ(at(out, 8 + 5, 17 + 5), colours[3]);             // object 1's body
  EXPECT_EQ(at(out, 8 + 7, 17 + 7), colours[8]);             // its OR pixel drawn opaque as 8
  EXPECT_EQ(at(out, 8, 17), kArt);                           // transparent corner
  EXPECT_EQ(at(out, 8 + 16 + 5, 17 + 5), kArt);              // unknown object: nothing

  // Score 255 shows 1, 2, 7: the paper of every digit cell is colour 15.
  for (int k = 0; k < 3; ++k) EXPECT_EQ(at(out, 117 + 8 * k, 22), colours[15]) << k;
  EXPECT_EQ(at(out, 117 + 8 + 1, 22 + 1), colours[1]);  // the top bar of the 2
  EXPECT_EQ(at(out, 116, 22), kArt);
  EXPECT_EQ(at(out, 141, 22), kArt);
}

TEST_F(Hud, InventoryIconsSlideInsideTheBoxOnly) {
  std::vector<HudScreen::InventoryIcon> icons = {{2, -16}, {3, 40}};
  RgbaImage out = frameArt(0xFF123456u);
  PanelView v = view(-1, 0, 46, 0);
  gfx.objects.image.pixels.assign(gfx.objects.image.pixels.size(), 4);  // every item fully opaque
  hud.drawPanel(v, &icons, out);
  // Icon at -16: only c = 15 (offset -1) shows, at x 8 - 1 = 7.
  EXPECT_EQ(at(out, 7, 20), colours[4]);
  EXPECT_EQ(at(out, 6, 20), 0xFF123456u);
  // Icon at 40: offsets 40..48 show (9 columns), x 48..56.
  EXPECT_EQ(at(out, 56, 20), colours[4]);
  EXPECT_EQ(at(out, 57, 20), 0xFF123456u);
  int drawn = 0;
  for (int y = 17; y < 33; ++y)
    for (int x = 0; x < 80; ++x) drawn += at(out, x, y) == colours[4];
  EXPECT_EQ(drawn, 16 * (1 + 9));
}

TEST_F(Hud, RoomNameIsCentredAndInverted) {
  RgbaImage out = frameArt();
  hud.drawPanel(view(3, 0, 46, 0), nullptr, out);  // "TOWER": x = 6 + (223 - 40) / 2 = 97
  RgbaImage ref = frameArt();
  hud.drawPanel(view(-1, 0, 46, 0), nullptr, ref);
  const char* name = "TOWER";
  for (int i = 0; i < 5; ++i) hud.drawGlyph(ref, name[i], 97 + 8 * i, 41, true);
  EXPECT_EQ(out.pixels, ref.pixels);
  // Inversion flips the colour bits of the glyph's paper.
  EXPECT_EQ(at(out, 97, 41), colours[3] ^ 0x00FFFFFFu);

  out = frameArt();
  hud.drawPanel(view(2, 0, 46, 0), nullptr, out);  // 28 characters start at x 6
  EXPECT_NE(at(out, 6, 41), kArt);
  EXPECT_EQ(at(out, 5, 41), kArt);
}

TEST_F(Hud, GlyphsSkipTransparencyAndClip) {
  RgbaImage out = frameArt();
  hud.drawGlyph(out, '!', 0, 0, false);
  EXPECT_EQ(at(out, 0, 0), colours[0]);
  EXPECT_EQ(at(out, 1, 0), kArt);           // 16
  EXPECT_EQ(at(out, 2, 0), colours[8]);     // 24 AND 15
  EXPECT_EQ(at(out, 7, 0), colours[1]);     // 17 AND 15
  hud.drawGlyph(out, 'A', 344, 236, false);
  hud.drawGlyph(out, 'A', -4, -4, false);
  hud.drawGlyph(out, 31, 100, 100, false);
  hud.drawGlyph(out, 200, 100, 100, false);
  EXPECT_EQ(at(out, 100, 100), kArt);
}

TEST_F(Hud, FullFrameAndTitle) {
  Framebuffer fb;
  fb.pixels.assign(64000, 9);
  RgbaImage out;
  hud.composeFullFrame(fb, gfx.palette, out);
  EXPECT_EQ(at(out, 14, 20), colours[9]);
  EXPECT_EQ(at(out, 333, 219), colours[9]);
  EXPECT_EQ(at(out, 13, 20), kBlack);
  EXPECT_EQ(at(out, 14, 220), kBlack);

  Framebuffer overlay;
  overlay.pixels[3] = 16;      // AND 15 is 0: not drawn
  overlay.pixels[4] = 7;
  overlay.pixels[8 * 320] = 7;  // row 8 is not part of the credit line
  hud.composeTitle(fb, overlay, gfx.palette, out);
  EXPECT_EQ(at(out, 18, 226), colours[7]);
  EXPECT_EQ(at(out, 17, 226), kBlack);
  EXPECT_EQ(at(out, 14, 234), kBlack);

  hud.titleFrame = frameArt(0x00000000u);
  hud.titleFrame.pixels[0] = 0x01ABCDEFu;
  hud.composeTitle(fb, overlay, gfx.palette, out);
  EXPECT_EQ(at(out, 0, 0), 0x01ABCDEFu);
  EXPECT_EQ(at(out, 14, 14), colours[9]);
  EXPECT_EQ(at(out, 18, 207), colours[7]);
  EXPECT_EQ(at(out, 333, 213), colours[9]);
  EXPECT_EQ(at(out, 14, 214), kBlack);
}

TEST_F(Hud, MessageBoxIsCentredOnThePlayArea) {
  RgbaImage out = frameArt();
  hud.drawMessage(out, {});
  EXPECT_EQ(count(out, kArt), 348 * 240);
  hud.drawMessage(out, {"ABCDE FGHI"});
  // 96 x 22 at (126, 135): a white line inset by one pixel.
  EXPECT_EQ(at(out, 126, 135), kBlack);
  EXPECT_EQ(at(out, 127, 136), 0xFFFFFFFFu);
  EXPECT_EQ(at(out, 220, 136), 0xFFFFFFFFu);
  EXPECT_EQ(at(out, 221, 156), kBlack);
  EXPECT_EQ(at(out, 222, 156), kArt);
  EXPECT_EQ(at(out, 130, 145), kBlack);
  EXPECT_EQ(at(out, 126, 157), kArt);
  RgbaImage ref = frameArt();
  hud.drawGlyph(ref, 'A', 134, 142, true);
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 8; ++c) ASSERT_EQ(at(out, 134 + c, 142 + r), at(ref, 134 + c, 142 + r));
}

TEST(HudLoad, NeedsAFrameOfTheRightSizeAndDegradesWithoutTheTitleFrame) {
  namespace fs = std::filesystem;
  const auto gfx = rendertest::makeGraphics();
  const auto world = rendertest::makeWorld();
  const testsupport::ScratchDir scratch("tumbold_render");
  const fs::path& root = scratch.path();
  fs::create_directories(root / "assets" / "UI");

  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(render::loadHudScreen(root, gfx, world));
  ::testing::internal::GetCapturedStderr();

  RgbaImage small;
  small.width = 10;
  small.height = 10;
  small.pixels.assign(100, kArt);
  ASSERT_TRUE(render::saveRgbaPng(root / "assets" / "UI" / "frame_transparent.png", small));
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(render::loadHudScreen(root, gfx, world));
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("frame_transparent.png: 10x10, expected 348x240"), std::string::npos) << log;

  ASSERT_TRUE(render::saveRgbaPng(root / "assets" / "UI" / "frame_transparent.png", frameArt()));
  ::testing::internal::CaptureStderr();
  auto loaded = render::loadHudScreen(root, gfx, world);
  log = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->titleFrame.width, 0);
  EXPECT_NE(log.find("[error] assets/UI/title_frame.png missing or not 348x240: the title without its film strip"),
            std::string::npos)
      << log;

  ASSERT_TRUE(render::saveRgbaPng(root / "assets" / "UI" / "title_frame.png", frameArt(0x80FFFFFFu)));
  ::testing::internal::CaptureStderr();
  loaded = render::loadHudScreen(root, gfx, world);
  log = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(loaded);
  EXPECT_EQ(log, "");
  EXPECT_EQ(loaded->frame.pixels[0], kArt);
  EXPECT_EQ(loaded->titleFrame.pixels[0], 0x80FFFFFFu);
}
