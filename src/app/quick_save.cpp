// The save file: one compact JSON object whose history is stored as runs of
// equal non-zero input bytes, so a long game of mostly idle steps stays small.

#include "app/quick_save.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

#include <nlohmann/json.hpp>

#include "core/files.h"
#include "core/json.h"
#include "core/log.h"

namespace app {

namespace {

using Json = nlohmann::json;
namespace fs = std::filesystem;

constexpr const char* kCheckNames[6] = {"room", "x", "y", "score", "lives", "energy"};

// Number readers for a file that may be damaged: they never throw and never
// convert out of range. False when the value is no number at all.
bool toUnsigned(const Json& v, std::uint64_t& out) {
  if (v.is_number_unsigned()) {
    out = v.get<std::uint64_t>();
  } else if (v.is_number_integer()) {
    const std::int64_t s = v.get<std::int64_t>();
    // A negative index can never lie inside the history.
    out = s < 0 ? std::numeric_limits<std::uint64_t>::max() : static_cast<std::uint64_t>(s);
  } else if (v.is_number_float()) {
    const double d = std::trunc(v.get<double>());
    out = (d >= 0 && d < 18446744073709551616.0) ? static_cast<std::uint64_t>(d)
                                                  : std::numeric_limits<std::uint64_t>::max();
  } else {
    return false;
  }
  return true;
}

bool toSigned(const Json& v, std::int64_t& out) {
  if (v.is_number_unsigned()) {
    const std::uint64_t u = v.get<std::uint64_t>();
    out = u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())
              ? std::numeric_limits<std::int64_t>::max()
              : static_cast<std::int64_t>(u);
  } else if (v.is_number_integer()) {
    out = v.get<std::int64_t>();
  } else if (v.is_number_float()) {
    const double d = std::trunc(v.get<double>());
    if (std::isnan(d))
      out = 0;
    else if (d >= 9223372036854775807.0)
      out = std::numeric_limits<std::int64_t>::max();
    else if (d <= -9223372036854775808.0)
      out = std::numeric_limits<std::int64_t>::min();
    else
      out = static_cast<std::int64_t>(d);
  } else {
    return false;
  }
  return true;
}

int clampToInt(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// A present key must hold a number; an absent one keeps `out`.
bool optionalNumber(const Json& object, const char* key, std::int64_t& out) {
  const auto it = object.find(key);
  return it == object.end() || toSigned(*it, out);
}

// Fills the history from the stored runs. False when a run holds something
// other than numbers, or "keys" is no array.
bool readRuns(const Json& root, std::vector<std::uint8_t>& keys) {
  const auto it = root.find("keys");
  if (it == root.end()) return true;
  if (!it->is_array()) return false;
  const std::uint64_t steps = keys.size();
  for (const Json& run : *it) {
    if (!run.is_array() || run.size() != 3) continue;
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::int64_t value = 0;
    if (!toUnsigned(run[0], first) || !toUnsigned(run[1], last) || !toSigned(run[2], value)) return false;
    if (first >= steps || first > last) continue;
    const std::uint64_t end = std::min(last, steps - 1);
    std::fill(keys.begin() + static_cast<std::ptrdiff_t>(first), keys.begin() + static_cast<std::ptrdiff_t>(end) + 1,
              static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) & 0xFF));
  }
  return true;
}

// Everything after the format tag and version; false for a damaged file.
bool readBody(const Json& root, QuickSave& save) {
  std::int64_t savedAt = 0;
  std::int64_t steps = 0;
  if (!optionalNumber(root, "saved_at", savedAt) || !optionalNumber(root, "steps", steps)) return false;
  if (steps < 0 || static_cast<std::uint64_t>(steps) > kMaxQuickSaveSteps) return false;
  save.savedAt = savedAt;
  save.keys.assign(static_cast<std::size_t>(steps), 0);
  if (!readRuns(root, save.keys)) return false;

  const auto check = root.find("check");
  if (check == root.end()) return true;
  if (!check->is_object()) return false;
  for (std::size_t i = 0; i < save.check.size(); ++i) {
    std::int64_t v = 0;
    if (!optionalNumber(*check, kCheckNames[i], v)) return false;
    save.check[i] = clampToInt(v);
  }
  return true;
}

}  // namespace

bool writeQuickSave(const fs::path& path, const QuickSave& save) {
  Json runs = Json::array();
  const std::vector<std::uint8_t>& keys = save.keys;
  for (std::size_t i = 0; i < keys.size();) {
    std::size_t j = i;
    while (j + 1 < keys.size() && keys[j + 1] == keys[i]) ++j;
    if (keys[i] != 0) runs.push_back(Json::array({i, j, keys[i]}));
    i = j + 1;
  }

  Json check = Json::object();
  for (std::size_t i = 0; i < save.check.size(); ++i) check[kCheckNames[i]] = save.check[i];

  Json root = Json::object();
  root["check"] = std::move(check);
  root["format"] = kQuickSaveFormat;
  root["keys"] = std::move(runs);
  root["saved_at"] = save.savedAt;
  root["steps"] = keys.size();
  root["version"] = kQuickSaveVersion;
  const std::string text = root.dump();

  if (path.has_parent_path()) {
    std::error_code ignored;
    fs::create_directories(path.parent_path(), ignored);
  }
  return core::writeFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::optional<QuickSave> readQuickSave(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) return std::nullopt;

  const std::optional<std::string> text = core::readTextFile(path);
  if (!text) return std::nullopt;

  const std::string name = path.string();
  auto notASave = [&name] {
    core::log(core::LogLevel::Error, "%s: not a quick save", name.c_str());
    return std::nullopt;
  };

  const Json root = core::parseJson(*text);
  if (root.is_discarded() || !root.is_object()) return notASave();
  const auto format = root.find("format");
  if (format == root.end() || !format->is_string() || format->get_ref<const std::string&>() != kQuickSaveFormat)
    return notASave();

  std::int64_t version = 0;
  if (!optionalNumber(root, "version", version)) return notASave();
  if (version != 1 && version != kQuickSaveVersion) {
    core::log(core::LogLevel::Error, "%s: quick save version %lld, expected %d", name.c_str(),
              static_cast<long long>(version), kQuickSaveVersion);
    return std::nullopt;
  }

  QuickSave save;
  if (!readBody(root, save)) return notASave();
  return save;
}

}  // namespace app
