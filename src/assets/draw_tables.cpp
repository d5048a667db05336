#include "assets/draw_tables.h"

#include <string>

#include "assets/json_read.h"
#include "core/log.h"

namespace assets {

namespace {

using detail::Json;
using detail::toInt32;

std::vector<std::int32_t> intList(const Json& object, const char* key) {
  std::vector<std::int32_t> out;
  for (const Json& value : detail::arrayAt(object, key)) out.push_back(toInt32(value));
  return out;
}

void readTables(const Json& root, DrawTables& tables) {
  const Json& glueon = root.at("glueon_overlay");
  if (!glueon.is_object()) detail::throwWrongType(glueon, "glueon_overlay", "object");
  tables.glueonFirstPlayerFrame = detail::intOr(glueon, "first_player_frame", 26);
  tables.glueonFrames = intList(glueon, "frames");

  if (root.contains("shades_overlay")) {
    const Json& shades = root.at("shades_overlay");
    if (!shades.is_object()) detail::throwWrongType(shades, "shades_overlay", "object");
    if (shades.contains("entries")) {
      const Json& entries = detail::arrayAt(shades, "entries");
      for (std::size_t i = 0; i < entries.size(); ++i) {
        const Json& entry = entries[i];
        if (!entry.is_array()) detail::throwWrongType(entry, "shades entry", "array");
        if (entry.size() < 3) throw detail::Refusal("shades_overlay.entries[" + std::to_string(i) + "] needs 3 numbers");
        tables.shadesEntries.push_back({toInt32(entry[0]), toInt32(entry[1]), toInt32(entry[2])});
      }
    }
  }

  const Json& planes = detail::arrayAt(root.at("lift_rope"), "planes");
  for (std::size_t p = 0; p < 4; ++p) {
    if (p >= planes.size()) throw detail::Refusal("lift_rope.planes needs 4 rows of 4 numbers");
    const Json& row = planes[p];
    if (!row.is_array()) detail::throwWrongType(row, "lift_rope plane", "array");
    if (row.size() < 4) throw detail::Refusal("lift_rope.planes needs 4 rows of 4 numbers");
    for (std::size_t k = 0; k < 4; ++k) tables.liftRope[p][k] = toInt32(row[k]);
  }

  const Json& energy = root.at("energy_bar");
  tables.energyColumns = intList(energy, "columns");
  tables.energyPartial = intList(energy, "partial");
}

}  // namespace

std::optional<DrawTables> loadDrawTables(const std::filesystem::path& dir) {
  auto root = detail::readJson(dir / "draw_tables.json");
  if (!root) return std::nullopt;

  DrawTables tables;
  if (!detail::guarded("draw_tables.json", [&] { readTables(*root, tables); })) return std::nullopt;
  if (tables.energyPartial.size() != 8) {
    core::log(core::LogLevel::Error, "draw_tables.json: energy_bar.partial needs 8 entries");
    return std::nullopt;
  }
  return tables;
}

}  // namespace assets
