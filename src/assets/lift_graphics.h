#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "assets/indexed_image.h"

namespace assets {

// The lift pictures, one source rectangle per lift type.
struct LiftGraphics {
  IndexedImage image;
  std::vector<Rect> types;  // in lift-type order
};

// Loads dir/"lifts.json" and dir/"lifts.png".
std::optional<LiftGraphics> loadLiftGraphics(const std::filesystem::path& dir);

}  // namespace assets
