#include "core/json.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace core {

namespace {

// The index after the closing quote of the string whose opening quote is at
// `at`, or the text's size when it does not close.
std::size_t stringEnd(std::string_view text, std::size_t at) {
  for (std::size_t i = at + 1; i < text.size(); ++i) {
    if (text[i] == '\\')
      ++i;
    else if (text[i] == '"')
      return i + 1;
  }
  return text.size();
}

std::size_t skipBlanks(std::string_view text, std::size_t at) {
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r')) ++at;
  return at;
}

// The index of the bracket that closes the array opening at `at`, counted
// outside strings, or the text's size when it does not close.
std::size_t arrayEnd(std::string_view text, std::size_t at) {
  std::size_t depth = 0;
  for (std::size_t i = at; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '[') {
      ++depth;
    } else if (c == ']') {
      if (--depth == 0) return i;
    } else if (c == '"') {
      i = stringEnd(text, i) - 1;
    }
  }
  return text.size();
}

// The nesting is counted over the brackets outside strings. For a text that
// is no JSON the count may differ from what the parser would build, but the
// parser stops at the first fault, before any bracket the count passed over.
bool nestsDeeperThan(std::string_view text, std::size_t limit) {
  std::size_t depth = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      i = stringEnd(text, i) - 1;
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

void emptyTopLevelArray(std::string& text, std::string_view key) {
  std::size_t depth = 0;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c != '"') {
      if (c == '{' || c == '[') ++depth;
      if ((c == '}' || c == ']') && depth > 0) --depth;
      ++i;
      continue;
    }
    const std::size_t end = stringEnd(text, i);
    const std::size_t colon = skipBlanks(text, end);
    if (depth == 1 && colon < text.size() && text[colon] == ':' && end - i == key.size() + 2 &&
        text.compare(i + 1, key.size(), key) == 0) {
      const std::size_t open = skipBlanks(text, colon + 1);
      if (open < text.size() && text[open] == '[') {
        const std::size_t close = arrayEnd(text, open);
        if (close < text.size()) text.erase(open + 1, close - open - 1);
      }
      return;
    }
    i = end;
  }
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
