#include "world/json_fields.h"

#include <cstdio>
#include <limits>

#include "core/json.h"
#include "core/log.h"

namespace world {

bool numberToInt32(const Json& value, std::int32_t& out) {
  if (value.is_boolean()) {
    out = value.get<bool>() ? 1 : 0;
    return true;
  }
  std::int64_t v = 0;
  if (core::readWholeNumber(value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(),
                            v) != core::NumberFit::Inside)
    return false;
  out = static_cast<std::int32_t>(v);
  return true;
}

bool JsonFields::fail(const char* format, ...) {
  if (failed_) return false;
  failed_ = true;
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  // Labels and names come from the file: a control character in them must not
  // break the message into several lines.
  for (char* c = buffer; *c; ++c) {
    if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7f) *c = '?';
  }
  core::log(core::LogLevel::Error, "%s", buffer);
  return false;
}

bool JsonFields::typeError(const Json& value, const char* wanted) {
  const auto error = Json::type_error::create(
      302, std::string("type must be ") + wanted + ", but is " + value.type_name(), nullptr);
  return fail("%s: %s", path_.c_str(), error.what());
}

bool JsonFields::rangeError(const Json& value) {
  std::string text = value.dump();
  if (text.size() > 40) text = text.substr(0, 40) + "...";
  return fail("%s: number %s does not fit in 32 bits", path_.c_str(), text.c_str());
}

const Json* JsonFields::find(const Json& object, const char* key) {
  if (!object.is_object()) return nullptr;
  const auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

bool JsonFields::requireObject(const Json& value) { return value.is_object() || typeError(value, "object"); }

bool JsonFields::requireArray(const Json& value) { return value.is_array() || typeError(value, "array"); }

const Json* JsonFields::required(const Json& object, const char* key, const std::string& where) {
  const Json* member = find(object, key);
  if (!member) fail("%s: %s: missing required key \"%s\"", path_.c_str(), where.c_str(), key);
  return member;
}

bool JsonFields::intOr(const Json& object, const char* key, std::int32_t fallback, std::int32_t& out) {
  const Json* member = find(object, key);
  if (!member) {
    out = fallback;
    return true;
  }
  if (numberToInt32(*member, out)) return true;
  if (member->is_number()) return rangeError(*member);
  return typeError(*member, "number");
}

bool JsonFields::intIfInteger(const Json& object, const char* key, std::int32_t fallback, std::int32_t& out) {
  const Json* member = find(object, key);
  out = fallback;
  if (!member || !member->is_number_integer()) return true;
  if (!numberToInt32(*member, out)) {
    out = fallback;
    return rangeError(*member);
  }
  return true;
}

bool JsonFields::stringOr(const Json& object, const char* key, const std::string& fallback,
                          std::string& out) {
  const Json* member = find(object, key);
  if (!member) {
    out = fallback;
    return true;
  }
  if (!member->is_string()) return typeError(*member, "string");
  out = member->get<std::string>();
  return true;
}

std::string JsonFields::stringIfString(const Json& object, const char* key) {
  const Json* member = find(object, key);
  return member && member->is_string() ? member->get<std::string>() : std::string();
}

bool JsonFields::intList(const Json& value, std::vector<std::int32_t>& out) {
  out.clear();
  if (!value.is_array()) return true;
  out.reserve(value.size());
  for (const Json& element : value) {
    std::int32_t v = 0;
    if (!element.is_number()) return typeError(element, "number");
    if (!numberToInt32(element, v)) return rangeError(element);
    out.push_back(v);
  }
  return true;
}

}  // namespace world
