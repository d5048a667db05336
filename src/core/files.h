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

// The most a tool takes of one input file (a route, a play script, a steps
// file, a trace's state.jsonl): far beyond any real one, and a bound on what a
// damaged file can make the program hold.
constexpr std::uintmax_t kMaxInputBytes = std::uintmax_t{64} << 20;

// Why a tool's input file was not read.
enum class InputFailure { Absent, NotRegular, TooLarge, Unreadable };

// A tool's input file as text, read as readTextFile reads (the embedded table,
// regular files only), but refused when it holds more than `limit` bytes, and
// without a line of its own: the mode names the file in its own error line,
// told why in `failure` when it asks.
std::optional<std::string> readInputText(const std::filesystem::path& path,
                                         std::uintmax_t limit = kMaxInputBytes, InputFailure* failure = nullptr);

// Writes the whole vector as the file's new content, creating missing parent
// folders. The content is written to a temporary file in the same folder and
// renamed over the target once complete, so that on failure the previous file
// stays untouched. Failure: one error line and false.
bool writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// writeFile without creating parent folders and without a log line, for
// writers that report a failure in their own words: the system's words for
// what failed go to `why` when it is given. The temporary file has one name
// per target, ".NAME.tmp" beside it, reused by the next write when a killed
// run left it behind; another name is taken while another writer holds it or
// when it is no plain file of one name. It is flushed to the disk before the
// rename where POSIX offers it. Only a regular file (or nothing) is replaced:
// a folder, a device or a pipe at the path fails the write.
bool replaceFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                 std::string* why = nullptr);

}  // namespace core
