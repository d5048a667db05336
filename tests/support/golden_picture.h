#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "render/rgba.h"

namespace testsupport {

// Compares `actual` with <goldenDir>/<name>.png. On a difference the actual
// picture and a copy of the expected one are written to `diffDir` and both are
// named in the failure. With the environment variable TUMBOLD_UPDATE_GOLDENS
// set the golden file is (re)written instead; check the new picture by eye
// before committing it.
::testing::AssertionResult matchesGoldenPicture(const std::filesystem::path& goldenDir,
                                                const std::filesystem::path& diffDir, const std::string& name,
                                                const render::RgbaImage& actual);

}  // namespace testsupport
