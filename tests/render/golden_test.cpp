#include <gtest/gtest.h>

#include "golden.h"
#include "render/game_renderer.h"
#include "render/hud_screen.h"
#include "test_graphics.h"

using render::Framebuffer;
using render::GameRenderer;
using sim::PageOp;
using sim::PageOpKind;

namespace {

class Golden : public rendertest::RendererTest {
 protected:
  // A room with objects, a lift and a full panel on both pages, as a room
  // entry leaves them.
  void enterRoom(int room) {
    for (int page = 0; page < 2; ++page) {
      renderer.applyOne(op(PageOpKind::ResetCache, room));
      renderer.applyOne(op(PageOpKind::DrawTile, 300, 10, 12));
      auto objects = op(PageOpKind::Objects);
      objects.items = {{0, 4, 140}, {3, 30, 60}, {5, 36, 170}};
      renderer.applyOne(objects);
      sim::LiftState lift;
      lift.x = 200;
      lift.y = 120;
      lift.type = 0;
      lift.wWords = 2;
      lift.h = 8;
      auto liftOp = op(PageOpKind::Lift);
      liftOp.lift = sim::packLift(lift);
      renderer.applyOne(liftOp);
      auto panel = op(PageOpKind::Panel, room, 2, 29, 146);
      panel.items = {{1, 0, 0}, {4, 0, 0}, {-1, 0, 0}};
      renderer.applyOne(panel);
      renderer.applyOne(op(PageOpKind::Flip));
    }
  }

  render::RgbaImage rgba(const Framebuffer& fb) const { return render::toRgba(fb, gfx.palette); }
};

// A decorative frame: a striped border, the frame's own panel with a full
// energy bar, and the play area left for the picture.
render::RgbaImage frameArt() {
  render::RgbaImage image;
  image.width = 348;
  image.height = 240;
  image.pixels.resize(348 * 240);
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 348; ++x) {
      std::uint32_t argb = ((x + y) / 4) % 2 != 0 ? 0xFF30384Au : 0xFF282E3Cu;
      if (x >= 4 && x < 344 && y >= 4 && y < 62) argb = 0xFF1C1C24u;
      if (x >= 182 && x < 228 && y >= 14 && y <= 20) argb = 0xFF30C040u;
      if (x >= 6 && x < 230 && y >= 40 && y < 50) argb = 0xFFD0C8A0u;
      image.pixels[y * 348 + x] = argb;
    }
  }
  return image;
}

}  // namespace

TEST_F(Golden, Room) {
  Framebuffer fb;
  render::drawRoom(fb, gfx.tiles, world.rooms[0], 40);
  EXPECT_TRUE(rendertest::matchesGolden("room", rgba(fb)));
}

TEST_F(Golden, ShowScreen) {
  Framebuffer fb;
  renderer.drawShowScreen(fb, "title", "title");
  EXPECT_TRUE(rendertest::matchesGolden("show_title", rgba(fb)));
}

TEST_F(Golden, BubbleOverARoom) {
  enterRoom(1);
  auto bubble = bubbleOp(8, 9, 0x80 | 14, "HELLO THERE\nWHAT A ROOM\n1 2 3");
  renderer.applyOne(bubble);
  auto tail = bubbleOp(24, 2, 26, "NO");  // reaches up into the panel
  renderer.applyOne(tail);
  EXPECT_TRUE(rendertest::matchesGolden("bubble_room", rgba(renderer.pages[renderer.drawPage])));
}

TEST_F(Golden, HudFrameWithAKnownPanel) {
  enterRoom(3);
  render::HudScreen hud(gfx, world, frameArt());
  Framebuffer fb;
  sim::GameState state;
  state.room = 3;
  state.x = 40;
  state.y = 130;
  state.frame = 2;
  renderer.compose(state, fb);
  const auto bubble = bubbleOp(2, 2, 5, "PANEL");
  renderer.drawBubble(fb, bubble);
  const auto mask = renderer.bubbleMask(bubble);
  std::vector<render::HudScreen::InventoryIcon> icons = {{1, 0}, {4, 10}};
  render::RgbaImage out;
  hud.composePlay(fb, gfx.palette, renderer.panels[renderer.drawPage ^ 1], &mask, out, &icons);
  hud.drawMessage(out, {"GAME SAVED", "SLOT 1"});
  EXPECT_TRUE(rendertest::matchesGolden("hud_play", out));
}

TEST_F(Golden, GameStateWithSprites) {
  enterRoom(2);
  sim::GameState state;
  state.room = 2;
  state.x = 120;
  state.y = 140;
  state.frame = 26;  // with its glueon overlay
  state.objects.assign(44, sim::ObjectState{});
  state.objects[0].room = sim::kRoomCarried;
  state.frame = 1;
  sim::ActorState actor;
  actor.room = 2;
  actor.x = 30;
  actor.y = 150;
  actor.frame = 1;
  state.actors = {actor, actor, actor};
  state.actors[1].x = 250;
  state.actors[1].frame = 0;
  state.actors[2].room = 7;
  state.firstActor = 0;
  state.pool2[0].state = 1;
  state.pool2[0].x = 180;
  state.pool2[0].y = 220;  // 120 up in the second ball room
  state.rideStage = 3;
  state.anchorX = 60;
  state.anchorY = 60;
  sim::LiftState chandelier;
  chandelier.room = 2;
  chandelier.type = 3;
  chandelier.x = 140;
  chandelier.y = 44;
  state.lifts = {chandelier};
  state.currentLift = 0;
  Framebuffer fb;
  renderer.compose(state, fb);
  EXPECT_TRUE(rendertest::matchesGolden("sprites", rgba(fb)));
}
