#include "audio/driver_frame.h"

#include <cstring>

#include "core/log.h"

namespace audio {

bool acceptImage(const std::vector<std::uint8_t>& image, std::size_t minSize,
                 const char* driverName) {
  const bool sized = image.size() >= minSize && image.size() <= kImageSize &&
                     image.size() >= kSignatureOffset + kSignatureLength;
  if (!sized ||
      std::memcmp(image.data() + kSignatureOffset, kDriverSignature, kSignatureLength) != 0) {
    core::log(core::LogLevel::Error, "%s driver: not a Sonorithmics driver image", driverName);
    return false;
  }
  return true;
}

std::uint32_t readDelay(const std::vector<std::uint8_t>& image, std::uint16_t& pos) {
  std::uint32_t value = 0;
  for (int i = 0; i < 5; ++i) {
    const std::uint8_t b = imageByte(image, pos++);
    value = (value << 7) | (b & 0x7Fu);
    if ((b & 0x80) == 0) return value;
  }
  return 0xFFFFFFFFu;
}

std::uint32_t tempoStep(std::uint16_t timer, std::uint32_t tempoProduct) {
  if (timer < 1093) return 1;
  const std::uint64_t t = 71590800u / timer;
  const std::uint64_t q = tempoProduct / t;
  const std::uint64_t r = tempoProduct % t;
  const std::uint64_t low = ((r * 65536u + q) / t) & 0xFFFFu;
  return static_cast<std::uint32_t>(q * 65536u + low);
}

}  // namespace audio
