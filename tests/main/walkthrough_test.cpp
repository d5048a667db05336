// The shipped game played through the tools: the walkthrough route won by the
// autopilot, its recording replayed to the ending, and every line the
// characters say on the way, compared with a listing kept beside the tests.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "executable.h"

namespace {

namespace fs = std::filesystem;
using maintest::ProcessResult;
using maintest::slurp;

class Walkthrough : public maintest::Executable {};

const fs::path kRoot = TUMBOLD_SOURCE_DIR;
const fs::path kRecordings = kRoot / "tests" / "sim" / "data";
const fs::path kGolden = kRoot / "tests" / "main" / "golden";

// The first line where two texts differ, both sides shown.
std::string firstDifference(const std::string& expected, const std::string& actual) {
  std::istringstream e(expected), a(actual);
  std::string le, la;
  for (int line = 1;; ++line) {
    const bool moreE = static_cast<bool>(std::getline(e, le));
    const bool moreA = static_cast<bool>(std::getline(a, la));
    if (!moreE && !moreA) return "no difference";
    if (!moreE || !moreA || le != la) {
      return "line " + std::to_string(line) + ":\n  expected: " + (moreE ? le : "(end)") +
             "\n  actual:   " + (moreA ? la : "(end)");
    }
  }
}

// The search plays hundreds of thousands of steps: too slow for a build without
// optimisation, which replays what it made instead.
TEST_F(Walkthrough, TheRoutesPlayTheShippedGameAndMakeTheirRecordings) {
  if (!TUMBOLD_OPTIMISED) GTEST_SKIP() << "the routes are searched in the optimised build";
  for (const char* name : {"win", "lose"}) {
    const std::string steps = std::string(name) + ".steps";
    const ProcessResult r =
        run({"--autopilot", (kRecordings / (std::string(name) + ".route")).string(), "--out", steps});
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("route complete: "), std::string::npos) << r.out;
    const std::string made = slurp(dir_ / steps);
    const std::string kept = slurp(kRecordings / steps);
    EXPECT_TRUE(made == kept) << "tests/sim/data/" << steps << " is not what " << name
                              << ".route plays now; remake it as the route file says.\n"
                              << firstDifference(kept, made);
  }
}

TEST_F(Walkthrough, TheRecordingsReplayToTheirEndThroughTheAutopilot) {
  const struct {
    const char* steps;
    const char* end;
  } cases[] = {{"win.steps", "expect ending\n"}, {"lose.steps", "expect gameover\n"}};
  for (const auto& c : cases) {
    std::ofstream(dir_ / "end.route") << c.end;
    const ProcessResult r =
        run({"--autopilot", "end.route", "--resume", (kRecordings / c.steps).string(), "--out", "again.steps"});
    EXPECT_EQ(r.code, 0) << c.steps << "\n" << r.out << r.err;
    EXPECT_EQ(r.out.rfind("resumed ", 0), 0u) << r.out;
    // Written back, the steps are the recording's own.
    const std::string again = slurp(dir_ / "again.steps");
    const std::string kept = slurp(kRecordings / c.steps);
    EXPECT_EQ(again.substr(again.find('(')), kept.substr(kept.find('('))) << c.steps;
  }
}

// Every bubble of the play-through, in order, as the listing writes it; after
// a change of texts or of the route, check the new listing and copy it over.
TEST_F(Walkthrough, TheBubblesOfTheWinAreTheListingKeptBesideTheTests) {
  const ProcessResult r =
      run({"--list-bubbles", "win_bubbles.jsonl", "--start-steps", (kRecordings / "win.steps").string()});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string listed = slurp(dir_ / "win_bubbles.jsonl");
  const std::string kept = slurp(kGolden / "win_bubbles.jsonl");
  if (listed != kept) {
    const fs::path diff = fs::path(TUMBOLD_BINARY_DIR) / "golden-diff" / "main" / "win_bubbles.jsonl";
    fs::create_directories(diff.parent_path());
    std::ofstream(diff, std::ios::binary) << listed;
    ADD_FAILURE() << "the bubble listing differs from tests/main/golden/win_bubbles.jsonl; the new one is "
                  << diff.string() << "\n"
                  << firstDifference(kept, listed);
  }
  EXPECT_NE(r.err.find(" bubbles -> win_bubbles.jsonl"), std::string::npos) << r.err;
}

}  // namespace
