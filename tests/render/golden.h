#pragma once

#include <filesystem>
#include <string>

#include "support/golden_picture.h"

namespace rendertest {

// Compares `actual` with tests/render/golden/<name>.png; on a difference both
// pictures go to <build>/golden-diff/ (see testsupport::matchesGoldenPicture).
inline ::testing::AssertionResult matchesGolden(const std::string& name, const render::RgbaImage& actual) {
  const std::filesystem::path source(TUMBOLD_SOURCE_DIR);
  return testsupport::matchesGoldenPicture(source / "tests" / "render" / "golden",
                                           std::filesystem::path(TUMBOLD_BINARY_DIR) / "golden-diff", name, actual);
}

}  // namespace rendertest
