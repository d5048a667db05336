#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// What the AdLib and the PC-speaker driver share: the image check, little-endian
// reads with 16-bit address wrap, the variable-length delays and the tempo step.
namespace audio {

// A driver image is the driver's 64 KiB data segment.
constexpr std::size_t kImageSize = 65536;

// Both drivers carry this text at bytes 10 to 34 of their image.
constexpr char kDriverSignature[] = "Sonorithmics Generation 2";
constexpr std::size_t kSignatureOffset = 10;
constexpr std::size_t kSignatureLength = 25;

// One output write of a driver: (OPL register, value) or (port, value).
using DriverOutput = std::function<void(std::uint8_t, std::uint8_t)>;

// Events one channel may run in one driver tick before it is made to wait. Shipped
// tunes run a handful; the bound only keeps a loop of zero-length events (a loop
// mark jumped to without a delay) from hanging the audio thread.
constexpr int kMaxEventsPerTick = 4096;

// True when the image size lies in minSize .. 65536 and the signature is in place;
// otherwise logs "<driverName> driver: not a Sonorithmics driver image".
bool acceptImage(const std::vector<std::uint8_t>& image, std::size_t minSize,
                 const char* driverName);

// Reads from a loaded (exactly 65536-byte) image; addresses wrap at 65536.
inline std::uint8_t imageByte(const std::vector<std::uint8_t>& image, std::uint16_t address) {
  return image[address];
}
inline std::uint16_t imageWord(const std::vector<std::uint8_t>& image, std::uint16_t address) {
  return static_cast<std::uint16_t>(image[address] |
                                    (image[static_cast<std::uint16_t>(address + 1)] << 8));
}
inline std::uint32_t imageLong(const std::vector<std::uint8_t>& image, std::uint16_t address) {
  return static_cast<std::uint32_t>(imageWord(image, address)) |
         (static_cast<std::uint32_t>(imageWord(image, static_cast<std::uint16_t>(address + 2)))
          << 16);
}

// A delay at pos: big-endian 7-bit groups, the high bit meaning another byte
// follows; at most five bytes, and -1 (all bits set) when the fifth also has its
// high bit. pos ends after the last byte read.
std::uint32_t readDelay(const std::vector<std::uint8_t>& image, std::uint16_t& pos);

// The 16.16 fixed-point ticks per driver tick for the PIT divisor `timer` and the
// tune's tempo product (tempoMul x tempoValue, times 4 on the AdLib driver).
std::uint32_t tempoStep(std::uint16_t timer, std::uint32_t tempoProduct);

// Counter frame of one channel: the counter drops by `whole`; when the old counter
// (unsigned) was at least `whole` the channel only waits. Otherwise `event` runs on
// the read position (returning false once the channel stopped, in which case the
// position is not stored); after each event a delay is added, and events continue
// while the counter is negative.
template <typename Channel, typename Event>
void runCounterFrame(const std::vector<std::uint8_t>& image, Channel& ch, std::uint16_t whole,
                     Event&& event) {
  const std::uint32_t old = static_cast<std::uint32_t>(ch.counter);
  ch.counter = static_cast<std::int32_t>(old - whole);
  if (old >= whole) return;
  std::uint16_t pos = ch.pos;
  int budget = kMaxEventsPerTick;
  do {
    if (!event(pos)) return;
    ch.counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(ch.counter) +
                                           readDelay(image, pos));
    if (--budget == 0 && ch.counter < 0) {
      ch.counter = 0;  // resume from here on the next tick
      break;
    }
  } while (ch.counter < 0);
  ch.pos = pos;
}

// Where tune n's header starts (tune table at `table`), and the u16 O that says
// whether the table holds tunes at all.
inline std::uint16_t tuneOffset(const std::vector<std::uint8_t>& image, std::uint16_t table) {
  return imageWord(image, static_cast<std::uint16_t>(table + 1));
}
inline std::uint16_t tuneHeader(const std::vector<std::uint8_t>& image, std::uint16_t table,
                                std::uint8_t n) {
  const std::uint16_t entry =
      static_cast<std::uint16_t>(table + tuneOffset(image, table) + 2 * (n - 1));
  return static_cast<std::uint16_t>(table + imageWord(image, entry));
}

}  // namespace audio
