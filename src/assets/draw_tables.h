#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace assets {

// Small tables the drawing code needs: hero overlays, lift rope bytes and the
// energy bar's plane masks.
struct DrawTables {
  std::int32_t glueonFirstPlayerFrame = 26;
  std::vector<std::int32_t> glueonFrames;  // per hero frame from glueonFirstPlayerFrame on
  std::vector<std::array<std::int32_t, 3>> shadesEntries;  // dx, dy, frame per hero frame
  std::array<std::array<std::int32_t, 4>, 4> liftRope{};  // per plane: a0, a1, b0, b1
  std::vector<std::int32_t> energyColumns;  // plane mask of each 8-pixel bar column
  std::vector<std::int32_t> energyPartial;  // 8 byte patterns of a partly filled column
};

// Loads dir/"draw_tables.json".
std::optional<DrawTables> loadDrawTables(const std::filesystem::path& dir);

}  // namespace assets
