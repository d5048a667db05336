#include "app/audio_tools/tune_render.h"

#include <cmath>
#include <fstream>
#include <system_error>
#include <vector>

#include "app/audio_tools/opl_replay.h"
#include "audio/music.h"
#include "audio/wav.h"
#include "core/log.h"

namespace app {

namespace {

constexpr int kRate = 48000;
constexpr std::size_t kChunk = 4800;
// The data size field is 32 bits wide, and the RIFF size adds 36 to it.
constexpr double kMaxSamples = (4294967295.0 - 36.0) / 2.0;

}  // namespace

int renderTune(const std::filesystem::path& root, int tune, double seconds,
               const std::string& out, bool speaker) {
  auto adlib = driverImage(root, "adlib.dat");
  auto beeper = driverImage(root, "beeper.dat");
  if (!adlib || !beeper) return 1;

  // The engine takes either driver alone; a tune rendered without the selected
  // one would be silence passed off as music.
  const char* const selected = speaker ? "beeper.dat" : "adlib.dat";
  if ((speaker ? beeper : adlib)->empty()) {
    core::log(core::LogLevel::Error, "assets/audio/%s is empty", selected);
    return 1;
  }
  audio::Music music(kRate);
  // A refused image has had its driver's line.
  if (!music.load(std::move(*adlib), std::move(*beeper))) return 1;
  if (!(speaker ? music.beeperLoaded() : music.adlibLoaded())) return 1;
  if (speaker) music.setDevice(audio::Music::Device::Speaker);
  music.startTune(static_cast<std::uint8_t>(tune), false);

  // A negative, non-numeric or endless length has no sample count to form.
  const double wanted = kRate * seconds;
  if (!(wanted >= 0.0) || wanted > kMaxSamples) {
    core::log(core::LogLevel::Error, "cannot render a tune of %g seconds", seconds);
    return 1;
  }
  const auto count = static_cast<std::uint32_t>(wanted);

  std::error_code ec;
  const std::filesystem::path outPath(out);
  if (outPath.has_parent_path()) std::filesystem::create_directories(outPath.parent_path(), ec);
  std::ofstream file(outPath, std::ios::binary | std::ios::trunc);
  const auto header = audio::wavHeader(count, kRate);
  file.write(reinterpret_cast<const char*>(header.data()), header.size());

  // Rendered in chunks so that long renders need little memory; the engine only
  // adds, so every chunk starts from silence.
  std::vector<std::int16_t> samples(kChunk);
  std::vector<std::uint8_t> bytes;
  for (std::uint32_t done = 0; done < count && file;) {
    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(kChunk, count - done));
    std::fill(samples.begin(), samples.begin() + n, 0);
    music.render(samples.data(), static_cast<int>(n), 1.0f);
    bytes.clear();
    audio::appendSamples(bytes, samples.data(), n);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    done += n;
  }
  file.close();
  if (file.fail()) {
    core::log(core::LogLevel::Error, "cannot write %s", out.c_str());
    return 1;
  }
  core::log(core::LogLevel::Info, "tune %d (%s), %.1f s -> %s", tune,
            speaker ? "PC speaker" : "AdLib", seconds, out.c_str());
  return 0;
}

}  // namespace app
