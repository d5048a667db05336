#include "render/game_renderer.h"

#include "render/pixel_ops.h"

namespace render {

namespace {

constexpr int kChandelierType = 3;
constexpr int kMoverRoom = 29;
constexpr int kThrowRoom = 28;
constexpr int kThrowFlag = 18;
constexpr int kThrownFrame = 15;
constexpr std::size_t kDarkObject = 43;  // carried, it leaves only the hero's outline
constexpr std::size_t kShadesObject = 0;
constexpr int kBallRowOffsets[3] = {280, 120, -40};

// Sprites never reach into the status panel.
void drawSprite(Framebuffer& fb, const assets::SpriteSet& set, int frame, int x, int y, bool onlyBlack) {
  if (frame < 0 || frame >= static_cast<int>(set.frames.size())) return;
  const assets::SpriteFrame& f = set.frames[frame];
  detail::blit(fb, set.image, f.x, f.y, f.w, f.h, std::int64_t{x} + f.xoff + f.ox, std::int64_t{y} + f.yoff + f.oy,
               kPlayAreaTop, onlyBlack);
}

}  // namespace

void GameRenderer::compose(const sim::GameState& state, Framebuffer& out) const {
  out = pages[drawPage ^ 1];
  const int room = state.room;

  if (state.currentLift >= 0 && state.currentLift < static_cast<int>(state.lifts.size())) {
    const sim::LiftState& lift = state.lifts[state.currentLift];
    if (lift.room == room && lift.type == kChandelierType) {
      drawSprite(out, gfx->chandel, 0, lift.x, lift.y, false);
      drawSprite(out, gfx->chandel, 1, lift.x + 32, lift.y, false);
    }
  }

  // The room's actors lie together in the list, starting at firstActor.
  if (state.firstActor >= 0) {
    for (std::size_t i = static_cast<std::size_t>(state.firstActor); i < state.actors.size(); ++i) {
      const sim::ActorState& actor = state.actors[i];
      if (actor.room != room) break;
      drawSprite(out, gfx->misc, actor.frame, actor.x, actor.y, false);
    }
  }

  const auto& ballRooms = world->ballRooms;
  for (std::size_t i = 0; i < 3 && i < ballRooms.size(); ++i) {
    if (ballRooms[i] != room) continue;
    for (const sim::ActorState& ball : state.pool2) {
      if (ball.state == 0) continue;
      drawSprite(out, gfx->misc, ball.frame, ball.x, ball.y - kBallRowOffsets[i], false);
    }
  }

  const auto rideStage = static_cast<std::int8_t>(state.rideStage);
  if (rideStage >= 0) drawSprite(out, gfx->balloon, rideStage == 9 ? 0 : rideStage, state.anchorX, state.anchorY, false);

  const auto moverFrame = static_cast<std::int8_t>(state.moverFrame);
  if (room == kMoverRoom && moverFrame >= 0) drawSprite(out, gfx->frank, moverFrame, state.moverX, state.moverY, false);

  if (room == kThrowRoom && state.flags[kThrowFlag] != 0) {
    drawSprite(out, gfx->misc, kThrownFrame, static_cast<std::int16_t>(state.throwX),
               static_cast<std::int16_t>(state.throwY), false);
  }

  const bool onlyBlack = state.objects.size() > kDarkObject && state.objects[kDarkObject].room == sim::kRoomCarried;
  drawSprite(out, gfx->tumbold, state.frame, state.x, state.y, onlyBlack);

  const auto& tables = gfx->drawTables;
  const int k = state.frame - tables.glueonFirstPlayerFrame;
  if (k >= 0 && k < static_cast<int>(tables.glueonFrames.size())) {
    drawSprite(out, gfx->glueon, tables.glueonFrames[k], state.x + 32, state.y, onlyBlack);
  }

  if (state.objects.size() > kShadesObject && state.objects[kShadesObject].room == sim::kRoomCarried &&
      state.frame < tables.shadesEntries.size()) {
    const auto& e = tables.shadesEntries[state.frame];
    drawSprite(out, gfx->shades, e[2], state.x + e[0], state.y + e[1], false);
  }
}

}  // namespace render
