#pragma once

#include <cstddef>
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

}  // namespace core
