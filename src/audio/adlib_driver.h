#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "audio/driver_frame.h"

namespace audio {

// The DOS AdLib music driver, re-created over its data-segment image: up to 16
// byte-code channels bound to the OPL2's voices, writing OPL registers through a
// shadow kept inside the image. The variables mirror the image's and are public so
// that owners can request tunes and tools can inspect the state.
class AdlibDriver {
 public:
  // Smallest image that still holds the tune-table and instrument pointers.
  static constexpr std::size_t kMinImageSize = 4726;
  // Fixed image addresses.
  static constexpr std::uint16_t kBlockTable = 2134;
  static constexpr std::uint16_t kFNumberTable = 2235;
  static constexpr std::uint16_t kOperatorPairs = 3771;
  static constexpr std::uint16_t kLevelTable = 3919;
  static constexpr std::uint16_t kRegisterShadow = 4048;
  static constexpr std::uint16_t kIdleLoop = 4304;
  static constexpr std::uint16_t kVariables = 4311;
  static constexpr std::uint16_t kChannelRecords = 4333;
  static constexpr std::uint16_t kChannelRecordSize = 22;
  static constexpr std::uint16_t kTuneTablePointer = 4720;
  static constexpr std::uint16_t kInstrumentPointer = 4724;
  static constexpr int kChannels = 16;

  struct Channel {
    std::uint16_t pos = 0;
    std::int32_t counter = 0;
    std::uint16_t loopMark = 0;
    std::uint8_t oplChannel = 0;
    std::uint8_t note = 0;
    std::uint8_t active = 0;
    std::uint8_t keyByte = 0;  // last value for register 0xB0 of the voice; 0x20 = key on
    std::uint8_t op1 = 0;      // modulator operator offset
    std::uint8_t op2 = 0;      // carrier operator offset
    std::uint16_t instrument = 0;
    std::uint8_t instrumentNo = 0;
    std::uint8_t volume = 0;
    std::uint8_t drumMode = 0;
    std::uint8_t bendRange = 0;
    std::uint8_t bend = 0;
  };

  // Validates and takes over the image, then copies the variables and channel
  // records out of it. A refused image logs one error and changes nothing.
  bool load(std::vector<std::uint8_t> image);
  bool loaded() const { return !image_.empty(); }
  const std::vector<std::uint8_t>& image() const { return image_; }

  void setTimer(std::uint16_t divisor);
  void tempo();
  // One driver interrupt: stop request, start request, tick accumulation, channels.
  void tick();
  void silence();

  void startRequested();
  void stopRequested();
  void runChannel(Channel& ch, std::uint16_t whole);
  std::uint32_t delay(std::uint16_t& pos) const { return readDelay(image_, pos); }

  void out(std::uint8_t reg, std::uint8_t value);
  void keyOff(Channel& ch);
  void noteOn(Channel& ch, std::uint8_t note);
  void levels(const Channel& ch, std::uint8_t velocity);
  bool control(Channel& ch, std::uint8_t code, std::uint16_t& pos);
  void loadInstrument(Channel& ch);
  void setFrequency(Channel& ch, std::uint8_t note);
  std::uint16_t frequency(const Channel& ch, std::uint8_t note);
  std::uint8_t level(std::uint8_t loudness, std::uint8_t velocity, std::uint8_t volume) const;

  // Variables of the image.
  std::uint16_t timer = 0;
  std::uint16_t volume = 0;  // master volume
  std::uint16_t channelCount = 0;
  std::uint8_t startRequest = 0;
  std::uint8_t currentTune = 0;
  std::uint8_t stopRequest = 0;
  std::uint8_t tempoMul = 0;
  std::uint8_t tempoValue = 0;
  std::uint32_t step = 0;
  std::uint32_t accum = 0;
  std::uint8_t lastSemitone = 0;
  std::uint16_t tuneTable = 0;
  std::uint16_t instrumentBase = 0;
  std::array<Channel, kChannels> channels{};

  // Receives every register write that passes the shadow; may be empty.
  DriverOutput output;

 private:
  std::uint8_t at(std::uint16_t address) const { return image_[address]; }
  std::uint8_t instrumentByte(const Channel& ch, int index) const {
    return at(static_cast<std::uint16_t>(ch.instrument + index));
  }

  std::vector<std::uint8_t> image_;
};

}  // namespace audio
