#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/settings/settings.h"
#include "core/files.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using input::Action;

constexpr char kHeader[] = R"("format": "tumbold-settings", "version": 1)";

std::string settingsFile(const std::string& members) {
  return std::string("{") + kHeader + (members.empty() ? "" : ", " + members) + "}";
}

void write(const fs::path& file, const std::string& text) {
  ASSERT_TRUE(core::writeFile(file, std::vector<std::uint8_t>(text.begin(), text.end())));
}

struct Case {
  const char* name;
  std::string text;
  bool logged;                                 // the one "not readable settings" line
  std::function<void(app::Settings&)> expect;  // applied to the defaults; null: the defaults
};

// Every file the reader can meet: unusable ones give the defaults with one
// error line, usable ones override only what they hold and never stop the game.
TEST(Settings, ReadsWhatItCanAndFallsBackOnTheRest) {
  const auto speaker = [](app::Settings& s) { s.audio = 1; };
  const Case cases[] = {
      {"empty file", "", true, nullptr},
      {"truncated", R"({"format": "tumbold-settings", "version": 1, "fullscr)", true, nullptr},
      {"not an object", R"(["tumbold-settings", 1])", true, nullptr},
      {"a bare string", R"("tumbold-settings")", true, nullptr},
      {"other format", R"({"format": "tumbold-settingz", "version": 1, "crt": false})", true, nullptr},
      {"no format", R"({"version": 1, "crt": false})", true, nullptr},
      {"format of wrong type", R"({"format": 7, "version": 1})", true, nullptr},
      {"other version", R"({"format": "tumbold-settings", "version": 2, "crt": false})", true, nullptr},
      {"no version", R"({"format": "tumbold-settings", "crt": false})", true, nullptr},
      {"version as a string", R"({"format": "tumbold-settings", "version": "1"})", true, nullptr},
      {"fractional version", R"({"format": "tumbold-settings", "version": 1.5})", true, nullptr},
      {"fullscreen as a string", settingsFile(R"("fullscreen": "no", "crt": false)"), true, nullptr},
      {"crt as a number", settingsFile(R"("crt": 0)"), true, nullptr},
      {"volume as a string", settingsFile(R"("sound_volume": "7")"), true, nullptr},
      {"volume as null", settingsFile(R"("music_volume": null)"), true, nullptr},
      {"audio as a number", settingsFile(R"("audio": 1)"), true, nullptr},
      {"only the header", settingsFile(""), false, nullptr},
      {"unknown top-level keys", settingsFile(R"("colour": "red", "volume": 3)"), false, nullptr},
      {"every field", settingsFile(R"("fullscreen": false, "crt": false, "sound_volume": 3,
                                     "music_volume": 0, "audio": "speaker")"),
       false,
       [](app::Settings& s) {
         s.fullscreen = false;
         s.crt = false;
         s.soundVolume = 3;
         s.musicVolume = 0;
         s.audio = 1;
       }},
      {"volumes out of range", settingsFile(R"("sound_volume": 25, "music_volume": -3)"), false,
       [](app::Settings& s) { s.musicVolume = 0; }},
      {"huge and fractional volumes", settingsFile(R"("sound_volume": 1e300, "music_volume": 5.7)"), false,
       [](app::Settings& s) { s.musicVolume = 5; }},
      {"volumes beyond 64 bits", settingsFile(R"("sound_volume": 18446744073709551615, "music_volume": -1e300)"),
       false, [](app::Settings& s) { s.musicVolume = 0; }},
      {"audio compared exactly", settingsFile(R"("audio": "SPEAKER")"), false, nullptr},
      {"audio speaker", settingsFile(R"("audio": "speaker")"), false, speaker},
      {"empty or unknown key names keep the key",
       settingsFile(R"("keys": {"jump": "", "down": "No Such Key", "action": "Return"})"), false, nullptr},
      {"unknown action ids and wrong types are ignored",
       settingsFile(R"("keys": {"leap": "J", "jump": 5, "down": ["S"]}, "buttons": {"move_left": "a", "jump": true})"),
       false, nullptr},
      {"tables of the wrong type are ignored", settingsFile(R"("keys": ["J"], "buttons": "a", "audio": "speaker")"),
       false, speaker},
      {"a key is swapped before the next entry",
       settingsFile(R"("keys": {"move_left": "Right", "move_right": "A", "screenshot": "F12"})"), false,
       [](app::Settings& s) {
         s.bindings.keys = {SDL_SCANCODE_RIGHT, SDL_SCANCODE_A,     SDL_SCANCODE_UP, SDL_SCANCODE_DOWN,
                            SDL_SCANCODE_SPACE, SDL_SCANCODE_F5,    SDL_SCANCODE_F8, SDL_SCANCODE_F12};
       }},
      {"an empty or unknown button name clears the button",
       settingsFile(R"("buttons": {"jump": "", "action": "no such button", "quick_load": "x", "quick_save": "start"})"),
       false,
       [](app::Settings& s) {
         s.bindings.buttons[input::index(Action::Jump)] = SDL_CONTROLLER_BUTTON_INVALID;
         s.bindings.buttons[input::index(Action::Fire)] = SDL_CONTROLLER_BUTTON_INVALID;
         s.bindings.buttons[input::index(Action::QuickLoad)] = SDL_CONTROLLER_BUTTON_X;
         // START is the pause button: refused, the old button stays.
       }},
      {"a button is swapped", settingsFile(R"("buttons": {"action": "b"})"), false,
       [](app::Settings& s) {
         s.bindings.buttons[input::index(Action::Jump)] = SDL_CONTROLLER_BUTTON_A;
         s.bindings.buttons[input::index(Action::Fire)] = SDL_CONTROLLER_BUTTON_B;
       }},
  };
  testsupport::ScratchDir dir("settings");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = dir.path() / "settings.json";
    write(file, c.text);
    app::Settings expected;
    if (c.expect) c.expect(expected);
    ::testing::internal::CaptureStderr();
    const app::Settings got = app::loadSettings(file);
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(got, expected);
    EXPECT_EQ(got.bindings.keys, expected.bindings.keys);
    EXPECT_EQ(got.bindings.buttons, expected.bindings.buttons);
    EXPECT_EQ(log, c.logged ? "[error] " + file.string() + ": not readable settings; using the defaults\n" : "");
  }
}

TEST(Settings, MissingFilesAreSilentAndOddPathsAreNotFatal) {
  testsupport::ScratchDir dir("settings");
  const struct {
    const char* name;
    fs::path path;
    bool logged;
  } cases[] = {
      {"empty path", fs::path(), false},
      {"missing file", dir.path() / "none" / "settings.json", false},
      {"a folder in its place", dir.path(), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(app::loadSettings(c.path), app::Settings());
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("not readable settings; using the defaults") != std::string::npos, c.logged) << log;
  }
}

TEST(Settings, WritesSortedPrettyTextAndReadsItBack) {
  testsupport::ScratchDir dir("settings");
  const fs::path file = dir.path() / "prefs" / "deeper" / "settings.json";
  ASSERT_TRUE(app::saveSettings(file, app::Settings()));
  const auto text = core::readTextFile(file);
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, R"({
 "audio": "adlib",
 "buttons": {
  "action": "a",
  "jump": "b",
  "quick_load": "",
  "quick_save": "back",
  "screenshot": ""
 },
 "crt": true,
 "format": "tumbold-settings",
 "fullscreen": true,
 "keys": {
  "action": "Space",
  "down": "Down",
  "jump": "Up",
  "move_left": "Left",
  "move_right": "Right",
  "quick_load": "F8",
  "quick_save": "F5",
  "screenshot": "F1"
 },
 "music_volume": 10,
 "sound_volume": 10,
 "version": 1
})");
  EXPECT_EQ(app::loadSettings(file), app::Settings());

  // Every field away from its default, a cleared button included, survives
  // the round trip.
  app::Settings changed;
  changed.fullscreen = false;
  changed.crt = false;
  changed.soundVolume = 0;
  changed.musicVolume = 7;
  changed.audio = 1;
  ASSERT_TRUE(changed.bindings.bindKey(Action::Jump, SDL_SCANCODE_SPACE));
  ASSERT_TRUE(changed.bindings.bindKey(Action::QuickLoad, SDL_SCANCODE_KP_5));
  ASSERT_TRUE(changed.bindings.bindButton(Action::Screenshot, SDL_CONTROLLER_BUTTON_TOUCHPAD));
  changed.bindings.buttons[input::index(Action::QuickSave)] = SDL_CONTROLLER_BUTTON_INVALID;
  ASSERT_TRUE(app::saveSettings(file, changed));
  const app::Settings back = app::loadSettings(file);
  EXPECT_EQ(back, changed);
  EXPECT_EQ(back.bindings.keys, changed.bindings.keys);

  EXPECT_FALSE(app::saveSettings(fs::path(), changed));
  // A file where the folder should be: nothing can be written below it.
  EXPECT_FALSE(app::saveSettings(file / "settings.json", changed));
  EXPECT_EQ(app::loadSettings(file), changed);
}

}  // namespace
