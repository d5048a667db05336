// The save file: its exact text, the round trip, and what the reader makes of
// files that are not saves, of other versions, or damaged.

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/game/quick_save.h"
#include "core/files.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

void writeText(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

TEST(QuickSaveFile, WrittenCompactWithSortedKeysAndRunsOfNonZeroBytes) {
  testsupport::ScratchDir dir("tumbold_qs");
  app::QuickSave save;
  save.keys = {0, 0, 8, 8, 8, 0, 24};
  save.savedAt = 1772643909;
  save.check = {12, 100, 144, 7, 3, 46};
  const fs::path file = dir.path() / "deep" / "er" / "slot_1.json";
  ASSERT_TRUE(app::writeQuickSave(file, save));
  EXPECT_EQ(core::readTextFile(file).value_or(""),
            "{\"check\":{\"energy\":46,\"lives\":3,\"room\":12,\"score\":7,\"x\":100,\"y\":144},"
            "\"format\":\"tumbold-quicksave\",\"keys\":[[2,4,8],[6,6,24]],\"saved_at\":1772643909,"
            "\"steps\":7,\"version\":2}");

  // Every history comes back byte for byte, with its time and check values.
  const std::vector<std::vector<std::uint8_t>> histories = {
      {}, {0, 0, 0, 0}, {5}, {0, 0, 8, 8, 8, 0, 24}, {0x30, 0x30, 0x70, 1, 0}, std::vector<std::uint8_t>(5000, 9)};
  for (const auto& keys : histories) {
    save.keys = keys;
    save.check = {-1, -32768, 32767, 255, 0, 1};
    ASSERT_TRUE(app::writeQuickSave(file, save));
    const std::optional<app::QuickSave> back = app::readQuickSave(file);
    ASSERT_TRUE(back.has_value()) << keys.size();
    EXPECT_EQ(back->keys, keys);
    EXPECT_EQ(back->savedAt, save.savedAt);
    EXPECT_EQ(back->check, save.check);
  }
  save.keys = {};
  ASSERT_TRUE(app::writeQuickSave(file, save));
  EXPECT_NE(core::readTextFile(file)->find("\"keys\":[],\"saved_at\":1772643909,\"steps\":0"), std::string::npos);

  // A folder in the way of the file: false, nothing else.
  EXPECT_FALSE(app::writeQuickSave(dir.path() / "deep", save));
}

struct ReadCase {
  const char* what;
  std::string text;
  std::optional<std::vector<std::uint8_t>> keys;  // none: refused
  std::string log;                                // a part of the log, or "" for silence
  bool listed = false;  // damage in the runs alone, which the slot listing does not read
};

TEST(QuickSaveFile, ReaderCutsBadRunsAndRefusesWhatIsNoSave) {
  const std::string head = "{\"format\":\"tumbold-quicksave\",\"version\":2,";
  const std::string notASave = ": not a quick save";
  const std::vector<ReadCase> cases = {
      {"runs cut at the last step, past it or reversed ignored", head + "\"steps\":5,\"keys\":[[3,9,4],[5,5,1],[4,2,8]]}",
       std::vector<std::uint8_t>{0, 0, 0, 4, 4}, ""},
      {"elements of another length skipped, value modulo 256", head + "\"steps\":3,\"keys\":[[0,1],[0,0,0,0],7,[1,2,264]]}",
       std::vector<std::uint8_t>{0, 8, 8}, ""},
      {"later runs overwrite earlier ones", head + "\"steps\":4,\"keys\":[[0,3,1],[1,2,2]]}",
       std::vector<std::uint8_t>{1, 2, 2, 1}, ""},
      {"no steps, keys or check: an empty history", head + "\"x\":1}", std::vector<std::uint8_t>{}, ""},
      {"version 1 is read like 2", "{\"format\":\"tumbold-quicksave\",\"version\":1,\"steps\":2,\"keys\":[[0,1,16]]}",
       std::vector<std::uint8_t>{16, 16}, ""},
      {"version 3", "{\"format\":\"tumbold-quicksave\",\"version\":3,\"steps\":1}", std::nullopt,
       ": quick save version 3, expected 2"},
      {"no version", "{\"format\":\"tumbold-quicksave\",\"steps\":1}", std::nullopt, ": quick save version 0, expected 2"},
      {"another format", "{\"format\":\"tumbold-settings\",\"version\":2}", std::nullopt, notASave},
      {"no format", "{\"version\":2,\"steps\":0}", std::nullopt, notASave},
      {"format of another type", "{\"format\":7,\"version\":2}", std::nullopt, notASave},
      {"not JSON", "{\"format\":\"tumbold-quicksave\",", std::nullopt, notASave},
      {"an empty file", "", std::nullopt, notASave},
      {"an array", "[\"tumbold-quicksave\"]", std::nullopt, notASave},
      {"version as text", "{\"format\":\"tumbold-quicksave\",\"version\":\"2\"}", std::nullopt, notASave},
      {"steps as text", head + "\"steps\":\"7\"}", std::nullopt, notASave},
      {"saved_at as boolean", head + "\"saved_at\":true}", std::nullopt, notASave},
      {"keys as an object", head + "\"steps\":2,\"keys\":{\"0\":1}}", std::nullopt, notASave},
      {"a run of strings", head + "\"steps\":2,\"keys\":[[\"0\",\"1\",\"8\"]],\"saved_at\":5}", std::nullopt, notASave,
       true},
      {"a run with null", head + "\"steps\":2,\"keys\":[[0,1,null]],\"saved_at\":5}", std::nullopt, notASave, true},
      {"brackets and the key's name in strings", head + R"("a":"\"keys\":[","keys":[[0,0,"]"]],"saved_at":5})",
       std::nullopt, notASave, true},
      {"check as an array", head + "\"steps\":0,\"check\":[1,2,3,4,5,6]}", std::nullopt, notASave},
      {"a check value as text", head + "\"steps\":0,\"check\":{\"room\":\"3\"}}", std::nullopt, notASave},
      {"negative steps", head + "\"steps\":-1}", std::nullopt, notASave},
      {"more steps than any game", head + "\"steps\":100000001}", std::nullopt, notASave},
      {"more steps than a player reaches", head + "\"steps\":16777217}", std::nullopt, notASave},
      {"overlapping runs over the longest history",
       head + "\"steps\":16777216,\"keys\":[[0,16777215,1],[2,99999999,2],[0,16777215,3],[1,1,4],[16777215,16777215,5]]}",
       [] {
         std::vector<std::uint8_t> keys(16777216, 3);
         keys[1] = 4;
         keys[16777215] = 5;
         return keys;
       }(),
       ""},
      {"the largest number of steps", head + "\"steps\":18446744073709551615,\"keys\":[[0,18446744073709551615,1]]}",
       std::nullopt, notASave},
  };
  testsupport::ScratchDir dir("tumbold_qs");
  const fs::path file = dir.path() / "quicksave.json";
  for (const ReadCase& c : cases) {
    writeText(file, c.text);
    testing::internal::CaptureStderr();
    const std::optional<app::QuickSave> save = app::readQuickSave(file);
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_EQ(save.has_value(), c.keys.has_value()) << c.what;
    if (save) {
      EXPECT_TRUE(save->keys == *c.keys) << c.what;
    }
    // The listing's reading gives the same answer without the history, but
    // for runs it does not read.
    testing::internal::CaptureStderr();
    const std::optional<app::QuickSave> peeked = app::peekQuickSave(file);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.listed ? "" : log) << c.what;
    ASSERT_EQ(peeked.has_value(), save.has_value() || c.listed) << c.what;
    if (peeked) {
      EXPECT_TRUE(peeked->keys.empty()) << c.what;
      EXPECT_EQ(peeked->savedAt, save ? save->savedAt : 5) << c.what;
    }
    if (c.log.empty())
      EXPECT_EQ(log, "") << c.what;
    else
      EXPECT_EQ(log, "[error] " + file.string() + c.log + "\n") << c.what;
  }

  // Check values: absent ones are 0, present ones are read.
  writeText(file, head + "\"check\":{\"room\":4,\"energy\":9},\"saved_at\":17}");
  const std::optional<app::QuickSave> partial = app::readQuickSave(file);
  ASSERT_TRUE(partial);
  EXPECT_EQ(partial->check, (std::array<int, 6>{4, 0, 0, 0, 0, 9}));
  EXPECT_EQ(partial->savedAt, 17);

  // A missing file, or nothing at all, is no save and says nothing: a slot may be empty.
  testing::internal::CaptureStderr();
  EXPECT_FALSE(app::readQuickSave(dir.path() / "missing.json"));
  EXPECT_FALSE(app::readQuickSave(fs::path()));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
