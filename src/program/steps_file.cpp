#include "steps_file.h"

#include <cstdio>

#include "app/autopilot/steps_text.h"

std::optional<std::vector<std::uint8_t>> readStepsFile(const std::string& path) {
  return app::readSteps(path, "cannot read the step file " + path);
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
