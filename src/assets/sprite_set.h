#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "assets/indexed_image.h"

namespace assets {

// One frame of a sprite sheet. Drawn at (px, py), the rectangle's top-left
// corner lands at (px + xoff + ox, py + yoff + oy).
struct SpriteFrame {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t w = 0;
  std::int32_t h = 0;
  std::int32_t ox = 0;
  std::int32_t oy = 0;
  std::int32_t xoff = 0;  // 0..255, from the original sprite record
  std::int32_t yoff = 0;  // 0..255
};

struct SpriteSet {
  IndexedImage image;
  std::vector<SpriteFrame> frames;  // frame n is entry n
};

// Loads dir/(name + ".json") and dir/(name + ".png").
std::optional<SpriteSet> loadSpriteSet(const std::filesystem::path& dir, const std::string& name);

}  // namespace assets
