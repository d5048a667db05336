#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "asset_fixtures.h"
#include "assets/draw_tables.h"
#include "assets/indexed_image.h"
#include "assets/lift_graphics.h"
#include "assets/palette.h"
#include "assets/sheet.h"
#include "assets/sprite_set.h"
#include "assets/tile_set.h"

using namespace assets_test;
using Json = nlohmann::json;

namespace {

constexpr int kIterationsPerLoader = 2000;

// Deterministic damage to a valid file: the kinds of breakage a hand-edited
// or half-written data file shows.
class Mutator {
 public:
  explicit Mutator(std::uint32_t seed) : rng_(seed) {}

  int below(int n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }

  std::string mutateText(std::string text) {
    switch (below(5)) {
      case 0: return flipBytes(std::move(text));
      case 1: return text.substr(0, static_cast<std::size_t>(below(static_cast<int>(text.size()) + 1)));
      case 2: return insertBytes(std::move(text), "{}[],:\"-.e0123456789 tfn");
      default: return swapJsonValue(text);
    }
  }

  std::string mutatePng(std::string png) {
    switch (below(4)) {
      case 0: return flipBytes(std::move(png));
      case 1: return png.substr(0, static_cast<std::size_t>(below(static_cast<int>(png.size()) + 1)));
      case 2: return insertBytes(std::move(png), nullptr);
      default: return rewriteHeader(std::move(png));
    }
  }

 private:
  std::string flipBytes(std::string s) {
    if (s.empty()) return s;
    for (int n = 1 + below(4); n > 0; --n) {
      s[static_cast<std::size_t>(below(static_cast<int>(s.size())))] ^= static_cast<char>(1 + below(255));
    }
    return s;
  }

  std::string insertBytes(std::string s, const char* alphabet) {
    const std::size_t at = static_cast<std::size_t>(below(static_cast<int>(s.size()) + 1));
    std::string extra;
    for (int n = 1 + below(6); n > 0; --n) {
      extra += alphabet ? alphabet[below(static_cast<int>(std::char_traits<char>::length(alphabet)))]
                        : static_cast<char>(below(256));
    }
    return s.insert(at, extra);
  }

  static void collect(Json& node, std::vector<Json*>& out) {
    out.push_back(&node);
    if (node.is_structured()) {
      for (auto& child : node) collect(child, out);
    }
  }

  // Replaces one value anywhere in the document by one of another kind.
  std::string swapJsonValue(const std::string& text) {
    Json doc = Json::parse(text, nullptr, false);
    if (doc.is_discarded()) return flipBytes(text);
    std::vector<Json*> nodes;
    collect(doc, nodes);
    static const Json replacements[] = {
        Json("text"), Json(nullptr), Json(true), Json(-1), Json(0), Json(255), Json(256), Json(2147483647),
        Json(-2147483648LL), Json(4294967296LL), Json(18446744073709551615ULL), Json(1e300), Json(-1e300),
        Json(2.5), Json::array(), Json::object(), Json::array({1, 2}), Json::array({1, 2, 3, 4}),
        Json::object({{"x", 1}}), Json("0000")};
    *nodes[static_cast<std::size_t>(below(static_cast<int>(nodes.size())))] =
        replacements[below(static_cast<int>(std::size(replacements)))];
    return doc.dump();
  }

  // A header with another colour type, depth or size and a correct checksum,
  // so the damage gets past the checksum test into the decoder proper.
  std::string rewriteHeader(std::string png) {
    if (png.size() < 33) return png;
    auto* ihdr = reinterpret_cast<unsigned char*>(&png[8]);
    static const unsigned char kTypes[] = {0, 2, 3, 4, 6, 7};
    static const unsigned char kDepths[] = {1, 2, 4, 8, 16, 3};
    switch (below(4)) {
      case 0: ihdr[8 + 9] = kTypes[below(6)]; break;
      case 1: ihdr[8 + 8] = kDepths[below(6)]; break;
      case 2: ihdr[8 + 3 + 4 * below(2)] = static_cast<unsigned char>(below(256)); break;
      default: ihdr[8 + 1 + 4 * below(2)] = static_cast<unsigned char>(below(256)); break;
    }
    lodepng_chunk_generate_crc(ihdr);
    return png;
  }

  std::mt19937 rng_;
};

bool sane(const assets::IndexedImage& image) {
  return image.width > 0 && image.height > 0 &&
         image.pixels.size() == static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
}

// One loader with its valid files. load() reports success and checks, on
// success, that the result keeps the promises the drawing code relies on.
struct Target {
  std::string label;
  std::string jsonName;  // empty: the loader reads no JSON
  std::string json;
  std::string pngName;  // empty: the loader reads no picture
  std::string png;
  std::size_t maxLines;  // a failure logs at least one line and at most this many
  std::function<bool(const fs::path&)> load;
};

std::vector<Target> targets() {
  std::vector<Target> out;
  out.push_back({"indexed png", "", "", "pic.png", indexedPng(9, 5), 1, [](const fs::path& d) {
                   auto image = assets::loadIndexedPng(d / "pic.png");
                   if (image) {
                     EXPECT_TRUE(sane(*image));
                   }
                   return image.has_value();
                 }});
  out.push_back({"palette", "vga.json", kPaletteJson, "", "", 1,
                 [](const fs::path& d) { return assets::loadPalette(d / "vga.json").has_value(); }});
  out.push_back({"tile set", "tiles.json", kTilesJson, "tiles.png", indexedPng(32, 32), 1, [](const fs::path& d) {
                   auto set = assets::loadTileSet(d);
                   if (set) {
                     EXPECT_TRUE(sane(set->image));
                     EXPECT_GE(set->columns, 1);
                     EXPECT_GE(set->count, 1);
                     for (const auto& a : set->attributes) {
                       for (auto q : a) EXPECT_LE(q, 9);
                     }
                   }
                   return set.has_value();
                 }});
  out.push_back({"sprite set", "s.json", kSpritesJson, "s.png", indexedPng(8, 8), 2, [](const fs::path& d) {
                   auto set = assets::loadSpriteSet(d, "s");
                   if (set) {
                     EXPECT_TRUE(sane(set->image));
                     for (const auto& f : set->frames) {
                       EXPECT_TRUE(f.xoff >= 0 && f.xoff <= 255 && f.yoff >= 0 && f.yoff <= 255);
                     }
                   }
                   return set.has_value();
                 }});
  out.push_back({"sheet", "font.json", kSheetJson, "font.png", indexedPng(8, 8), 2, [](const fs::path& d) {
                   auto sheet = assets::loadSheet(d, "font");
                   if (sheet) {
                     EXPECT_TRUE(sane(sheet->image));
                     EXPECT_GE(sheet->itemW, 1);
                     EXPECT_GE(sheet->itemH, 1);
                     EXPECT_GE(sheet->columns, 1);
                   }
                   return sheet.has_value();
                 }});
  out.push_back({"lift graphics", "lifts.json", kLiftsJson, "lifts.png", indexedPng(8, 8), 2, [](const fs::path& d) {
                   auto lifts = assets::loadLiftGraphics(d);
                   if (lifts) {
                     EXPECT_TRUE(sane(lifts->image));
                   }
                   return lifts.has_value();
                 }});
  out.push_back({"draw tables", "draw_tables.json", kDrawTablesJson, "", "", 1, [](const fs::path& d) {
                   auto tables = assets::loadDrawTables(d);
                   if (tables) {
                     EXPECT_EQ(tables->energyPartial.size(), 8u);
                   }
                   return tables.has_value();
                 }});
  return out;
}

}  // namespace

// Thousands of damaged variants of valid files per loader: each load either
// succeeds silently with a usable result or fails with its error lines, and
// never crashes (the sanitizer build checks the memory side).
TEST(MutatedFiles, EveryLoaderFailsCleanlyOrLoadsSomethingUsable) {
  TempDir dir;
  for (const Target& target : targets()) {
    SCOPED_TRACE(target.label);
    Mutator mutator(0x7ab0u + static_cast<std::uint32_t>(target.label.size()));
    // The unmutated files must load, or the mutations prove nothing.
    if (!target.jsonName.empty()) writeBytes(dir.path() / target.jsonName, target.json);
    if (!target.pngName.empty()) writeBytes(dir.path() / target.pngName, target.png);
    ASSERT_TRUE(target.load(dir.path()));

    int failures = 0;
    for (int i = 0; i < kIterationsPerLoader; ++i) {
      const bool mutateJson = !target.jsonName.empty() && (target.pngName.empty() || mutator.below(10) < 7);
      if (!target.jsonName.empty()) {
        writeBytes(dir.path() / target.jsonName, mutateJson ? mutator.mutateText(target.json) : target.json);
      }
      if (!target.pngName.empty()) {
        writeBytes(dir.path() / target.pngName, mutateJson ? target.png : mutator.mutatePng(target.png));
      }
      LogCapture log;
      const bool loaded = target.load(dir.path());
      const auto lines = log.lines();
      if (loaded) {
        ASSERT_TRUE(lines.empty()) << "iteration " << i << ": " << lines[0];
      } else {
        ++failures;
        ASSERT_GE(lines.size(), 1u) << "iteration " << i << " failed without a message";
        ASSERT_LE(lines.size(), target.maxLines) << "iteration " << i << ": " << lines[0];
        for (const auto& line : lines) ASSERT_EQ(line.rfind("[error] ", 0), 0u) << line;
      }
    }
    // Most damage must be noticed; a mutator that never breaks anything is useless.
    EXPECT_GT(failures, kIterationsPerLoader / 4);
  }
}

// A folder in place of a file, an empty file and a file of its first byte
// alone: every loader refuses each with its error lines, a folder named as a
// file that cannot be opened.
TEST(MutatedFiles, AFolderAnEmptyFileOrOneByteInPlaceOfEachFileIsRefused) {
  enum class Damage { Folder, Empty, OneByte };
  for (const Target& target : targets()) {
    for (const auto& [name, valid] : {std::pair{target.jsonName, target.json}, std::pair{target.pngName, target.png}}) {
      if (name.empty()) continue;
      for (Damage damage : {Damage::Folder, Damage::Empty, Damage::OneByte}) {
        SCOPED_TRACE(target.label + ", " + name + " damage " + std::to_string(static_cast<int>(damage)));
        TempDir dir;
        if (!target.jsonName.empty()) writeBytes(dir.path() / target.jsonName, target.json);
        if (!target.pngName.empty()) writeBytes(dir.path() / target.pngName, target.png);
        fs::remove(dir.path() / name);
        if (damage == Damage::Folder) fs::create_directories(dir.path() / name);
        if (damage != Damage::Folder) writeBytes(dir.path() / name, valid.substr(0, damage == Damage::OneByte));
        LogCapture log;
        const bool loaded = target.load(dir.path());
        const auto lines = log.lines();
        EXPECT_FALSE(loaded);
        ASSERT_GE(lines.size(), 1u);
        EXPECT_LE(lines.size(), target.maxLines) << lines[0];
        for (const auto& line : lines) EXPECT_EQ(line.rfind("[error] ", 0), 0u) << line;
        if (damage == Damage::Folder) {
          const std::string line = "[error] cannot open " + (dir.path() / name).string();
          EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << lines[0];
        }
      }
    }
  }
}
