// The save and load views over nine slots, listed as the menu lists them when
// a view opens: the first listing and the ones after it, which find nothing
// changed. Two sets of slots: hostile ones, each save the longest history a
// save may hold written as a thousand runs over all of it, beside an 8192 x
// 8192 picture of a few hundred kilobytes, with the reading and replay of one
// such save as a load makes them; and the saves of a long game, 6 million
// steps with a key held at every other one (3 million runs, some 59 MB).

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
#include "render/rgba.h"
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

// The first listing of the slots, then the mean of twenty more.
void timeListings(const app::PauseFlow& flow) {
  auto start = std::chrono::steady_clock::now();
  std::size_t readable = 0;
  for (const auto& info : flow.listSlots()) readable += info.readable ? 1 : 0;
  const double first = bench::seconds(start);
  const int rounds = 20;
  start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) flow.listSlots();
  std::printf("listing nine slots: first %.3f s, again %.3f ms (%zu of 9 readable)\n", first,
              bench::seconds(start) * 1000 / rounds, readable);
}

// A game with its pause flow over slots in a scratch folder, which goes with it.
struct SlotBench {
  std::optional<render::GameGraphics> graphics = render::loadGameGraphics(data_test::kRoot);
  std::optional<ui::MenuArt> art = ui::MenuArt::load(data_test::kRoot);
  fs::path folder;
  std::unique_ptr<app::GameApp> game;
  std::unique_ptr<app::PauseFlow> flow;

  explicit SlotBench(const std::string& name)
      : folder(fs::temp_directory_path() / (name + "_" + std::to_string(::getpid()))) {
    const data_test::Shipped& data = data_test::shipped();
    if (!data.complete() || !graphics || !art) {
      std::printf("the shipped data set does not load\n");
      return;
    }
    game = std::make_unique<app::GameApp>(data.content, *data.program, *graphics, nullptr);
    flow = std::make_unique<app::PauseFlow>(*game, *art, folder);
  }
  ~SlotBench() {
    flow.reset();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  SlotBench(const SlotBench&) = delete;
  SlotBench& operator=(const SlotBench&) = delete;
};

}  // namespace

TUMBOLD_BENCHMARK(slot_listing) {
  SlotBench bench("bench_slots");
  if (!bench.flow) return;
  app::PauseFlow& flow = *bench.flow;
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

  timeListings(flow);

  auto start = std::chrono::steady_clock::now();
  const auto loaded = app::readQuickSave(flow.slotPath(1));
  std::printf("reading one for a load: %.1f ms (%zu steps)\n", bench::seconds(start) * 1000,
              loaded ? loaded->keys.size() : 0);
  if (loaded) {
    start = std::chrono::steady_clock::now();
    const bool replayed = bench.game->loadHistory(loaded->keys);
    std::printf("replaying it: %.2f s (%s)\n", bench::seconds(start), replayed ? "replayed" : "stopped short");
  }
}

TUMBOLD_BENCHMARK(slot_listing_long_games) {
  SlotBench bench("bench_slots_long");
  if (!bench.flow) return;
  app::PauseFlow& flow = *bench.flow;
  const ui::MenuArt* art = &*bench.art;
  app::QuickSave save;
  save.savedAt = 1;
  save.keys.assign(6000000, 0);
  for (std::size_t i = 0; i < save.keys.size(); i += 2) save.keys[i] = 8;
  render::RgbaImage thumb;
  thumb.width = art->emptyThumb.width;
  thumb.height = art->emptyThumb.height;
  thumb.pixels.assign(static_cast<std::size_t>(thumb.width) * thumb.height, 0xFF336699u);
  for (int slot = 0; slot <= app::PauseFlow::kSlots; ++slot) {
    const fs::path path = flow.slotPath(slot);
    fs::create_directories(path.parent_path());
    fs::path picturePath = path;
    if (!app::writeQuickSave(path, save) || !render::saveRgbaPng(picturePath.replace_extension(".png"), thumb)) {
      std::printf("the saves cannot be written in %s\n", bench.folder.string().c_str());
      return;
    }
  }
  std::error_code ignored;
  std::printf("each slot: a save of %ju bytes, %zu steps\n", fs::file_size(flow.slotPath(1), ignored),
              save.keys.size());
  timeListings(flow);
}
