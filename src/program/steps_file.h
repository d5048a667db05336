#pragma once

// Reading a steps file (the format is in app/steps_text.h) and the bubble
// listing's line for one speech bubble.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/page_op.h"

// The input byte of every step the header announces (app::readSteps), for the
// bubble listing and scripted play. Failure: one error line and no result.
std::optional<std::vector<std::uint8_t>> readStepsFile(const std::string& path);

// One line of the bubble list, without its newline: {"step": .., "x": ..,
// "y": .., "tail": .., "text": ".."} for a bubble operation.
std::string bubbleLine(int step, const sim::PageOp& bubble);
