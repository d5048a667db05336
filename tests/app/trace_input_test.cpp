// Trace folders from outside: input outside the format ends the replay with a
// message and exit code 2, and random damage to any of the three files never
// makes it fail uncontrolled (these run under the sanitizers too).

#include <fstream>
#include <random>
#include <sstream>

#include "trace_fixture.h"

namespace tracetest {
namespace {

std::string slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void spill(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

TEST_F(TraceTest, InputOutsideTheFormatIsRefusedWithAMessage) {
  const std::vector<std::tuple<const char*, std::string, std::string>> cases = {
      {"state.jsonl", "[1, 2]", "row 5 of state.jsonl: not an object"},
      {"state.jsonl", R"({"room": "3"})", "row 5 of state.jsonl: \"room\" is not an integer"},
      {"state.jsonl", R"({"step": 1.5})", "row 5 of state.jsonl: \"step\" is not an integer"},
      {"state.jsonl", R"({"frame": 18446744073709551615})", "row 5 of state.jsonl: \"frame\" is not an integer"},
      {"state.jsonl", R"({"pstate": true})", "row 5 of state.jsonl: \"pstate\" is not an integer"},
      {"state.jsonl", R"({"held_read": "5"})", "row 5 of state.jsonl: \"held_read\" is neither an integer nor null"},
      {"run.json", "[1]", "run.json is not an object"},
      {"run.json", R"({"pokes": "0:5D16=01"})", "\"pokes\" in run.json is not an array"},
      {"run.json", R"({"pokes": ["0:5D16=01", 5]})", "poke 1 in run.json is not a string"},
      {"run.json", R"({"pokes": ["x:5D16=01"]})", "poke 0 in run.json has no frame number before \":\""},
      {"run.json", R"({"pokes": ["5:zz=01"]})", "poke 0 in run.json has no address between \":\" and \"=\""},
      {"run.json", R"({"pokes": ["5=01:5D16"]})", "poke 0 in run.json has no address between \":\" and \"=\""},
      {"run.json", R"({"pokes": ["5:5D16=0g"]})", "poke 0 in run.json has a byte that is not two hexadecimal digits"},
      {"run.json", R"({"outcomes": {}})", "\"outcomes\" in run.json is not an array"},
      {"run.json", R"({"outcomes": [{"after_step": "5"}]})",
       "outcome 0 in run.json is not an object with an integer \"after_step\" and a text \"outcome\""},
      {"run.json", R"({"outcomes": [{"outcome": 2}]})",
       "outcome 0 in run.json is not an object with an integer \"after_step\" and a text \"outcome\""},
      // Refused before a value is built: copying it would exhaust the stack.
      {"run.json", std::string(1000000, '[') + std::string(1000000, ']'), "run.json nests deeper than 64 levels"},
      {"state.jsonl", "{\"step\": " + std::string(100000, '[') + std::string(100000, ']') + "}",
       "bad line in state.jsonl"},
  };
  for (const auto& [file, text, message] : cases) {
    SCOPED_TRACE(text.substr(0, 80));
    const fs::path t = newGameTrace("t", 5);
    if (std::string(file) == "run.json") spill(t / file, text);
    else std::ofstream(t / file, std::ios::app) << text << "\n";
    const Replayed r = replay(t, from(0));
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "[error] " + t.string() + ": " + message + "\n");
  }
  // A run.json that is no JSON at all describes nothing, as if absent.
  const fs::path t = newGameTrace("t", 5);
  spill(t / "run.json", "{\"pokes\": [");
  EXPECT_EQ(replay(t, from(0)).code, 0);
}

class Damage {
 public:
  explicit Damage(std::uint32_t seed) : rng_(seed) {}
  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  std::string text(std::string s) {
    static const std::string kBytes = "{}[],:\"=0123456789abcdefABCDEF-.e nul\x01\xff";
    for (int n = 1 + below(3); n > 0 && !s.empty(); --n) {
      const auto at = static_cast<std::size_t>(below(static_cast<int>(s.size())));
      switch (below(3)) {
        case 0: s[at] = kBytes[static_cast<std::size_t>(below(static_cast<int>(kBytes.size())))]; break;
        case 1: s.insert(at, 1, kBytes[static_cast<std::size_t>(below(static_cast<int>(kBytes.size())))]); break;
        default: s.erase(at, static_cast<std::size_t>(below(8))); break;
      }
    }
    return s;
  }

  // The pointers and record bytes a load follows, and anything else.
  void snapshot(std::vector<std::uint8_t>& d) {
    static const std::size_t kPointers[] = {0x210C, 0x210E, 0x63A1, 0x58FB, 0x58FD, 0x5AA7, 0x5AB5,
                                            0x5AB9, 0x771C, 0x5D14, 0x5C65 + 7, 0x90DD + 3, 0x90DD + 15 * 9 + 7};
    static const std::uint16_t kValues[] = {0, 1, 0xFFFF, 0x97DF, 0x97E0, 0x9200, 0x6AA1, 0x6CB1, 0x5BCD, 0x5C65};
    for (int n = 1 + below(3); n > 0; --n) {
      const std::size_t at = below(2) ? kPointers[below(std::size(kPointers))] : static_cast<std::size_t>(below(38879));
      const std::uint16_t v = below(2) ? kValues[below(std::size(kValues))] : static_cast<std::uint16_t>(below(65536));
      d[at] = static_cast<std::uint8_t>(v);
      if (below(2)) d[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
  }

 private:
  std::mt19937 rng_;
};

TEST_F(TraceTest, DamagedTracesNeverFailUncontrolled) {
  constexpr int kRounds = 160;
  constexpr std::size_t kRows = 8;
  const fs::path base = newGameTrace("base", kRows);
  // Pokes into flags that are not compared, so that the undamaged trace matches.
  spill(base / "run.json", R"({"pokes": ["2:6407=01", "3:6410=0102"], "outcomes": [{"after_step": 9, "outcome": ""}]})");
  const std::string rows = slurp(base / "state.jsonl");
  const std::string run = slurp(base / "run.json");
  const std::string dgroup = slurp(base / "dgroup.bin");
  Damage damage(20240611);
  std::array<int, 4> codes{};
  for (int round = 0; round < kRounds; ++round) {
    const fs::path t = dir() / "t";
    fs::create_directories(t);
    std::string snapshots = dgroup;
    const int what = damage.below(4);
    spill(t / "state.jsonl", what == 0 ? damage.text(rows) : rows);
    spill(t / "run.json", what == 1 ? damage.text(run) : run);
    if (what >= 2) {
      const std::size_t row = damage.below(2) ? 0 : static_cast<std::size_t>(damage.below(kRows));
      std::vector<std::uint8_t> d(snapshots.begin() + static_cast<long>(row * kSnapshotSize),
                                  snapshots.begin() + static_cast<long>((row + 1) * kSnapshotSize));
      damage.snapshot(d);
      std::copy(d.begin(), d.end(), snapshots.begin() + static_cast<long>(row * kSnapshotSize));
      if (what == 3) snapshots.resize(static_cast<std::size_t>(damage.below(static_cast<int>(snapshots.size()))));
    }
    spill(t / "dgroup.bin", snapshots);
    app::ReplayOptions options = from(damage.below(3) ? -1 : damage.below(static_cast<int>(kRows)), damage.below(4) == 0);
    options.verbose = damage.below(2) == 0;
    const Replayed r = replay(t, options);
    ASSERT_GE(r.code, 0) << "round " << round;
    ASSERT_LE(r.code, 3) << "round " << round;
    ++codes[static_cast<std::size_t>(r.code)];
  }
  // The damage reaches every outcome, not only the first check.
  for (int code = 0; code < 4; ++code) EXPECT_GT(codes[static_cast<std::size_t>(code)], 0) << "exit code " << code;
}

}  // namespace
}  // namespace tracetest
