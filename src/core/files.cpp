#include "core/files.h"

#include <exception>
#include <fstream>
#include <iterator>
#include <system_error>

#include "core/embedded.h"
#include "core/log.h"

namespace core {

namespace {

constexpr char kEmbeddedPrefix[] = "<embedded>/";
constexpr std::size_t kEmbeddedPrefixLength = sizeof(kEmbeddedPrefix) - 1;

}  // namespace

std::optional<std::vector<std::uint8_t>> readFile(const std::filesystem::path& path) {
  const std::string text = path.string();
  if (text.compare(0, kEmbeddedPrefixLength, kEmbeddedPrefix) == 0) {
    const EmbeddedFile* entry = embeddedFile(text.substr(kEmbeddedPrefixLength));
    if (entry == nullptr) {
      log(LogLevel::Error, "%s is not embedded", text.c_str());
      return std::nullopt;
    }
    return std::vector<std::uint8_t>(entry->data, entry->data + entry->size);
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    log(LogLevel::Error, "cannot open %s", text.c_str());
    return std::nullopt;
  }
  // The stream buffer throws on a read error (a folder opened as a file, an
  // I/O failure), whatever the stream's exception mask says.
  try {
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::exception&) {
    log(LogLevel::Error, "cannot read %s", text.c_str());
    return std::nullopt;
  }
}

std::optional<std::string> readTextFile(const std::filesystem::path& path) {
  auto bytes = readFile(path);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

bool writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  if (path.has_parent_path()) {
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) {
    log(LogLevel::Error, "cannot write %s", path.string().c_str());
    return false;
  }
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return !out.fail();
}

}  // namespace core
