// The save file: one compact JSON object whose history is stored as runs of
// equal non-zero input bytes, so a long game of mostly idle steps stays small.

#include "app/game/quick_save.h"

#include <algorithm>
#include <limits>
#include <queue>
#include <string>
#include <system_error>

#include <nlohmann/json.hpp>

#include "core/files.h"
#include "core/json.h"
#include "core/log.h"
#include "sim/input_history.h"

namespace app {

namespace {

using Json = nlohmann::json;
namespace fs = std::filesystem;

constexpr const char* kCheckNames[6] = {"room", "x", "y", "score", "lives", "energy"};

// Number readers for a file that may be damaged: a number beyond 64 bits is
// taken at the nearer end. False when the value is no number at all.
bool toSigned(const Json& v, std::int64_t& out) {
  return core::readWholeNumber(v, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(),
                               out) != core::NumberFit::NoNumber;
}

// An index into the history; one beyond 63 bits is as far outside it as any.
bool toUnsigned(const Json& v, std::uint64_t& out) {
  std::int64_t s = 0;
  if (!toSigned(v, s)) return false;
  // A negative index can never lie inside the history.
  out = s < 0 ? std::numeric_limits<std::uint64_t>::max() : static_cast<std::uint64_t>(s);
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

// One stored run, cut to the history: bytes first to end (inclusive) hold value.
struct Run {
  std::uint64_t first = 0;
  std::uint64_t end = 0;
  std::uint8_t value = 0;
};

// The stored runs that lie in a history of `steps` bytes, in file order.
// False when a run holds something other than numbers, or "keys" is no array.
bool readRuns(const Json& root, std::uint64_t steps, std::vector<Run>& runs) {
  const auto it = root.find("keys");
  if (it == root.end()) return true;
  if (!it->is_array()) return false;
  for (const Json& run : *it) {
    if (!run.is_array() || run.size() != 3) continue;
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::int64_t value = 0;
    if (!toUnsigned(run[0], first) || !toUnsigned(run[1], last) || !toSigned(run[2], value)) return false;
    if (first >= steps || first > last) continue;
    runs.push_back({first, std::min(last, steps - 1), static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) & 0xFF)});
  }
  return true;
}

// Each byte takes the value of the last run in file order that covers it.
// Filled in one sweep over the runs ordered by their first byte, with the
// latest run covering the current byte on top of a heap, so that every byte
// is written once however the runs overlap.
void paintRuns(const std::vector<Run>& runs, std::vector<std::uint8_t>& keys) {
  std::vector<std::size_t> order(runs.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&runs](std::size_t a, std::size_t b) { return runs[a].first < runs[b].first; });
  std::priority_queue<std::size_t> covering;
  std::size_t next = 0;
  std::uint64_t at = 0;
  while (next < order.size() || !covering.empty()) {
    if (covering.empty()) at = std::max(at, runs[order[next]].first);
    while (next < order.size() && runs[order[next]].first <= at) covering.push(order[next++]);
    while (!covering.empty() && runs[covering.top()].end < at) covering.pop();
    if (covering.empty()) continue;
    const Run& top = runs[covering.top()];
    std::uint64_t end = top.end;
    if (next < order.size()) end = std::min(end, runs[order[next]].first - 1);
    std::fill(keys.begin() + static_cast<std::ptrdiff_t>(at), keys.begin() + static_cast<std::ptrdiff_t>(end) + 1,
              top.value);
    at = end + 1;
  }
}

// Everything after the format tag and version; false for a damaged file.
// Without withKeys the history is checked but not built.
bool readBody(const Json& root, bool withKeys, QuickSave& save) {
  std::int64_t savedAt = 0;
  std::int64_t steps = 0;
  if (!optionalNumber(root, "saved_at", savedAt) || !optionalNumber(root, "steps", steps)) return false;
  if (steps < 0 || static_cast<std::uint64_t>(steps) > sim::kMaxHistorySteps) return false;
  save.savedAt = savedAt;
  std::vector<Run> runs;
  if (!readRuns(root, static_cast<std::uint64_t>(steps), runs)) return false;
  if (withKeys) {
    save.keys.assign(static_cast<std::size_t>(steps), 0);
    paintRuns(runs, save.keys);
  }

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
  // A history the reader refuses must not take the place of a save it reads.
  if (!fitsQuickSave(save.keys)) {
    core::log(core::LogLevel::Error, "%s: not written: %zu steps are more than a save holds (%llu)",
              path.string().c_str(), save.keys.size(), static_cast<unsigned long long>(sim::kMaxHistorySteps));
    return false;
  }
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
  return core::writeFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

namespace {

std::optional<QuickSave> readSave(const fs::path& path, bool withKeys) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) return std::nullopt;

  std::optional<std::string> text = core::readTextFile(path);
  if (!text) return std::nullopt;
  // A long game's runs are most of its file, and a listing shows only the
  // header: they are passed over unread, and checked when the save is loaded.
  if (!withKeys) core::emptyTopLevelArray(*text, "keys");

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
  if (!readBody(root, withKeys, save)) return notASave();
  return save;
}

}  // namespace

bool fitsQuickSave(const std::vector<std::uint8_t>& keys) { return keys.size() <= sim::kMaxHistorySteps; }

bool somethingAtSavePath(const fs::path& path) {
  if (path.empty()) return false;
  // The link itself, not what it leads to; an error other than "no such
  // file" (a loop, a folder that may not be searched) leaves something there.
  std::error_code error;
  return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

std::optional<QuickSave> readQuickSave(const fs::path& path) { return readSave(path, true); }

std::optional<QuickSave> peekQuickSave(const fs::path& path) { return readSave(path, false); }

}  // namespace app
