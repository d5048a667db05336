#pragma once

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

namespace testsupport {

// A fresh, empty folder for the running test (under the system's temporary
// folder unless another base is given), removed with the object. The name
// carries the process id, a count and the test's own name, so that parallel
// runs (a normal and a sanitizer build, say) and several folders in one test
// never share a folder.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& tag,
                      const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
    std::string name = tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++);
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info())
      name += std::string("_") + info->test_suite_name() + "_" + info->name();
    std::replace(name.begin(), name.end(), '/', '_');  // parameterised test names
    path_ = base / name;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    // A test may have taken the write permission away to provoke a failure.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

}  // namespace testsupport
