// The shipped data folder with one file damaged at a time: a folder in its
// place, the file emptied, or cut to its first byte. Every loader of the data
// either loads silently or fails with error lines, never throws, and (under
// the sanitizers) never reads outside what it was given.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/audio_tools/opl_replay.h"
#include "assets/palette.h"
#include "assets/tile_set.h"
#include "audio/music.h"
#include "core/embedded.h"
#include "core/files.h"
#include "render/game_graphics.h"
#include "render/hud_screen.h"
#include "render/rgba.h"
#include "support/scratch_dir.h"
#include "ui/menu_art.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace {

// Runs one loader; a failure must come with error lines and nothing else.
template <class Load>
void expectCleanLoad(const char* what, std::string& log, Load&& load) {
  ::testing::internal::CaptureStderr();
  const bool loaded = load();
  const std::string lines = ::testing::internal::GetCapturedStderr();
  if (!loaded) {
    EXPECT_EQ(lines.rfind("[error] ", 0), 0u) << what << " failed with: " << lines;
    EXPECT_EQ(lines.find("\n[info]"), std::string::npos) << what << ": " << lines;
  }
  log += lines;
}

// Every loader the game and the tools use on a data root; the log of all.
// The world is only loaded again when it is the damaged file (it is by far
// the largest); otherwise the undamaged one stands in.
std::string loadEverything(const fs::path& root, const world::World& undamaged, bool worldDamaged) {
  std::string log;
  std::optional<world::World> world;
  expectCleanLoad("palette", log,
                  [&] { return assets::loadPalette(root / "assets" / "palettes" / "vga.json").has_value(); });
  expectCleanLoad("tiles", log, [&] { return assets::loadTileSet(root / "assets" / "graphics").has_value(); });
  if (worldDamaged) {
    expectCleanLoad("world", log, [&] { return (world = world::loadWorld(root / "world" / "world.json")).has_value(); });
  }
  std::optional<render::GameGraphics> graphics;
  expectCleanLoad("graphics", log, [&] { return (graphics = render::loadGameGraphics(root)).has_value(); });
  if (graphics) {
    expectCleanLoad("hud", log, [&] { return render::loadHudScreen(root, *graphics, world ? *world : undamaged).has_value(); });
  }
  expectCleanLoad("menu art", log, [&] { return ui::MenuArt::load(root).has_value(); });
  expectCleanLoad("icon", log, [&] { return render::loadRgbaPng(root / "assets" / "icon" / "icon_64.png").has_value(); });
  expectCleanLoad("drivers", log, [&] {
    auto adlib = app::driverImage(root, "adlib.dat");
    auto beeper = app::driverImage(root, "beeper.dat");
    audio::Music music(48000);
    return adlib && beeper && music.load(std::move(*adlib), std::move(*beeper));
  });
  for (const core::EmbeddedFile* e = core::kEmbeddedFiles; e->name != nullptr; ++e) {
    if (fs::path(e->name).extension() != ".wav") continue;
    expectCleanLoad(e->name, log, [&] { return core::readFile(root / e->name).has_value(); });
  }
  return log;
}

TEST(DamagedData, EveryFileAsAFolderEmptyOrOneByteFailsCleanly) {
  testsupport::ScratchDir scratch("tumbold_damaged");
  const fs::path root = scratch.path();
  for (const char* folder : {"assets", "world"}) fs::copy(fs::path(TUMBOLD_SOURCE_DIR) / folder, root / folder,
                                                          fs::copy_options::recursive);
  const auto world = world::loadWorld(root / "world" / "world.json");
  ASSERT_TRUE(world);
  ASSERT_EQ(loadEverything(root, *world, true), "");

  enum class Damage { Folder, Empty, OneByte };
  for (const core::EmbeddedFile* e = core::kEmbeddedFiles; e->name != nullptr; ++e) {
    const fs::path file = root / e->name;
    const fs::path aside = root / "aside";
    for (Damage damage : {Damage::Folder, Damage::Empty, Damage::OneByte}) {
      SCOPED_TRACE(std::string(e->name) + " damage " + std::to_string(static_cast<int>(damage)));
      fs::rename(file, aside);
      if (damage == Damage::Folder) {
        fs::create_directories(file);
      } else {
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(e->data), damage == Damage::OneByte);
      }
      const std::string log = loadEverything(root, *world, std::string(e->name) == "world/world.json");
      // A folder is named by whoever reads the file (ega.json is read by nobody).
      if (damage == Damage::Folder && std::string(e->name) != "assets/palettes/ega.json") {
        EXPECT_NE(log.find("[error] cannot open " + file.string() + "\n"), std::string::npos) << log;
      }
      fs::remove_all(file);
      fs::rename(aside, file);
      if (HasFailure()) return;
    }
  }
}

}  // namespace
