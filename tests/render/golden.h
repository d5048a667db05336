#pragma once

#include <string>

#include <gtest/gtest.h>

#include "render/rgba.h"

namespace rendertest {

// Compares `actual` with tests/render/golden/<name>.png. On a difference the
// actual picture and a copy of the expected one are written under the build
// folder (golden-diff/) and both are named in the failure. With the
// environment variable TUMBOLD_UPDATE_GOLDENS set the golden file is
// (re)written instead; check the new picture by eye before committing it.
::testing::AssertionResult matchesGolden(const std::string& name, const render::RgbaImage& actual);

}  // namespace rendertest
