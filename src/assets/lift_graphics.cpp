#include "assets/lift_graphics.h"

#include "assets/json_read.h"
#include "core/log.h"

namespace assets {

std::optional<LiftGraphics> loadLiftGraphics(const std::filesystem::path& dir) {
  LiftGraphics lifts;
  auto image = detail::readDescribedPicture(dir, "lifts", [&](const detail::Json& root) {
    if (!root.contains("types")) return;
    for (const detail::Json& element : detail::arrayAt(root, "types")) {
      LiftGraphics::Rect rect;
      rect.x = detail::toInt32(element.at("x"));
      rect.y = detail::toInt32(element.at("y"));
      rect.w = detail::toInt32(element.at("w"));
      rect.h = detail::toInt32(element.at("h"));
      lifts.types.push_back(rect);
    }
  });
  if (!image) return std::nullopt;
  lifts.image = std::move(*image);
  return lifts;
}

}  // namespace assets
