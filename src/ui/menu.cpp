#include "ui/menu.h"

#include <algorithm>
#include <utility>

#include "sim/simulation.h"

namespace ui {

const char* const kMainItems[6] = {"RESUME", "SAVE", "LOAD", "SETTINGS", "CHEATS", "QUIT"};
const char* const kSettingItems[7] = {"FULLSCREEN",  "SOUND FX VOLUME",  "MUSIC VOLUME",      "CRT EFFECT",
                                      "AUDIO MODE",  "KEYBOARD MAPPING", "CONTROLLER MAPPING"};
const CheatItem kCheatItems[2] = {{"INFINITE LIVES", sim::kCheatLives},
                                   {"INFINITE ENERGY", sim::kCheatEnergy}};
const input::Action kButtonActions[5] = {input::Action::Jump, input::Action::Fire, input::Action::QuickSave,
                                         input::Action::QuickLoad, input::Action::Screenshot};

namespace {

using View = Menu::View;

constexpr int kRows[] = {6, 8, 9, 7, 2, 10, 8, 2, 1};
constexpr const char* kViewNames[] = {"main",    "save", "load",    "settings", "cheats",
                                      "keys",    "buttons", "confirm", "message"};
constexpr int kViewCount = static_cast<int>(sizeof(kRows) / sizeof(kRows[0]));

// Rows of the mapping views that show fixed bindings or restore the defaults.
constexpr int kKeysPauseRow = 8;
constexpr int kKeysDefaultsRow = 9;
constexpr int kButtonsMoveRow = 0;
constexpr int kButtonsPauseRow = 6;
constexpr int kButtonsDefaultsRow = 7;

constexpr std::size_t kSlotCount = 9;

bool isSlotView(View v) { return v == View::Save || v == View::Load; }

}  // namespace

Menu::Menu(const MenuArt& art, SlotSource slotSource) : art(art), slotSource(std::move(slotSource)) {}

void Menu::open(const app::Settings& s, bool save, render::RgbaImage picture) {
  settings = s;
  canSave = save;
  thumbnail = std::move(picture);
  capture = kCaptureNone;
  stack.clear();
  push(View::Main, 0);
}

void Menu::openQuickLoad(const app::Settings& s) {
  settings = s;
  capture = kCaptureNone;
  stack.clear();
  confirmKind = kConfirmQuickLoad;
  push(View::Confirm, 0);
}

void Menu::message(const std::string& title, const std::string& text) {
  msgTitle = title;
  msgText = text;
  push(View::Message, 0);
}

std::string Menu::viewName() const {
  if (stack.empty()) return "closed";
  const auto v = static_cast<std::uint32_t>(stack.back().view);
  return v < static_cast<std::uint32_t>(kViewCount) ? kViewNames[v] : "";
}

void Menu::push(View view, int selection) { stack.push_back({view, selection}); }

void Menu::back() {
  if (stack.empty()) return;
  stack.pop_back();
  // A save or load view that comes back on top may face files changed meanwhile.
  if (!stack.empty() && isSlotView(stack.back().view)) refreshSlots();
}

void Menu::refreshSlots() { slots = slotSource ? slotSource() : std::vector<SlotInfo>(kSlotCount); }

int Menu::rows(View view) {
  const auto v = static_cast<std::uint32_t>(view);
  return v < static_cast<std::uint32_t>(kViewCount) ? kRows[v] : 1;
}

bool Menu::selectable(View view, int row) const {
  switch (view) {
    case View::Buttons:
      return row != kButtonsMoveRow && row != kButtonsPauseRow;
    case View::Keys:
      return row != kKeysPauseRow;
    case View::Load:
      return row >= 0 && static_cast<std::size_t>(row) < slots.size() && slots[static_cast<std::size_t>(row)].readable;
    default:
      return true;
  }
}

void Menu::move(int delta) {
  Frame& top = stack.back();
  const int n = rows(top.view);
  int r = top.selection + delta;
  for (int tries = 0; tries < n; ++tries, r += delta) {
    const int candidate = ((r % n) + n) % n;
    if (selectable(top.view, candidate)) {
      top.selection = candidate;
      return;
    }
  }
}

void Menu::settingsChanged() { events.push_back({kEventSettings, 0}); }

void Menu::adjust(int delta) {
  const Frame& top = stack.back();
  if (top.view == View::Cheats) {
    if (top.selection < 0 || top.selection > 1) return;
    cheats ^= kCheatItems[top.selection].bit;
    events.push_back({kEventCheats, 0});
    return;
  }
  if (top.view != View::Settings) return;
  switch (top.selection) {
    case 0:
      settings.fullscreen = !settings.fullscreen;
      break;
    case 1:
      settings.soundVolume = std::clamp(settings.soundVolume + delta, 0, app::kMaxVolume);
      break;
    case 2:
      settings.musicVolume = std::clamp(settings.musicVolume + delta, 0, app::kMaxVolume);
      break;
    case 3:
      settings.crt = !settings.crt;
      break;
    case 4:
      settings.audio = settings.audio == 1 ? 0 : 1;
      break;
    default:
      return;
  }
  settingsChanged();
}

int Menu::latestSlot() const {
  int best = -1;
  for (std::size_t s = 0; s < slots.size(); ++s) {
    if (!slots[s].readable) continue;
    if (best < 0 || slots[s].time > slots[static_cast<std::size_t>(best)].time) best = static_cast<int>(s);
  }
  return best;
}

void Menu::activate() {
  const Frame top = stack.back();
  const int r = top.selection;
  switch (top.view) {
    case View::Main:
      switch (r) {
        case 0:
          stack.clear();
          break;
        case 1:
          if (canSave) {
            refreshSlots();
            push(View::Save, 0);
          } else {
            message("CANNOT SAVE NOW", "CLOSE THE MESSAGE FIRST");
          }
          break;
        case 2:
          refreshSlots();
          push(View::Load, std::max(latestSlot(), 0));
          break;
        case 3:
          push(View::Settings, 0);
          break;
        case 4:
          push(View::Cheats, 0);
          break;
        case 5:
          confirmKind = kConfirmQuit;
          push(View::Confirm, 0);
          break;
        default:
          break;
      }
      break;
    case View::Save: {
      const int s = r + 1;
      if (static_cast<std::size_t>(s) < slots.size() && slots[static_cast<std::size_t>(s)].exists) {
        confirmKind = kConfirmOverwrite;
        confirmSlot = s;
        push(View::Confirm, 0);
      } else {
        events.push_back({kEventSave, s});
      }
      break;
    }
    case View::Load:
      if (selectable(View::Load, r)) events.push_back({kEventLoad, r});
      break;
    case View::Settings:
      if (r == 0 || r == 3 || r == 4) adjust(+1);
      else if (r == 5) push(View::Keys, 0);
      else if (r == 6) push(View::Buttons, 1);
      break;
    case View::Cheats:
      adjust(+1);
      break;
    case View::Keys:
      if (r == kKeysDefaultsRow) {
        settings.bindings.keys = input::Bindings::defaults().keys;
        settingsChanged();
      } else {
        capture = kCaptureKey;
      }
      break;
    case View::Buttons:
      if (r == kButtonsDefaultsRow) {
        settings.bindings.buttons = input::Bindings::defaults().buttons;
        settingsChanged();
      } else {
        capture = kCaptureButton;
      }
      break;
    case View::Confirm:
      back();
      if (r != 1) break;
      if (confirmKind == kConfirmOverwrite) events.push_back({kEventSave, confirmSlot});
      else if (confirmKind == kConfirmQuit) events.push_back({kEventQuit, 0});
      else if (confirmKind == kConfirmQuickLoad) events.push_back({kEventLoad, 0});
      break;
    case View::Message:
      back();
      break;
  }
}

void Menu::input(input::Nav nav) {
  const auto n = static_cast<std::uint32_t>(nav);
  if (stack.empty() || capture != kCaptureNone || n < 1 || n > 7) return;
  Frame& top = stack.back();
  switch (nav) {
    case input::Nav::Up:
    case input::Nav::Down:
      if (top.view != View::Confirm) move(nav == input::Nav::Up ? -1 : +1);
      break;
    case input::Nav::Left:
    case input::Nav::Right:
      if (top.view == View::Confirm) top.selection = top.selection == 0 ? 1 : 0;
      else adjust(nav == input::Nav::Left ? -1 : +1);
      break;
    case input::Nav::Ok:
      activate();
      break;
    case input::Nav::Back:
      if (top.view == View::Main) stack.clear();
      else back();
      break;
    case input::Nav::Menu:
      stack.clear();
      break;
    default:
      break;
  }
}

void Menu::capturedKey(SDL_Scancode key) {
  if (capture != kCaptureKey) return;
  capture = kCaptureNone;
  if (key == SDL_SCANCODE_ESCAPE || stack.empty()) return;
  const auto action = static_cast<input::Action>(stack.back().selection);
  if (settings.bindings.bindKey(action, key)) settingsChanged();
}

void Menu::capturedButton(SDL_GameControllerButton button) {
  if (capture != kCaptureButton) return;
  capture = kCaptureNone;
  if (button == SDL_CONTROLLER_BUTTON_START || stack.empty()) return;
  const int row = stack.back().selection;
  if (row < 1 || row > 5) return;
  if (settings.bindings.bindButton(kButtonActions[row - 1], button)) settingsChanged();
}

}  // namespace ui
