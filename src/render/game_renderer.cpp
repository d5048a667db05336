#include "render/game_renderer.h"

#include <algorithm>

#include "render/pixel_ops.h"

namespace render {

namespace {

bool validRoom(const world::World& world, int room) {
  return room >= 0 && room < static_cast<int>(world.rooms.size());
}

void setInventory(PanelView& view, const std::vector<sim::PageItem>& items) {
  for (int i = 0; i < 3; ++i) view.inventory[i] = i < static_cast<int>(items.size()) ? items[i][0] : -1;
}

}  // namespace

GameRenderer::GameRenderer(const GameGraphics& graphics, const world::World& w) : gfx(&graphics), world(&w) {}

void GameRenderer::apply(const std::vector<sim::PageOp>& ops) {
  for (const auto& op : ops) applyOne(op);
}

void GameRenderer::applyOne(const sim::PageOp& op) {
  if (op.kind == sim::PageOpKind::Inventory) {
    // The DOS game wrote the inventory box into both video pages at once.
    drawOne(0, op);
    drawOne(1, op);
  } else {
    drawOne(drawPage, op);
  }
  noteOne(op);
}

void GameRenderer::drawOne(int p, const sim::PageOp& op) {
  Framebuffer& page = pages[p & 1];
  switch (op.kind) {
    case sim::PageOpKind::ResetCache:
      if (validRoom(*world, op.a)) drawRoom(page, gfx->tiles, world->rooms[op.a], kPlayAreaTop);
      break;
    case sim::PageOpKind::DrawTile:
      drawTile(page, gfx->tiles, static_cast<std::uint16_t>(op.a), op.b * 8, op.c * 8 + kPlayAreaTop);
      break;
    case sim::PageOpKind::Objects:
      drawObjects(page, op.items);
      break;
    case sim::PageOpKind::Lift:
      drawLift(page, sim::unpackLift(op.lift));
      break;
    case sim::PageOpKind::Panel:
      drawPanel(page, op);
      break;
    case sim::PageOpKind::Energy:
      drawEnergy(page, op.c);
      break;
    case sim::PageOpKind::Score:
      drawScore(page, op.d);
      break;
    case sim::PageOpKind::Inventory:
      drawInventory(page, op.items);
      break;
    case sim::PageOpKind::Bubble:
      drawBubble(page, op);
      break;
    default:
      break;  // a teleport and a flip draw nothing
  }
}

void GameRenderer::noteOne(const sim::PageOp& op) {
  switch (op.kind) {
    case sim::PageOpKind::ResetCache:
      pageFlags[drawPage] |= kRoomReset;
      break;
    case sim::PageOpKind::Panel: {
      pageFlags[drawPage] |= kPanelDrawn;
      PanelView& view = panels[drawPage];
      view.valid = true;
      view.room = op.a;
      view.lives = op.b;
      view.energy = op.c;
      view.score = op.d;
      setInventory(view, op.items);
      break;
    }
    case sim::PageOpKind::Energy:
      panels[drawPage].energy = op.c;
      break;
    case sim::PageOpKind::Score:
      panels[drawPage].score = op.d;
      break;
    case sim::PageOpKind::Inventory:
      for (PanelView& view : panels) setInventory(view, op.items);
      break;
    case sim::PageOpKind::Flip:
      drawPage ^= 1;
      break;
    default:
      break;
  }
}

void GameRenderer::drawObjectItem(Framebuffer& fb, int id, int x, int y) const {
  const assets::Sheet& sheet = gfx->objects;
  std::int64_t sx = 0, sy = 0;
  if (!detail::sheetItem(sheet, id, sx, sy)) return;
  detail::blit(fb, sheet.image, sx, sy, 16, 16, x, y, 0, false);
}

void GameRenderer::drawObjects(Framebuffer& fb, const std::vector<std::array<int, 3>>& items) const {
  for (const auto& item : items) drawObjectItem(fb, item[0], item[1] * 8, item[2]);
}

void GameRenderer::drawLift(Framebuffer& fb, const sim::LiftState& lift) const {
  const int column = static_cast<std::uint16_t>(lift.x) >> 3;
  const int y = lift.y;

  if (lift.type == 0 && y >= 41) {
    const int n = std::max(y & 1, (y & 0x7FFE) - 40);
    const auto& rope = gfx->drawTables.liftRope;
    for (int k = 0; k < n; ++k) {
      const int row = y - 1 - k;
      if (row >= kScreenHeight) continue;  // below the picture: nothing to write
      for (int p = 0; p < 4; ++p) {
        const bool even = (k & 1) == 0;
        const int first = even ? rope[p][2] : rope[p][0];
        const int second = even ? rope[p][3] : rope[p][1];
        detail::writeByte(fb, column + 2, row, first, 1 << p);
        detail::writeByte(fb, column + 3, row, second, 1 << p);
      }
    }
  }

  if (lift.type >= gfx->lifts.types.size() || lift.h == 0) return;
  const auto& rect = gfx->lifts.types[lift.type];
  if (rect.h < 1 || lift.wWords == 0 || !detail::whole(fb)) return;
  for (int r = 0; r < lift.h && r < rect.h; ++r) {
    const int ty = y + r;
    if (ty < kPlayAreaTop || ty >= kScreenHeight) continue;
    for (int c = 0; c < lift.wWords * 16 && c < rect.w; ++c) {
      const int tx = column * 8 + c;
      if (tx >= kScreenWidth) break;
      // The rectangles are not checked against the picture when loaded: what
      // lies beyond it is left undrawn.
      const int p = detail::imagePixel(gfx->lifts.image, std::int64_t{rect.x} + c, std::int64_t{rect.y} + r);
      if (p >= 0) fb.pixels[ty * kScreenWidth + tx] = static_cast<std::uint8_t>(p);
    }
  }
}

void GameRenderer::drawPanel(Framebuffer& fb, const sim::PageOp& op) const {
  if (!detail::whole(fb)) return;
  const assets::IndexedImage& panel = gfx->panel;
  const int rows = std::min(kPlayAreaTop, panel.height);
  const int cols = std::min(kScreenWidth, panel.width);
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < cols; ++x) {
      const int p = detail::imagePixel(panel, x, y);
      if (p >= 0) fb.pixels[y * kScreenWidth + x] = static_cast<std::uint8_t>(p);
    }
  }

  if (validRoom(*world, op.a)) {
    const std::string& name = world->rooms[op.a].name;
    const int pad = std::max((20 - static_cast<int>(name.size())) / 2, 0);
    std::string line(pad, ' ');
    line += name;
    if (line.size() < 20) line.append(20 - line.size(), ' ');
    drawText(fb, 1, 32, line, TextStyle::Plain);
  }

  int x = 176;
  for (int i = 0; i < op.b; ++i) {
    drawTile(fb, gfx->tiles, detail::kLifeTile, x, 16);
    const bool passed = x > 303;
    x += 16;
    if (passed) break;
  }
  for (; x <= 208; x += 16) drawTile(fb, gfx->tiles, detail::kBlankLifeTile, x, 16);

  drawEnergy(fb, op.c);
  drawScore(fb, op.d);
  for (std::size_t i = 0; i < op.items.size(); ++i) {
    drawObjectItem(fb, op.items[i][0], 16 + 16 * static_cast<int>(i), 8);
  }
}

void GameRenderer::drawEnergy(Framebuffer& fb, int energy) const {
  const auto& masks = gfx->drawTables.energyColumns;
  const auto& partial = gfx->drawTables.energyPartial;
  const int n = static_cast<int>(masks.size());
  auto column = [&](int k, int bits) {
    for (int row = 6; row <= 13; ++row) detail::writeByte(fb, 22 + k, row, bits, masks[k]);
  };
  int k = 0;
  if (energy >= 9) {
    for (; k < ((energy - 1) >> 3) && k < n; ++k) column(k, 255);
  }
  if (energy >= 1 && k < n) {
    const std::size_t entry = static_cast<std::size_t>((energy - 1) & 7);
    column(k, entry < partial.size() ? partial[entry] : 0);
    ++k;
  }
  for (; k < n; ++k) column(k, 0);
}

void GameRenderer::drawScore(Framebuffer& fb, int score) const {
  const std::array<int, 3> glyphs = detail::scoreGlyphs(score);
  const assets::Sheet& font = gfx->font;
  for (int k = 0; k < 3; ++k) {
    std::int64_t gx = 0, gy = 0;
    if (!detail::sheetItem(font, glyphs[k], gx, gy)) continue;
    for (int r = 0; r < 8; ++r) {
      int mask = 0;
      for (int i = 0; i < 8; ++i) {
        const int p = detail::imagePixel(font.image, gx + i, gy + r);
        if (p > 0 && (p & 12) != 0) mask |= 0x80 >> i;
      }
      detail::writeByte(fb, 17 + k, 13 + r, 255, 1);
      detail::writeByte(fb, 17 + k, 13 + r, mask ^ 255, 14);
    }
  }
}

void GameRenderer::drawInventory(Framebuffer& fb, const std::vector<std::array<int, 3>>& items) const {
  if (!detail::whole(fb)) return;
  for (int y = 8; y <= 23; ++y) {
    for (int x = 16; x <= 63; ++x) {
      const int p = detail::imagePixel(gfx->panel, x, y);
      if (p >= 0) fb.pixels[y * kScreenWidth + x] = static_cast<std::uint8_t>(p);
    }
  }
  for (std::size_t i = 0; i < items.size(); ++i) drawObjectItem(fb, items[i][0], 16 + 16 * static_cast<int>(i), 8);
}

}  // namespace render
