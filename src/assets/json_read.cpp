#include "assets/json_read.h"

#include <limits>
#include <string>

#include "core/files.h"
#include "core/json.h"
#include "core/log.h"

namespace assets::detail {

std::optional<Json> readJson(const std::filesystem::path& file) {
  auto text = core::readTextFile(file);
  if (!text) return std::nullopt;
  Json root = core::parseJson(*text);
  if (root.is_discarded()) {
    core::log(core::LogLevel::Error, "%s: invalid JSON", file.string().c_str());
    return std::nullopt;
  }
  return root;
}

namespace {

// The number between the bounds, else the library's own error: a type error
// for a value that is no number (a boolean included: the library's converters
// take one for a number, the loaders do not), a range error for one beyond.
std::int64_t toRange(const Json& value, std::int64_t min, std::int64_t max) {
  std::int64_t v = 0;
  switch (core::readWholeNumber(value, min, max, v)) {
    case core::NumberFit::Inside:
      return v;
    case core::NumberFit::Outside:
      throw Json::out_of_range::create(406, "number " + value.dump() + " is out of range", &value);
    case core::NumberFit::NoNumber:
      break;
  }
  throw Json::type_error::create(302, std::string("type must be number, but is ") + value.type_name(), &value);
}

}  // namespace

std::int64_t toInt64(const Json& value) {
  return toRange(value, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());
}

std::int32_t toInt32(const Json& value) {
  return static_cast<std::int32_t>(
      toRange(value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::uint8_t lowByte(const Json& value) {
  if (value.is_number_unsigned()) return static_cast<std::uint8_t>(value.get<std::uint64_t>());
  return static_cast<std::uint8_t>(static_cast<std::uint64_t>(toInt64(value)));
}

void throwWrongType(const Json& value, const char* what, const char* expected) {
  throw Json::type_error::create(
      302, std::string(what) + " must be " + expected + ", but is " + value.type_name(), &value);
}

std::int32_t intOr(const Json& object, const char* key, std::int32_t fallback) {
  if (!object.is_object() || !object.contains(key)) return fallback;
  return toInt32(object.at(key));
}

std::int32_t namedInt(const Json& object, const char* key, const std::string& where,
                      std::optional<std::int32_t> fallback) {
  const auto it = object.find(key);
  if (it == object.end()) {
    if (fallback) return *fallback;
    throw Refusal(where + "has no \"" + key + "\"");
  }
  const std::string name = where + "\"" + key + "\"";
  if (!it->is_number()) throw Refusal(name + " must be a number, not " + it->type_name());
  try {
    return toInt32(*it);
  } catch (const Json::exception&) {
    throw Refusal(name + " " + it->dump() + " does not fit in 32 bits");
  }
}

const Json& arrayAt(const Json& object, const char* key) {
  const Json& value = object.at(key);
  if (!value.is_array()) throwWrongType(value, key, "array");
  return value;
}

}  // namespace assets::detail
