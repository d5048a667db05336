#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "audio/music.h"
#include "driver_images.h"

namespace {

using testimg::Bytes;
using Device = audio::Music::Device;

// A looping AdLib tune and a speaker tune, several of each so that requests of up
// to 9 (AdLib) or 7 (speaker) are valid.
Bytes adlibTunes(std::uint8_t mul = 96, std::uint8_t val = 33) {
  const Bytes code = {0x00, 0x80, 0x00, 0x92, 0x00, 0x00, 0x9C,
                      0x00, 0x30, 0x60, 0x18, 0x37, 0x60, 0x18, 0x98};
  return testimg::adlibImage(std::vector<testimg::Tune>(9, testimg::Tune{mul, val, {code}}),
                             {testimg::organ()});
}

Bytes beeperTunes(std::uint8_t length = 200) {
  testimg::Instrument tone{};
  tone[9] = length;
  const Bytes code = {0x00, 0x92, 0x00, 0x00, 0x45, 0x40, 0x7F, 0x91};
  return testimg::beeperImage(std::vector<testimg::Tune>(7, testimg::Tune{96, 132, {code}}),
                              {tone});
}

TEST(MusicSchedule, FirstTickOnSample685ThenEvery684Or685) {
  audio::Music music(48000);
  ASSERT_TRUE(music.load(adlibTunes(), {}));
  music.startTune(1, false);
  // Each tick adds a step whose fraction is 326, so the accumulator counts ticks.
  ASSERT_EQ(audio::tempoStep(16976, 4 * 96 * 33) & 0xFFFF, 326u);
  std::vector<int> tickSamples;
  std::int16_t sample = 0;
  std::uint32_t ticks = 0;
  for (int i = 1; i <= 684 * 150; ++i) {
    music.render(&sample, 1, 1.0f);
    const std::uint32_t now = music.adlib().accum / 326;
    if (now != ticks) {
      ticks = now;
      tickSamples.push_back(i);
    }
  }
  ASSERT_GE(tickSamples.size(), 140u);
  EXPECT_EQ(tickSamples[0], 685);
  for (std::size_t k = 1; k < tickSamples.size(); ++k) {
    const int gap = tickSamples[k] - tickSamples[k - 1];
    EXPECT_TRUE(gap == 684 || gap == 685) << "tick " << k << " after " << gap << " samples";
  }
  const double mean = double(tickSamples.back() - tickSamples[0]) / (tickSamples.size() - 1);
  EXPECT_NEAR(mean, 48000 / 70.086, 0.01);
}

TEST(MusicRequests, SpeakerTuneMapping) {
  audio::Music music(48000);
  ASSERT_TRUE(music.load(adlibTunes(), beeperTunes()));
  music.setDevice(Device::Speaker);
  music.startTune(5, false);
  EXPECT_EQ(music.beeper().startRequest, 7);
  EXPECT_EQ(music.currentTune(), 5);
  for (int t = 0; t <= 9; ++t) {
    music.startTune(static_cast<std::uint8_t>(t), false);
    EXPECT_EQ(music.beeper().startRequest, audio::kBeeperTunes[t]) << t;
  }
  music.startTune(12, false);
  EXPECT_EQ(music.currentTune(), 12);
  EXPECT_EQ(music.beeper().startRequest, audio::kBeeperTunes[9]) << "no request above 9";
  music.setDevice(Device::AdLib);
  EXPECT_EQ(music.adlib().startRequest, 12);
  EXPECT_EQ(music.beeper().startRequest, 0) << "the old device was silenced";
}

TEST(MusicRequests, AdlibOnlyRequestsLeaveTheRememberedTune) {
  audio::Music music(48000);
  ASSERT_TRUE(music.load(adlibTunes(), beeperTunes()));
  music.startTune(3, false);
  music.setDevice(Device::Speaker);
  music.startTune(2, true);
  EXPECT_EQ(music.beeper().startRequest, audio::kBeeperTunes[3]);
  EXPECT_EQ(music.currentTune(), 3);

  music.setDevice(Device::AdLib);
  music.startTune(2, true);
  EXPECT_EQ(music.adlib().startRequest, 2);
  EXPECT_EQ(music.currentTune(), 3);
  music.setDevice(Device::Speaker);
  music.setDevice(Device::AdLib);
  EXPECT_EQ(music.adlib().startRequest, 3) << "a switch restarts the remembered tune";
  music.setDevice(Device::AdLib);
  EXPECT_EQ(music.adlib().startRequest, 3) << "selecting the same device changes nothing";
}

TEST(MusicRequests, TickNowRespectsAdlibOnly) {
  audio::Music music(48000);
  ASSERT_TRUE(music.load(adlibTunes(), beeperTunes()));
  music.startTune(1, false);
  music.tickNow(true);
  EXPECT_EQ(music.adlib().currentTune, 1);
  music.setDevice(Device::Speaker);
  music.tickNow(true);
  EXPECT_EQ(music.beeper().currentTune, 0);
  music.tickNow(false);
  EXPECT_EQ(music.beeper().currentTune, audio::kBeeperTunes[1]);
}

TEST(MusicRender, RefusedImagesRenderNothing) {
  audio::Music music(48000);
  Bytes junk(5000, 0x11);
  EXPECT_FALSE(music.load(junk, junk));
  EXPECT_FALSE(music.adlibLoaded());
  EXPECT_FALSE(music.beeperLoaded());
  std::vector<std::int16_t> buffer(100, 7);
  music.startTune(1, false);
  music.render(buffer.data(), 100, 1.0f);
  EXPECT_EQ(buffer, std::vector<std::int16_t>(100, 7));
  music.render(buffer.data(), 0, 1.0f);
  music.render(nullptr, -5, 1.0f);
}

TEST(MusicRender, SelectedDeviceWithoutImageIsSilent) {
  audio::Music music(48000);
  ASSERT_TRUE(music.load({}, beeperTunes()));
  music.startTune(1, false);  // an AdLib request the missing driver never reads
  std::vector<std::int16_t> buffer(48000, 0);
  music.render(buffer.data(), 48000, 1.0f);
  EXPECT_EQ(buffer, std::vector<std::int16_t>(48000, 0));
}

TEST(MusicRender, SpeakerSquareWaveAndDecay) {
  audio::Music music(48000);
  ASSERT_TRUE(music.load({}, beeperTunes(3)));
  music.setDevice(Device::Speaker);
  music.startTune(1, false);
  std::vector<int> out;
  std::vector<bool> gate;
  for (int i = 0; i < 685 * 6; ++i) {
    std::int16_t s = 0;
    music.render(&s, 1, 1.0f);
    out.push_back(s);
    gate.push_back((music.beeper().port61 & 3) == 3);
  }
  // Silent before the first tick, a square wave of about 440 Hz (divisor of note
  // 69) of up to 4000 while the gate is on.
  for (int i = 0; i < 684; ++i) EXPECT_EQ(out[i], 0);
  int peak = 0, crossings = 0;
  std::size_t close = 0;
  for (std::size_t i = 685; i < out.size() && gate[i]; ++i) {
    peak = std::max(peak, std::abs(out[i]));
    if ((out[i] > 0) != (out[i - 1] > 0)) ++crossings;
    close = i + 1;
  }
  EXPECT_LE(peak, 4000);
  EXPECT_GT(peak, 3500);
  const double seconds = (close - 685) / 48000.0;
  EXPECT_NEAR(crossings / 2.0 / seconds, 440.0, 30.0);
  // Gate off: the level decays by 0.4 per sample.
  ASSERT_LT(close + 4, out.size());
  for (std::size_t i = close; i < close + 4; ++i) {
    EXPECT_NEAR(out[i], out[i - 1] * 0.4, 1.0) << i;
  }
}

TEST(MusicRender, AddsIntoTheBufferWithClamping) {
  audio::Music music(48000);
  ASSERT_TRUE(music.load({}, beeperTunes()));
  music.setDevice(Device::Speaker);
  music.startTune(1, false);
  std::vector<std::int16_t> high(2000, 32000), low(2000, -32000);
  music.render(high.data(), 2000, 1.0f);
  EXPECT_EQ(*std::max_element(high.begin(), high.end()), 32767);
  EXPECT_LT(*std::min_element(high.begin() + 700, high.end()), 32000 - 3000);

  audio::Music other(48000);
  ASSERT_TRUE(other.load({}, beeperTunes()));
  other.setDevice(Device::Speaker);
  other.startTune(1, false);
  other.render(low.data(), 2000, 1.0f);
  EXPECT_EQ(*std::min_element(low.begin(), low.end()), -32768);

  audio::Music quiet(48000);
  ASSERT_TRUE(quiet.load({}, beeperTunes()));
  quiet.setDevice(Device::Speaker);
  quiet.startTune(1, false);
  std::vector<std::int16_t> zero(2000, 0);
  quiet.render(zero.data(), 2000, 0.0f);
  EXPECT_EQ(zero, std::vector<std::int16_t>(2000, 0));
}

TEST(OplChip, WaveformsNeedTheirEnableBit) {
  auto render = [](std::uint8_t waveform, bool enable) {
    audio::OplChip chip;
    auto w = [&](std::uint8_t r, std::uint8_t v) {
      chip.writeAddress(r);
      chip.writeData(v);
    };
    if (enable) w(0x01, 0x20);
    w(0x20, 0x01); w(0x23, 0x01);
    w(0x60, 0xF0); w(0x63, 0xF0);
    w(0x80, 0x00); w(0x83, 0x00);
    w(0x40, 0x3F); w(0x43, 0x00);  // carrier only
    w(0xE3, waveform);
    w(0xA0, 0x59); w(0xB0, 0x31);
    std::vector<std::int16_t> out;
    for (int i = 0; i < 2000; ++i) out.push_back(chip.generate());
    return out;
  };
  const auto sine = render(0, false);
  EXPECT_GT(*std::max_element(sine.begin(), sine.end()), 1000);
  EXPECT_LT(*std::min_element(sine.begin(), sine.end()), -1000);
  EXPECT_EQ(render(1, false), sine) << "without the enable bit every operator plays a sine";
  const auto half = render(1, true);
  EXPECT_NE(half, sine);
  EXPECT_GE(*std::min_element(half.begin(), half.end()), -50) << "half-sine has no negative lobe";
}

}  // namespace
