#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "audio/music.h"
#include "audio/wav.h"
#include "core/files.h"
#include "driver_images.h"

// The first samples of rendered tunes against WAV files beside this test. Set
// TUMBOLD_UPDATE_GOLDENS=1 to rewrite them after an intended change.
namespace {

using testimg::Bytes;

constexpr int kSamples = 9600;  // 0.2 s: the tune's first 14 ticks

// Two voices, a bass and a melody with a bend and a volume change.
Bytes goldenAdlibImage() {
  testimg::Instrument bass = testimg::organ(12);
  bass[9] = 0x06;  // feedback 3, frequency modulation
  bass[10] = 90;
  const Bytes melody = {0x00, 0x81, 0x00, 0x92, 0x00, 0x00, 0x3C, 0x70, 0x03, 0x95,
                        0x50, 0x03, 0x90, 0x3C, 0x01, 0x96, 0x50, 0x00, 0x43, 0x7F, 0x7F};
  const Bytes low = {0x00, 0x80, 0x00, 0x92, 0x01, 0x00, 0x30, 0x60, 0x7F};
  return testimg::adlibImage({testimg::Tune{48, 30, {melody, low}}}, {testimg::organ(), bass});
}

Bytes goldenBeeperImage() {
  testimg::Instrument tone{};
  tone[9] = 4;
  const Bytes a = {0x00, 0x92, 0x00, 0x00, 0x45, 0x40, 0x04, 0x48, 0x40, 0x04, 0x4C, 0x40, 0x7F};
  const Bytes b = {0x02, 0x92, 0x00, 0x00, 0x39, 0x40, 0x7F};
  return testimg::beeperImage({testimg::Tune{48, 120, {a, b}}}, {tone});
}

std::vector<std::int16_t> render(Bytes adlib, Bytes beeper, bool speaker) {
  audio::Music music(48000);
  EXPECT_TRUE(music.load(std::move(adlib), std::move(beeper)));
  if (speaker) music.setDevice(audio::Music::Device::Speaker);
  music.startTune(speaker ? 7 : 1, false);  // game tune 7 is speaker tune 1
  std::vector<std::int16_t> out(kSamples, 0);
  // Uneven chunks, as an audio callback would ask.
  for (int at = 0; at < kSamples;) {
    const int n = std::min(kSamples - at, 333);
    music.render(out.data() + at, n, 1.0f);
    at += n;
  }
  return out;
}

void compareWithGolden(const std::vector<std::int16_t>& actual, const std::string& name) {
  const std::string golden = std::string(TUMBOLD_SOURCE_DIR) + "/tests/audio/golden/" + name;
  const std::vector<std::uint8_t> bytes = audio::wavFile(actual, 48000);
  const char* update = std::getenv("TUMBOLD_UPDATE_GOLDENS");
  if (update && *update == '1') {
    ASSERT_TRUE(core::writeFile(golden, bytes));
    return;
  }
  const auto expected = core::readFile(golden);
  ASSERT_TRUE(expected) << "missing golden " << golden
                        << " (TUMBOLD_UPDATE_GOLDENS=1 writes it)";
  if (*expected == bytes) return;
  const std::string out = std::string(TUMBOLD_BINARY_DIR) + "/" + name;
  core::writeFile(out, bytes);
  ASSERT_EQ(expected->size(), bytes.size()) << name << ": length differs; actual in " << out;
  for (std::size_t i = 44; i + 1 < bytes.size(); i += 2) {
    const int e = static_cast<std::int16_t>((*expected)[i] | ((*expected)[i + 1] << 8));
    const int a = static_cast<std::int16_t>(bytes[i] | (bytes[i + 1] << 8));
    ASSERT_EQ(e, a) << name << ": first difference at sample " << (i - 44) / 2
                    << "; actual written to " << out;
  }
  FAIL() << name << ": header differs; actual written to " << out;
}

TEST(MusicGolden, AdlibTuneFirstSamples) {
  const auto samples = render(goldenAdlibImage(), {}, false);
  // The tune starts on the first tick: silence before it, sound after.
  for (int i = 0; i < 684; ++i) ASSERT_EQ(samples[i], 0) << i;
  EXPECT_GT(*std::max_element(samples.begin(), samples.end()), 500);
  compareWithGolden(samples, "music_adlib.wav");
}

TEST(MusicGolden, SpeakerTuneFirstSamples) {
  const auto samples = render({}, goldenBeeperImage(), true);
  EXPECT_GT(*std::max_element(samples.begin(), samples.end()), 2000);
  compareWithGolden(samples, "music_speaker.wav");
}

}  // namespace
