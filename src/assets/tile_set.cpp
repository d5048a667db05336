#include "assets/tile_set.h"

#include <string>

#include "assets/json_read.h"
#include "core/files.h"
#include "core/json.h"
#include "core/log.h"

namespace assets {

namespace {

using detail::Json;

constexpr std::int64_t kTileSize = 16;

bool isFourDigits(const std::string& s) {
  if (s.size() != 4) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

std::optional<TileSet> loadTileSet(const std::filesystem::path& dir) {
  auto text = core::readTextFile(dir / "tiles.json");
  if (!text) return std::nullopt;
  const Json root = core::parseJson(*text);
  if (root.is_discarded()) {
    core::log(core::LogLevel::Error, "tiles.json: invalid JSON");
    return std::nullopt;
  }
  auto image = loadIndexedPng(dir / "tiles.png");
  if (!image) return std::nullopt;
  if (!root.is_object()) {
    core::log(core::LogLevel::Error, "tiles.json: expected an object, found %s", root.type_name());
    return std::nullopt;
  }

  TileSet set;
  const bool read = detail::guarded("tiles.json", [&] {
    set.columns = detail::namedInt(root, "columns", "", 0);
    set.count = detail::namedInt(root, "count", "", 0);
    set.collisionTiles = detail::namedInt(root, "collision_tiles", "", 0);
  });
  if (!read) return std::nullopt;
  if (set.columns < 1 || set.count < 1 || image->width < kTileSize * set.columns) {
    core::log(core::LogLevel::Error, "tiles.json: bad columns/count");
    return std::nullopt;
  }

  if (root.contains("attributes")) {
    const Json& list = root["attributes"];
    if (!list.is_array()) {
      core::log(core::LogLevel::Error, "tiles.json: attributes must be an array, not %s", list.type_name());
      return std::nullopt;
    }
    set.attributes.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
      const Json& entry = list[i];
      if (!entry.is_string()) {
        core::log(core::LogLevel::Error, "tiles.json: attribute entry %zu is a %s, not a string", i,
                  entry.type_name());
        return std::nullopt;
      }
      const std::string& digits = entry.get_ref<const std::string&>();
      if (!isFourDigits(digits)) {
        core::log(core::LogLevel::Error, "tiles.json: attribute entry '%s' is not 4 digits", digits.c_str());
        return std::nullopt;
      }
      set.attributes.push_back({static_cast<std::uint8_t>(digits[0] - '0'), static_cast<std::uint8_t>(digits[1] - '0'),
                                static_cast<std::uint8_t>(digits[2] - '0'), static_cast<std::uint8_t>(digits[3] - '0')});
    }
  }
  set.image = std::move(*image);
  return set;
}

}  // namespace assets
