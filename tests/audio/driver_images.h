#pragma once

// Small driver images built by the tests themselves: the fixed tables of each
// driver, a tune table and the byte-code of the tunes given.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace testimg {

using Bytes = std::vector<std::uint8_t>;
using Instrument = std::array<std::uint8_t, 16>;

struct Tune {
  std::uint8_t tempoMul = 48;
  std::uint8_t tempoValue = 30;
  std::vector<Bytes> channels;  // each: initial delay, then events
};

inline void put16(Bytes& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void signature(Bytes& b) { std::memcpy(&b[10], "Sonorithmics Generation 2", 25); }

// Writes the tune table at t and the byte-code after it; returns the first free
// address.
inline std::size_t putTunes(Bytes& b, std::size_t t, const std::vector<Tune>& tunes) {
  b[t] = static_cast<std::uint8_t>(tunes.size());
  put16(b, t + 1, 3);
  std::size_t at = t + 3 + 2 * tunes.size();
  for (std::size_t n = 0; n < tunes.size(); ++n) {
    const Tune& tune = tunes[n];
    put16(b, t + 3 + 2 * n, static_cast<std::uint16_t>(at - t));
    const std::size_t header = at;
    b[header] = tune.tempoMul;
    b[header + 1] = tune.tempoValue;
    b[header + 2] = static_cast<std::uint8_t>(tune.channels.size());
    at = header + 3 + 2 * tune.channels.size();
    for (std::size_t c = 0; c < tune.channels.size(); ++c) {
      put16(b, header + 3 + 2 * c, static_cast<std::uint16_t>(at - t));
      std::copy(tune.channels[c].begin(), tune.channels[c].end(), b.begin() + at);
      at += tune.channels[c].size();
    }
  }
  return at;
}

// An AdLib image: semitone s plays MIDI note s; the register shadow starts at
// shadowFill; instruments follow the byte-code after a 128-byte drum map.
inline Bytes adlibImage(const std::vector<Tune>& tunes, const std::vector<Instrument>& instruments,
                        std::uint8_t shadowFill = 0, const Bytes& drumMap = {}) {
  Bytes b(65536, 0);
  signature(b);
  for (int s = 0; s <= 100; ++s)
    b[2134 + s] = s < 7 ? 0x00 : s < 12 ? 0xFC : static_cast<std::uint8_t>((s / 12 - 1) * 4);
  for (int i = 0; i < 768; ++i) {
    const double f = 345.0 * std::pow(2.0, i / 768.0);
    const std::uint16_t e = i < 448 ? static_cast<std::uint16_t>(std::lround(f))
                                    : static_cast<std::uint16_t>(0x8000 | std::lround(f / 2));
    put16(b, 2235 + 2 * i, e);
  }
  const std::uint8_t pairs[9][2] = {{0, 3},   {1, 4},   {2, 5},   {8, 11}, {9, 12},
                                    {10, 13}, {16, 19}, {17, 20}, {18, 21}};
  for (int v = 0; v < 9; ++v) {
    b[3771 + 2 * v] = pairs[v][0];
    b[3772 + 2 * v] = pairs[v][1];
  }
  for (int l = 0; l <= 128; ++l)
    b[3919 + l] = l == 0 ? 63
                         : static_cast<std::uint8_t>(std::min(
                               63L, std::lround(20 * std::log10(128.0 / l) / 0.75)));
  std::memset(&b[4048], shadowFill, 256);
  const std::uint8_t idle[5] = {0xFF, 0xFF, 0xFF, 0x7F, 0x9A};
  std::memcpy(&b[4304], idle, 5);
  put16(b, 4311, 16976);
  put16(b, 4313, 255);
  const std::size_t t = 4726;
  put16(b, 4720, t);
  const std::size_t base = putTunes(b, t, tunes);
  put16(b, 4724, static_cast<std::uint16_t>(base));
  std::copy_n(drumMap.begin(), std::min<std::size_t>(drumMap.size(), 128), b.begin() + base);
  for (std::size_t k = 0; k < instruments.size(); ++k)
    std::memcpy(&b[base + 128 + 16 * k], instruments[k].data(), 16);
  b.resize(std::max<std::size_t>(4726, base + 128 + 16 * instruments.size()));
  return b;
}

// A PC-speaker image with equal-tempered divisors; instrument k at B + 16 k.
inline Bytes beeperImage(const std::vector<Tune>& tunes, const std::vector<Instrument>& instruments) {
  Bytes b(65536, 0);
  signature(b);
  for (int n = 24; n < 120; ++n) {
    double f = 440.0 * std::pow(2.0, (n - 69) / 12.0);
    while (1193182.0 / f > 8191) f *= 2;
    put16(b, 1451 + 2 * (n - 24), static_cast<std::uint16_t>(std::lround(1193182.0 / f)));
  }
  const std::uint8_t idle[5] = {0xFF, 0xFF, 0xFF, 0x7F, 0x9A};
  std::memcpy(&b[1643], idle, 5);
  put16(b, 1648, 16976);
  const std::size_t t = 1780;
  put16(b, 1774, t);
  const std::size_t base = putTunes(b, t, tunes);
  put16(b, 1778, static_cast<std::uint16_t>(base));
  for (std::size_t k = 0; k < instruments.size(); ++k)
    std::memcpy(&b[base + 16 * k], instruments[k].data(), 16);
  b.resize(std::max<std::size_t>(1780, base + 16 * instruments.size()));
  return b;
}

// A plain organ-like AdLib instrument: additive, quick attack, sustained.
inline Instrument organ(std::uint8_t transpose = 24) {
  Instrument i{};
  i[0] = 0xF2; i[1] = 0xF2;  // attack / decay
  i[2] = 0x24; i[3] = 0x24;  // sustain / release
  i[4] = 0x21; i[5] = 0x21;  // sustain on, multiple 1
  i[8] = transpose;
  i[9] = 0x01;               // additive
  i[10] = 100; i[11] = 120;
  return i;
}

}  // namespace testimg
