// The application's mode machine: shown screens with their fades and fire
// waits, the start of a game, and the way back to the title.

#include "app/game/game_app.h"

#include <string>
#include <utility>

namespace app {

namespace {

constexpr const char* kCredit = "PORTED BY BRINDLEWICK IN 2026";
constexpr int kTextColumns = 40;

constexpr std::uint8_t kTitleTune = 6;
constexpr std::uint8_t kTitleScreenTune = 2;

// Minimum ticks of the fire waits: a shown screen, a speech bubble.
constexpr int kScreenWaitTicks = 15;
constexpr int kBubbleWaitTicks = 6;

constexpr std::uint8_t kFire = sim::kInputFire;

const Palette48 kBlack{};

}  // namespace

assets::Palette toPalette(const Palette48& rgb) {
  assets::Palette p;
  for (std::size_t i = 0; i < 16; ++i) p[i] = {rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]};
  return p;
}

bool GameApp::FireWait::step(bool fire, int minFrames, bool needRelease) {
  switch (state) {
    case 0:
      if (!fire) state = 1;
      return false;
    case 1:
      ++frames;
      if (frames >= minFrames) state = (fire && needRelease) ? 0 : 2;
      return false;
    case 2:
      if (!needRelease) return fire;
      if (fire) state = 3;
      return false;
    case 3:
      if (!fire) state = 4;
      return false;
    case 4: {
      ++frames;
      const bool done = frames >= minFrames;
      if (done && fire) {
        state = 3;
        return false;
      }
      return done;
    }
    default:
      return false;
  }
}

GameApp::GameApp(const sim::Content& content_, const sim::ScriptProgram& program, const render::GameGraphics& gfx_,
                 const render::HudScreen* hud_)
    : content(&content_),
      gfx(&gfx_),
      hud(hud_),
      sim(content_, program),
      renderer(gfx_, *content_.world) {
  const std::string credit = kCredit;
  const int column = (kTextColumns - static_cast<int>(credit.size())) / 2;
  renderer.drawText(titleOverlay, column, 0, credit, render::GameRenderer::TextStyle::Shadow);
  showScreen("title", "title", true, kTitleTune);
}

bool GameApp::tick(std::uint8_t keys, bool back) {
  const bool r = step(keys, back);
  updateShownEnergy();
  updateInventorySlide();
  return r;
}

bool GameApp::step(std::uint8_t keys, bool back) {
  if (noticeFrames > 0 && --noticeFrames == 0) noticeLines.clear();

  if (waitRelease) {
    if (keys == 0 && !back) waitRelease = false;
    keys = 0;
    back = false;
  }

  const bool fire = (keys & kFire) != 0;
  switch (mode) {
    case kModeScreen: {
      if (!firstFrameDone) {
        firstFrameDone = true;
        return true;
      }
      if (fadeToward(fadeTarget)) return true;
      const bool done = fireWait.step(fire, kScreenWaitTicks, false);
      if (!done && !(back && fireWait.state == 2)) return true;
      if (back && !fire && titleShown) return false;
      next = titleShown ? kNextNewGame : kNextTitle;
      fadeTarget = kBlack;
      mode = kModeFadeOut;
      break;
    }
    case kModePlay:
      playStep(keys, back);
      break;
    case kModeBubble:
      if (!fireWait.step(fire, kBubbleWaitTicks, true)) return true;
      bubble.reset();
      mode = kModePlay;
      playBack();
      break;
    case kModeFadeOut:
      if (fadeToward(fadeTarget)) return true;
      if (next == kNextNewGame)
        startGame();
      else
        showScreen("title", "title", true, kTitleTune);
      break;
    case kModeFadeBlack:
      if (fadeToward(kBlack)) return true;
      mode = kModePlay;
      playBack();
      break;
    default:
      break;
  }
  return true;
}

bool GameApp::fadeToward(const Palette48& target) {
  if (shownPal == target) return false;
  for (int pass = 0; pass < 4; ++pass) {
    for (std::size_t i = 0; i < shownPal.size(); ++i) {
      if (shownPal[i] < target[i])
        ++shownPal[i];
      else if (shownPal[i] > target[i])
        --shownPal[i];
    }
  }
  return true;
}

void GameApp::showScreen(const std::string& screen, const std::string& page, bool isTitle, std::uint8_t tune) {
  if (isTitle) {
    if (lastMusic != kTitleScreenTune) {
      lastMusic = kTitleScreenTune;
      musicQueue.push_back({0, kTitleScreenTune, 1});
    }
    musicQueue.push_back({1, 0, 1});
  }
  lastMusic = -1;
  soundCmd(tune);

  frame = render::Framebuffer();
  screenShown = true;
  renderer.drawShowScreen(frame, screen, page);

  shownPal = kBlack;
  fadeTarget = content->palette;

  titleShown = isTitle;
  mode = kModeScreen;
  fireWait = FireWait{};
  firstFrameDone = false;
}

void GameApp::newGameIn(sim::Simulation& s) {
  s.newGame();
  // Operations of an abandoned game must not reach the new one.
  s.ops.clear();
  s.state.armed = sim::kArmedAtNewGame;
}

void GameApp::startGame() {
  newGameIn(sim);
  soundCmd(sim.state.tune);

  pending.clear();
  bubble.reset();
  bubbleCover.clear();
  stopReason.clear();
  history.clear();
  shownEnergy = 0.0;
  mode = kModePlay;
}

void GameApp::quitToTitle() {
  fadeTarget = kBlack;
  pending.clear();
  bubble.reset();
  mode = kModeFadeOut;
  next = kNextTitle;
}

void GameApp::notice(std::vector<std::string> lines) {
  noticeLines = std::move(lines);
  noticeFrames = kNoticeTicks;
}

void GameApp::showNotice(std::vector<std::string> lines) { notice(std::move(lines)); }

const render::PanelView& GameApp::shownPanel() const { return renderer.panels[renderer.drawPage ^ 1]; }

}  // namespace app
