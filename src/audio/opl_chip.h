#pragma once

#include <array>
#include <cstdint>
#include <memory>

struct _opl3_chip;

namespace audio {

// An emulated YM3812 (OPL2): the Nuked OPL3 core run as an OPL2 (the OPL3 mode bit
// is never set, so every voice sounds on both outputs), fed through the chip's
// address and data ports and asked for one native sample at a time.
class OplChip {
 public:
  // The native sample rate the core is reset at.
  static constexpr std::uint32_t kNativeRate = 49716;

  OplChip();
  ~OplChip();
  OplChip(const OplChip&) = delete;
  OplChip& operator=(const OplChip&) = delete;

  void reset();
  void writeAddress(std::uint8_t reg) { address_ = reg; }
  void writeData(std::uint8_t value);
  // One native chip sample (mono).
  std::int16_t generate();

 private:
  void writeWaveform(std::uint8_t reg);

  std::unique_ptr<_opl3_chip> chip_;
  std::uint8_t address_ = 0;
  // An OPL2 honours the waveform registers only while bit 5 of register 0x01 is
  // set; the OPL3 core knows no such switch, so the adapter keeps the values and
  // hands the core sine waves (0) while the switch is off.
  bool waveformsEnabled_ = false;
  std::array<std::uint8_t, 0x16> waveforms_{};
};

}  // namespace audio
