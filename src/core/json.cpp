#include "core/json.h"

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

}  // namespace core
