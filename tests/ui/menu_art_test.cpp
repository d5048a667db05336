#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/files.h"
#include "support/scratch_dir.h"
#include "ui/menu_art.h"

namespace {

namespace fs = std::filesystem;
using Font = ui::MenuArt::Font;

const fs::path kShippedRoot = TUMBOLD_SOURCE_DIR;

render::RgbaImage picture(int w, int h, std::uint32_t colour) {
  return {w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h, colour)};
}

int count(const render::RgbaImage& img, std::uint32_t colour) {
  return static_cast<int>(std::count(img.pixels.begin(), img.pixels.end(), colour));
}

TEST(MenuArt, LoadsTheShippedSkinFromDiskAndFromTheEmbeddedTable) {
  for (const fs::path& root : {kShippedRoot, fs::path("<embedded>")}) {
    const auto art = ui::MenuArt::load(root);
    ASSERT_TRUE(art) << root;
    EXPECT_EQ(art->palette.size(), 13u);
    EXPECT_EQ(art->colour("black"), 0xFF000000u);
    EXPECT_EQ(art->colour("no such colour"), 0xFFFF00FFu);
    std::vector<int> sizes;
    for (const auto* s : {&art->fontSheet, &art->smallFontSheet, &art->panelSheet, &art->stripeSheet,
                          &art->highlightSheet, &art->slotSheet, &art->sliderSheet, &art->latestSheet, &art->emptyThumb})
      sizes.insert(sizes.end(), {s->width, s->height});
    EXPECT_EQ(sizes, (std::vector<int>{128, 56, 64, 24, 16, 16, 16, 7, 6, 6, 6, 6, 39, 27, 27, 9, 24, 12}));
    EXPECT_EQ((std::vector<int>{art->panelCorner, art->highlightCorner, art->slotCorner, art->sliderBars}),
              (std::vector<int>{5, 2, 2, 10}));
  }
}

std::string menuJson(const std::string& palette, const std::string& numbers = R"("panel": {"corner": 5},
    "highlight": {"corner": 2}, "slot": {}, "slider": {"bars": 10})") {
  return R"({"format": "tumbold-menu-art", "version": 1, "palette": )" + palette + ", " + numbers + "}";
}

std::string withNumbers(const std::string& numbers) { return menuJson("{}", numbers); }

// Every menu.json the loader can meet: an unusable one gives nothing and one
// error line, never an exception or half a skin.
TEST(MenuArt, UnusableSkinsGiveNothingAndOneLine) {
  const std::string noMenu = "[error] menu art: no assets/UI/menu/menu.json\n";
  const struct {
    const char* name;
    std::optional<std::string> json;  // none: no menu.json at all
    const char* damage;               // a sheet replaced by a broken file, or null
    std::string log;                  // empty: it loads; else the whole line, or a part of it
  } cases[] = {
      {"usable", menuJson(R"({"white": "#F7EFCA"})"), nullptr, ""},
      {"numbers at their defaults", withNumbers(R"("panel": {}, "highlight": {}, "slot": {}, "slider": {})"), nullptr,
       ""},
      {"missing", std::nullopt, nullptr, "cannot open"},
      {"empty", "", nullptr, noMenu},
      {"truncated", R"({"format": "tumbold-menu-art", "pal)", nullptr, noMenu},
      {"not an object", R"(["tumbold-menu-art"])", nullptr, noMenu},
      {"other format", R"({"format": "tumbold-menu-ark", "panel": {}, "highlight": {}, "slot": {}, "slider": {}})",
       nullptr, noMenu},
      {"format not a string", R"({"format": 1})", nullptr, noMenu},
      {"palette not an object", menuJson("[]"), nullptr, noMenu},
      {"colour not a string", menuJson(R"({"white": 7})"), nullptr, noMenu},
      {"colour without #", menuJson(R"({"white": "F7EFCA"})"), nullptr, noMenu},
      {"colour not hexadecimal", menuJson(R"({"white": "#F7EFCG"})"), nullptr, noMenu},
      {"colour too long", menuJson(R"({"white": "#F7EFCAF7EF"})"), nullptr, noMenu},
      {"no slider object", withNumbers(R"("panel": {}, "highlight": {}, "slot": {})"), nullptr, noMenu},
      {"corner as a string", withNumbers(R"("panel": {"corner": "5"}, "highlight": {}, "slot": {}, "slider": {})"),
       nullptr, noMenu},
      {"negative corner", withNumbers(R"("panel": {}, "highlight": {"corner": -1}, "slot": {}, "slider": {})"),
       nullptr, noMenu},
      {"no bars", withNumbers(R"("panel": {}, "highlight": {}, "slot": {}, "slider": {"bars": 0})"), nullptr, noMenu},
      {"a corner the sheet cannot hold",
       withNumbers(R"("panel": {"corner": 8}, "highlight": {}, "slot": {}, "slider": {})"), nullptr,
       "[error] menu art: panel.png does not fit the layout of menu.json\n"},
      {"a damaged sheet", menuJson("{}"), "slider.png", "slider.png"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::ScratchDir root("menuart");
    const fs::path dir = root.path() / "assets" / "UI" / "menu";
    fs::create_directories(dir);
    for (const auto& entry : fs::directory_iterator(kShippedRoot / "assets" / "UI" / "menu"))
      if (entry.path().extension() == ".png") fs::copy_file(entry.path(), dir / entry.path().filename());
    if (c.json) {
      ASSERT_TRUE(core::writeFile(dir / "menu.json", {c.json->begin(), c.json->end()}));
    }
    if (c.damage != nullptr) {
      ASSERT_TRUE(core::writeFile(dir / c.damage, {'x'}));
    }
    ::testing::internal::CaptureStderr();
    const auto art = ui::MenuArt::load(root.path());
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(art.has_value(), c.log.empty()) << log;
    EXPECT_TRUE(c.log.rfind("[error]", 0) == 0 ? log == c.log : log.find(c.log) != std::string::npos) << log;
  }
}

// Glyph sheets made in code: glyph g is a solid block with one hole in a
// place of its own, so that every glyph draws differently.
ui::MenuArt codeArt() {
  ui::MenuArt art;
  art.fontSheet = picture(128, 56, 0);
  art.smallFontSheet = picture(64, 24, 0);
  for (auto [sheet, w, h] : {std::tuple{&art.fontSheet, 8, 8}, std::tuple{&art.smallFontSheet, 4, 6}})
    for (int g = 32; g < 32 + (sheet->width / w) * (sheet->height / h); ++g)
      for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
          if (i + j * (w - 1) != g % (w * h - 3))
            sheet->pixels[((g - 32) / 16 * h + j) * sheet->width + g % 16 * w + i] = 0xFF000000u;
  art.sliderSheet = picture(39, 27, 0xFF111111u);
  std::fill(art.sliderSheet.pixels.begin() + 39 * 9, art.sliderSheet.pixels.begin() + 39 * 18, 0xFF222222u);
  std::fill(art.sliderSheet.pixels.begin() + 39 * 18, art.sliderSheet.pixels.end(), 0xFF333333u);
  return art;
}

TEST(MenuArt, TextSliderBlendingDimmingAndShrinking) {
  EXPECT_EQ(ui::MenuArt::textWidth(Font::Big, "PAUSED"), 47);
  EXPECT_EQ(ui::MenuArt::textWidth(Font::Small, "A"), 3);
  EXPECT_EQ(ui::MenuArt::textWidth(Font::Big, ""), 0);

  const ui::MenuArt art = codeArt();
  const auto drawn = [&](Font font, const std::string& s) {
    render::RgbaImage img = picture(40, 10, 0xFF000000u);
    art.text(img, font, 1, 1, s, 0xFFFFFFFFu);
    art.text(img, font, -1000000, 1000000, s, 0xFFFFFFFFu);  // clipped, never out of bounds
    return img.pixels;
  };
  const struct {
    Font font;
    std::string text, like;
    bool same;
  } glyphs[] = {
      {Font::Big, "10", "1O", true},  {Font::Small, "10", "1O", false},  // only the big font writes zero as O
      {Font::Big, "abc", "ABC", true}, {Font::Small, "abc", "ABC", true}, {Font::Big, "A B", "A\tB", true},
      {Font::Big, "\x90Z", " Z", true},  // past the sheet's glyphs: nothing
      {Font::Big, "\x81", " ", false},   {Font::Small, "\x81Z", " Z", true},  // arrows: big font only
  };
  for (const auto& g : glyphs) EXPECT_EQ(drawn(g.font, g.text) == drawn(g.font, g.like), g.same) << g.text;
  render::RgbaImage one = picture(10, 10, 0xFF000000u);
  art.text(one, Font::Big, 0, 0, "A", 0xFFFFFFFFu);
  EXPECT_EQ(count(one, 0xFFFFFFFFu), 48);  // 7 x 7 less the hole, no background

  for (const auto& [value, music, filled] : {std::tuple{0, false, 0}, std::tuple{7, false, 28},
                                             std::tuple{10, true, 39}, std::tuple{-3, true, 0}, std::tuple{99, false, 39}}) {
    render::RgbaImage bar = picture(50, 12, 0xFF000000u);
    art.slider(bar, 2, 1, value, music);
    EXPECT_EQ(count(bar, music ? 0xFF333333u : 0xFF222222u), filled * 9) << value;
    EXPECT_EQ(count(bar, 0xFF111111u), (39 - filled) * 9) << value;
  }

  // Half-transparent over opaque black, opaque, fully transparent.
  render::RgbaImage img = picture(3, 1, 0xFF000000u);
  art.image(img, {3, 1, {0x80FF8040u, 0xFF123456u, 0x00FFFFFFu}}, 0, 0);
  EXPECT_EQ(img.pixels, (std::vector<std::uint32_t>{0xFF804020u, 0xFF123456u, 0xFF000000u}));

  render::RgbaImage dimmed{3, 2, {0x00808081u, 0xFF808081u, 5, 0x7F010203u, 2, 3}};
  ui::dim(dimmed, {1, -5, 5, 7});
  EXPECT_EQ(dimmed.pixels, (std::vector<std::uint32_t>{0x00808081u, 0xFF404040u, 0xFF000002u, 0x7F010203u,
                                                       0xFF000001u, 0xFF000001u}));

  // Two 2 x 2 boxes: two blue against two dark grey (alpha ignored) goes to the
  // smaller value; a box outside the source stays black.
  const std::uint32_t blue = 0xFF0000FFu, grey = 0xFF101010u, red = 0xFFFF0000u;
  const render::RgbaImage src{4, 2, {grey, blue, red, red, blue, 0x00101010u, red, blue}};
  EXPECT_EQ(ui::shrink(src, {0, 0, 4, 2}, 2, 1).pixels, (std::vector<std::uint32_t>{blue, red}));
  EXPECT_EQ(ui::shrink(src, {2, 0, 4, 2}, 2, 1).pixels, (std::vector<std::uint32_t>{red, 0xFF000000u}));
  EXPECT_TRUE(ui::shrink(src, {0, 0, 4, 2}, 0, 5).pixels.empty());
  // The framed game view to a 24 x 12 thumbnail: boxes of 13 or 14 pixels.
  render::RgbaImage frame = picture(348, 240, 0xFFFFFFFFu);
  for (int y = 66; y < 226; ++y)
    for (int x = 14; x < 334; ++x) frame.pixels[y * 348 + x] = x < 174 ? red : blue;
  const render::RgbaImage thumb = ui::shrink(frame, {14, 66, 320, 160}, 24, 12);
  EXPECT_EQ(count(thumb, red), 12 * 12);
  EXPECT_EQ(thumb.pixels[11], red);
  EXPECT_EQ(thumb.pixels[12], blue);
}

}  // namespace
