#include <gtest/gtest.h>

#include "audio/adlib_driver.h"
#include "audio/beeper_driver.h"
#include "audio/driver_frame.h"
#include "driver_images.h"

namespace {

using testimg::Bytes;

Bytes signedBytes(std::size_t size) {
  Bytes b(size, 0);
  testimg::signature(b);
  return b;
}

TEST(DriverImage, SizeLimitsAndSignature) {
  audio::AdlibDriver adlib;
  EXPECT_FALSE(adlib.load(signedBytes(4725)));
  EXPECT_FALSE(adlib.loaded());
  Bytes small = signedBytes(4726);
  small[4725] = 0x5A;
  EXPECT_TRUE(adlib.load(small));
  ASSERT_EQ(adlib.image().size(), 65536u);
  EXPECT_EQ(adlib.image()[4725], 0x5A);
  EXPECT_EQ(adlib.image()[4726], 0);
  EXPECT_FALSE(adlib.load(signedBytes(65537)));
  EXPECT_EQ(adlib.image()[4725], 0x5A) << "a refused image must leave the driver unchanged";

  Bytes wrong = signedBytes(8000);
  wrong[34] = 'x';
  EXPECT_FALSE(audio::AdlibDriver().load(wrong));
  EXPECT_FALSE(audio::AdlibDriver().load({}));
  EXPECT_TRUE(audio::AdlibDriver().load(signedBytes(65536)));

  audio::BeeperDriver beeper;
  EXPECT_FALSE(beeper.load(signedBytes(1779)));
  EXPECT_TRUE(beeper.load(signedBytes(1780)));
  EXPECT_EQ(beeper.image().size(), 65536u);
}

TEST(DriverImage, VariablesAreCopiedOut) {
  Bytes b = signedBytes(4726);
  testimg::put16(b, 4311, 1234);
  testimg::put16(b, 4315, 3);
  b[4317] = 2;
  b[4319] = 0x80;  // any non-zero stop byte becomes 1
  b[4321] = 7;
  b[4322] = 9;
  testimg::put16(b, 4720, 0x1111);
  testimg::put16(b, 4724, 0x2222);
  // Channel record 1: pos, counter, loop mark, voice, bend.
  const std::size_t r = 4333 + 22;
  testimg::put16(b, r, 0x3344);
  testimg::put16(b, r + 2, 0xFFFF);
  testimg::put16(b, r + 4, 0xFFFF);
  testimg::put16(b, r + 6, 0x5566);
  b[r + 8] = 4;
  b[r + 21] = 70;
  audio::AdlibDriver d;
  ASSERT_TRUE(d.load(b));
  EXPECT_EQ(d.timer, 1234);
  EXPECT_EQ(d.channelCount, 3);
  EXPECT_EQ(d.startRequest, 2);
  EXPECT_EQ(d.stopRequest, 1);
  EXPECT_EQ(d.tempoMul, 7);
  EXPECT_EQ(d.tempoValue, 9);
  EXPECT_EQ(d.tuneTable, 0x1111);
  EXPECT_EQ(d.instrumentBase, 0x2222);
  EXPECT_EQ(d.channels[1].pos, 0x3344);
  EXPECT_EQ(d.channels[1].counter, -1);
  EXPECT_EQ(d.channels[1].loopMark, 0x5566);
  EXPECT_EQ(d.channels[1].oplChannel, 4);
  EXPECT_EQ(d.channels[1].bend, 70);

  Bytes s = signedBytes(1780);
  testimg::put16(s, 1648, 999);
  s[1654] = 5;
  testimg::put16(s, 1686 + 18 * 2 + 15, 0x0ABC);
  audio::BeeperDriver beeper;
  ASSERT_TRUE(beeper.load(s));
  EXPECT_EQ(beeper.timer, 999);
  EXPECT_EQ(beeper.stopRequest, 1);
  EXPECT_EQ(beeper.channels[2].divisor, 0x0ABC);
}

TEST(DriverDelay, VariableLengthGroups) {
  Bytes image(65536, 0);
  auto decode = [&](Bytes bytes, std::uint16_t at = 100) {
    std::copy(bytes.begin(), bytes.end(), image.begin() + at);
    std::uint16_t pos = at;
    const std::uint32_t value = audio::readDelay(image, pos);
    return std::make_pair(value, static_cast<int>(pos - at));
  };
  EXPECT_EQ(decode({0x7F}), std::make_pair(127u, 1));
  EXPECT_EQ(decode({0x00}), std::make_pair(0u, 1));
  EXPECT_EQ(decode({0x81, 0x00}), std::make_pair(128u, 2));
  EXPECT_EQ(decode({0xFF, 0x7F}), std::make_pair(16383u, 2));
  EXPECT_EQ(decode({0xFF, 0xFF, 0x7F}), std::make_pair(2097151u, 3));
  EXPECT_EQ(decode({0x80, 0x80, 0x80, 0x80, 0x80}), std::make_pair(0xFFFFFFFFu, 5));

  // The read position wraps at 65536.
  image[65535] = 0x81;
  image[0] = 0x05;
  std::uint16_t pos = 65535;
  EXPECT_EQ(audio::readDelay(image, pos), 133u);
  EXPECT_EQ(pos, 1);
}

TEST(DriverTempo, StepArithmetic) {
  // timer 16976: t = 4217; AdLib 96 x 33 x 4 = 12672.
  EXPECT_EQ(audio::tempoStep(16976, 12672), 196934u);
  EXPECT_EQ(audio::tempoStep(1092, 12672), 1u);
  EXPECT_EQ(audio::tempoStep(0, 0), 1u);
  EXPECT_NE(audio::tempoStep(1093, 12672), 1u);
  EXPECT_EQ(audio::tempoStep(16976, 0), 0u);
  // The quotient joins the low word's dividend: 1 / 4217 of a tick gives 0, but
  // 4217 x 2 + 1 = q 2, r 1: (65536 + 2) / 4217 = 15.
  EXPECT_EQ(audio::tempoStep(16976, 4217 * 2 + 1), 2u * 65536u + 15u);

  audio::AdlibDriver adlib;
  ASSERT_TRUE(adlib.load(testimg::adlibImage({testimg::Tune{96, 33, {{0x00, 0x91}}}}, {})));
  adlib.setTimer(16976);
  adlib.startRequest = 1;
  adlib.tick();
  EXPECT_EQ(adlib.step, 196934u);

  audio::BeeperDriver beeper;
  ASSERT_TRUE(beeper.load(testimg::beeperImage({testimg::Tune{96, 33, {{0x00, 0x91}}}}, {})));
  beeper.setTimer(16976);
  beeper.startRequest = 1;
  beeper.tick();
  EXPECT_EQ(beeper.step, audio::tempoStep(16976, 96 * 33)) << "the speaker does not scale by 4";
}

// A channel that counts one tick per driver tick (step exactly 65536).
struct FrameChannel {
  std::uint16_t pos = 0;
  std::int32_t counter = 0;
};

TEST(DriverFrame, CounterOnlyCountsDownWhileItCovers) {
  Bytes image(65536, 0);
  int events = 0;
  auto event = [&](std::uint16_t& pos) {
    ++events;
    ++pos;
    return true;
  };
  image[11] = 4;  // the delay after the event at 10
  FrameChannel ch{10, 5};
  audio::runCounterFrame(image, ch, 3, event);
  EXPECT_EQ(events, 0);
  EXPECT_EQ(ch.counter, 2);
  EXPECT_EQ(ch.pos, 10);

  ch = FrameChannel{10, 5};
  audio::runCounterFrame(image, ch, 6, event);
  EXPECT_EQ(events, 1);
  EXPECT_EQ(ch.counter, 3);  // 5 - 6 + 4
  EXPECT_EQ(ch.pos, 12);

  ch = FrameChannel{10, 5};
  events = 0;
  audio::runCounterFrame(image, ch, 5, event);
  EXPECT_EQ(events, 0) << "a counter equal to the ticks only reaches zero";
  EXPECT_EQ(ch.counter, 0);

  // A negative counter compares as a huge unsigned value: it only counts down.
  ch = FrameChannel{10, -1};
  audio::runCounterFrame(image, ch, 1, event);
  EXPECT_EQ(events, 0);
  EXPECT_EQ(ch.counter, -2);
}

TEST(DriverFrame, EventsContinueWhileNegativeAndStopsKeepThePosition) {
  Bytes image(65536, 0);
  // Events at 20, 22, 24 with delays 0, 0, 3.
  image[23] = 0;
  image[21] = 0;
  image[25] = 3;
  int events = 0;
  FrameChannel ch{20, 0};
  audio::runCounterFrame(image, ch, 1, [&](std::uint16_t& pos) {
    ++events;
    ++pos;
    return true;
  });
  EXPECT_EQ(events, 3);
  EXPECT_EQ(ch.counter, 2);
  EXPECT_EQ(ch.pos, 26);

  ch = FrameChannel{20, 0};
  audio::runCounterFrame(image, ch, 1, [&](std::uint16_t& pos) {
    ++pos;
    return false;
  });
  EXPECT_EQ(ch.pos, 20) << "a stopping event does not store the read position";
}

TEST(DriverFrame, ZeroLengthLoopDoesNotHang) {
  Bytes image(65536, 0);  // every delay is 0
  FrameChannel ch{100, 0};
  int events = 0;
  audio::runCounterFrame(image, ch, 1, [&](std::uint16_t& pos) {
    ++events;
    pos = 100;  // jump back to where the loop starts, before its delay
    return true;
  });
  EXPECT_EQ(events, audio::kMaxEventsPerTick);
  EXPECT_EQ(ch.counter, 0) << "the channel resumes on the next tick";
}

TEST(DriverRequests, OutOfRangeStartsAreDropped) {
  const testimg::Tune tune{10, 100, {{0x00, 0x80, 0x00, 0xFF, 0x7F}}};
  std::vector<testimg::Tune> nine(9, tune);
  audio::AdlibDriver d;
  ASSERT_TRUE(d.load(testimg::adlibImage(nine, {})));
  d.startRequest = 3;
  d.tick();
  EXPECT_EQ(d.currentTune, 3);
  d.startRequest = 10;
  d.tick();
  EXPECT_EQ(d.currentTune, 3);
  EXPECT_EQ(d.startRequest, 0);
  EXPECT_TRUE(d.channels[0].active) << "the current tune continues";
  d.startRequest = 0;
  d.tick();
  EXPECT_EQ(d.currentTune, 3);

  audio::AdlibDriver empty;
  ASSERT_TRUE(empty.load(testimg::adlibImage({}, {})));
  empty.startRequest = 1;
  empty.tick();
  EXPECT_EQ(empty.currentTune, 0);

  audio::BeeperDriver beeper;
  ASSERT_TRUE(beeper.load(testimg::beeperImage({tune, tune}, {})));
  beeper.startRequest = 3;
  beeper.tick();
  EXPECT_EQ(beeper.currentTune, 0);
  beeper.startRequest = 2;
  beeper.tick();
  EXPECT_EQ(beeper.currentTune, 2);
}

TEST(DriverRequests, ZeroOffsetSetsTheTuneButReadsNoHeader) {
  Bytes b = testimg::adlibImage({testimg::Tune{10, 100, {{0x00, 0x91}}}}, {});
  testimg::put16(b, 4727, 0);  // O = 0
  audio::AdlibDriver d;
  ASSERT_TRUE(d.load(b));
  d.setTimer(16976);
  const std::uint32_t step = d.step;
  d.startRequest = 1;
  d.tick();
  EXPECT_EQ(d.currentTune, 1);
  EXPECT_EQ(d.step, step);
  EXPECT_FALSE(d.channels[0].active);
}

TEST(DriverRequests, UnloadedDriversIgnoreTicks) {
  audio::AdlibDriver adlib;
  adlib.startRequest = 1;
  adlib.tick();
  adlib.silence();
  audio::BeeperDriver beeper;
  beeper.startRequest = 1;
  beeper.tick();
  EXPECT_EQ(adlib.currentTune, 0);
  EXPECT_EQ(beeper.currentTune, 0);
}

}  // namespace
