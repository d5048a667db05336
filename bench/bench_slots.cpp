// The save and load views over nine hostile slots: each save the longest
// history a save may hold, written as a thousand runs over all of it, beside
// an 8192 x 8192 picture of a few hundred kilobytes. The listing is timed as
// the menu makes it, and the reading and replay of one such save as a load
// makes them.

#include <lodepng.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "app/game/game_app.h"
#include "app/pause/pause_flow.h"
#include "app/game/quick_save.h"
#include "bench.h"
#include "data/shipped_data.h"
#include "render/game_graphics.h"
#include "sim/input_history.h"
#include "ui/menu_art.h"

namespace {

namespace fs = std::filesystem;

std::string overlappingSave() {
  const std::uint64_t last = sim::kMaxHistorySteps - 1;
  std::string text = "{\"format\":\"tumbold-quicksave\",\"version\":2,\"saved_at\":1,\"steps\":" +
                     std::to_string(sim::kMaxHistorySteps) + ",\"keys\":[";
  for (int i = 0; i < 1000; ++i) text += (i ? ",[0," : "[0,") + std::to_string(last) + "," + std::to_string(i & 255) + "]";
  return text + "]}";
}

// One bit of grey per pixel keeps the encoding small; decoded as RGBA it is 256 MB.
std::vector<unsigned char> hugePicture() {
  const unsigned side = 8192;
  std::vector<unsigned char> bits(side / 8 * side, 0);
  std::vector<unsigned char> png;
  lodepng::encode(png, bits, side, side, LCT_GREY, 1);
  return png;
}

}  // namespace

TUMBOLD_BENCHMARK(slot_listing) {
  const data_test::Shipped& data = data_test::shipped();
  const auto graphics = render::loadGameGraphics(data_test::kRoot);
  const auto art = ui::MenuArt::load(data_test::kRoot);
  if (!data.complete() || !graphics || !art) {
    std::printf("the shipped data set does not load\n");
    return;
  }
  const fs::path folder = fs::temp_directory_path() / ("bench_slots_" + std::to_string(::getpid()));
  auto game = std::make_unique<app::GameApp>(data.content, *data.program, *graphics, nullptr);
  app::PauseFlow flow(*game, *art, folder);
  const std::string save = overlappingSave();
  const std::vector<unsigned char> picture = hugePicture();
  for (int slot = 0; slot <= app::PauseFlow::kSlots; ++slot) {
    const fs::path path = flow.slotPath(slot);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << save;
    fs::path picturePath = path;
    std::ofstream(picturePath.replace_extension(".png"), std::ios::binary)
        .write(reinterpret_cast<const char*>(picture.data()), static_cast<std::streamsize>(picture.size()));
  }
  std::printf("each slot: a save of %zu bytes, a picture of %zu bytes\n", save.size(), picture.size());

  const int rounds = 20;
  auto start = std::chrono::steady_clock::now();
  std::size_t readable = 0;
  for (int i = 0; i < rounds; ++i) {
    for (const auto& info : flow.listSlots()) readable += info.readable ? 1 : 0;
  }
  std::printf("listing nine slots: %.2f ms (%zu of 9 readable)\n", bench::seconds(start) * 1000 / rounds,
              readable / rounds);

  start = std::chrono::steady_clock::now();
  const auto loaded = app::readQuickSave(flow.slotPath(1));
  std::printf("reading one for a load: %.1f ms (%zu steps)\n", bench::seconds(start) * 1000,
              loaded ? loaded->keys.size() : 0);
  if (loaded) {
    start = std::chrono::steady_clock::now();
    const bool replayed = game->loadHistory(loaded->keys);
    std::printf("replaying it: %.2f s (%s)\n", bench::seconds(start), replayed ? "replayed" : "stopped short");
  }
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}
