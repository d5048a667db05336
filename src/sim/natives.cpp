#include <string>

#include "sim/simulation.h"
#include "world/world.h"

namespace sim {

namespace {

constexpr std::size_t kRoom29Lift = 2;
constexpr std::size_t kSharedContextEntity = 26;

std::uint8_t u8(int v) { return static_cast<std::uint8_t>(v); }

}  // namespace

std::uint8_t Simulation::takeEnergy() {
  GameState& s = state;
  s.onGround = 0;
  if (s.energy == 0) return 0;
  --s.energy;
  if (s.energy == 0) s.flags[11] = 0;
  return s.energy;
}

void Simulation::flash() { state.currentPalette.fill(63); }

std::uint8_t Simulation::callNative(Native id) {
  GameState& s = state;
  switch (id) {
    case Native::Redraw:
      redrawOnce();
      flipPages();
      redrawOnce();
      return 0;
    case Native::TakeEnergy:
      return takeEnergy();
    case Native::TakeEnergyEvenSteps:
      s.onGround = 0;
      if (s.frameCounter & 1) return s.energy;
      return takeEnergy();
    case Native::ThrowStart:
      s.throwX = 120;
      s.throwY = 147;
      s.throwVy = -18;
      return 0;
    case Native::ThrowFall:
      if (s.throwVy == 16) {
        s.throwY = static_cast<std::uint16_t>(s.throwY + 4);
      } else {
        s.throwVy = static_cast<std::int16_t>(s.throwVy + 1);
        s.throwY = static_cast<std::uint16_t>(s.throwY + (s.throwVy >> 2));
      }
      return static_cast<std::int16_t>(s.throwY) >= 148 ? 1 : 0;
    case Native::OnTile38C: {
      const auto left = attrTile(4, 24);
      const auto right = attrTile(35, 24);
      return s.state < 9 && left.second == kAttrSolid && right.second == kAttrSolid &&
                     left.first == world->rideTile && right.first == world->rideTile
                 ? 1
                 : 0;
    }
    case Native::RideRight:
    case Native::RideLeft:
      s.state = id == Native::RideRight ? 12 : 13;
      s.counter = 0;
      s.y = static_cast<std::int16_t>(s.y - 8);
      return 0;
    case Native::JumpLeft:
    case Native::JumpRight:
      s.state = id == Native::JumpLeft ? 7 : 8;
      s.vy = -21;
      return 0;
    case Native::StateMinus9:
      return u8(s.state - 9);
    case Native::Hurt:
      s.state = 9;
      s.counter = 20;
      return 0;
    case Native::SpawnBall:
      for (auto& ball : s.pool2) {
        if (ball.state != 0) continue;
        ball.x = 128;
        ball.y = 64;
        ball.frame = 20;
        ball.state = 1;
        ball.anim = 0;
        ball.rangeA = 20;
        return 1;
      }
      return 0;
    case Native::Lift29Type2:
    case Native::Lift29Down:
    case Native::Lift29Up: {
      if (s.lifts.size() <= kRoom29Lift) notModelled("no room-29 lift");
      LiftState& lift = s.lifts[kRoom29Lift];
      if (id == Native::Lift29Type2) {
        lift.type = 2;
        s.liftRedraw = 2;
        return 2;
      }
      const bool down = id == Native::Lift29Down;
      lift.dir = down ? 1 : 0;
      lift.stop = down ? 32 : 30;
      return down ? 1 : 0;
    }
    case Native::SetX243:
      s.x = 243;
      return 0;
    case Native::ObjectsAtSpot: {
      std::uint8_t found = 0;
      for (const auto& o : s.objects) {
        if (o.room != s.room || o.x8 < 4 || o.x8 > 8 || o.y != 88) continue;
        if (o.id == 42) return 2;
        found = 1;
      }
      return found;
    }
    case Native::SharedThreadNext: {
      const int target = program.label("L_7704");
      if (target < 0 || program.entities.size() <= kSharedContextEntity) {
        notModelled("native shared_thread_next");
      }
      s.sharedPc = target;
      s.entities[kSharedContextEntity].wait = 0;
      return 0;
    }
    case Native::NoLives:
      s.lives = 0;
      return 0;
    case Native::Flash:
      flash();
      return 0;
    case Native::FlashToRoom61: {
      const int target = program.label("L_7480");
      if (target < 0 || program.entities.size() < 86) notModelled("native flash_to_room_61");
      s.entities[85].pc = target;
      s.entities[81].pc = target;
      flash();
      if (s.room == 61) {
        s.x = 28;
        s.y = 40;
        s.room = 62;
      } else {
        s.x = 36;
        s.y = 80;
        s.room = 61;
      }
      return 0;
    }
    case Native::NoEnergy:
      s.onGround = 0;
      s.energy = 0;
      return 0;
  }
  return 0;
}

}  // namespace sim
