#include "steps_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/steps_text.h"
#include "core/log.h"

std::optional<std::vector<std::uint8_t>> readStepsFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  if (!in || !std::getline(in, line)) {
    core::log(core::LogLevel::Error, "cannot read the step file %s", path.c_str());
    return std::nullopt;
  }
  const auto count = app::headerSteps(line);
  if (!count) {
    core::log(core::LogLevel::Error, "cannot read the step file %s", path.c_str());
    return std::nullopt;
  }
  if (*count > app::kMaxSteps) {
    core::log(core::LogLevel::Error, "the step file %s announces %llu steps, more than the %llu it may hold",
              path.c_str(), static_cast<unsigned long long>(*count),
              static_cast<unsigned long long>(app::kMaxSteps));
    return std::nullopt;
  }
  std::vector<std::uint8_t> steps(static_cast<std::size_t>(*count), 0);
  while (std::getline(in, line)) {
    const auto range = app::stepRange(line);
    if (!range) continue;
    std::uint8_t keys = 0;
    std::istringstream words(range->words);
    for (std::string word; words >> word;) {
      for (const app::StepWord& w : app::kStepWords) {
        if (word == w.word) keys |= w.bit;
      }
    }
    for (std::uint64_t s = range->first; s <= range->last && s < steps.size(); ++s) steps[s] = keys;
  }
  return steps;
}

std::string bubbleLine(int step, const sim::PageOp& bubble) {
  std::string text;
  for (const char c : bubble.text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\' || c == '"') {
      text += '\\';
      text += c;
    } else if (byte < 32) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      text += escaped;
    } else {
      text += c;
    }
  }
  return "{\"step\": " + std::to_string(step) + ", \"x\": " + std::to_string(bubble.a) +
         ", \"y\": " + std::to_string(bubble.b) + ", \"tail\": " + std::to_string(bubble.c) +
         ", \"text\": \"" + text + "\"}";
}
