#pragma once

// Typed reading of JSON members for the world loader. Every read either
// succeeds or records exactly one error line; after the first failure the
// reader stays failed so that a load ends with that line alone. The library's
// own type-error texts are used for wrong JSON types, without throwing.

#include <cstdarg>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace world {

using Json = nlohmann::json;

// A JSON number (integer, unsigned or floating, truncated toward zero) or a
// boolean that fits 32 signed bits. False for any other value.
bool numberToInt32(const Json& value, std::int32_t& out);

class JsonFields {
 public:
  explicit JsonFields(std::string path) : path_(std::move(path)) {}

  bool failed() const { return failed_; }
  const std::string& path() const { return path_; }

  // Logs one error line (only the first failure is logged) and returns false.
#if defined(__GNUC__)
  __attribute__((format(printf, 2, 3)))
#endif
  bool
  fail(const char* format, ...);

  // "<path>: <library message>" for a value of the wrong JSON type.
  bool typeError(const Json& value, const char* wanted);
  bool rangeError(const Json& value);

  // The member `key` of `object`, or nullptr when absent. `object` must be
  // an object (checked by requireObject beforehand).
  static const Json* find(const Json& object, const char* key);

  bool requireObject(const Json& value);
  bool requireArray(const Json& value);

  // A required member: logs "<where>: missing required key "<key>"" when absent.
  const Json* required(const Json& object, const char* key, const std::string& where);

  // A key read with a default: absent gives the default; a number or boolean
  // is converted; anything else (null included) is a type error.
  bool intOr(const Json& object, const char* key, std::int32_t fallback, std::int32_t& out);

  // Only a JSON integer is taken; anything else (absent included) gives the fallback.
  bool intIfInteger(const Json& object, const char* key, std::int32_t fallback, std::int32_t& out);

  // A string read with a default: absent gives the default, a non-string is a type error.
  bool stringOr(const Json& object, const char* key, const std::string& fallback, std::string& out);

  // The string when the value is a string, else empty.
  static std::string stringIfString(const Json& object, const char* key);

  // A value that is not an array gives an empty list; an element that is not
  // a number is a type error.
  bool intList(const Json& value, std::vector<std::int32_t>& out);

 private:
  std::string path_;
  bool failed_ = false;
};

}  // namespace world
