#pragma once

// The built executable run as a child process in a scratch folder, with its
// exit code and both output streams.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace maintest {

struct ProcessResult {
  int code = -1;
  std::string out;
  std::string err;
};

inline std::string quoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

inline std::string slurp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class Executable : public ::testing::Test {
 protected:
  // Runs in the scratch folder so that nothing lands in the source tree.
  // `shellFirst` (a ulimit) runs in the child's shell before the program; a
  // program still running after `seconds` (when positive) is killed.
  ProcessResult run(const std::vector<std::string>& args, const std::string& shellFirst = "", int seconds = 0) {
    std::string command = "cd " + quoted(dir_.string()) + " && (" + shellFirst + " exec " + quoted(TUMBOLD_EXECUTABLE);
    for (const std::string& a : args) command += " " + quoted(a);
    command += ") >" + quoted((dir_ / "stdout.txt").string()) + " 2>" + quoted((dir_ / "stderr.txt").string());
    if (seconds > 0)
      command += " & p=$!; (sleep " + std::to_string(seconds) + "; kill -9 $p) >/dev/null 2>&1 & w=$!; wait $p; c=$?;" +
                 " kill $w 2>/dev/null; exit $c";
    ProcessResult r;
    const int status = std::system(command.c_str());
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = slurp(dir_ / "stdout.txt");
    r.err = slurp(dir_ / "stderr.txt");
    return r;
  }

  testsupport::ScratchDir scratch_{"tumbold_main"};
  const std::filesystem::path dir_ = scratch_.path();
};

}  // namespace maintest
