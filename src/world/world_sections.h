#pragma once

// The world file's sections, read in file order by loadWorld. Each returns
// false after the reader has logged the load's one error line.

#include <utility>
#include <vector>

#include "world/json_fields.h"
#include "world/world.h"

namespace world {

enum class Presence { Required, Optional };

// The document's array `key` of objects, each read by `read(element, item)`
// into a new item appended to `out`. A required array that is absent is an
// error; an optional one leaves `out` as it is.
template <class Item, class Read>
bool readObjectList(JsonFields& in, const Json& root, const char* key, Presence presence, std::vector<Item>& out,
                    Read&& read) {
  const Json* list =
      presence == Presence::Required ? in.required(root, key, "document") : JsonFields::find(root, key);
  if (!list) return presence == Presence::Optional;
  if (!in.requireArray(*list)) return false;
  out.reserve(list->size());
  for (const Json& value : *list) {
    if (!in.requireObject(value)) return false;
    Item item;
    if (!read(value, item)) return false;
    out.push_back(std::move(item));
  }
  return true;
}

bool readRooms(JsonFields& in, const Json& root, World& world);
bool readScreens(JsonFields& in, const Json& root, World& world);
bool readDoors(JsonFields& in, const Json& root, World& world);
bool readScripts(JsonFields& in, const Json& root, World& world);
bool readEntities(JsonFields& in, const Json& root, World& world);
bool readObjects(JsonFields& in, const Json& root, World& world);
bool readObjectNames(JsonFields& in, const Json& root, World& world);
bool readTexts(JsonFields& in, const Json& root, World& world);
bool readActors(JsonFields& in, const Json& root, World& world);
bool readActorTypes(JsonFields& in, const Json& root, World& world);
bool readActorTypesTail(JsonFields& in, const Json& root, World& world);
bool readLifts(JsonFields& in, const Json& root, World& world);
bool readLiftStops(JsonFields& in, const Json& root, World& world);
bool readRules(JsonFields& in, const Json& root, World& world);

}  // namespace world
