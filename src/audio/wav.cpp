#include "audio/wav.h"

#include <cstring>

namespace audio {

namespace {

void put32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put16(std::uint8_t* at, std::uint16_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

std::array<std::uint8_t, 44> wavHeader(std::uint32_t sampleCount, std::uint32_t sampleRate) {
  std::array<std::uint8_t, 44> h{};
  const std::uint32_t dataSize = sampleCount * 2u;
  std::memcpy(&h[0], "RIFF", 4);
  put32(&h[4], dataSize + 36u);
  std::memcpy(&h[8], "WAVE", 4);
  std::memcpy(&h[12], "fmt ", 4);
  put32(&h[16], 16);
  put16(&h[20], 1);  // PCM
  put16(&h[22], 1);  // mono
  put32(&h[24], sampleRate);
  put32(&h[28], sampleRate * 2u);
  put16(&h[32], 2);
  put16(&h[34], 16);
  std::memcpy(&h[36], "data", 4);
  put32(&h[40], dataSize);
  return h;
}

void appendSamples(std::vector<std::uint8_t>& bytes, const std::int16_t* samples,
                   std::size_t count) {
  bytes.reserve(bytes.size() + 2 * count);
  for (std::size_t i = 0; i < count; ++i) {
    const auto v = static_cast<std::uint16_t>(samples[i]);
    bytes.push_back(static_cast<std::uint8_t>(v));
    bytes.push_back(static_cast<std::uint8_t>(v >> 8));
  }
}

std::vector<std::uint8_t> wavFile(const std::vector<std::int16_t>& samples,
                                  std::uint32_t sampleRate) {
  const auto header = wavHeader(static_cast<std::uint32_t>(samples.size()), sampleRate);
  std::vector<std::uint8_t> bytes(header.begin(), header.end());
  appendSamples(bytes, samples.data(), samples.size());
  return bytes;
}

}  // namespace audio
