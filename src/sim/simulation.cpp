#include "sim/simulation.h"

#include <algorithm>
#include <string>

#include "world/world.h"

namespace sim {

namespace {

constexpr std::array<std::uint8_t, 3> kRngSeed = {0x44, 0x61, 0x53};
constexpr int kBodyProbes[] = {10, 18, 26, 29};

std::uint8_t low(int v) { return static_cast<std::uint8_t>(v & 0xFF); }

std::uint8_t rotl8(std::uint8_t v, int n) {
  return static_cast<std::uint8_t>((v << n) | (v >> (8 - n)));
}

bool listed(const std::vector<std::int32_t>& list, int value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

Simulation::Simulation(const Content& c, ScriptProgram p)
    : content(&c), world(c.world), program(std::move(p)) {
  for (const auto& room : world->rooms) {
    for (const auto& row : room.tiles) roomTiles.insert(roomTiles.end(), row.begin(), row.end());
  }
  for (const auto& type : world->actorTypes) {
    // Offsets are DOS words; a larger one in a damaged world file must not
    // ask for gigabytes.
    typeBytes.resize(static_cast<std::size_t>(std::clamp(type.offset, 0, 0xFFFF)), 0);
    for (int v : type.box) typeBytes.push_back(low(v));
    typeBytes.push_back(low(type.animDivisor));
    typeBytes.push_back(low(type.framesPerDir));
    for (int v : type.framesLeft) typeBytes.push_back(low(v));
    for (int v : type.framesRight) typeBytes.push_back(low(v));
  }
  typeBytes.insert(typeBytes.end(), world->actorTypesTail.begin(), world->actorTypesTail.end());
  for (const auto& stop : world->liftStops) {
    stopBytes.push_back(stop ? low(stop->first) : 255);
    stopBytes.push_back(stop ? low(stop->second) : 255);
  }
  roomEntityLists_.resize(256);
  for (std::size_t i = 0; i < program.entities.size(); ++i) {
    roomEntityLists_[program.entities[i].room].push_back(static_cast<int>(i));
  }
  sharedThreadRoom_.assign(256, false);
  for (int r : world->sharedThreadRooms) {
    if (r >= 0 && r < 256) sharedThreadRoom_[static_cast<std::size_t>(r)] = true;
  }
}

void Simulation::newGame() {
  state = GameState{};
  stepInstructions_ = 0;
  GameState& s = state;
  s.room = low(world->newGameRoom);
  s.x = static_cast<std::int16_t>(world->newGameX);
  s.y = static_cast<std::int16_t>(world->newGameY);
  s.lives = low(world->newGameLives);
  s.checkpointX = s.x;
  s.checkpointY = s.y;
  s.checkpointRoom = s.room;
  s.rng = kRngSeed;
  s.rideStage = 255;
  s.tune = 7;
  for (const auto& o : world->objects) {
    ObjectState record;
    record.room = o.room < 0 ? kRoomGone : low(o.room);
    record.x8 = low(o.x / 8);
    record.y = low(o.y);
    record.graphic = low(o.graphic);
    record.seen = 0;
    record.id = low(o.id);
    s.objects.push_back(record);
  }
  for (const auto& def : program.entities) {
    EntityState e;
    e.pc = def.step;
    e.graphic = def.gfx;
    e.wait = def.state[0];
    e.loopCount = def.state[2];
    e.loopStart = -1;
    e.var = def.state[5];
    s.entities.push_back(e);
  }
  for (const auto& a : world->actors) {
    ActorState record;
    record.x = static_cast<std::uint16_t>(a.x);
    record.y = static_cast<std::uint16_t>(a.y);
    record.frame = low(a.frame);
    record.state = low(a.state);
    record.anim = low(a.b6);
    record.room = low(a.room);
    record.rangeA = static_cast<std::uint16_t>(a.rangeA);
    record.rangeB = static_cast<std::uint16_t>(a.rangeB);
    record.graphic = low(a.graphic);
    record.dir = low(a.dir);
    s.actors.push_back(record);
  }
  for (const auto& l : world->lifts) {
    LiftState record;
    record.x = static_cast<std::int16_t>(l.x);
    record.y = static_cast<std::int16_t>(l.y);
    record.type = low(l.type);
    record.stop = low(l.startStop);
    record.dir = low(l.b6);
    record.room = low(l.room);
    record.wWords = low(l.wWords);
    record.h = low(l.h);
    record.width = static_cast<std::uint16_t>(l.raw10Word);
    record.top = static_cast<std::int8_t>(l.raw10Byte);
    s.lifts.push_back(record);
  }
  s.sharedPc = program.label("L_76D8");
  error.clear();
  runningScripts_.clear();
  sharedRunning_ = false;
  s.frame = 26;
  s.state = 0;
  s.energy = low(world->energyFull);
  s.dying = 0;
  s.respawnPending = 0;
  s.enterPending = 1;
}

bool Simulation::beginStep(std::uint8_t input) {
  if (!error.empty()) return false;
  stepInstructions_ = 0;
  try {
    if (state.enterPending == 1) {
      if (state.respawnPending == 1) {
        state.frame = 26;
        state.state = 0;
        state.energy = low(world->energyFull);
        state.dying = 0;
        state.respawnPending = 0;
      }
      enterRoom();
      state.enterPending = 0;
    }
    step(input);
    if (state.room != state.roomAtStart) {
      enterRoom();
      step(input);
    }
  } catch (const NotModelled& stop) {
    error = stop.text();
    return false;
  }
  return true;
}

void Simulation::step(std::uint8_t input) {
  GameState& s = state;
  emit(PageOpKind::Energy, 0, 0, s.energy);
  if (s.scoreRedraw != 0) {
    --s.scoreRedraw;
    emit(PageOpKind::Score, 0, 0, 0, s.score);
  }
  alive = s.energy != 0;
  if (s.energy != 0) {
    s.pressed = static_cast<std::uint8_t>(s.armed & input);
    s.armed = static_cast<std::uint8_t>(s.armed | ~input);
  }
  s.roomAtStart = s.room;
  ++s.frameCounter;
  autoLift();
  s.onGround = 0;
  chandelier();
  dispatch();
  if (s.energy == 0 && s.state != 22) {
    for (int probe : kBodyProbes) {
      if (attr(probe, 24) != 0) {
        s.state = 22;
        s.counter = 0;
        break;
      }
    }
  }
  runRoomActors();
  if (s.room == s.roomAtStart) {
    runStepScripts();
    drawWorld();
    flipPages();
  }
}

bool Simulation::endStep() {
  if (!error.empty()) return false;
  const std::uint8_t room0 = state.room;
  try {
    afterWait();
  } catch (const NotModelled& stop) {
    error = stop.text();
    return false;
  }
  if (state.endCode != 0) return true;
  if (state.room != room0) {
    state.enterPending = 1;
    return true;
  }
  if (state.respawnPending == 0) {
    takeCheckpoint();
    if (won()) state.endCode = 2;
    return true;
  }
  state.enterPending = 1;
  return true;
}

void Simulation::afterWait() {
  GameState& s = state;
  if (!fadeOneFrame() && s.dying != 0) {
    const std::uint8_t c = s.countdown;
    s.countdown = static_cast<std::uint8_t>(c - 1);
    if (c == 0) {
      const std::uint8_t livesBefore = s.lives;
      --s.lives;
      if (livesBefore != 1) {
        s.x = s.checkpointX;
        s.y = s.checkpointY;
        s.room = s.checkpointRoom;
        s.respawnPending = 1;
      } else {
        s.endCode = 1;
      }
      return;
    }
    if (c == 1) s.targetPalette.fill(0);
  }
  runTouchScripts();
  fire();
}

void Simulation::takeCheckpoint() {
  GameState& s = state;
  if (s.checkpointArmed == 1 && s.onGround != 0 && s.energy != 0) {
    s.checkpointArmed = 0;
    s.checkpointX = s.x;
    s.checkpointY = s.y;
    s.checkpointRoom = s.room;
  }
}

void Simulation::enterRoom() {
  GameState& s = state;
  s.checkpointArmed = 1;
  if (s.room & 0x80) {
    const int index = s.room & 0x7F;
    if (index >= static_cast<int>(world->doors.size())) notModelled("door " + std::to_string(index));
    const world::Door& door = world->doors[static_cast<std::size_t>(index)];
    s.room = low(door.room);
    if (door.x >= 0) s.x = static_cast<std::int16_t>(door.x);
    if (door.y >= 0) s.y = static_cast<std::int16_t>(door.y);
    if (listed(world->doorTuneRooms, door.room)) s.tune = 7;
  }
  if (s.room >= world->rooms.size()) notModelled("room " + std::to_string(s.room));
  if (s.onGround != 0) {
    if (s.x == 280) {
      s.armed = static_cast<std::uint8_t>(s.armed & ~kInputRight);
      if (s.state == 3) s.state = 0;
    } else if (s.x == 0) {
      s.armed = static_cast<std::uint8_t>(s.armed & ~kInputLeft);
      if (s.state == 2) s.state = 0;
    }
  }
  s.entityRoom = s.room;
  findActors();
  findLift();
  runRoomActors();
  redraw();
  s.targetPalette = content->palette;
}

bool Simulation::won() const {
  if (world->winObjects.empty()) return false;
  for (int index : world->winObjects) {
    if (index < 0 || index >= static_cast<int>(state.objects.size())) return false;
    if (state.objects[static_cast<std::size_t>(index)].room != kRoomGone) return false;
  }
  return true;
}

bool Simulation::fadeStep() {
  bool changed = false;
  for (std::size_t i = 0; i < 48; ++i) {
    std::uint8_t& current = state.currentPalette[i];
    const std::uint8_t target = state.targetPalette[i];
    if (current < target) {
      ++current;
      changed = true;
    } else if (current > target) {
      --current;
      changed = true;
    }
  }
  return changed;
}

bool Simulation::fadeOneFrame() {
  if (state.fadeEnabled != 1) return false;
  if (!fadeStep()) return false;
  fadeStep();
  return true;
}

std::uint8_t Simulation::rng() {
  auto& r = state.rng;
  const std::uint8_t next = rotl8(static_cast<std::uint8_t>(r[1] + r[2] + rotl8(r[0], 5)), 2);
  r[0] = r[1];
  r[1] = r[2];
  r[2] = next;
  return next;
}

std::uint8_t Simulation::neighbour(const world::Exit& exit) const {
  switch (exit.kind) {
    case world::ExitKind::Room:
      return low(exit.target);
    case world::ExitKind::Door:
      return low(exit.target | 128);
    default:
      return 255;
  }
}

std::uint8_t Simulation::exitRoom(int direction) const {
  if (state.room >= world->rooms.size()) notModelled("room " + std::to_string(state.room));
  return neighbour(world->rooms[state.room].exits[static_cast<std::size_t>(direction)]);
}

void Simulation::notModelled(const std::string& text) const { throw NotModelled(text); }

}  // namespace sim
