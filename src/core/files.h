#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace core {

// The whole file as bytes. A path that begins with "<embedded>/" is served from
// the embedded file table. Failure: one error line and an empty optional.
std::optional<std::vector<std::uint8_t>> readFile(const std::filesystem::path& path);

// readFile, with the bytes copied unchanged into a string.
std::optional<std::string> readTextFile(const std::filesystem::path& path);

// Writes the whole vector as the file's new content, creating missing parent
// folders. The content is written to a temporary file in the same folder and
// renamed over the target once complete, so that on failure the previous file
// stays untouched. Failure: one error line and false.
bool writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace core
