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

// writeFile without creating parent folders and without a log line, for
// writers that report a failure in their own words. The temporary file has
// one name per target, ".NAME.tmp" beside it, reused by the next write when a
// killed run left it behind (another name only while another writer holds
// it), and is flushed to the disk before the rename where POSIX offers it.
// A device or a pipe at the path is written straight into.
bool replaceFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace core
