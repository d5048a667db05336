#include "test_graphics.h"

#include <cstdint>
#include <string>

namespace rendertest {

using testsupport::fillRect;
using testsupport::setPixel;

namespace {

// Glyph ink is written in Plain style and counts as ink in Panel and Shadow;
// the paper is written in Plain style and counts as paper in the others.
constexpr int kInk = 13;
constexpr int kPaper = 3;

// 3 x 5 letter shapes, 15 bits row by row from the top-left.
int letterBits(char ch) {
  switch (ch) {
    case '0': case 'O': return 0b111101101101111;
    case '1': return 0b010110010010111;
    case '2': return 0b111001111100111;
    case '3': return 0b111001111001111;
    case '4': return 0b101101111001001;
    case '5': return 0b111100111001111;
    case '6': return 0b111100111101111;
    case '7': return 0b111001001010010;
    case '8': return 0b111101111101111;
    case '9': return 0b111101111001111;
    case 'A': return 0b010101111101101;
    case 'B': return 0b110101110101110;
    case 'C': return 0b111100100100111;
    case 'D': return 0b110101101101110;
    case 'E': return 0b111100110100111;
    case 'F': return 0b111100110100100;
    case 'G': return 0b111100101101111;
    case 'H': return 0b101101111101101;
    case 'I': return 0b111010010010111;
    case 'K': return 0b101101110101101;
    case 'L': return 0b100100100100111;
    case 'M': return 0b101111111101101;
    case 'N': return 0b110101101101101;
    case 'P': return 0b111101111100100;
    case 'R': return 0b110101110101101;
    case 'S': return 0b111100111001111;
    case 'T': return 0b111010010010010;
    case 'U': return 0b101101101101111;
    case 'V': return 0b101101101101010;
    case 'W': return 0b101101111111101;
    case 'Y': return 0b101101010010010;
    default: return 0b111111111111111;
  }
}

// The bubble frame pieces live in the font, as in the game's own font.
bool framePiece(char ch, assets::IndexedImage& font, int gx, int gy) {
  auto fill = [&](int value) { fillRect(font, gx, gy, 8, 8, value); };
  auto line = [&](int x, int y, int w, int h) { fillRect(font, gx + x, gy + y, w, h, kInk); };
  auto paper = [&](int x, int y, int w, int h) { fillRect(font, gx + x, gy + y, w, h, kPaper); };
  switch (ch) {
    case '"': fill(16); paper(4, 4, 4, 4); line(4, 4, 4, 1); line(4, 4, 1, 4); return true;
    case '*': fill(16); paper(0, 4, 8, 4); line(0, 4, 8, 1); return true;
    case '#': fill(16); paper(0, 4, 4, 4); line(0, 4, 4, 1); line(3, 4, 1, 4); return true;
    case '-': fill(16); paper(4, 0, 4, 8); line(4, 0, 1, 8); return true;
    case '/': fill(16); paper(0, 0, 4, 8); line(3, 0, 1, 8); return true;
    case '$': fill(16); paper(4, 0, 4, 4); line(4, 0, 1, 4); line(4, 3, 4, 1); return true;
    case '+': fill(16); paper(0, 0, 8, 4); line(0, 3, 8, 1); return true;
    case '%': fill(16); paper(0, 0, 4, 4); line(3, 0, 1, 4); line(0, 3, 4, 1); return true;
    case '&': case '\'':
      // Tail pointing down-left, over two cells.
      fill(16);
      for (int r = 0; r < 7; ++r) {
        const int edge = ch == '&' ? 7 - r : 0;
        const int width = ch == '&' ? r + 1 : 7 - r;
        fillRect(font, gx + edge, gy + r, width, 1, kPaper);
        setPixel(font, gx + (ch == '&' ? edge : width - 1), gy + r, kInk);
      }
      return true;
    case '=': case '<':
      // Tail pointing down-right.
      fill(16);
      for (int r = 0; r < 7; ++r) {
        const int width = ch == '=' ? 7 - r : r + 1;
        const int edge = ch == '=' ? 0 : 7 - r;
        fillRect(font, gx + edge, gy + r, width, 1, kPaper);
        setPixel(font, gx + (ch == '=' ? 0 : 7), gy + r, kInk);
      }
      return true;
    default:
      return false;
  }
}

assets::Sheet makeFont() {
  assets::Sheet font;
  font.itemW = 8;
  font.itemH = 8;
  font.columns = 16;
  font.count = 96;
  font.image = filledImage(128, 48, kPaper);
  for (int g = 0; g < font.count; ++g) {
    const char ch = static_cast<char>(g + 32);
    const int gx = (g % 16) * 8;
    const int gy = (g / 16) * 8;
    if (ch == ' ') continue;
    if (ch == kRuleGlyph) {
      const int row0[8] = {0, 16, 24, 8, 13, 1, 15, 17};
      for (int i = 0; i < 8; ++i) setPixel(font.image, gx + i, gy, row0[i]);
      fillRect(font.image, gx, gy + 1, 8, 7, 16);
      continue;
    }
    if (framePiece(ch, font.image, gx, gy)) continue;
    const int bits = letterBits(ch);
    for (int r = 0; r < 5; ++r)
      for (int c = 0; c < 3; ++c)
        if ((bits >> (14 - (r * 3 + c))) & 1) fillRect(font.image, gx + 1 + 2 * c, gy + 1 + r, 2, 1, kInk);
  }
  return font;
}

assets::TileSet makeTiles() {
  assets::TileSet tiles;
  tiles.columns = 32;
  tiles.count = 1384;
  tiles.collisionTiles = 912;
  tiles.image = filledImage(32 * 16, 44 * 16, 0);
  for (int t = 0; t < tiles.count; ++t) {
    const int x = (t % 32) * 16;
    const int y = (t / 32) * 16;
    fillRect(tiles.image, x, y, 16, 16, t % 16);
    fillRect(tiles.image, x, y, 16, 1, (t + 5) % 16);
    fillRect(tiles.image, x, y, 1, 16, (t + 5) % 16);
    for (int i = 0; i < 16; ++i) setPixel(tiles.image, x + i, y + i, (t / 16) % 16);
  }
  // A tile with values of the sprite index convention: tiles copy them as they are.
  setPixel(tiles.image, 5 * 16, 0, 20);
  setPixel(tiles.image, 5 * 16 + 1, 0, 16);
  // Life and blank life icons on the icon key colour 10.
  for (int id : {1382, 1383}) {
    const int x = (id % 32) * 16;
    const int y = (id / 32) * 16;
    fillRect(tiles.image, x, y, 16, 16, 10);
    if (id == 1382) {
      for (int r = 0; r < 12; ++r) fillRect(tiles.image, x + 8 - r / 2, y + 2 + r, r + 1, 1, 12);
    } else {
      fillRect(tiles.image, x + 3, y + 3, 10, 10, 8);
      fillRect(tiles.image, x + 5, y + 5, 6, 6, 10);
    }
  }
  return tiles;
}

assets::SpriteSet makeSprites(int frames, int w, int h, int colour) {
  assets::SpriteSet set;
  set.image = filledImage(w * 2, h, 16);
  // Frame shape 0: a body with an outline of colour 15 and an OR-ed stripe.
  fillRect(set.image, 1, 1, w - 2, h - 2, colour);
  fillRect(set.image, 0, 0, w, 1, 15);
  fillRect(set.image, 0, h - 1, w, 1, 15);
  fillRect(set.image, 0, 0, 1, h, 15);
  fillRect(set.image, w - 1, 0, 1, h, 15);
  fillRect(set.image, 2, h / 2, w - 4, 2, 16 + 8);
  // Frame shape 1: a hollow box.
  fillRect(set.image, w, 0, w, h, colour ^ 7);
  fillRect(set.image, w + 2, 2, w - 4, h - 4, 16);
  for (int i = 0; i < frames; ++i) {
    assets::SpriteFrame f;
    f.x = (i % 2) * w;
    f.y = 0;
    f.w = w;
    f.h = h;
    f.ox = i % 3;
    f.oy = 0;
    f.xoff = 0;
    f.yoff = i % 2;
    set.frames.push_back(f);
  }
  return set;
}

}  // namespace

render::GameGraphics makeGraphics() {
  render::GameGraphics gfx;
  gfx.tiles = makeTiles();
  const std::uint8_t dac[16][3] = {{0, 0, 0},    {0, 0, 42},   {0, 42, 0},   {60, 60, 56},
                                   {42, 0, 0},   {42, 0, 42},  {42, 21, 0},  {42, 42, 42},
                                   {21, 21, 21}, {21, 21, 63}, {21, 63, 21}, {21, 63, 63},
                                   {63, 21, 21}, {8, 8, 24},   {63, 63, 21}, {63, 63, 63}};
  for (int i = 0; i < 16; ++i) gfx.palette[i] = {dac[i][0], dac[i][1], dac[i][2]};

  gfx.panel = filledImage(320, 40, 8);
  fillRect(gfx.panel, 0, 0, 320, 2, 7);
  fillRect(gfx.panel, 16, 8, 48, 16, 3);  // the inventory box
  fillRect(gfx.panel, 136, 13, 24, 8, 15);

  gfx.objects.itemW = 16;
  gfx.objects.itemH = 16;
  gfx.objects.columns = 4;
  gfx.objects.count = 6;
  gfx.objects.image = filledImage(64, 32, 16);
  for (int i = 0; i < gfx.objects.count; ++i) {
    const int x = (i % 4) * 16;
    const int y = (i / 4) * 16;
    fillRect(gfx.objects.image, x + 3, y + 3, 10, 10, i + 2);
    fillRect(gfx.objects.image, x + 6, y + 6, 4, 4, 16 + 8);
  }

  gfx.font = makeFont();

  gfx.logo.itemW = 96;
  gfx.logo.itemH = 24;
  gfx.logo.columns = 1;
  gfx.logo.count = 1;
  gfx.logo.image = filledImage(96, 24, 14);
  fillRect(gfx.logo.image, 0, 0, 4, 4, 16);
  fillRect(gfx.logo.image, 8, 8, 80, 8, 16 + 1);

  gfx.lifts.image = filledImage(64, 16, 9);
  fillRect(gfx.lifts.image, 0, 0, 32, 1, 15);
  fillRect(gfx.lifts.image, 32, 0, 32, 16, 6);
  gfx.lifts.types = {{0, 0, 32, 8}, {32, 0, 32, 16}};

  gfx.tumbold = makeSprites(30, 24, 32, 4);
  gfx.misc = makeSprites(16, 16, 16, 2);
  gfx.frank = makeSprites(2, 16, 24, 5);
  gfx.shades = makeSprites(2, 8, 4, 1);
  gfx.glueon = makeSprites(2, 8, 8, 6);
  gfx.balloon = makeSprites(9, 24, 24, 12);
  gfx.chandel = makeSprites(2, 32, 8, 14);

  auto& t = gfx.drawTables;
  t.glueonFirstPlayerFrame = 26;
  t.glueonFrames = {0, 1};
  t.shadesEntries = {{4, 2, 0}, {6, 2, 1}, {4, 3, 0}};
  t.liftRope = {{{0x18, 0x00, 0x00, 0x18}, {0x18, 0x00, 0x00, 0x18}, {0x00, 0x00, 0x00, 0x00}, {0x18, 0x18, 0x18, 0x18}}};
  t.energyColumns = {2, 2, 10, 10, 12, 12};
  t.energyPartial = {0x80, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE, 0xFF};
  return gfx;
}

world::World makeWorld() {
  world::World w;
  const char* names[] = {"HALL", "CELLAR 0", "A VERY LONG ROOM NAME INDEED", "TOWER"};
  for (int r = 0; r < 4; ++r) {
    world::Room room;
    room.id = r;
    room.name = names[r];
    for (int row = 0; row < world::kRoomRows; ++row) {
      for (int col = 0; col < world::kRoomCols; ++col) {
        std::uint16_t id = static_cast<std::uint16_t>(r * 40 + row * 3 + col % 7);
        if (row == 9) id = static_cast<std::uint16_t>(100 + col % 2);
        if (row == 4 && col > 8 && col < 12) id = 0x8000;
        room.tiles[row][col] = id;
      }
    }
    w.rooms.push_back(room);
  }
  world::Screen title;
  for (int i = 0; i < 20; ++i) {
    title.header[0][i] = static_cast<std::uint16_t>(200 + i);
    title.header[1][i] = static_cast<std::uint16_t>(i % 4 == 0 ? 0x8000 : 220 + i);
  }
  title.room = 1;
  w.screens["title"] = title;
  world::Screen end = title;
  end.room = 3;
  w.screens["end"] = end;

  using world::SegmentKind;
  w.textScreens["title"] = {{SegmentKind::At, 12, 20, ""},
                            {SegmentKind::Text, 0, 0, "PRESS FIRE"},
                            {SegmentKind::Style, 0, 0, "panel"},
                            {SegmentKind::At, 4, 22, ""},
                            {SegmentKind::Text, 0, 0, "SCORE 10"},
                            {SegmentKind::Style, 0, 0, "shadow"},
                            {SegmentKind::Text, 0, 0, " HI"}};
  w.textScreens["ending"] = {{SegmentKind::At, 14, 10, ""}, {SegmentKind::Text, 0, 0, "WELL DONE"}};
  w.textScreens["game_over"] = {{SegmentKind::At, 15, 10, ""}, {SegmentKind::Text, 0, 0, "GAME OVER"}};
  w.ballRooms = {1, 2, 3};
  return w;
}

}  // namespace rendertest
