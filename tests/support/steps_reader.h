#pragma once

// The tests' own reading of a steps file (as the autopilot writes it): the
// header's count after its last "(", then lines "A-B words" that hold the keys
// named from step A to step B. Kept apart from the program's readers, so that
// a fault in them does not hide in the recordings the tests replay.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

// Empty when the file cannot be read or its header has no count.
inline std::vector<std::uint8_t> readSteps(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string line;
  if (!std::getline(in, line) || line.rfind('(') == std::string::npos) return {};
  std::vector<std::uint8_t> steps(std::stoul(line.substr(line.rfind('(') + 1)), 0);
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::size_t a = 0, b = 0;
    char dash = 0;
    if (!(fields >> a >> dash >> b) || dash != '-') continue;
    std::uint8_t keys = 0;
    for (std::string word; fields >> word;) {
      const char* names[] = {"up", "down", "left", "right", "space"};
      for (int bit = 0; bit < 5; ++bit) {
        if (word == names[bit]) keys |= static_cast<std::uint8_t>(1 << bit);
      }
    }
    for (std::size_t s = a; s <= b && s < steps.size(); ++s) steps[s] = keys;
  }
  return steps;
}

}  // namespace testsupport
