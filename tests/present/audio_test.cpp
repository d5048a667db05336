#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "audio/music.h"
#include "audio/wav.h"
#include "audio/driver_images.h"
#include "present/audio.h"

namespace {

using Voice = present::Audio::Voice;
using Samples = std::vector<std::int16_t>;

// A WAV file of a tone: rate, channel count, length in frames.
std::vector<std::uint8_t> toneWav(int rate, int channels, int frames, int amplitude = 8000) {
  std::vector<std::int16_t> s;
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      s.push_back(static_cast<std::int16_t>(amplitude * std::sin(i * 0.05)));
  std::vector<std::uint8_t> bytes = audio::wavFile(s, static_cast<std::uint32_t>(rate));
  // wavFile writes mono headers: patch channels, byte rate and block size.
  bytes[22] = static_cast<std::uint8_t>(channels);
  const std::uint32_t byteRate = rate * 2 * channels;
  for (int i = 0; i < 4; ++i) bytes[28 + i] = static_cast<std::uint8_t>(byteRate >> (8 * i));
  bytes[32] = static_cast<std::uint8_t>(2 * channels);
  return bytes;
}

TEST(AudioMix, VoicesAddOverMusicWithGain) {
  const Samples sound = {1000, -1000, 2000, -2000, 3000, -3000};
  std::vector<Voice> voices = {{&sound, 0, 128}};
  const Samples music = {100, 200};
  Samples out(4, 99);
  present::Audio::mixVoices(voices, 1.0f, music.data(), out.data(), 2);
  EXPECT_EQ(out, (Samples{600, -400, 1200, -800}));
  ASSERT_EQ(voices.size(), 1u);
  EXPECT_EQ(voices[0].position, 4u);

  // The last frame, then the voice is gone and the rest is silence.
  present::Audio::mixVoices(voices, 1.0f, nullptr, out.data(), 2);
  EXPECT_EQ(out, (Samples{1500, -1500, 0, 0}));
  EXPECT_TRUE(voices.empty());
}

TEST(AudioMix, NegativeSamplesShiftArithmetically) {
  const Samples sound = {-1, -3};
  std::vector<Voice> voices = {{&sound, 0, 1}};
  Samples out(2);
  present::Audio::mixVoices(voices, 1.0f, nullptr, out.data(), 1);
  EXPECT_EQ(out, (Samples{-1, -1}));
}

TEST(AudioMix, SilentEffectsStillRunOut) {
  const Samples sound(8, 20000);
  std::vector<Voice> voices = {{&sound, 0, 256}, {&sound, 4, 256}};
  Samples out(4, 5);
  present::Audio::mixVoices(voices, 0.0f, nullptr, out.data(), 2);
  EXPECT_EQ(out, Samples(4, 0));
  ASSERT_EQ(voices.size(), 1u) << "the voice that reached its end is removed";
  EXPECT_EQ(voices[0].position, 4u);
}

TEST(AudioMix, LoudSumsClampInsteadOfWrapping) {
  const Samples loud(4, 30000), quiet(4, -30000);
  std::vector<Voice> voices = {{&loud, 0, 256}};
  const Samples music = {32767, -32768};
  Samples out(4);
  present::Audio::mixVoices(voices, 1.0f, music.data(), out.data(), 2);
  EXPECT_EQ(out, (Samples{32767, 32767, -32768 + 30000, -32768 + 30000}));
  voices = {{&quiet, 0, 256}, {&quiet, 0, 256}};
  present::Audio::mixVoices(voices, 1.0f, nullptr, out.data(), 2);
  EXPECT_EQ(out, Samples(4, -32768));
}

TEST(AudioMix, ReplacedShorterSoundEndsTheVoice) {
  Samples sound(10, 1000);
  std::vector<Voice> voices = {{&sound, 6, 256}};
  sound.assign(4, 500);  // replaced under the lock while the voice stood at 6
  Samples out(4, 1);
  present::Audio::mixVoices(voices, 1.0f, nullptr, out.data(), 2);
  EXPECT_EQ(out, Samples(4, 0));
  EXPECT_TRUE(voices.empty());
}

TEST(AudioDevice, WithoutADeviceCallsOnlyKeepBookkeeping) {
  present::Audio a;
  EXPECT_EQ(a.device(), 0u);
  ASSERT_TRUE(a.load("beep", toneWav(48000, 1, 100)));
  a.play("beep", 1.0f);
  EXPECT_EQ(a.voiceCount(), 0u);
  a.setVolumes(1.5f, -2.0f);
  EXPECT_EQ(a.sfxVolume(), 1.0f);
  EXPECT_EQ(a.musicVolume(), 0.0f);
  audio::Music music(48000);
  a.setMusic(&music);
  EXPECT_EQ(a.music(), &music);
}

TEST(AudioDevice, WavsAreConvertedTo48kStereo) {
  present::Audio a;
  ASSERT_TRUE(a.load("slow", toneWav(22050, 1, 22050)));
  const Samples* s = a.sound("slow");
  ASSERT_NE(s, nullptr);
  EXPECT_NEAR(static_cast<double>(s->size()), 2 * 48000.0, 2 * 48000.0 * 0.01);
  EXPECT_EQ(s->size() % 2, 0u);
  // Mono becomes two equal channels.
  EXPECT_EQ((*s)[2000], (*s)[2001]);

  ASSERT_TRUE(a.load("native", toneWav(48000, 2, 300)));
  EXPECT_EQ(a.sound("native")->size(), 600u);
  ASSERT_TRUE(a.load("native", toneWav(48000, 2, 10)));
  EXPECT_EQ(a.sound("native")->size(), 20u) << "a later load replaces the sound";
}

TEST(AudioDevice, BadWavIsRefused) {
  present::Audio a;
  EXPECT_FALSE(a.load("junk", {1, 2, 3, 4, 5}));
  EXPECT_FALSE(a.load("empty", {}));
  EXPECT_EQ(a.sound("junk"), nullptr);
}

// A data chunk with no samples (the header alone, one stray byte, or a data
// length of 0 before real samples) loads as a silent sound, converted or not.
TEST(AudioDevice, AnEmptyDataChunkIsASilentSound) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Case> cases;
  for (int rate : {48000, 22050}) {
    std::vector<std::uint8_t> header = toneWav(rate, 1, 0);
    ASSERT_EQ(header.size(), 44u);
    std::vector<std::uint8_t> stray = header;
    stray.push_back(7);
    std::vector<std::uint8_t> zeroLength = toneWav(rate, 1, 100);
    for (int i = 40; i < 44; ++i) zeroLength[i] = 0;
    cases.push_back({"44 bytes", header});
    cases.push_back({"45 bytes", stray});
    cases.push_back({"data length 0", zeroLength});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    present::Audio a;
    ::testing::internal::CaptureStderr();
    const bool loaded = a.load("quiet", c.bytes);
    const std::string log = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(loaded) << log;
    ASSERT_NE(a.sound("quiet"), nullptr);
    EXPECT_LE(a.sound("quiet")->size(), 1u * 2);
  }
}

class AudioDummyDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
  }
  void TearDown() override { SDL_QuitSubSystem(SDL_INIT_AUDIO); }
};

TEST_F(AudioDummyDevice, TwentyFifthVoiceDropsTheOldest) {
  present::Audio a;
  ASSERT_TRUE(a.open());
  ASSERT_NE(a.device(), 0u);
  SDL_PauseAudioDevice(a.device(), 1);  // keep the callback from moving the voices
  ASSERT_TRUE(a.load("first", toneWav(48000, 1, 48000)));
  ASSERT_TRUE(a.load("other", toneWav(48000, 1, 48000)));
  a.play("first", 0.5f);
  for (int i = 0; i < 23; ++i) a.play("other", 1.0f);
  ASSERT_EQ(a.voiceCount(), 24u);
  EXPECT_EQ(a.voices().front().samples, a.sound("first"));
  EXPECT_EQ(a.voices().front().gain, 128);
  a.play("other", -1.0f);
  ASSERT_EQ(a.voiceCount(), 24u);
  EXPECT_EQ(a.voices().front().samples, a.sound("other"));
  EXPECT_EQ(a.voices().back().gain, 0) << "the newest voice is kept";
  a.play("never loaded", 1.0f);
  EXPECT_EQ(a.voiceCount(), 24u);
  a.play("other", std::nanf(""));
  EXPECT_EQ(a.voices().back().gain, 0) << "a volume that is no number plays silently";
  a.setVolumes(std::nanf(""), std::nanf(""));
  EXPECT_EQ(a.sfxVolume(), 0.0f);
  EXPECT_EQ(a.musicVolume(), 0.0f);
}

TEST_F(AudioDummyDevice, CallbackMixesMusicIntoBothChannels) {
  present::Audio a;
  ASSERT_TRUE(a.open());
  SDL_PauseAudioDevice(a.device(), 1);
  audio::Music music(48000);
  testimg::Instrument tone{};
  tone[9] = 100;
  const testimg::Tune tune{96, 132, {{0x00, 0x92, 0x00, 0x00, 0x45, 0x40, 0x7F}}};
  ASSERT_TRUE(music.load({}, testimg::beeperImage({tune}, {tone})));
  music.setDevice(audio::Music::Device::Speaker);
  music.startTune(7, false);
  a.setMusic(&music);
  a.setVolumes(1.0f, 0.5f);
  Samples all;
  for (int call = 0; call < 4; ++call) {
    Samples stream(2 * 512, 3);
    SDL_LockAudioDevice(a.device());
    present::Audio::callback(&a, reinterpret_cast<Uint8*>(stream.data()), 2048);
    SDL_UnlockAudioDevice(a.device());
    all.insert(all.end(), stream.begin(), stream.end());
  }
  for (std::size_t i = 0; i < all.size(); i += 2) ASSERT_EQ(all[i], all[i + 1]) << i;
  for (std::size_t i = 0; i < 2 * 684; ++i) ASSERT_EQ(all[i], 0) << "silence before the first tick";
  const auto peak = *std::max_element(all.begin(), all.end());
  EXPECT_GT(peak, 1500);
  EXPECT_LE(peak, 2000) << "music volume 0.5 halves the speaker's 4000";
}

}  // namespace
