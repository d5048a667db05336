#pragma once

// The whole game content as plain data, loaded once from world/world.json and
// never changed afterwards. Every number is in the DOS game's units.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace world {

constexpr int kRoomRows = 10;
constexpr int kRoomCols = 20;
constexpr int kScreenHeaderRows = 2;
constexpr int kEntityStateBytes = 6;

using TileRow = std::array<std::uint16_t, kRoomCols>;

enum class ExitKind : std::uint32_t { None = 0, Room = 1, Door = 2 };

struct Exit {
  ExitKind kind = ExitKind::None;
  std::int32_t target = 0;  // room number for Room, door number for Door, 0 for None
};

enum ExitDir { kExitUp = 0, kExitDown = 1, kExitLeft = 2, kExitRight = 3 };

struct Room {
  std::int32_t id = 0;
  std::string name;
  std::array<Exit, 4> exits{};  // up, down, left, right
  // Row-major 16 x 16 pixel tiles; an id with bit 15 set draws nothing.
  std::array<TileRow, kRoomRows> tiles{};
};

struct Screen {
  std::array<TileRow, kScreenHeaderRows> header{};  // drawn at y 0 and y 16
  std::int32_t room = 0;                            // drawn below the header
};

struct Door {
  std::int32_t room = 0;
  std::int32_t x = -1;
  std::int32_t y = -1;
};

enum class BlockKind : std::uint32_t { Code = 0, Gfx = 1, Touch = 2, Raw = 3 };

// An operand is a number or a name (a label, a native or a text).
using ScriptOperand = std::variant<std::int32_t, std::string>;

struct ScriptOp {
  std::string name;
  std::vector<ScriptOperand> args;
};

struct ScriptBlock {
  BlockKind kind = BlockKind::Code;
  std::string label;
  std::vector<ScriptOp> ops;         // Code
  std::int32_t cols = 0;             // Gfx
  std::int32_t rows = 0;             // Gfx
  std::vector<std::uint16_t> tiles;  // Gfx, cols x rows, row-major
  std::int32_t dx = 0;               // Touch
  std::int32_t dy = 0;
  std::int32_t w = 0;
  std::int32_t h = 0;
  std::size_t rawSize = 0;  // Raw
};

struct Entity {
  std::int32_t room = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::string step;  // labels; empty means none
  std::string touch;
  std::string gfx;
  std::array<std::uint8_t, kEntityStateBytes> state{};
};

struct Object {
  std::int32_t id = 0;
  std::int32_t room = -1;  // -1: nowhere at the start
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t graphic = 0;
  std::int32_t name = -1;  // index into World::objectNames, -1: no name
};

enum class SegmentKind : std::uint32_t { At = 0, Style = 1, Text = 2 };

struct TextSegment {
  SegmentKind kind = SegmentKind::At;
  std::int32_t x = 0;  // text cell for At
  std::int32_t y = 0;
  std::string text;  // style name for Style, the text for Text
};

struct Actor {
  std::int32_t room = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t state = 0;
  std::int32_t frame = 0;
  std::int32_t b6 = 0;
  std::int32_t rangeA = 0;
  std::int32_t rangeB = 0;
  std::int32_t graphic = 0;
  std::int32_t dir = 0;
};

struct ActorType {
  std::int32_t offset = 0;
  std::array<std::int32_t, 4> box{};
  std::int32_t animDivisor = 1;
  std::int32_t framesPerDir = 1;
  std::vector<std::int32_t> framesLeft;
  std::vector<std::int32_t> framesRight;
};

struct Lift {
  std::int32_t room = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t type = 0;
  std::int32_t state = 0;
  std::int32_t b6 = 0;
  std::int32_t wWords = 0;
  std::int32_t h = 0;
  std::int32_t raw10Word = 0;  // a 16-bit word of the DOS lift record
  std::int32_t raw10Byte = 0;  // a signed byte of the DOS lift record
  std::int32_t startStop = 0;  // first stop offset into World::liftStops
};

// A lift stop is (y, room); an empty entry separates the stops of consecutive lifts.
using LiftStop = std::optional<std::pair<std::int32_t, std::int32_t>>;

struct FirePuzzle {
  std::int32_t carried = -1;
  std::int32_t placed = -1;
  std::int32_t room = -1;
  std::int32_t minX8 = 0;
  std::int32_t minY = 0;
  std::int32_t reveals = -1;
  std::int32_t flag = 0;
};

struct World {
  std::int32_t schema = 0;
  std::vector<Room> rooms;
  std::map<std::string, Screen> screens;
  std::vector<Door> doors;
  std::vector<ScriptBlock> scripts;
  std::vector<Entity> entities;
  std::vector<Object> objects;
  std::vector<std::string> objectNames;
  std::map<std::string, std::string> bubbles;
  std::map<std::string, std::vector<TextSegment>> textScreens;
  std::vector<Actor> actors;
  std::vector<ActorType> actorTypes;
  std::vector<std::uint8_t> actorTypesTail;
  std::vector<Lift> lifts;
  std::vector<LiftStop> liftStops;

  // The rules block: named constants of the game's special cases.
  std::int32_t newGameRoom = 2;
  std::int32_t newGameX = 106;
  std::int32_t newGameY = 144;
  std::int32_t newGameLives = 3;
  std::int32_t energyFull = 46;
  std::vector<std::int32_t> winObjects;
  std::vector<std::int32_t> ballRooms;
  std::vector<std::int32_t> sharedThreadRooms;
  FirePuzzle firePuzzle;
  std::int32_t object2CFlag = 21;
  std::int32_t object1EFlag = 6;
  std::vector<std::int32_t> pickupFromLift29;
  std::int32_t batObject = 40;
  std::int32_t liftSwitchEntity = 9;
  std::int32_t rideTile = 908;
  std::vector<std::int32_t> dropAnywhereRooms;
  std::int32_t dropAnywhereY = 88;
  std::int32_t followerObject = 45;
  std::vector<std::int32_t> doorTuneRooms;
};

// Reads root/"world"/"world.json". Failure: one error line and an empty result.
std::optional<World> loadWorld(const std::filesystem::path& file);

}  // namespace world
