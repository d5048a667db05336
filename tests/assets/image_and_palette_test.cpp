#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "asset_fixtures.h"
#include "assets/indexed_image.h"
#include "assets/palette.h"

using namespace assets_test;

namespace {


std::vector<unsigned char> rgbPalette(unsigned entries) {
  std::vector<unsigned char> rgb;
  for (unsigned i = 0; i < entries; ++i) {
    rgb.push_back(static_cast<unsigned char>(i * 16));
    rgb.push_back(static_cast<unsigned char>(255 - i));
    rgb.push_back(static_cast<unsigned char>(i));
  }
  return rgb;
}

// Rewrites the IHDR chunk's width and height and fixes its checksum, so only
// the claimed size is wrong.
std::string withClaimedSize(std::string png, unsigned w, unsigned h) {
  auto* ihdr = reinterpret_cast<unsigned char*>(&png[8]);
  for (int i = 0; i < 4; ++i) {
    ihdr[8 + i] = static_cast<unsigned char>(w >> (24 - 8 * i));
    ihdr[12 + i] = static_cast<unsigned char>(h >> (24 - 8 * i));
  }
  lodepng_chunk_generate_crc(ihdr);
  return png;
}

}  // namespace

TEST(IndexedPng, SavedPicturesLoadBackAsTheSameIndices) {
  TempDir dir;
  const fs::path file = dir.path() / "sub" / "deeper" / "pic.png";  // missing folders are made
  const std::vector<std::uint8_t> pixels = {0, 1, 2, 3, 4, 15, 14, 13, 12, 11, 5, 5, 5, 0, 1};
  ASSERT_TRUE(assets::saveIndexedPng(file, 5, 3, pixels, rgbPalette(16)));

  const auto image = assets::loadIndexedPng(file);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 5);
  EXPECT_EQ(image->height, 3);
  EXPECT_EQ(image->pixels, pixels);

  // The file itself: 8-bit palette, the caller's colours, all opaque.
  lodepng::State state;
  const std::string bytes = readBytes(file);
  std::vector<unsigned char> raw;
  unsigned w = 0, h = 0;
  ASSERT_EQ(lodepng::decode(raw, w, h, state, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()), 0u);
  EXPECT_EQ(state.info_png.color.colortype, LCT_PALETTE);
  EXPECT_EQ(state.info_png.color.bitdepth, 8u);
  ASSERT_EQ(state.info_png.color.palettesize, 16u);
  for (unsigned i = 0; i < 16; ++i) {
    EXPECT_EQ(state.info_png.color.palette[4 * i + 0], i * 16);
    EXPECT_EQ(state.info_png.color.palette[4 * i + 1], 255 - i);
    EXPECT_EQ(state.info_png.color.palette[4 * i + 2], i);
    EXPECT_EQ(state.info_png.color.palette[4 * i + 3], 255);
  }
}

TEST(IndexedPng, TrailingPartialPaletteEntriesAreIgnored) {
  TempDir dir;
  for (std::size_t extra : {1u, 2u}) {
    auto rgb = rgbPalette(2);
    rgb.resize(rgb.size() + extra, 7);
    const fs::path file = dir.path() / ("p" + std::to_string(extra) + ".png");
    ASSERT_TRUE(assets::saveIndexedPng(file, 2, 1, {0, 1}, rgb));
    lodepng::State state;
    const std::string bytes = readBytes(file);
    std::vector<unsigned char> raw;
    unsigned w = 0, h = 0;
    ASSERT_EQ(lodepng::decode(raw, w, h, state, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()),
              0u);
    EXPECT_EQ(state.info_png.color.palettesize, 2u);
  }
}

TEST(IndexedPng, ReadsRawIndicesWhateverThePngPaletteSays) {
  TempDir dir;
  writeBytes(dir.path() / "a.png", indexedPng(7, 4));  // grey palette, indices up to 31
  const auto image = assets::loadIndexedPng(dir.path() / "a.png");
  ASSERT_TRUE(image);
  ASSERT_EQ(image->pixels.size(), 28u);
  EXPECT_EQ(image->pixels[0], 0);
  EXPECT_EQ(image->pixels[3 * 7 + 6], (6 + 9) % 32);
  EXPECT_EQ(image->pixels[2 * 7 + 1], 7);
}

TEST(IndexedPng, RefusesEveryOtherColourTypeAndDepth) {
  TempDir dir;
  struct Case {
    const char* name;
    LodePNGColorType type;
    unsigned depth;
    unsigned bytesPerPixel;
  };
  const Case cases[] = {{"pal4", LCT_PALETTE, 4, 1}, {"grey8", LCT_GREY, 8, 1}, {"rgba8", LCT_RGBA, 8, 4},
                        {"rgb8", LCT_RGB, 8, 3}, {"grey16", LCT_GREY, 16, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = dir.path() / (std::string(c.name) + ".png");
    // 2 pixels wide, one row: the 4-bit case packs both into one byte.
    std::vector<unsigned char> raw(c.depth == 4 ? 1 : 2 * c.bytesPerPixel, 1);
    writeBytes(file, encodePng(2, 1, raw, c.type, c.depth));
    LogCapture log;
    EXPECT_FALSE(assets::loadIndexedPng(file));
    expectOneError(log, file.string() + ": not an 8-bit palette PNG");
  }
}

TEST(IndexedPng, BrokenFilesEndInOneLineAndNothing) {
  TempDir dir;
  const std::string good = indexedPng(16, 16);

  const fs::path truncated = dir.path() / "truncated.png";
  writeBytes(truncated, good.substr(0, good.size() - 20));
  {
    std::vector<unsigned char> raw;
    unsigned w = 0, h = 0;
    const unsigned error = lodepng::decode(raw, w, h, reinterpret_cast<const unsigned char*>(good.data()),
                                           good.size() - 20, LCT_PALETTE, 8);
    ASSERT_NE(error, 0u);
    LogCapture log;
    EXPECT_FALSE(assets::loadIndexedPng(truncated));
    expectOneError(log, truncated.string() + ": " + lodepng_error_text(error));
  }

  const fs::path empty = dir.path() / "empty.png";
  writeBytes(empty, "");
  {
    LogCapture log;
    EXPECT_FALSE(assets::loadIndexedPng(empty));
    EXPECT_EQ(log.lines().size(), 1u);
  }

  {
    LogCapture log;
    EXPECT_FALSE(assets::loadIndexedPng(dir.path() / "missing.png"));
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("missing.png"), std::string::npos);
  }
}

TEST(IndexedPng, AHeaderClaimingAnAbsurdSizeIsRefusedBeforeDecoding) {
  TempDir dir;
  const fs::path file = dir.path() / "huge.png";
  writeBytes(file, withClaimedSize(indexedPng(4, 4), 60000, 60000));
  LogCapture log;
  EXPECT_FALSE(assets::loadIndexedPng(file));
  expectOneError(log, file.string() + ": picture of 60000x60000 pixels is too large");
}

TEST(IndexedPng, SavingRefusesPixelsThatDoNotMatchTheSize) {
  TempDir dir;
  const fs::path file = dir.path() / "bad.png";
  struct Case {
    int w, h;
    std::size_t n;
  };
  for (const Case& c : {Case{4, 4, 15}, Case{4, 4, 17}, Case{0, 4, 0}, Case{-2, -3, 6}, Case{65536, 65536, 0}}) {
    LogCapture log;
    EXPECT_FALSE(assets::saveIndexedPng(file, c.w, c.h, std::vector<std::uint8_t>(c.n), rgbPalette(16)));
    EXPECT_EQ(log.lines().size(), 1u);
    EXPECT_FALSE(fs::exists(file));
  }
  // No palette at all is the encoder's own complaint.
  LogCapture log;
  EXPECT_FALSE(assets::saveIndexedPng(file, 1, 1, {0}, {}));
  expectOneErrorStartingWith(log, file.string() + ": ");
}

TEST(Palette, ConvertsDacUnitsToEightBits) {
  using C = assets::Palette::Color;
  EXPECT_EQ(assets::Palette::toRgb8(C{1, 31, 62}), (C{4, 125, 251}));
  EXPECT_EQ(assets::Palette::toRgb8(C{0, 47, 63}), (C{0, 190, 255}));
}

TEST(Palette, LoadsSixteenColoursInOrder) {
  TempDir dir;
  writeBytes(dir.path() / "vga.json", kPaletteJson);
  const auto palette = assets::loadPalette(dir.path() / "vga.json");
  ASSERT_TRUE(palette);
  EXPECT_EQ((*palette)[0], (assets::Palette::Color{0, 0, 0}));
  EXPECT_EQ((*palette)[1], (assets::Palette::Color{1, 31, 62}));
  EXPECT_EQ((*palette)[2], (assets::Palette::Color{63, 63, 63}));  // fourth element ignored
  EXPECT_EQ((*palette)[15], (assets::Palette::Color{37, 38, 39}));
}

TEST(Palette, ComponentsAreStoredAsBytes) {
  TempDir dir;
  std::string text = R"({"dac6":[[300,-1,12.9])";
  for (int i = 1; i < 16; ++i) text += ",[1,2,3]";
  writeBytes(dir.path() / "p.json", text + "]}");
  const auto palette = assets::loadPalette(dir.path() / "p.json");
  ASSERT_TRUE(palette);
  EXPECT_EQ((*palette)[0], (assets::Palette::Color{44, 255, 12}));
}

TEST(Palette, RefusesAnythingButSixteenEntries) {
  TempDir dir;
  const fs::path file = dir.path() / "p.json";
  std::string entries15 = "[1,2,3]";
  for (int i = 1; i < 15; ++i) entries15 += ",[1,2,3]";
  std::string keyed16 = R"({"a":1)";
  for (int i = 1; i < 16; ++i) keyed16 += ",\"k" + std::to_string(i) + "\":1";
  const std::string texts[] = {
      R"({"dac6":[)" + entries15 + "]}",
      R"({"dac6":[)" + entries15 + ",[1,2,3],[1,2,3]]}",
      "{\"dac6\": [",
      "",
      R"([1,2,3])",
      R"({"rgb8":[]})",
      R"({"dac6":)" + keyed16 + "}}",
      R"({"dac6":"0123456789abcdef"})",
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    writeBytes(file, text);
    LogCapture log;
    EXPECT_FALSE(assets::loadPalette(file));
    expectOneError(log, file.string() + ": expected 16 dac6 entries");
  }
}

TEST(Palette, RefusesEntriesThatAreNotThreeNumbers) {
  TempDir dir;
  const fs::path file = dir.path() / "p.json";
  for (const char* bad : {"[1,2]", "\"abc\"", "[1,\"2\",3]", "[1,true,3]", "[null,1,1]", "[1e300,1,1]", "{}",
                          "5"}) {
    SCOPED_TRACE(bad);
    std::string text = R"({"dac6":[[1,2,3],)" + std::string(bad);
    for (int i = 2; i < 16; ++i) text += ",[1,2,3]";
    writeBytes(file, text + "]}");
    LogCapture log;
    EXPECT_FALSE(assets::loadPalette(file));
    expectOneErrorStartingWith(log, file.string() + ": dac6 entry 1");
  }
}
