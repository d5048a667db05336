#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/menu.h"

namespace {

using input::Action;
using input::Nav;
using Events = std::vector<std::pair<std::uint32_t, std::int32_t>>;

ui::SlotInfo slot(bool readable, std::int64_t time = 0) {
  ui::SlotInfo s;
  s.exists = true;
  s.readable = readable;
  s.time = time;
  return s;
}

// A menu over a slot list the test controls, counting how often it is taken.
struct Rig {
  ui::MenuArt art;
  std::vector<ui::SlotInfo> list = std::vector<ui::SlotInfo>(9);
  int listed = 0;
  ui::Menu menu{art, [this] {
                  ++listed;
                  return list;
                }};

  // Navigation as letters: Up, Down, Left, Right, Ok, Back, Menu.
  void press(const std::string& keys) {
    for (char k : keys) menu.input(static_cast<Nav>(std::string("UDLROBM").find(k) + 1));
  }
  Events events() const {
    Events out;
    for (const auto& e : menu.events) out.emplace_back(e.kind, e.slot);
    return out;
  }
  int selection() const { return menu.stack.empty() ? -1 : menu.stack.back().selection; }
};

// Navigation through every view, opened on the defaults: the view, selection
// and queued events that follow.
TEST(Menu, NavigationThroughTheViews) {
  const auto none = [](Rig&) {};
  const auto twoLatest = [](Rig& r) {
    r.list[1] = slot(true, 500);
    r.list[3] = slot(true, 900);
    r.list[6] = slot(true, 900);
    r.list[8] = slot(false);
  };
  const auto sparse = [](Rig& r) {
    r.list[0] = slot(true, 1);
    r.list[4] = slot(true, 2);
    r.list[8] = slot(false);
  };
  const auto usedSlot2 = [](Rig& r) { r.list[2] = slot(false); };
  const auto noSaving = [](Rig& r) { r.menu.canSave = false; };
  const struct {
    const char* name;
    std::function<void(Rig&)> setup;
    std::string keys;
    std::string view;
    int selection;
    Events events;
  } cases[] = {
      {"down past QUIT wraps to RESUME", none, "DDDDDD", "main", 0, {}},
      {"up from RESUME wraps to QUIT", none, "U", "main", 5, {}},
      {"RESUME closes", none, "O", "closed", -1, {}},
      {"back on the main view closes", none, "DB", "closed", -1, {}},
      {"the menu button closes from deep inside", none, "DDDODDDDDOM", "closed", -1, {}},
      {"the controller view starts on row 1 and skips row 0", none, "DDDOUOU", "buttons", 7, {}},
      {"the controller view skips row 6", none, "DDDOUODDDDD", "buttons", 7, {}},
      {"the keyboard view skips row 8", none, "DDDOUUOUU", "keys", 7, {}},
      {"back from the keyboard view", none, "DDDOUUOB", "settings", 5, {}},
      {"a confirmation ignores up and down, left and right flip it", none, "UODUDLRL", "confirm", 1, {}},
      {"QUIT confirmed; the pause flow closes the menu", none, "UORO", "main", 5, {{2, 0}}},
      {"QUIT cancelled by row 0", none, "UOO", "main", 5, {}},
      {"QUIT cancelled by back", none, "UOB", "main", 5, {}},
      {"nothing readable: the load view stays on row 0", none, "DDOUDDO", "load", 0, {}},
      {"the latest save preselected, the lower slot on a tie", twoLatest, "DDO", "load", 3, {}},
      {"the load view skips what cannot be read", sparse, "DDODDOU", "load", 0, {{1, 4}}},
      {"saving into an empty slot is queued at once", none, "DODDO", "save", 2, {{0, 3}}},
      {"saving over a used slot, even an unreadable one, asks first", usedSlot2, "DODO", "confirm", 0, {}},
      {"overwrite confirmed", usedSlot2, "DODORO", "save", 1, {{0, 2}}},
      {"overwrite refused", usedSlot2, "DODOO", "save", 1, {}},
      {"OK flips full screen, CRT and the music device", none, "DDDOODDDODO", "settings", 4, {{3, 0}, {3, 0}, {3, 0}}},
      {"OK on a volume does nothing", none, "DDDODODO", "settings", 2, {}},
      {"volumes clamp and still report", none, "DDDODRDLLRL", "settings", 2, Events(5, {3, 0})},
      {"left and right on the mapping rows do nothing", none, "DDDOUULRDLR", "settings", 6, {}},
      {"cheats toggle on OK, left and right", none, "DDDDOODOL", "cheats", 1, Events(3, {4, 0})},
      {"a capture ignores navigation", none, "DDDOUUOODD", "keys", 0, {}},
      {"SAVE refused shows the message over the main view", noSaving, "DO", "message", 0, {}},
      {"the refusal's OK returns to the main view", noSaving, "DOO", "main", 1, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    c.setup(rig);
    rig.menu.open(app::Settings(), rig.menu.canSave, {});
    rig.press(c.keys);
    EXPECT_EQ(rig.menu.viewName(), c.view);
    EXPECT_EQ(rig.selection(), c.selection);
    EXPECT_EQ(rig.events(), c.events);
  }
}

TEST(Menu, WorkingCopiesMessagesAndTheSlotList) {
  Rig rig;
  rig.menu.openQuickLoad(app::Settings());
  EXPECT_EQ(rig.menu.viewName(), "confirm");
  rig.press("O");  // row 0 cancels and, alone on the stack, closes
  EXPECT_EQ(rig.menu.viewName(), "closed");
  rig.menu.openQuickLoad(app::Settings());
  rig.press("RO");
  EXPECT_EQ(rig.events(), (Events{{1, 0}}));

  // open() takes settings, can-save and thumbnail, ends a capture, keeps the cheats.
  app::Settings s;
  s.musicVolume = 3;
  rig.menu.cheats = 0x40;
  rig.menu.capture = 1;
  rig.menu.open(s, true, render::RgbaImage{24, 12, std::vector<std::uint32_t>(288, 7)});
  EXPECT_EQ(rig.menu.settings, s);
  EXPECT_EQ(rig.menu.thumbnail.width, 24);
  EXPECT_EQ(rig.menu.cheats, 0x40);
  EXPECT_EQ(rig.menu.capture, 0u);
  rig.press("DDDDOODO");  // both cheats toggled
  EXPECT_EQ(rig.menu.cheats, 0x20);
  EXPECT_EQ(rig.menu.settings, s);

  // The slot list is taken on entering the save or load view and whenever one
  // of them comes back on top, never otherwise.
  rig.list[1] = slot(true, 10);
  rig.menu.open(s, true, {});
  const int before = rig.listed;
  rig.press("DO");  // save view
  rig.press("OO");  // overwrite slot 1? no
  rig.menu.message("SAVED TO SLOT 3", "");
  EXPECT_EQ(rig.menu.stack.size(), 3u);
  rig.press("O");
  EXPECT_EQ(rig.listed - before, 3);
  rig.press("BDO");
  EXPECT_EQ(rig.listed - before, 4);
  EXPECT_EQ(rig.menu.viewName(), "load");
  EXPECT_EQ(rig.selection(), 1);

  rig.menu.close();  // a message on a closed menu is the whole menu
  rig.menu.message("LOAD FAILED", "THE FILE CANNOT BE READ");
  rig.press("O");
  EXPECT_EQ(rig.menu.viewName(), "closed");

  ui::Menu bare(rig.art, nullptr);  // no source: nine empty slots
  bare.open(app::Settings(), true, {});
  bare.input(Nav::Down);
  bare.input(Nav::Ok);
  EXPECT_EQ(bare.slots.size(), 9u);
  bare.input(Nav::Ok);
  EXPECT_EQ(bare.events.size(), 1u);
}

TEST(Menu, CapturingKeysAndButtons) {
  Rig rig;
  rig.menu.open(app::Settings(), true, {});
  rig.press("DDDOUUO");  // keyboard mapping
  const auto capture = [&](const std::string& moves, std::uint32_t mode, auto pressed) {
    rig.press(moves + "O");
    EXPECT_EQ(rig.menu.capture, mode);
    // The other kind of input does not end the capture.
    if (mode == 1) rig.menu.capturedButton(SDL_CONTROLLER_BUTTON_Y);
    else rig.menu.capturedKey(SDL_SCANCODE_K);
    EXPECT_EQ(rig.menu.capture, mode);
    pressed();
    EXPECT_EQ(rig.menu.capture, 0u);
  };
  const auto key = [&](SDL_Scancode k) { return [&rig, k] { rig.menu.capturedKey(k); }; };
  const auto button = [&](SDL_GameControllerButton b) { return [&rig, b] { rig.menu.capturedButton(b); }; };
  capture("", 1, key(SDL_SCANCODE_ESCAPE));  // cancel
  capture("", 1, key(SDL_SCANCODE_RETURN));  // refused
  EXPECT_TRUE(rig.menu.events.empty());
  EXPECT_EQ(rig.menu.settings, app::Settings());
  capture("DD", 1, key(SDL_SCANCODE_SPACE));  // jump takes Space from action
  EXPECT_EQ(rig.menu.settings.bindings.key(Action::Jump), SDL_SCANCODE_SPACE);
  EXPECT_EQ(rig.menu.settings.bindings.key(Action::Fire), SDL_SCANCODE_UP);
  EXPECT_EQ(rig.selection(), 2);
  rig.menu.settings.bindings.buttons[input::index(Action::Jump)] = SDL_CONTROLLER_BUTTON_X;
  rig.press("UUUO");  // restore defaults: the keys only
  EXPECT_EQ(rig.menu.settings.bindings.keys, input::Bindings::defaults().keys);
  EXPECT_EQ(rig.events(), Events(2, {3, 0}));

  rig.press("BDO");  // controller mapping, on JUMP
  capture("", 2, button(SDL_CONTROLLER_BUTTON_START));     // cancel
  capture("", 2, button(SDL_CONTROLLER_BUTTON_DPAD_UP));  // refused
  EXPECT_EQ(rig.events().size(), 2u);
  capture("D", 2, button(SDL_CONTROLLER_BUTTON_X));  // action takes X from jump
  EXPECT_EQ(rig.menu.settings.bindings.button(Action::Fire), SDL_CONTROLLER_BUTTON_X);
  EXPECT_EQ(rig.menu.settings.bindings.button(Action::Jump), SDL_CONTROLLER_BUTTON_A);
  capture("DDD", 2, button(SDL_CONTROLLER_BUTTON_TOUCHPAD));
  EXPECT_EQ(rig.menu.settings.bindings.button(Action::Screenshot), SDL_CONTROLLER_BUTTON_TOUCHPAD);
  rig.menu.settings.bindings.keys[0] = SDL_SCANCODE_Z;
  rig.press("DO");  // restore defaults: the buttons only
  EXPECT_EQ(rig.menu.settings.bindings.buttons, input::Bindings::defaults().buttons);
  EXPECT_EQ(rig.menu.settings.bindings.key(Action::MoveLeft), SDL_SCANCODE_Z);
  EXPECT_EQ(rig.events(), Events(5, {3, 0}));
}

}  // namespace
