#include "golden.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace rendertest {

namespace fs = std::filesystem;

::testing::AssertionResult matchesGolden(const std::string& name, const render::RgbaImage& actual) {
  const fs::path expectedPath = fs::path(TUMBOLD_SOURCE_DIR) / "tests" / "render" / "golden" / (name + ".png");
  if (std::getenv("TUMBOLD_UPDATE_GOLDENS") != nullptr) {
    fs::create_directories(expectedPath.parent_path());
    if (!render::saveRgbaPng(expectedPath, actual))
      return ::testing::AssertionFailure() << "cannot write golden " << expectedPath;
    return ::testing::AssertionSuccess();
  }

  const auto expected = render::loadRgbaPng(expectedPath);
  std::ostringstream difference;
  if (!expected) {
    difference << "the golden picture is missing or unreadable";
  } else if (expected->width != actual.width || expected->height != actual.height) {
    difference << "size " << actual.width << "x" << actual.height << ", expected " << expected->width << "x"
               << expected->height;
  } else {
    std::size_t differing = 0;
    std::size_t first = 0;
    for (std::size_t i = 0; i < actual.pixels.size(); ++i) {
      if (actual.pixels[i] != expected->pixels[i]) {
        if (differing == 0) first = i;
        ++differing;
      }
    }
    if (differing == 0) return ::testing::AssertionSuccess();
    difference << differing << " pixels differ, the first at (" << first % actual.width << ", "
               << first / actual.width << ")";
  }

  const fs::path outDir = fs::path(TUMBOLD_BINARY_DIR) / "golden-diff";
  fs::create_directories(outDir);
  const fs::path actualPath = outDir / (name + ".actual.png");
  const fs::path expectedCopy = outDir / (name + ".expected.png");
  render::saveRgbaPng(actualPath, actual);
  if (expected) render::saveRgbaPng(expectedCopy, *expected);
  return ::testing::AssertionFailure() << "picture " << name << ": " << difference.str() << "\n  expected: "
                                       << expectedPath.string() << (expected ? " (copy: " + expectedCopy.string() + ")" : "")
                                       << "\n  actual:   " << actualPath.string();
}

}  // namespace rendertest
