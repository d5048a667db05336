// The shipped art, menu skin and sound effects: every file loads through the project's
// loaders without a message, and holds the geometry and pixel values that the drawing
// code relies on.

#include <gtest/gtest.h>

#include <lodepng.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "assets/draw_tables.h"
#include "assets/indexed_image.h"
#include "assets/lift_graphics.h"
#include "assets/sheet.h"
#include "assets/sprite_set.h"
#include "core/files.h"
#include "render/game_graphics.h"
#include "render/hud_screen.h"
#include "render/rgba.h"
#include "world/world.h"

namespace {

const std::filesystem::path kRoot = TUMBOLD_SOURCE_DIR;
const std::filesystem::path kGraphics = kRoot / "assets" / "graphics";
const std::filesystem::path kSprites = kGraphics / "sprites";
const std::filesystem::path kMenu = kRoot / "assets" / "UI" / "menu";

// Runs a loader with standard error captured; fails the test if it wrote anything.
template <typename F>
auto quietly(const std::string& what, F load) -> decltype(load()) {
  testing::internal::CaptureStderr();
  auto result = load();
  const std::string messages = testing::internal::GetCapturedStderr();
  EXPECT_EQ(messages, "") << what << " logged while loading";
  return result;
}

struct Rgba {
  unsigned w = 0, h = 0;
  std::vector<unsigned char> px;  // RGBA bytes
  unsigned char alpha(unsigned x, unsigned y) const { return px[(y * w + x) * 4 + 3]; }
};

std::optional<Rgba> rgba(const std::filesystem::path& path) {
  Rgba img;
  if (lodepng::decode(img.px, img.w, img.h, path.string()) != 0) return std::nullopt;
  return img;
}

// Every pixel of a frame rectangle.
template <typename F>
void eachPixel(const assets::IndexedImage& img, int x0, int y0, int w, int h, F f) {
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) f(img.pixels[static_cast<size_t>(y) * img.width + x]);
}

// ---------------------------------------------------------------------------------
// Sprite sets

struct SetNeed {
  const char* name;
  size_t minFrames;
};

TEST(ArtSprites, EverySetLoadsWithItsFramesInsideTheSheet) {
  const SetNeed needs[] = {{"tumbold", 66}, {"misc", 24}, {"frank", 2}, {"shades", 1},
                           {"glueon", 1},   {"balloon", 9}, {"chandel", 2}};
  for (const auto& need : needs) {
    auto set = quietly(need.name, [&] { return assets::loadSpriteSet(kSprites, need.name); });
    ASSERT_TRUE(set) << need.name;
    EXPECT_GE(set->frames.size(), need.minFrames) << need.name;
    for (size_t i = 0; i < set->frames.size(); ++i) {
      const auto& f = set->frames[i];
      EXPECT_TRUE(f.w >= 1 && f.h >= 1 && f.x >= 0 && f.y >= 0 && f.x + f.w <= set->image.width &&
                  f.y + f.h <= set->image.height)
          << need.name << " frame " << i << " leaves its sheet";
      int values = 0;
      eachPixel(set->image, f.x, f.y, f.w, f.h, [&](uint8_t p) {
        EXPECT_LE(p, 31) << need.name << " frame " << i;
        values += p != 16;
      });
      EXPECT_GT(values, 0) << need.name << " frame " << i << " is empty";
    }
  }
}

TEST(ArtSprites, HeroFramesStandOnTheBodyBox) {
  auto hero = assets::loadSpriteSet(kSprites, "tumbold");
  ASSERT_TRUE(hero);
  // Frames of standing, walking and skidding poses keep their feet on row 23 of the
  // hero box and overlap the body columns 10..29. Nothing of them, hat included,
  // reaches above row 0: a speech bubble over the hero ends on row -1.
  std::vector<int> grounded = {19, 20, 24, 25, 26, 28, 29, 30, 31, 32, 33, 34, 38, 46, 47};
  for (int k = 0; k < 16; ++k) grounded.push_back(k);
  for (int k : grounded) {
    const auto& f = hero->frames[k];
    EXPECT_EQ(f.yoff + f.oy + f.h - 1, 23) << "frame " << k << " floats or sinks";
    EXPECT_GE(f.yoff + f.oy, 0) << "frame " << k << " pokes out above the hero box";
    EXPECT_LT(f.xoff + f.ox, 30) << "frame " << k;
    EXPECT_GT(f.xoff + f.ox + f.w, 10) << "frame " << k;
  }
  // Standing and idling, the boots reach the outer columns where the game tests the
  // ground (10 and 29), so he never seems to stand on air beside a ledge.
  for (int k : {26, 28, 29, 30, 31, 32, 33, 34, 46, 47}) {
    const auto& f = hero->frames[k];
    const int left = f.xoff + f.ox, sole = 22 - (f.yoff + f.oy);  // the row above the outline
    for (int column : {10, 29}) {
      const int c = column - left;
      ASSERT_TRUE(c >= 0 && c < f.w) << "frame " << k << " is narrower than the ground test";
      EXPECT_NE(hero->image.pixels[(f.y + sole) * hero->image.width + f.x + c], 16)
          << "frame " << k << " has no boot at column " << column;
    }
  }
  // The silhouette while the cloak is carried draws only colour 15: every frame has
  // an outline in it.
  for (size_t k = 0; k < hero->frames.size(); ++k) {
    const auto& f = hero->frames[k];
    int black = 0;
    eachPixel(hero->image, f.x, f.y, f.w, f.h, [&](uint8_t p) { black += p == 15; });
    EXPECT_GT(black, 20) << "frame " << k;
  }
}

TEST(ArtSprites, WalkCycleMirrorsBetweenDirections) {
  auto hero = assets::loadSpriteSet(kSprites, "tumbold");
  ASSERT_TRUE(hero);
  // Walking left (0..7) is walking right (8..15) seen in a mirror about the box centre.
  for (int i = 0; i < 8; ++i) {
    const auto& l = hero->frames[i];
    const auto& r = hero->frames[8 + i];
    ASSERT_EQ(l.w, r.w);
    ASSERT_EQ(l.h, r.h);
    EXPECT_EQ(l.ox + l.xoff, 40 - (r.ox + r.xoff + r.w)) << "frame " << i;
    for (int y = 0; y < l.h; ++y)
      for (int x = 0; x < l.w; ++x)
        ASSERT_EQ(hero->image.pixels[(l.y + y) * hero->image.width + l.x + x],
                  hero->image.pixels[(r.y + y) * hero->image.width + r.x + r.w - 1 - x])
            << "frame " << i;
  }
}

TEST(ArtSprites, ShadesCoverTheEyesOfEveryFrameThatHasThem) {
  auto hero = assets::loadSpriteSet(kSprites, "tumbold");
  auto shades = assets::loadSpriteSet(kSprites, "shades");
  auto tables = assets::loadDrawTables(kGraphics);
  ASSERT_TRUE(hero && shades && tables);
  // Hero and shades are composed on a small board around the hero's (x, y) = (40, 40);
  // colour 1 in the hero is only ever the whites of the eyes.
  int withShades = 0;
  for (size_t k = 0; k < tables->shadesEntries.size() && k < hero->frames.size(); ++k) {
    const auto& e = tables->shadesEntries[k];
    if (e[2] < 0) continue;
    ++withShades;
    std::vector<int> board(120 * 120, -1);
    auto put = [&](const assets::SpriteSet& set, int frame, int px, int py, int value) {
      const auto& f = set.frames[frame];
      for (int r = 0; r < f.h; ++r)
        for (int c = 0; c < f.w; ++c) {
          const uint8_t p = set.image.pixels[(f.y + r) * set.image.width + f.x + c];
          const int x = px + f.xoff + f.ox + c, y = py + f.yoff + f.oy + r;
          if (p != 16 && x >= 0 && x < 120 && y >= 0 && y < 120) board[y * 120 + x] = value < 0 ? p : value;
        }
    };
    put(*hero, static_cast<int>(k), 40, 40, -1);
    put(*shades, e[2], 40 + e[0], 40 + e[1], 99);
    int whites = 0;
    for (int v : board) whites += v == 1;
    EXPECT_EQ(whites, 0) << "hero frame " << k << " shows an eye beside its shades";
  }
  EXPECT_GT(withShades, 50);
}

// Lowest drawn row of a frame relative to its drawing position.
int bottom(const assets::SpriteFrame& f) { return f.yoff + f.oy + f.h - 1; }

TEST(ArtSprites, CompanionsStandWhereTheGameMovesThem) {
  auto misc = assets::loadSpriteSet(kSprites, "misc");
  auto frank = assets::loadSpriteSet(kSprites, "frank");
  auto balloon = assets::loadSpriteSet(kSprites, "balloon");
  auto glueon = assets::loadSpriteSet(kSprites, "glueon");
  ASSERT_TRUE(misc && frank && balloon && glueon);
  ASSERT_GE(misc->frames.size(), 24u);
  // Walking creatures put their feet on row 15 (an actor on a floor at F has y F - 16);
  // the dog that follows an object is 24 high, so it stands on the object's floor.
  for (int k : {1, 2, 3, 4, 13, 14, 16, 17, 18, 19}) EXPECT_EQ(bottom(misc->frames[k]), 15) << "misc " << k;
  for (int k : {9, 10, 11, 12}) EXPECT_EQ(bottom(misc->frames[k]), 23) << "misc " << k;
  // Balls fill the 16 x 16 box the ball physics probes (x 0..15, y 0..15).
  for (int k = 20; k < 24; ++k) {
    const auto& f = misc->frames[k];
    EXPECT_EQ(f.ox + f.xoff, 0);
    EXPECT_EQ(f.oy + f.yoff, 0);
    EXPECT_EQ(f.w, 16);
    EXPECT_EQ(f.h, 16);
  }
  // The porter starts 20 rows above the lift line and walks on it.
  for (const auto& f : frank->frames) EXPECT_EQ(bottom(f), 19);
  // The ride lifts the hero's y by 8 while he still stands on the pad, and the
  // balloon's anchor is that y: every stage rests its bar on the ground beside him
  // (anchor row 31), the pump stands on his floor, and pumping and watching it rise
  // he stands there too.
  ASSERT_EQ(balloon->frames.size(), 9u);
  for (size_t k = 0; k < balloon->frames.size(); ++k) EXPECT_EQ(bottom(balloon->frames[k]), 31) << "stage " << k;
  for (const auto& f : glueon->frames) EXPECT_EQ(bottom(f), 31);
  auto hero = assets::loadSpriteSet(kSprites, "tumbold");
  ASSERT_TRUE(hero);
  for (int k : {48, 49, 50, 57, 58, 59}) EXPECT_EQ(bottom(hero->frames[k]), 31) << "hero frame " << k;
}

TEST(ArtSprites, LeftAndRightCreaturesAreMirrorPairs) {
  auto misc = assets::loadSpriteSet(kSprites, "misc");
  ASSERT_TRUE(misc);
  auto mirrored = [&](int a, int b) {
    const auto& l = misc->frames[a];
    const auto& r = misc->frames[b];
    if (l.w != r.w || l.h != r.h) return false;
    for (int y = 0; y < l.h; ++y)
      for (int x = 0; x < l.w; ++x)
        if (misc->image.pixels[(l.y + y) * misc->image.width + l.x + x] !=
            misc->image.pixels[(r.y + y) * misc->image.width + r.x + r.w - 1 - x])
          return false;
    return true;
  };
  const int pairs[][2] = {{1, 3}, {2, 4}, {5, 7}, {6, 8}, {9, 11}, {10, 12}, {13, 16}, {14, 17}};
  for (const auto& p : pairs) EXPECT_TRUE(mirrored(p[0], p[1])) << p[0] << " and " << p[1];
  EXPECT_FALSE(mirrored(1, 2)) << "the rat does not move its legs";
}

TEST(ArtSprites, ChandelierHalvesMeetAtThirtyTwo) {
  auto chandel = assets::loadSpriteSet(kSprites, "chandel");
  ASSERT_TRUE(chandel);
  ASSERT_EQ(chandel->frames.size(), 2u);
  for (const auto& f : chandel->frames) {
    EXPECT_GE(f.ox + f.xoff, 0);
    EXPECT_LE(f.ox + f.xoff + f.w, 32);
  }
  // the ring the hero stands on is the lift's line in both halves
  EXPECT_EQ(chandel->frames[0].oy + chandel->frames[0].yoff, chandel->frames[1].oy + chandel->frames[1].yoff);
  EXPECT_GT(chandel->frames[0].h + chandel->frames[0].oy, 0);
}

TEST(ArtSprites, WorldActorsUseFramesThatExist) {
  auto misc = assets::loadSpriteSet(kSprites, "misc");
  auto world = world::loadWorld(kRoot / "world" / "world.json");
  ASSERT_TRUE(misc && world);
  const int count = static_cast<int>(misc->frames.size());
  for (const auto& type : world->actorTypes) {
    for (int f : type.framesLeft) EXPECT_TRUE(f >= 0 && f < count) << "type at " << type.offset;
    for (int f : type.framesRight) EXPECT_TRUE(f >= 0 && f < count) << "type at " << type.offset;
  }
  for (const auto& a : world->actors) EXPECT_TRUE(a.frame >= 0 && a.frame < count);
}

// ---------------------------------------------------------------------------------
// Sheets, panel, lifts, draw tables

TEST(ArtSheets, FontLogoAndObjectsHaveTheFixedGeometry) {
  auto font = quietly("font", [] { return assets::loadSheet(kGraphics, "font"); });
  auto logo = quietly("logo", [] { return assets::loadSheet(kGraphics, "logo"); });
  auto objects = quietly("objects", [] { return assets::loadSheet(kGraphics, "objects"); });
  ASSERT_TRUE(font && logo && objects);
  EXPECT_EQ(font->itemW, 8);
  EXPECT_EQ(font->itemH, 8);
  EXPECT_GE(font->count, 96);
  EXPECT_EQ(objects->itemW, 16);
  EXPECT_EQ(objects->itemH, 16);
  EXPECT_EQ(objects->count, 88);
  EXPECT_GE(objects->image.width, objects->columns * 16);
  EXPECT_GE(objects->image.height, (objects->count + objects->columns - 1) / objects->columns * 16);
  EXPECT_EQ(logo->count, 1);
  EXPECT_LE(logo->itemW, 96);  // centred on x 160 from x 112
  EXPECT_LE(logo->itemH, 28);  // inside the screen header
}

TEST(ArtSheets, GlyphsKeepInkPaperAndSeeThroughApart) {
  auto font = assets::loadSheet(kGraphics, "font");
  ASSERT_TRUE(font);
  // Panel style and the score turn v & 12 != 0 into ink: ink must be 15, paper 1,
  // see-through 16; nothing else, or a glyph would change colour between styles.
  for (int g = 0; g < font->count; ++g) {
    const int gx = (g % font->columns) * 8, gy = (g / font->columns) * 8;
    eachPixel(font->image, gx, gy, 8, 8, [&](uint8_t p) {
      EXPECT_TRUE(p == 15 || p == 1 || p == 16) << "glyph " << g << " value " << int(p);
    });
  }
  // Letters, digits and the punctuation of texts are opaque cells (a bubble's interior
  // must not show the room), and the credit line's glyphs have ink.
  for (char ch : std::string("PORTED BY BRINDLEWICK IN 2026!(),.:;>?@")) {
    const int g = ch - 32, gx = (g % font->columns) * 8, gy = (g / font->columns) * 8;
    int ink = 0;
    eachPixel(font->image, gx, gy, 8, 8, [&](uint8_t p) {
      EXPECT_NE(p, 16) << "glyph '" << ch << "' has a hole";
      ink += p == 15;
    });
    if (ch != ' ') {
      EXPECT_GT(ink, 3) << "glyph '" << ch << "'";
    }
  }
}

TEST(ArtSheets, EveryCharacterOfTheWorldsTextsHasAGlyph) {
  auto font = assets::loadSheet(kGraphics, "font");
  auto world = world::loadWorld(kRoot / "world" / "world.json");
  ASSERT_TRUE(font && world);
  std::vector<std::string> texts;
  for (const auto& room : world->rooms) texts.push_back(room.name);
  for (const auto& name : world->objectNames) texts.push_back(name);
  for (const auto& [key, text] : world->bubbles) texts.push_back(text);
  for (const auto& [key, segments] : world->textScreens)
    for (const auto& seg : segments)
      if (seg.kind == world::SegmentKind::Text) texts.push_back(seg.text);
  for (const auto& block : world->scripts)
    for (const auto& op : block.ops)
      for (const auto& arg : op.args)
        if (const auto* text = std::get_if<std::string>(&arg); text && (op.name == "say" || op.name == "say_at"))
          texts.push_back(*text);
  ASSERT_GT(texts.size(), 100u);
  for (const auto& text : texts)
    for (unsigned char ch : text) {
      if (ch == '\n' || ch == ' ') continue;
      const int g = (ch == '0' ? 'O' : ch) - 32;
      ASSERT_TRUE(g >= 0 && g < font->count) << "no glyph for code " << int(ch) << " in \"" << text << "\"";
      int ink = 0;
      eachPixel(font->image, (g % font->columns) * 8, (g / font->columns) * 8, 8, 8,
                [&](uint8_t p) { ink += p == 15; });
      EXPECT_GT(ink, 0) << "blank glyph for '" << ch << "' in \"" << text << "\"";
    }
}

TEST(ArtSheets, TheTextsApostropheIsTheMenusApostrophe) {
  // "'" is a piece of the bubble frame, so the texts carry their apostrophe on the
  // code of "`"; the game font draws it there with the menu font's apostrophe shape.
  auto font = assets::loadSheet(kGraphics, "font");
  auto menu = rgba(kMenu / "font.png");
  ASSERT_TRUE(font && menu);
  const int g = '`' - 32;
  int ink = 0;
  for (unsigned y = 0; y < 7; ++y)
    for (unsigned x = 0; x < 7; ++x) {
      const bool game = font->image.pixels[((g / font->columns) * 8 + y) * font->image.width +
                                           (g % font->columns) * 8 + x] == 15;
      const bool shown = menu->alpha(('\'' % 16) * 8 + x, ('\'' - 32) / 16 * 8 + y) != 0;
      EXPECT_EQ(game, shown) << "row " << y << " column " << x;
      ink += game;
    }
  EXPECT_GT(ink, 3);
}

TEST(ArtSheets, BubbleFrameJoinsUp) {
  auto font = assets::loadSheet(kGraphics, "font");
  ASSERT_TRUE(font);
  auto px = [&](char ch, int x, int y) {
    const int g = ch - 32;
    return font->image.pixels[((g / font->columns) * 8 + y) * font->image.width +
                              (g % font->columns) * 8 + x];
  };
  // Edges continue from corner to edge piece to corner without a gap.
  for (int x = 0; x < 8; ++x) EXPECT_EQ(px('*', x, 1), 15);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(px('+', x, 7), 15);
  for (int y = 0; y < 8; ++y) EXPECT_EQ(px('-', 0, y), 15);
  for (int y = 0; y < 8; ++y) EXPECT_EQ(px('/', 7, y), 15);
  EXPECT_EQ(px('"', 7, 1), 15);
  EXPECT_EQ(px('"', 0, 7), 15);
  EXPECT_EQ(px('#', 0, 1), 15);
  EXPECT_EQ(px('#', 7, 7), 15);
  EXPECT_EQ(px('$', 0, 0), 15);
  EXPECT_EQ(px('$', 7, 7), 15);
  EXPECT_EQ(px('%', 7, 0), 15);
  EXPECT_EQ(px('%', 0, 7), 15);
  // Outside the rounded corners the room shows through.
  EXPECT_EQ(px('"', 0, 0), 16);
  EXPECT_EQ(px('%', 7, 7), 16);
  // The tails' first row overlaps the bottom edge: it opens the line with paper.
  for (const char* tail : {"=<", "&'"}) {
    int paper = 0;
    for (int x = 0; x < 16; ++x) paper += px(tail[x / 8], x % 8, 0) == 1;
    EXPECT_GE(paper, 4) << tail;
  }
}

TEST(ArtPanel, OpaqueWithTheBackgroundsTheRendererExpects) {
  auto panel = quietly("panel", [] { return assets::loadIndexedPng(kGraphics / "panel.png"); });
  ASSERT_TRUE(panel);
  ASSERT_EQ(panel->width, 320);
  ASSERT_EQ(panel->height, 40);
  for (uint8_t p : panel->pixels) ASSERT_LE(p, 15);
  auto at = [&](int x, int y) { return panel->pixels[y * 320 + x]; };
  // energy bar written plane-wise: empty must read as 0
  for (int y = 6; y <= 13; ++y)
    for (int x = 176; x < 224; ++x) ASSERT_EQ(at(x, y), 0) << x << "," << y;
  // life icons are keyed on colour 10
  for (int y = 16; y <= 31; ++y)
    for (int x = 176; x < 304; ++x) ASSERT_EQ(at(x, y), 10) << x << "," << y;
}

TEST(ArtLifts, TypesZeroToTwoAreOpaqueAndInside) {
  auto lifts = quietly("lifts", [] { return assets::loadLiftGraphics(kGraphics); });
  ASSERT_TRUE(lifts);
  ASSERT_GE(lifts->types.size(), 3u);
  for (size_t t = 0; t < 3; ++t) {
    const auto& r = lifts->types[t];
    ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= lifts->image.width &&
                r.y + r.h <= lifts->image.height)
        << "type " << t;
    EXPECT_GE(r.w, 48);
    eachPixel(lifts->image, r.x, r.y, r.w, r.h, [&](uint8_t p) { EXPECT_LE(p, 15) << "type " << t; });
  }
}

TEST(ArtDrawTables, OverlaysNameExistingFramesAndTheBarFitsThePanel) {
  auto tables = quietly("draw tables", [] { return assets::loadDrawTables(kGraphics); });
  auto shades = assets::loadSpriteSet(kSprites, "shades");
  auto glueon = assets::loadSpriteSet(kSprites, "glueon");
  ASSERT_TRUE(tables && shades && glueon);
  EXPECT_EQ(tables->glueonFirstPlayerFrame, 26);
  EXPECT_LE(tables->glueonFrames.size(), 40u);
  int used = 0;
  for (int g : tables->glueonFrames) {
    EXPECT_LT(g, static_cast<int>(glueon->frames.size()));
    used += g >= 0;
  }
  EXPECT_GT(used, 0);
  ASSERT_EQ(tables->shadesEntries.size(), 66u);
  for (const auto& e : tables->shadesEntries) EXPECT_LT(e[2], static_cast<int>(shades->frames.size()));
  // exactly six columns: a seventh would clear planes of the panel right of x 223
  ASSERT_EQ(tables->energyColumns.size(), 6u);
  for (int m : tables->energyColumns) EXPECT_TRUE(m >= 1 && m <= 15);
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(tables->energyPartial[i], (0xFF00 >> (i + 1)) & 0xFF);
  // the rope never sets a plane outside 0..3 and draws something on both row kinds
  for (const auto& plane : tables->liftRope)
    for (int b : plane) EXPECT_TRUE(b >= 0 && b <= 255);
}

TEST(ArtGraphics, WholeGraphicsSetLoads) {
  auto gfx = quietly("graphics set", [] { return render::loadGameGraphics(kRoot); });
  ASSERT_TRUE(gfx);
}

// ---------------------------------------------------------------------------------
// HUD frames, menu skin, icon

TEST(ArtFrames, HudFrameHasItsPanelAndAnOpenPlayArea) {
  auto gfx = render::loadGameGraphics(kRoot);
  ASSERT_TRUE(gfx);
  world::World world;
  auto hud = quietly("hud", [&] { return render::loadHudScreen(kRoot, *gfx, world); });
  ASSERT_TRUE(hud);
  ASSERT_EQ(hud->frame.width, 348);
  ASSERT_EQ(hud->frame.height, 240);
  ASSERT_EQ(hud->titleFrame.width, 348);
  ASSERT_EQ(hud->titleFrame.height, 240);
  auto opaque = [](const render::RgbaImage& img, int x, int y) {
    return (img.pixels[y * img.width + x] >> 24) == 0xFF;
  };
  // every pixel outside the play area is opaque (the window shows the frame there)
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 348; ++x)
      if (x < 14 || x > 333 || y < 66 || y > 225) {
        ASSERT_TRUE(opaque(hud->frame, x, y)) << x << "," << y;
      }
  // the painted energy bar is full and bright; the HUD blacks it from the right
  for (int x = 182; x <= 227; ++x) EXPECT_NE(hud->frame.pixels[17 * 348 + x] & 0xFFFFFF, 0u) << x;
  // the title picture shows through the film strip down to its row 191; rows 192..199
  // (frame rows 206..213) may carry a band behind the credit line
  for (int y = 14; y < 206; ++y)
    for (int x = 14; x <= 333; ++x) ASSERT_FALSE(opaque(hud->titleFrame, x, y)) << x << "," << y;
  EXPECT_TRUE(opaque(hud->titleFrame, 5, 5));
}

TEST(ArtFrames, PanelValuesSitInHollowsUnderOneLineOfLabels) {
  auto gfx = render::loadGameGraphics(kRoot);
  ASSERT_TRUE(gfx);
  world::World world;
  auto hud = render::loadHudScreen(kRoot, *gfx, world);
  ASSERT_TRUE(hud);
  const render::RgbaImage& frame = hud->frame;
  auto rgb = [&](int index) {
    const auto c = assets::Palette::toRgb8(gfx->palette[static_cast<size_t>(index)]);
    return 0xFF000000u | static_cast<uint32_t>(c[0]) << 16 | static_cast<uint32_t>(c[1]) << 8 | c[2];
  };
  auto at = [&](int x, int y) { return frame.pixels[static_cast<size_t>(y) * frame.width + x]; };
  // Where the HUD paints glyph cells or blackens the bar, the art around must be the
  // colour of their paper, or each value shows a box round it: the room name's
  // inverted paper over all of x 6..229, rows 41..48; the digits' paper (colour 15)
  // in a ring round x 117..140, rows 22..29; black in a ring round the energy bar,
  // x 182..227, rows 14..20.
  struct Paper {
    const char* what;
    int x0, y0, x1, y1;
    uint32_t colour;
    bool ringOnly;
  };
  const Paper papers[] = {{"room name", 6, 41, 229, 48, rgb(1) ^ 0x00FFFFFFu, false},
                          {"score", 116, 21, 141, 30, rgb(15), true},
                          {"energy bar", 181, 13, 228, 21, 0xFF000000u, true}};
  for (const auto& p : papers) {
    int wrong = 0;
    for (int y = p.y0; y <= p.y1; ++y)
      for (int x = p.x0; x <= p.x1; ++x) {
        const bool ring = x == p.x0 || x == p.x1 || y == p.y0 || y == p.y1;
        if ((ring || !p.ringOnly) && at(x, y) != p.colour) ++wrong;
      }
    EXPECT_EQ(wrong, 0) << p.what;
  }
  // The labels (yellow, colour 14) over the items, the score and the energy stand on
  // one line with stone above them, clear of the window's top edge.
  const int columns[][2] = {{5, 70}, {90, 170}, {171, 230}};
  int firstTop = -1, firstBottom = -1;
  for (const auto& range : columns) {
    int top = 99, bottom = -1;
    for (int y = 0; y < 12; ++y)
      for (int x = range[0]; x <= range[1]; ++x)
        if (at(x, y) == rgb(14)) {
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
    ASSERT_GE(bottom, 0) << "no label over x " << range[0];
    EXPECT_GE(top, 2) << "the label over x " << range[0] << " touches the edge";
    if (firstTop < 0) {
      firstTop = top;
      firstBottom = bottom;
    }
    EXPECT_EQ(top, firstTop) << "the label over x " << range[0];
    EXPECT_EQ(bottom, firstBottom) << "the label over x " << range[0];
  }
}

TEST(ArtMenu, SkinDescriptionNamesEverythingTheMenuDrawsWith) {
  auto text = core::readTextFile(kMenu / "menu.json");
  ASSERT_TRUE(text);
  auto json = nlohmann::json::parse(*text, nullptr, false);
  ASSERT_TRUE(json.is_object());
  EXPECT_EQ(json.value("format", ""), "tumbold-menu-art");
  for (const char* name : {"white", "cyan", "navy", "grey", "row_edge"}) {
    ASSERT_TRUE(json["palette"].contains(name)) << name;
    const std::string v = json["palette"][name];
    EXPECT_EQ(v.size(), 7u);
    EXPECT_EQ(v[0], '#');
  }
  EXPECT_EQ(json["panel"]["corner"], 5);
  EXPECT_EQ(json["highlight"]["corner"], 2);
  EXPECT_EQ(json["slot"]["corner"], 2);
  EXPECT_EQ(json["slider"]["bars"], 10);
}

TEST(ArtMenu, SheetsHaveTheSizesTheLayoutAssumes) {
  struct Need {
    const char* file;
    unsigned w, h;
  };
  const Need needs[] = {{"font.png", 128, 56},  {"small_font.png", 64, 24}, {"panel.png", 16, 16},
                        {"stripe.png", 16, 7},  {"highlight.png", 6, 6},    {"slot.png", 6, 6},
                        {"slider.png", 39, 27}, {"latest.png", 27, 9},      {"empty_thumb.png", 24, 12}};
  for (const auto& need : needs) {
    auto img = quietly(need.file, [&] { return render::loadRgbaPng(kMenu / need.file); });
    ASSERT_TRUE(img) << need.file;
    EXPECT_EQ(img->width, static_cast<int>(need.w)) << need.file;
    EXPECT_EQ(img->height, static_cast<int>(need.h)) << need.file;
  }
}

TEST(ArtMenu, BigFontHasEveryKeyNameCharacterAndTheArrows) {
  auto font = rgba(kMenu / "font.png");
  ASSERT_TRUE(font);
  auto ink = [&](int code) {
    const unsigned gx = (code % 16) * 8, gy = (code - 32) / 16 * 8;
    int n = 0;
    for (unsigned y = 0; y < 7; ++y)
      for (unsigned x = 0; x < 7; ++x) n += font->alpha(gx + x, gy + y) != 0;
    return n;
  };
  for (int code = 33; code < 127; ++code)
    if (!(code >= 'a' && code <= 'z')) {
      EXPECT_GT(ink(code), 0) << "code " << code;
    }
  for (int code = 128; code <= 131; ++code) EXPECT_GT(ink(code), 8) << "arrow " << code;
  // The keys ' and ` keep glyphs of their own, though the game font draws its
  // apostrophe on the code of the grave accent.
  auto on = [&](int code, unsigned x, unsigned y) {
    return font->alpha((code % 16) * 8 + x, (code - 32) / 16 * 8 + y) != 0;
  };
  int differ = 0;
  for (unsigned y = 0; y < 7; ++y)
    for (unsigned x = 0; x < 7; ++x) differ += on('\'', x, y) != on('`', x, y);
  EXPECT_GT(differ, 0) << "the menu draws ' and ` alike";
  // left/right and up/down arrows are mirror images, as the menu pairs them
  EXPECT_EQ(ink(128), ink(129));
  EXPECT_EQ(ink(130), ink(131));
}

TEST(ArtIcon, IconIsSquareWithTransparentCorners) {
  auto icon = rgba(kRoot / "assets" / "icon" / "icon_64.png");
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->w, 64u);
  EXPECT_EQ(icon->h, 64u);
  EXPECT_EQ(icon->alpha(0, 0), 0);
  EXPECT_EQ(icon->alpha(32, 32), 255);
}

// ---------------------------------------------------------------------------------
// Sound effects

struct Wav {
  int format = 0, channels = 0, rate = 0, bits = 0;
  std::vector<int16_t> samples;
};

std::optional<Wav> readWav(const std::filesystem::path& path) {
  auto bytes = core::readFile(path);
  if (!bytes || bytes->size() < 44) return std::nullopt;
  const auto& b = *bytes;
  auto u16 = [&](size_t i) { return b[i] | b[i + 1] << 8; };
  auto u32 = [&](size_t i) { return static_cast<uint32_t>(u16(i) | u16(i + 2) << 16); };
  if (std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0) return std::nullopt;
  Wav w;
  for (size_t pos = 12; pos + 8 <= b.size();) {
    const uint32_t n = u32(pos + 4);
    if (pos + 8 + n > b.size()) return std::nullopt;
    if (std::memcmp(b.data() + pos, "fmt ", 4) == 0) {
      w.format = u16(pos + 8);
      w.channels = u16(pos + 10);
      w.rate = static_cast<int>(u32(pos + 12));
      w.bits = u16(pos + 22);
    } else if (std::memcmp(b.data() + pos, "data", 4) == 0) {
      for (size_t i = 0; i + 1 < n; i += 2) w.samples.push_back(static_cast<int16_t>(u16(pos + 8 + i)));
    }
    pos += 8 + n + (n & 1);
  }
  return w;
}

int peak(const Wav& w) {
  int p = 0;
  for (int16_t s : w.samples) p = std::max(p, std::abs(static_cast<int>(s)));
  return p;
}

// Zero crossings per second: a rough pitch that must climb with the energy step.
double crossings(const Wav& w) {
  int n = 0;
  for (size_t i = 1; i < w.samples.size(); ++i) n += (w.samples[i - 1] < 0) != (w.samples[i] < 0);
  return n * 48000.0 / static_cast<double>(w.samples.size());
}

TEST(ArtSounds, EffectsArePlainShortAndHeadroomed) {
  auto jump = readWav(kRoot / "assets" / "audio" / "Tumbold_jump.wav");
  ASSERT_TRUE(jump);
  EXPECT_EQ(jump->format, 1);
  EXPECT_EQ(jump->channels, 1);
  EXPECT_EQ(jump->rate, 48000);
  EXPECT_EQ(jump->bits, 16);
  EXPECT_LE(jump->samples.size(), 48000u * 3 / 10);
  EXPECT_LT(peak(*jump), 32767);
  EXPECT_NE(jump->samples[1], 0) << "starts with silence";

  double lastPitch = 0;
  std::vector<int> drain;  // energy_02..20 at half gain, all started in one tick
  for (int n = 1; n <= 20; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "energy_%02d.wav", n);
    auto w = readWav(kRoot / "assets" / "audio" / "energy" / name);
    ASSERT_TRUE(w) << name;
    EXPECT_EQ(w->format, 1) << name;
    EXPECT_EQ(w->channels, 1) << name;
    EXPECT_EQ(w->rate, 48000) << name;
    EXPECT_LE(w->samples.size(), 48000u * 15 / 100) << name;
    // about -12 dBFS, so that nineteen of them at half gain stay clear of the clamp
    const double db = 20 * std::log10(peak(*w) / 32767.0);
    EXPECT_NEAR(db, -12.0, 0.5) << name;
    EXPECT_EQ(w->samples.back(), 0) << name << " ends with a click";
    const double pitch = crossings(*w);
    EXPECT_GT(pitch, lastPitch) << name << " does not rise above the step below";
    lastPitch = pitch;
    if (n >= 2) {
      drain.resize(std::max(drain.size(), w->samples.size()));
      for (size_t i = 0; i < w->samples.size(); ++i) drain[i] += (w->samples[i] * 128) >> 8;
    }
  }
  int loudest = 0;
  for (int v : drain) loudest = std::max(loudest, std::abs(v));
  EXPECT_LT(loudest, 32767 * 3 / 4) << "a full drain clamps";
}

}  // namespace
