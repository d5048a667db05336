#include "audio/opl_chip.h"

extern "C" {
#include <adplug/nukedopl.h>
}

namespace audio {

OplChip::OplChip() : chip_(std::make_unique<opl3_chip>()) { reset(); }

OplChip::~OplChip() = default;

void OplChip::reset() {
  OPL3_Reset(chip_.get(), kNativeRate);
  address_ = 0;
  waveformsEnabled_ = false;
  waveforms_.fill(0);
}

void OplChip::writeData(std::uint8_t value) {
  const std::uint8_t reg = address_;
  if (reg >= 0xE0 && reg < 0xE0 + waveforms_.size()) {
    waveforms_[reg - 0xE0] = value;
    writeWaveform(reg);
    return;
  }
  OPL3_WriteReg(chip_.get(), reg, value);
  if (reg == 0x01) {
    const bool enabled = (value & 0x20) != 0;
    if (enabled != waveformsEnabled_) {
      waveformsEnabled_ = enabled;
      for (std::size_t i = 0; i < waveforms_.size(); ++i)
        writeWaveform(static_cast<std::uint8_t>(0xE0 + i));
    }
  }
}

void OplChip::writeWaveform(std::uint8_t reg) {
  const std::uint8_t value = waveformsEnabled_ ? waveforms_[reg - 0xE0] : 0;
  OPL3_WriteReg(chip_.get(), reg, value);
}

std::int16_t OplChip::generate() {
  Bit16s frame[2];
  OPL3_Generate(chip_.get(), frame);
  return frame[0];
}

}  // namespace audio
