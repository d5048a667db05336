#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace sim {

// The DOS game's 6-byte object record.
struct ObjectState {
  std::uint8_t room = 0;     // room id; 254 carried; 255 gone or not placed
  std::uint8_t x8 = 0;       // x in 8-pixel cells
  std::uint8_t y = 0;        // pixels
  std::uint8_t graphic = 0;  // object graphic number
  std::uint8_t seen = 0;     // 1 once picked up the first time
  std::uint8_t id = 0;       // ids above 77 can never be picked up
};

constexpr std::uint8_t kRoomCarried = 254;
constexpr std::uint8_t kRoomGone = 255;

// The DOS game's 14-byte actor record (also a ball slot).
struct ActorState {
  std::uint16_t x = 0;
  std::uint16_t y = 0;
  std::uint8_t frame = 0;
  std::uint8_t state = 0;
  std::uint8_t anim = 0;
  std::uint8_t room = 0;
  std::uint16_t rangeA = 0;  // compared as signed; a ball's fall speed
  std::uint16_t rangeB = 0;
  std::uint8_t graphic = 0;  // offset of the actor's type in the type bytes
  std::uint8_t dir = 0;      // 0 left, 1 right
};

// The DOS game's 13-byte lift record.
struct LiftState {
  std::int16_t x = 0;
  std::int16_t y = 0;          // reference line
  std::uint8_t type = 0;       // 3 is the chandelier
  std::uint8_t stop = 0;       // index into the lift-stop bytes
  std::uint8_t dir = 0;        // non-zero up
  std::uint8_t room = 0;
  std::uint8_t wWords = 0;     // drawing width in 16-bit words
  std::uint8_t h = 0;          // height in pixels
  std::uint16_t width = 0;     // landing width in pixels
  std::int8_t top = 0;         // hero y relative to the lift's y while standing on it
};

using LiftBytes = std::array<std::uint8_t, 13>;

// The record as the DOS game stored it: little-endian words, fields in order.
LiftBytes packLift(const LiftState& lift);
LiftState unpackLift(const LiftBytes& bytes);

// Script state of one entity.
struct EntityState {
  std::int32_t pc = -1;        // next instruction index; -1 stopped
  std::int32_t graphic = -1;   // graphic-list index drawn each step; -1 none
  std::uint8_t wait = 0;       // steps still to wait
  std::uint8_t loopCount = 0;
  std::int32_t loopStart = -1;
  std::uint8_t var = 0;
};

constexpr int kCacheRows = 20;
constexpr int kCacheCols = 40;
using PageCache = std::array<std::array<std::array<std::uint16_t, kCacheCols>, kCacheRows>, 2>;

// The complete mutable state of one game in the DOS game's units. Member order
// follows the DOS game's data segment; the trace tools compare it field by field.
struct GameState {
  std::uint8_t room = 0;  // bit 7 set: a door index still to be resolved
  std::int16_t x = 0;
  std::int16_t y = 0;
  std::int16_t vy = 0;
  std::uint8_t frame = 0;
  std::uint8_t state = 0;
  std::uint8_t counter = 0;
  std::uint8_t onGround = 0;
  std::uint16_t idleAnim = 0;
  std::uint8_t energy = 0;
  std::uint8_t lives = 0;
  std::uint8_t score = 0;
  std::uint8_t dying = 0;
  std::uint8_t countdown = 0;
  std::int16_t checkpointX = 0;
  std::int16_t checkpointY = 0;
  std::uint8_t checkpointRoom = 0;
  std::uint8_t checkpointArmed = 0;
  std::uint8_t frameCounter = 0;
  std::array<std::uint8_t, 3> rng{};
  std::int16_t anchorX = 0;
  std::int16_t anchorY = 0;
  std::uint8_t rideStage = 0;
  std::uint8_t pressed = 0;
  std::uint8_t armed = 255;
  std::uint8_t tune = 0;
  std::array<std::uint8_t, 256> flags{};
  std::vector<ObjectState> objects;
  std::array<std::int32_t, 3> carried{-1, -1, -1};
  std::vector<EntityState> entities;
  std::int32_t entityRoom = -1;
  std::uint8_t result = 0;
  std::uint8_t messageOpen = 0;
  PageCache pageCache{};
  std::uint8_t page = 0;
  std::uint16_t throwX = 0;
  std::uint16_t throwY = 0;
  std::int16_t throwVy = 0;
  std::uint8_t templateActive = 0;
  std::uint8_t templateX = 0;
  std::uint8_t templateY = 0;
  std::uint8_t templateExtra = 0;
  std::array<std::uint8_t, 48> targetPalette{};
  std::array<std::uint8_t, 48> currentPalette{};
  std::uint8_t fadeEnabled = 1;
  std::vector<ActorState> actors;
  std::array<ActorState, 8> pool2{};
  std::int32_t batted = -1;
  std::int32_t sharedPc = -1;
  std::uint8_t moverFrame = 255;
  std::uint8_t moverTicks = 0;
  std::int16_t moverX = 0;
  std::int16_t moverY = 0;
  std::uint8_t followerX8 = 0;
  std::uint8_t followerY = 0;
  std::vector<LiftState> lifts;
  std::int32_t currentLift = -1;
  std::int32_t firstActor = 0;
  std::uint16_t chandelierSpeed = 0;
  std::uint8_t liftRedraw = 0;
  std::uint8_t scoreRedraw = 0;
  std::uint8_t roomAtStart = 0;
  std::uint8_t respawnPending = 0;
  std::uint8_t enterPending = 0;
  std::uint32_t endCode = 0;  // 0 playing, 1 game over, 2 won
};

bool operator==(const ObjectState& a, const ObjectState& b);
bool operator==(const ActorState& a, const ActorState& b);
bool operator==(const LiftState& a, const LiftState& b);
bool operator==(const EntityState& a, const EntityState& b);
bool operator==(const GameState& a, const GameState& b);
inline bool operator!=(const GameState& a, const GameState& b) { return !(a == b); }

}  // namespace sim
