// The pause flow over a real menu skin: slots and their files, saving and
// loading through the menu and the quick keys, what it refuses, settings kept
// in the folder, and a folder-less run.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "app/pause/pause_flow.h"
#include "app/game/quick_save.h"
#include "core/files.h"
#include "app_fixture.h"
#include "shipped_game.h"
#include "support/scratch_dir.h"

using namespace apptest;
using app::GameApp;
using app::PauseFlow;
using input::Command;
using input::Nav;
namespace fs = std::filesystem;

namespace {

const ui::MenuArt& art() {
  static const std::optional<ui::MenuArt> skin = ui::MenuArt::load(TUMBOLD_SOURCE_DIR);
  return *skin;
}

void press(PauseFlow& flow, std::initializer_list<Nav> keys) {
  for (Nav n : keys) flow.nav(n);
}

render::RgbaImage framed(const GameApp& game) {
  render::RgbaImage picture;
  game.compose(picture);
  return picture;
}

render::RgbaImage solid(int w, int h, std::uint32_t colour) {
  render::RgbaImage img;
  img.width = w;
  img.height = h;
  img.pixels.assign(static_cast<std::size_t>(w) * h, colour);
  return img;
}

std::unique_ptr<GameApp> inPlay(const TestGame& t) {
  auto game = t.makeApp();
  game->startGame();
  run(*game, 30);
  run(*game, 6, 8);
  return game;
}

// The picture at (x, y) of img equals the whole of part.
bool shows(const render::RgbaImage& img, const render::RgbaImage& part, int x, int y) {
  for (int j = 0; j < part.height; ++j)
    for (int i = 0; i < part.width; ++i)
      if (img.pixels[static_cast<std::size_t>(y + j) * img.width + x + i] !=
          part.pixels[static_cast<std::size_t>(j) * part.width + i])
        return false;
  return true;
}

TEST(PauseFlow, SlotsListWhatTheirFilesHold) {
  testsupport::ScratchDir dir("tumbold_pause");
  TestGame t(false);
  auto game = inPlay(t);
  PauseFlow flow(*game, art(), dir.path());
  EXPECT_EQ(game->quickSavePath, dir.path() / "quicksave.json");
  EXPECT_EQ(flow.slotPath(8), dir.path() / "saves" / "slot_8.json");

  ASSERT_TRUE(game->saveGame(flow.slotPath(1), solid(24, 12, 0xFF112233u)));
  ASSERT_TRUE(game->saveGame(flow.slotPath(2), solid(32, 16, 0xFF112233u)));  // picture of another size
  app::QuickSave timeless;
  timeless.keys = game->history;
  ASSERT_TRUE(app::writeQuickSave(flow.slotPath(3), timeless));
  fs::last_write_time(flow.slotPath(3), fs::file_time_type::clock::now() - std::chrono::hours(50));
  std::ofstream(flow.slotPath(4)) << "{\"format\":\"tumbold-quicksave\",\"version\":9}";
  fs::copy_file(dir.path() / "saves" / "slot_1.png", dir.path() / "saves" / "slot_4.png");

  testing::internal::CaptureStderr();
  const std::vector<ui::SlotInfo> slots = flow.listSlots();
  testing::internal::GetCapturedStderr();
  ASSERT_EQ(slots.size(), 9u);
  const std::int64_t now = std::time(nullptr);
  EXPECT_FALSE(slots[0].exists);
  EXPECT_TRUE(slots[1].readable);
  EXPECT_NEAR(static_cast<double>(slots[1].time), static_cast<double>(now), 5);
  ASSERT_TRUE(slots[1].thumbnail);
  EXPECT_EQ(slots[1].thumbnail->pixels, solid(24, 12, 0xFF112233u).pixels);
  EXPECT_TRUE(slots[2].readable);
  EXPECT_FALSE(slots[2].thumbnail) << "a picture of another size is ignored";
  EXPECT_NEAR(static_cast<double>(slots[3].time), static_cast<double>(now - 50 * 3600), 5)
      << "saved at 0: the file's own time";
  EXPECT_TRUE(slots[4].exists);
  EXPECT_FALSE(slots[4].readable);
  EXPECT_EQ(slots[4].time, 0);
  EXPECT_FALSE(slots[4].thumbnail);
  EXPECT_FALSE(slots[8].exists);

  // The thumbnail of a framed picture is its game view reduced; a raw picture gives none.
  render::RgbaImage frame = solid(348, 240, 0xFF000000u);
  for (int y = 66; y < 226; ++y)
    for (int x = 14; x < 334; ++x) frame.pixels[static_cast<std::size_t>(y) * 348 + x] = 0xFF00FF00u;
  EXPECT_EQ(flow.thumbnail(frame).pixels, solid(24, 12, 0xFF00FF00u).pixels);
  EXPECT_EQ(flow.thumbnail(solid(320, 200, 0xFF00FF00u)).width, 0);
}

TEST(PauseFlow, TheListingReadsOnlySlotsWhoseFilesChanged) {
  testsupport::ScratchDir dir("tumbold_pause");
  TestGame t(false);
  auto game = inPlay(t);
  PauseFlow flow(*game, art(), dir.path());
  const fs::path file = flow.slotPath(1);
  fs::path picture = file;
  picture.replace_extension(".png");
  app::QuickSave save;
  save.savedAt = 1000;
  ASSERT_TRUE(app::writeQuickSave(file, save));
  EXPECT_EQ(flow.listSlots()[1].time, 1000);
  const fs::file_time_type written = fs::last_write_time(file);

  // Another save of the same size, given the old file's time, passes for it;
  // a new time, or a new picture, has the slot read again.
  save.savedAt = 2000;
  ASSERT_TRUE(app::writeQuickSave(file, save));
  fs::last_write_time(file, written);
  EXPECT_EQ(flow.listSlots()[1].time, 1000);
  ASSERT_TRUE(render::saveRgbaPng(picture, solid(24, 12, 0xFF112233u)));
  EXPECT_EQ(flow.listSlots()[1].time, 2000);
  EXPECT_TRUE(flow.listSlots()[1].thumbnail);
  save.savedAt = 3000;
  ASSERT_TRUE(app::writeQuickSave(file, save));
  fs::last_write_time(file, written + std::chrono::seconds(1));
  EXPECT_EQ(flow.listSlots()[1].time, 3000);
}

TEST(PauseFlow, MenuSavesAndLoadsAndReportsWhatFailed) {
  testsupport::ScratchDir dir("tumbold_pause");
  TestGame t(false);
  auto game = inPlay(t);
  PauseFlow flow(*game, art(), dir.path());

  // Only a playable game pauses or quick-loads.
  auto title = t.makeApp();
  PauseFlow titleFlow(*title, art(), dir.path());
  titleFlow.command(Command::Pause, framed(*title));
  titleFlow.command(Command::QuickLoad, framed(*title));
  EXPECT_EQ(titleFlow.menu.viewName(), "closed");
  EXPECT_TRUE(title->noticeLines.empty());
  flow.command(Command::QuickLoad, framed(*game));
  EXPECT_EQ(game->noticeLines, std::vector<std::string>{"NO QUICK SAVE YET"});

  // Pause, SAVE, slot 2: saved with the thumbnail of the paused picture.
  const render::RgbaImage paused = framed(*game);
  flow.command(Command::Pause, paused);
  EXPECT_EQ(flow.menu.viewName(), "main");
  EXPECT_FALSE(game->waitRelease);
  press(flow, {Nav::Down, Nav::Ok, Nav::Down, Nav::Ok});
  EXPECT_EQ(flow.menu.msgTitle, "SAVED TO SLOT 2");
  EXPECT_EQ(flow.menu.msgText, "");
  auto picture = render::loadRgbaPng(dir.path() / "saves" / "slot_2.png");
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->pixels, flow.thumbnail(paused).pixels);
  press(flow, {Nav::Ok});
  EXPECT_EQ(flow.menu.viewName(), "save");

  // A slot folder that cannot be written.
  fs::remove_all(dir.path() / "saves");
  std::ofstream(dir.path() / "saves") << "in the way";
  testing::internal::CaptureStderr();
  press(flow, {Nav::Down, Nav::Ok});
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(flow.menu.viewName(), "message");
  EXPECT_EQ(flow.menu.msgTitle, "SAVE FAILED");
  EXPECT_EQ(flow.menu.msgText, "THE FILE COULD NOT BE WRITTEN");

  // Back to the main view, then RESUME: the menu closes and held keys must be let go.
  press(flow, {Nav::Ok, Nav::Back, Nav::Up});
  EXPECT_EQ(flow.menu.viewName(), "main");
  press(flow, {Nav::Ok});
  EXPECT_EQ(flow.menu.viewName(), "closed");
  EXPECT_TRUE(game->waitRelease);

  // A quick save that is no save: the quick load asks, fails and says why, the game plays on.
  std::ofstream(dir.path() / "quicksave.json") << "not a save";
  game->waitRelease = false;
  const sim::GameState before = game->sim.state;
  flow.command(Command::QuickLoad, framed(*game));
  EXPECT_EQ(flow.menu.viewName(), "confirm");
  testing::internal::CaptureStderr();
  press(flow, {Nav::Right, Nav::Ok});
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(flow.menu.viewName(), "message");
  EXPECT_EQ(flow.menu.msgTitle, "LOAD FAILED");
  EXPECT_EQ(flow.menu.msgText, "THE FILE CANNOT BE READ");
  EXPECT_TRUE(game->sim.state == before);
  press(flow, {Nav::Ok});
  EXPECT_EQ(flow.menu.viewName(), "closed");

  // A history that no longer replays (it ends in a game over): the game plays on as it was.
  TestGame talker;
  auto over = talker.makeApp();
  over->startGame();
  for (int guard = 0; guard < 3000 && over->sim.state.endCode == 0; ++guard) {
    if (over->mode == GameApp::kModeBubble) confirmBubble(*over);
    over->tick(0, false);
  }
  app::QuickSave broken;
  broken.keys = over->history;
  ASSERT_TRUE(app::writeQuickSave(dir.path() / "quicksave.json", broken));
  auto victim = talker.makeApp();
  victim->startGame();
  run(*victim, 5);
  const sim::GameState played = victim->sim.state;
  const render::RgbaImage shown = framed(*victim);
  PauseFlow victimFlow(*victim, art(), dir.path());
  victimFlow.command(Command::QuickLoad, framed(*victim));
  testing::internal::CaptureStderr();
  press(victimFlow, {Nav::Left, Nav::Ok});
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "[error] quick load: the replay stopped after " +
                                                        std::to_string(broken.keys.size() - 1) + " of " +
                                                        std::to_string(broken.keys.size()) + " steps\n");
  EXPECT_EQ(victimFlow.menu.viewName(), "message");
  EXPECT_EQ(victimFlow.menu.msgTitle, "LOAD FAILED");
  EXPECT_EQ(victimFlow.menu.msgText, "IT DOES NOT REPLAY");
  EXPECT_TRUE(victim->sim.state == played);
  EXPECT_EQ(framed(*victim).pixels, shown.pixels);
}

TEST(PauseFlow, AGameTooLongToSaveLeavesTheSaveThereAsItWas) {
  testsupport::ScratchDir dir("tumbold_pause");
  TestGame t(false);
  auto game = inPlay(t);
  PauseFlow flow(*game, art(), dir.path());
  const render::RgbaImage paused = framed(*game);
  const std::vector<std::uint8_t> played = game->history;
  for (int slot = 0; slot < 2; ++slot) {  // the quick key (scripted play's f5 too), then SAVE over slot 1
    game->history = played;
    ASSERT_TRUE(game->saveGame(flow.slotPath(slot), flow.thumbnail(paused)));
    const auto before = core::readTextFile(flow.slotPath(slot));
    game->history.resize((std::size_t{1} << 24) + 1, 8);  // one step more than a reader takes
    testing::internal::CaptureStderr();
    flow.command(slot == 0 ? Command::QuickSave : Command::Pause, paused);
    if (slot == 1) press(flow, {Nav::Down, Nav::Ok, Nav::Ok, Nav::Right, Nav::Ok});
    EXPECT_NE(testing::internal::GetCapturedStderr().find("16777217 steps are more than a save holds"),
              std::string::npos);
    const std::vector<std::string> told =
        slot == 0 ? game->noticeLines : std::vector<std::string>{flow.menu.msgTitle, flow.menu.msgText};
    EXPECT_EQ(told, (std::vector<std::string>{"SAVE FAILED", "THE GAME IS TOO LONG TO SAVE"})) << slot;
    EXPECT_EQ(core::readTextFile(flow.slotPath(slot)), before) << slot;
  }
}

TEST(PauseFlow, ASlotWhosePathCannotBeFollowedIsInUse) {
  TestGame t(false);
  auto game = inPlay(t);
  const std::function<void(const fs::path&)> links[] = {
      [](const fs::path& p) { fs::create_symlink(p.parent_path() / "gone.json", p); },  // leading nowhere
      [](const fs::path& p) { fs::create_symlink(p.filename(), p); }};                  // a loop
  for (const auto& link : links) {
    testsupport::ScratchDir dir("tumbold_pause");
    PauseFlow flow(*game, art(), dir.path());
    fs::create_directories(flow.slotPath(1).parent_path());
    link(flow.slotPath(1));
    link(flow.slotPath(0));
    const std::vector<ui::SlotInfo> slots = flow.listSlots();
    EXPECT_TRUE(slots[0].exists && !slots[0].readable && slots[1].exists && !slots[1].readable);
    flow.command(Command::Pause, framed(*game));
    press(flow, {Nav::Down, Nav::Ok, Nav::Ok});
    EXPECT_EQ(flow.menu.viewName(), "confirm") << "saving there asks first";
    press(flow, {Nav::Menu});
    flow.command(Command::QuickLoad, framed(*game));
    press(flow, {Nav::Left, Nav::Ok});
    EXPECT_EQ(flow.menu.msgText, "THE FILE CANNOT BE READ");
    press(flow, {Nav::Menu});
  }
}

TEST(PauseFlow, CheatsQuitAndTheBubbleWait) {
  testsupport::ScratchDir dir("tumbold_pause");
  TestGame t;
  auto game = t.makeApp();
  game->startGame();
  PauseFlow flow(*game, art(), dir.path());
  ASSERT_GE(runUntilMode(*game, GameApp::kModeBubble, 80), 0);

  // Paused in a speech bubble: saving is refused, cheats are not.
  flow.command(Command::Pause, framed(*game));
  EXPECT_FALSE(flow.menu.canSave);
  press(flow, {Nav::Down, Nav::Ok});
  EXPECT_EQ(flow.menu.msgTitle, "CANNOT SAVE NOW");
  press(flow, {Nav::Ok, Nav::Down, Nav::Down, Nav::Down, Nav::Ok, Nav::Down, Nav::Right});
  EXPECT_EQ(game->cheats, GameApp::kCheatEnergy);
  press(flow, {Nav::Up, Nav::Ok});
  EXPECT_EQ(game->cheats, GameApp::kCheatEnergy | GameApp::kCheatLives);

  // QUIT asks first; confirmed, the game fades to the title.
  press(flow, {Nav::Back, Nav::Down, Nav::Ok, Nav::Right, Nav::Ok});
  EXPECT_EQ(flow.menu.viewName(), "closed");
  EXPECT_EQ(game->mode, GameApp::kModeFadeOut);
  EXPECT_EQ(game->next, GameApp::kNextTitle);
  flow.command(Command::Pause, framed(*game));
  EXPECT_EQ(flow.menu.viewName(), "closed") << "no pause during the fade";
}

TEST(PauseFlow, SettingsChangesAreKeptAndReported) {
  testsupport::ScratchDir dir("tumbold_pause");
  TestGame t(false);
  auto game = inPlay(t);
  const fs::path file = dir.path() / "settings.json";
  PauseFlow flow(*game, art(), dir.path());
  EXPECT_TRUE(flow.settings == app::Settings{});

  // SETTINGS, sound volume down one: kept in the file at once.
  flow.command(Command::Pause, framed(*game));
  press(flow, {Nav::Down, Nav::Down, Nav::Down, Nav::Ok, Nav::Down, Nav::Left});
  EXPECT_TRUE(flow.settingsChanged);
  EXPECT_EQ(app::loadSettings(file).soundVolume, 9);

  // A full-screen toggle outside the menu is kept too, without asking for a
  // re-application; the open menu shows it, and the next change keeps it.
  flow.settingsChanged = false;
  flow.setFullscreen(false);
  EXPECT_FALSE(flow.settingsChanged);
  EXPECT_FALSE(app::loadSettings(file).fullscreen);
  EXPECT_FALSE(flow.menu.settings.fullscreen);
  press(flow, {Nav::Left});
  EXPECT_FALSE(flow.settings.fullscreen);
  EXPECT_FALSE(app::loadSettings(file).fullscreen);
  EXPECT_EQ(app::loadSettings(file).soundVolume, 8);

  // A settings file that cannot be written: one line, and the change still applies.
  fs::remove(file);
  fs::create_directories(file / "x");
  testing::internal::CaptureStderr();
  press(flow, {Nav::Left});
  EXPECT_NE(testing::internal::GetCapturedStderr().find("[error] settings: could not write " + file.string()),
            std::string::npos);
  EXPECT_EQ(flow.settings.soundVolume, 7);
  EXPECT_TRUE(flow.settingsChanged);

  // Without a folder: the defaults, no slots, no quick save, changes only for the run.
  PauseFlow bare(*game, art(), fs::path());
  EXPECT_TRUE(bare.settings == app::Settings{});
  EXPECT_TRUE(game->quickSavePath.empty());
  for (const ui::SlotInfo& s : bare.listSlots()) EXPECT_FALSE(s.exists);
  bare.command(Command::QuickLoad, framed(*game));
  EXPECT_EQ(game->noticeLines, std::vector<std::string>{"NO QUICK SAVE YET"});
  bare.command(Command::Pause, framed(*game));
  press(bare, {Nav::Down, Nav::Down, Nav::Down, Nav::Ok, Nav::Ok});
  EXPECT_TRUE(bare.settingsChanged);
  EXPECT_FALSE(bare.settings.fullscreen);
}

TEST(PauseFlow, AnUnusableSettingsFileIsKeptBeforeItIsReplaced) {
  TestGame t(false);
  auto game = inPlay(t);
  // The player's keys, spoiled by one value of the wrong type.
  const std::string spoiled = R"({"format": "tumbold-settings", "version": 1, "fullscreen": "no", "keys": {"jump": "W"}})";
  const std::function<void(PauseFlow&)> firstWrites[] = {
      [](PauseFlow& f) {  // a change in the menu
        f.command(Command::Pause, render::RgbaImage{});
        press(f, {Nav::Down, Nav::Down, Nav::Down, Nav::Ok, Nav::Down, Nav::Left});
      },
      [](PauseFlow& f) { f.setFullscreen(false); }};
  for (const auto& firstWrite : firstWrites) {
    testsupport::ScratchDir dir("tumbold_pause");
    const fs::path file = dir.path() / "settings.json";
    const fs::path kept = dir.path() / "settings.json.bad";
    std::ofstream(kept) << "an older one";
    std::ofstream(file) << spoiled;
    testing::internal::CaptureStderr();
    PauseFlow flow(*game, art(), dir.path());
    testing::internal::GetCapturedStderr();
    for (int write = 0; write < 2; ++write) {  // kept once, before the first write only
      testing::internal::CaptureStderr();
      write == 0 ? firstWrite(flow) : flow.setFullscreen(!flow.settings.fullscreen);
      EXPECT_EQ(testing::internal::GetCapturedStderr(),
                write ? "" : "[warn] settings: the unusable " + file.string() + " is kept as " + kept.string() + "\n");
      EXPECT_EQ(core::readTextFile(kept).value_or(""), spoiled);
      EXPECT_TRUE(app::loadSettings(file) == flow.settings);
    }
  }
}

TEST(PauseFlow, AnUnusableSettingsFileThatCannotBeKeptIsToldOnce) {
  TestGame t(false);
  auto game = inPlay(t);
  const std::string spoiled = R"({"format": "tumbold-settings", "version": 1, "fullscreen": "no"})";
  const std::vector<std::string> told{"SETTINGS NOT SAVED", "THE FILE COULD NOT BE WRITTEN"};
  const struct {
    bool folderInTheWay;  // a folder by the kept name; else the file is gone before it is kept
    bool menuOpen;
  } cases[] = {{true, false}, {true, true}, {false, false}};
  for (const auto& c : cases) {
    testsupport::ScratchDir dir("tumbold_pause");
    const fs::path file = dir.path() / "settings.json";
    std::ofstream(file) << spoiled;
    testing::internal::CaptureStderr();
    PauseFlow flow(*game, art(), dir.path());
    testing::internal::GetCapturedStderr();
    c.folderInTheWay ? fs::create_directories(dir.path() / "settings.json.bad" / "x") : fs::remove(file);
    if (c.menuOpen) flow.command(Command::Pause, render::RgbaImage{});
    for (int toggle = 0; toggle < 3; ++toggle) {  // F11
      game->noticeLines.clear();
      testing::internal::CaptureStderr();
      flow.setFullscreen(!flow.settings.fullscreen);
      const std::string log = testing::internal::GetCapturedStderr();
      EXPECT_EQ(log.find("[error] settings: " + file.string() + " cannot be kept") == 0, c.folderInTheWay) << log;
      EXPECT_EQ(log.find("is kept"), std::string::npos) << log;
      const bool message = flow.menu.viewName() == "message";
      const std::vector<std::string> shown =
          message ? std::vector<std::string>{flow.menu.msgTitle, flow.menu.msgText} : game->noticeLines;
      EXPECT_EQ(shown, toggle == 0 && c.folderInTheWay ? told : std::vector<std::string>{}) << c.menuOpen << toggle;
      if (message) press(flow, {Nav::Ok});
    }
    EXPECT_EQ(core::readTextFile(file) == spoiled, c.folderInTheWay);
    bool unusable = false;
    if (!c.folderInTheWay) {
      EXPECT_TRUE(app::loadSettings(file, unusable) == flow.settings);
    }
  }
}

TEST(PauseFlow, AGameSavedToASlotOrQuickSavedLoadsIntoAFreshGame) {
  const ShippedGame& shipped = shippedGame();
  ASSERT_TRUE(shipped.complete());
  testsupport::ScratchDir dir("tumbold_pause");

  auto played = shipped.makeApp();
  ASSERT_TRUE(playRecorded(*played, shipped.win, shipped.win.size() / 3));
  for (int i = 0; i < 160 && settle(*played); ++i) played->tick(0, false);
  ASSERT_TRUE(settle(*played));
  PauseFlow flow(*played, art(), dir.path());
  const render::RgbaImage paused = framed(*played);
  flow.command(Command::Pause, paused);
  press(flow, {Nav::Down, Nav::Ok, Nav::Down, Nav::Down, Nav::Ok});
  ASSERT_EQ(flow.menu.msgTitle, "SAVED TO SLOT 3");
  press(flow, {Nav::Menu});
  flow.command(Command::QuickSave, paused);
  ASSERT_EQ(played->noticeLines, std::vector<std::string>{"GAME SAVED"});
  // The quick save made an hour earlier, so that slot 3 is the latest.
  auto quick = app::readQuickSave(flow.slotPath(0));
  quick->savedAt -= 3600;
  ASSERT_TRUE(app::writeQuickSave(flow.slotPath(0), *quick));

  // A fresh game on the same folder: the load view opens on slot 3, the latest
  // save, and shows its thumbnail.
  auto loaded = shipped.makeApp();
  loaded->startGame();
  loaded->tick(0, false);
  PauseFlow fresh(*loaded, art(), dir.path());
  fresh.command(Command::Pause, framed(*loaded));
  press(fresh, {Nav::Down, Nav::Down, Nav::Ok});
  ASSERT_EQ(fresh.menu.viewName(), "load");
  EXPECT_EQ(fresh.menu.stack.back().selection, 3);
  render::RgbaImage view = framed(*loaded);
  fresh.menu.draw(view);
  EXPECT_TRUE(shows(view, flow.thumbnail(paused), 23, 85 + 15 * 3)) << "the thumbnail in slot 3's row";

  for (int via = 0; via < 2; ++via) {
    if (via == 0) {
      press(fresh, {Nav::Ok});
    } else {
      fresh.command(Command::QuickLoad, framed(*loaded));
      press(fresh, {Nav::Right, Nav::Ok});
    }
    EXPECT_EQ(fresh.menu.viewName(), "closed");
    EXPECT_TRUE(loaded->waitRelease);
    EXPECT_EQ(loaded->noticeLines, std::vector<std::string>{"GAME LOADED"});
    EXPECT_TRUE(loaded->sim.state == played->sim.state);
    played->noticeLines = loaded->noticeLines;
    EXPECT_EQ(framed(*loaded).pixels, framed(*played).pixels) << (via == 0 ? "slot" : "quick save");
  }
}

}  // namespace
