#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>

#include "input/names.h"
#include "ui/menu.h"

namespace ui {

namespace {

using Font = MenuArt::Font;

constexpr int kRowHeight = 11;

constexpr const char* kMonths[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                     "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// The panel every view sits in, centred on the game view, for content of
// w x h (the panel is 50 rows taller); gives the content rectangle.
Rect frame(const MenuArt& art, render::RgbaImage& img, int w, int h, const std::string& title,
           const std::string& footer) {
  const int x = (render::kHudWidth - w) / 2;
  const int y = h < 240 ? std::min(188 - h, (kGameView.h - 50 - h) / 2 + kGameView.y) : 2;
  art.panel(img, {x, y, w, h + 50});
  art.stripe(img, {x + 4, y + 4, w - 8, 7});
  art.text(img, Font::Big, x + (w - MenuArt::textWidth(Font::Big, title)) / 2, y + 15, title, art.colour("white"));
  art.fill(img, {x + 7, y + 25, w - 14, 1}, art.colour("cyan"));
  art.fill(img, {x + 7, y + h + 34, w - 14, 1}, art.colour("cyan"));
  art.text(img, Font::Small, x + (w - MenuArt::textWidth(Font::Small, footer)) / 2, y + h + 38, footer,
           art.colour("cyan"));
  return {x + 8, y + 30, w - 16, h};
}

void row(const MenuArt& art, render::RgbaImage& img, Rect r, bool selected, bool enabled, const std::string& text,
         bool centred) {
  if (selected) art.highlight(img, {r.x, r.y, r.w, kRowHeight});
  const std::uint32_t colour = art.colour(selected ? "navy" : enabled ? "white" : "grey");
  const int x = centred ? r.x + (r.w - MenuArt::textWidth(Font::Big, text)) / 2 : r.x + 4;
  art.text(img, Font::Big, x, r.y + 2, text, colour);
}

std::string choice(const std::string& text) { return "< " + text + " >"; }

std::uint32_t valueColour(const MenuArt& art, bool selected) { return art.colour(selected ? "navy" : "white"); }

}  // namespace

std::string formatTime(std::int64_t t) {
  if (t < 1) return std::string();
  const std::time_t when = static_cast<std::time_t>(t);
  std::tm local{};
  if (localtime_r(&when, &local) == nullptr || local.tm_mon < 0 || local.tm_mon > 11) return std::string();
  char text[32];
  std::snprintf(text, sizeof text, "%02d %s %04d %02d:%02d", local.tm_mday, kMonths[local.tm_mon],
                local.tm_year + 1900, local.tm_hour, local.tm_min);
  return text;
}

void Menu::draw(render::RgbaImage& img) const {
  if (stack.empty()) return;
  dim(img, kGameView);
  const Frame& top = stack.back();
  const int sel = top.selection;
  switch (top.view) {
    case View::Main:
      drawList(img, sel);
      break;
    case View::Save:
    case View::Load:
      drawSlots(img, sel, top.view == View::Load);
      break;
    case View::Settings:
      drawSettings(img, sel);
      break;
    case View::Cheats:
      drawCheats(img, sel);
      break;
    case View::Keys:
    case View::Buttons:
      drawMapping(img, sel, top.view == View::Keys);
      break;
    case View::Confirm:
      drawConfirm(img, sel);
      break;
    case View::Message:
      drawMessage(img);
      break;
  }
}

void Menu::drawList(render::RgbaImage& img, int sel) const {
  const Rect c = frame(art, img, 200, 66, "PAUSED", "UP/DOWN: SELECT   ENTER/A: OK   ESC/B: RESUME");
  for (int i = 0; i < 6; ++i)
    row(art, img, {c.x + 40, c.y + kRowHeight * i, c.w - 80, kRowHeight}, i == sel, i != 1 || canSave,
        kMainItems[i], true);
}

void Menu::drawSlots(render::RgbaImage& img, int sel, bool load) const {
  const int count = load ? 9 : 8;
  const Rect c = frame(art, img, 320, load ? 134 : 119, load ? "LOAD GAME" : "SAVE GAME",
                       load ? "UP/DOWN: SLOT   ENTER/A: LOAD   ESC/B: BACK"
                            : "UP/DOWN: SLOT   ENTER/A: SAVE   ESC/B: BACK");
  const int latest = load ? latestSlot() : -1;
  const int tw = art.emptyThumb.width;
  const SlotInfo none;
  for (int i = 0; i < count; ++i) {
    const int s = load ? i : i + 1;
    const SlotInfo& info = static_cast<std::size_t>(s) < slots.size() ? slots[static_cast<std::size_t>(s)] : none;
    const int ty = c.y + 15 * i;
    const bool selected = i == sel;
    if (selected) art.highlight(img, {c.x, ty, c.w, 14});
    else art.slot(img, {c.x, ty, c.w, 14});
    // A picture of another size would spill out of the row.
    const bool ownPicture = info.readable && info.thumbnail && info.thumbnail->width == tw &&
                            info.thumbnail->height == art.emptyThumb.height;
    art.image(img, ownPicture ? *info.thumbnail : art.emptyThumb, c.x + 1, ty + 1);
    const bool bright = info.exists && (!load || info.readable);
    const std::uint32_t colour = art.colour(selected ? "navy" : bright ? "white" : "grey");
    art.text(img, Font::Big, c.x + tw + 7, ty + 4, s == 0 ? "QUICK SAVE" : std::to_string(s), colour);
    std::string status;
    if (!info.exists) status = "EMPTY";
    else if (!info.readable) status = "UNREADABLE";
    else status = formatTime(info.time);
    if (status.empty()) status = "SAVED";
    art.text(img, Font::Big, c.x + tw + 103, ty + 4, status, colour);
    if (s == latest) art.latest(img, c.x + c.w - 3 - art.latestSheet.width, ty + 3);
  }
}

void Menu::drawSettings(render::RgbaImage& img, int sel) const {
  const Rect c = frame(art, img, 300, 77, "SETTINGS", "LEFT/RIGHT: CHANGE   ENTER/A: OPEN   ESC/B: BACK");
  const int vx = c.x + 156;
  const int vw = c.w - 160;
  for (int i = 0; i < 7; ++i) {
    const bool selected = i == sel;
    const int vy = c.y + 2 + kRowHeight * i;
    row(art, img, {c.x, c.y + kRowHeight * i, c.w, kRowHeight}, selected, true, kSettingItems[i], false);
    const std::uint32_t colour = valueColour(art, selected);
    const auto centred = [&](const std::string& value) {
      art.text(img, Font::Big, vx + (vw - MenuArt::textWidth(Font::Big, value)) / 2, vy, value, colour);
    };
    switch (i) {
      case 0:
        centred(choice(settings.fullscreen ? "YES" : "NO"));
        break;
      case 1:
      case 2: {
        const int volume = i == 1 ? settings.soundVolume : settings.musicVolume;
        art.slider(img, vx, c.y + 10 + kRowHeight * i - art.sliderSheet.height / 3, volume, i == 2);
        const std::string percent = std::to_string(volume * 100 / app::kMaxVolume) + "%";
        art.text(img, Font::Big, c.x + c.w - 4 - MenuArt::textWidth(Font::Big, percent), vy, percent, colour);
        break;
      }
      case 3:
        centred(choice(settings.crt ? "YES" : "NO"));
        break;
      case 4:
        centred(choice(settings.audio == 1 ? "PC SPEAKER" : "ADLIB (FM)"));
        break;
      default:
        centred(std::string(1, static_cast<char>(MenuArt::kArrowRight)));
        break;
    }
  }
}

void Menu::drawCheats(render::RgbaImage& img, int sel) const {
  const Rect c = frame(art, img, 260, 22, "CHEATS", "LEFT/RIGHT: CHANGE   ESC/B: BACK");
  for (int i = 0; i < 2; ++i) {
    const bool selected = i == sel;
    row(art, img, {c.x, c.y + kRowHeight * i, c.w, kRowHeight}, selected, true, kCheatItems[i].name, false);
    const std::string value = choice(cheats & kCheatItems[i].bit ? "YES" : "NO");
    art.text(img, Font::Big, c.x + c.w - 4 - MenuArt::textWidth(Font::Big, value), c.y + kRowHeight * i + 2, value,
             valueColour(art, selected));
  }
}

void Menu::drawMapping(render::RgbaImage& img, int sel, bool keys) const {
  const char* footer = capture == kCaptureKey      ? "PRESS THE NEW KEY   ESC: CANCEL"
                       : capture == kCaptureButton ? "PRESS THE NEW BUTTON   MENU: CANCEL"
                                                   : "ENTER/A: CHANGE   ESC/B: BACK";
  const Rect c = frame(art, img, 300, keys ? 122 : 100, keys ? "KEYBOARD MAPPING" : "CONTROLLER MAPPING", footer);
  art.text(img, Font::Small, c.x + 4, c.y, "ACTION", art.colour("cyan"));
  art.text(img, Font::Small, c.x + 124, c.y, keys ? "KEY" : "BUTTON", art.colour("cyan"));
  art.fill(img, {c.x, c.y + 8, c.w, 1}, art.colour("row_edge"));
  const input::Bindings& b = settings.bindings;
  const int count = keys ? 10 : 8;
  for (int r = 0; r < count; ++r) {
    std::string label;
    std::string value;
    bool enabled = true;
    if (keys) {
      if (r < 8) {
        const auto action = static_cast<input::Action>(r);
        label = input::actionName(action);
        value = input::keyName(b.key(action));
      } else if (r == 8) {
        label = "PAUSE MENU";
        value = "ESC (FIXED)";
        enabled = false;
      } else {
        label = "RESTORE DEFAULTS";
      }
    } else if (r == 0) {
      label = "MOVE";
      value = "D-PAD / LEFT STICK";
      enabled = false;
    } else if (r <= 5) {
      const input::Action action = kButtonActions[r - 1];
      label = input::actionName(action);
      value = input::buttonName(b.button(action));
    } else if (r == 6) {
      label = "PAUSE MENU";
      value = "MENU (FIXED)";
      enabled = false;
    } else {
      label = "RESTORE DEFAULTS";
    }
    const bool selected = r == sel;
    if (selected && capture != kCaptureNone) value = keys ? "PRESS A KEY..." : "PRESS A BUTTON...";
    row(art, img, {c.x, c.y + 12 + kRowHeight * r, c.w, kRowHeight}, selected, enabled, label, false);
    art.text(img, Font::Big, c.x + 124, c.y + 14 + kRowHeight * r, value,
             art.colour(selected ? "navy" : enabled ? "white" : "grey"));
  }
}

void Menu::drawConfirm(render::RgbaImage& img, int sel) const {
  std::string title = "RETURN TO TITLE?";
  std::string text = "UNSAVED PROGRESS WILL BE LOST.";
  std::string left = "CANCEL";
  std::string right = "QUIT";
  if (confirmKind == kConfirmOverwrite) {
    title = "OVERWRITE SLOT " + std::to_string(confirmSlot) + "?";
    text = "THE SAVE THERE WILL BE REPLACED.";
    left = "NO";
    right = "SAVE";
  } else if (confirmKind == kConfirmQuickLoad) {
    title = "LOAD THE QUICK SAVE?";
    right = "LOAD";
  }
  const Rect c = frame(art, img, 280, 26, title, "LEFT/RIGHT: CHOOSE   ENTER/A: OK   ESC/B: CANCEL");
  art.text(img, Font::Big, c.x + (c.w - MenuArt::textWidth(Font::Big, text)) / 2, c.y + 1, text,
           art.colour("white"));
  const int bx = c.x + (c.w - 160) / 2;
  row(art, img, {bx, c.y + 15, 72, kRowHeight}, sel == 0, true, left, true);
  row(art, img, {bx + 88, c.y + 15, 72, kRowHeight}, sel == 1, true, right, true);
}

void Menu::drawMessage(render::RgbaImage& img) const {
  const int w = std::max({200, MenuArt::textWidth(Font::Big, msgTitle) + 40,
                          MenuArt::textWidth(Font::Big, msgText) + 40});
  const bool hasText = !msgText.empty();
  const Rect c = frame(art, img, w, hasText ? 26 : 15, msgTitle, "ENTER/A: OK");
  if (hasText)
    art.text(img, Font::Big, c.x + (c.w - MenuArt::textWidth(Font::Big, msgText)) / 2, c.y + 1, msgText,
             art.colour("white"));
  row(art, img, {c.x + (c.w - 72) / 2, c.y + (hasText ? 15 : 4), 72, kRowHeight}, true, true, "OK", true);
}

}  // namespace ui
