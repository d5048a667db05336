#include "assets/sheet.h"

#include <algorithm>

#include "assets/json_read.h"
#include "core/log.h"

namespace assets {

std::optional<Sheet> loadSheet(const std::filesystem::path& dir, const std::string& name) {
  Sheet sheet;
  auto image = detail::readDescribedPicture(dir, name, [&](const detail::Json& root) {
    sheet.itemW = detail::intOr(root, "item_w", 0);
    sheet.itemH = detail::intOr(root, "item_h", 0);
    sheet.columns = detail::intOr(root, "columns", 1);
    sheet.count = detail::intOr(root, "count", 0);
  });
  if (!image) return std::nullopt;
  if (!(sheet.columns > 0 && sheet.itemH >= 1 && sheet.itemW >= 1)) {
    core::log(core::LogLevel::Error, "%s.json: bad item geometry", name.c_str());
    return std::nullopt;
  }
  // Items are copied from their cells without bounds checks when drawn, so
  // every item below count must lie inside the picture.
  if (sheet.count > 0) {
    const std::int64_t usedColumns = std::min(sheet.count, sheet.columns);
    const std::int64_t rows = (static_cast<std::int64_t>(sheet.count) + sheet.columns - 1) / sheet.columns;
    if (!detail::insidePicture(*image, 0, 0, usedColumns * sheet.itemW, rows * sheet.itemH)) {
      core::log(core::LogLevel::Error, "%s.json: %d items of %dx%d do not fit the %dx%d picture", name.c_str(),
                sheet.count, sheet.itemW, sheet.itemH, image->width, image->height);
      return std::nullopt;
    }
  }
  sheet.image = std::move(*image);
  return sheet;
}

}  // namespace assets
