#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "audio/driver_frame.h"

namespace audio {

// The DOS PC-speaker music driver, re-created over its data-segment image: four
// byte-code channels share the one speaker, each tick sounding the next channel
// whose tone is on. Its output is a model of port 0x42 (PIT channel 2 counter, low
// byte then high byte) and port 0x61 (bits 0 and 1 gate the speaker).
class BeeperDriver {
 public:
  static constexpr std::size_t kMinImageSize = 1780;
  static constexpr std::uint16_t kDivisorTable = 1451;  // 96 x u16, notes 24..119
  static constexpr std::uint16_t kIdleLoop = 1643;
  static constexpr std::uint16_t kChannelRecords = 1686;
  static constexpr std::uint16_t kChannelRecordSize = 18;
  static constexpr std::uint16_t kTuneTablePointer = 1774;
  static constexpr std::uint16_t kInstrumentPointer = 1778;
  static constexpr int kChannels = 4;
  static constexpr std::uint8_t kPitPort = 0x42;
  static constexpr std::uint8_t kGatePort = 0x61;

  struct Channel {
    std::uint16_t pos = 0;
    std::int32_t counter = 0;
    std::uint16_t loopMark = 0;
    std::uint8_t note = 0;
    std::uint8_t active = 0;
    std::uint8_t toneOn = 0;
    std::uint16_t instrument = 0;
    std::uint16_t divisor = 0;
    std::uint8_t remaining = 0;  // ticks left of the note's length
  };

  bool load(std::vector<std::uint8_t> image);
  bool loaded() const { return !image_.empty(); }
  const std::vector<std::uint8_t>& image() const { return image_; }

  // Deactivates the four channels (once after loading).
  void init();
  void setTimer(std::uint16_t divisor);
  void tempo();
  void tick();
  void silence();

  void startRequested();
  void stopRequested();
  void runChannel(Channel& ch, std::uint16_t whole);
  std::uint32_t delay(std::uint16_t& pos) const { return readDelay(image_, pos); }

  void port(std::uint8_t port, std::uint8_t value);
  void setNote(Channel& ch, std::uint8_t note);
  bool control(Channel& ch, std::uint8_t code, std::uint16_t& pos);
  // Once per tick after the channels: gates the speaker and loads the PIT with the
  // divisor of the channel whose turn it is.
  void speaker();

  // Variables of the image.
  std::uint16_t timer = 0;
  std::uint8_t startRequest = 0;
  std::uint8_t currentTune = 0;
  std::uint8_t stopRequest = 0;
  std::uint8_t tempoMul = 0;
  std::uint8_t tempoValue = 0;
  std::uint32_t step = 0;
  std::uint32_t accum = 0;
  std::uint16_t lastDivisor = 0;
  std::uint8_t rotor = 0;
  std::uint16_t tuneTable = 0;
  std::uint16_t instrumentBase = 0;
  std::array<Channel, kChannels> channels{};

  // The modelled hardware.
  std::uint8_t port61 = 0;
  std::uint16_t pitCounter = 0;  // 0 stands for 65536
  std::uint8_t pitHighNext = 0;

  // Receives every port write (port, value); may be empty.
  DriverOutput output;

 private:
  std::uint8_t at(std::uint16_t address) const { return image_[address]; }
  std::uint8_t instrumentByte(const Channel& ch, int index) const {
    return at(static_cast<std::uint16_t>(ch.instrument + index));
  }
  void stopChannel(Channel& ch);
  void gate(std::uint8_t value) { port(kGatePort, value); }

  std::vector<std::uint8_t> image_;
};

}  // namespace audio
