// Actors, balls and the mover, in the DOS game's integer arithmetic: positions
// are 16-bit words, ranges are compared as signed words.

#include <algorithm>
#include <array>
#include <string>

#include "sim/simulation.h"
#include "world/world.h"

namespace sim {

namespace {

constexpr std::array<std::uint8_t, 6> kActorStateFrame = {0, 20, 20, 0, 0, 0};
constexpr std::uint16_t kFirstDecorativeTile = 912;
constexpr int kBallTerminalSpeed = 20;
constexpr int kBallAreaHeight = 480;
constexpr std::array<int, 3> kBallRoomOffset = {280, 120, -40};

std::int16_t s16(int v) { return static_cast<std::int16_t>(v); }
std::uint16_t u16(int v) { return static_cast<std::uint16_t>(v); }
std::uint8_t u8(int v) { return static_cast<std::uint8_t>(v); }

// Attribute of one quadrant of the tile at a flat index of all rooms' tiles;
// decoration and places past the table collide nowhere.
std::uint8_t tileAttr(const std::vector<std::uint16_t>& tiles, const Content& content, std::size_t index,
                      unsigned quadrant) {
  if (index >= tiles.size()) return 0;
  const std::uint16_t tile = tiles[index];
  if (tile >= kFirstDecorativeTile || tile >= content.attributes.size()) return 0;
  return content.attributes[tile][quadrant];
}

}  // namespace

std::uint8_t Simulation::typeByte(int type, int k) const {
  const long index = static_cast<long>(type) + k;
  if (index < 0 || index >= static_cast<long>(typeBytes.size())) return 0;
  return typeBytes[static_cast<std::size_t>(index)];
}

std::uint8_t Simulation::attrAbs(int x, int y) const {
  const unsigned ux = u16(x);
  const unsigned uy = u16(y - 40);
  const unsigned offset = static_cast<unsigned>(state.room) * 400u + ((uy >> 1) & 120u) * 5u + ((ux >> 3) & 0x1FFEu);
  const std::size_t index = (offset >> 1) & 0x7FFFu;
  const unsigned quadrant = ((uy >> 2) & 2u) | ((ux & 8u) ? 1u : 0u);
  return tileAttr(roomTiles, *content, index, quadrant);
}

std::uint8_t Simulation::attrBall(const ActorState& ball, int dx, int dy) const {
  const unsigned y = u16(ball.y + dy);
  if (y >= static_cast<unsigned>(kBallAreaHeight)) return 0;
  // The three ball rooms are stacked: 27 on top, then 26, then 25.
  unsigned base = 10800;
  unsigned adjust = 0;
  if (y >= 320) {
    base = 10000;
    adjust = 192;
  } else if (y >= 160) {
    base = 10400;
    adjust = 96;
  }
  const unsigned offset = base + (u16(ball.x + dx) >> 4) * 2u + (((y + adjust) >> 1) & 120u) * 5u;
  return tileAttr(roomTiles, *content, offset / 2, 0);
}

void Simulation::findActors() {
  GameState& s = state;
  s.firstActor = static_cast<std::int32_t>(s.actors.size());
  for (std::size_t i = 0; i < s.actors.size(); ++i) {
    if (s.actors[i].room == s.room) {
      s.firstActor = static_cast<std::int32_t>(i);
      return;
    }
  }
}

void Simulation::runRoomActors() {
  GameState& s = state;
  for (std::size_t i = static_cast<std::size_t>(std::max(0, s.firstActor));
       i < s.actors.size() && s.actors[i].room == s.room; ++i) {
    dispatchActor(s.actors[i]);
  }
  mover();
}

void Simulation::runPool2() {
  for (auto& ball : state.pool2) dispatchActor(ball);
}

void Simulation::dispatchActor(ActorState& a) {
  if (a.state >= kActorStateFrame.size()) notModelled("actor state " + std::to_string(a.state));
  a.frame = kActorStateFrame[a.state];
  switch (a.state) {
    case 1:
      actorBall(a, false);
      break;
    case 2:
      actorBall(a, true);
      break;
    case 3:
    case 4:
      actorPatrol(a);
      break;
    case 5:
      actorFollow(a);
      break;
    default:
      break;
  }
}

void Simulation::actorPatrol(ActorState& a) {
  actorHurtCheck(a);
  const bool follower = a.state == 5;
  if (a.dir == 1) {
    if (follower && attrAbs(s16(a.x) + 24, s16(a.y)) == kAttrSolid) {
      a.dir = 0;
      actorAnimate(a);
      return;
    }
    a.x = u16(a.x + 1);
    if (s16(a.x) >= s16(a.rangeB)) a.dir = 0;
    actorAnimate(a);
    return;
  }
  if (follower && attrAbs(s16(a.x) - 1, s16(a.y)) == kAttrSolid) {
    a.dir = 1;
    actorAnimate(a);
    dispatchActor(a);
    return;
  }
  a.x = u16(a.x - 1);
  if (s16(a.x) <= s16(a.rangeA)) {
    a.dir = 1;
    actorAnimate(a);
    // Turning at the left end the actor runs its whole patrol once more in the
    // same step; the DOS game did so and its timing depends on it.
    dispatchActor(a);
    return;
  }
  actorAnimate(a);
}

void Simulation::actorHurtCheck(const ActorState& a) {
  if (a.state == 5) return;
  const GameState& s = state;
  const int t = a.graphic;
  const int dx = s.x - (s16(a.x) + typeByte(t, 0)) + 11;
  const int dy = s.y - (s16(a.y) + typeByte(t, 1)) + 4;
  if (dx >= -17 && dx < typeByte(t, 2) && dy >= -18 && dy < typeByte(t, 3)) {
    callNative(Native::TakeEnergyEvenSteps);
  }
}

void Simulation::actorAnimate(ActorState& a) {
  const int t = a.graphic;
  a.anim = u8(a.anim + 1);
  const int divisor = typeByte(t, 4);
  const int perDir = typeByte(t, 5);
  int q = divisor == 0 ? 0 : a.anim / divisor;
  if (q == perDir) {
    a.anim = 0;
    q = 0;
  }
  a.frame = typeByte(t, 6 + q + (a.dir == 1 ? perDir : 0));
}

bool Simulation::actorToward(ActorState& a, int tx, int ty) {
  const int x = s16(a.x);
  const int y = s16(a.y);
  const bool arrived = x == tx && y == ty;
  if (x != tx) {
    a.dir = x < tx ? 1 : 0;
    a.x = u16(x < tx ? x + 1 : x - 1);
  }
  if (y != ty) a.y = u16(y < ty ? y + 1 : y - 1);
  actorAnimate(a);
  return arrived;
}

void Simulation::actorFollow(ActorState& a) {
  GameState& s = state;
  if (a.room == 66) {
    a.anim = 0;
    if (actorToward(a, 152, 136)) {
      a.dir = 0;
      s.flags[19] = 1;
    }
    return;
  }
  const ObjectState& o = object(world->followerObject);
  if (o.room == s.room) {
    if (s.followerX8 == o.x8 && s.followerY == o.y) {
      actorPatrol(a);
    } else {
      a.rangeA = u16(o.x8 * 8 - 40);
      a.rangeB = u16(o.x8 * 8 + 24);
      if (actorToward(a, o.x8 * 8 - 8, o.y - 8)) {
        s.followerX8 = o.x8;
        s.followerY = o.y;
      }
    }
  } else {
    actorPatrol(a);
  }
  actorTransfer(a);
}

void Simulation::actorTransfer(ActorState& a) {
  const int x = s16(a.x);
  const int y = s16(a.y);
  const auto move = [&a](int nx, int ny, int room, int rangeA, int rangeB) {
    a.x = u16(nx);
    a.y = u16(ny);
    a.room = u8(room);
    a.rangeA = u16(rangeA);
    a.rangeB = u16(rangeB);
  };
  switch (a.room) {
    case 67:
      if (y >= 136 && x >= 176 && x <= 184) {
        move(224, 76, 50, 192, 256);
        return;
      }
      break;
    case 50:
      if (x < 0) {
        move(288, y, 49, 256, 320);
      } else if (x >= 289) {
        a.x = 288;
        a.dir = 0;
      }
      return;
    case 49:
      if (y >= 72 && y <= 96 && x == 92) {
        move(84, 160, 66, 52, 116);
        return;
      }
      break;
    default:
      return;
  }
  if (x < 0) {
    a.x = 0;
    a.dir = 1;
  } else if (x >= 289) {
    a.x = 288;
    a.dir = 0;
  }
}

void Simulation::actorBall(ActorState& a, bool right) {
  a.anim = u8(right ? a.anim + 1 : a.anim - 1);
  actorBallFall(a);
  const int side = right ? 16 : -1;
  if (attrBall(a, side, 0) != 0 || attrBall(a, side, 15) != 0) {
    a.state = right ? 1 : 2;
    return;
  }
  if (right) {
    a.x = u16(a.x + 1);
  } else if (a.x != 0) {
    a.x = u16(a.x - 1);
  }
  a.frame = u8(a.frame + ((a.anim >> 3) & 3));
}

void Simulation::actorBallFall(ActorState& a) {
  int v = s16(a.rangeA);
  if (v != kBallTerminalSpeed) ++v;
  a.y = u16(a.y + ((v + 4) >> 3));
  a.rangeA = u16(v);
  if (a.y >= kBallAreaHeight) {
    a.state = 0;
    return;
  }
  if (attrBall(a, 0, 15) != 0 || attrBall(a, 15, 15) != 0) {
    a.y = u16((a.y - 1) & 0xFFF0);
    a.rangeA = u16(v < 3 ? 0 : 3 - v);
  }
}

void Simulation::ballContact() {
  GameState& s = state;
  int k = -1;
  for (std::size_t i = 0; i < world->ballRooms.size(); ++i) {
    if (world->ballRooms[i] == s.room) k = static_cast<int>(i);
  }
  if (k < 0 || k > 2) return;
  const int offset = kBallRoomOffset[static_cast<std::size_t>(k)];
  for (int slot = 0; slot < static_cast<int>(s.pool2.size()); ++slot) {
    const ActorState& ball = s.pool2[static_cast<std::size_t>(slot)];
    if (ball.state == 0) continue;
    const int dy = s.y - s16(ball.y) + offset + 22;
    const int dx = s.x - s16(ball.x);
    if (dy >= 0 && dy <= 33 && dx >= -28 && dx <= 4) ballHit(slot, dx + 11);
  }
}

void Simulation::ballHit(int slot, int side) {
  GameState& s = state;
  const int bat = world->batObject;
  const bool armed = bat >= 0 && bat < static_cast<int>(s.objects.size()) &&
                     s.objects[static_cast<std::size_t>(bat)].room == kRoomCarried && s.onGround != 0;
  if (armed) {
    if (s.state != 10 && s.state != 11) {
      s.batted = slot;
      s.state = (s.state == 1 && side >= -1) || s.state == 2 ? 10 : 11;
      s.counter = 0;
      return;
    }
    if (s.batted == slot) return;
  }
  callNative(Native::TakeEnergyEvenSteps);
}

void Simulation::mover() {
  GameState& s = state;
  if (s.moverFrame & 0x80) return;
  s.moverX = s16(s.moverX + 1);
  s.moverTicks = u8(s.moverTicks + 1);
  if (s.moverTicks == 6) {
    s.moverTicks = 0;
    s.moverFrame = u8(s.moverFrame ^ 1);
  }
  if (s.moverX >= 257) s.flags[16] = 1;
  if (u16(s.moverX) >= 289) {
    s.flags[17] = 1;
    s.moverFrame = 255;
  }
}

}  // namespace sim
