// Music rendering speed. The AdLib music calls the FM chip emulator once per
// native chip sample, and the chip's own time is the floor under its time: what
// is measured is the engine's share above it (the drivers, the resampling and
// the mixing), against the chip alone over the same native samples.
#include <cstdio>
#include <vector>

#include "audio/music.h"
#include "bench.h"
#include "core/embedded.h"

namespace {

constexpr int kRate = 48000;
constexpr double kSeconds = 60.0;
constexpr int kChunk = 512;  // one audio callback

// Where the chip's samples go, so that they are not optimised away.
volatile int gSink = 0;

std::vector<std::uint8_t> embedded(const char* name) {
  const core::EmbeddedFile* f = core::embeddedFile(name);
  if (!f) return {};
  return std::vector<std::uint8_t>(f->data, f->data + f->size);
}

// The chip alone over the native samples that kSeconds of music need.
double chipSeconds() {
  audio::OplChip chip;
  const int native = static_cast<int>(audio::Music::kChipRate * kSeconds);
  const auto start = std::chrono::steady_clock::now();
  int sum = 0;
  for (int i = 0; i < native; ++i) sum += chip.generate();
  const double s = bench::seconds(start);
  gSink = sum;
  return s;
}

}  // namespace

TUMBOLD_BENCHMARK(music_render) {
  const auto adlib = embedded("assets/audio/adlib.dat");
  const auto beeper = embedded("assets/audio/beeper.dat");
  if (adlib.empty() || beeper.empty()) {
    std::printf("music_render: the driver images are not embedded; skipped\n");
    return;
  }
  for (int device = 0; device < 2; ++device) {
    double worst = 0.0, total = 0.0, chip = 0.0;
    int tunes = 0;
    for (int tune = 1; tune <= 9; ++tune) {
      audio::Music music(kRate);
      if (!music.load(adlib, beeper)) return;
      if (device == 1) music.setDevice(audio::Music::Device::Speaker);
      music.startTune(static_cast<std::uint8_t>(tune), false);
      std::vector<std::int16_t> buffer(kChunk);
      const int samples = static_cast<int>(kRate * kSeconds);
      const auto start = std::chrono::steady_clock::now();
      for (int done = 0; done < samples; done += kChunk) {
        std::fill(buffer.begin(), buffer.end(), 0);
        music.render(buffer.data(), kChunk, 1.0f);
      }
      const double s = bench::seconds(start);
      worst = std::max(worst, s);
      total += s;
      ++tunes;
      // Timed beside each tune, so that both see the machine alike.
      if (device == 0) chip += chipSeconds();
    }
    const double average = total / tunes;
    std::printf("music_render %-10s: 60 s of music in %.3f s on average, %.3f s at worst (%.0fx real time at worst)",
                device == 0 ? "AdLib" : "PC speaker", average, worst, kSeconds / worst);
    if (device == 0) {
      const double alone = chip / tunes;
      std::printf("; the chip alone takes %.3f s, the engine %.1f%% of the time above it", alone,
                  100.0 * (average - alone) / average);
    }
    std::printf("\n");
  }
}
