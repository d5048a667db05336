#include "assets/sheet.h"

#include "assets/json_read.h"
#include "core/log.h"

namespace assets {

std::optional<Sheet> loadSheet(const std::filesystem::path& dir, const std::string& name) {
  Sheet sheet;
  auto image = detail::readDescribedPicture(dir, name, [&](const detail::Json& root) {
    sheet.itemW = detail::namedInt(root, "item_w", "", 0);
    sheet.itemH = detail::namedInt(root, "item_h", "", 0);
    sheet.columns = detail::namedInt(root, "columns", "", 1);
    sheet.count = detail::namedInt(root, "count", "", 0);
  });
  if (!image) return std::nullopt;
  if (!(sheet.columns > 0 && sheet.itemH >= 1 && sheet.itemW >= 1)) {
    core::log(core::LogLevel::Error, "%s.json: bad item geometry", name.c_str());
    return std::nullopt;
  }
  sheet.image = std::move(*image);
  return sheet;
}

}  // namespace assets
