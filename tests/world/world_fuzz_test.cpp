#include <random>
#include <vector>

#include "world_fixture.h"

namespace {

using world_test::json;
using world_test::validWorld;
using WorldFuzz = world_test::WorldFiles;

// Every node of the document, as JSON pointers.
void collectPointers(const json& node, const json::json_pointer& at, std::vector<json::json_pointer>& out) {
  out.push_back(at);
  if (node.is_object()) {
    for (const auto& [key, value] : node.items()) collectPointers(value, at / key, out);
  } else if (node.is_array()) {
    for (std::size_t i = 0; i < node.size(); ++i) collectPointers(node[i], at / i, out);
  }
}

json randomValue(std::mt19937& rng) {
  static const json kValues[] = {
      nullptr,
      true,
      false,
      0,
      -1,
      7,
      2.5,
      -1e300,
      1e30,
      4294967296LL,
      -2147483649LL,
      18446744073709551615ULL,
      "",
      "x",
      "0 1 2",
      "code",
      "gfx",
      "at",
      json::array(),
      json::object(),
      json::array({1, 2}),
      json::array({"at"}),
      json::array({"wait", 1.5}),
      json::object({{"door", 3}}),
      json::object({{"door", nullptr}}),
      std::string(300, '9'),
      "0a0",
      "zz",
  };
  return kValues[std::uniform_int_distribution<std::size_t>(0, std::size(kValues) - 1)(rng)];
}

json mutateTree(json doc, std::mt19937& rng) {
  const int edits = std::uniform_int_distribution<int>(1, 3)(rng);
  for (int e = 0; e < edits; ++e) {
    std::vector<json::json_pointer> pointers;
    collectPointers(doc, json::json_pointer(), pointers);
    const auto& at = pointers[std::uniform_int_distribution<std::size_t>(0, pointers.size() - 1)(rng)];
    const int how = std::uniform_int_distribution<int>(0, 3)(rng);
    if (how == 0 && !at.empty()) {
      json& parent = doc[at.parent_pointer()];
      if (parent.is_object()) {
        parent.erase(at.back());
      } else {
        parent.erase(static_cast<std::size_t>(std::stoul(at.back())));
      }
    } else if (how == 1 && doc[at].is_array()) {
      doc[at].push_back(randomValue(rng));
    } else {
      doc[at] = randomValue(rng);
    }
  }
  return doc;
}

std::string mutateText(std::string text, std::mt19937& rng) {
  static const std::string kBytes = "{}[],:\"\\0123456789-+.eE tnrufalse\x01\xff";
  const int edits = std::uniform_int_distribution<int>(1, 4)(rng);
  for (int e = 0; e < edits && !text.empty(); ++e) {
    const std::size_t at = std::uniform_int_distribution<std::size_t>(0, text.size() - 1)(rng);
    const char byte = kBytes[std::uniform_int_distribution<std::size_t>(0, kBytes.size() - 1)(rng)];
    switch (std::uniform_int_distribution<int>(0, 3)(rng)) {
      case 0:
        text[at] = byte;
        break;
      case 1:
        text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), byte);
        break;
      case 2:
        text.erase(at, std::uniform_int_distribution<std::size_t>(1, 8)(rng));
        break;
      default:
        text.resize(at);
        break;
    }
  }
  return text;
}

// A load either succeeds silently or fails with exactly one error line.
void expectOneLineOrNone(const std::optional<world::World>& result, const std::string& log,
                         const std::string& input) {
  if (result) {
    EXPECT_EQ(log, "") << input;
    return;
  }
  EXPECT_EQ(log.rfind("[error] ", 0), 0u) << input;
  EXPECT_EQ(log.find("\n["), std::string::npos) << log;
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), '\n');
}

TEST_F(WorldFuzz, StructuralMutationsNeverCrashAndLogAtMostOneLine) {
  std::mt19937 rng(20240601);
  const json base = validWorld();
  int loaded = 0;
  for (int i = 0; i < 3000; ++i) {
    const json doc = mutateTree(base, rng);
    const auto result = load(doc);
    expectOneLineOrNone(result, log, doc.dump());
    loaded += result.has_value();
    if (HasFailure()) break;
  }
  // The mutations must exercise both outcomes to be worth anything.
  EXPECT_GT(loaded, 100);
  EXPECT_LT(loaded, 2900);
}

TEST_F(WorldFuzz, TextMutationsNeverCrashAndLogAtMostOneLine) {
  std::mt19937 rng(77);
  const std::string base = validWorld().dump();
  for (int i = 0; i < 2000; ++i) {
    const std::string text = mutateText(base, rng);
    const auto result = loadText(text);
    expectOneLineOrNone(result, log, text);
    if (HasFailure()) break;
  }
}

// Nothing, one byte, or a folder where the file should be: one line each.
TEST_F(WorldFuzz, AnEmptyFileOneByteOrAFolderFailsWithOneLine) {
  const std::string notWorld = "[error] " + path() + ": not a tumbold-world document\n";
  for (const auto& [text, line] : {std::pair<std::string, std::string>{"", notWorld}, {"{", notWorld}, {"7", notWorld}}) {
    EXPECT_FALSE(loadText(text)) << text;
    EXPECT_EQ(log, line) << text;
  }
  std::filesystem::remove(file());
  std::filesystem::create_directories(file());
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(world::loadWorld(file()));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[error] cannot open " + path() + "\n");
  std::filesystem::remove(file());
}

}  // namespace
