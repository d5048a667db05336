#include <gtest/gtest.h>
#include <sys/resource.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/data_root.h"
#include "core/embedded.h"
#include "core/files.h"
#include "core/json.h"
#include "core/log.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder under the system temporary folder, removed with the fixture.
class TempDir : public testsupport::ScratchDir {
 public:
  TempDir() : ScratchDir("tumbold_core") {}
};

void touch(const fs::path& file) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << "{}";
}

}  // namespace

TEST(Log, PrefixesTheLevelNameAndEndsTheLine) {
  ::testing::internal::CaptureStderr();
  core::log(core::LogLevel::Info, "a %d", 1);
  core::log(core::LogLevel::Warn, "b");
  core::log(core::LogLevel::Error, "c %s", "x");
  core::log(static_cast<core::LogLevel>(7), "d");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[info] a 1\n[warn] b\n[error] c x\n[error] d\n");
}

TEST(EmbeddedTable, IsSortedByNameBytesAndEndsWithTheMark) {
  const core::EmbeddedFile* previous = nullptr;
  for (const core::EmbeddedFile* e = core::kEmbeddedFiles; e->name != nullptr; ++e) {
    if (previous != nullptr) {
      EXPECT_LT(std::strcmp(previous->name, e->name), 0);
    }
    EXPECT_EQ(core::embeddedFile(e->name), e);
    previous = e;
  }
  EXPECT_STREQ(core::kEmbeddedRoot, "<embedded>");
}

TEST(EmbeddedTable, ServesTheDataFoldersByteForByte) {
  const fs::path source = TUMBOLD_SOURCE_DIR;
  int count = 0;
  for (const core::EmbeddedFile* e = core::kEmbeddedFiles; e->name != nullptr; ++e, ++count) {
    auto disk = core::readFile(source / e->name);
    auto embedded = core::readFile(std::string("<embedded>/") + e->name);
    ASSERT_TRUE(disk && embedded) << e->name;
    EXPECT_EQ(*disk, *embedded) << e->name;
  }
  int onDisk = 0;
  for (const char* folder : {"assets", "world"}) {
    if (!fs::exists(source / folder)) continue;
    for (const auto& item : fs::recursive_directory_iterator(source / folder))
      if (item.is_regular_file()) ++onDisk;
  }
  EXPECT_EQ(count, onDisk);
}

TEST(EmbeddedTable, NamesMatchExactly) {
  EXPECT_EQ(core::embeddedFile("assets/graphics/Tiles.json"), nullptr);
  EXPECT_EQ(core::embeddedFile("./assets/graphics/tiles.json"), nullptr);
  EXPECT_EQ(core::embeddedFile(""), nullptr);
}

TEST(ReadFile, ReportsWhatIsNotEmbedded) {
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(core::readFile("<embedded>/no/such/file"));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[error] <embedded>/no/such/file is not embedded\n");
}

TEST(ReadFile, DiskFiles) {
  TempDir dir;
  // Nothing but a regular file is read: a folder would throw from the stream
  // buffer, a pipe would wait for a writer, a device might never end.
  fs::create_directories(dir.path() / "folder");
  ASSERT_EQ(::mkfifo((dir.path() / "pipe").c_str(), 0600), 0);
  fs::create_symlink(dir.path() / "folder", dir.path() / "to_folder");
  fs::create_symlink(dir.path() / "gone", dir.path() / "dangling");
  for (const fs::path& bad : {dir.path() / "missing", dir.path() / "folder", dir.path() / "pipe",
                              dir.path() / "to_folder", dir.path() / "dangling", fs::path("/dev/zero")}) {
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(core::readFile(bad)) << bad;
    EXPECT_FALSE(core::readTextFile(bad)) << bad;
    const std::string line = "[error] cannot open " + bad.string() + "\n";
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), line + line);
  }

  std::ofstream(dir.path() / "empty").close();
  auto empty = core::readFile(dir.path() / "empty");
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->empty());

  std::vector<std::uint8_t> bytes{0, 1, 2, 255, '\r', '\n'};
  ASSERT_TRUE(core::writeFile(dir.path() / "a" / "b" / "c.bin", bytes));
  EXPECT_EQ(core::readFile(dir.path() / "a" / "b" / "c.bin"), bytes);
  EXPECT_EQ(core::readTextFile(dir.path() / "a" / "b" / "c.bin"), std::string(bytes.begin(), bytes.end()));

  ASSERT_TRUE(core::writeFile(dir.path() / "a" / "b" / "c.bin", {}));
  EXPECT_EQ(fs::file_size(dir.path() / "a" / "b" / "c.bin"), 0u);
}

// A tool's input: the file whole within the limit, nothing beyond it, and no
// line of its own (the mode names the file in its words).
TEST(ReadInputText, RefusesWhatIsLargerThanTheLimitWithoutALine) {
  TempDir dir;
  std::ofstream(dir.path() / "abc") << "abc";
  const core::EmbeddedFile* vga = core::embeddedFile("assets/palettes/vga.json");
  const std::string palette(reinterpret_cast<const char*>(vga->data), vga->size);
  const std::tuple<fs::path, std::uintmax_t, std::optional<std::string>> cases[] = {
      {dir.path() / "abc", 3, "abc"},  {dir.path() / "abc", 2, std::nullopt},
      {"/dev/zero", 9, std::nullopt}, {"<embedded>/assets/palettes/vga.json", vga->size, palette},
      {"<embedded>/assets/palettes/vga.json", vga->size - 1, std::nullopt}};
  for (const auto& [path, limit, text] : cases) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(core::readInputText(path, limit), text) << path << " within " << limit;
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << path;
  }
}

// Every JSON reader parses through parseJson, which refuses deep nesting
// before it builds a value; brackets inside strings do not count.
TEST(ParseJson, RefusesNestingDeeperThanTheLimit) {
  const auto nested = [](std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
  const std::tuple<std::string, bool, bool> cases[] = {  // text, parsed, too deep
      {nested(core::kMaxJsonDepth), true, false},
      {"{\"a\": [{\"b\": " + nested(core::kMaxJsonDepth - 2) + "}]}", false, true},
      {std::string(1000000, '{'), false, true},
      {"[\"\\\"" + std::string(100, '{') + "\"]", true, false},       // after an escaped quote
      {"[\"\\\\\"" + nested(core::kMaxJsonDepth) + "]", false, true},  // an escaped backslash ends no string
      {"]]]" + nested(3), false, false},
  };
  for (const auto& [text, parsed, deep] : cases) {
    bool tooDeep = !deep;
    EXPECT_EQ(!core::parseJson(text, &tooDeep).is_discarded(), parsed) << text.substr(0, 80);
    EXPECT_EQ(tooDeep, deep) << text.substr(0, 80);
  }
}

// Every loader reads its numbers through readWholeNumber: values of a damaged
// file at the edges of 64 bits must land on a bound, never be converted out of range.
TEST(ReadWholeNumber, TruncatesAndBoundsEveryKindOfNumber) {
  using core::NumberFit;
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  const std::tuple<const char*, std::int64_t, std::int64_t, bool, NumberFit, std::int64_t> cases[] = {
      // text, min, max, integers only, fit, out (7 when left alone)
      {"5", 0, 10, false, NumberFit::Inside, 5},
      {"-3", 0, 10, false, NumberFit::Outside, 0},
      {"-2.9", -2, 10, false, NumberFit::Inside, -2},
      {"10.9", 0, 10, false, NumberFit::Inside, 10},
      {"11.0", 0, 10, false, NumberFit::Outside, 10},
      {"2.5", 0, 10, true, NumberFit::NoNumber, 7},
      {"true", 0, 10, false, NumberFit::NoNumber, 7},
      {"\"5\"", 0, 10, false, NumberFit::NoNumber, 7},
      {"18446744073709551615", kMin, kMax, true, NumberFit::Outside, kMax},
      {"9223372036854775807", kMin, kMax, true, NumberFit::Inside, kMax},
      {"-9223372036854775808", kMin, kMax, true, NumberFit::Inside, kMin},
      {"9.3e18", kMin, kMax, false, NumberFit::Outside, kMax},
      {"-9.3e18", kMin, kMax, false, NumberFit::Outside, kMin},
      {"-9223372036854775808.0", kMin, kMax, false, NumberFit::Inside, kMin},
  };
  for (const auto& [text, min, max, integersOnly, fit, expected] : cases) {
    std::int64_t out = 7;
    EXPECT_EQ(core::readWholeNumber(core::parseJson(text), min, max, out, integersOnly), fit) << text;
    EXPECT_EQ(out, expected) << text;
  }
}

// Every failed write: one line naming the target, false, the previous content
// (if any) intact and no temporary file left behind.
TEST(WriteFile, AFailedWriteLeavesThePreviousFileAndNoLeftovers) {
  TempDir dir;
  const std::vector<std::uint8_t> old{'o', 'l', 'd'};
  const std::vector<std::uint8_t> big(256 * 1024, 7);
  struct Case {
    const char* name;
    std::function<fs::path()> prepare;  // returns the target; empty path skips the case
  };
  const Case cases[] = {
      {"a folder", [&] {
         fs::create_directories(dir.path() / "folder");
         return dir.path() / "folder";
       }},
      {"under a regular file", [&] {
         std::ofstream(dir.path() / "plain") << "x";
         return dir.path() / "plain" / "child.json";
       }},
      {"in a read-only folder", [&]() -> fs::path {
         const fs::path folder = dir.path() / "readonly";
         fs::create_directories(folder);
         EXPECT_TRUE(core::writeFile(folder / "save.json", old));
         fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
         // Permissions do not hold back a privileged user.
         if (std::ofstream(folder / "probe")) return {};
         return folder / "save.json";
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path target = c.prepare();
    if (target.empty()) continue;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(core::writeFile(target, big));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[error] cannot write " + target.string() + "\n");
    if (fs::is_regular_file(target)) {
      EXPECT_EQ(core::readFile(target), old);
    }
  }

  // A full disk in the middle of the write: the file size limit stands in for it.
  const fs::path save = dir.path() / "slot" / "save.json";
  ASSERT_TRUE(core::writeFile(save, old));
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 4096;
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  ::testing::internal::CaptureStderr();
  const bool written = core::writeFile(save, big);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(written);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[error] cannot write " + save.string() + "\n");
  EXPECT_EQ(core::readFile(save), old);

  std::vector<std::string> left;
  for (const auto& item : fs::recursive_directory_iterator(dir.path()))
    if (item.path().extension() == ".tmp") left.push_back(item.path().string());
  EXPECT_TRUE(left.empty()) << left.front();
}

TEST(WriteFile, ReplacesTheContentWholeAndLeavesDevicesAlone) {
  TempDir dir;
  const fs::path target = dir.path() / "settings.json";
  ASSERT_TRUE(core::writeFile(target, std::vector<std::uint8_t>(1000, 'a')));
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(core::writeFile(target, {'b'}));
  EXPECT_EQ(core::readFile(target), std::vector<std::uint8_t>{'b'});
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

  // Through a link the file it points to gets the content, and the link stays.
  fs::create_symlink(target, dir.path() / "link.json");
  ASSERT_TRUE(core::writeFile(dir.path() / "link.json", {'c'}));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link.json"));
  EXPECT_EQ(core::readFile(target), std::vector<std::uint8_t>{'c'});
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);

  // A device is neither written into (it might never take the bytes) nor replaced.
  for (const char* device : {"/dev/full", "/dev/null"}) {
    if (!fs::is_character_file(device)) continue;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(core::writeFile(device, {1, 2, 3}));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), std::string("[error] cannot write ") + device + "\n");
    EXPECT_TRUE(fs::is_character_file(device));
  }
}

TEST(WriteFile, TheTemporaryFileOfAnotherWriterAtWorkIsLeftToIt) {
  TempDir dir;
  const fs::path theirs = dir.path() / ".settings.json.tmp";
  int ready[2];
  int done[2];
  ASSERT_EQ(::pipe(ready) | ::pipe(done), 0);
  const pid_t writer = ::fork();
  if (writer == 0) {  // another process in the middle of writing the same file
    const int fd = ::open(theirs.c_str(), O_WRONLY | O_CREAT, 0600);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    char c = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0 && ::write(fd, "theirs", 6) == 6 ? 'y' : 'n';
    ::_exit(::write(ready[1], &c, 1) == 1 && ::read(done[0], &c, 1) == 1 ? 0 : 1);
  }
  char c = 0;
  ASSERT_TRUE(::read(ready[0], &c, 1) == 1 && c == 'y');
  EXPECT_TRUE(core::writeFile(dir.path() / "settings.json", {'o', 'u', 'r', 's'}));
  EXPECT_EQ(core::readTextFile(dir.path() / "settings.json"), "ours");
  EXPECT_EQ(core::readTextFile(theirs), "theirs");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
  EXPECT_EQ(::write(done[1], "x", 1), 1);
  ::waitpid(writer, nullptr, 0);
  for (int fd : {ready[0], ready[1], done[0], done[1]}) ::close(fd);
}

TEST(FindDataRoot, ExplicitFolderIsTheOnlyCandidate) {
  TempDir dir;
  touch(dir.path() / "exe" / "assets" / "graphics" / "tiles.json");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(core::findDataRoot((dir.path() / "none").string(), dir.path() / "exe"));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[error] " + (dir.path() / "none").string() + " does not contain assets/graphics/tiles.json\n");
  EXPECT_EQ(core::findDataRoot((dir.path() / "exe").string(), "/"), dir.path() / "exe");
}

TEST(FindDataRoot, RelativeExplicitFolderStaysRelative) {
  TempDir dir;
  touch(dir.path() / "data" / "assets" / "graphics" / "tiles.json");
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  auto root = core::findDataRoot("data", "/");
  fs::current_path(before);
  ASSERT_TRUE(root);
  EXPECT_EQ(*root, fs::path("data"));
}

TEST(FindDataRoot, WalksUpFromTheExecutableBeforeTheCurrentFolder) {
  TempDir dir;
  touch(dir.path() / "top" / "assets" / "graphics" / "tiles.json");
  touch(dir.path() / "cwd" / "assets" / "graphics" / "tiles.json");
  fs::create_directories(dir.path() / "top" / "a" / "b");
  const fs::path before = fs::current_path();
  fs::current_path(dir.path() / "cwd");
  auto root = core::findDataRoot("", dir.path() / "top" / "a" / "b");
  fs::current_path(before);
  ASSERT_TRUE(root);
  EXPECT_EQ(*root, dir.path() / "top");
}

TEST(FindDataRoot, FallsBackToTheEmbeddedTable) {
  TempDir dir;
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  ::testing::internal::CaptureStderr();
  auto root = core::findDataRoot("", dir.path());
  const std::string err = ::testing::internal::GetCapturedStderr();
  fs::current_path(before);
  if (core::embeddedFile("assets/graphics/tiles.json") != nullptr) {
    ASSERT_TRUE(root);
    EXPECT_EQ(*root, fs::path("<embedded>"));
    EXPECT_EQ(err, "");
  } else {
    EXPECT_FALSE(root);
    EXPECT_EQ(err, "[error] cannot find the project data (assets/, world/); pass --data <dir>\n");
  }
}
