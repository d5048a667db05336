#pragma once

#include <cstdint>
#include <optional>

#include "render/rgba.h"

namespace ui {

// One save slot as the menu shows it.
struct SlotInfo {
  bool exists = false;    // something exists at the slot's path
  bool readable = false;  // it reads as a valid save
  std::int64_t time = 0;  // saved at, seconds since 1970-01-01 UTC; 0 when unknown
  std::optional<render::RgbaImage> thumbnail;  // the picture beside the save, at the thumbnail size
};

}  // namespace ui
