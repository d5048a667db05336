#include "assets/lift_graphics.h"

#include <string>

#include "assets/json_read.h"

namespace assets {

std::optional<LiftGraphics> loadLiftGraphics(const std::filesystem::path& dir) {
  LiftGraphics lifts;
  auto image = detail::readDescribedPicture(dir, "lifts", [&](const detail::Json& root) {
    if (!root.contains("types")) return;
    const detail::Json& types = root["types"];
    if (!types.is_array()) throw detail::Refusal(std::string("\"types\" must be an array, not ") + types.type_name());
    for (std::size_t t = 0; t < types.size(); ++t) {
      const std::string where = "type " + std::to_string(t) + " ";
      if (!types[t].is_object()) throw detail::Refusal(where + "must be an object, not " + types[t].type_name());
      Rect rect;
      rect.x = detail::namedInt(types[t], "x", where);
      rect.y = detail::namedInt(types[t], "y", where);
      rect.w = detail::namedInt(types[t], "w", where);
      rect.h = detail::namedInt(types[t], "h", where);
      lifts.types.push_back(rect);
    }
  });
  if (!image) return std::nullopt;
  lifts.image = std::move(*image);
  return lifts;
}

}  // namespace assets
