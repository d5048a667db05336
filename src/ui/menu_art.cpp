#include "ui/menu_art.h"

#include <algorithm>
#include <cstddef>
#include <string>

#include <nlohmann/json.hpp>

#include "core/files.h"
#include "core/hex.h"
#include "core/json.h"
#include "core/log.h"

namespace ui {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

constexpr char kFormat[] = "tumbold-menu-art";
constexpr std::uint32_t kMissingColour = 0xFFFF00FFu;

struct FontLayout {
  int cellW, cellH;    // a glyph's cell in the sheet
  int glyphW, glyphH;  // the part of the cell that is drawn
  int advance;
};
constexpr FontLayout kBig{8, 8, 7, 7, 8};
constexpr FontLayout kSmall{4, 6, 3, 5, 4};
constexpr int kGlyphColumns = 16;
constexpr int kFirstGlyph = 32;

const FontLayout& layout(MenuArt::Font font) { return font == MenuArt::Font::Small ? kSmall : kBig; }

bool inside(const render::RgbaImage& img, long long x, long long y) {
  return x >= 0 && y >= 0 && x < img.width && y < img.height;
}

std::uint32_t& at(render::RgbaImage& img, long long x, long long y) {
  return img.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(img.width) + static_cast<std::size_t>(x)];
}

std::uint32_t pixel(const render::RgbaImage& img, long long x, long long y) {
  return img.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(img.width) + static_cast<std::size_t>(x)];
}

// Copies the source rectangle (sx, sy, w, h) to (dx, dy), blending by the
// source's alpha. Pixels outside either picture are skipped.
void blit(render::RgbaImage& dst, const render::RgbaImage& src, int sx, int sy, int w, int h, int dx, int dy) {
  for (int j = 0; j < h; ++j) {
    for (int i = 0; i < w; ++i) {
      const long long x = static_cast<long long>(dx) + i;
      const long long y = static_cast<long long>(dy) + j;
      if (!inside(dst, x, y) || !inside(src, static_cast<long long>(sx) + i, static_cast<long long>(sy) + j))
        continue;
      const std::uint32_t s = pixel(src, sx + i, sy + j);
      const std::uint32_t a = s >> 24;
      if (a == 0) continue;
      std::uint32_t& d = at(dst, x, y);
      if (a == 255) {
        d = s;
        continue;
      }
      std::uint32_t out = 0xFF000000u;
      for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t dc = (d >> shift) & 0xFF;
        const std::uint32_t sc = (s >> shift) & 0xFF;
        out |= ((dc * (255 - a) + sc * a) / 255) << shift;
      }
      d = out;
    }
  }
}

// "#" and one to eight hexadecimal digits (six as shipped: red, green, blue).
bool parseColour(const Json& value, std::uint32_t& out) {
  if (!value.is_string()) return false;
  const std::string& s = value.get_ref<const std::string&>();
  if (s.size() < 2 || s.size() > 9 || s[0] != '#') return false;
  std::uint32_t v = 0;
  for (std::size_t i = 1; i < s.size(); ++i) {
    const int digit = core::hexDigit(s[i]);
    if (digit < 0) return false;
    v = v << 4 | static_cast<std::uint32_t>(digit);
  }
  out = v | 0xFF000000u;
  return true;
}

// section.key, kept at its default when absent. False when the section is
// not an object or the value is not a whole number from min up to a bound
// far above any sheet.
bool readNumber(const Json& root, const char* section, const char* key, std::int64_t min, std::int32_t& out) {
  constexpr std::int64_t kMax = 4096;
  const auto it = root.find(section);
  if (it == root.end() || !it->is_object()) return false;
  const auto value = it->find(key);
  if (value == it->end()) return true;
  std::int64_t v = 0;
  if (core::readWholeNumber(*value, min, kMax, v, true) != core::NumberFit::Inside) return false;
  out = static_cast<std::int32_t>(v);
  return true;
}

bool readDescription(const Json& root, MenuArt& art) {
  if (!root.is_object()) return false;
  const auto format = root.find("format");
  if (format == root.end() || !format->is_string() || format->get_ref<const std::string&>() != kFormat)
    return false;
  if (const auto palette = root.find("palette"); palette != root.end()) {
    if (!palette->is_object()) return false;
    for (const auto& [name, value] : palette->items()) {
      std::uint32_t colour = 0;
      if (!parseColour(value, colour)) return false;
      art.palette[name] = colour;
    }
  }
  return readNumber(root, "panel", "corner", 0, art.panelCorner) &&
         readNumber(root, "highlight", "corner", 0, art.highlightCorner) &&
         readNumber(root, "slot", "corner", 0, art.slotCorner) &&
         readNumber(root, "slider", "bars", 1, art.sliderBars);
}

// The drawing code tiles these sheets by their edge lengths and cuts the
// slider into three rows; a sheet that breaks that would never finish
// tiling or would be read outside.
const char* misfit(const MenuArt& art) {
  const auto tooSmall = [](const render::RgbaImage& sheet, int corner) {
    return sheet.width <= 2 * corner || sheet.height <= 2 * corner;
  };
  if (tooSmall(art.panelSheet, art.panelCorner)) return "panel.png";
  if (tooSmall(art.highlightSheet, art.highlightCorner)) return "highlight.png";
  if (tooSmall(art.slotSheet, art.slotCorner)) return "slot.png";
  if (art.stripeSheet.width < 1 || art.stripeSheet.height < 1) return "stripe.png";
  if (art.sliderSheet.height < 3) return "slider.png";
  return nullptr;
}

}  // namespace

std::optional<MenuArt> MenuArt::load(const fs::path& root) {
  const fs::path dir = root / "assets" / "UI" / "menu";
  MenuArt art;
  const auto text = core::readTextFile(dir / "menu.json");
  const Json description = text ? core::parseJson(*text) : Json();
  if (!text || description.is_discarded() || !readDescription(description, art)) {
    core::log(core::LogLevel::Error, "menu art: no assets/UI/menu/menu.json");
    return std::nullopt;
  }
  const std::pair<render::RgbaImage*, const char*> sheets[] = {
      {&art.fontSheet, "font.png"},       {&art.smallFontSheet, "small_font.png"},
      {&art.panelSheet, "panel.png"},     {&art.stripeSheet, "stripe.png"},
      {&art.highlightSheet, "highlight.png"}, {&art.slotSheet, "slot.png"},
      {&art.sliderSheet, "slider.png"},   {&art.latestSheet, "latest.png"},
      {&art.emptyThumb, "empty_thumb.png"},
  };
  for (const auto& [sheet, name] : sheets) {
    auto image = render::loadRgbaPng(dir / name);
    if (!image) return std::nullopt;
    *sheet = std::move(*image);
  }
  if (const char* sheet = misfit(art)) {
    core::log(core::LogLevel::Error, "menu art: %s does not fit the layout of menu.json", sheet);
    return std::nullopt;
  }
  return art;
}

std::uint32_t MenuArt::colour(const std::string& name) const {
  const auto it = palette.find(name);
  return it == palette.end() ? kMissingColour : it->second;
}

int MenuArt::textWidth(Font font, const std::string& s) {
  if (s.empty()) return 0;
  return static_cast<int>(s.size()) * layout(font).advance - 1;
}

void MenuArt::text(render::RgbaImage& img, Font font, int x, int y, const std::string& s,
                   std::uint32_t colour) const {
  const FontLayout& f = layout(font);
  const render::RgbaImage& sheet = font == Font::Small ? smallFontSheet : fontSheet;
  const int glyphs = (sheet.width / f.cellW) * (sheet.height / f.cellH);
  for (std::size_t i = 0; i < s.size(); ++i) {
    int c = static_cast<unsigned char>(s[i]);
    // The big font has no zero of its own: the game's text writes it as O.
    if (font == Font::Big && c == '0') c = 'O';
    if (font == Font::Small || c <= 127) {
      if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
      if (c < 33) continue;
    }
    if (c - kFirstGlyph >= glyphs) continue;
    const int sx = (c % kGlyphColumns) * f.cellW;
    const int sy = ((c - kFirstGlyph) / kGlyphColumns) * f.cellH;
    // A sheet narrower than sixteen cells counts glyphs it does not hold.
    if (sx + f.cellW > sheet.width || sy + f.cellH > sheet.height) continue;
    const long long penX = static_cast<long long>(x) + static_cast<long long>(i) * f.advance;
    for (int row = 0; row < f.glyphH; ++row) {
      for (int col = 0; col < f.glyphW; ++col) {
        if ((pixel(sheet, sx + col, sy + row) >> 24) == 0) continue;
        const long long px = penX + col;
        const long long py = static_cast<long long>(y) + row;
        if (inside(img, px, py)) at(img, px, py) = colour;
      }
    }
  }
}

void MenuArt::fill(render::RgbaImage& img, Rect r, std::uint32_t colour) const {
  const long long x0 = std::max<long long>(r.x, 0);
  const long long y0 = std::max<long long>(r.y, 0);
  const long long x1 = std::min<long long>(static_cast<long long>(r.x) + r.w, img.width);
  const long long y1 = std::min<long long>(static_cast<long long>(r.y) + r.h, img.height);
  for (long long y = y0; y < y1; ++y)
    for (long long x = x0; x < x1; ++x) at(img, x, y) = colour;
}

void MenuArt::nineSlice(render::RgbaImage& img, const render::RgbaImage& s, int c, Rect r) const {
  const int ew = s.width - 2 * c;
  const int eh = s.height - 2 * c;
  // Edges of no length would never advance the tiling.
  if (c < 0 || ew < 1 || eh < 1) return;
  const int iw = r.w - 2 * c;
  const int ih = r.h - 2 * c;
  blit(img, s, 0, 0, c, c, r.x, r.y);
  blit(img, s, s.width - c, 0, c, c, r.x + r.w - c, r.y);
  blit(img, s, 0, s.height - c, c, c, r.x, r.y + r.h - c);
  blit(img, s, s.width - c, s.height - c, c, c, r.x + r.w - c, r.y + r.h - c);
  if (r.w > 2 * c) {
    for (int tx = 0; tx < iw; tx += ew) {
      const int sw = std::min(iw - tx, ew);
      const int dx = r.x + c + tx;
      blit(img, s, c, 0, sw, c, dx, r.y);
      blit(img, s, c, s.height - c, sw, c, dx, r.y + r.h - c);
      for (int ty = 0; ty < ih; ty += eh) blit(img, s, c, c, sw, std::min(ih - ty, eh), dx, r.y + c + ty);
    }
  }
  if (ih > 0) {
    for (int ty = 0; ty < ih; ty += eh) {
      const int sh = std::min(ih - ty, eh);
      blit(img, s, 0, c, c, sh, r.x, r.y + c + ty);
      blit(img, s, s.width - c, c, c, sh, r.x + r.w - c, r.y + c + ty);
    }
  }
}

void MenuArt::panel(render::RgbaImage& img, Rect r) const { nineSlice(img, panelSheet, panelCorner, r); }
void MenuArt::highlight(render::RgbaImage& img, Rect r) const {
  nineSlice(img, highlightSheet, highlightCorner, r);
}
void MenuArt::slot(render::RgbaImage& img, Rect r) const { nineSlice(img, slotSheet, slotCorner, r); }

void MenuArt::stripe(render::RgbaImage& img, Rect r) const {
  const int sw = stripeSheet.width;
  if (sw < 1) return;
  for (int tx = 0; tx < r.w; tx += sw)
    blit(img, stripeSheet, 0, 0, std::min(r.w - tx, sw), std::min(stripeSheet.height, r.h), r.x + tx, r.y);
}

void MenuArt::slider(render::RgbaImage& img, int x, int y, int value, bool music) const {
  const int w = sliderSheet.width;
  const int rowH = sliderSheet.height / 3;
  blit(img, sliderSheet, 0, 0, w, rowH, x, y);
  if (sliderBars < 1) return;
  const long long filled = static_cast<long long>(w + 1) * std::max(value, 0) / sliderBars;
  const int f = static_cast<int>(std::min<long long>(filled, w));
  blit(img, sliderSheet, 0, music ? 2 * rowH : rowH, f, rowH, x, y);
}

void MenuArt::latest(render::RgbaImage& img, int x, int y) const {
  blit(img, latestSheet, 0, 0, latestSheet.width, latestSheet.height, x, y);
}

void MenuArt::image(render::RgbaImage& img, const render::RgbaImage& src, int x, int y) const {
  blit(img, src, 0, 0, src.width, src.height, x, y);
}

}  // namespace ui
