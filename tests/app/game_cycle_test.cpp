// A whole cycle of the game driven tick by tick with scripted input: title,
// fade, play, a speech bubble, a teleport, game over and back to the title,
// with the requests it queues, pictures at the turning points, and the replay
// of the recorded input history.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app_fixture.h"

using namespace apptest;
using app::GameApp;

namespace {

using Music = GameApp::MusicCommand;
using Sound = GameApp::Sound;

std::vector<std::uint32_t> modeChanges(const std::vector<std::uint32_t>& modes) {
  std::vector<std::uint32_t> out;
  for (std::uint32_t m : modes)
    if (out.empty() || out.back() != m) out.push_back(m);
  return out;
}

std::string describe(const std::vector<Music>& music) {
  std::string s;
  for (const auto& m : music)
    s += "{" + std::to_string(m.kind) + "," + std::to_string(m.tune) + "," + std::to_string(m.flag) + "}";
  return s;
}

// Records every tick's mode and drains the queues into whole-run lists.
struct Driver {
  GameApp& game;
  std::vector<std::uint32_t> modes;
  std::vector<Music> music;
  std::vector<Sound> sounds;
  int ticks = 0;

  bool tick(std::uint8_t keys, bool back = false) {
    const bool alive = game.tick(keys, back);
    ++ticks;
    modes.push_back(game.mode);
    music.insert(music.end(), game.musicQueue.begin(), game.musicQueue.end());
    game.musicQueue.clear();
    sounds.insert(sounds.end(), game.soundQueue.begin(), game.soundQueue.end());
    game.soundQueue.clear();
    return alive;
  }

  void idle(int n) {
    for (int i = 0; i < n; ++i) tick(0);
  }

  // Idles until the mode is `mode`; fails the test past `limit` ticks.
  void until(std::uint32_t mode, int limit, std::uint8_t keys = 0) {
    for (int i = 0; i < limit && game.mode != mode; ++i) tick(keys);
    ASSERT_EQ(game.mode, mode) << "after " << ticks << " ticks";
  }
};

TEST(GameCycle, TitlePlayBubbleTeleportGameOverAndBackToTitle) {
  TestGame t;
  auto game = t.makeApp();
  Driver d{*game, {}, {}, {}, 0};
  render::RgbaImage picture;

  // Construction shows the title and asks for its music.
  EXPECT_EQ(describe(game->musicQueue), "{0,2,1}{1,0,1}{0,6,0}");
  d.music = game->musicQueue;
  game->musicQueue.clear();
  EXPECT_EQ(game->mode, GameApp::kModeScreen);
  EXPECT_TRUE(game->titleShown);

  // The title fades in from black over 16 ticks after its first one.
  d.idle(1);
  EXPECT_EQ(game->shownPal, app::Palette48{});
  d.idle(16);
  EXPECT_EQ(game->shownPal, t.content.palette);
  game->compose(picture);
  EXPECT_EQ(picture.width, 348);
  EXPECT_TRUE(matchesGolden("title", picture));

  // Fire held as the wait begins must be released first (one tick); then 15
  // ticks are counted, the last of which may hold fire, before a press counts.
  d.tick(16);
  d.idle(15);
  d.tick(16);
  EXPECT_EQ(game->mode, GameApp::kModeScreen);
  d.tick(16);
  EXPECT_EQ(game->mode, GameApp::kModeFadeOut);
  d.until(GameApp::kModePlay, 20);
  EXPECT_EQ(game->sim.state.room, 0);
  EXPECT_TRUE(game->history.empty());

  // A jump from standing; then the talker speaks.
  d.tick(0);
  d.tick(1);
  d.tick(1);
  d.until(GameApp::kModeBubble, 80);
  ASSERT_TRUE(game->bubble.has_value());
  EXPECT_EQ(game->bubble->text, "HELLO\nTHERE");
  const std::size_t stepsAtBubble = game->history.size();
  game->compose(picture);
  EXPECT_TRUE(matchesGolden("bubble_wait", picture));

  // The bubble holds play: no simulation step until fire is pressed and released.
  d.idle(10);
  d.tick(16);
  d.tick(16);
  EXPECT_EQ(game->mode, GameApp::kModeBubble);
  EXPECT_EQ(game->history.size(), stepsAtBubble);
  d.tick(0);
  d.tick(0);
  EXPECT_EQ(game->mode, GameApp::kModePlay);
  EXPECT_FALSE(game->bubble.has_value());

  // The teleport fades the old room to black before the new room plays.
  d.until(GameApp::kModeFadeBlack, 60);
  EXPECT_EQ(game->sim.state.room, kTeleportRoom);
  d.idle(4);
  game->compose(picture);
  EXPECT_TRUE(matchesGolden("teleport_fade", picture));
  d.until(GameApp::kModePlay, 20);

  // The drain empties the energy, the last life goes, and the game-over screen follows.
  d.until(GameApp::kModeScreen, 600);
  EXPECT_FALSE(game->titleShown);
  EXPECT_EQ(game->sim.state.endCode, 1u);
  d.idle(17);
  game->compose(picture);
  EXPECT_TRUE(matchesGolden("game_over", picture));

  // Fire on the game-over screen leads back to the title, not into a new game.
  d.idle(20);
  d.tick(16);
  EXPECT_EQ(game->mode, GameApp::kModeFadeOut);
  EXPECT_EQ(game->next, GameApp::kNextTitle);
  d.until(GameApp::kModeScreen, 20, 16);
  EXPECT_TRUE(game->titleShown);

  EXPECT_EQ(modeChanges(d.modes), (std::vector<std::uint32_t>{0, 3, 1, 2, 1, 4, 1, 0, 3, 0}));

  // Title tunes, the new game's tune 7, the teleport's tune, game over 8, the title again.
  EXPECT_EQ(describe(d.music), "{0,2,1}{1,0,1}{0,6,0}{0,7,0}{0,3,0}{0,8,0}{0,2,1}{1,0,1}{0,6,0}");

  // One jump; the energy rises step by step from empty to full (n 2..20), then
  // the drain takes it down again one step at a time (n 19..1). A refill that
  // had not finished before the drain turns back down part-way.
  std::vector<Sound> jumps;
  std::vector<std::uint32_t> energy;
  for (const auto& s : d.sounds) {
    if (s.kind == 0)
      jumps.push_back(s);
    else
      energy.push_back(s.n);
  }
  ASSERT_EQ(jumps.size(), 1u);
  EXPECT_EQ(jumps[0].n, 0u);
  ASSERT_FALSE(energy.empty());
  EXPECT_EQ(energy.front(), 2u);
  EXPECT_EQ(energy.back(), 1u);
  for (std::size_t i = 1; i < energy.size(); ++i) {
    const int step = static_cast<int>(energy[i]) - static_cast<int>(energy[i - 1]);
    EXPECT_TRUE(step == 1 || step == -1) << "energy sounds jump from " << energy[i - 1] << " to " << energy[i];
  }
}

TEST(GameCycle, QuittingFromTheTitleEndsTheLoop) {
  TestGame t;
  auto game = t.makeApp();
  // Back during the title's fade and minimum wait does nothing.
  EXPECT_TRUE(run(*game, 20, 0, true));
  EXPECT_EQ(game->mode, GameApp::kModeScreen);
  bool alive = true;
  for (int i = 0; i < 20 && alive; ++i) alive = game->tick(0, true);
  EXPECT_FALSE(alive);
}

TEST(GameCycle, RawPictureWithoutHud) {
  TestGame t;
  auto game = t.makeApp(false);
  confirmScreen(*game);
  runUntilMode(*game, GameApp::kModePlay, 30);
  run(*game, 60);
  game->notice({"NOT SHOWN"});
  render::RgbaImage picture;
  game->compose(picture);
  EXPECT_EQ(picture.width, 320);
  EXPECT_EQ(picture.height, 200);
  EXPECT_TRUE(matchesGolden("raw_play", picture));
}

// Steps a fresh application's simulation through a history the way loading a
// save does: cheats from the recorded bits, only the input bits to the simulation.
void replay(GameApp& fresh, const std::vector<std::uint8_t>& history) {
  fresh.startGame();
  for (std::uint8_t b : history) {
    fresh.applyCheats(b);
    fresh.sim.beginStep(b & GameApp::kSimInputMask);
    fresh.renderer.apply(fresh.sim.ops);
    fresh.sim.ops.clear();
    fresh.sim.endStep();
    fresh.renderer.apply(fresh.sim.ops);
    fresh.sim.ops.clear();
    fresh.applyCheats(b);
  }
}

TEST(GameCycle, ReplayingTheHistoryReproducesTheGame) {
  TestGame t;
  auto game = t.makeApp();
  confirmScreen(*game);
  ASSERT_GE(runUntilMode(*game, GameApp::kModePlay, 30), 0);

  // Walk and jump about, with the infinite-energy cheat for a while, through
  // the bubble and the teleport.
  const std::uint8_t moves[] = {8, 8, 9, 0, 4, 5, 0, 16, 2, 8};
  int tick = 0;
  for (int guard = 0; guard < 400 && game->sim.state.room != kTeleportRoom; ++guard) {
    if (game->mode == GameApp::kModeBubble) {
      confirmBubble(*game);
      continue;
    }
    game->cheats = (tick / 25) % 2 ? GameApp::kCheatEnergy : 0;
    game->tick(moves[(tick++ / 7) % 10], false);
  }
  ASSERT_EQ(game->sim.state.room, kTeleportRoom);
  runUntilMode(*game, GameApp::kModePlay, 30);
  game->cheats = GameApp::kCheatEnergy;
  run(*game, 30, 8);
  game->cheats = 0;
  run(*game, 10, 4);
  ASSERT_EQ(game->mode, GameApp::kModePlay);
  ASSERT_TRUE(game->pending.empty());

  bool sawCheat = false;
  for (std::uint8_t b : game->history) sawCheat = sawCheat || (b & GameApp::kCheatEnergy) != 0;
  EXPECT_TRUE(sawCheat);

  auto fresh = t.makeApp();
  replay(*fresh, game->history);
  EXPECT_TRUE(fresh->sim.state == game->sim.state);
  EXPECT_EQ(fresh->sim.state.energy, game->sim.state.energy);
  EXPECT_EQ(fresh->sim.state.x, game->sim.state.x);
  EXPECT_EQ(fresh->renderer.drawPage, game->renderer.drawPage);
  EXPECT_EQ(fresh->renderer.pages[0].pixels, game->renderer.pages[0].pixels);
  EXPECT_EQ(fresh->renderer.pages[1].pixels, game->renderer.pages[1].pixels);

  // Without the cheat bits the replay goes elsewhere: they are part of the record.
  std::vector<std::uint8_t> stripped = game->history;
  for (auto& b : stripped) b &= GameApp::kSimInputMask;
  auto other = t.makeApp();
  replay(*other, stripped);
  EXPECT_FALSE(other->sim.state == game->sim.state);
}

}  // namespace
