#include <string>

#include "core/files.h"
#include "core/json.h"
#include "core/log.h"
#include "world/world.h"
#include "world/world_sections.h"

namespace world {
namespace {

constexpr const char* kFormat = "tumbold-world";
constexpr int kMinSchema = 8;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Exactly 20 unsigned decimal ids of at most 65535, separated by white space.
bool parseRow(const std::string& text, std::array<std::uint16_t, kRoomCols>& row) {
  std::size_t pos = 0;
  int count = 0;
  for (;;) {
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    if (pos == text.size()) break;
    if (count == kRoomCols) return false;  // a token after the twentieth
    std::uint32_t value = 0;
    std::size_t digits = 0;
    while (pos < text.size() && !isBlank(text[pos])) {
      const char c = text[pos++];
      if (c < '0' || c > '9') return false;
      value = value * 10 + static_cast<std::uint32_t>(c - '0');
      if (value > 0xFFFF) return false;
      ++digits;
    }
    if (digits == 0) return false;
    row[count++] = static_cast<std::uint16_t>(value);
  }
  return count == kRoomCols;
}

// null: no exit; an integer: a room; an object with "door": a door.
bool parseExit(const Json& value, Exit& exit) {
  std::int32_t target = 0;
  if (value.is_null()) {
    exit = Exit{ExitKind::None, 0};
    return true;
  }
  if (value.is_number_integer()) {
    if (!numberToInt32(value, target)) return false;
    exit = Exit{ExitKind::Room, target};
    return true;
  }
  if (value.is_object()) {
    const Json* door = JsonFields::find(value, "door");
    if (!door || !door->is_number() || !numberToInt32(*door, target)) return false;
    exit = Exit{ExitKind::Door, target};
    return true;
  }
  return false;
}

bool readRoom(JsonFields& in, const Json& value, std::int32_t index, Room& room) {
  if (!in.requireObject(value)) return false;
  if (!in.intOr(value, "id", index, room.id) || !in.stringOr(value, "name", "", room.name)) return false;
  const std::string where = "room " + std::to_string(room.id);
  const Json* tiles = in.required(value, "tiles", where);
  if (!tiles) return false;
  if (!tiles->is_array() || tiles->size() != kRoomRows)
    return in.fail("room %d: expected %d tile rows", room.id, kRoomRows);
  for (int r = 0; r < kRoomRows; ++r) {
    const Json& row = (*tiles)[static_cast<std::size_t>(r)];
    if (!row.is_string() || !parseRow(row.get_ref<const std::string&>(), room.tiles[r]))
      return in.fail("room %d row %d: expected %d tile ids", room.id, r, kRoomCols);
  }
  const Json* exits = in.required(value, "exits", where);
  if (!exits || !in.requireObject(*exits)) return false;
  static const char* const kDirections[4] = {"up", "down", "left", "right"};
  for (int d = 0; d < 4; ++d) {
    const Json* exit = in.required(*exits, kDirections[d], where + " exits");
    if (!exit) return false;
    if (!parseExit(*exit, room.exits[d])) return in.fail("room %d: bad exit", room.id);
  }
  return true;
}

}  // namespace

bool readRooms(JsonFields& in, const Json& root, World& world) {
  const Json* rooms = in.required(root, "rooms", "document");
  if (!rooms || !in.requireArray(*rooms)) return false;
  world.rooms.reserve(rooms->size());
  std::int32_t index = 0;
  for (const Json& value : *rooms) {
    Room room;
    if (!readRoom(in, value, index++, room)) return false;
    world.rooms.push_back(std::move(room));
  }
  return true;
}

bool readScreens(JsonFields& in, const Json& root, World& world) {
  const Json* screens = JsonFields::find(root, "screens");
  if (!screens) return true;
  if (!in.requireObject(*screens)) return false;
  for (const auto& [name, value] : screens->items()) {
    if (!in.requireObject(value)) return false;
    Screen screen;
    if (!in.intOr(value, "room", 0, screen.room)) return false;
    const Json* header = JsonFields::find(value, "header");
    for (std::size_t r = 0; r < kScreenHeaderRows; ++r) {
      const bool ok = header && header->is_array() && r < header->size() && (*header)[r].is_string() &&
                      parseRow((*header)[r].get_ref<const std::string&>(), screen.header[r]);
      if (!ok) return in.fail("screen %s: bad header row %zu", name.c_str(), r);
    }
    world.screens.emplace(name, screen);
  }
  return true;
}

bool readDoors(JsonFields& in, const Json& root, World& world) {
  return readObjectList(in, root, "doors", Presence::Optional, world.doors, [&](const Json& value, Door& door) {
    return in.intOr(value, "room", 0, door.room) && in.intIfInteger(value, "raw_x", -1, door.x) &&
           in.intIfInteger(value, "raw_y", -1, door.y);
  });
}

std::optional<World> loadWorld(const std::filesystem::path& file) {
  const std::string path = file.string();
  const std::optional<std::string> text = core::readTextFile(file);
  if (!text) return std::nullopt;

  const Json root = core::parseJson(*text);
  const Json* format = JsonFields::find(root, "format");
  if (root.is_discarded() || !root.is_object() || (format && !format->is_string()) || !format ||
      format->get_ref<const std::string&>() != kFormat) {
    core::log(core::LogLevel::Error, "%s: not a tumbold-world document", path.c_str());
    return std::nullopt;
  }

  JsonFields in(path);
  World world;
  if (!in.intOr(root, "schema", 0, world.schema)) return std::nullopt;
  if (world.schema < kMinSchema) {
    core::log(core::LogLevel::Error, "%s: schema %d is older than %d; re-run tools/convert/export_all",
              path.c_str(), world.schema, kMinSchema);
    return std::nullopt;
  }

  using Section = bool (*)(JsonFields&, const Json&, World&);
  static const Section kSections[] = {
      readRooms,          readScreens,     readDoors,     readScripts, readEntities,
      readObjects,        readObjectNames, readTexts,     readActors,  readActorTypes,
      readActorTypesTail, readLifts,       readLiftStops, readRules,
  };
  for (const Section section : kSections) {
    if (!section(in, root, world)) return std::nullopt;
  }
  return world;
}

}  // namespace world
