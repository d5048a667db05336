// The application's parts one at a time: fire waits, screens and their
// fades, notices, music requests, cheats and the history, page-operation
// playback, the play fade, the panel animations and a stopped simulation.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app_fixture.h"

using namespace apptest;
using app::GameApp;

namespace {

sim::PageOp opOf(sim::PageOpKind kind) {
  sim::PageOp op;
  op.kind = kind;
  return op;
}

sim::PageOp inventoryOp(int a, int b, int c) {
  sim::PageOp op = opOf(sim::PageOpKind::Inventory);
  op.items = {{a, 0, 0}, {b, 0, 0}, {c, 0, 0}};
  return op;
}

// A new game in the quiet world, 40 ticks in: both pages hold the room and
// the panel, nothing is pending.
std::unique_ptr<GameApp> playing(const TestGame& t, bool withHud = true) {
  auto game = t.makeApp(withHud);
  game->startGame();
  run(*game, 40);  // the room has faded in
  EXPECT_EQ(game->mode, GameApp::kModePlay);
  EXPECT_TRUE(game->pending.empty());
  EXPECT_TRUE(game->shownPanel().valid);
  game->soundQueue.clear();
  game->musicQueue.clear();
  return game;
}

TEST(FireWait, ScreenWaitNeedsAReleaseThenFifteenTicks) {
  GameApp::FireWait w;
  EXPECT_FALSE(w.step(true, 15, false));  // held from before: not yet released
  EXPECT_EQ(w.state, 0u);
  EXPECT_FALSE(w.step(false, 15, false));
  EXPECT_EQ(w.state, 1u);
  for (int i = 0; i < 15; ++i) EXPECT_FALSE(w.step(i == 14, 15, false)) << "tick " << i;
  EXPECT_EQ(w.state, 2u);
  EXPECT_FALSE(w.step(false, 15, false));
  EXPECT_TRUE(w.step(true, 15, false));
}

TEST(FireWait, BubbleWaitEndsTheTickAfterAFreshPressIsReleased) {
  GameApp::FireWait w;
  EXPECT_FALSE(w.step(false, 6, true));
  for (int i = 0; i < 6; ++i) EXPECT_FALSE(w.step(false, 6, true));
  EXPECT_EQ(w.state, 2u);
  EXPECT_FALSE(w.step(true, 6, true));
  EXPECT_FALSE(w.step(true, 6, true));
  EXPECT_FALSE(w.step(false, 6, true));  // released: state 4
  EXPECT_TRUE(w.step(false, 6, true));

  // Fire held when the minimum is reached starts over from the release.
  GameApp::FireWait held;
  held.step(false, 6, true);
  for (int i = 0; i < 6; ++i) held.step(true, 6, true);
  EXPECT_EQ(held.state, 0u);
  EXPECT_FALSE(held.step(false, 6, true));
  EXPECT_FALSE(held.step(false, 6, true));  // frames already past the minimum
  EXPECT_EQ(held.state, 2u);

  // A press during the release count keeps the wait going.
  GameApp::FireWait again;
  again.state = 4;
  again.frames = 3;
  EXPECT_FALSE(again.step(false, 6, true));
  EXPECT_FALSE(again.step(false, 6, true));
  EXPECT_FALSE(again.step(true, 6, true));  // frames 6 but fire held: back to 3
  EXPECT_EQ(again.state, 3u);
}

TEST(Screens, FadeInAfterTheFirstTickThenWait) {
  TestGame t;
  auto game = t.makeApp();
  game->tick(16, false);
  EXPECT_EQ(game->shownPal, app::Palette48{});
  EXPECT_TRUE(game->firstFrameDone);
  run(*game, 15);
  EXPECT_NE(game->shownPal, t.content.palette);  // 63 needs 16 steps of 4
  run(*game, 1);
  EXPECT_EQ(game->shownPal, t.content.palette);
  EXPECT_EQ(game->mode, GameApp::kModeScreen);
}

TEST(Screens, BackOnTheTitleQuitsButBackWithFireStartsAGame) {
  TestGame t;
  auto game = t.makeApp();
  run(*game, 40);
  EXPECT_TRUE(game->tick(16, true));
  EXPECT_EQ(game->mode, GameApp::kModeFadeOut);
  EXPECT_EQ(game->next, GameApp::kNextNewGame);
  EXPECT_GE(runUntilMode(*game, GameApp::kModePlay, 20), 0);
}

TEST(Screens, BackOnTheEndingLeadsToTheTitle) {
  TestGame t;
  auto game = t.makeApp();
  game->showScreen("end", "ending", false, 9);
  run(*game, 40);
  EXPECT_TRUE(game->tick(0, true));
  EXPECT_EQ(game->mode, GameApp::kModeFadeOut);
  EXPECT_EQ(game->next, GameApp::kNextTitle);
  run(*game, 20);
  EXPECT_EQ(game->mode, GameApp::kModeScreen);
  EXPECT_TRUE(game->titleShown);
}

TEST(Screens, WaitReleaseIgnoresHeldKeysUntilAllAreUp) {
  TestGame t;
  auto game = t.makeApp();
  run(*game, 40);
  game->waitRelease = true;
  game->tick(16, false);
  game->tick(16, true);
  EXPECT_EQ(game->mode, GameApp::kModeScreen);
  EXPECT_TRUE(game->waitRelease);
  game->tick(0, false);
  EXPECT_FALSE(game->waitRelease);
  game->tick(16, false);
  EXPECT_EQ(game->mode, GameApp::kModeFadeOut);
}

TEST(Screens, QuitToTitleDropsABubbleAndFadesOut) {
  TestGame t;
  auto game = t.makeApp();
  game->startGame();
  ASSERT_GE(runUntilMode(*game, GameApp::kModeBubble, 80), 0);
  game->quitToTitle();
  EXPECT_FALSE(game->bubble.has_value());
  EXPECT_TRUE(game->pending.empty());
  run(*game, 17);
  EXPECT_EQ(game->mode, GameApp::kModeScreen);
  EXPECT_TRUE(game->titleShown);
}

TEST(Requests, TitleMusicAndRepeatedTunes) {
  TestGame t;
  auto game = t.makeApp();
  game->musicQueue.clear();

  game->lastMusic = 2;
  game->showScreen("title", "title", true, 6);
  ASSERT_EQ(game->musicQueue.size(), 2u);
  EXPECT_EQ(game->musicQueue[0].kind, 1u);
  EXPECT_EQ(game->musicQueue[0].flag, 1u);
  EXPECT_EQ(game->musicQueue[1].kind, 0u);
  EXPECT_EQ(game->musicQueue[1].tune, 6u);
  EXPECT_EQ(game->musicQueue[1].flag, 0u);

  game->musicQueue.clear();
  game->soundCmd(5);
  game->soundCmd(5);
  EXPECT_EQ(game->musicQueue.size(), 1u);
  // Tune 255 is the "none" that lastMusic starts with.
  game->lastMusic = -1;
  game->soundCmd(255);
  EXPECT_EQ(game->musicQueue.size(), 1u);
}

TEST(Notices, LastTheirTicksAndReplaceEachOther) {
  TestGame t;
  auto game = t.makeApp();
  game->notice({"FIRST"});
  run(*game, 100);
  game->showNotice({"SECOND", "LINE"});
  EXPECT_EQ(game->noticeFrames, GameApp::kNoticeTicks);
  run(*game, GameApp::kNoticeTicks - 1);
  EXPECT_EQ(game->noticeLines, (std::vector<std::string>{"SECOND", "LINE"}));
  run(*game, 1);
  EXPECT_TRUE(game->noticeLines.empty());
}

TEST(Play, CheatsHoldAndAreRecordedWithTheInput) {
  TestGame t(false);
  auto game = playing(t);
  game->cheats = GameApp::kCheatLives | GameApp::kCheatEnergy;
  game->sim.state.lives = 0;
  game->sim.state.energy = 5;
  game->tick(8, false);
  EXPECT_EQ(game->sim.state.lives, 1);
  EXPECT_EQ(game->sim.state.energy, 46);
  EXPECT_EQ(game->history.back(), 8 | 0x60);

  // Bits the simulation does not know never enter the history as cheats.
  game->cheats = 0;
  game->sim.state.lives = 0;
  game->tick(0x20 | 0x40 | 4, false);
  EXPECT_EQ(game->history.back(), 4);
  EXPECT_EQ(game->sim.state.lives, 0);
}

TEST(Play, BubbleStopsAtTheFirstFlipAndTheRestWaits) {
  TestGame t(false);
  auto game = playing(t);
  const int page = game->renderer.drawPage;
  sim::PageOp bubble = opOf(sim::PageOpKind::Bubble);
  bubble.a = 2;
  bubble.b = 8;
  bubble.c = 6;
  bubble.text = "HI";
  game->pending = {bubble, opOf(sim::PageOpKind::Flip), opOf(sim::PageOpKind::Flip), opOf(sim::PageOpKind::Energy)};
  game->playBack();
  EXPECT_EQ(game->mode, GameApp::kModeBubble);
  EXPECT_EQ(game->renderer.drawPage, page ^ 1);
  ASSERT_EQ(game->pending.size(), 2u);
  EXPECT_EQ(game->bubbleCover.size(), 64000u);
  EXPECT_EQ(game->bubbleCover[static_cast<std::size_t>(8 * 8 * 320 + 2 * 8 + 4 + 4 * 320)], 1u);
  EXPECT_EQ(std::count(game->bubbleCover.begin(), game->bubbleCover.end(), 1) > 0, true);

  // The bubble's page is shown with the bubble in the picture.
  confirmBubble(*game);
  EXPECT_EQ(game->mode, GameApp::kModePlay);
  EXPECT_TRUE(game->pending.empty());
}

TEST(Play, TeleportFadesOnlyWithASnapshot) {
  TestGame t(false);
  auto game = playing(t);
  game->pending = {opOf(sim::PageOpKind::Teleport)};
  game->playBack();
  EXPECT_EQ(game->mode, GameApp::kModePlay);
  EXPECT_TRUE(game->pending.empty());

  sim::GameState before = game->sim.state;
  before.currentPalette.fill(40);
  sim::PageOp teleport = opOf(sim::PageOpKind::Teleport);
  teleport.snapshot = std::make_shared<const sim::GameState>(before);
  game->pending = {teleport, opOf(sim::PageOpKind::Flip)};
  game->playBack();
  EXPECT_EQ(game->mode, GameApp::kModeFadeBlack);
  EXPECT_EQ(game->shownPal, before.currentPalette);
  EXPECT_EQ(game->pending.size(), 1u);
  run(*game, 10);  // 40 down by 4 a tick
  EXPECT_EQ(game->mode, GameApp::kModeFadeBlack);
  game->tick(0, false);
  EXPECT_EQ(game->mode, GameApp::kModePlay);
}

TEST(Play, PaletteFadesShowAtDoubleSpeed) {
  TestGame t;
  auto game = t.makeApp();
  sim::GameState s;
  s.targetPalette = t.content.palette;
  s.currentPalette.fill(2);
  app::Palette48 shown = game->shownPalette(s);
  for (std::size_t i = 0; i < 48; ++i) EXPECT_EQ(shown[i], std::min<int>(4, s.targetPalette[i])) << i;
  s.currentPalette.fill(20);
  shown = game->shownPalette(s);
  for (std::size_t i = 0; i < 48; ++i) EXPECT_EQ(shown[i], std::min<int>(40, s.targetPalette[i])) << i;
  s.currentPalette = s.targetPalette;
  EXPECT_EQ(game->shownPalette(s), s.targetPalette);
  EXPECT_FALSE(game->fastFade);

  // Toward black from the full palette: twice the distance gone, never below 0.
  s.targetPalette.fill(0);
  for (auto& c : s.currentPalette) c = static_cast<std::uint8_t>(c > 0 ? c - 1 : 0);
  shown = game->shownPalette(s);
  EXPECT_TRUE(game->fastFade);
  for (std::size_t i = 0; i < 48; ++i) EXPECT_EQ(shown[i], std::max(0, t.content.palette[i] - 2)) << i;

  // A fade between two lit palettes shows as the simulation has it.
  sim::GameState lit;
  lit.targetPalette.fill(30);
  lit.currentPalette.fill(20);
  GameApp& g = *game;
  g.shownPalette(lit);
  lit.currentPalette.fill(21);
  EXPECT_EQ(g.shownPalette(lit), lit.currentPalette);
}

TEST(Panel, EnergyRisesStepByStepAndFallsAtOnce) {
  TestGame t(false);
  auto game = playing(t);
  render::PanelView& view = game->renderer.panels[game->renderer.drawPage ^ 1];
  view.energy = 46;
  game->shownEnergy = 0;
  std::vector<std::uint32_t> sounds;
  int ticks = 0;
  while (game->shownEnergy < 46 && ticks < 200) {
    game->updateShownEnergy();
    ++ticks;
    EXPECT_LE(game->soundQueue.size(), 1u) << "tick " << ticks;
    for (const auto& s : game->soundQueue) sounds.push_back(s.n);
    game->soundQueue.clear();
  }
  EXPECT_GE(ticks, 140);
  EXPECT_LE(ticks, 141);
  std::vector<std::uint32_t> up;
  for (std::uint32_t n = 2; n <= 20; ++n) up.push_back(n);
  EXPECT_EQ(sounds, up);

  view.energy = 0;
  game->updateShownEnergy();
  EXPECT_EQ(game->shownEnergy, 0.0);
  std::vector<std::uint32_t> down;
  for (const auto& s : game->soundQueue) down.push_back(s.n);
  std::vector<std::uint32_t> expected;
  for (std::uint32_t n = 19; n >= 1; --n) expected.push_back(n);
  EXPECT_EQ(down, expected);
}

TEST(Panel, TheBarShowsTheRisingEnergyNotThePages) {
  TestGame t(false);
  auto game = playing(t);
  game->renderer.panels[game->renderer.drawPage ^ 1].energy = 46;
  game->shownEnergy = 10.7;
  render::RgbaImage picture;
  game->compose(picture);
  const auto at = [&](int x, int y) { return picture.pixels[static_cast<std::size_t>(y) * 348 + x]; };
  EXPECT_EQ(at(182 + 9, 16), 0xFFE04020u);
  EXPECT_EQ(at(182 + 10, 16), 0xFF000000u);
  game->shownEnergy = 46;
  game->compose(picture);
  EXPECT_EQ(at(227, 16), 0xFFE04020u);
}

TEST(Panel, ANewItemSlidesInOverEighteenTicks) {
  TestGame t(false);
  auto game = playing(t);
  game->renderer.applyOne(inventoryOp(2, -1, -1));
  game->updateInventorySlide();
  EXPECT_EQ(game->slideFrame, 0);
  EXPECT_EQ(game->slideNew, 2);
  for (int i = 0; i < 17; ++i) game->updateInventorySlide();
  EXPECT_EQ(game->slideFrame, 17);
  game->updateInventorySlide();
  EXPECT_EQ(game->slideFrame, -1);

  game->renderer.applyOne(inventoryOp(5, 2, -1));
  game->updateInventorySlide();
  EXPECT_EQ(game->slideNew, 5);
  EXPECT_EQ(game->slideOld[0], 2);
  for (int i = 0; i < 9; ++i) game->updateInventorySlide();
  EXPECT_EQ(game->slideFrame, 9);
  game->notice({"GAME SAVED", "SLIDING"});
  render::RgbaImage picture;
  game->compose(picture);
  EXPECT_TRUE(matchesGolden("slide_and_notice", picture));

  // An item taken out (no shift to the right) shows at rest at once.
  game->renderer.applyOne(inventoryOp(2, -1, -1));
  game->updateInventorySlide();
  EXPECT_EQ(game->slideFrame, -1);
  EXPECT_EQ(game->lastInventory[0], 2);
  EXPECT_EQ(game->lastInventory[1], -1);
}

TEST(Stop, ASimulationStopFreezesPlayUntilBack) {
  TestGame t(false);
  auto game = playing(t);
  game->sim.state.room = 99;
  game->sim.state.enterPending = 1;
  testing::internal::CaptureStderr();
  game->tick(0, false);
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(game->stopReason, "room 99");
  EXPECT_NE(log.find("[error] the simulation stopped: room 99"), std::string::npos) << log;

  const std::size_t steps = game->history.size();
  const sim::GameState frozen = game->sim.state;
  run(*game, 10, 8);
  EXPECT_EQ(game->history.size(), steps);
  EXPECT_TRUE(game->sim.state == frozen);
  EXPECT_EQ(game->mode, GameApp::kModePlay);

  game->tick(0, true);
  EXPECT_EQ(game->mode, GameApp::kModeFadeOut);
  EXPECT_EQ(game->next, GameApp::kNextTitle);
  run(*game, 17);
  EXPECT_TRUE(game->titleShown);
  confirmScreen(*game);
  ASSERT_GE(runUntilMode(*game, GameApp::kModePlay, 20), 0);
  EXPECT_TRUE(game->stopReason.empty());
  run(*game, 3);
  EXPECT_EQ(game->history.size(), 3u);
}

}  // namespace
