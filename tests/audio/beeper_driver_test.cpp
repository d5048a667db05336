#include <gtest/gtest.h>

#include <utility>

#include "driver_rigs.h"

namespace {

using testimg::Bytes;
using testimg::Write;
using testimg::Writes;

testimg::Instrument tone(std::uint8_t length, std::uint8_t transpose = 0) {
  testimg::Instrument i{};
  i[8] = transpose;
  i[9] = length;
  return i;
}

// Initial delay 0, instrument 0, then the given events.
Bytes withInstrument(const Bytes& events) {
  Bytes code{0x00, 0x92, 0x00, 0x00};
  for (std::uint8_t b : events) code.push_back(b);
  return code;
}

// Channels of tune 1, one whole tick per driver tick.
struct BeeperRig : testimg::BeeperRig {
  BeeperRig(std::vector<Bytes> channels, const std::vector<testimg::Instrument>& instruments)
      : testimg::BeeperRig(testimg::speakerTune(std::move(channels), instruments)) {}
};

TEST(BeeperSpeaker, OneToneSoundsEveryTick) {
  BeeperRig rig({{0x00, 0x92, 0x00, 0x00, 0x45, 0x40, 0x7F}}, {tone(100)});
  const Writes first = rig.tick();
  const int div = rig.divisorOf(0x45);
  EXPECT_EQ(first, (Writes{{0x42, div & 0xFF}, {0x42, (div >> 8) & 0x1F}, {0x61, 3}}));
  EXPECT_EQ(rig.d.pitCounter, div);
  EXPECT_EQ(rig.d.port61 & 3, 3);
  EXPECT_EQ(rig.tick(), (Writes{{0x61, 3}})) << "the same divisor is not sent again";
}

TEST(BeeperSpeaker, ThreeTonesTakeTurns) {
  BeeperRig rig({withInstrument({0x3C, 0x40, 0x7F}), withInstrument({0x40, 0x40, 0x7F}),
                 withInstrument({0x43, 0x40, 0x7F})},
                {tone(100)});
  std::vector<int> played;
  for (int i = 0; i < 6; ++i) {
    rig.tick();
    played.push_back(rig.d.lastDivisor);
  }
  const int a = rig.divisorOf(0x3C), b = rig.divisorOf(0x40), c = rig.divisorOf(0x43);
  // The rotor starts at 0 and moves before it looks: channel 1 first.
  EXPECT_EQ(played, (std::vector<int>{b, c, a, b, c, a}));
}

TEST(BeeperSpeaker, LengthEndsTheToneAndZeroLengthNeverSounds) {
  BeeperRig rig({withInstrument({0x3C, 0x40, 0x7F})}, {tone(2)});
  rig.tick();
  EXPECT_TRUE(rig.d.channels[0].toneOn);
  rig.tick();
  EXPECT_TRUE(rig.d.channels[0].toneOn);
  const Writes w = rig.tick();
  EXPECT_FALSE(rig.d.channels[0].toneOn);
  EXPECT_EQ(w, (Writes{{0x61, 2}})) << "no tone: only the gate's bit 0 drops";

  BeeperRig silent({withInstrument({0x3C, 0x40, 0x7F})}, {tone(0)});
  silent.tick();
  EXPECT_EQ(silent.d.channels[0].divisor, silent.divisorOf(0x3C)) << "the divisor is still set";
  EXPECT_FALSE(silent.d.channels[0].toneOn);
  EXPECT_EQ(silent.d.port61, 0);
}

TEST(BeeperSpeaker, NotesOutsideTheTableChangeNothing) {
  BeeperRig rig({withInstrument({0x10, 0x40, 0x7F})}, {tone(5)});
  rig.tick();
  EXPECT_EQ(rig.d.channels[0].note, 0x10);
  EXPECT_FALSE(rig.d.channels[0].toneOn);
  EXPECT_EQ(rig.d.channels[0].remaining, 5) << "the length is taken even so";
  // Transpose wraps as a byte: 0x7F + 0x90 = 0x0F.
  BeeperRig wrapped({withInstrument({0x7F, 0x40, 0x7F})}, {tone(5, 0x90)});
  wrapped.tick();
  EXPECT_FALSE(wrapped.d.channels[0].toneOn);
}

TEST(BeeperCodes, SilenceCodesAndSkips) {
  // 0x90 with another note keeps the tone; with the note it silences it.
  BeeperRig rig({withInstrument({0x3C, 0x40, 0x01, 0x90, 0x3D, 0x01, 0x90, 0x3C, 0x7F})},
                {tone(100)});
  rig.tick();
  rig.tick();
  EXPECT_TRUE(rig.d.channels[0].toneOn);
  rig.tick();
  EXPECT_FALSE(rig.d.channels[0].toneOn);
  EXPECT_EQ(rig.d.channels[0].note, 0);

  // 0x80..0x8F and 0x94..0x96 take no operand; 0x97/0x9B skip one, 0x9D two bytes;
  // the note after them must still be read in step.
  BeeperRig skips({withInstrument({0x85, 0x00, 0x94, 0x00, 0x96, 0x00, 0x97, 0x3C, 0x00, 0x9B,
                                   0x3C, 0x00, 0x9D, 0x3C, 0x3C, 0x00, 0x45, 0x40, 0x7F})},
                  {tone(100)});
  skips.tick();
  EXPECT_EQ(skips.d.channels[0].note, 0x45);
  EXPECT_EQ(skips.d.lastDivisor, skips.divisorOf(0x45));

  BeeperRig off({withInstrument({0x3C, 0x40, 0x01, 0x99, 0x7F})}, {tone(100)});
  off.tick();
  off.tick();
  EXPECT_FALSE(off.d.channels[0].toneOn);
}

TEST(BeeperCodes, InstrumentTempoLoopAndPark) {
  BeeperRig rig({{0x00, 0x92, 0x01, 0x00, 0x93, 0x50, 0x00, 0x9C, 0x01, 0x3C, 0x40, 0x01,
                  0x98, 0x00}},
                {tone(0), tone(1, 12)});
  rig.tick();
  EXPECT_EQ(rig.d.channels[0].instrument, rig.d.instrumentBase + 16);
  EXPECT_EQ(rig.d.tempoValue, 0x50);
  EXPECT_EQ(rig.d.step, audio::tempoStep(17897, 40 * 0x50));

  BeeperRig park({{0x00, 0x9A}}, {tone(1)});
  park.tick();
  EXPECT_TRUE(park.d.channels[0].active);
  EXPECT_EQ(park.d.channels[0].pos, audio::BeeperDriver::kIdleLoop + 4);
}

TEST(BeeperCodes, EndingTheLastChannelClearsTheTune) {
  BeeperRig rig({{0x00, 0x91}, {0x02, 0xC0}}, {tone(1)});
  rig.tick();
  EXPECT_FALSE(rig.d.channels[0].active);
  EXPECT_EQ(rig.d.currentTune, 1) << "one of two ended";
  rig.tick();
  rig.tick();
  EXPECT_FALSE(rig.d.channels[1].active);
  EXPECT_EQ(rig.d.currentTune, 0);
}

TEST(BeeperRequests, OnlyFourChannelsAndTempoForEmptyTunes) {
  std::vector<Bytes> five(5, withInstrument({0x3C, 0x40, 0x7F}));
  BeeperRig rig(five, {tone(100)});
  rig.tick();
  for (const auto& ch : rig.d.channels) EXPECT_TRUE(ch.active);

  BeeperRig empty({}, {});
  empty.tick();
  EXPECT_EQ(empty.d.currentTune, 1);
  EXPECT_EQ(empty.d.step, 65536u) << "the tempo is taken for a tune of no channels";
}

TEST(BeeperRequests, StopAndSilenceCloseTheGate) {
  BeeperRig rig({withInstrument({0x3C, 0x40, 0x7F})}, {tone(100)});
  rig.tick();
  rig.d.stopRequest = 1;
  const Writes w = rig.tick();
  EXPECT_EQ(rig.d.currentTune, 0);
  EXPECT_FALSE(rig.d.channels[0].active);
  EXPECT_EQ(w.front(), (Write{0x61, 0}));
  EXPECT_EQ(rig.d.port61 & 3, 0);

  BeeperRig again({withInstrument({0x3C, 0x40, 0x7F})}, {tone(100)});
  again.tick();
  again.writes.clear();
  again.d.silence();
  EXPECT_EQ(again.writes, (Writes{{0x61, 0}}));
  EXPECT_EQ(again.d.port61 & 3, 0);
  EXPECT_EQ(again.d.currentTune, 0);
  EXPECT_FALSE(again.d.channels[0].toneOn);
}

TEST(BeeperPorts, PitLatchAlternatesBytes) {
  audio::BeeperDriver d;
  d.port(0x42, 0x34);
  d.port(0x42, 0x12);
  EXPECT_EQ(d.pitCounter, 0x1234);
  EXPECT_EQ(d.pitHighNext, 0);
  d.port(0x42, 0x78);
  EXPECT_EQ(d.pitCounter, 0x1278);
  EXPECT_EQ(d.pitHighNext, 1);
  d.port(0x61, 0xAB);
  EXPECT_EQ(d.port61, 0xAB);
  EXPECT_EQ(d.pitHighNext, 1) << "the gate port leaves the latch alone";
}

}  // namespace
