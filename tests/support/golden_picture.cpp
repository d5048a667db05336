#include "support/golden_picture.h"

#include <cstdlib>
#include <sstream>

namespace testsupport {

namespace fs = std::filesystem;

::testing::AssertionResult matchesGoldenPicture(const fs::path& goldenDir, const fs::path& diffDir,
                                                const std::string& name, const render::RgbaImage& actual) {
  const fs::path expectedPath = goldenDir / (name + ".png");
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
      if (actual.pixels[i] == expected->pixels[i]) continue;
      if (differing++ == 0) first = i;
    }
    if (differing == 0) return ::testing::AssertionSuccess();
    difference << differing << " pixels differ, the first at (" << first % static_cast<std::size_t>(actual.width)
               << ", " << first / static_cast<std::size_t>(actual.width) << ")";
  }

  fs::create_directories(diffDir);
  const fs::path actualPath = diffDir / (name + ".actual.png");
  const fs::path expectedCopy = diffDir / (name + ".expected.png");
  render::saveRgbaPng(actualPath, actual);
  if (expected) render::saveRgbaPng(expectedCopy, *expected);
  return ::testing::AssertionFailure() << "picture " << name << ": " << difference.str()
                                       << "\n  expected: " << expectedPath.string()
                                       << (expected ? " (copy: " + expectedCopy.string() + ")" : "")
                                       << "\n  actual:   " << actualPath.string();
}

}  // namespace testsupport
