#include "core/files.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/embedded.h"
#include "core/log.h"

namespace core {

namespace {

constexpr char kEmbeddedPrefix[] = "<embedded>/";
constexpr std::size_t kEmbeddedPrefixLength = sizeof(kEmbeddedPrefix) - 1;

// A name in the target's folder that no other writer uses: a hidden name made
// from the target's, a random part drawn once per run and a counter.
std::filesystem::path uniqueBeside(const std::filesystem::path& target) {
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

// False, with the system's words for the error in `why` when asked.
bool failed(std::string* why, int error) {
  if (why) *why = std::strerror(error != 0 ? error : EIO);
  return false;
}

#if defined(__unix__) || defined(__APPLE__)

// The one temporary name of a target, which every write of it uses in turn:
// what a killed run left there is taken over by the next write of the file.
std::filesystem::path sharedBeside(const std::filesystem::path& target) {
  std::filesystem::path name = "." + target.filename().string() + ".tmp";
  return target.has_parent_path() ? target.parent_path() / name : name;
}

// Sets errno on every failure, a write that makes no progress included.
bool writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = EIO;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The shared temporary file, emptied, locked for this write alone; -1 when
// another writer holds it, or when it is anything but a plain file of its own
// (a pipe, which would take the content and never give it back, or a file with
// another name, whose content would change under it). The open never waits: a
// pipe without a reader refuses it at once. The lock dies with the process
// that held it, so a killed run's file is free to reuse.
int openShared(const std::filesystem::path& temporary) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    struct stat held {};
    if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode) || held.st_nlink != 1) {
      ::close(fd);
      return -1;
    }
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd, F_SETLK, &lock) != 0) {
      ::close(fd);
      return -1;
    }
    // Between the open and the lock the writer before may have renamed this
    // file into place, and another may have made a new one under the name:
    // the lock must hold the file that the name still gives.
    struct stat named {};
    if (::lstat(temporary.c_str(), &named) == 0 && held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
      if (::ftruncate(fd, 0) == 0) return fd;
      ::close(fd);
      return -1;
    }
    ::close(fd);
  }
  return -1;
}

bool writeBeside(const std::filesystem::path& target, std::optional<std::filesystem::perms> keep,
                 const std::vector<std::uint8_t>& bytes, std::string* why) {
  std::filesystem::path temporary = sharedBeside(target);
  int fd = openShared(temporary);
  if (fd < 0) {
    temporary = uniqueBeside(target);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return failed(why, errno);
  }
  // Keep the old file's permissions (a private save stays private).
  if (keep) ::fchmod(fd, static_cast<mode_t>(*keep) & 07777);
  // Renamed while the file is still open, and so locked: no other writer can
  // take the name over before it is gone.
  int error = 0;
  if (!writeAll(fd, bytes) || ::fsync(fd) != 0 || std::rename(temporary.c_str(), target.c_str()) != 0) {
    error = errno;
    ::unlink(temporary.c_str());
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  return error == 0 || failed(why, error);
}

#else

bool writeBeside(const std::filesystem::path& target, std::optional<std::filesystem::perms> keep,
                 const std::vector<std::uint8_t>& bytes, std::string* why) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path temporary = uniqueBeside(target);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return failed(why, errno);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    out.close();
    if (out.fail()) {
      const int error = errno;
      fs::remove(temporary, ec);
      return failed(why, error);
    }
  }
  if (keep) fs::permissions(temporary, *keep, fs::perm_options::replace, ec);
  fs::rename(temporary, target, ec);
  if (ec) {
    if (why) *why = ec.message();
    fs::remove(temporary, ec);
    return false;
  }
  return true;
}

#endif

// The whole file, or the reason it cannot be had. Only a regular file has an
// end to read to: a folder fails on its first read, a device may never end, and
// a pipe may never deliver.
enum class Read { Ok, NotEmbedded, Absent, NotRegular, CannotOpen, TooLarge, Failed };

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
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (status.type() == std::filesystem::file_type::not_found) return Read::Absent;
  if (ec) return Read::CannotOpen;
  if (!std::filesystem::is_regular_file(status)) return Read::NotRegular;
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) return Read::CannotOpen;
  if (std::filesystem::file_size(path, ec) > limit && !ec) return Read::TooLarge;
  // The limit is also counted as the bytes come, for a file that grows while
  // it is read. A read error (a failing disk or share) ends in the stream's
  // bad state: what came before it is not the whole file.
  char chunk[1 << 16];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    if (static_cast<std::uintmax_t>(in.gcount()) > limit - bytes.size()) {
      bytes.clear();
      return Read::TooLarge;
    }
    bytes.insert(bytes.end(), chunk, chunk + in.gcount());
    if (!in) break;
  }
  if (in.bad()) {
    bytes.clear();
    return Read::Failed;
  }
  return Read::Ok;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> readFile(const std::filesystem::path& path) {
  std::vector<std::uint8_t> bytes;
  switch (readBytes(path, std::numeric_limits<std::uintmax_t>::max(), bytes)) {
    case Read::Ok: return bytes;
    case Read::NotEmbedded: log(LogLevel::Error, "%s is not embedded", path.string().c_str()); break;
    case Read::Absent:
    case Read::NotRegular:
    case Read::CannotOpen:
    case Read::TooLarge: log(LogLevel::Error, "cannot open %s", path.string().c_str()); break;
    case Read::Failed: log(LogLevel::Error, "cannot read %s", path.string().c_str()); break;
  }
  return std::nullopt;
}

std::optional<std::string> readTextFile(const std::filesystem::path& path) {
  auto bytes = readFile(path);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

std::optional<std::string> readInputText(const std::filesystem::path& path, std::uintmax_t limit,
                                         InputFailure* failure) {
  std::vector<std::uint8_t> bytes;
  const Read read = readBytes(path, limit, bytes);
  if (read == Read::Ok) return std::string(bytes.begin(), bytes.end());
  if (failure) {
    switch (read) {
      case Read::NotEmbedded:
      case Read::Absent: *failure = InputFailure::Absent; break;
      case Read::NotRegular: *failure = InputFailure::NotRegular; break;
      case Read::TooLarge: *failure = InputFailure::TooLarge; break;
      default: *failure = InputFailure::Unreadable; break;
    }
  }
  return std::nullopt;
}

bool writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  if (path.has_parent_path()) {
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
  }
  if (replaceFile(path, bytes)) return true;
  log(LogLevel::Error, "cannot write %s", path.string().c_str());
  return false;
}

bool replaceFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes, std::string* why) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path target = path;
  if (fs::is_symlink(path, ec)) {
    // Replace what the link points to, not the link itself.
    fs::path resolved = fs::canonical(path, ec);
    if (!ec) target = resolved;
  }
  const fs::file_status status = fs::status(target, ec);
  if (fs::is_directory(status)) return failed(why, EISDIR);
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    // A pipe may never be read and a device may never take the bytes, so the
    // write could wait for good; and a file renamed over either would take a
    // name that is not ours to take.
    if (why) *why = "not a regular file";
    return false;
  }
  // The new content goes to a file beside the target and replaces it in one
  // rename only once it is wholly written (and, where the system can say so,
  // on the disk), so a full disk, a crash or a kill halfway leaves the
  // previous file as it was.
  return writeBeside(target, fs::exists(status) ? std::optional<fs::perms>(status.permissions()) : std::nullopt,
                     bytes, why);
}

}  // namespace core
