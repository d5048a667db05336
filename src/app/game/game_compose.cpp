// The picture of the current moment: the shown screen or the play view in the
// HUD frame, with the animated panel values and any notice on top.

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/game/game_app.h"

namespace app {

namespace {

constexpr int kSlotWidth = 16;

// Ease-in-out cubic over the slide: slow start, fast middle, slow landing.
int slideOffset(int frame) {
  const double t = frame / static_cast<double>(GameApp::kSlideTicks);
  const double eased = t < 0.5 ? 4 * t * t * t : 0.5 * std::pow(2 * t - 2, 3) + 1;
  return static_cast<int>(std::trunc(eased * kSlotWidth + 0.5));
}

}  // namespace

void GameApp::compose(render::RgbaImage& out) const {
  const assets::Palette palette = toPalette(shownPal);
  if (hud == nullptr) {
    out = render::toRgba(frame, palette);
    return;
  }

  if (screenShown) {
    if (titleShown)
      hud->composeTitle(frame, titleOverlay, palette, out);
    else
      hud->composeFullFrame(frame, palette, out);
  } else {
    render::PanelView view = shownPanel();
    view.energy = std::min(view.energy, static_cast<int>(std::trunc(shownEnergy)));

    std::vector<render::HudScreen::InventoryIcon> icons;
    if (slideFrame >= 0) {
      const int offset = slideOffset(slideFrame);
      icons.push_back({slideNew, offset - kSlotWidth});
      for (int i = 0; i < 3; ++i) icons.push_back({slideOld[i], offset + kSlotWidth * i});
    }
    const bool masked = mode == kModeBubble && bubble.has_value() && !bubbleCover.empty();
    hud->composePlay(frame, palette, view, masked ? &bubbleCover : nullptr, out,
                     slideFrame >= 0 ? &icons : nullptr);
  }

  if (!noticeLines.empty()) hud->drawMessage(out, noticeLines);
}

}  // namespace app
