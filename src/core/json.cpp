#include "core/json.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace core {

namespace {

// The nesting is counted over the brackets outside strings. For a text that
// is no JSON the count may differ from what the parser would build, but the
// parser stops at the first fault, before any bracket the count passed over.
bool nestsDeeperThan(std::string_view text, std::size_t limit) {
  std::size_t depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return true;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return false;
}

}  // namespace

nlohmann::json parseJson(std::string_view text, bool* tooDeep) {
  const bool deep = nestsDeeperThan(text, kMaxJsonDepth);
  if (tooDeep != nullptr) *tooDeep = deep;
  if (deep) return nlohmann::json(nlohmann::json::value_t::discarded);
  return nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
}

NumberFit readWholeNumber(const nlohmann::json& value, std::int64_t min, std::int64_t max, std::int64_t& out,
                          bool integersOnly) {
  constexpr std::uint64_t kSignedMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  const auto outside = [&](bool below) {
    out = below ? min : max;
    return NumberFit::Outside;
  };
  std::int64_t v = 0;
  if (value.is_number_unsigned()) {
    const std::uint64_t u = value.get<std::uint64_t>();
    if (u > kSignedMax) return outside(false);  // beyond 63 bits is beyond any bound
    v = static_cast<std::int64_t>(u);
  } else if (value.is_number_integer()) {
    v = value.get<std::int64_t>();
  } else if (value.is_number_float() && !integersOnly) {
    const double d = std::trunc(value.get<double>());
    if (std::isnan(d)) {
      out = std::clamp<std::int64_t>(0, min, max);
      return NumberFit::Outside;
    }
    // Compared before the cast: converting a double beyond 64 bits is undefined.
    if (d >= 9223372036854775808.0) return outside(false);
    if (d < -9223372036854775808.0) return outside(true);
    v = static_cast<std::int64_t>(d);
  } else {
    return NumberFit::NoNumber;
  }
  if (v < min || v > max) return outside(v < min);
  out = v;
  return NumberFit::Inside;
}

}  // namespace core
