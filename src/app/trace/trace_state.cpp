#include "app/trace/trace_state.h"

#include <array>
#include <cinttypes>
#include <cstdio>
#include <optional>
#include <type_traits>
#include <unordered_map>

#include "world/world.h"

namespace app::trace {

namespace {

// Where the DOS game kept its tables and records.
constexpr std::size_t kObjectTable = 0x6AA1;
constexpr std::size_t kObjectSize = 6;
constexpr std::size_t kActorTable = 0x5B4F;
constexpr std::size_t kActorSize = 14;
constexpr std::size_t kActorCount = 8;
constexpr std::size_t kBallTable = 0x5BCD;
constexpr std::size_t kBallLast = 0x5C3C;
constexpr std::size_t kLiftTable = 0x5C65;
constexpr std::size_t kLiftSize = 13;
constexpr std::size_t kLiftRoomByte = 7;
constexpr std::size_t kEntityTable = 0x90DD;
constexpr std::size_t kEntitySize = 15;
constexpr std::size_t kInventory = 0x5AB5;
constexpr std::size_t kFlags = 0x63A3;
constexpr std::size_t kComparedFlags = 22;
constexpr std::size_t kBackPage = 0x210C;
constexpr std::size_t kFrontPage = 0x210E;
constexpr std::size_t kPageStride = 80;
constexpr std::size_t kPageBytes = kPageStride * sim::kCacheRows;
constexpr std::uint16_t kNoObject = 0xFFFF;
constexpr std::size_t kLargeGroup = 4;
constexpr std::size_t kListedDifferences = 12;

// Bytes past the end of the record read as 0: every offset that comes from the
// snapshot itself is checked before use, and this keeps the rest from ever
// reading outside the record.
class Reader {
 public:
  explicit Reader(const Dgroup& d) : d_(d) {}
  std::uint8_t u8(std::size_t at) const { return at < d_.size() ? d_[at] : 0; }
  std::uint16_t u16(std::size_t at) const { return static_cast<std::uint16_t>(u8(at) | (u8(at + 1) << 8)); }
  std::int16_t i16(std::size_t at) const { return static_cast<std::int16_t>(u16(at)); }
  bool nonZero(std::size_t at) const { return u8(at) != 0; }
  bool inside(std::size_t at, std::size_t length) const { return at <= d_.size() && length <= d_.size() - at; }

 private:
  const Dgroup& d_;
};

std::int64_t address(const std::vector<std::uint16_t>& table, std::int32_t index) {
  return index >= 0 && static_cast<std::size_t>(index) < table.size() ? table[static_cast<std::size_t>(index)] : 0;
}

// A DOS pointer to an index of the program: 0 is none (-1); empty when absent.
std::optional<std::int32_t> indexOf(const std::unordered_map<std::uint16_t, int>& map, std::uint16_t pointer) {
  if (pointer == 0) return -1;
  const auto it = map.find(pointer);
  if (it == map.end()) return std::nullopt;
  return it->second;
}

std::int32_t ballSlot(std::uint16_t p) {
  if (p < kBallTable || p > kBallLast || (p - kBallTable) % kActorSize != 0) return -1;
  return static_cast<std::int32_t>((p - kBallTable) / kActorSize);
}

std::uint16_t recordIndex(std::uint16_t p, std::size_t table, std::size_t size) {
  return static_cast<std::uint16_t>(static_cast<std::uint16_t>(p - table) / size);
}

std::uint16_t inventoryPointer(std::int32_t slot) {
  return slot < 0 ? kNoObject : static_cast<std::uint16_t>(kObjectTable + kObjectSize * static_cast<std::size_t>(slot));
}

// The object index of an inventory pointer, or empty when it is no object record.
std::optional<std::int32_t> inventorySlot(std::uint16_t p) {
  if (p == kNoObject) return -1;
  if (p < kObjectTable || (p - kObjectTable) % kObjectSize != 0) return std::nullopt;
  return static_cast<std::int32_t>((p - kObjectTable) / kObjectSize);
}

std::vector<std::int64_t> objectBytes(const sim::ObjectState& o) {
  return {o.room, o.x8, o.y, o.graphic, o.seen, o.id};
}

sim::ObjectState readObject(const Reader& r, std::size_t at) {
  return sim::ObjectState{r.u8(at), r.u8(at + 1), r.u8(at + 2), r.u8(at + 3), r.u8(at + 4), r.u8(at + 5)};
}

sim::LiftBytes readLiftBytes(const Reader& r, std::size_t at) {
  sim::LiftBytes b{};
  for (std::size_t k = 0; k < b.size(); ++k) b[k] = r.u8(at + k);
  return b;
}

std::vector<std::int64_t> bytesAt(const Reader& r, std::size_t at, std::size_t n) {
  std::vector<std::int64_t> out;
  out.reserve(n);
  for (std::size_t k = 0; k < n; ++k) out.push_back(r.u8(at + k));
  return out;
}

template <class Record, class ToBytes>
void appendRecords(std::vector<std::int64_t>& out, const Record& records, ToBytes toBytes, std::size_t size) {
  out.reserve(out.size() + size * records.size());
  for (const auto& record : records) {
    const auto bytes = toBytes(record);
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
}

std::vector<std::int64_t> liftBytes(const sim::LiftState& lift) {
  const sim::LiftBytes b = sim::packLift(lift);
  return std::vector<std::int64_t>(b.begin(), b.end());
}

void comparePage(std::vector<Field>& out, const char* name, const sim::GameState& s, int page, const Reader& r,
                 std::size_t pointer) {
  Field f{name, {}, {}};
  f.port.reserve(sim::kCacheRows * sim::kCacheCols);
  f.original.reserve(sim::kCacheRows * sim::kCacheCols);
  const std::size_t base = r.u16(pointer);
  for (int row = 0; row < sim::kCacheRows; ++row) {
    for (int col = 0; col < sim::kCacheCols; ++col) {
      f.port.push_back(s.pageCache[static_cast<std::size_t>(page)][static_cast<std::size_t>(row)]
                                  [static_cast<std::size_t>(col)]);
      f.original.push_back(r.u16(base + kPageStride * static_cast<std::size_t>(row) + 2 * static_cast<std::size_t>(col)));
    }
  }
  out.push_back(std::move(f));
}

void loadPage(sim::GameState& s, int page, const Reader& r, std::size_t pointer) {
  const std::size_t base = r.u16(pointer);
  for (int row = 0; row < sim::kCacheRows; ++row) {
    for (int col = 0; col < sim::kCacheCols; ++col) {
      s.pageCache[static_cast<std::size_t>(page)][static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] =
          r.u16(base + kPageStride * static_cast<std::size_t>(row) + 2 * static_cast<std::size_t>(col));
    }
  }
}

}  // namespace

sim::ActorState readActor(const Dgroup& snapshot, std::size_t offset) {
  const Reader r(snapshot);
  sim::ActorState a;
  a.x = r.u16(offset);
  a.y = r.u16(offset + 2);
  a.frame = r.u8(offset + 4);
  a.state = r.u8(offset + 5);
  a.anim = r.u8(offset + 6);
  a.room = r.u8(offset + 7);
  a.rangeA = r.u16(offset + 8);
  a.rangeB = r.u16(offset + 10);
  a.graphic = r.u8(offset + 12);
  a.dir = r.u8(offset + 13);
  return a;
}

std::vector<std::int64_t> actorBytes(const sim::ActorState& a) {
  return {a.x & 0xFF,      a.x >> 8,        a.y & 0xFF,  a.y >> 8, a.frame,      a.state,   a.anim,
          a.room,          a.rangeA & 0xFF, a.rangeA >> 8, a.rangeB & 0xFF, a.rangeB >> 8, a.graphic, a.dir};
}

std::vector<Field> compare(const sim::GameState& s, const sim::ScriptProgram& program, const Dgroup& snapshot) {
  const Reader r(snapshot);
  const auto& layout = program.layout;
  std::vector<Field> f;
  f.reserve(39);
  f.push_back({"room", {s.room}, {r.u8(0x5D14)}});
  f.push_back({"x", {s.x}, {r.i16(0x5AA9)}});
  f.push_back({"y", {s.y}, {r.i16(0x5AAB)}});
  f.push_back({"vy", {s.vy}, {r.i16(0x5AA1)}});
  f.push_back({"pstate", {s.state}, {r.u8(0x5AAE)}});
  f.push_back({"pframe", {s.frame}, {r.u8(0x5AAD)}});
  f.push_back({"pcount", {s.counter}, {r.u8(0x5AAF)}});
  f.push_back({"on_ground", {s.onGround}, {r.u8(0x5AA4)}});
  f.push_back({"idle_anim", {s.idleAnim}, {r.u16(0x5D12)}});
  f.push_back({"frame_counter", {s.frameCounter}, {r.u8(0x5AA3)}});
  f.push_back({"energy", {s.energy}, {r.u8(0x5AB0)}});
  f.push_back({"lives", {s.lives}, {r.u8(0x5D16)}});
  f.push_back({"score", {s.score}, {r.u8(0x58F0)}});
  f.push_back({"dying", {s.dying, s.countdown}, {r.u8(0x5AB1), r.u8(0x5AB2)}});
  f.push_back({"checkpoint",
               {s.checkpointX, s.checkpointY, s.checkpointRoom, s.checkpointArmed},
               {r.i16(0x5D0), r.i16(0x5D2), r.u8(0x5D4), r.nonZero(0x5D5) ? 1 : 0}});
  f.push_back({"rng", {s.rng[0], s.rng[1], s.rng[2]}, {r.u8(0x58F8), r.u8(0x58F9), r.u8(0x58FA)}});
  f.push_back({"input", {s.pressed, s.armed}, {r.u8(0x2112), r.u8(0x2113)}});
  f.push_back({"tune", {s.tune}, {r.u8(0x5D8)}});
  f.push_back({"carried", {s.anchorX, s.anchorY, s.rideStage}, {r.i16(0x5A90), r.i16(0x5A92), r.u8(0x5A94)}});
  f.push_back({"throw",
               {static_cast<std::int16_t>(s.throwX), static_cast<std::int16_t>(s.throwY), s.throwVy},
               {r.i16(0x5A9B), r.i16(0x5A9D), r.i16(0x5A9F)}});
  f.push_back({"message_open", {s.messageOpen}, {r.nonZero(0x63A0) ? 1 : 0}});
  f.push_back({"mover",
               {s.moverFrame, s.moverTicks, s.moverX, s.moverY},
               {r.u8(0x5A95), r.u8(0x5A96), r.i16(0x5A97), r.i16(0x5A99)}});
  f.push_back({"follower", {s.followerX8, s.followerY}, {r.u8(0x5ADD), r.u8(0x5ADE)}});
  f.push_back({"batted", {s.batted}, {ballSlot(r.u16(0x5AA7))}});
  f.push_back({"chandelier_speed", {s.chandelierSpeed}, {r.u16(0x5A8E)}});
  f.push_back({"redraw counters (lift, score)", {s.liftRedraw, s.scoreRedraw}, {r.u8(0x58FF), r.u8(0x58F1)}});
  f.push_back({"shared_ip", {address(layout.codeAddress, s.sharedPc)}, {r.u16(0x771C)}});
  f.push_back({"first_actor", {s.firstActor}, {recordIndex(r.u16(0x58FB), kActorTable, kActorSize)}});
  const std::uint16_t lift = recordIndex(r.u16(0x58FD), kLiftTable, kLiftSize);
  f.push_back({"current_lift",
               {s.currentLift < 0 ? 255 : s.currentLift},
               {lift < s.lifts.size() ? lift : 255}});

  Field actors{"actors (14 bytes each)", {}, bytesAt(r, kActorTable, kActorSize * s.actors.size())};
  appendRecords(actors.port, s.actors, actorBytes, kActorSize);
  f.push_back(std::move(actors));
  Field balls{"pool2 (14 bytes each)", {}, bytesAt(r, kBallTable, kActorSize * s.pool2.size())};
  appendRecords(balls.port, s.pool2, actorBytes, kActorSize);
  f.push_back(std::move(balls));
  Field lifts{"lifts (13 bytes each)", {}, bytesAt(r, kLiftTable, kLiftSize * s.lifts.size())};
  appendRecords(lifts.port, s.lifts, liftBytes, kLiftSize);
  f.push_back(std::move(lifts));
  f.push_back({"flags", std::vector<std::int64_t>(s.flags.begin(), s.flags.begin() + kComparedFlags),
               bytesAt(r, kFlags, kComparedFlags)});
  Field objects{"objects (6 bytes each)", {}, bytesAt(r, kObjectTable, kObjectSize * s.objects.size())};
  appendRecords(objects.port, s.objects, objectBytes, kObjectSize);
  f.push_back(std::move(objects));

  Field inventory{"inventory", {}, {}};
  for (std::size_t slot = 0; slot < s.carried.size(); ++slot) {
    inventory.port.push_back(inventoryPointer(s.carried[slot]));
    inventory.original.push_back(r.u16(kInventory + 2 * slot));
  }
  f.push_back(std::move(inventory));

  Field entities{"entities (ip gfx wait var)", {}, {}};
  entities.port.reserve(4 * s.entities.size());
  entities.original.reserve(4 * s.entities.size());
  for (std::size_t k = 0; k < s.entities.size(); ++k) {
    const sim::EntityState& e = s.entities[k];
    const std::size_t at = kEntityTable + kEntitySize * k;
    entities.port.insert(entities.port.end(),
                         {address(layout.codeAddress, e.pc), address(layout.gfxAddress, e.graphic), e.wait, e.var});
    entities.original.insert(entities.original.end(), {r.u16(at + 3), r.u16(at + 7), r.u8(at + 9), r.u8(at + 14)});
  }
  f.push_back(std::move(entities));

  Field palette{"palette (target, current)", {}, bytesAt(r, 0x20A8, 96)};
  palette.port.insert(palette.port.end(), s.targetPalette.begin(), s.targetPalette.end());
  palette.port.insert(palette.port.end(), s.currentPalette.begin(), s.currentPalette.end());
  f.push_back(std::move(palette));

  comparePage(f, "tile cache, back page (cell index)", s, s.page & 1, r, kBackPage);
  comparePage(f, "tile cache, front page (cell index)", s, (s.page & 1) ^ 1, r, kFrontPage);
  return f;
}

std::string recordsOutside(const Dgroup& snapshot, const sim::GameState& state) {
  const Reader r(snapshot);
  if (!r.inside(r.u16(kBackPage), kPageBytes)) return "the back page of the tile cache lies past the end of the record";
  if (!r.inside(r.u16(kFrontPage), kPageBytes))
    return "the front page of the tile cache lies past the end of the record";
  if (!r.inside(kObjectTable, kObjectSize * state.objects.size()))
    return "the object records run past the end of the record";
  if (!r.inside(kEntityTable, kEntitySize * state.entities.size()))
    return "the entity records run past the end of the record";
  return {};
}

std::string loadSnapshot(const Dgroup& snapshot, const world::World& world, const sim::ScriptProgram& program,
                         sim::GameState& state) {
  const Reader r(snapshot);
  const auto& layout = program.layout;
  sim::GameState s;
  s.room = r.u8(0x5D14);
  s.x = r.i16(0x5AA9);
  s.y = r.i16(0x5AAB);
  s.vy = r.i16(0x5AA1);
  s.frame = r.u8(0x5AAD);
  s.state = r.u8(0x5AAE);
  s.counter = r.u8(0x5AAF);
  s.onGround = r.u8(0x5AA4);
  s.idleAnim = r.u16(0x5D12);
  s.energy = r.u8(0x5AB0);
  s.lives = r.u8(0x5D16);
  s.score = r.u8(0x58F0);
  s.dying = r.u8(0x5AB1);
  s.countdown = r.u8(0x5AB2);
  s.checkpointX = r.i16(0x5D0);
  s.checkpointY = r.i16(0x5D2);
  s.checkpointRoom = r.u8(0x5D4);
  s.checkpointArmed = r.nonZero(0x5D5) ? 1 : 0;
  s.frameCounter = r.u8(0x5AA3);
  s.tune = r.u8(0x5D8);
  s.rng = {r.u8(0x58F8), r.u8(0x58F9), r.u8(0x58FA)};
  s.anchorX = r.i16(0x5A90);
  s.anchorY = r.i16(0x5A92);
  s.rideStage = r.u8(0x5A94);
  s.pressed = r.u8(0x2112);
  s.armed = r.u8(0x2113);
  for (std::size_t k = 0; k < kComparedFlags; ++k) s.flags[k] = r.u8(kFlags + k);

  s.objects.resize(world.objects.size());
  s.entities.resize(program.entities.size());
  const std::string outside = recordsOutside(snapshot, s);
  if (!outside.empty()) return outside;
  for (std::size_t k = 0; k < s.objects.size(); ++k) s.objects[k] = readObject(r, kObjectTable + kObjectSize * k);

  for (std::size_t slot = 0; slot < s.carried.size(); ++slot) {
    const auto index = inventorySlot(r.u16(kInventory + 2 * slot));
    if (!index) return "inventory slot is not an object record";
    s.carried[slot] = *index;
  }

  for (std::size_t k = 0; k < s.entities.size(); ++k) {
    const std::size_t at = kEntityTable + kEntitySize * k;
    if (r.u8(at) != program.entities[k].room) {
      return "entity " + std::to_string(k) + " is not in the room the world says";
    }
    const auto pc = indexOf(layout.codeIndex, r.u16(at + 3));
    const auto graphic = indexOf(layout.gfxIndex, r.u16(at + 7));
    const auto loopStart = indexOf(layout.codeIndex, r.u16(at + 12));
    if (!pc || !graphic || !loopStart) {
      return "entity " + std::to_string(k) + ": a script pointer is not an instruction or graphic list";
    }
    sim::EntityState& e = s.entities[k];
    e.pc = *pc;
    e.graphic = *graphic;
    e.wait = r.u8(at + 9);
    e.loopCount = r.u8(at + 11);
    e.loopStart = *loopStart;
    e.var = r.u8(at + 14);
  }

  const std::uint16_t entityRoom = r.u16(0x63A1);
  if (!r.inside(entityRoom, 1)) return "the entity room pointer leads past the end of the record";
  s.entityRoom = r.u8(entityRoom);
  s.messageOpen = r.nonZero(0x63A0) ? 1 : 0;

  loadPage(s, 0, r, kBackPage);
  loadPage(s, 1, r, kFrontPage);
  s.page = 0;

  s.throwX = r.u16(0x5A9B);
  s.throwY = r.u16(0x5A9D);
  s.throwVy = r.i16(0x5A9F);
  for (std::size_t k = 0; k < 48; ++k) {
    s.targetPalette[k] = r.u8(0x20A8 + k);
    s.currentPalette[k] = r.u8(0x20D8 + k);
  }
  s.fadeEnabled = r.u8(0x25C) == 0 ? 1 : 0;

  s.actors.clear();
  for (std::size_t k = 0; k < kActorCount; ++k) s.actors.push_back(readActor(snapshot, kActorTable + kActorSize * k));
  for (std::size_t k = 0; k < s.pool2.size(); ++k) s.pool2[k] = readActor(snapshot, kBallTable + kActorSize * k);
  s.batted = ballSlot(r.u16(0x5AA7));

  s.moverFrame = r.u8(0x5A95);
  s.moverTicks = r.u8(0x5A96);
  s.moverX = r.i16(0x5A97);
  s.moverY = r.i16(0x5A99);
  s.followerX8 = r.u8(0x5ADD);
  s.followerY = r.u8(0x5ADE);
  s.chandelierSpeed = r.u16(0x5A8E);

  s.templateX = r.u8(0x7580);
  s.templateY = r.u8(0x7581);
  s.templateExtra = r.u8(0x7582);
  s.templateActive = r.u8(0x75C9) == static_cast<std::uint8_t>(s.templateX - 2) &&
                             r.u8(0x75CA) == static_cast<std::uint8_t>(s.templateY - 2) &&
                             r.u8(0x75CB) == static_cast<std::uint8_t>(s.templateExtra + 2)
                         ? 1
                         : 0;
  s.liftRedraw = r.u8(0x58FF);
  s.scoreRedraw = r.u8(0x58F1);

  for (std::size_t at = kLiftTable;; at += kLiftSize) {
    if (!r.inside(at, kLiftSize)) return "the lift table has no end mark before the end of the record";
    if (r.u8(at + kLiftRoomByte) == 255) break;
    s.lifts.push_back(sim::unpackLift(readLiftBytes(r, at)));
  }
  const std::uint16_t lift = recordIndex(r.u16(0x58FD), kLiftTable, kLiftSize);
  s.currentLift = lift < s.lifts.size() ? lift : -1;
  s.firstActor = recordIndex(r.u16(0x58FB), kActorTable, kActorSize);

  const auto shared = indexOf(layout.codeIndex, r.u16(0x771C));
  if (!shared) return "the shared thread's pointer is not an instruction";
  s.sharedPc = *shared;
  s.roomAtStart = s.room;
  state = std::move(s);
  return {};
}

std::string pokeBytes(sim::GameState& s, std::uint64_t address, const std::vector<std::uint8_t>& bytes) {
  std::array<std::uint16_t, 3> inventory{};
  for (std::size_t slot = 0; slot < inventory.size(); ++slot) inventory[slot] = inventoryPointer(s.carried[slot]);
  const auto setByte = [](auto& word, bool high, std::uint8_t v) {
    const auto bits = static_cast<std::uint16_t>(word);
    word = static_cast<std::remove_reference_t<decltype(word)>>(
        high ? (bits & 0x00FF) | (v << 8) : (bits & 0xFF00) | v);
  };
  std::string failure;
  for (std::size_t i = 0; i < bytes.size() && failure.empty(); ++i) {
    const std::uint64_t a = address + i;
    const std::uint8_t v = bytes[i];
    if (a >= kObjectTable && a < kObjectTable + kObjectSize * s.objects.size()) {
      sim::ObjectState& o = s.objects[(a - kObjectTable) / kObjectSize];
      std::uint8_t* fields[] = {&o.room, &o.x8, &o.y, &o.graphic, &o.seen, &o.id};
      *fields[(a - kObjectTable) % kObjectSize] = v;
    } else if (a >= 0x5D0 && a <= 0x5D3) {
      setByte(a < 0x5D2 ? s.checkpointX : s.checkpointY, (a & 1) != 0, v);
    } else if (a == 0x5D4) {
      s.checkpointRoom = v;
    } else if (a >= kInventory && a <= kInventory + 5) {
      setByte(inventory[(a - kInventory) / 2], ((a - kInventory) & 1) != 0, v);
    } else if (a == 0x5D16) {
      s.lives = v;
    } else if (a == 0x5AB0) {
      s.energy = v;
    } else if (a >= kFlags && a < kFlags + s.flags.size()) {
      s.flags[a - kFlags] = v;
    } else if (a >= kEntityTable && (a - kEntityTable) % kEntitySize == 14 &&
               (a - kEntityTable) / kEntitySize < s.entities.size()) {
      s.entities[(a - kEntityTable) / kEntitySize].var = v;
    } else {
      char text[48];
      std::snprintf(text, sizeof text, "poke at ds:%04" PRIX64, a);
      failure = text;
    }
  }
  // The pointers go back even after a failure: the bytes before it stay written.
  for (std::size_t slot = 0; slot < inventory.size(); ++slot) {
    const auto index = inventorySlot(inventory[slot]);
    if (!index) return failure.empty() ? "inventory poke is not an object record" : failure;
    s.carried[slot] = *index;
  }
  return failure;
}

std::string listText(const std::vector<std::int64_t>& values) {
  if (values.size() == 1) return std::to_string(values[0]);
  std::string text = "[";
  for (std::size_t i = 0; i < values.size(); ++i) text += (i ? " " : "") + std::to_string(values[i]);
  return text + "]";
}

std::string differenceLine(const Field& field) {
  if (field.port.size() <= kLargeGroup) {
    return field.name + ": port " + listText(field.port) + ", original " + listText(field.original);
  }
  std::string line = field.name + ": (index port/original)";
  std::size_t listed = 0;
  for (std::size_t k = 0; k < field.port.size() && listed < kListedDifferences; ++k) {
    const std::int64_t original = k < field.original.size() ? field.original[k] : 0;
    if (k < field.original.size() && field.port[k] == original) continue;
    line += " [" + std::to_string(k) + "] " + std::to_string(field.port[k]) + "/" + std::to_string(original);
    ++listed;
  }
  return line;
}

}  // namespace app::trace
