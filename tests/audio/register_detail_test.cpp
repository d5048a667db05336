#include <gtest/gtest.h>

#include <utility>

#include "driver_rigs.h"

// Byte-level details of the register and port writes: key-scaling bits, level
// wrap-around, register numbers formed from odd operator pairs, and the speaker's
// PIT bytes and channel rotation carried over from the image.
namespace {

using testimg::Bytes;
using testimg::Write;
using testimg::Writes;

using Adlib = testimg::AdlibRig;

Bytes oneChannel(const Bytes& code, const testimg::Instrument& instrument,
                 std::uint8_t shadow = 0) {
  return testimg::adlibImage({testimg::Tune{10, 100, {code}}}, {instrument}, shadow);
}

TEST(AdlibLevelBits, KeyScalingGoesToBothOperators) {
  testimg::Instrument ksl = testimg::organ();
  ksl[12] = 0x21;  // carrier gets bits 0-1 (01), modulator bits 4-5 (10)
  Adlib a(oneChannel({0x00, 0x80, 0x00, 0x92, 0x00, 0x00, 0x30, 0x7F, 0x10}, ksl));
  const Writes w = a.tick();
  ASSERT_GE(w.size(), 2u);
  EXPECT_EQ(w[w.size() - 2], (Write{0x43, 0x40 | a.table(121)})) << "carrier first";
  EXPECT_EQ(w.back(), (Write{0x40, 0x80 | a.table(101)}));

  testimg::Instrument high = testimg::organ();
  high[12] = 0xFF;  // only the two bit pairs count
  Adlib b(oneChannel({0x00, 0x80, 0x00, 0x92, 0x00, 0x00, 0x30, 0x7F, 0x10}, high));
  const Writes v = b.tick();
  EXPECT_EQ(v[v.size() - 2], (Write{0x43, 0xC0 | b.table(121)}));
  EXPECT_EQ(v.back(), (Write{0x40, 0xC0 | b.table(101)}));
}

TEST(AdlibLevelBits, LevelProductsWrapLikeBytes) {
  Adlib a(oneChannel({0x00, 0x91}, testimg::organ()));
  ASSERT_EQ(a.d.volume, 255);
  EXPECT_EQ(a.d.level(127, 127, 127), 128);
  EXPECT_EQ(a.d.level(255, 127, 127), 0) << "loudness + 1 wraps to 0";
  EXPECT_EQ(a.d.level(127, 255, 127), 0) << "velocity + 1 wraps to 0";
  EXPECT_EQ(a.d.level(127, 127, 255), 0) << "channel volume + 1 wraps to 0";
  // 128 x 255 x 2 = 65280 stays below the 16-bit mask: the loudest index, 255.
  EXPECT_EQ(a.d.level(127, 254, 127), 255);
  // (100 + 1) x (200 + 1) x 2 = 40602, masked to 40600; then 128 x 40600 >> 7 and
  // 256 x 40600 >> 16.
  EXPECT_EQ(a.d.level(100, 200, 127), 158);
  a.d.volume = 0xFFFF;
  EXPECT_EQ(a.d.level(127, 127, 127), 0) << "master volume + 1 wraps to 0";
  a.d.volume = 127;
  EXPECT_EQ(a.d.level(127, 127, 127), 64);
}

TEST(AdlibLevelBits, AdditiveModulatorFollowsVelocityAndVolumes) {
  testimg::Instrument inst = testimg::organ();
  inst[10] = 60;
  inst[11] = 90;
  // Volume 0x50, then a note of velocity 0x40.
  Adlib a(oneChannel({0x00, 0x80, 0x00, 0x92, 0x00, 0x00, 0x96, 0x50, 0x00, 0x30, 0x40, 0x10},
                     inst));
  const Writes w = a.tick();
  // Carrier: 91 x 65 x 2 = 11830 -> 11828; 81 x 11828 >> 7 = 7484; 256 x 7484 >> 16 = 29.
  // Modulator: 61 x 65 x 4 = 15860 -> 15856; 81 x 15856 >> 8 = 5016; 256 x 5016 >> 16 = 19.
  EXPECT_EQ(w[w.size() - 2], (Write{0x43, a.table(29)}));
  EXPECT_EQ(w.back(), (Write{0x40, a.table(19)}));
}

TEST(AdlibRegisterNumbers, OddOperatorPairsWrapTheRegisterBytes) {
  testimg::Instrument inst = testimg::organ();
  inst[6] = 0x01;
  inst[7] = 0x02;
  Bytes image = oneChannel({0x00, 0x8E, 0x00, 0x92, 0x00, 0x10}, inst, 0xAA);
  image[audio::AdlibDriver::kOperatorPairs + 28] = 0xF0;
  image[audio::AdlibDriver::kOperatorPairs + 29] = 0x35;
  Adlib a(std::move(image));
  const Writes expected = {{0x50, inst[0]}, {0x95, inst[1]}, {0x70, inst[2]}, {0xB5, inst[3]},
                           {0xD0, inst[6]}, {0x15, inst[7]}, {0xCE, inst[9]}, {0x10, inst[4]},
                           {0x55, inst[5]}};
  EXPECT_EQ(a.tick(), expected);
}

// Tune 1 of a speaker image whose bytes from `at` on are overwritten with `patch`.
struct Beeper : testimg::BeeperRig {
  Beeper(std::vector<Bytes> channels, const Bytes& patch = {}, std::size_t at = 0)
      : testimg::BeeperRig(patched(std::move(channels), patch, at)) {}
  static Bytes patched(std::vector<Bytes> channels, const Bytes& patch, std::size_t at) {
    testimg::Instrument tone{};
    tone[9] = 100;
    Bytes image = testimg::speakerTune(std::move(channels), {tone});
    std::copy(patch.begin(), patch.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
    return image;
  }
};

Bytes noteCode(std::uint8_t note) { return {0x00, 0x92, 0x00, 0x00, note, 0x40, 0x7F}; }

TEST(BeeperPortBytes, HighByteKeepsThirteenBits) {
  // Note 24 reads divisor-table entry 0, patched to 0xFFFF.
  Beeper b({noteCode(24)}, {0xFF, 0xFF}, audio::BeeperDriver::kDivisorTable);
  EXPECT_EQ(b.tick(), (Writes{{0x42, 0xFF}, {0x42, 0x1F}, {0x61, 3}}));
  EXPECT_EQ(b.d.pitCounter, 0x1FFF);
  EXPECT_EQ(b.d.lastDivisor, 0xFFFF) << "the remembered divisor keeps all 16 bits";
  EXPECT_EQ(b.tick(), (Writes{{0x61, 3}}));
}

TEST(BeeperPortBytes, RotorAndLastDivisorComeFromTheImage) {
  // Rotor 0: the next channel with a tone after 0 is channel 1.
  Beeper zero({noteCode(60), noteCode(72)});
  Writes w = zero.tick();
  ASSERT_EQ(w.size(), 3u);
  EXPECT_EQ(w[0].second, zero.divisorOf(72) & 0xFF);
  EXPECT_EQ(zero.tick()[0].second, zero.divisorOf(60) & 0xFF) << "then channel 0";

  // Rotor 2 in the image: 3 has no tone, so 4 (channel 0) plays first.
  Beeper two({noteCode(60), noteCode(72)}, {2}, 1677);
  w = two.tick();
  ASSERT_EQ(w.size(), 3u);
  EXPECT_EQ(w[0].second, two.divisorOf(60) & 0xFF);

  // Rotor 255 wraps to 0: channel 0 again.
  Beeper wrap({noteCode(60), noteCode(72)}, {255}, 1677);
  w = wrap.tick();
  ASSERT_EQ(w.size(), 3u);
  EXPECT_EQ(w[0].second, wrap.divisorOf(60) & 0xFF);
  EXPECT_EQ(wrap.d.rotor, 0);

  // A divisor equal to the image's last divisor is not sent, though the modelled
  // PIT still holds 0.
  Beeper same({noteCode(60)});
  const int div = same.divisorOf(60);
  Beeper last({noteCode(60)}, {static_cast<std::uint8_t>(div), static_cast<std::uint8_t>(div >> 8)},
              1675);
  EXPECT_EQ(last.tick(), (Writes{{0x61, 3}}));
  EXPECT_EQ(last.d.pitCounter, 0);
}

}  // namespace
