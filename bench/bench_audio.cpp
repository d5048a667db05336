// Music rendering speed: the engine must render far faster than real time, since
// it runs on the audio thread beside the effect mixing.
#include <cstdio>
#include <vector>

#include "audio/music.h"
#include "bench.h"
#include "core/embedded.h"

namespace {

std::vector<std::uint8_t> embedded(const char* name) {
  const core::EmbeddedFile* f = core::embeddedFile(name);
  if (!f) return {};
  return std::vector<std::uint8_t>(f->data, f->data + f->size);
}

}  // namespace

TUMBOLD_BENCHMARK(music_render) {
  constexpr int kRate = 48000;
  constexpr double kSeconds = 60.0;
  constexpr int kChunk = 512;  // one audio callback
  const auto adlib = embedded("assets/audio/adlib.dat");
  const auto beeper = embedded("assets/audio/beeper.dat");
  if (adlib.empty() || beeper.empty()) {
    std::printf("music_render: the driver images are not embedded; skipped\n");
    return;
  }
  for (int device = 0; device < 2; ++device) {
    double worst = 0.0, total = 0.0;
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
    }
    std::printf("music_render %-10s: 60 s of music in %.3f s on average, %.3f s at worst "
                "(%.0fx real time at worst; needs >= 100x)\n",
                device == 0 ? "AdLib" : "PC speaker", total / tunes, worst, kSeconds / worst);
  }
  // The share of the FM chip core alone: the native samples that 60 s need.
  audio::OplChip chip;
  const int native = static_cast<int>(audio::Music::kChipRate * kSeconds);
  int sink = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < native; ++i) sink += chip.generate();
  const double s = bench::seconds(start);
  std::printf("music_render chip core : %d native samples in %.3f s (%.0f ns each)%s\n", native, s,
              s * 1e9 / native, sink == 12345 ? " " : "");
}
