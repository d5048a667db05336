#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "assets/indexed_image.h"

namespace assets {

// A grid of equal items over one picture (objects, font, logo).
struct Sheet {
  IndexedImage image;
  std::int32_t itemW = 0;
  std::int32_t itemH = 0;
  std::int32_t columns = 1;  // items per row
  std::int32_t count = 0;
};

// Loads dir/(name + ".json") and dir/(name + ".png").
std::optional<Sheet> loadSheet(const std::filesystem::path& dir, const std::string& name);

}  // namespace assets
