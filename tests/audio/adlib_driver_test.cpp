#include <gtest/gtest.h>

#include <utility>

#include "driver_rigs.h"

namespace {

using testimg::Bytes;
using testimg::Write;
using testimg::Writes;

// One channel's byte-code in tune 1, one whole tick per driver tick.
struct AdlibRig : testimg::AdlibRig {
  explicit AdlibRig(Bytes code, std::vector<testimg::Instrument> instruments = {testimg::organ()},
                    std::uint8_t shadow = 0, Bytes drums = {})
      : testimg::AdlibRig(testimg::adlibImage({testimg::Tune{10, 100, {std::move(code)}}}, instruments,
                                              shadow, drums)) {}
  struct Image {
    Bytes bytes;
  };
  explicit AdlibRig(const Image& image) : testimg::AdlibRig(image.bytes) {}
};

// Voice 0, instrument 0, then the given events.
Bytes voice0(const Bytes& events) {
  Bytes code;
  code.reserve(6 + events.size());
  for (std::uint8_t b : {0x00, 0x80, 0x00, 0x92, 0x00, 0x00}) code.push_back(b);
  for (std::uint8_t b : events) code.push_back(b);
  return code;
}

int levelOf(int loudness) {
  return loudness == 0 ? 63
                       : static_cast<int>(std::min(
                             63L, std::lround(20 * std::log10(128.0 / loudness) / 0.75)));
}

TEST(AdlibNote, InstrumentThenFrequencyThenLevels) {
  AdlibRig rig(voice0({0x30, 0x7F, 0x10, 0x91}));
  const Writes w = rig.tick();
  const testimg::Instrument o = testimg::organ();
  // Instrument registers in the driver's order (waveforms 0 equal the shadow).
  const Writes expected = {
      {0x60, o[0]}, {0x63, o[1]}, {0x80, o[2]}, {0x83, o[3]}, {0xC0, o[9]}, {0x20, o[4]},
      {0x23, o[5]},
      // Note 0x30 with transpose 24: P 3072, semitone 48, entry 0 (345), block 3.
      {0xA0, 0x59}, {0xB0, 0x2D},
      // Carrier: loudness 120, velocity 127, volumes 127 and 255 -> 121; then modulator 101.
      {0x43, levelOf(121)}, {0x40, levelOf(101)}};
  EXPECT_EQ(w, expected);
  EXPECT_EQ(rig.d.channels[0].keyByte, 0x2D);
  EXPECT_EQ(rig.d.lastSemitone, 48);
}

TEST(AdlibNote, SecondNoteKeysOffBeforeItsFrequency) {
  AdlibRig rig(voice0({0x30, 0x7F, 0x00, 0x32, 0x7F, 0x10}));
  const Writes w = rig.tick();
  // Find the key-off of the first note and the second note's 0xA0 write.
  std::size_t keyOff = w.size(), secondA0 = w.size();
  int a0Seen = 0;
  for (std::size_t i = 0; i < w.size(); ++i) {
    if (w[i] == Write{0xB0, 0x0D}) keyOff = i;
    if (w[i].first == 0xA0 && ++a0Seen == 2) secondA0 = i;
  }
  ASSERT_LT(keyOff, w.size());
  ASSERT_LT(secondA0, w.size());
  EXPECT_LT(keyOff, secondA0);
}

TEST(AdlibNote, FrequencyBendAndBlocks) {
  AdlibRig rig(voice0({0xFF, 0x10}));
  rig.tick();
  audio::AdlibDriver::Channel ch = rig.d.channels[0];
  ch.bend = 64;
  EXPECT_EQ(rig.d.frequency(ch, 48), 0x0C00 | 345);
  // Bend 0 with range 2 lowers by 128 steps: two semitones, semitone 46.
  ch.bend = 0;
  const std::uint16_t low = rig.d.frequency(ch, 48);
  EXPECT_EQ(rig.d.lastSemitone, 46);
  ch.bend = 64;
  EXPECT_EQ(low, rig.d.frequency(ch, 46));
  // Bend 96: +64 steps, one semitone up.
  ch.bend = 96;
  const std::uint16_t up = rig.d.frequency(ch, 48);
  ch.bend = 64;
  EXPECT_EQ(up, rig.d.frequency(ch, 49));
  // Semitone 57 (entry 9 x 64 = 576 >= 448): bit 15 raises the block to 4.
  EXPECT_EQ((rig.d.frequency(ch, 57) >> 8) & 0xFC, 0x0C + 4);
  EXPECT_EQ(rig.d.frequency(ch, 57) & 0x3FF, 290);
  // Semitones below 7 halve the F-number in block 0.
  EXPECT_EQ(rig.d.frequency(ch, 0), 345 >> 1);
  // Semitones 7..11 carry the table's 0xFC block byte, raised to block 0 by the
  // entries' bit 15.
  EXPECT_EQ(rig.d.frequency(ch, 7), 258);
  EXPECT_EQ(rig.d.frequency(ch, 11) & 0xFC00, 0);
}

TEST(AdlibCodes, VoiceSelectTakesTheOperatorPairTable) {
  AdlibRig rig(Bytes{0x00, 0x84, 0x00, 0xFF, 0x10});
  rig.tick();
  EXPECT_EQ(rig.d.channels[0].oplChannel, 4);
  EXPECT_EQ(rig.d.channels[0].op1, 9);
  EXPECT_EQ(rig.d.channels[0].op2, 12);

  // 0x89..0x8F read past the nine pairs: here the level table's first bytes.
  AdlibRig high(Bytes{0x00, 0x8E, 0x00, 0x92, 0x00, 0x10});
  high.tick();
  const auto& image = high.d.image();
  EXPECT_EQ(high.d.channels[0].oplChannel, 14);
  EXPECT_EQ(high.d.channels[0].op1, image[3771 + 28]);
  EXPECT_EQ(high.d.channels[0].op2, image[3771 + 29]);
  EXPECT_TRUE(high.wrote(static_cast<std::uint8_t>(0xC0 + 14)));
}

TEST(AdlibCodes, KeyOffOnlyForTheMatchingNote) {
  AdlibRig rig(voice0({0x30, 0x7F, 0x01, 0x90, 0x31, 0x01, 0x90, 0x30, 0x10}));
  rig.tick();
  EXPECT_EQ(rig.tick(), Writes{}) << "0x90 with another note leaves the key on";
  EXPECT_EQ(rig.tick(), (Writes{{0xB0, 0x0D}}));

  AdlibRig plain(voice0({0x30, 0x7F, 0x01, 0x99, 0x01, 0x99, 0x10}));
  plain.tick();
  EXPECT_EQ(plain.tick(), (Writes{{0xB0, 0x0D}}));
  EXPECT_EQ(plain.tick(), Writes{}) << "a key that is off is not written again";
}

TEST(AdlibCodes, EndCodesStopWithoutReadingADelay) {
  for (int code : {0x91, 0x9D, 0xC0, 0xFE}) {
    AdlibRig rig(voice0({0x30, 0x7F, 0x01, static_cast<std::uint8_t>(code), 0x05}));
    rig.tick();
    const std::uint16_t before = rig.d.channels[0].pos;
    const Writes w = rig.tick();
    ASSERT_FALSE(w.empty());
    EXPECT_FALSE(rig.d.channels[0].active) << code;
    EXPECT_EQ(w.back(), (Write{0xB0, 0x0D})) << code;
    EXPECT_EQ(rig.d.channels[0].pos, before) << "the read position is not stored";
    EXPECT_EQ(rig.tick(), Writes{});
  }
}

TEST(AdlibCodes, InstrumentResetsVolumeAndBend) {
  testimg::Instrument second = testimg::organ();
  second[0] = 0x11;
  second[9] = 0x0E;  // feedback, not additive
  second[10] = 40;   // modulator attenuation taken from the level table at 40 directly
  AdlibRig rig(voice0({0x96, 0x20, 0x00, 0x95, 0x10, 0x00, 0x92, 0x01, 0x00, 0x30, 0x7F, 0x10}),
               {testimg::organ(), second});
  const Writes w = rig.tick();
  const audio::AdlibDriver::Channel& ch = rig.d.channels[0];
  EXPECT_EQ(ch.volume, 127);
  EXPECT_EQ(ch.bend, 64);
  EXPECT_EQ(ch.instrumentNo, 1);
  EXPECT_EQ(ch.instrument, rig.d.instrumentBase + 128 + 16);
  EXPECT_TRUE(std::find(w.begin(), w.end(), Write{0x60, 0x11}) != w.end());
  EXPECT_TRUE(std::find(w.begin(), w.end(), Write{0xC0, 0x0E}) != w.end());
  EXPECT_EQ(w.back(), (Write{0x40, levelOf(40)}));
}

TEST(AdlibCodes, TempoChangeRecomputesTheStep) {
  AdlibRig rig(Bytes{0x00, 0x93, 0x32, 0x10});
  rig.tick();
  EXPECT_EQ(rig.d.tempoValue, 0x32);
  EXPECT_EQ(rig.d.step, audio::tempoStep(17897, 4 * 10 * 0x32));
}

TEST(AdlibCodes, BendRewritesTheFrequencyOnlyWhileKeyed) {
  AdlibRig rig(voice0({0x95, 0x00, 0x01, 0x30, 0x7F, 0x01, 0x95, 0x60, 0x01, 0x99, 0x01, 0x95,
                       0x40, 0x10}));
  EXPECT_FALSE(rig.tick().empty());
  EXPECT_EQ(rig.d.channels[0].bend, 0);
  const Writes keyed = rig.tick();  // the note, at bend 0: semitone 46
  EXPECT_EQ(rig.d.lastSemitone, 46);
  const Writes bent = rig.tick();  // bend 0x60 while keyed: +64 steps, semitone 49
  // Semitone 49 shares the block byte of 46, so only the F-number low byte changes.
  EXPECT_EQ(bent, (Writes{{0xA0, 0x6E}}));
  EXPECT_EQ(rig.d.lastSemitone, 49);
  rig.tick();                        // key off
  EXPECT_EQ(rig.tick(), Writes{});   // a bend while the key is off writes nothing
  EXPECT_EQ(rig.d.channels[0].bend, 0x40);
}

TEST(AdlibCodes, VolumeScalesTheNextNote) {
  AdlibRig rig(voice0({0x96, 0x40, 0x00, 0x30, 0x7F, 0x10}));
  const Writes w = rig.tick();
  // Carrier: c1 = 121 x 128 x 2 = 30976; c2 = 65 x 30976 >> 7 = 15730; L = 256 x c2 >> 16 = 61.
  EXPECT_EQ(rig.d.level(120, 127, 0x40), 61);
  EXPECT_TRUE(std::find(w.begin(), w.end(), Write{0x43, levelOf(61)}) != w.end());
}

TEST(AdlibCodes, DrumModeMapsNotesToInstruments) {
  testimg::Instrument snare = testimg::organ(60);
  snare[0] = 0xF8;
  Bytes drums(128, 0);
  drums[38] = 1;
  AdlibRig rig(voice0({0x97, 0x01, 0x00, 0x26, 0x7F, 0x01, 0x26, 0x7F, 0x10}),
               {testimg::organ(), snare}, 0, drums);
  const Writes first = rig.tick();
  EXPECT_EQ(rig.d.channels[0].drumMode, 1);
  EXPECT_EQ(rig.d.channels[0].instrumentNo, 1);
  EXPECT_EQ(rig.d.channels[0].note, 60) << "the drum's note becomes the channel's note";
  EXPECT_TRUE(std::find(first.begin(), first.end(), Write{0x60, 0xF8}) != first.end());
  EXPECT_EQ(rig.d.lastSemitone, 60);
  const Writes again = rig.tick();
  EXPECT_FALSE(std::find(again.begin(), again.end(), Write{0x60, 0xF8}) != again.end())
      << "the same drum does not reload its instrument";
}

TEST(AdlibCodes, LoopMarkJumpAndRest) {
  // 9C marks the delay that follows it; 98 jumps back to it.
  AdlibRig rig(voice0({0x9C, 0x01, 0x30, 0x7F, 0x01, 0xFF, 0x01, 0x98, 0x00}));
  rig.tick();
  const std::uint16_t mark = rig.d.channels[0].loopMark;
  int notes = 0;
  for (int i = 0; i < 9; ++i) {
    for (const Write& w : rig.tick())
      if (w == Write{0xB0, 0x2D}) ++notes;  // key on; the F-number repeats unwritten
  }
  EXPECT_EQ(notes, 3);
  EXPECT_EQ(rig.d.channels[0].loopMark, mark);
  EXPECT_TRUE(rig.d.channels[0].active);
}

TEST(AdlibCodes, ParkAndSkip) {
  AdlibRig rig(voice0({0x9B, 0x30, 0x00, 0x9A}));
  const Writes w = rig.tick();
  EXPECT_FALSE(rig.wrote(0xA0)) << "0x9B skips the byte that looks like a note";
  EXPECT_TRUE(rig.d.channels[0].active);
  // Parked at the idle loop: its four-byte delay follows, then a rest and park again.
  EXPECT_EQ(rig.d.channels[0].pos, audio::AdlibDriver::kIdleLoop + 4);
  EXPECT_GT(rig.d.channels[0].counter, 1000000);
  (void)w;
}

TEST(AdlibShadow, SameValueIsWrittenOnce) {
  AdlibRig rig(Bytes{0x00, 0x91});
  rig.tick();
  rig.writes.clear();
  rig.d.out(0x43, 0x10);
  rig.d.out(0x43, 0x10);
  rig.d.out(0x43, 0x11);
  EXPECT_EQ(rig.writes, (Writes{{0x43, 0x10}, {0x43, 0x11}}));
  EXPECT_EQ(rig.d.image()[audio::AdlibDriver::kRegisterShadow + 0x43], 0x11);

  // A shadow of 0xFF swallows every first write of 0xFF.
  AdlibRig ff(Bytes{0x00, 0x91}, {testimg::organ()}, 0xFF);
  ff.tick();
  ff.writes.clear();
  ff.d.out(0x80, 0xFF);
  EXPECT_TRUE(ff.writes.empty());
}

TEST(AdlibRequests, StopWaitsForAChannelCount) {
  AdlibRig rig(voice0({0x30, 0x7F, 0x7F}));
  rig.tick();
  rig.d.stopRequest = 1;
  const Writes w = rig.tick();
  EXPECT_EQ(w, (Writes{{0xB0, 0x0D}}));
  EXPECT_EQ(rig.d.currentTune, 0);
  EXPECT_EQ(rig.d.stopRequest, 0);
  EXPECT_FALSE(rig.d.channels[0].active);

  rig.d.channelCount = 0;
  rig.d.stopRequest = 1;
  rig.tick();
  EXPECT_EQ(rig.d.stopRequest, 1) << "pending while no tune has set a channel count";
  rig.d.channelCount = 17;
  rig.tick();
  EXPECT_EQ(rig.d.stopRequest, 1);
}

TEST(AdlibRequests, NewTuneKeysOffTheOld) {
  const Bytes code = voice0({0x30, 0x7F, 0x7F});
  AdlibRig rig(AdlibRig::Image{testimg::adlibImage(
      {testimg::Tune{10, 100, {code}}, testimg::Tune{10, 100, {code}}}, {testimg::organ()})});
  rig.tick();
  rig.d.startRequest = 2;
  const Writes w = rig.tick();
  ASSERT_FALSE(w.empty());
  EXPECT_EQ(w.front(), (Write{0xB0, 0x0D}));
  EXPECT_EQ(rig.d.currentTune, 2);
  EXPECT_EQ(rig.d.channels[0].instrumentNo, 0);
  EXPECT_EQ(rig.d.channels[0].volume, 127);
}

TEST(AdlibRequests, SilenceKeysOffEverything) {
  AdlibRig rig(voice0({0x30, 0x7F, 0x7F}));
  rig.tick();
  rig.writes.clear();
  rig.d.startRequest = 1;
  rig.d.silence();
  EXPECT_EQ(rig.writes, (Writes{{0xB0, 0x0D}}));
  EXPECT_EQ(rig.d.startRequest, 0);
  EXPECT_EQ(rig.d.currentTune, 0);
  EXPECT_FALSE(rig.d.channels[0].active);
}

TEST(AdlibRequests, ChannelsBeyondSixteenWrapOntoTheRecords) {
  std::vector<Bytes> channels(17, Bytes{0x05, 0x91});
  channels[16] = Bytes{0x09, 0x91};
  AdlibRig rig(AdlibRig::Image{testimg::adlibImage({testimg::Tune{10, 100, channels}}, {})});
  rig.tick();
  EXPECT_EQ(rig.d.channelCount, 17);
  EXPECT_EQ(rig.d.channels[0].counter, 8) << "channel 16 set up record 0 last";
}

}  // namespace
