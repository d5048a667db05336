#pragma once

// Small fixture files written by the asset tests into a temporary folder.

#include <gtest/gtest.h>
#include <lodepng.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace assets_test {

namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
class TempDir : public testsupport::ScratchDir {
 public:
  TempDir() : ScratchDir("tumbold_assets") {}
};

inline void writeBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Encodes raw pixels in the given PNG colour type and bit depth. Palette
// pictures get a 256-entry grey palette so that every index is valid.
inline std::string encodePng(unsigned w, unsigned h, const std::vector<unsigned char>& raw,
                             LodePNGColorType type = LCT_PALETTE, unsigned depth = 8) {
  lodepng::State state;
  state.encoder.auto_convert = 0;
  for (LodePNGColorMode* mode : {&state.info_png.color, &state.info_raw}) {
    mode->colortype = type;
    mode->bitdepth = depth;
    if (type == LCT_PALETTE) {
      for (unsigned i = 0; i < (1u << depth); ++i) lodepng_palette_add(mode, i, i, i, 255);
    }
  }
  std::vector<unsigned char> out;
  const unsigned error = lodepng::encode(out, raw, w, h, state);
  EXPECT_EQ(error, 0u) << lodepng_error_text(error);
  return std::string(out.begin(), out.end());
}

// An 8-bit palette picture whose pixel at (x, y) is (x + 3 y) mod 32.
inline std::string indexedPng(unsigned w, unsigned h) {
  std::vector<unsigned char> raw(static_cast<std::size_t>(w) * h);
  for (unsigned y = 0; y < h; ++y) {
    for (unsigned x = 0; x < w; ++x) raw[y * w + x] = static_cast<unsigned char>((x + 3 * y) % 32);
  }
  return encodePng(w, h, raw);
}

// Collects what core::log writes while alive.
class LogCapture {
 public:
  LogCapture() { ::testing::internal::CaptureStderr(); }
  ~LogCapture() {
    if (!done_) ::testing::internal::GetCapturedStderr();
  }
  // Everything written, split into lines without their newlines.
  std::vector<std::string> lines() {
    done_ = true;
    const std::string text = ::testing::internal::GetCapturedStderr();
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      out.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    return out;
  }

 private:
  bool done_ = false;
};

// Exactly one line was logged, and it is this error.
inline void expectOneError(LogCapture& log, const std::string& message) {
  const auto lines = log.lines();
  ASSERT_EQ(lines.size(), 1u) << "lines logged: " << lines.size() << (lines.empty() ? "" : ", first: " + lines[0]);
  EXPECT_EQ(lines[0], "[error] " + message);
}

// Exactly one error line, beginning with this text.
inline void expectOneErrorStartingWith(LogCapture& log, const std::string& prefix) {
  const auto lines = log.lines();
  ASSERT_EQ(lines.size(), 1u) << "lines logged: " << lines.size() << (lines.empty() ? "" : ", first: " + lines[0]);
  EXPECT_EQ(lines[0].rfind("[error] " + prefix, 0), 0u) << lines[0];
}

// The shape of one valid fixture of every loader, shared with the fuzz test.
inline const char* const kPaletteJson =
    R"({"format":"tumbold-palette","dac6":[[0,0,0],[1,31,62],[63,63,63,0],[10,20,30],[4,5,6],[7,8,9],)"
    R"([10,11,12],[13,14,15],[16,17,18],[19,20,21],[22,23,24],[25,26,27],[28,29,30],[31,32,33],)"
    R"([34,35,36],[37,38,39]]})";
inline const char* const kTilesJson =
    R"({"format":"tumbold-tiles","columns":2,"count":3,"collision_tiles":2,"attributes":["0123","3210"]})";
inline const char* const kSpritesJson =
    R"({"frames":[{"x":0,"y":0,"w":4,"h":3,"ox":-2,"oy":1,"source":{"xoff":5,"yoff":260,"height":3}},)"
    R"({"x":4,"y":2,"w":4,"h":6,"ox":0,"oy":0,"source":{"xoff":0,"yoff":255}}]})";
inline const char* const kSheetJson = R"({"item_w":4,"item_h":4,"columns":2,"count":3})";
inline const char* const kLiftsJson =
    R"({"types":[{"x":0,"y":0,"w":8,"h":2},{"x":2,"y":4,"w":6,"h":4}],"file_order":[1,0]})";
inline const char* const kDrawTablesJson =
    R"({"glueon_overlay":{"first_player_frame":30,"frames":[3,4,5]},)"
    R"("shades_overlay":{"entries":[[1,-2,0],[0,0,7]]},)"
    R"("lift_rope":{"planes":[[1,2,3,4],[5,6,7,8],[9,10,11,12],[13,14,15,16]]},)"
    R"("energy_bar":{"columns":[15,14],"partial":[128,192,224,240,248,252,254,255]}})";

}  // namespace assets_test
