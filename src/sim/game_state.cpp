#include "sim/game_state.h"

#include <tuple>

namespace sim {

LiftBytes packLift(const LiftState& l) {
  const auto lo = [](int v) { return static_cast<std::uint8_t>(v & 0xFF); };
  const auto hi = [](int v) { return static_cast<std::uint8_t>((v >> 8) & 0xFF); };
  return LiftBytes{lo(l.x),  hi(l.x),      lo(l.y),      hi(l.y), l.type,      l.stop,
                   l.dir,    l.room,       l.wWords,     l.h,     lo(l.width), hi(l.width),
                   static_cast<std::uint8_t>(l.top)};
}

LiftState unpackLift(const LiftBytes& b) {
  LiftState l;
  l.x = static_cast<std::int16_t>(b[0] | (b[1] << 8));
  l.y = static_cast<std::int16_t>(b[2] | (b[3] << 8));
  l.type = b[4];
  l.stop = b[5];
  l.dir = b[6];
  l.room = b[7];
  l.wWords = b[8];
  l.h = b[9];
  l.width = static_cast<std::uint16_t>(b[10] | (b[11] << 8));
  l.top = static_cast<std::int8_t>(b[12]);
  return l;
}

bool operator==(const ObjectState& a, const ObjectState& b) {
  return std::tie(a.room, a.x8, a.y, a.graphic, a.seen, a.id) ==
         std::tie(b.room, b.x8, b.y, b.graphic, b.seen, b.id);
}

bool operator==(const ActorState& a, const ActorState& b) {
  return std::tie(a.x, a.y, a.frame, a.state, a.anim, a.room, a.rangeA, a.rangeB, a.graphic, a.dir) ==
         std::tie(b.x, b.y, b.frame, b.state, b.anim, b.room, b.rangeA, b.rangeB, b.graphic, b.dir);
}

bool operator==(const LiftState& a, const LiftState& b) { return packLift(a) == packLift(b); }

bool operator==(const EntityState& a, const EntityState& b) {
  return std::tie(a.pc, a.graphic, a.wait, a.loopCount, a.loopStart, a.var) ==
         std::tie(b.pc, b.graphic, b.wait, b.loopCount, b.loopStart, b.var);
}

namespace {

auto hero(const GameState& s) {
  return std::tie(s.room, s.x, s.y, s.vy, s.frame, s.state, s.counter, s.onGround, s.idleAnim,
                  s.energy, s.lives, s.score, s.dying, s.countdown, s.checkpointX, s.checkpointY,
                  s.checkpointRoom, s.checkpointArmed, s.frameCounter, s.rng, s.anchorX, s.anchorY,
                  s.rideStage, s.pressed, s.armed, s.tune);
}

auto scripts(const GameState& s) {
  return std::tie(s.flags, s.objects, s.carried, s.entities, s.entityRoom, s.result, s.messageOpen,
                  s.pageCache, s.page, s.throwX, s.throwY, s.throwVy, s.templateActive, s.templateX,
                  s.templateY, s.templateExtra, s.targetPalette, s.currentPalette, s.fadeEnabled);
}

auto rest(const GameState& s) {
  return std::tie(s.actors, s.pool2, s.batted, s.sharedPc, s.moverFrame, s.moverTicks, s.moverX,
                  s.moverY, s.followerX8, s.followerY, s.lifts, s.currentLift, s.firstActor,
                  s.chandelierSpeed, s.liftRedraw, s.scoreRedraw, s.roomAtStart, s.respawnPending,
                  s.enterPending, s.endCode);
}

}  // namespace

bool operator==(const GameState& a, const GameState& b) {
  return hero(a) == hero(b) && scripts(a) == scripts(b) && rest(a) == rest(b);
}

}  // namespace sim
