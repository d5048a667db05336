#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace core {

// The folder every loader builds its paths under, or "<embedded>".
// explicitDir is the --data value (empty when not given); exeDir the executable's folder.
std::optional<std::filesystem::path> findDataRoot(const std::string& explicitDir,
                                                  const std::filesystem::path& exeDir);

}  // namespace core
