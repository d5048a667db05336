#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace core {

// The deepest nesting of arrays and objects that a JSON text may have. The
// program's formats need a handful of levels; a value nested far deeper would
// exhaust the stack when it is copied, compared or dumped.
constexpr std::size_t kMaxJsonDepth = 64;

// Every JSON text the program reads is parsed here: without exceptions and
// without comments. The result is discarded (is_discarded()) when the text is
// no JSON, or when it nests deeper than kMaxJsonDepth, which is refused before
// any value is built; `tooDeep`, when given, tells the second case.
nlohmann::json parseJson(std::string_view text, bool* tooDeep = nullptr);

// Empties the array that is the value of `key` in the top-level object of a
// JSON text, found by its brackets outside strings without reading what it
// holds; any other text is left for the parser to judge. For a reader that
// needs only the rest of a file whose bulk is one array.
void emptyTopLevelArray(std::string& text, std::string_view key);

// How a JSON value reads as a whole number between two bounds.
enum class NumberFit {
  Inside,    // a number within the bounds: `out` is the number
  Outside,   // a number beyond them: `out` is the nearer bound, for readers that clamp
  NoNumber,  // anything else, a boolean too: `out` is left as it was
};

// The one reading of JSON numbers, under each loader's own rules and error
// texts: an integer as it is, a floating value truncated toward zero, or,
// with integersOnly, taken for no number. Nothing is converted outside the
// range of its target, so no value of a damaged file is undefined behaviour.
NumberFit readWholeNumber(const nlohmann::json& value, std::int64_t min, std::int64_t max, std::int64_t& out,
                          bool integersOnly = false);

}  // namespace core
