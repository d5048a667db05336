#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/golden_picture.h"
#include "ui/menu.h"

namespace {

namespace fs = std::filesystem;

// A framed game picture made in code: a frame, a panel strip and a play area
// of sky, hills and brick, so that the dimming and the panels' edges show.
render::RgbaImage gamePicture() {
  render::RgbaImage img{348, 240, std::vector<std::uint32_t>(348 * 240, 0xFF5A3A22u)};
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 348; ++x) {
      std::uint32_t& p = img.pixels[y * 348 + x];
      if (y >= 14 && y < 56 && x >= 14 && x < 334) p = (x / 8 + y / 8) % 2 ? 0xFF202020u : 0xFF303030u;
      if (y < 66 || y >= 226 || x < 14 || x >= 334) continue;
      const int hill = 170 + (x % 64 < 32 ? x % 32 : 31 - x % 32);
      p = y > 200 ? ((x / 16 + y / 8) % 2 ? 0xFFAA5500u : 0xFF884400u) : y > hill ? 0xFF00AA00u : 0xFF5555FFu;
    }
  }
  return img;
}

std::vector<ui::SlotInfo> someSlots() {
  const auto thumb = [](std::uint32_t top, std::uint32_t bottom) {
    render::RgbaImage t{24, 12, std::vector<std::uint32_t>(24 * 12, top)};
    std::fill(t.pixels.begin() + 24 * 8, t.pixels.end(), bottom);
    return t;
  };
  std::vector<ui::SlotInfo> list(9);
  list[0] = {true, true, 0, std::nullopt};  // a quick save without time or picture: "SAVED"
  list[1] = {true, true, 1709834700, thumb(0xFF5555FFu, 0xFF00AA00u)};
  list[2] = {true, true, 1712000000, thumb(0xFF000000u, 0xFFAA5500u)};  // the latest
  list[4] = {true, false, 0, std::nullopt};
  list[6] = {true, true, 1600000000, render::RgbaImage{32, 16, std::vector<std::uint32_t>(512, 0xFFFF0000u)}};
  return list;
}

void press(ui::Menu& menu, const std::string& keys) {
  for (char k : keys) menu.input(static_cast<input::Nav>(std::string("UDLROBM").find(k) + 1));
}

// Save times are shown in local time; the pictures are made in UTC.
class MenuDraw : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("TZ", "UTC", 1);
    tzset();
  }
  // The menu opened over the slots above, then set up; drawn over the picture.
  render::RgbaImage drawn(const std::function<void(ui::Menu&)>& setup) const {
    ui::Menu menu(*art, someSlots);
    menu.open(app::Settings(), true, {});
    setup(menu);
    render::RgbaImage img = gamePicture();
    menu.draw(img);
    return img;
  }
  const std::optional<ui::MenuArt> art = ui::MenuArt::load(TUMBOLD_SOURCE_DIR);
};

// Every view as the player sees it, against golden pictures.
TEST_F(MenuDraw, EveryViewMatchesItsGolden) {
  ASSERT_TRUE(art);
  const struct {
    const char* golden;
    std::function<void(ui::Menu&)> setup;  // from the open main view
  } views[] = {
      {"main", [](ui::Menu&) {}},
      {"main_cannot_save", [](ui::Menu& m) { m.canSave = false, press(m, "DD"); }},
      {"save", [](ui::Menu& m) { press(m, "DODD"); }},
      {"load", [](ui::Menu& m) { press(m, "DDO"); }},
      {"settings",
       [](ui::Menu& m) {
         m.settings.soundVolume = 7, m.settings.musicVolume = 0, m.settings.audio = 1, m.settings.crt = false;
         press(m, "DDDOD");
       }},
      {"cheats", [](ui::Menu& m) { m.cheats = 0x20, press(m, "DDDDOD"); }},
      {"keys",
       [](ui::Menu& m) {
         m.settings.bindings.bindKey(input::Action::Jump, SDL_SCANCODE_SPACE);
         press(m, "DDDOUUODD");
       }},
      {"keys_capture", [](ui::Menu& m) { press(m, "DDDOUUODDO"); }},
      {"buttons", [](ui::Menu& m) { press(m, "DDDOUODDD"); }},
      {"buttons_capture", [](ui::Menu& m) { press(m, "DDDOUOO"); }},
      {"confirm_overwrite", [](ui::Menu& m) { press(m, "DODO"); }},
      {"confirm_quit", [](ui::Menu& m) { press(m, "UOR"); }},
      {"confirm_quick_load", [](ui::Menu& m) { m.openQuickLoad(m.settings); }},
      {"message_saved", [](ui::Menu& m) { press(m, "DO"), m.message("SAVED TO SLOT 3", ""); }},
      {"message_load_failed", [](ui::Menu& m) { m.message("LOAD FAILED", "THE FILE CANNOT BE READ"); }},
  };
  const fs::path goldens = fs::path(TUMBOLD_SOURCE_DIR) / "tests" / "ui" / "golden";
  const fs::path diffs = fs::path(TUMBOLD_BINARY_DIR) / "golden-diff" / "ui";
  for (const auto& v : views)
    EXPECT_TRUE(testsupport::matchesGoldenPicture(goldens, diffs, v.golden, drawn(v.setup)));
}

// The panels' places, as the box of pixels that differ from the dimmed picture.
TEST_F(MenuDraw, PanelsSitCentredOnTheGameView) {
  ASSERT_TRUE(art);
  render::RgbaImage dimmed = gamePicture();
  ui::dim(dimmed, {14, 66, 320, 160});
  const struct {
    const char* name;
    std::function<void(ui::Menu&)> setup;
    std::vector<int> box;  // x, y, w, h
  } cases[] = {
      {"main", [](ui::Menu&) {}, {74, 88, 200, 116}},
      {"load, reaching row 237", [](ui::Menu& m) { press(m, "DDO"); }, {14, 54, 320, 184}},
      {"short message", [](ui::Menu& m) { m.message("SAVED TO SLOT 3", ""); }, {74, 113, 200, 65}},
      {"message widened by its text", [](ui::Menu& m) { m.message("LOAD FAILED", "THE FILE CANNOT BE READ"); },
       {62, 108, 223, 76}},
  };
  for (const auto& c : cases) {
    const render::RgbaImage img = drawn(c.setup);
    int x0 = 348, y0 = 240, x1 = -1, y1 = -1;
    for (int i = 0; i < 348 * 240; ++i) {
      if (img.pixels[i] == dimmed.pixels[i]) continue;
      x0 = std::min(x0, i % 348), y0 = std::min(y0, i / 348), x1 = std::max(x1, i % 348), y1 = std::max(y1, i / 348);
    }
    EXPECT_EQ((std::vector<int>{x0, y0, x1 - x0 + 1, y1 - y0 + 1}), c.box) << c.name;
  }
  // A closed menu draws nothing, not even the dimming.
  EXPECT_EQ(drawn([](ui::Menu& m) { m.close(); }).pixels, gamePicture().pixels);
}

TEST_F(MenuDraw, SaveTimes) {
  const std::pair<std::int64_t, const char*> cases[] = {
      {0, ""}, {-86400, ""}, {1, "01 JAN 1970 00:00"}, {1709834700, "07 MAR 2024 18:05"},
      {1703980799, "30 DEC 2023 23:59"}, {253402300799, "31 DEC 9999 23:59"},
  };
  for (const auto& [t, text] : cases) EXPECT_EQ(ui::formatTime(t), text) << t;
}

}  // namespace
