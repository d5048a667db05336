#include "app/settings/settings.h"

#include <cctype>
#include <string>
#include <system_error>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/files.h"
#include "core/json.h"
#include "core/log.h"
#include "input/names.h"

namespace app {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

constexpr char kFormat[] = "tumbold-settings";
constexpr int kVersion = 1;

std::string actionId(input::Action action) {
  std::string id = input::actionName(action);
  for (char& c : id)
    c = c == ' ' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return id;
}

// The typed readers below answer a member of the wrong JSON type with false,
// which makes the whole file unusable: a hand-edited file that says
// "fullscreen": "yes" is not trusted for anything else either.
bool readBool(const Json& root, const char* key, bool& out) {
  if (!root.contains(key)) return true;
  const Json& value = root.at(key);
  if (!value.is_boolean()) return false;
  out = value.get<bool>();
  return true;
}

bool readVolume(const Json& root, const char* key, std::int32_t& out) {
  if (!root.contains(key)) return true;
  const Json& value = root.at(key);
  // A number beyond the range is taken at its nearer end.
  std::int64_t volume = 0;
  if (core::readWholeNumber(value, 0, kMaxVolume, volume) == core::NumberFit::NoNumber) return false;
  out = static_cast<std::int32_t>(volume);
  return true;
}

bool readString(const Json& root, const char* key, std::string& out) {
  if (!root.contains(key)) return true;
  const Json& value = root.at(key);
  if (!value.is_string()) return false;
  out = value.get<std::string>();
  return true;
}

bool readVersion(const Json& root, double& out) {
  if (!root.contains("version")) return true;
  const Json& value = root.at("version");
  if (!value.is_number()) return false;
  out = value.get<double>();
  return true;
}

// The string member `id` of `table`, when the table is an object that has one.
const std::string* entry(const Json& table, const std::string& id) {
  if (!table.is_object()) return nullptr;
  const auto it = table.find(id);
  if (it == table.end() || !it->is_string()) return nullptr;
  return it->get_ptr<const std::string*>();
}

void readBindings(const Json& root, input::Bindings& bindings) {
  static const Json kNone = Json::object();
  const Json& keys = root.contains("keys") ? root.at("keys") : kNone;
  const Json& buttons = root.contains("buttons") ? root.at("buttons") : kNone;
  // One action after another, so that swaps settle in a fixed order.
  for (std::size_t i = 0; i < input::kActionCount; ++i) {
    const auto action = static_cast<input::Action>(i);
    const std::string id = actionId(action);
    if (const std::string* name = entry(keys, id)) {
      const SDL_Scancode key = input::keyFromId(*name);
      if (key != SDL_SCANCODE_UNKNOWN) bindings.bindKey(action, key);
    }
    if (!input::controllerBindable(action)) continue;
    if (const std::string* name = entry(buttons, id)) {
      const SDL_GameControllerButton button = input::buttonFromId(*name);
      if (button != SDL_CONTROLLER_BUTTON_INVALID)
        bindings.bindButton(action, button);
      else
        bindings.buttons[i] = SDL_CONTROLLER_BUTTON_INVALID;
    }
  }
}

// Everything but the bindings; false when the file is not a usable settings
// file, leaving `s` partly filled (the caller then discards it).
bool readSettings(const Json& root, Settings& s) {
  if (!root.is_object()) return false;
  std::string format;
  double version = 0;
  if (!readString(root, "format", format) || format != kFormat) return false;
  if (!readVersion(root, version) || version != kVersion) return false;
  std::string audio = "adlib";
  if (!readBool(root, "fullscreen", s.fullscreen) || !readBool(root, "crt", s.crt) ||
      !readVolume(root, "sound_volume", s.soundVolume) || !readVolume(root, "music_volume", s.musicVolume) ||
      !readString(root, "audio", audio))
    return false;
  s.audio = audio == "speaker" ? 1 : 0;
  readBindings(root, s.bindings);
  return true;
}

}  // namespace

Settings loadSettings(const fs::path& file) {
  bool unusable = false;
  return loadSettings(file, unusable);
}

Settings loadSettings(const fs::path& file, bool& unusable) {
  const Settings defaults;
  unusable = false;
  if (file.empty()) return defaults;
  std::error_code error;
  const fs::file_status status = fs::status(file, error);
  if (error || status.type() == fs::file_type::not_found) return defaults;

  const auto text = core::readTextFile(file);
  Settings s;
  if (text) {
    const Json root = core::parseJson(*text);
    if (!root.is_discarded() && readSettings(root, s)) return s;
  }
  core::log(core::LogLevel::Error, "%s: not readable settings; using the defaults", file.string().c_str());
  unusable = true;
  return defaults;
}

bool saveSettings(const fs::path& file, const Settings& s) {
  if (file.empty()) return false;
  Json keys = Json::object();
  Json buttons = Json::object();
  for (std::size_t i = 0; i < input::kActionCount; ++i) {
    const auto action = static_cast<input::Action>(i);
    keys[actionId(action)] = input::keyId(s.bindings.key(action));
    if (input::controllerBindable(action)) buttons[actionId(action)] = input::buttonId(s.bindings.button(action));
  }
  // nlohmann::json keeps object members in a std::map, so they come out in
  // ascending byte order.
  Json root = {
      {"format", kFormat},
      {"version", kVersion},
      {"fullscreen", s.fullscreen},
      {"sound_volume", s.soundVolume},
      {"music_volume", s.musicVolume},
      {"crt", s.crt},
      {"audio", s.audio == 1 ? "speaker" : "adlib"},
      {"keys", keys},
      {"buttons", buttons},
  };
  // A key name that is not valid UTF-8 must not throw out of the writer.
  const std::string text = root.dump(1, ' ', false, Json::error_handler_t::replace);
  return core::writeFile(file, std::vector<std::uint8_t>(text.begin(), text.end()));
}

}  // namespace app
