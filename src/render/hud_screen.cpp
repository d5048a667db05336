#include "render/hud_screen.h"

#include <algorithm>
#include <utility>

#include "core/log.h"
#include "render/pixel_ops.h"

namespace render {

namespace {

constexpr int kIconKey = 10;  // background colour that marks an icon's see-through pixels
constexpr int kFullEnergyPixels = 46;

void captureIcon(const assets::TileSet& tiles, int tile, std::int16_t (&icon)[16][16]) {
  Framebuffer page;
  page.pixels.assign(kScreenPixels, kIconKey);
  drawTile(page, tiles, static_cast<std::uint16_t>(tile), 0, 0);
  for (int r = 0; r < 16; ++r) {
    for (int c = 0; c < 16; ++c) {
      const int p = page.pixels[r * kScreenWidth + c];
      icon[r][c] = static_cast<std::int16_t>(p == kIconKey ? -1 : p);
    }
  }
}

void put(RgbaImage& out, int x, int y, std::uint32_t argb) {
  if (x < 0 || y < 0 || x >= out.width || y >= out.height) return;
  const std::size_t i = static_cast<std::size_t>(y) * out.width + x;
  if (i < out.pixels.size()) out.pixels[i] = argb;
}

// Rows y0..y1-1 of the framebuffer at (dx, dy + y) in the palette's colours.
void placeRows(const Framebuffer& fb, const std::array<std::uint32_t, 16>& table, int y0, int y1, int dx, int dy,
               RgbaImage& out) {
  const int available = static_cast<int>(fb.pixels.size() / kScreenWidth);
  for (int y = y0; y < y1 && y < available; ++y) {
    for (int x = 0; x < kScreenWidth; ++x) put(out, x + dx, y + dy, table[fb.pixels[y * kScreenWidth + x] & 15]);
  }
}

RgbaImage blackImage() {
  RgbaImage image;
  image.width = kHudWidth;
  image.height = kHudHeight;
  image.pixels.assign(static_cast<std::size_t>(kHudWidth) * kHudHeight, 0xFF000000u);
  return image;
}

std::optional<RgbaImage> loadFramePicture(const std::filesystem::path& path, bool reportSize) {
  auto image = loadRgbaPng(path);
  if (image && (image->width != kHudWidth || image->height != kHudHeight)) {
    if (reportSize)
      core::log(core::LogLevel::Error, "%s: %dx%d, expected %dx%d", path.string().c_str(), image->width,
              image->height, kHudWidth, kHudHeight);
    return std::nullopt;
  }
  return image;
}

}  // namespace

HudScreen::HudScreen(const GameGraphics& graphics, const world::World& w, RgbaImage framePicture)
    : gfx(&graphics), world(&w), frame(std::move(framePicture)) {
  captureIcon(gfx->tiles, detail::kLifeTile, lifeIcon);
  captureIcon(gfx->tiles, detail::kBlankLifeTile, blankIcon);
}

std::uint32_t HudScreen::colour(int index) const {
  const auto c = assets::Palette::toRgb8(gfx->palette[static_cast<std::size_t>(index & 15)]);
  return 0xFF000000u | static_cast<std::uint32_t>(c[0]) << 16 | static_cast<std::uint32_t>(c[1]) << 8 | c[2];
}

void HudScreen::drawGlyph(RgbaImage& out, int ch, int x, int y, bool inverted) const {
  const assets::Sheet& font = gfx->font;
  std::int64_t gx = 0, gy = 0;
  if (!detail::sheetItem(font, detail::characterGlyph(ch), gx, gy)) return;
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) {
      const int p = detail::imagePixel(font.image, gx + c, gy + r);
      if (p < 0 || p == 16) continue;
      std::uint32_t argb = colour(p & 15);
      if (inverted) argb ^= 0x00FFFFFFu;
      put(out, x + c, y + r, argb);
    }
  }
}

void HudScreen::drawPanel(const PanelView& view, const std::vector<InventoryIcon>* icons, RgbaImage& out) const {
  std::vector<InventoryIcon> atRest;
  if (icons == nullptr) {
    for (int i = 0; i < 3; ++i) atRest.push_back({view.inventory[i], 16 * i});
    icons = &atRest;
  }
  const assets::Sheet& objects = gfx->objects;
  for (const InventoryIcon& icon : *icons) {
    std::int64_t sx = 0, sy = 0;
    if (!detail::sheetItem(objects, icon.object, sx, sy)) continue;
    for (int r = 0; r < 16; ++r) {
      for (int c = 0; c < 16; ++c) {
        // The inventory box clips icons sliding in or out.
        if (icon.x + c < -1 || icon.x + c > 48) continue;
        const int p = detail::imagePixel(objects.image, sx + c, sy + r);
        if (p < 0 || p == 16) continue;
        put(out, 8 + icon.x + c, 17 + r, colour(p < 16 ? p : p - 16));
      }
    }
  }

  const std::array<int, 3> glyphs = detail::scoreGlyphs(view.score);
  const assets::Sheet& font = gfx->font;
  for (int k = 0; k < 3; ++k) {
    std::int64_t gx = 0, gy = 0;
    if (!detail::sheetItem(font, glyphs[k], gx, gy)) continue;
    for (int r = 0; r < 8; ++r) {
      for (int c = 0; c < 8; ++c) {
        int p = detail::imagePixel(font.image, gx + c, gy + r);
        if (p < 0) continue;
        if (p >= 16) p -= 16;
        put(out, 117 + 8 * k + c, 22 + r, colour((std::max(p, 0) & 12) != 0 ? 1 : 15));
      }
    }
  }

  if (view.energy < kFullEnergyPixels) {
    for (int y = 14; y <= 20; ++y) {
      for (int x = 182 + std::max(view.energy, 0); x <= 227; ++x) put(out, x, y, 0xFF000000u);
    }
  }

  for (int k = 0; k < 3; ++k) {
    const auto& icon = k < view.lives ? lifeIcon : blankIcon;
    for (int r = 0; r < 16; ++r) {
      for (int c = 0; c < 16; ++c) {
        if (icon[r][c] >= 0) put(out, 181 + 17 * k + c, 23 + r, colour(icon[r][c] & 15));
      }
    }
  }

  if (view.room >= 0 && view.room < static_cast<int>(world->rooms.size())) {
    const std::string& name = world->rooms[view.room].name;
    int x = 6 + std::max(0, (223 - 8 * static_cast<int>(name.size())) / 2);
    for (unsigned char ch : name) {
      if (ch != ' ') drawGlyph(out, ch, x, 41, true);
      x += 8;
    }
  }
}

void HudScreen::composePlay(const Framebuffer& fb, const assets::Palette& palette, const PanelView& view,
                            const std::vector<std::uint8_t>* mask, RgbaImage& out,
                            const std::vector<InventoryIcon>* icons) const {
  out = frame;
  const auto table = colourTable(palette);
  placeRows(fb, table, kPlayAreaTop, kScreenHeight, kHudPlayX, kHudPlayY, out);
  if (view.valid) drawPanel(view, icons, out);
  if (mask != nullptr && mask->size() == fb.pixels.size()) {
    const int rows = std::min(kPlayAreaTop, static_cast<int>(fb.pixels.size() / kScreenWidth));
    for (int y = 0; y < rows; ++y) {
      for (int x = 0; x < kScreenWidth; ++x) {
        const int i = y * kScreenWidth + x;
        if ((*mask)[i] != 0) put(out, x + kHudPlayX, y + kHudPlayY, table[fb.pixels[i] & 15]);
      }
    }
  }
}

void HudScreen::composeFullFrame(const Framebuffer& fb, const assets::Palette& palette, RgbaImage& out) const {
  out = blackImage();
  placeRows(fb, colourTable(palette), 0, kScreenHeight, 14, 20, out);
}

void HudScreen::composeTitle(const Framebuffer& fb, const Framebuffer& overlay, const assets::Palette& palette,
                             RgbaImage& out) const {
  const auto table = colourTable(palette);
  int base = 226;
  if (titleFrame.width > 0) {
    out = blackImage();
    placeRows(fb, table, 0, kScreenHeight, 14, 14, out);
    const std::size_t n = std::min(out.pixels.size(), titleFrame.pixels.size());
    for (std::size_t i = 0; i < n; ++i) {
      if ((titleFrame.pixels[i] >> 24) != 0) out.pixels[i] = titleFrame.pixels[i];
    }
    base = 207;
  } else {
    composeFullFrame(fb, palette, out);
  }
  const int rows = std::min(8, static_cast<int>(overlay.pixels.size() / kScreenWidth));
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < kScreenWidth; ++x) {
      const int p = overlay.pixels[y * kScreenWidth + x] & 15;
      if (p != 0) put(out, x + 14, base + y, table[p]);
    }
  }
}

void HudScreen::drawMessage(RgbaImage& out, const std::vector<std::string>& lines) const {
  if (lines.empty()) return;
  const int n = static_cast<int>(lines.size());
  std::size_t longest = 0;
  for (const auto& line : lines) longest = std::max(longest, line.size());
  const int w = 8 * static_cast<int>(longest);
  const int top = (149 - 11 * n) / 2 + 66;
  const int diff = 304 - w;
  const int left = (diff >= 0 ? diff / 2 : -((-diff + 1) / 2)) + 14;
  const int boxW = w + 16;
  const int boxH = 11 * n + 11;
  for (int j = 0; j < boxH; ++j) {
    for (int i = 0; i < boxW; ++i) {
      const bool line = i == 1 || i == w + 14 || j == 1 || j == 11 * n + 9;
      put(out, left + i, top + j, line ? 0xFFFFFFFFu : 0xFF000000u);
    }
  }
  for (int k = 0; k < n; ++k) {
    const int len = static_cast<int>(lines[k].size());
    const int d = boxW - 8 * len;
    int x = left + (d >= 0 ? d / 2 : -((-d + 1) / 2));
    const int y = top + 7 + 11 * k;
    for (unsigned char ch : lines[k]) {
      if (ch != ' ') drawGlyph(out, ch, x, y, true);
      x += 8;
    }
  }
}

std::optional<HudScreen> loadHudScreen(const std::filesystem::path& root, const GameGraphics& gfx,
                                       const world::World& world) {
  const auto ui = root / "assets" / "UI";
  auto frame = loadFramePicture(ui / "frame_transparent.png", true);
  if (!frame) return std::nullopt;
  HudScreen hud(gfx, world, std::move(*frame));
  auto title = loadFramePicture(ui / "title_frame.png", false);
  if (title) {
    hud.titleFrame = std::move(*title);
  } else {
    core::log(core::LogLevel::Error,
              "assets/UI/title_frame.png missing or not %dx%d: the title without its film strip", kHudWidth,
              kHudHeight);
  }
  return hud;
}

}  // namespace render
