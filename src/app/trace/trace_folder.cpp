#include "app/trace/trace_folder.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>

#include "core/files.h"
#include "core/hex.h"
#include "core/json.h"
#include "core/log.h"

namespace app::trace {

namespace {

// Streams open a folder as if it were a file and then fail, or throw, on the
// first read; only a regular file is taken for one of the trace's files.
bool isFile(const std::filesystem::path& file) {
  std::error_code ec;
  return std::filesystem::is_regular_file(file, ec);
}

using Json = nlohmann::json;

// Rows and run.json come from a recording tool outside this program: every
// value is checked for its type, so that a damaged file ends the replay with a
// message instead of a JSON library exception.
std::optional<std::int64_t> int64Of(const Json& v) {
  std::int64_t out = 0;
  if (core::readWholeNumber(v, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(), out,
                            true) != core::NumberFit::Inside)
    return std::nullopt;
  return out;
}

bool readRowKey(const Json& row, const char* key, std::optional<std::int64_t>& out) {
  const auto it = row.find(key);
  if (it == row.end()) return true;
  const std::optional<std::int64_t> value = int64Of(*it);
  if (!value) return false;
  out = value;
  return true;
}

// The row's problem, or empty.
std::string readRow(const Json& value, Row& row) {
  if (!value.is_object()) return "not an object";
  for (const auto& [key, field] :
       {std::pair{"step", &row.step}, {"frame", &row.frame}, {"room", &row.room}, {"pstate", &row.pstate}}) {
    if (!readRowKey(value, key, *field)) return std::string("\"") + key + "\" is not an integer";
  }
  const auto held = value.find("held_read");
  if (held != value.end() && !held->is_null()) {
    const std::optional<std::int64_t> value = int64Of(*held);
    if (!value) return "\"held_read\" is neither an integer nor null";
    row.heldRead = static_cast<std::uint8_t>(*value & 0xFF);
  }
  return {};
}

bool readRows(const std::filesystem::path& folder, std::vector<Row>& rows) {
  const std::string name = folder.string();
  const std::optional<std::string> text = core::readInputText(folder / "state.jsonl");
  if (!text) {
    core::log(core::LogLevel::Error, "%s: no state.jsonl (record it with tools/re/record_traces)", name.c_str());
    return false;
  }
  std::istringstream in(*text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    const Json value = core::parseJson(line);
    if (value.is_discarded()) {
      core::log(core::LogLevel::Error, "%s: bad line in state.jsonl", name.c_str());
      return false;
    }
    Row row;
    const std::string problem = readRow(value, row);
    if (!problem.empty()) {
      core::log(core::LogLevel::Error, "%s: row %zu of state.jsonl: %s", name.c_str(), rows.size(), problem.c_str());
      return false;
    }
    rows.push_back(row);
  }
  return true;
}

// An absent or unparsable run.json is an empty run description, without a
// message. One that is there but cannot be taken whole (no regular file,
// larger than a tool's input, a read that fails, nesting too deep) ends the
// reading with a line: the replay would go on without its pokes.
std::optional<Json> readRunFile(const std::filesystem::path& folder) {
  const std::string name = folder.string();
  core::InputFailure failure = core::InputFailure::Absent;
  const std::optional<std::string> text = core::readInputText(folder / "run.json", core::kMaxInputBytes, &failure);
  if (!text) {
    switch (failure) {
      case core::InputFailure::Absent: return Json::object();
      case core::InputFailure::NotRegular:
        core::log(core::LogLevel::Error, "%s: run.json is not a regular file", name.c_str());
        break;
      case core::InputFailure::TooLarge:
        core::log(core::LogLevel::Error, "%s: run.json holds more than %ju bytes", name.c_str(), core::kMaxInputBytes);
        break;
      case core::InputFailure::Unreadable:
        core::log(core::LogLevel::Error, "%s: run.json cannot be read", name.c_str());
        break;
    }
    return std::nullopt;
  }
  bool tooDeep = false;
  Json run = core::parseJson(*text, &tooDeep);
  if (tooDeep) {
    core::log(core::LogLevel::Error, "%s: run.json nests deeper than %zu levels", name.c_str(), core::kMaxJsonDepth);
    return std::nullopt;
  }
  if (run.is_discarded()) return Json::object();
  return run;
}

const Json& arrayOr(const Json& run, const char* key, const Json& empty, bool& ok) {
  const auto it = run.find(key);
  if (it == run.end()) return empty;
  ok = it->is_array();
  return ok ? *it : empty;
}

bool readRun(const std::filesystem::path& folder, TraceFolder& out) {
  const std::string name = folder.string();
  const std::optional<Json> read = readRunFile(folder);
  if (!read) return false;
  const Json& run = *read;
  if (!run.is_object()) {
    core::log(core::LogLevel::Error, "%s: run.json is not an object", name.c_str());
    return false;
  }
  const Json empty = Json::array();
  bool ok = true;
  const Json& pokes = arrayOr(run, "pokes", empty, ok);
  if (!ok) {
    core::log(core::LogLevel::Error, "%s: \"pokes\" in run.json is not an array", name.c_str());
    return false;
  }
  for (std::size_t i = 0; i < pokes.size(); ++i) {
    std::string problem = pokes[i].is_string() ? "" : "is not a string";
    std::optional<Poke> poke;
    if (problem.empty()) poke = parsePoke(pokes[i].get<std::string>(), problem);
    if (!problem.empty()) {
      core::log(core::LogLevel::Error, "%s: poke %zu in run.json %s", name.c_str(), i, problem.c_str());
      return false;
    }
    if (poke) out.pokes.push_back(std::move(*poke));
  }
  const Json& outcomes = arrayOr(run, "outcomes", empty, ok);
  if (!ok) {
    core::log(core::LogLevel::Error, "%s: \"outcomes\" in run.json is not an array", name.c_str());
    return false;
  }
  for (std::size_t i = 0; i < outcomes.size(); ++i) {
    const Json& o = outcomes[i];
    const auto after = o.is_object() ? o.find("after_step") : o.end();
    const auto text = o.is_object() ? o.find("outcome") : o.end();
    const std::optional<std::int64_t> afterStep = after != o.end() ? int64Of(*after) : std::int64_t{-1};
    if (!o.is_object() || !afterStep || (text != o.end() && !text->is_string())) {
      core::log(core::LogLevel::Error,
                "%s: outcome %zu in run.json is not an object with an integer \"after_step\" and a text \"outcome\"",
                name.c_str(), i);
      return false;
    }
    out.outcomes.emplace_back(*afterStep, text != o.end() ? text->get<std::string>() : std::string());
  }
  return true;
}

}  // namespace

bool Snapshots::open(const std::filesystem::path& file) {
  if (isFile(file)) in_.open(file, std::ios::binary);
  return in_.is_open();
}

std::optional<Dgroup> Snapshots::at(std::uint64_t row) {
  Dgroup record(kDgroupSize, 0);
  if (row > static_cast<std::uint64_t>(std::numeric_limits<std::streamoff>::max()) / kDgroupSize) return std::nullopt;
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(row * kDgroupSize), std::ios::beg);
  in_.read(reinterpret_cast<char*>(record.data()), static_cast<std::streamsize>(kDgroupSize));
  if (in_.fail()) return std::nullopt;
  return record;
}

std::optional<Poke> parsePoke(const std::string& text, std::string& problem) {
  const std::size_t colon = text.find(':');
  const std::size_t equals = text.find('=');
  if (colon == std::string::npos || equals == std::string::npos) return std::nullopt;
  Poke poke;
  const std::string frame = text.substr(0, colon);
  char* end = nullptr;
  poke.frame = std::strtoll(frame.c_str(), &end, 10);
  if (end == frame.c_str()) {
    problem = "has no frame number before \":\"";
    return std::nullopt;
  }
  const std::string address = equals > colon ? text.substr(colon + 1, equals - colon - 1) : std::string();
  poke.address = std::strtoull(address.c_str(), &end, 16);
  if (end == address.c_str()) {
    problem = "has no address between \":\" and \"=\"";
    return std::nullopt;
  }
  const std::string bytes = text.substr(equals + 1);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const int byte = core::hexByte(bytes[i], bytes[i + 1]);
    if (byte < 0) {
      problem = "has a byte that is not two hexadecimal digits";
      return std::nullopt;
    }
    poke.bytes.push_back(static_cast<std::uint8_t>(byte));
  }
  return poke;
}

std::string stepPictureName(std::int64_t step, const char* suffix) {
  char name[64];
  std::snprintf(name, sizeof name, "step_%05" PRId64 "%s.png", step, suffix);
  return name;
}

bool readTraceFolder(const std::filesystem::path& folder, TraceFolder& out) {
  if (!readRows(folder, out.rows)) return false;
  if (!out.snapshots.open(folder / "dgroup.bin")) {
    core::log(core::LogLevel::Error, "%s: no dgroup.bin", folder.string().c_str());
    return false;
  }
  return readRun(folder, out);
}

}  // namespace app::trace
