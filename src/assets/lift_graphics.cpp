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
  // The lift drawing copies from these rectangles without bounds checks.
  for (std::size_t t = 0; t < lifts.types.size(); ++t) {
    const LiftGraphics::Rect& r = lifts.types[t];
    if (!detail::insidePicture(*image, r.x, r.y, r.w, r.h)) {
      core::log(core::LogLevel::Error, "lifts.json: type %zu (%d,%d %dx%d) is outside the %dx%d picture", t, r.x, r.y,
                r.w, r.h, image->width, image->height);
      return std::nullopt;
    }
  }
  lifts.image = std::move(*image);
  return lifts;
}

}  // namespace assets
