#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace audio {

// The 44-byte header of a 16-bit mono PCM WAV file holding sampleCount samples.
std::array<std::uint8_t, 44> wavHeader(std::uint32_t sampleCount, std::uint32_t sampleRate);

// A whole 16-bit mono PCM WAV file.
std::vector<std::uint8_t> wavFile(const std::vector<std::int16_t>& samples,
                                  std::uint32_t sampleRate);

// Samples stored little-endian, as they follow the header.
void appendSamples(std::vector<std::uint8_t>& bytes, const std::int16_t* samples,
                   std::size_t count);

}  // namespace audio
