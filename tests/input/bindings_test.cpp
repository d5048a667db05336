#include <gtest/gtest.h>

#include "input/bindings.h"
#include "input/names.h"

using input::Action;
using input::Bindings;

namespace {

constexpr Action kAll[] = {Action::MoveLeft, Action::MoveRight, Action::Jump,      Action::Down,
                           Action::Fire,     Action::QuickSave, Action::QuickLoad, Action::Screenshot};

TEST(Bindings, DefaultsAndActionTable) {
  const Bindings b = Bindings::defaults();
  EXPECT_EQ(b.key(Action::MoveLeft), SDL_SCANCODE_LEFT);
  EXPECT_EQ(b.key(Action::MoveRight), SDL_SCANCODE_RIGHT);
  EXPECT_EQ(b.key(Action::Jump), SDL_SCANCODE_UP);
  EXPECT_EQ(b.key(Action::Down), SDL_SCANCODE_DOWN);
  EXPECT_EQ(b.key(Action::Fire), SDL_SCANCODE_SPACE);
  EXPECT_EQ(b.key(Action::QuickSave), SDL_SCANCODE_F5);
  EXPECT_EQ(b.key(Action::QuickLoad), SDL_SCANCODE_F8);
  EXPECT_EQ(b.key(Action::Screenshot), SDL_SCANCODE_F1);
  const SDL_GameControllerButton none = SDL_CONTROLLER_BUTTON_INVALID;
  const Bindings::Buttons buttons = {none, none, SDL_CONTROLLER_BUTTON_B, none, SDL_CONTROLLER_BUTTON_A,
                                     SDL_CONTROLLER_BUTTON_BACK, none, none};
  EXPECT_EQ(b.buttons, buttons);

  // An empty binding set really is empty: no action silently holds button A.
  for (Action a : kAll) EXPECT_EQ(Bindings().button(a), none);

  const char* names[] = {"MOVE LEFT", "MOVE RIGHT", "JUMP", "DOWN", "ACTION", "QUICK SAVE", "QUICK LOAD", "SCREENSHOT"};
  const bool bindable[] = {false, false, true, false, true, true, true, true};
  for (std::size_t i = 0; i < input::kActionCount; ++i) {
    EXPECT_STREQ(input::actionName(kAll[i]), names[i]);
    EXPECT_EQ(input::controllerBindable(kAll[i]), bindable[i]) << names[i];
  }
  EXPECT_STREQ(input::actionName(static_cast<Action>(8)), "");
  EXPECT_STREQ(input::actionName(static_cast<Action>(0xFFFFFFFFu)), "");
  EXPECT_FALSE(input::controllerBindable(static_cast<Action>(8)));
}

TEST(Bindings, KeysSwapBetweenActions) {
  Bindings b = Bindings::defaults();
  ASSERT_TRUE(b.bindKey(Action::Jump, SDL_SCANCODE_SPACE));
  EXPECT_EQ(b.key(Action::Jump), SDL_SCANCODE_SPACE);
  EXPECT_EQ(b.key(Action::Fire), SDL_SCANCODE_UP);

  // Binding an action's own key changes nothing.
  const Bindings before = b;
  ASSERT_TRUE(b.bindKey(Action::Jump, SDL_SCANCODE_SPACE));
  EXPECT_EQ(b, before);

  // A fresh key swaps with nobody.
  ASSERT_TRUE(b.bindKey(Action::Down, SDL_SCANCODE_S));
  EXPECT_EQ(b.key(Action::Down), SDL_SCANCODE_S);
  EXPECT_EQ(b.key(Action::Screenshot), SDL_SCANCODE_F1);

  // An action without a key passes "no key" to the one it takes the key from.
  Bindings sparse;
  sparse.keys[input::index(Action::QuickLoad)] = SDL_SCANCODE_L;
  ASSERT_TRUE(sparse.bindKey(Action::QuickSave, SDL_SCANCODE_L));
  EXPECT_EQ(sparse.key(Action::QuickSave), SDL_SCANCODE_L);
  EXPECT_EQ(sparse.key(Action::QuickLoad), SDL_SCANCODE_UNKNOWN);
}

TEST(Bindings, ReservedKeysAndButtonsAreRefused) {
  const Bindings defaults = Bindings::defaults();
  for (SDL_Scancode key : {SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_RETURN, SDL_SCANCODE_ESCAPE, SDL_SCANCODE_F11,
                           SDL_SCANCODE_KP_ENTER}) {
    for (Action a : kAll) {
      Bindings b = defaults;
      EXPECT_FALSE(b.bindKey(a, key)) << key;
      EXPECT_EQ(b, defaults);
    }
  }
  for (SDL_GameControllerButton button :
       {SDL_CONTROLLER_BUTTON_INVALID, SDL_CONTROLLER_BUTTON_START, SDL_CONTROLLER_BUTTON_DPAD_UP,
        SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT}) {
    Bindings b = defaults;
    EXPECT_FALSE(b.bindButton(Action::Fire, button)) << button;
    EXPECT_EQ(b, defaults);
  }
  for (Action a : {Action::MoveLeft, Action::MoveRight, Action::Down}) {
    Bindings b = defaults;
    EXPECT_FALSE(b.bindButton(a, SDL_CONTROLLER_BUTTON_A));
    EXPECT_EQ(b, defaults);
  }
  Bindings b = defaults;
  EXPECT_FALSE(b.bindKey(static_cast<Action>(8), SDL_SCANCODE_A));
  EXPECT_EQ(b, defaults);
}

TEST(Bindings, ButtonsSwapBetweenActions) {
  Bindings b = Bindings::defaults();
  ASSERT_TRUE(b.bindButton(Action::Fire, SDL_CONTROLLER_BUTTON_B));
  EXPECT_EQ(b.button(Action::Fire), SDL_CONTROLLER_BUTTON_B);
  EXPECT_EQ(b.button(Action::Jump), SDL_CONTROLLER_BUTTON_A);

  ASSERT_TRUE(b.bindButton(Action::QuickLoad, SDL_CONTROLLER_BUTTON_TOUCHPAD));
  EXPECT_EQ(b.button(Action::QuickLoad), SDL_CONTROLLER_BUTTON_TOUCHPAD);

  // Screenshot had no button: taking VIEW from quick save leaves quick save unbound.
  ASSERT_TRUE(b.bindButton(Action::Screenshot, SDL_CONTROLLER_BUTTON_BACK));
  EXPECT_EQ(b.button(Action::Screenshot), SDL_CONTROLLER_BUTTON_BACK);
  EXPECT_EQ(b.button(Action::QuickSave), SDL_CONTROLLER_BUTTON_INVALID);
  // The movement actions never gain a button through a swap.
  EXPECT_EQ(b.button(Action::MoveLeft), SDL_CONTROLLER_BUTTON_INVALID);
  EXPECT_EQ(b.button(Action::Down), SDL_CONTROLLER_BUTTON_INVALID);
}

TEST(Names, KeyDisplayNames) {
  EXPECT_EQ(input::keyName(SDL_SCANCODE_UNKNOWN), "NONE");
  EXPECT_EQ(input::keyName(SDL_SCANCODE_LEFT), "LEFT ARROW");
  EXPECT_EQ(input::keyName(SDL_SCANCODE_RIGHT), "RIGHT ARROW");
  EXPECT_EQ(input::keyName(SDL_SCANCODE_UP), "UP ARROW");
  EXPECT_EQ(input::keyName(SDL_SCANCODE_DOWN), "DOWN ARROW");
  EXPECT_EQ(input::keyName(SDL_SCANCODE_RETURN), "RETURN");
  EXPECT_EQ(input::keyName(SDL_SCANCODE_SPACE), "SPACE");
  EXPECT_EQ(input::keyName(SDL_SCANCODE_F5), "F5");
  EXPECT_EQ(input::keyName(SDL_SCANCODE_KP_ENTER), "KEYPAD ENTER");
  EXPECT_EQ(input::keyName(SDL_SCANCODE_A), "A");
  // Scancodes SDL has no name for, and values past its table.
  EXPECT_EQ(input::keyName(static_cast<SDL_Scancode>(300)), "?");
  EXPECT_EQ(input::keyName(static_cast<SDL_Scancode>(SDL_NUM_SCANCODES)), "?");
  EXPECT_EQ(input::keyName(static_cast<SDL_Scancode>(-5)), "?");
}

TEST(Names, ButtonDisplayNames) {
  const char* expected[] = {"A",    "B",    "X",    "Y",     "VIEW", "GUIDE", "MENU",
                            "LS",   "RS",   "LB",   "RB",    "NONE", "NONE",  "NONE",
                            "NONE", "SHARE", "P1", "P2",    "P3",   "P4",    "TOUCHPAD"};
  for (int b = 0; b <= 20; ++b)
    EXPECT_EQ(input::buttonName(static_cast<SDL_GameControllerButton>(b)), expected[b]) << b;
  EXPECT_EQ(input::buttonName(SDL_CONTROLLER_BUTTON_INVALID), "NONE");
  EXPECT_EQ(input::buttonName(static_cast<SDL_GameControllerButton>(21)), "NONE");
  EXPECT_EQ(input::buttonName(static_cast<SDL_GameControllerButton>(-100)), "NONE");
}

// The settings file stores these identifiers: every key and button must come back as itself.
TEST(Names, IdentifiersRoundTrip) {
  int named = 0;
  for (int k = 1; k < SDL_NUM_SCANCODES; ++k) {
    const auto key = static_cast<SDL_Scancode>(k);
    const std::string id = input::keyId(key);
    if (id.empty()) continue;
    ++named;
    // SDL names two scancodes "Return"; the second one reads back as the main Return key.
    const SDL_Scancode expected = key == SDL_SCANCODE_RETURN2 ? SDL_SCANCODE_RETURN : key;
    EXPECT_EQ(input::keyFromId(id), expected) << id;
  }
  EXPECT_GT(named, 200);
  EXPECT_EQ(input::keyId(SDL_SCANCODE_UNKNOWN), "");
  EXPECT_EQ(input::keyId(SDL_SCANCODE_F1), "F1");
  EXPECT_EQ(input::keyId(SDL_SCANCODE_SPACE), "Space");
  EXPECT_EQ(input::keyFromId(""), SDL_SCANCODE_UNKNOWN);
  EXPECT_EQ(input::keyFromId("No Such Key"), SDL_SCANCODE_UNKNOWN);

  for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
    const auto button = static_cast<SDL_GameControllerButton>(b);
    const std::string id = input::buttonId(button);
    ASSERT_FALSE(id.empty()) << b;
    EXPECT_EQ(input::buttonFromId(id), button) << id;
  }
  EXPECT_EQ(input::buttonId(SDL_CONTROLLER_BUTTON_A), "a");
  EXPECT_EQ(input::buttonId(SDL_CONTROLLER_BUTTON_BACK), "back");
  EXPECT_EQ(input::buttonId(SDL_CONTROLLER_BUTTON_INVALID), "");
  EXPECT_EQ(input::buttonId(static_cast<SDL_GameControllerButton>(SDL_CONTROLLER_BUTTON_MAX)), "");
  EXPECT_EQ(input::buttonFromId(""), SDL_CONTROLLER_BUTTON_INVALID);
  EXPECT_EQ(input::buttonFromId("nonsense"), SDL_CONTROLLER_BUTTON_INVALID);

  // A whole binding set survives the trip through identifiers.
  Bindings b = Bindings::defaults();
  b.bindKey(Action::Fire, SDL_SCANCODE_LCTRL);
  b.bindButton(Action::Screenshot, SDL_CONTROLLER_BUTTON_PADDLE3);
  Bindings back;
  for (std::size_t i = 0; i < input::kActionCount; ++i) {
    back.keys[i] = input::keyFromId(input::keyId(b.keys[i]));
    back.buttons[i] = input::buttonFromId(input::buttonId(b.buttons[i]));
  }
  EXPECT_EQ(back, b);
}

}  // namespace
