#include "app_fixture.h"

#include <filesystem>

#include "support/golden_picture.h"
#include "support/indexed_drawing.h"

namespace apptest {

namespace fs = std::filesystem;
using testsupport::filledImage;
using testsupport::fillRect;

namespace {

constexpr int kInk = 1;
constexpr int kPaper = 15;
constexpr int kClear = 16;  // transparent in sprites, objects and fonts

// 3 x 5 letter shapes, one string of 15 cells per character, row by row.
const char* letterShape(char ch) {
  switch (ch) {
    case 'A': return ".#.#.#####.##.#";
    case 'B': return "##.#.###.#.###.";
    case 'C': return "####..#..#..###";
    case 'D': return "##.#.##.##.###.";
    case 'E': return "####..##.#..###";
    case 'F': return "####..##.#..#..";
    case 'G': return "####..#.##.####";
    case 'H': return "#.##.####.##.##";
    case 'I': return "###.#..#..#.###";
    case 'K': return "#.##.###.#.##.#";
    case 'L': return "#..#..#..#..###";
    case 'M': return "#.#####.##.##.#";
    case 'N': return "##.#.##.##.##.#";
    case 'O': return "####.##.##.####";
    case 'P': return "####.####..#..#";
    case 'R': return "##.#.###.#.##.#";
    case 'S': return "####..###..####";
    case 'T': return "###.#..#..#..#.";
    case 'U': return "#.##.##.##.####";
    case 'V': return "#.##.##.##.#.#.";
    case 'W': return "#.##.######.##.";
    case 'Y': return "#.##.#.#..#..#.";
    case '1': return ".#.##..#..#.###";
    case '2': return "###..#####..###";
    case '6': return "####..####.####";
    default: return "###############";
  }
}

// The bubble frame pieces live in the font: ink edges around white paper,
// transparent outside.
bool framePiece(char ch, assets::IndexedImage& font, int gx, int gy) {
  auto box = [&](int x, int y, int w, int h, bool top, bool bottom, bool left, bool right) {
    fillRect(font, gx, gy, 8, 8, kClear);
    fillRect(font, gx + x, gy + y, w, h, kPaper);
    if (top) fillRect(font, gx + x, gy + y, w, 1, kInk);
    if (bottom) fillRect(font, gx + x, gy + y + h - 1, w, 1, kInk);
    if (left) fillRect(font, gx + x, gy + y, 1, h, kInk);
    if (right) fillRect(font, gx + x + w - 1, gy + y, 1, h, kInk);
  };
  switch (ch) {
    case '"': box(4, 4, 4, 4, true, false, true, false); return true;
    case '*': box(0, 4, 8, 4, true, false, false, false); return true;
    case '#': box(0, 4, 4, 4, true, false, false, true); return true;
    case '-': box(4, 0, 4, 8, false, false, true, false); return true;
    case '/': box(0, 0, 4, 8, false, false, false, true); return true;
    case '$': box(4, 0, 4, 4, false, true, true, false); return true;
    case '+': box(0, 0, 8, 4, false, true, false, false); return true;
    case '%': box(0, 0, 4, 4, false, true, false, true); return true;
    case '&': case '\'': case '=': case '<':
      fillRect(font, gx, gy, 8, 8, kClear);
      for (int r = 0; r < 7; ++r) fillRect(font, gx + (ch == '&' || ch == '<' ? 7 - r : 0), gy + r, 1, 1, kInk);
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
  font.image = filledImage(128, 48, kClear);
  for (int g = 1; g < font.count; ++g) {
    const char ch = static_cast<char>(g + 32);
    const int gx = (g % 16) * 8;
    const int gy = (g / 16) * 8;
    if (framePiece(ch, font.image, gx, gy)) continue;
    fillRect(font.image, gx, gy, 8, 8, kPaper);
    const char* shape = letterShape(ch);
    for (int i = 0; i < 15 && shape[i] != '\0'; ++i)
      if (shape[i] == '#') fillRect(font.image, gx + 1 + 2 * (i % 3), gy + 1 + i / 3, 2, 1, kInk);
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
    fillRect(tiles.image, x, y, 16, 1, (t + 7) % 16);
    fillRect(tiles.image, x, y, 1, 16, (t + 7) % 16);
  }
  // Life icon (a red block) and blank life (a grey ring) on the icon key colour 10.
  fillRect(tiles.image, (1382 % 32) * 16, (1382 / 32) * 16, 16, 16, 10);
  fillRect(tiles.image, (1382 % 32) * 16 + 3, (1382 / 32) * 16 + 3, 10, 10, 12);
  fillRect(tiles.image, (1383 % 32) * 16, (1383 / 32) * 16, 16, 16, 10);
  fillRect(tiles.image, (1383 % 32) * 16 + 3, (1383 / 32) * 16 + 3, 10, 10, 8);
  fillRect(tiles.image, (1383 % 32) * 16 + 6, (1383 / 32) * 16 + 6, 4, 4, 10);
  return tiles;
}

// Every frame the same box of `colour` with a white outline.
assets::SpriteSet makeSprites(int frames, int w, int h, int colour) {
  assets::SpriteSet set;
  set.image = filledImage(w, h, 15);
  fillRect(set.image, 1, 1, w - 2, h - 2, colour);
  fillRect(set.image, 2, 2, w / 3, h / 4, kClear);
  for (int i = 0; i < frames; ++i) {
    assets::SpriteFrame f;
    f.w = w;
    f.h = h;
    set.frames.push_back(f);
  }
  return set;
}

world::ScriptOp op(const std::string& name, std::vector<world::ScriptOperand> args = {}) {
  world::ScriptOp o;
  o.name = name;
  o.args = std::move(args);
  return o;
}

world::ScriptBlock code(const std::string& label, std::vector<world::ScriptOp> ops) {
  world::ScriptBlock b;
  b.kind = world::BlockKind::Code;
  b.label = label;
  b.ops = std::move(ops);
  return b;
}

world::Entity entity(int room, const std::string& step) {
  world::Entity e;
  e.room = room;
  e.step = step;
  return e;
}

}  // namespace

render::GameGraphics makeGraphics() {
  render::GameGraphics gfx;
  gfx.tiles = makeTiles();
  const std::uint8_t dac[16][3] = {{0, 0, 0},    {0, 0, 42},   {0, 42, 0},   {0, 42, 42},
                                   {42, 0, 0},   {42, 0, 42},  {42, 21, 0},  {42, 42, 42},
                                   {21, 21, 21}, {21, 21, 63}, {21, 63, 21}, {21, 63, 63},
                                   {63, 21, 21}, {63, 21, 63}, {63, 63, 21}, {63, 63, 63}};
  for (int i = 0; i < 16; ++i) gfx.palette[static_cast<std::size_t>(i)] = {dac[i][0], dac[i][1], dac[i][2]};

  gfx.panel = filledImage(320, 40, 8);
  fillRect(gfx.panel, 16, 8, 48, 16, 0);

  gfx.objects.itemW = 16;
  gfx.objects.itemH = 16;
  gfx.objects.columns = 4;
  gfx.objects.count = 8;
  gfx.objects.image = filledImage(64, 32, kClear);
  for (int i = 0; i < gfx.objects.count; ++i) fillRect(gfx.objects.image, (i % 4) * 16 + 2, (i / 4) * 16 + 2, 12, 12, i + 2);

  gfx.font = makeFont();

  gfx.logo.itemW = 96;
  gfx.logo.itemH = 24;
  gfx.logo.count = 1;
  gfx.logo.image = filledImage(96, 24, 14);
  fillRect(gfx.logo.image, 4, 4, 88, 16, 6);

  gfx.lifts.image = filledImage(32, 8, 9);
  gfx.lifts.types = {{0, 0, 32, 8}};

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
  t.energyColumns = {12, 12, 12, 12, 12, 12};
  t.energyPartial = {0x80, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE, 0xFF};
  return gfx;
}

render::RgbaImage makeFrameArt() {
  render::RgbaImage art;
  art.width = render::kHudWidth;
  art.height = render::kHudHeight;
  art.pixels.assign(static_cast<std::size_t>(art.width) * art.height, 0xFF303850u);
  auto rect = [&](int x, int y, int w, int h, std::uint32_t colour) {
    for (int r = y; r < y + h; ++r)
      for (int c = x; c < x + w; ++c) art.pixels[static_cast<std::size_t>(r) * art.width + c] = colour;
  };
  rect(8, 17, 48, 16, 0xFF101010u);    // the inventory box
  rect(114, 20, 28, 12, 0xFF101010u);  // the score
  rect(182, 14, 46, 7, 0xFFE04020u);   // the full energy bar
  rect(4, 39, 230, 12, 0xFF000060u);   // the room name
  return art;
}

world::World makeWorld(bool talker) {
  world::World w;
  const char* names[] = {"START", "DRAIN ROOM", "SCREEN"};
  for (int r = 0; r < 3; ++r) {
    world::Room room;
    room.id = r;
    room.name = names[r];
    for (int row = 0; row < world::kRoomRows; ++row)
      for (int col = 0; col < world::kRoomCols; ++col)
        room.tiles[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] =
            static_cast<std::uint16_t>(row == 9 ? kWall : 40 + r * 16 + (row + col) % 3);
    for (int col = 0; col < world::kRoomCols; ++col) room.tiles[8][static_cast<std::size_t>(col)] = kFloor;
    w.rooms.push_back(room);
  }

  world::Screen screen;
  for (int i = 0; i < world::kRoomCols; ++i) {
    screen.header[0][static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(100 + i % 4);
    screen.header[1][static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(104 + i % 2);
  }
  screen.room = 2;
  w.screens["title"] = screen;
  w.screens["end"] = screen;
  using world::SegmentKind;
  w.textScreens["title"] = {{SegmentKind::At, 15, 12, ""}, {SegmentKind::Text, 0, 0, "PRESS FIRE"}};
  w.textScreens["ending"] = {{SegmentKind::At, 15, 12, ""}, {SegmentKind::Text, 0, 0, "WELL DONE"}};
  w.textScreens["game_over"] = {{SegmentKind::At, 15, 12, ""}, {SegmentKind::Text, 0, 0, "GAME OVER"}};

  w.newGameRoom = 0;
  w.newGameX = 100;
  w.newGameY = 144;
  w.newGameLives = 1;
  w.energyFull = 46;

  w.scripts = {
      code("Talk", {op("wait", {kTalkWait}), op("say", {4, "HELLO\nTHERE"}), op("wait", {kTeleportWait}),
                    op("teleport", {kTeleportRoom, 100, 144, kTeleportTune}), op("end")}),
      code("Drain", {op("native", {"take_energy"}), op("wait", {1}), op("jmp", {"Drain"})}),
  };
  if (talker)
    w.entities = {entity(0, "Talk"), entity(1, "Drain")};
  else
    w.entities = {entity(1, "Drain")};
  return w;
}

TestGame::TestGame(bool talker) : world(makeWorld(talker)), gfx(makeGraphics()) {
  content.world = &world;
  content.collisionTiles = 912;
  content.attributes.assign(1024, {0, 0, 0, 0});
  content.attributes[kFloor] = {2, 2, 2, 2};
  for (std::size_t c = 0; c < 16; ++c)
    for (std::size_t k = 0; k < 3; ++k) content.palette[c * 3 + k] = gfx.palette[c][k];
  program = sim::compileScripts(world);
  EXPECT_TRUE(program.has_value());
  hud.emplace(gfx, world, makeFrameArt());
}

std::unique_ptr<app::GameApp> TestGame::makeApp(bool withHud) const {
  return std::make_unique<app::GameApp>(content, *program, gfx, withHud ? &*hud : nullptr);
}

bool run(app::GameApp& game, int n, std::uint8_t keys, bool back) {
  bool alive = true;
  for (int i = 0; i < n && alive; ++i) alive = game.tick(keys, back);
  return alive;
}

int runUntilMode(app::GameApp& game, std::uint32_t mode, int limit, std::uint8_t keys) {
  for (int i = 0; i < limit; ++i) {
    if (game.mode == mode) return i;
    game.tick(keys, false);
  }
  return game.mode == mode ? limit : -1;
}

void confirmScreen(app::GameApp& game) {
  // First tick, 16 ticks of fade, then 15 ticks of wait with fire released.
  run(game, 40);
  for (int i = 0; i < 10 && game.mode == app::GameApp::kModeScreen; ++i) game.tick(16, false);
}

void confirmBubble(app::GameApp& game) {
  run(game, 10);
  for (int i = 0; i < 3 && game.mode == app::GameApp::kModeBubble; ++i) game.tick(16, false);
  for (int i = 0; i < 3 && game.mode == app::GameApp::kModeBubble; ++i) game.tick(0, false);
}

::testing::AssertionResult matchesGolden(const std::string& name, const render::RgbaImage& actual) {
  return testsupport::matchesGoldenPicture(fs::path(TUMBOLD_SOURCE_DIR) / "tests" / "app" / "golden",
                                           fs::path(TUMBOLD_BINARY_DIR) / "golden-diff" / "app", name, actual);
}

}  // namespace apptest
