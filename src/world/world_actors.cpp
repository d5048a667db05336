// Actors, actor types, lifts, lift stops and the rules block of the world file.

#include <string>

#include "core/hex.h"
#include "world/world_sections.h"

namespace world {
namespace {

bool readIntFields(JsonFields& in, const Json& value,
                   std::initializer_list<std::pair<const char*, std::int32_t*>> fields) {
  for (const auto& [key, out] : fields) {
    if (!in.intOr(value, key, *out, *out)) return false;
  }
  return true;
}

// A rules member: absent leaves everything as it is; present, it must be an object.
const Json* ruleMember(JsonFields& in, const Json& rules, const char* key, bool& ok) {
  const Json* member = JsonFields::find(rules, key);
  ok = !member || in.requireObject(*member);
  return ok ? member : nullptr;
}

bool requiredList(JsonFields& in, const Json& object, const char* key, const std::string& where,
                  std::vector<std::int32_t>& out) {
  const Json* list = in.required(object, key, where);
  return list && in.intList(*list, out);
}

}  // namespace

bool readActors(JsonFields& in, const Json& root, World& world) {
  return readObjectList(in, root, "actors", Presence::Required, world.actors, [&](const Json& value, Actor& a) {
    return readIntFields(in, value,
                         {{"room", &a.room},
                          {"x", &a.x},
                          {"y", &a.y},
                          {"state", &a.state},
                          {"frame", &a.frame},
                          {"b6", &a.b6},
                          {"range_a", &a.rangeA},
                          {"range_b", &a.rangeB},
                          {"graphic", &a.graphic},
                          {"dir", &a.dir}});
  });
}

bool readActorTypes(JsonFields& in, const Json& root, World& world) {
  auto read = [&](const Json& value, ActorType& type) {
    std::vector<std::int32_t> box;
    if (!in.intOr(value, "offset", 0, type.offset) || !requiredList(in, value, "box", "actor type", box))
      return false;
    for (std::size_t i = 0; i < box.size() && i < type.box.size(); ++i) type.box[i] = box[i];
    return in.intOr(value, "anim_divisor", 1, type.animDivisor) &&
           in.intOr(value, "frames_per_dir", 1, type.framesPerDir) &&
           requiredList(in, value, "frames_left", "actor type", type.framesLeft) &&
           requiredList(in, value, "frames_right", "actor type", type.framesRight);
  };
  return readObjectList(in, root, "actor_types", Presence::Optional, world.actorTypes, read);
}

bool readActorTypesTail(JsonFields& in, const Json& root, World& world) {
  std::string hex;
  if (!in.stringOr(root, "actor_types_tail", "", hex)) return false;
  world.actorTypesTail.reserve(hex.size() / 2);
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    const int byte = core::hexByte(hex[i], hex[i + 1]);
    if (byte < 0)
      return in.fail("%s: actor_types_tail: \"%c%c\" at %zu is not a hexadecimal pair", in.path().c_str(),
                     hex[i], hex[i + 1], i);
    world.actorTypesTail.push_back(static_cast<std::uint8_t>(byte));
  }
  return true;
}

bool readLifts(JsonFields& in, const Json& root, World& world) {
  return readObjectList(in, root, "lifts", Presence::Required, world.lifts, [&](const Json& value, Lift& l) {
    std::vector<std::int32_t> raw10;
    if (!readIntFields(in, value,
                       {{"room", &l.room},
                        {"x", &l.x},
                        {"y", &l.y},
                        {"type", &l.type},
                        {"state", &l.state},
                        {"b6", &l.b6},
                        {"w_words", &l.wWords},
                        {"h", &l.h}}) ||
        !requiredList(in, value, "raw10", "lift", raw10))
      return false;
    if (raw10.size() == 3) {
      // Unsigned arithmetic: out-of-byte values in a hand-edited file must not overflow.
      const auto r0 = static_cast<std::uint32_t>(raw10[0]);
      const auto r1 = static_cast<std::uint32_t>(raw10[1]);
      l.raw10Word = static_cast<std::int32_t>((r1 << 8) | r0);
      l.raw10Byte = static_cast<std::int8_t>(static_cast<std::uint8_t>(raw10[2] & 0xFF));
    }
    return in.intOr(value, "start_stop", l.state, l.startStop);
  });
}

bool readLiftStops(JsonFields& in, const Json& root, World& world) {
  const Json* stops = JsonFields::find(root, "lift_stops");
  if (!stops) return true;
  if (!in.requireArray(*stops)) return false;
  world.liftStops.reserve(stops->size());
  for (std::size_t i = 0; i < stops->size(); ++i) {
    const Json& value = (*stops)[i];
    if (value.is_null()) {
      world.liftStops.emplace_back(std::nullopt);
      continue;
    }
    if (!in.requireArray(value)) return false;
    if (value.size() < 2)
      return in.fail("%s: lift stop %zu: expected a (y, room) pair", in.path().c_str(), i);
    std::int32_t pair[2] = {0, 0};
    for (std::size_t k = 0; k < 2; ++k) {
      if (!numberToInt32(value[k], pair[k]))
        return value[k].is_number() ? in.rangeError(value[k]) : in.typeError(value[k], "number");
    }
    world.liftStops.emplace_back(std::make_pair(pair[0], pair[1]));
  }
  return true;
}

bool readRules(JsonFields& in, const Json& root, World& world) {
  const Json* rules = JsonFields::find(root, "rules");
  if (!rules) return true;
  if (!in.requireObject(*rules)) return false;
  // A member holding number fields; an absent member or field keeps the world's value.
  auto fields = [&](const char* member, std::initializer_list<std::pair<const char*, std::int32_t*>> list) {
    bool ok = true;
    const Json* m = ruleMember(in, *rules, member, ok);
    return ok && (!m || readIntFields(in, *m, list));
  };
  // A member whose number list under `key` must be there once the member is.
  auto requiredNumbers = [&](const char* member, const char* key, std::vector<std::int32_t>& out) {
    bool ok = true;
    const Json* m = ruleMember(in, *rules, member, ok);
    return ok && (!m || requiredList(in, *m, key, std::string("rules ") + member, out));
  };
  // A member that is itself a list of numbers.
  auto numbers = [&](const char* member, std::vector<std::int32_t>& out) {
    const Json* m = JsonFields::find(*rules, member);
    return !m || in.intList(*m, out);
  };

  // Read in this order so that a file with several faults always reports the same first one.
  FirePuzzle& f = world.firePuzzle;
  if (!fields("fire_puzzle", {{"carried", &f.carried},
                              {"placed", &f.placed},
                              {"room", &f.room},
                              {"min_x8", &f.minX8},
                              {"min_y", &f.minY},
                              {"reveals", &f.reveals},
                              {"flag", &f.flag}}) ||
      !fields("object_2C", {{"flag", &world.object2CFlag}}) || !fields("object_1E", {{"flag", &world.object1EFlag}}) ||
      !requiredNumbers("pickup_from_lift29", "objects", world.pickupFromLift29) ||
      !fields("bat", {{"object", &world.batObject}}) || !fields("lift_switch", {{"entity", &world.liftSwitchEntity}}) ||
      !fields("ride", {{"tile", &world.rideTile}}) ||
      !requiredNumbers("drop_anywhere", "rooms", world.dropAnywhereRooms) ||
      !fields("drop_anywhere", {{"y", &world.dropAnywhereY}}) ||
      !fields("follower", {{"object", &world.followerObject}}) || !numbers("door_tune_rooms", world.doorTuneRooms) ||
      !fields("new_game", {{"room", &world.newGameRoom},
                           {"x", &world.newGameX},
                           {"y", &world.newGameY},
                           {"lives", &world.newGameLives}}))
    return false;
  if (const Json* m = JsonFields::find(*rules, "energy_full")) {
    std::int32_t energy = 0;
    if (m->is_number_integer() && numberToInt32(*m, energy)) world.energyFull = energy;
  }
  return requiredNumbers("win", "objects", world.winObjects) && numbers("ball_rooms", world.ballRooms) &&
         numbers("shared_thread_rooms", world.sharedThreadRooms);
}

}  // namespace world
