// Lifts and the chandelier.

#include <algorithm>

#include "sim/simulation.h"
#include "world/world.h"

namespace sim {

namespace {

constexpr std::size_t kRoom29Lift = 2;
constexpr std::uint8_t kNoStop = 255;
constexpr int kChandelierObject = 66;
constexpr int kChandelierFloor = 136;
constexpr int kChandelierTopSpeed = 16;

std::int16_t s16(int v) { return static_cast<std::int16_t>(v); }
std::uint8_t u8(int v) { return static_cast<std::uint8_t>(v); }

}  // namespace

std::uint8_t Simulation::stopY(int stop) const {
  const long index = static_cast<long>(stop) + 2;
  if (index < 0 || index >= static_cast<long>(stopBytes.size())) return kNoStop;
  return stopBytes[static_cast<std::size_t>(index)];
}

std::uint8_t Simulation::stopRoom(int stop) const {
  const long index = static_cast<long>(stop) + 3;
  if (index < 0 || index >= static_cast<long>(stopBytes.size())) return kNoStop;
  return stopBytes[static_cast<std::size_t>(index)];
}

void Simulation::findLift() {
  GameState& s = state;
  s.currentLift = -1;
  for (std::size_t i = 0; i < s.lifts.size(); ++i) {
    const int room = s.lifts[i].room;
    if (room == s.room || (room == 30 && s.room == 29) || (room == 29 && s.room == 30)) {
      s.currentLift = static_cast<std::int32_t>(i);
      return;
    }
  }
}

bool Simulation::liftLand(int oldY) {
  GameState& s = state;
  if (s.currentLift < 0 || s.currentLift >= static_cast<int>(s.lifts.size())) return false;
  const LiftState& l = s.lifts[static_cast<std::size_t>(s.currentLift)];
  if (oldY - l.y <= l.top && s.y - l.y >= l.top && s.x >= l.x - 29 && s.x <= l.x + l.width - 11) {
    s.y = s16(l.y + l.top);
    s.vy = 0;
    return true;
  }
  return false;
}

bool Simulation::liftStanding() {
  GameState& s = state;
  if (s.currentLift < 0 || s.currentLift >= static_cast<int>(s.lifts.size())) return false;
  LiftState& l = s.lifts[static_cast<std::size_t>(s.currentLift)];
  if (l.type != 0 || s.x < l.x - 4 || s.x > l.x + 12) return false;
  if (stopY(l.stop) == l.y) {
    const int sw = world->liftSwitchEntity;
    if (sw < 0 || sw >= static_cast<int>(s.entities.size()) || s.entities[static_cast<std::size_t>(sw)].var == 0) {
      return false;
    }
    if (s.pressed != kInputUp && s.pressed != kInputDown) return false;
    const bool up = s.pressed == kInputUp;
    const int next = up ? l.stop + 4 : l.stop;
    if (next < 0 || next >= static_cast<int>(stopBytes.size()) || stopBytes[static_cast<std::size_t>(next)] == kNoStop) {
      return false;
    }
    l.dir = up ? 1 : 0;
    l.stop = u8(up ? l.stop + 2 : l.stop - 2);
  }
  liftRide();
  return true;
}

void Simulation::liftRide() {
  GameState& s = state;
  LiftState& l = s.lifts[static_cast<std::size_t>(s.currentLift)];
  s.pressed = u8(s.pressed & ~(kInputUp | kInputDown));
  s.liftRedraw = 2;
  if (l.dir != 0) {
    if (s.y != 40) {
      --l.y;
      --s.y;
      return;
    }
    s.y = 176;
    l.y = s16(l.y + 136);
  } else {
    if (s.y != 176) {
      ++l.y;
      ++s.y;
      return;
    }
    s.y = 40;
    l.y = s16(l.y - 136);
  }
  l.room = stopRoom(l.stop);
  s.room = l.room;
}

void Simulation::autoLift() {
  GameState& s = state;
  if (s.lifts.size() <= kRoom29Lift) return;
  LiftState& l = s.lifts[kRoom29Lift];
  const int targetY = stopY(l.stop);
  const int targetRoom = stopRoom(l.stop);
  if (targetRoom == l.room && targetY == l.y) return;
  const int wrap = u8(40 - l.h);
  s.liftRedraw = 2;
  if (l.dir != 0) {
    --l.y;
    if (l.y == targetY && l.room == targetRoom) s.flags[13] = 1;
    if (l.y > wrap) return;
    l.y = 200;
    l.room = u8(targetRoom);
    return;
  }
  ++l.y;
  if (l.y == targetY && l.room == targetRoom) {
    s.flags[14] = 1;
    l.type = 1;
    s.liftRedraw = 2;
    s.moverX = s16(l.x + 24);
    s.moverY = s16(l.y - 20);
    s.moverFrame = 0;
  }
  if (l.y < 200) return;
  l.y = s16(wrap);
  l.room = u8(targetRoom);
}

void Simulation::chandelier() {
  GameState& s = state;
  if (s.currentLift < 0 || s.currentLift >= static_cast<int>(s.lifts.size())) return;
  LiftState& l = s.lifts[static_cast<std::size_t>(s.currentLift)];
  if (l.type != 3) return;
  if (static_cast<int>(s.objects.size()) <= kChandelierObject ||
      s.objects[kChandelierObject].seen == 0) {
    s.chandelierSpeed = 0;
    return;
  }
  int fall = 4;
  if (s.chandelierSpeed != kChandelierTopSpeed) {
    ++s.chandelierSpeed;
    fall = (s.chandelierSpeed + 2) >> 2;
  }
  l.y = s16(std::min(l.y + fall, kChandelierFloor));
}

}  // namespace sim
