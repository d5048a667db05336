#include "audio/music.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace audio {

namespace {

constexpr double kPitClock = 1193182.0;
constexpr int kSpeakerSubSteps = 16;
constexpr double kSpeakerAmplitude = 4000.0;
constexpr double kSpeakerSmoothing = 0.6;

}  // namespace

Music::Music(int sampleRate)
    : chip_(std::make_unique<Chip>()),
      // A rate below one sample per second would stall the resampling loops.
      sampleRate_(std::max(sampleRate, 1)),
      samplesToTick_(sampleRate_ / kTickRate),
      chipRate_(kChipRate) {}

bool Music::load(std::vector<std::uint8_t> adlibImage, std::vector<std::uint8_t> beeperImage) {
  if (!adlibImage.empty() && adlib_.load(std::move(adlibImage))) {
    Chip* chip = chip_.get();
    adlib_.output = [chip](std::uint8_t reg, std::uint8_t value) {
      chip->writeAddress(reg);
      chip->writeData(value);
    };
    adlib_.setTimer(kGameTimer);
    adlibLoaded_ = true;
  }
  if (!beeperImage.empty() && beeper_.load(std::move(beeperImage))) {
    beeper_.init();
    beeper_.setTimer(kGameTimer);
    beeperLoaded_ = true;
  }
  return adlibLoaded_ || beeperLoaded_;
}

void Music::request(std::uint8_t tune) {
  if (device_ == Device::AdLib) {
    adlib_.startRequest = tune;
  } else if (tune < kBeeperTunes.size()) {
    beeper_.startRequest = kBeeperTunes[tune];
  }
}

void Music::setDevice(Device d) {
  if (d == device_) return;
  if (device_ == Device::AdLib)
    adlib_.silence();
  else
    beeper_.silence();
  device_ = d;
  if (currentTune_ != 0) request(currentTune_);
}

void Music::startTune(std::uint8_t tune, bool adlibOnly) {
  if (!adlibOnly) {
    currentTune_ = tune;
    request(tune);
  } else if (device_ == Device::AdLib) {
    adlib_.startRequest = tune;
  }
}

void Music::tickNow(bool adlibOnly) {
  if (device_ == Device::Speaker && adlibOnly) return;
  tick();
}

void Music::tick() {
  // A driver whose image did not load ignores ticks, so nothing reads an image
  // that is not there; its request stays pending.
  if (device_ == Device::AdLib)
    adlib_.tick();
  else
    beeper_.tick();
}

void Music::render(std::int16_t* buffer, int count, float volume) {
  if (count < 1 || (!adlibLoaded_ && !beeperLoaded_)) return;
  const double ticksApart = sampleRate_ / kTickRate;
  for (int i = 0; i < count; ++i) {
    samplesToTick_ -= 1.0;
    if (samplesToTick_ <= 0.0) {
      tick();
      samplesToTick_ += ticksApart;
    }
    int s = 0;
    if (device_ == Device::AdLib) {
      if (adlibLoaded_) s = adlibSample();
    } else if (beeperLoaded_) {
      s = speakerSample();
    }
    const float mixed = static_cast<float>(s) * volume + static_cast<float>(buffer[i]);
    buffer[i] = static_cast<std::int16_t>(std::clamp(mixed, -32768.0f, 32767.0f));
  }
}

int Music::adlibSample() {
  chipPhase_ += chipRate_ / sampleRate_;
  while (chipPhase_ >= 1.0) {
    chipPhase_ -= 1.0;
    prevSample_ = curSample_;
    curSample_ = chip_->generate();
  }
  return static_cast<int>(prevSample_ + (curSample_ - prevSample_) * chipPhase_);
}

int Music::speakerSample() {
  double target = 0.0;
  if ((beeper_.port61 & 3) == 3) {
    const double period = beeper_.pitCounter != 0 ? beeper_.pitCounter : 65536.0;
    const double subStep = kPitClock / sampleRate_ / kSpeakerSubSteps;
    int sum = 0;
    for (int k = 0; k < kSpeakerSubSteps; ++k) {
      speakerPhase_ += subStep;
      if (speakerPhase_ >= period)
        speakerPhase_ -= std::trunc(speakerPhase_ / period) * period;
      sum += speakerPhase_ < period / 2 ? 1 : -1;
    }
    target = static_cast<double>(sum) / kSpeakerSubSteps * kSpeakerAmplitude;
  }
  speakerLevel_ += (target - speakerLevel_) * kSpeakerSmoothing;
  return static_cast<int>(speakerLevel_);
}

}  // namespace audio
