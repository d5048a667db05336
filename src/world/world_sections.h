#pragma once

// The world file's sections, read in file order by loadWorld. Each returns
// false after the reader has logged the load's one error line.

#include "world/json_fields.h"
#include "world/world.h"

namespace world {

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
