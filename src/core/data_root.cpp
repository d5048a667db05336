#include "core/data_root.h"

#include <system_error>

#include "core/embedded.h"
#include "core/log.h"

namespace core {

namespace {

bool hasMarker(const std::filesystem::path& folder) {
  std::error_code error;
  const bool found = std::filesystem::exists(folder / "assets" / "graphics" / "tiles.json", error);
  return found && !error;
}

std::optional<std::filesystem::path> walkUp(std::filesystem::path candidate) {
  while (!candidate.empty()) {
    if (hasMarker(candidate)) return candidate;
    std::filesystem::path parent = candidate.parent_path();
    if (parent == candidate) break;
    candidate = parent;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::filesystem::path> findDataRoot(const std::string& explicitDir,
                                                  const std::filesystem::path& exeDir) {
  if (!explicitDir.empty()) {
    if (hasMarker(explicitDir)) return std::filesystem::path(explicitDir);
    log(LogLevel::Error, "%s does not contain assets/graphics/tiles.json", explicitDir.c_str());
    return std::nullopt;
  }
  std::error_code error;
  const std::filesystem::path current = std::filesystem::current_path(error);
  if (auto found = walkUp(exeDir)) return found;
  if (auto found = walkUp(error ? std::filesystem::path() : current)) return found;
  if (embeddedFile("assets/graphics/tiles.json") != nullptr) return std::filesystem::path(kEmbeddedRoot);
  log(LogLevel::Error, "cannot find the project data (assets/, world/); pass --data <dir>");
  return std::nullopt;
}

}  // namespace core
