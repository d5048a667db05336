// Saving a game as its history and loading it by replay: refusals, the notices
// and reasons a player sees, bad files that leave the running game alone, and a
// real game saved half-way and loaded into a fresh application.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/game/quick_save.h"
#include "app_fixture.h"
#include "shipped_game.h"
#include "support/scratch_dir.h"

using namespace apptest;
using app::GameApp;
namespace fs = std::filesystem;

namespace {

render::RgbaImage thumb() {
  render::RgbaImage img;
  img.width = 24;
  img.height = 12;
  img.pixels.assign(24 * 12, 0xFF2040A0u);
  return img;
}

// The quiet world, in play for a while with some walking.
std::unique_ptr<GameApp> walking(const TestGame& t) {
  auto game = t.makeApp();
  game->startGame();
  run(*game, 30);
  run(*game, 12, 8);
  run(*game, 5, 0);
  EXPECT_EQ(game->mode, GameApp::kModePlay);
  return game;
}

std::string capture(const std::function<void()>& f) {
  testing::internal::CaptureStderr();
  f();
  return testing::internal::GetCapturedStderr();
}

TEST(SaveGame, WritesHistoryCheckValuesAndPictureOnlyInPlay) {
  testsupport::ScratchDir dir("tumbold_save");
  TestGame t(false);
  auto game = walking(t);
  const fs::path slot = dir.path() / "saves" / "slot_3.json";

  std::string log = capture([&] { EXPECT_TRUE(game->saveGame(slot, thumb())); });
  EXPECT_EQ(log, "[info] saved: " + std::to_string(game->history.size()) + " steps -> " + slot.string() + "\n");
  const auto save = app::readQuickSave(slot);
  ASSERT_TRUE(save);
  EXPECT_EQ(save->keys, game->history);
  const sim::GameState& s = game->sim.state;
  EXPECT_EQ(save->check, (std::array<int, 6>{s.room, s.x, s.y, s.score, s.lives, s.energy}));
  EXPECT_GT(save->savedAt, 1600000000);
  const auto picture = render::loadRgbaPng(dir.path() / "saves" / "slot_3.png");
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->pixels, thumb().pixels);

  // No picture: no PNG and no warning. A picture that cannot be written beside
  // the save leaves the save counted as written, with a warning.
  const fs::path bare = dir.path() / "bare.json";
  log = capture([&] { EXPECT_TRUE(game->saveGame(bare, render::RgbaImage{})); });
  EXPECT_EQ(log.find("picture"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.path() / "bare.png"));
  fs::create_directories(dir.path() / "blocked.png" / "inside");
  log = capture([&] { EXPECT_TRUE(game->saveGame(dir.path() / "blocked.json", thumb())); });
  EXPECT_NE(log.find("[error] save: no picture written beside " + (dir.path() / "blocked.json").string()),
            std::string::npos);

  // Refused silently without a path, outside play and in a stopped game.
  EXPECT_FALSE(game->saveGame(fs::path(), thumb()));
  auto title = t.makeApp();
  EXPECT_FALSE(title->saveGame(dir.path() / "title.json", thumb()));
  game->stopReason = "stopped";
  EXPECT_FALSE(game->saveGame(dir.path() / "stopped.json", thumb()));
  EXPECT_FALSE(fs::exists(dir.path() / "title.json"));
  EXPECT_FALSE(fs::exists(dir.path() / "stopped.json"));
}

TEST(SaveGame, ThePictureBesideASaveIsItsOwnOrNone) {
  TestGame t(false);
  auto game = walking(t);
  render::RgbaImage other = thumb();
  other.pixels.assign(other.pixels.size(), 0xFF00FF00u);
  render::RgbaImage broken = thumb();
  broken.pixels.pop_back();  // cannot be encoded
  const struct {
    const char* what;
    render::RgbaImage picture;
    bool pictured;  // the new picture is beside the save afterwards
  } cases[] = {{"a new picture", other, true}, {"one that cannot be written", broken, false},
               {"no picture", render::RgbaImage{}, false}};
  for (const auto& c : cases) {
    testsupport::ScratchDir dir("tumbold_save");
    const fs::path slot = dir.path() / "slot_1.json";
    const fs::path png = dir.path() / "slot_1.png";
    ASSERT_TRUE(game->saveGame(slot, thumb()));
    // A name that still gives the old picture, and what a run killed while
    // writing left behind.
    fs::create_hard_link(png, dir.path() / "old.png");
    std::ofstream(dir.path() / ".slot_1.png.tmp") << "half a picture";
    std::ofstream(dir.path() / ".slot_1.json.tmp") << "half a save";
    capture([&] { EXPECT_TRUE(game->saveGame(slot, c.picture)) << c.what; });
    const auto picture = render::loadRgbaPng(png);
    EXPECT_EQ(picture.has_value(), c.pictured) << c.what;
    if (picture) {
      EXPECT_EQ(picture->pixels, other.pixels) << c.what;
    }
    EXPECT_EQ(render::loadRgbaPng(dir.path() / "old.png")->pixels, thumb().pixels) << c.what << ": written in place";
    EXPECT_FALSE(fs::exists(dir.path() / ".slot_1.json.tmp")) << c.what;
    EXPECT_EQ(fs::exists(dir.path() / ".slot_1.png.tmp"), !c.pictured) << c.what;
  }
}

TEST(SaveGame, QuickSaveNoticeSaysWhatHappened) {
  testsupport::ScratchDir dir("tumbold_save");
  TestGame t;  // the talker: a speech bubble comes after 40 steps
  auto game = t.makeApp();
  game->startGame();
  run(*game, 5);

  game->requestQuickSave(thumb());
  EXPECT_EQ(game->noticeLines, std::vector<std::string>{"CANNOT SAVE NOW"}) << "no quick-save path";

  game->quickSavePath = dir.path() / "quicksave.json";
  game->requestQuickSave(thumb());
  EXPECT_EQ(game->noticeLines, std::vector<std::string>{"GAME SAVED"});
  EXPECT_EQ(game->noticeFrames, GameApp::kNoticeTicks);
  EXPECT_TRUE(fs::exists(dir.path() / "quicksave.png"));

  // A folder that cannot be written (a file stands where it should be): the
  // save fails and says so.
  std::ofstream(dir.path() / "saves") << "in the way";
  game->quickSavePath = dir.path() / "saves" / "quicksave.json";
  capture([&] { game->requestQuickSave(thumb()); });
  EXPECT_EQ(game->noticeLines, std::vector<std::string>{"SAVE FAILED"});

  ASSERT_GE(runUntilMode(*game, GameApp::kModeBubble, 80), 0);
  game->requestQuickSave(thumb());
  EXPECT_EQ(game->noticeLines, std::vector<std::string>{"CANNOT SAVE NOW"});
}

// Everything a load must leave alone when it fails before replaying.
struct Snapshot {
  sim::GameState state;
  std::vector<std::uint8_t> history;
  std::uint32_t mode;
  render::Framebuffer frame;
  explicit Snapshot(const GameApp& g) : state(g.sim.state), history(g.history), mode(g.mode), frame(g.frame) {}
  bool same(const GameApp& g) const {
    return g.sim.state == state && g.history == history && g.mode == mode && g.frame.pixels == frame.pixels;
  }
};

TEST(LoadGame, BadFilesGiveTheirReasonAndLeaveTheGameAlone) {
  testsupport::ScratchDir dir("tumbold_load");
  TestGame t(false);
  auto game = walking(t);
  const Snapshot before(*game);

  const std::string head = "{\"format\":\"tumbold-quicksave\",";
  struct Case {
    const char* what;
    const char* file;  // written under the folder unless empty
    std::string text;
    const char* error;
  };
  const std::vector<Case> cases = {
      {"missing", "", "", "THE SAVE IS MISSING"},
      {"settings, not a save", "a.json", "{\"format\":\"tumbold-settings\",\"version\":1}", "THE FILE CANNOT BE READ"},
      {"another version", "b.json", head + "\"version\":7,\"steps\":0}", "THE FILE CANNOT BE READ"},
      {"damaged runs", "c.json", head + "\"version\":2,\"steps\":4,\"keys\":[[0,\"x\",8]]}", "THE FILE CANNOT BE READ"},
      {"steps beyond any game", "d.json", head + "\"version\":2,\"steps\":4000000000}", "THE FILE CANNOT BE READ"},
      {"cut short", "e.json", head + "\"version\":2,\"steps\":4,\"ke", "THE FILE CANNOT BE READ"},
  };
  for (const Case& c : cases) {
    fs::path path = dir.path() / (*c.file ? c.file : "none.json");
    if (*c.file) std::ofstream(path, std::ios::binary) << c.text;
    std::string error;
    capture([&] { EXPECT_FALSE(game->loadGame(path, error)) << c.what; });
    EXPECT_EQ(error, c.error) << c.what;
    EXPECT_TRUE(before.same(*game)) << c.what;
  }
  std::string error;
  EXPECT_FALSE(game->loadGame(dir.path(), error));
  EXPECT_EQ(error, "THE FILE CANNOT BE READ") << "a folder";
  EXPECT_TRUE(before.same(*game));
  EXPECT_TRUE(game->noticeLines.empty());
}

TEST(LoadGame, AHistoryThatDoesNotReplayLeavesTheRunningGameAlone) {
  testsupport::ScratchDir dir("tumbold_load");
  TestGame t;  // the drain room ends the game
  auto played = t.makeApp();
  played->startGame();
  for (int guard = 0; guard < 3000 && played->sim.state.endCode == 0; ++guard) {
    if (played->mode == GameApp::kModeBubble) confirmBubble(*played);
    played->tick(0, false);
  }
  ASSERT_EQ(played->sim.state.endCode, 1u);
  app::QuickSave save;
  save.keys = played->history;
  const fs::path path = dir.path() / "over.json";
  ASSERT_TRUE(app::writeQuickSave(path, save));

  auto game = t.makeApp();
  game->startGame();
  run(*game, 10);
  game->musicQueue.clear();
  const Snapshot before(*game);
  render::RgbaImage picture;
  game->compose(picture);
  std::string error;
  const std::string log = capture([&] { EXPECT_FALSE(game->loadGame(path, error)); });
  EXPECT_EQ(error, "IT DOES NOT REPLAY");
  EXPECT_EQ(log, "[error] quick load: the replay stopped after " + std::to_string(save.keys.size() - 1) + " of " +
                     std::to_string(save.keys.size()) + " steps\n");
  EXPECT_TRUE(before.same(*game));
  EXPECT_TRUE(game->musicQueue.empty());
  render::RgbaImage after;
  game->compose(after);
  EXPECT_EQ(after.pixels, picture.pixels);
  EXPECT_FALSE(game->loadHistory(save.keys));
  EXPECT_TRUE(before.same(*game));
}

TEST(LoadGame, ChecksTheReplayAgainstTheSavedValues) {
  testsupport::ScratchDir dir("tumbold_load");
  TestGame t(false);
  auto played = walking(t);
  const fs::path path = dir.path() / "slot_1.json";
  ASSERT_TRUE(played->saveGame(path, thumb()));

  // Loaded into a game on the title screen: play resumes where it was saved,
  // and the confirming key must be let go first.
  auto game = t.makeApp();
  std::string error;
  std::string log = capture([&] { EXPECT_TRUE(game->loadGame(path, error)); });
  EXPECT_EQ(log, "[info] loaded: " + std::to_string(played->history.size()) + " steps from " + path.string() + "\n");
  EXPECT_EQ(game->noticeLines, std::vector<std::string>{"GAME LOADED"});
  EXPECT_TRUE(game->sim.state == played->sim.state);
  EXPECT_EQ(game->history, played->history);
  EXPECT_EQ(game->mode, GameApp::kModePlay);
  EXPECT_FALSE(game->screenShown);
  EXPECT_TRUE(game->waitRelease);
  EXPECT_EQ(game->slideFrame, -1);
  EXPECT_EQ(game->musicQueue.back().tune, game->sim.state.tune);

  // Values that the replay does not meet: loaded all the same, with a warning.
  auto save = app::readQuickSave(path);
  save->check[1] += 1;
  ASSERT_TRUE(app::writeQuickSave(path, *save));
  log = capture([&] { EXPECT_TRUE(game->loadGame(path, error)); });
  EXPECT_EQ(log, "[error] load: the replay ends elsewhere than saved (a save from another version?)\n");
  EXPECT_EQ(game->noticeLines, (std::vector<std::string>{"GAME LOADED", "BUT IT DIFFERS FROM", "THE SAVED GAME"}));
  EXPECT_TRUE(game->sim.state == played->sim.state);

  // A save of the first play tick holds no steps and loads as a new game.
  auto fresh = t.makeApp();
  fresh->startGame();
  ASSERT_TRUE(fresh->saveGame(path, render::RgbaImage{}));
  ASSERT_TRUE(game->loadGame(path, error));
  EXPECT_EQ(game->noticeLines, std::vector<std::string>{"GAME LOADED"});
  EXPECT_TRUE(game->history.empty());

  // loadHistory may be handed the application's own history.
  ASSERT_TRUE(played->loadHistory(played->history));
  EXPECT_EQ(played->history, save->keys);
}

TEST(LoadGame, AWonGameSavedHalfWayLoadsIntoAFreshApplication) {
  const ShippedGame& shipped = shippedGame();
  ASSERT_TRUE(shipped.complete());
  testsupport::ScratchDir dir("tumbold_load");
  const std::size_t half = shipped.win.size() / 2;

  auto played = shipped.makeApp();
  ASSERT_TRUE(playRecorded(*played, shipped.win, half));
  // Some idle play so that the panel's animations have come to rest.
  for (int i = 0; i < 160; ++i) {
    ASSERT_TRUE(settle(*played));
    played->tick(0, false);
  }
  ASSERT_TRUE(settle(*played));
  ASSERT_GE(played->sim.state.room, 1);
  render::RgbaImage playedPicture;
  played->compose(playedPicture);

  // Through a slot, and through the quick-save path with its notices.
  played->quickSavePath = dir.path() / "quicksave.json";
  played->requestQuickSave(thumb());
  ASSERT_EQ(played->noticeLines, std::vector<std::string>{"GAME SAVED"});
  const fs::path slot = dir.path() / "saves" / "slot_5.json";
  ASSERT_TRUE(played->saveGame(slot, thumb()));

  for (const fs::path& path : {slot, played->quickSavePath}) {
    auto loaded = shipped.makeApp();
    std::string error;
    ASSERT_TRUE(loaded->loadGame(path, error)) << error;
    EXPECT_EQ(loaded->noticeLines, std::vector<std::string>{"GAME LOADED"});
    EXPECT_TRUE(loaded->sim.state == played->sim.state);
    EXPECT_EQ(loaded->history, played->history);
    EXPECT_EQ(loaded->frame.pixels, played->frame.pixels);
    loaded->noticeLines.clear();
    render::RgbaImage picture;
    loaded->compose(picture);
    EXPECT_EQ(picture.pixels, playedPicture.pixels) << path;
  }
}

}  // namespace

// The picture after a load is the picture of the same game played live, at
// moments that draw differently: loads replay without drawing what later steps
// paint over, and follow the fades of the shown palette.
TEST(LoadGame, ALoadLooksLikeTheGamePlayedLiveAtAnyMoment) {
  const ShippedGame& shipped = shippedGame();
  ASSERT_TRUE(shipped.complete());
  using State = sim::GameState;
  // The live game now, its state a step before, and whether the step showed a bubble.
  using Fits = std::function<bool(const GameApp& g, const State& before, bool bubble)>;
  const struct {
    const char* what;
    Fits fits;
  } moments[] = {
      {"mid-room", [](const GameApp& g, const State& b, bool) {
         return g.history.size() > 5000 && g.sim.state.room == b.room && g.sim.state.x != b.x;
       }},
      {"right after a room entry",
       [](const GameApp& g, const State& b, bool) { return g.history.size() > 1000 && g.sim.state.room != b.room; }},
      {"objects moved", [](const GameApp& g, const State& b, bool) { return !(g.sim.state.objects == b.objects); }},
      {"a fade from black at double speed",
       [](const GameApp& g, const State&, bool) { return g.shownPal != g.sim.state.currentPalette; }},
      {"a fade",
       [](const GameApp& g, const State&, bool) { return g.sim.state.currentPalette != g.sim.state.targetPalette; }},
      {"after a speech bubble", [](const GameApp&, const State&, bool bubble) { return bubble; }},
      {"with a lift in the room", [](const GameApp& g, const State&, bool) { return g.sim.state.currentLift >= 0; }},
  };
  struct Seen {
    std::size_t step = 0;  // the history's length when the moment first came
    State state;
    render::Framebuffer frame;
    render::RgbaImage picture;  // in the shown palette
  };
  std::vector<Seen> seen(std::size(moments));
  auto live = shipped.makeApp();
  live->startGame();
  for (std::size_t i = 0; i + 1 < shipped.win.size(); ++i) {
    const State before = live->sim.state;
    live->tick(shipped.win[i], false);
    const bool bubble = live->mode == GameApp::kModeBubble;
    ASSERT_TRUE(settle(*live));
    // The panel at rest: a load shows it so, without a slide or a rising bar.
    if (live->slideFrame >= 0 || live->shownEnergy != live->shownPanel().energy) continue;
    for (std::size_t k = 0; k < seen.size(); ++k) {
      if (seen[k].step != 0 || !moments[k].fits(*live, before, bubble)) continue;
      seen[k] = {live->history.size(), live->sim.state, live->frame, {}};
      live->compose(seen[k].picture);
    }
  }
  for (std::size_t k = 0; k < seen.size(); ++k) {
    const Seen& m = seen[k];
    const std::string what = std::string(moments[k].what) + " at step " + std::to_string(m.step);
    ASSERT_NE(m.step, 0u) << what;
    auto loaded = shipped.makeApp();
    ASSERT_TRUE(loaded->loadHistory({shipped.win.begin(), shipped.win.begin() + static_cast<std::ptrdiff_t>(m.step)}));
    EXPECT_TRUE(loaded->sim.state == m.state) << what;
    EXPECT_TRUE(loaded->frame.pixels == m.frame.pixels) << what;
    render::RgbaImage picture;
    loaded->compose(picture);
    EXPECT_TRUE(picture.pixels == m.picture.pixels) << what;
  }
}
