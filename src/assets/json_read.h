#pragma once

// Shared by the JSON-described asset loaders; not part of the module's interface.

#include <cstdint>
#include <exception>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "assets/indexed_image.h"
#include "core/log.h"

namespace assets::detail {

using Json = nlohmann::json;

// core::readTextFile, then a parse without exceptions; a syntax error logs
// "<path>: invalid JSON" and gives empty.
std::optional<Json> readJson(const std::filesystem::path& file);

// Number conversions that never leave the defined range of the target type.
// A non-number raises the JSON library's own type error; a number that does
// not fit raises the library's out-of-range error. Floating values are
// truncated toward zero.
std::int64_t toInt64(const Json& value);
std::int32_t toInt32(const Json& value);

// The low byte of an integer (modulo 256, also for negative and huge values);
// a floating value is truncated first.
std::uint8_t lowByte(const Json& value);

// The JSON library's type error for a value of the wrong kind, e.g.
// "frames must be array, but is object".
[[noreturn]] void throwWrongType(const Json& value, const char* what, const char* expected);

// value.at(key) when present, else fallback; a present value must be a number.
std::int32_t intOr(const Json& object, const char* key, std::int32_t fallback);

// object.at(key) that must be an array (library error otherwise).
const Json& arrayAt(const Json& object, const char* key);

// A loader's own refusal, in its own words naming the key, for the values
// whose message no format fixes; guarded logs "<file>: <text>" for it.
struct Refusal : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The number under `key` as 32 bits, named in a refusal as <where>"<key>" when
// it is not a number or does not fit. Absent: `fallback`, or, without one, the
// refusal <where>has no "<key>".
std::int32_t namedInt(const Json& object, const char* key, const std::string& where,
                      std::optional<std::int32_t> fallback = std::nullopt);

// Runs `read`; a JSON library error it raises (a missing key, a wrong type, a
// number out of range) logs "<file>: <message>" and gives false, so that no
// loader hands out half a result.
template <class Read>
bool guarded(const std::string& file, Read&& read) {
  try {
    read();
    return true;
  } catch (const std::exception& e) {
    core::log(core::LogLevel::Error, "%s: %s", file.c_str(), e.what());
    return false;
  }
}

// A picture with its description: <dir>/<name>.png and <dir>/<name>.json, whose
// root must be an object. Both files are tried before giving up, each failure
// with its own line; `read(root)` then takes what it needs from the description,
// guarded as above. Empty on any failure.
template <class Read>
std::optional<IndexedImage> readDescribedPicture(const std::filesystem::path& dir, const std::string& name,
                                                 Read&& read) {
  auto root = readJson(dir / (name + ".json"));
  auto image = loadIndexedPng(dir / (name + ".png"));
  if (!root || !image) return std::nullopt;
  const bool ok = guarded(name + ".json", [&] {
    if (!root->is_object()) throwWrongType(*root, "root", "object");
    read(*root);
  });
  if (!ok) return std::nullopt;
  return image;
}

}  // namespace assets::detail
