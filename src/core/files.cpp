#include "core/files.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <limits>
#include <random>
#include <system_error>

#include "core/embedded.h"
#include "core/log.h"

namespace core {

namespace {

constexpr char kEmbeddedPrefix[] = "<embedded>/";
constexpr std::size_t kEmbeddedPrefixLength = sizeof(kEmbeddedPrefix) - 1;

// A name in the target's folder that no other writer uses: a hidden name made
// from the target's, a random part drawn once per run and a counter.
std::filesystem::path temporaryBeside(const std::filesystem::path& target) {
  static const std::uint64_t run = [] {
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device() ^
           static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  }();
  static std::atomic<std::uint64_t> counter{0};
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, ".%016llx.%llu.tmp", static_cast<unsigned long long>(run),
                static_cast<unsigned long long>(counter++));
  std::filesystem::path name = "." + target.filename().string() + suffix;
  return target.has_parent_path() ? target.parent_path() / name : name;
}

// The whole file, or the reason it cannot be had. Only a regular file has an
// end to read to: a folder fails on its first read, a device may never end, and
// a pipe may never deliver.
enum class Read { Ok, NotEmbedded, CannotOpen, TooLarge };

Read readBytes(const std::filesystem::path& path, std::uintmax_t limit, std::vector<std::uint8_t>& bytes) {
  const std::string text = path.string();
  if (text.compare(0, kEmbeddedPrefixLength, kEmbeddedPrefix) == 0) {
    const EmbeddedFile* entry = embeddedFile(text.substr(kEmbeddedPrefixLength));
    if (entry == nullptr) return Read::NotEmbedded;
    if (entry->size > limit) return Read::TooLarge;
    bytes.assign(entry->data, entry->data + entry->size);
    return Read::Ok;
  }
  std::error_code ec;
  std::ifstream in;
  if (std::filesystem::is_regular_file(path, ec)) in.open(path, std::ios::binary);
  if (!in.is_open()) return Read::CannotOpen;
  if (std::filesystem::file_size(path, ec) > limit && !ec) return Read::TooLarge;
  // istream::read turns a read error into the stream's bad state instead of
  // throwing; what was read before it is returned. The limit is also counted
  // as the bytes come, for a file that grows while it is read.
  char chunk[1 << 16];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    if (static_cast<std::uintmax_t>(in.gcount()) > limit - bytes.size()) {
      bytes.clear();
      return Read::TooLarge;
    }
    bytes.insert(bytes.end(), chunk, chunk + in.gcount());
    if (!in) break;
  }
  return Read::Ok;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> readFile(const std::filesystem::path& path) {
  std::vector<std::uint8_t> bytes;
  switch (readBytes(path, std::numeric_limits<std::uintmax_t>::max(), bytes)) {
    case Read::Ok: return bytes;
    case Read::NotEmbedded: log(LogLevel::Error, "%s is not embedded", path.string().c_str()); break;
    case Read::CannotOpen:
    case Read::TooLarge: log(LogLevel::Error, "cannot open %s", path.string().c_str()); break;
  }
  return std::nullopt;
}

std::optional<std::string> readTextFile(const std::filesystem::path& path) {
  auto bytes = readFile(path);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

std::optional<std::string> readInputText(const std::filesystem::path& path, std::uintmax_t limit) {
  std::vector<std::uint8_t> bytes;
  if (readBytes(path, limit, bytes) != Read::Ok) return std::nullopt;
  return std::string(bytes.begin(), bytes.end());
}

bool writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  namespace fs = std::filesystem;
  const std::string text = path.string();
  auto fail = [&text] {
    log(LogLevel::Error, "cannot write %s", text.c_str());
    return false;
  };
  if (path.has_parent_path()) {
    std::error_code ignored;
    fs::create_directories(path.parent_path(), ignored);
  }
  std::error_code ec;
  fs::path target = path;
  if (fs::is_symlink(path, ec)) {
    // Replace what the link points to, not the link itself.
    fs::path resolved = fs::canonical(path, ec);
    if (!ec) target = resolved;
  }
  const fs::file_status status = fs::status(target, ec);
  if (fs::is_directory(status)) return fail();
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    // A device or a pipe (/dev/stdout, say) has no previous content to keep
    // and must not be replaced by a file: write straight into it.
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (!out) return fail();
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    out.close();
    return out.fail() ? fail() : true;
  }

  // The new content goes to a file beside the target and replaces it in one
  // rename only once it is wholly written, so a full disk, a crash or a kill
  // halfway leaves the previous file as it was.
  const fs::path temporary = temporaryBeside(target);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return fail();
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    out.close();
    if (out.fail()) {
      fs::remove(temporary, ec);
      return fail();
    }
  }
  if (fs::exists(status)) {
    // Keep the old file's permissions (a private save stays private).
    fs::permissions(temporary, status.permissions(), fs::perm_options::replace, ec);
  }
  fs::rename(temporary, target, ec);
  if (ec) {
    fs::remove(temporary, ec);
    return fail();
  }
  return true;
}

}  // namespace core
