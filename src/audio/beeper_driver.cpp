#include "audio/beeper_driver.h"

#include <algorithm>
#include <utility>

namespace audio {

namespace {

constexpr std::uint16_t kTimer = 1648;
constexpr std::uint16_t kStartRequest = 1652;
constexpr std::uint16_t kCurrentTune = 1653;
constexpr std::uint16_t kStopRequest = 1654;
constexpr std::uint16_t kTempoMul = 1656;
constexpr std::uint16_t kTempoValue = 1657;
constexpr std::uint16_t kStep = 1659;
constexpr std::uint16_t kAccum = 1663;
constexpr std::uint16_t kLastDivisor = 1675;
constexpr std::uint16_t kRotor = 1677;

std::uint8_t u8(unsigned value) { return static_cast<std::uint8_t>(value); }
std::uint16_t u16(unsigned value) { return static_cast<std::uint16_t>(value); }

}  // namespace

bool BeeperDriver::load(std::vector<std::uint8_t> image) {
  if (!acceptImage(image, kMinImageSize, "beeper")) return false;
  image_ = std::move(image);
  image_.resize(kImageSize, 0);

  timer = imageWord(image_, kTimer);
  startRequest = at(kStartRequest);
  currentTune = at(kCurrentTune);
  stopRequest = at(kStopRequest) != 0 ? 1 : 0;
  tempoMul = at(kTempoMul);
  tempoValue = at(kTempoValue);
  step = imageLong(image_, kStep);
  accum = imageLong(image_, kAccum);
  lastDivisor = imageWord(image_, kLastDivisor);
  rotor = at(kRotor);
  tuneTable = imageWord(image_, kTuneTablePointer);
  instrumentBase = imageWord(image_, kInstrumentPointer);
  for (int c = 0; c < kChannels; ++c) {
    const std::uint16_t r = u16(kChannelRecords + kChannelRecordSize * c);
    Channel& ch = channels[c];
    ch.pos = imageWord(image_, r);
    ch.counter = static_cast<std::int32_t>(imageLong(image_, u16(r + 2)));
    ch.loopMark = imageWord(image_, u16(r + 6));
    ch.note = at(u16(r + 9));
    ch.active = at(u16(r + 10));
    ch.toneOn = at(u16(r + 11));
    ch.instrument = imageWord(image_, u16(r + 12));
    ch.divisor = imageWord(image_, u16(r + 15));
    ch.remaining = at(u16(r + 17));
  }
  port61 = 0;
  pitCounter = 0;
  pitHighNext = 0;
  return true;
}

void BeeperDriver::init() {
  for (Channel& ch : channels) ch.active = 0;
}

void BeeperDriver::setTimer(std::uint16_t divisor) {
  timer = divisor;
  tempo();
}

void BeeperDriver::tempo() { step = tempoStep(timer, std::uint32_t{tempoMul} * tempoValue); }

void BeeperDriver::tick() {
  if (!loaded()) return;
  stopRequested();
  startRequested();
  accum += step;
  const std::uint16_t whole = u16(accum >> 16);
  for (Channel& ch : channels) runChannel(ch, whole);
  accum &= 0xFFFFu;
  speaker();
}

void BeeperDriver::silence() {
  for (Channel& ch : channels) {
    ch.active = 0;
    ch.toneOn = 0;
  }
  startRequest = 0;
  currentTune = 0;
  stopRequest = 0;
  gate(port61 & 0xFC);
}

void BeeperDriver::startRequested() {
  if (startRequest == 0 || !loaded()) return;
  const std::uint8_t n = startRequest;
  startRequest = 0;
  const std::uint8_t count = at(tuneTable);
  if (count == 0 || n > count) return;

  for (Channel& ch : channels) {
    ch.active = 0;
    ch.toneOn = 0;
  }
  currentTune = n;
  if (tuneOffset(image_, tuneTable) == 0) return;

  const std::uint16_t header = tuneHeader(image_, tuneTable, n);
  tempoMul = at(header);
  tempoValue = at(u16(header + 1));
  const int used = std::min<int>(at(u16(header + 2)), kChannels);
  for (int c = 0; c < used; ++c) {
    Channel& ch = channels[c];
    const std::uint16_t start = u16(tuneTable + imageWord(image_, u16(header + 3 + 2 * c)));
    ch.loopMark = start;
    std::uint16_t pos = start;
    ch.counter = static_cast<std::int32_t>(delay(pos));
    ch.pos = pos;
    ch.active = 1;
  }
  tempo();
}

void BeeperDriver::stopRequested() {
  if (stopRequest != 1) return;
  for (Channel& ch : channels) {
    ch.active = 0;
    ch.toneOn = 0;
  }
  currentTune = 0;
  stopRequest = 0;
  gate(port61 & 0xFC);
}

void BeeperDriver::runChannel(Channel& ch, std::uint16_t whole) {
  if (!ch.active || !loaded()) return;
  if (ch.remaining != 0 && --ch.remaining == 0) ch.toneOn = 0;
  runCounterFrame(image_, ch, whole, [&](std::uint16_t& pos) {
    const std::uint8_t code = at(pos++);
    return control(ch, code, pos);
  });
}

bool BeeperDriver::control(Channel& ch, std::uint8_t code, std::uint16_t& pos) {
  if (code < 0x80) {
    ++pos;  // velocity: the speaker has none
    ch.note = code;
    setNote(ch, u8(instrumentByte(ch, 8) + code));
    ch.remaining = instrumentByte(ch, 9);
    return true;
  }
  switch (code) {
    case 0x90:
      if (at(pos++) == ch.note) {
        ch.note = 0;
        ch.toneOn = 0;
        ch.remaining = 0;
      }
      return true;
    case 0x92:
      ch.instrument = u16(instrumentBase + 16 * at(pos++));
      return true;
    case 0x93:
      tempoValue = at(pos++);
      tempo();
      return true;
    case 0x97:
    case 0x9B:
      ++pos;
      return true;
    case 0x98:
      pos = ch.loopMark;
      return true;
    case 0x99:
      ch.note = 0;
      ch.toneOn = 0;
      ch.remaining = 0;
      return true;
    case 0x9A:
      pos = kIdleLoop;
      return true;
    case 0x9C:
      ch.loopMark = pos;
      return true;
    case 0x9D:
      pos = u16(pos + 2);
      return true;
    case 0xFF:
      return true;
    default:
      if (code < 0x90 || (code >= 0x94 && code <= 0x96)) return true;
      stopChannel(ch);  // 0x91 and 0x9E..0xFE
      return false;
  }
}

void BeeperDriver::stopChannel(Channel& ch) {
  const bool wasActive = ch.active == 1;
  ch.active = 0;
  ch.note = 0;
  ch.toneOn = 0;
  ch.remaining = 0;
  const bool anyActive =
      std::any_of(channels.begin(), channels.end(), [](const Channel& c) { return c.active; });
  if (wasActive && !anyActive) currentTune = 0;
}

void BeeperDriver::setNote(Channel& ch, std::uint8_t note) {
  const std::uint8_t k = u8(note - 24);
  if (k >= 96) return;
  ch.toneOn = 0;
  ch.divisor = imageWord(image_, u16(kDivisorTable + 2 * k));
  const std::uint8_t length = instrumentByte(ch, 9);
  if (length != 0) {
    ch.remaining = length;
    ch.toneOn = 1;
  }
}

void BeeperDriver::port(std::uint8_t portNo, std::uint8_t value) {
  if (portNo == kGatePort) {
    port61 = value;
  } else {
    if (pitHighNext == 0)
      pitCounter = u16((pitCounter & 0xFF00) | value);
    else
      pitCounter = u16((pitCounter & 0x00FF) | (value << 8));
    pitHighNext ^= 1;
  }
  if (output) output(portNo, value);
}

void BeeperDriver::speaker() {
  const bool anyTone =
      std::any_of(channels.begin(), channels.end(), [](const Channel& c) { return c.toneOn; });
  if (!anyTone) {
    gate(port61 & 0xFE);
    return;
  }
  do {
    ++rotor;
  } while (!channels[rotor & 3].toneOn);
  const Channel& ch = channels[rotor & 3];
  if (ch.divisor != lastDivisor) {
    lastDivisor = ch.divisor;
    port(kPitPort, u8(ch.divisor & 0xFF));
    port(kPitPort, u8((ch.divisor >> 8) & 0x1F));
  }
  gate(port61 | 3);
}

}  // namespace audio
