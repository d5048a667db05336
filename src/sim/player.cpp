#include <string>

#include "sim/simulation.h"
#include "world/world.h"

namespace sim {

namespace {

constexpr int kBodyProbes[] = {10, 18, 26, 29};
constexpr std::uint8_t kStateFrame[23] = {26, 26, 0,  8,  20, 25, 27, 18, 23, 38, 60, 65,
                                          48, 59, 50, 57, 51, 56, 52, 55, 26, 26, 35};
constexpr std::uint8_t kIdleDuration[7] = {100, 5, 31, 23, 15, 15, 5};
constexpr std::int16_t kFallLimit = 16;
constexpr std::int16_t kJumpSpeed = -21;

std::int16_t i16(int v) { return static_cast<std::int16_t>(v); }
std::uint8_t u8(int v) { return static_cast<std::uint8_t>(v); }

}  // namespace

std::pair<int, std::uint8_t> Simulation::attrTile(int dx, int dy) const {
  const int px = static_cast<std::uint16_t>(state.x + dx);
  const int py = static_cast<std::uint16_t>(state.y + dy);
  if (px >= 320 || py < 40 || py >= 200) return {-1, 0};
  if (state.room >= world->rooms.size()) notModelled("collision lookup in room " + std::to_string(state.room));
  const int tile = roomTiles[static_cast<std::size_t>(state.room) * 200 +
                             static_cast<std::size_t>(((py - 40) / 16) * 20 + px / 16)];
  if (static_cast<std::uint32_t>(tile) >= content->collisionTiles ||
      static_cast<std::size_t>(tile) >= content->attributes.size()) {
    return {tile, 0};
  }
  const int quadrant = 2 * (((py - 40) / 8) & 1) + ((px / 8) & 1);
  return {tile, content->attributes[static_cast<std::size_t>(tile)][static_cast<std::size_t>(quadrant)]};
}

std::uint8_t Simulation::attr(int dx, int dy) const { return attrTile(dx, dy).second; }

int Simulation::vertical() {
  GameState& s = state;
  const int oldY = s.y;
  int dy = 0;
  if (s.vy == kFallLimit) {
    dy = 4;
  } else {
    s.vy = i16(s.vy + 1);
    dy = (s.vy + 2) >> 2;
  }
  s.y = i16(s.y + dy);
  if (dy >= 0) {
    if (s.currentLift >= 0 && s.currentLift < static_cast<int>(s.lifts.size()) &&
        s.lifts[static_cast<std::size_t>(s.currentLift)].room == s.room && liftLand(oldY)) {
      return 3;
    }
    if (s.y >= 176) {
      const std::uint8_t down = exitRoom(world::kExitDown);
      if (down != 255) {
        s.room = down;
        s.y = 40;
        return 0;
      }
      s.y = 176;
      s.vy = 0;
      return 2;
    }
    for (int probe : kBodyProbes) {
      const std::uint8_t a = attr(probe, 24);
      if (a == 0) continue;
      if (a == kAttrSinking) {
        s.vy = 0;
        if (s.frameCounter & 1) s.y = i16(s.y + 1);
        return 1;
      }
      s.y = i16(s.y & ~7);
      s.vy = 0;
      return a == kAttrFloorSnap ? 2 : 1;
    }
    return 0;
  }
  if (s.y <= 39) {
    const std::uint8_t up = exitRoom(world::kExitUp);
    if (up != 255) {
      s.room = up;
      s.y = 176;
      return 0;
    }
    s.y = 40;
  }
  for (int probe : kBodyProbes) {
    if (attr(probe, 0) == kAttrSolid) {
      s.y = i16((s.y & ~7) + 8);
      break;
    }
  }
  return 0;
}

bool Simulation::canJump() const {
  for (int probe : kBodyProbes) {
    if (attr(probe, -1) == kAttrSolid) return false;
  }
  return true;
}

bool Simulation::stepX(bool left) {
  GameState& s = state;
  if (left) {
    s.x = i16(s.x - 2);
    if (s.x < 0) {
      s.x = 0;
      const std::uint8_t next = exitRoom(world::kExitLeft);
      if (next != 255) {
        s.room = next;
        s.x = 280;
      }
      return true;
    }
  } else {
    s.x = i16(s.x + 2);
    if (s.x >= 281) {
      s.x = 280;
      const std::uint8_t next = exitRoom(world::kExitRight);
      if (next != 255) {
        s.room = next;
        s.x = 0;
      }
      return true;
    }
  }
  const int cx = left ? 9 : 30;
  const int snap = left ? 6 : 2;
  const int wallProbes[] = {3, left ? 7 : 8, 15};
  for (int dy : wallProbes) {
    if (attr(cx, dy) == kAttrSolid) {
      s.x = i16((s.x & ~7) | snap);
      return true;
    }
  }
  const std::uint8_t a = attr(cx, 23);
  if (a != kAttrSolid && a != kAttrFloor) return true;
  if (s.y < 41 || s.vy != 0) {
    s.x = i16((s.x & ~7) | snap);
    return true;
  }
  s.x = i16(s.x + (left ? 1 : -1));
  s.y = i16(s.y - 1);
  return false;
}

void Simulation::dispatch() {
  GameState& s = state;
  if (s.state >= 23) notModelled("player state " + std::to_string(s.state));
  s.frame = kStateFrame[s.state];
  switch (s.state) {
    case 0:
      s.state = 1;
      s.counter = 100;
      s.idleAnim = 0;
      break;
    case 1:
      stateStand();
      break;
    case 2:
    case 3:
      stateWalk();
      break;
    case 4:
    case 5:
      stateStop();
      break;
    case 6:
      if (vertical() != 0) s.state = 0;
      break;
    case 7:
    case 8:
      stateJump();
      break;
    case 9:
      stateHurt();
      break;
    case 10:
      stateBat(1);
      break;
    case 11:
      stateBat(-1);
      break;
    case 12:
      stateRideStart(36, 1);
      break;
    case 13:
      stateRideStart(-19, -1);
      break;
    case 14:
    case 15:
      stateRideRise();
      break;
    case 16:
      stateRideClimb(true);
      break;
    case 17:
      stateRideClimb(false);
      break;
    case 18:
      stateRide(true);
      break;
    case 19:
      stateRide(false);
      break;
    case 20:
      stateDismount(true);
      break;
    case 21:
      stateDismount(false);
      break;
    default:
      stateDying();
      break;
  }
}

void Simulation::stateStand() {
  GameState& s = state;
  const int r = vertical();
  if (r == 0) return;
  idle();
  if (r == 3 && liftStanding()) return;
  s.onGround = 1;
  if (s.pressed & kInputLeft) {
    s.state = 2;
    s.counter = 0;
  } else if (s.pressed & kInputRight) {
    s.state = 3;
    s.counter = 0;
  } else if ((s.pressed & kInputUp) && canJump()) {
    s.state = 6;
    s.vy = kJumpSpeed;
  }
}

void Simulation::stateWalk() {
  GameState& s = state;
  const bool left = s.state == 2;
  const std::uint8_t c = s.counter;
  s.counter = c >= 31 ? 0 : u8(c + 1);
  s.frame = u8(s.frame + c / 4);
  const bool ok = stepX(left);
  if (!ok && (s.y & 7) != 0) return;
  if (s.room != s.roomAtStart) return;
  if (vertical() == 0) return;
  s.onGround = 1;
  if (!(s.pressed & (left ? kInputLeft : kInputRight))) {
    s.counter = 12;
    s.state = left ? 4 : 5;
  } else if ((s.pressed & kInputUp) && canJump()) {
    s.state = left ? 7 : 8;
    s.vy = kJumpSpeed;
    dispatch();
  }
}

void Simulation::stateStop() {
  GameState& s = state;
  const std::uint8_t c = s.counter;
  if (c >= 6) s.frame = u8(s.frame - 1);
  s.counter = u8(c - 1);
  if (c < 6 && s.counter == 0) s.state = 0;
}

void Simulation::stateJump() {
  GameState& s = state;
  const bool left = s.state == 7;
  if (s.vy <= -13) {
    s.frame = u8(s.frame - 2);
  } else if (s.vy <= -5) {
    s.frame = u8(s.frame - 1);
  }
  stepX(left);
  if (s.room != s.roomAtStart) return;
  if (vertical() != 0) s.state = left ? 2 : 3;
}

void Simulation::stateHurt() {
  GameState& s = state;
  s.counter = u8(s.counter - 1);
  if (s.counter == 0) {
    s.state = 0;
    s.flags[11] = 0;
    return;
  }
  if (s.counter & 4) s.frame = 26;
  callNative(Native::TakeEnergy);
}

void Simulation::stateBat(int dir) {
  GameState& s = state;
  s.onGround = 1;
  const int c = s.counter;
  s.counter = u8(c + 1);
  if (c + 1 >= 18) {
    s.state = u8(s.state - 8);
    if (s.batted >= 0 && s.batted < static_cast<int>(s.pool2.size())) {
      s.pool2[static_cast<std::size_t>(s.batted)].state = 0;
    }
  }
  s.frame = u8(s.frame + (c / 6) * dir);
}

void Simulation::stateRideStart(int dx, int dir) {
  GameState& s = state;
  s.anchorX = i16(s.x + dx);
  s.anchorY = s.y;
  s.counter = u8(s.counter + 1);
  if (s.counter & 8) s.frame = u8(s.frame + dir);
  s.rideStage = dir > 0 ? u8(s.counter / 8) : u8(9 - s.counter / 8);
  if (s.rideStage == 4) {
    s.state = u8(s.state + 2);
    s.counter = 0;
  }
}

void Simulation::stateRideRise() {
  GameState& s = state;
  if (s.frameCounter & 1) s.anchorY = i16(s.anchorY - 1);
  if (s.y - 46 == s.anchorY) {
    s.state = u8(s.state + 2);
    s.vy = -15;
  }
}

void Simulation::stateRideClimb(bool right) {
  GameState& s = state;
  if (s.frameCounter & 1) s.anchorY = i16(s.anchorY - 1);
  s.x = i16(s.x + (right ? 2 : -2));
  vertical();
  if (right) {
    if (s.anchorX - 19 <= s.x) {
      s.x = i16(s.anchorX - 19);
      s.state = 18;
      s.counter = 0;
    }
  } else if (s.anchorX + 1 >= s.x) {
    s.x = i16(s.anchorX + 1);
    s.state = 19;
    s.counter = 0;
  }
}

void Simulation::stateRide(bool right) {
  GameState& s = state;
  s.counter = u8(s.counter + 1);
  if (s.counter & 8) s.frame = u8(s.frame + (right ? 1 : -1));
  if (right) {
    if (s.anchorX == 288) {
      s.room = exitRoom(world::kExitRight);
      s.x = 0;
      s.anchorX = 19;
      return;
    }
    s.x = i16(s.x + 1);
    s.anchorX = i16(s.anchorX + 1);
  } else {
    if (s.anchorX == 0) {
      s.room = exitRoom(world::kExitLeft);
      s.x = 280;
      s.anchorX = 279;
      return;
    }
    s.x = i16(s.x - 1);
    s.anchorX = i16(s.anchorX - 1);
  }
  if (s.room == (right ? 53 : 45)) {
    s.anchorY = i16(s.anchorY + 1);
    if (s.frameCounter & 1) s.y = i16(s.y + 1);
    if (s.y == 104) {
      s.state = right ? 20 : 21;
      s.counter = 0;
      s.y = 112;
      s.frame = 26;
    }
  }
}

void Simulation::stateDismount(bool right) {
  GameState& s = state;
  s.anchorX = i16(s.x + (right ? 36 : -20));
  s.anchorY = i16(s.y - 8);
  s.counter = u8(s.counter + 1);
  if (right) {
    if (s.counter < 32) {
      s.rideStage = u8(3 - s.counter / 8);
      return;
    }
  } else {
    const int stage = s.counter / 8 + 5;
    if (stage != 9) {
      s.rideStage = u8(stage);
      return;
    }
  }
  s.state = 0;
  s.vy = 0;
  s.rideStage = 255;
}

void Simulation::stateDying() {
  GameState& s = state;
  const int k = s.counter / 4;
  s.frame = u8(35 + k);
  if (k != 10) s.counter = u8(s.counter + 1);
  if (k == 10 && s.dying == 0) {
    s.dying = 1;
    s.countdown = 12;
  }
}

void Simulation::idle() {
  GameState& s = state;
  s.counter = u8(s.counter - 1);
  if (s.counter == 0) {
    s.counter = 25;
    if (s.idleAnim != 0) {
      s.idleAnim = 0;
    } else {
      const std::uint8_t r = rng();
      if ((r & 62) <= 13) {
        s.idleAnim = r & 14;
        s.counter = kIdleDuration[s.idleAnim / 2];
      }
    }
  }
  switch (s.idleAnim / 2) {
    case 1:
      s.frame = 28;
      break;
    case 2:
      s.frame = (s.counter & 8) ? 30 : 29;
      break;
    case 3:
      s.frame = u8(33 - s.counter / 8);
      break;
    case 4:
      s.frame = 33;
      break;
    case 5:
      s.frame = 34;
      break;
    default:
      break;
  }
}

}  // namespace sim
