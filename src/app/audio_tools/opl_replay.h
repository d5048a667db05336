#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace app {

// root/assets/audio/<name> (from the embedded table under the embedded root);
// logs "no assets/audio/<name>" when there is none.
std::optional<std::vector<std::uint8_t>> driverImage(const std::filesystem::path& root,
                                                     const char* name);

// Feeds a log of driver commands, tick by tick, to the AdLib driver (or the
// PC-speaker driver with beeper) and writes every output write the driver makes
// as a line "w <tick> <reg or port> <value>". Returns 0, or 1 on failure.
int replayOplLog(const std::filesystem::path& root, const std::string& log,
                 const std::string& out, bool beeper);

}  // namespace app
