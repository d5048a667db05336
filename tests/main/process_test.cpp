// Runs the built executable as a child process.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

struct ProcessResult {
  int code = -1;
  std::string out;
  std::string err;
};

std::string quoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class Executable : public ::testing::Test {
 protected:
  // Runs in the temporary folder so that nothing lands in the source tree.
  ProcessResult run(const std::vector<std::string>& args) {
    std::string command = "cd " + quoted(dir_.string()) + " && " + quoted(TUMBOLD_EXECUTABLE);
    for (const std::string& a : args) command += " " + quoted(a);
    command += " >" + quoted((dir_ / "stdout.txt").string()) + " 2>" + quoted((dir_ / "stderr.txt").string());
    ProcessResult r;
    const int status = std::system(command.c_str());
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = slurp(dir_ / "stdout.txt");
    r.err = slurp(dir_ / "stderr.txt");
    return r;
  }

  // A data folder that the root search accepts but whose files do not load.
  fs::path markerOnlyData() {
    const fs::path data = dir_ / "data";
    fs::create_directories(data / "assets" / "graphics");
    std::ofstream(data / "assets" / "graphics" / "tiles.json") << "{}";
    return data;
  }

  testsupport::ScratchDir scratch_{"tumbold_main"};
  const fs::path dir_ = scratch_.path();
};

TEST_F(Executable, VersionPrintsOneLineAndIgnoresWhatFollows) {
  const ProcessResult r = run({"--version", "nonsense"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "Quillhaven (DOS remake) 1.0.0\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(Executable, AnUnknownArgumentEndsWithCodeTwo) {
  const ProcessResult r = run({"--viewer", "nonsense", "--version"});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "[error] unknown argument nonsense\n");
}

TEST_F(Executable, AMissingDataFolderEndsWithCodeOne) {
  const std::string missing = (dir_ / "nowhere").string();
  const ProcessResult r = run({"--data", missing});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "[error] " + missing + " does not contain assets/graphics/tiles.json\n");
}

TEST_F(Executable, DataThatDoesNotLoadEndsWithCodeOneAfterTryingAllThreeFiles) {
  const ProcessResult r = run({"--data", markerOnlyData().string(), "--render-room", "2", "--out", "x.png"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("vga.json"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("world.json"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir_ / "x.png"));
}

TEST_F(Executable, DataFreeModesRunWithoutLoadingTheData) {
  const fs::path data = markerOnlyData();
  for (const std::vector<std::string>& mode :
       {std::vector<std::string>{"--render-tune", "0", "--seconds", "0.01", "--out", "t.wav"},
        std::vector<std::string>{"--opl-replay", "missing.log", "--out", "o.txt"},
        std::vector<std::string>{"--crt-test", "missing.png", "--out", "crt"}}) {
    std::vector<std::string> args = {"--data", data.string()};
    args.insert(args.end(), mode.begin(), mode.end());
    const ProcessResult r = run(args);
    EXPECT_EQ(r.err.find("world.json"), std::string::npos) << mode[0] << ": " << r.err;
    EXPECT_EQ(r.err.find("vga.json"), std::string::npos) << mode[0] << ": " << r.err;
  }
}

}  // namespace
