#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/settings/settings.h"
#include "input/controls.h"
#include "render/hud_screen.h"
#include "render/rgba.h"
#include "ui/menu_art.h"
#include "ui/slot_info.h"

namespace ui {

// The game view of the framed picture: the menu dims it, and a save's
// thumbnail is cut from it.
constexpr Rect kGameView{render::kHudViewX, render::kHudViewY, render::kHudViewWidth, render::kHudViewHeight};

// The pause menu's state: a stack of views with a selection each, a working
// copy of the settings and cheats, the slot list, and a queue of outcomes for
// the pause flow to carry out. It never touches the game or a file itself.
class Menu {
 public:
  enum class View : std::uint32_t {
    Main = 0,
    Save = 1,
    Load = 2,
    Settings = 3,
    Cheats = 4,
    Keys = 5,
    Buttons = 6,
    Confirm = 7,
    Message = 8,
  };

  struct Frame {
    View view = View::Main;
    std::int32_t selection = 0;
  };

  static constexpr std::uint32_t kEventSave = 0;
  static constexpr std::uint32_t kEventLoad = 1;
  static constexpr std::uint32_t kEventQuit = 2;
  static constexpr std::uint32_t kEventSettings = 3;
  static constexpr std::uint32_t kEventCheats = 4;

  struct Event {
    std::uint32_t kind = 0;
    std::int32_t slot = 0;  // the slot of a save or load, else 0
  };

  static constexpr std::uint32_t kCaptureNone = 0;
  static constexpr std::uint32_t kCaptureKey = 1;
  static constexpr std::uint32_t kCaptureButton = 2;

  static constexpr std::uint32_t kConfirmOverwrite = 0;
  static constexpr std::uint32_t kConfirmQuit = 1;
  static constexpr std::uint32_t kConfirmQuickLoad = 2;

  using SlotSource = std::function<std::vector<SlotInfo>()>;

  Menu(const MenuArt& art, SlotSource slotSource);

  void open(const app::Settings& settings, bool canSave, render::RgbaImage thumbnail);
  // Opens on the confirmation "LOAD THE QUICK SAVE?" alone.
  void openQuickLoad(const app::Settings& settings);
  // Pushes the message view on top of whatever is open.
  void message(const std::string& title, const std::string& text);

  void input(input::Nav nav);
  void capturedKey(SDL_Scancode key);
  void capturedButton(SDL_GameControllerButton button);

  // "closed", or the top view's name.
  std::string viewName() const;
  bool isOpen() const { return !stack.empty(); }
  void close() { stack.clear(); }

  // Over the 348 x 240 framed picture; nothing when closed.
  void draw(render::RgbaImage& img) const;

  const MenuArt& art;
  SlotSource slotSource;
  std::vector<Frame> stack;
  app::Settings settings;
  std::uint8_t cheats = 0;
  bool canSave = true;
  render::RgbaImage thumbnail;
  std::vector<SlotInfo> slots;
  std::uint32_t capture = kCaptureNone;
  std::uint32_t confirmKind = kConfirmQuit;
  std::int32_t confirmSlot = 0;
  std::string msgTitle;
  std::string msgText;
  std::vector<Event> events;

 private:
  void push(View view, int selection);
  void back();
  void refreshSlots();
  static int rows(View view);
  bool selectable(View view, int row) const;
  void move(int delta);
  void adjust(int delta);
  void activate();
  void settingsChanged();
  // The readable slot saved last (the lower number on equal times); -1 when none.
  int latestSlot() const;

  // Drawing, one view each.
  void drawList(render::RgbaImage& img, int sel) const;
  void drawSlots(render::RgbaImage& img, int sel, bool load) const;
  void drawSettings(render::RgbaImage& img, int sel) const;
  void drawCheats(render::RgbaImage& img, int sel) const;
  void drawMapping(render::RgbaImage& img, int sel, bool keys) const;
  void drawConfirm(render::RgbaImage& img, int sel) const;
  void drawMessage(render::RgbaImage& img) const;
};

// The menu's names of its rows and cheats.
extern const char* const kMainItems[6];
extern const char* const kSettingItems[7];
struct CheatItem {
  const char* name;
  std::uint8_t bit;
};
extern const CheatItem kCheatItems[2];
// The actions of the controller mapping's rows 1 to 5.
extern const input::Action kButtonActions[5];

// A save time as the slot lists show it, in local time ("07 MAR 2024 18:05");
// empty for a time before 1970-01-01 00:00:01 UTC.
std::string formatTime(std::int64_t t);

}  // namespace ui
