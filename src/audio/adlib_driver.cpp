#include "audio/adlib_driver.h"

#include <algorithm>
#include <utility>

namespace audio {

namespace {

constexpr std::uint16_t kTimer = 4311;
constexpr std::uint16_t kVolume = 4313;
constexpr std::uint16_t kChannelCount = 4315;
constexpr std::uint16_t kStartRequest = 4317;
constexpr std::uint16_t kCurrentTune = 4318;
constexpr std::uint16_t kStopRequest = 4319;
constexpr std::uint16_t kTempoMul = 4321;
constexpr std::uint16_t kTempoValue = 4322;
constexpr std::uint16_t kStep = 4324;
constexpr std::uint16_t kAccum = 4328;
constexpr std::uint16_t kLastSemitone = 4332;

std::uint8_t u8(unsigned value) { return static_cast<std::uint8_t>(value); }
std::uint16_t u16(unsigned value) { return static_cast<std::uint16_t>(value); }

}  // namespace

bool AdlibDriver::load(std::vector<std::uint8_t> image) {
  if (!acceptImage(image, kMinImageSize, "adlib")) return false;
  image_ = std::move(image);
  image_.resize(kImageSize, 0);

  timer = imageWord(image_, kTimer);
  volume = imageWord(image_, kVolume);
  channelCount = imageWord(image_, kChannelCount);
  startRequest = at(kStartRequest);
  currentTune = at(kCurrentTune);
  stopRequest = at(kStopRequest) != 0 ? 1 : 0;
  tempoMul = at(kTempoMul);
  tempoValue = at(kTempoValue);
  step = imageLong(image_, kStep);
  accum = imageLong(image_, kAccum);
  lastSemitone = at(kLastSemitone);
  tuneTable = imageWord(image_, kTuneTablePointer);
  instrumentBase = imageWord(image_, kInstrumentPointer);
  for (int c = 0; c < kChannels; ++c) {
    const std::uint16_t r = u16(kChannelRecords + kChannelRecordSize * c);
    Channel& ch = channels[c];
    ch.pos = imageWord(image_, r);
    ch.counter = static_cast<std::int32_t>(imageLong(image_, u16(r + 2)));
    ch.loopMark = imageWord(image_, u16(r + 6));
    ch.oplChannel = at(u16(r + 8));
    ch.note = at(u16(r + 9));
    ch.active = at(u16(r + 10));
    ch.keyByte = at(u16(r + 11));
    ch.op1 = at(u16(r + 12));
    ch.op2 = at(u16(r + 13));
    ch.instrument = imageWord(image_, u16(r + 14));
    ch.instrumentNo = at(u16(r + 16));
    ch.volume = at(u16(r + 17));
    ch.drumMode = at(u16(r + 19));
    ch.bendRange = at(u16(r + 20));
    ch.bend = at(u16(r + 21));
  }
  return true;
}

void AdlibDriver::setTimer(std::uint16_t divisor) {
  timer = divisor;
  tempo();
}

void AdlibDriver::tempo() { step = tempoStep(timer, 4u * tempoMul * tempoValue); }

void AdlibDriver::tick() {
  if (!loaded()) return;
  stopRequested();
  startRequested();
  accum += step;
  const std::uint16_t whole = u16(accum >> 16);
  const int count = std::min<int>(channelCount, kChannels);
  for (int c = 0; c < count; ++c) runChannel(channels[c], whole);
  accum &= 0xFFFFu;
}

void AdlibDriver::silence() {
  if (loaded()) {
    for (Channel& ch : channels) {
      keyOff(ch);
      ch.active = 0;
    }
  }
  startRequest = 0;
  currentTune = 0;
  stopRequest = 0;
}

void AdlibDriver::startRequested() {
  if (startRequest == 0 || !loaded()) return;
  const std::uint8_t n = startRequest;
  startRequest = 0;
  const std::uint8_t count = at(tuneTable);
  if (count == 0 || n > count) return;

  if (currentTune != 0) {
    const int old = std::min<int>(channelCount, kChannels);
    for (int c = 0; c < old; ++c) {
      if (!channels[c].active) continue;
      keyOff(channels[c]);
      channels[c].active = 0;
    }
  }
  currentTune = n;
  if (tuneOffset(image_, tuneTable) == 0) return;

  const std::uint16_t header = tuneHeader(image_, tuneTable, n);
  tempoMul = at(header);
  tempoValue = at(u16(header + 1));
  channelCount = at(u16(header + 2));
  for (unsigned c = 0; c < channelCount; ++c) {
    Channel& ch = channels[c & 15];
    const std::uint16_t start = u16(tuneTable + imageWord(image_, u16(header + 3 + 2 * c)));
    ch.loopMark = start;
    std::uint16_t pos = start;
    ch.counter = static_cast<std::int32_t>(delay(pos));
    ch.pos = pos;
    ch.active = 1;
    ch.bend = 64;
    ch.instrumentNo = 255;
    ch.volume = 127;
    ch.drumMode = 0;
    ch.bendRange = 2;
  }
  tempo();
}

void AdlibDriver::stopRequested() {
  if (stopRequest != 1 || channelCount < 1 || channelCount > kChannels || !loaded()) return;
  for (int c = 0; c < channelCount; ++c) {
    keyOff(channels[c]);
    channels[c].active = 0;
  }
  currentTune = 0;
  stopRequest = 0;
}

void AdlibDriver::runChannel(Channel& ch, std::uint16_t whole) {
  if (!ch.active || !loaded()) return;
  runCounterFrame(image_, ch, whole, [&](std::uint16_t& pos) {
    const std::uint8_t code = at(pos++);
    return control(ch, code, pos);
  });
}

bool AdlibDriver::control(Channel& ch, std::uint8_t code, std::uint16_t& pos) {
  if (code < 0x80) {
    const std::uint8_t velocity = at(pos++);
    ch.note = code;
    keyOff(ch);
    noteOn(ch, code);
    levels(ch, velocity);
    return true;
  }
  if (code < 0x90) {
    ch.oplChannel = code & 0x0F;
    const std::uint16_t pair = u16(kOperatorPairs + 2 * (code & 0x0F));
    ch.op1 = at(pair);
    ch.op2 = at(u16(pair + 1));
    return true;
  }
  switch (code) {
    case 0x90:
      if (at(pos++) == ch.note) keyOff(ch);
      return true;
    case 0x92: {
      const std::uint8_t k = at(pos++);
      ch.volume = 127;
      ch.bend = 64;
      ch.instrumentNo = k;
      ch.instrument = u16(instrumentBase + 128 + 16 * k);
      loadInstrument(ch);
      return true;
    }
    case 0x93:
      tempoValue = at(pos++);
      tempo();
      return true;
    case 0x94:
      return true;
    case 0x95:
      ch.bend = at(pos++);
      if (ch.keyByte & 0x20) setFrequency(ch, u8(ch.note + instrumentByte(ch, 8) - 24));
      return true;
    case 0x96:
      ch.volume = at(pos++);
      return true;
    case 0x97:
      ch.drumMode = at(pos++);
      return true;
    case 0x98:
      pos = ch.loopMark;
      return true;
    case 0x99:
      keyOff(ch);
      return true;
    case 0x9A:
      pos = kIdleLoop;
      return true;
    case 0x9B:
      ++pos;
      return true;
    case 0x9C:
      ch.loopMark = pos;
      return true;
    case 0xFF:
      return true;
    default:  // 0x91 and 0x9D..0xFE end the channel
      ch.active = 0;
      keyOff(ch);
      return false;
  }
}

void AdlibDriver::out(std::uint8_t reg, std::uint8_t value) {
  std::uint8_t& shadow = image_[u16(kRegisterShadow + reg)];
  if (shadow == value) return;
  shadow = value;
  if (output) output(reg, value);
}

void AdlibDriver::keyOff(Channel& ch) {
  if ((ch.keyByte & 0x20) == 0) return;
  ch.keyByte &= 0xDF;
  out(u8(0xB0 | ch.oplChannel), ch.keyByte);
}

void AdlibDriver::noteOn(Channel& ch, std::uint8_t note) {
  std::uint8_t played;
  if (ch.drumMode) {
    const std::uint8_t k = at(u16(instrumentBase + note));
    if (k != ch.instrumentNo) {
      ch.instrumentNo = k;
      ch.instrument = u16(instrumentBase + 128 + 16 * (k & 127));
      loadInstrument(ch);
    }
    played = instrumentByte(ch, 8);
    ch.note = played;
  } else {
    played = u8(note + instrumentByte(ch, 8) - 24);
  }
  setFrequency(ch, played);
}

std::uint16_t AdlibDriver::frequency(const Channel& ch, std::uint8_t note) {
  std::uint16_t p = u16(note * 64);
  if (ch.bend < 64)
    p = u16(p - ch.bendRange * (64 - ch.bend));
  else
    p = u16(p + ch.bendRange * (ch.bend - 64));
  const std::uint8_t s = u8(p >> 6);
  lastSemitone = s;
  std::uint8_t blk = at(u16(kBlockTable + s));
  // The driver's way of taking p mod 768.
  const std::uint16_t i = u16(p - 3 * ((std::max<unsigned>(p, 767) / 3) & 0x7F00));
  std::uint16_t e = imageWord(image_, u16(kFNumberTable + 2 * i));
  if (e & 0x8000) {
    blk = u8(blk + 4);
    e &= 0x1FFF;
  }
  const std::uint16_t f = (s < 7 ? e >> 1 : e) & 0x1FFF;
  return u16(blk * 256 + f);
}

void AdlibDriver::setFrequency(Channel& ch, std::uint8_t note) {
  const std::uint16_t r = frequency(ch, note);
  out(u8(0xA0 | ch.oplChannel), u8(r & 0xFF));
  ch.keyByte = u8((r >> 8) | 0x20);
  out(u8(0xB0 | ch.oplChannel), ch.keyByte);
}

std::uint8_t AdlibDriver::level(std::uint8_t loudness, std::uint8_t velocity,
                                std::uint8_t channelVolume) const {
  const std::uint32_t c1 = (u8(loudness + 1) * std::uint32_t{u8(velocity + 1)} * 2u) & 0xFFFCu;
  const std::uint32_t c2 = ((u8(channelVolume + 1) * c1) >> 7) & 0xFFFFu;
  return u8((std::uint32_t{u16(volume + 1)} * c2) >> 16);
}

void AdlibDriver::levels(const Channel& ch, std::uint8_t velocity) {
  const std::uint8_t k = instrumentByte(ch, 12);
  const std::uint8_t carrier = level(instrumentByte(ch, 11), velocity, ch.volume);
  out(u8(0x40 | ch.op2), u8(((k << 6) & 0xC0) | at(u16(kLevelTable + carrier))));

  std::uint8_t m;
  if (instrumentByte(ch, 9) & 1) {
    const std::uint32_t m1 =
        (u8(instrumentByte(ch, 10) + 1) * std::uint32_t{u8(velocity + 1)} * 4u) & 0x1FFF8u;
    const std::uint32_t m2 = ((u8(ch.volume + 1) * m1) >> 8) & 0xFFFFu;
    m = u8((std::uint32_t{u16(volume + 1)} * m2) >> 16);
  } else {
    m = instrumentByte(ch, 10);
  }
  out(u8(0x40 | ch.op1), u8(((k << 2) & 0xC0) | at(u16(kLevelTable + m))));
}

void AdlibDriver::loadInstrument(Channel& ch) {
  out(u8(0x60 + ch.op1), instrumentByte(ch, 0));
  out(u8(0x60 + ch.op2), instrumentByte(ch, 1));
  out(u8(0x80 ^ ch.op1), instrumentByte(ch, 2));
  out(u8(0x80 ^ ch.op2), instrumentByte(ch, 3));
  out(u8(ch.op1 - 0x20), instrumentByte(ch, 6));
  out(u8(ch.op2 - 0x20), instrumentByte(ch, 7));
  out(u8(ch.oplChannel - 0x40), instrumentByte(ch, 9));
  out(u8(0x20 + ch.op1), instrumentByte(ch, 4));
  out(u8(0x20 + ch.op2), instrumentByte(ch, 5));
}

}  // namespace audio
