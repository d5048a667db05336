#pragma once

// Drivers loaded with a test image and started on tune 1, with every register or
// port write of a tick collected. Timer 17897 gives t = 4000, so an AdLib tune at
// 10 x 100 and a speaker tune at 40 x 100 advance one whole tick per driver tick.
#include <gtest/gtest.h>

#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

#include "audio/adlib_driver.h"
#include "audio/beeper_driver.h"
#include "driver_images.h"

namespace testimg {

using Write = std::pair<int, int>;
using Writes = std::vector<Write>;

template <typename Driver>
struct DriverRig {
  explicit DriverRig(Bytes image) {
    EXPECT_TRUE(d.load(std::move(image)));
    if constexpr (std::is_same_v<Driver, audio::BeeperDriver>) d.init();
    d.output = [this](std::uint8_t where, std::uint8_t value) { writes.emplace_back(where, value); };
    d.setTimer(17897);
    d.startRequest = 1;
  }
  Writes tick() {
    writes.clear();
    d.tick();
    return writes;
  }
  Driver d;
  Writes writes;
};

struct AdlibRig : DriverRig<audio::AdlibDriver> {
  using DriverRig::DriverRig;
  bool wrote(int reg) const {
    for (const Write& w : writes)
      if (w.first == reg) return true;
    return false;
  }
  int table(int loudness) const { return d.image()[audio::AdlibDriver::kLevelTable + loudness]; }
};

struct BeeperRig : DriverRig<audio::BeeperDriver> {
  using DriverRig::DriverRig;
  // The PIT divisor the image holds for a note.
  int divisorOf(int note) const {
    const auto& img = d.image();
    const int at = audio::BeeperDriver::kDivisorTable + 2 * (note - 24);
    return img[at] | (img[at + 1] << 8);
  }
};

// Tune 1 of a speaker image with the given channels, at 40 x 100.
inline Bytes speakerTune(std::vector<Bytes> channels, const std::vector<Instrument>& instruments) {
  return beeperImage({Tune{40, 100, std::move(channels)}}, instruments);
}

}  // namespace testimg
