#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/adlib_driver.h"
#include "audio/beeper_driver.h"
#include "audio/opl_chip.h"

namespace audio {

// The speaker tune played for game tune 0..9; game tunes above 9 have none.
constexpr std::array<std::uint8_t, 10> kBeeperTunes = {0, 3, 3, 6, 4, 7, 3, 1, 5, 2};

// The game's music source: both DOS drivers and an emulated YM3812. It ticks the
// selected driver at 70.086 Hz by counting output samples and renders mono 16-bit
// samples added into a caller's buffer. No lock of its own: the owner serialises
// every call (in the game, the audio device lock).
class Music {
 public:
  using Chip = OplChip;
  enum class Device : std::uint32_t { AdLib = 0, Speaker = 1 };

  // The rate the chip produces samples at for its 3579545 Hz clock.
  static constexpr double kChipRate = 3579545 / 72;
  static constexpr double kTickRate = 70.086;
  // The PIT divisor the game programs for its 70.086 Hz interrupt.
  static constexpr std::uint16_t kGameTimer = 16976;

  explicit Music(int sampleRate);
  Music(const Music&) = delete;
  Music& operator=(const Music&) = delete;

  // Hands each non-empty image to its driver; true when either loaded.
  bool load(std::vector<std::uint8_t> adlibImage, std::vector<std::uint8_t> beeperImage);
  void setDevice(Device d);
  void startTune(std::uint8_t tune, bool adlibOnly);
  void tickNow(bool adlibOnly);
  void tick();
  // Adds count samples of music times volume into buffer, clamped to 16 bits.
  void render(std::int16_t* buffer, int count, float volume);
  int adlibSample();
  int speakerSample();

  bool adlibLoaded() const { return adlibLoaded_; }
  bool beeperLoaded() const { return beeperLoaded_; }
  Device device() const { return device_; }
  std::uint8_t currentTune() const { return currentTune_; }
  double sampleRate() const { return sampleRate_; }
  const AdlibDriver& adlib() const { return adlib_; }
  const BeeperDriver& beeper() const { return beeper_; }

 private:
  void request(std::uint8_t tune);

  AdlibDriver adlib_;
  BeeperDriver beeper_;
  std::unique_ptr<Chip> chip_;
  bool adlibLoaded_ = false;
  bool beeperLoaded_ = false;
  Device device_ = Device::AdLib;
  std::uint8_t currentTune_ = 0;
  double sampleRate_ = 0;
  double samplesToTick_ = 0;
  double chipRate_ = 0;
  double chipPhase_ = 0;
  std::int32_t prevSample_ = 0;
  std::int32_t curSample_ = 0;
  double speakerPhase_ = 0;
  double speakerLevel_ = 0;
};

}  // namespace audio
