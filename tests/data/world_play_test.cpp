// The set pieces of the shipped world, played through the simulation: each test puts
// the hero where a mechanic begins and checks that the room layout and the scripts
// carry it through without the simulation stopping.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <map>
#include <string>
#include <optional>
#include <utility>
#include <set>
#include <vector>

#include "assets/sprite_set.h"
#include "shipped_data.h"

namespace {

using data_test::attrAt;
using data_test::bodyClear;
using data_test::Game;
using data_test::shipped;

constexpr std::uint8_t kUp = 1, kLeft = 4, kRight = 8, kFire = 16;

class ShippedSetPiece : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(shipped().complete()); }
};

TEST_F(ShippedSetPiece, BalloonPadCarriesTheHeroWestToTheCloudLanding) {
  Game game;
  game.placeHero(60, 68, 96);
  ASSERT_TRUE(game.runUntil(0, 3000, [](const sim::GameState& s) { return s.room == 45 && s.state == 1; }))
      << "room " << int(game.state().room) << " state " << int(game.state().state) << " " << game.error();
  EXPECT_EQ(game.state().y, 112);
  EXPECT_TRUE(game.run(0, 50));
  EXPECT_EQ(game.state().y, 112) << "the landing cloud holds the hero";
}

TEST_F(ShippedSetPiece, BalloonPadCarriesTheHeroEastToTheCloudLanding) {
  Game game;
  game.placeHero(60, 212, 96);
  ASSERT_TRUE(game.runUntil(0, 3000, [](const sim::GameState& s) { return s.room == 53 && s.state == 1; }))
      << "room " << int(game.state().room) << " state " << int(game.state().state) << " " << game.error();
  EXPECT_EQ(game.state().y, 112);
}

// The play area starts at page row 40; the panel above it is drawn over anything
// that reaches higher. The whole balloon stays below it for the ride both ways.
TEST_F(ShippedSetPiece, TheBalloonIsSeenWholeForTheRide) {
  const auto balloon = assets::loadSpriteSet(data_test::kRoot / "assets" / "graphics" / "sprites", "balloon");
  ASSERT_TRUE(balloon);
  for (const auto& [x, landing] : {std::pair{68, 45}, std::pair{212, 53}}) {
    Game game;
    game.placeHero(60, x, 96);
    int riding = 0;
    while (game.state().room != landing || game.state().state != 1) {
      ASSERT_TRUE(game.run(0, 1)) << game.error();
      ASSERT_LT(++riding, 3000) << "no landing from x " << x;
      const auto& s = game.state();
      const int stage = static_cast<std::int8_t>(s.rideStage);
      if (stage < 0) continue;
      const auto& f = balloon->frames[static_cast<std::size_t>(stage == 9 ? 0 : stage)];
      ASSERT_GE(s.anchorY + f.yoff + f.oy, 40) << "room " << int(s.room) << " x " << s.x << ": its top is cut off";
    }
  }
}

TEST_F(ShippedSetPiece, ChapelMirrorWithTheChaliceLeadsToTheMoonAltarWhichTakesIt) {
  Game game;
  game.placeHero(20, 240, 144);
  game.give(42);
  ASSERT_TRUE(game.run(0, 5));
  ASSERT_TRUE(game.fire());
  ASSERT_TRUE(game.runUntil(0, 200, [](const sim::GameState& s) { return s.room == 61 && s.state == 1; }))
      << game.error();
  EXPECT_EQ(game.state().x, 36);
  EXPECT_EQ(game.state().y, 80);
  // Three presses: two turn the pockets until the chalice is the oldest thing, one drops it.
  for (int i = 0; i < 3 && game.state().objects[42].room != 61; ++i) ASSERT_TRUE(game.fire());
  EXPECT_EQ(game.state().objects[42].room, 61);
  ASSERT_TRUE(game.run(0, 60));
  EXPECT_EQ(game.state().flags[1], 1);
  EXPECT_EQ(game.state().objects[64].room, 61) << "the moon altar gives its gift";
}

TEST_F(ShippedSetPiece, MoonAltarPortalLeadsIntoTheStarChamber) {
  Game game;
  game.placeHero(61, 248, 144);
  ASSERT_TRUE(game.run(0, 5));
  ASSERT_TRUE(game.fire());
  ASSERT_TRUE(game.runUntil(0, 200, [](const sim::GameState& s) { return s.room == 62 && s.state == 1; }))
      << "room " << int(game.state().room) << " " << game.error();
}

// Slots that name an object the world no longer has (the fire puzzle burns objects
// without emptying the pockets; the world's scripts must do that).
std::vector<int> spentInPockets(const sim::GameState& s) {
  std::vector<int> spent;
  for (int slot : s.carried)
    if (slot >= 0 && s.objects[slot].room != sim::kRoomCarried) spent.push_back(slot);
  return spent;
}

TEST_F(ShippedSetPiece, EveryWayOfLightingTheFirePitLeavesNoSpentObjectInThePockets) {
  const auto& puzzle = shipped().world->firePuzzle;
  const int flint = puzzle.carried, wood = puzzle.placed;
  // The flint in each slot, beside nothing or beside other things carried.
  const std::vector<std::array<int, 3>> pockets = {
      {flint, -1, -1}, {flint, 0, -1}, {0, flint, -1}, {0, 1, flint}, {-1, flint, 1}};
  for (const auto& slots : pockets) {
    SCOPED_TRACE(testing::Message() << "pockets " << slots[0] << " " << slots[1] << " " << slots[2]);
    Game game;
    game.placeHero(puzzle.room, 256, 152);
    auto& s = game.state();
    s.objects[wood].room = puzzle.room;
    s.objects[wood].x8 = static_cast<std::uint8_t>(puzzle.minX8);
    s.objects[wood].y = static_cast<std::uint8_t>(puzzle.minY);
    s.carried = slots;
    for (int slot : slots) {
      if (slot < 0) continue;
      s.objects[slot].room = sim::kRoomCarried;
      s.objects[slot].seen = 1;
    }
    ASSERT_TRUE(game.run(0, 5));
    ASSERT_EQ(s.y, 152) << "the hero stands in the pit";
    ASSERT_TRUE(game.run(kFire, 1)) << game.error();
    EXPECT_EQ(s.flags[puzzle.flag], 1);
    EXPECT_EQ(s.objects[flint].room, sim::kRoomGone);
    EXPECT_EQ(s.objects[wood].room, sim::kRoomGone);
    EXPECT_EQ(s.objects[puzzle.reveals].room, puzzle.room);
    EXPECT_EQ(spentInPockets(s), std::vector<int>{}) << "after the step that lit the fire";
    // What the panel was last told to show in that step.
    const sim::PageOp* panel = nullptr;
    for (const auto& op : game.lastOps()) {
      if (op.kind == sim::PageOpKind::Panel) panel = &op;
    }
    ASSERT_NE(panel, nullptr);
    for (const auto& item : panel->items) EXPECT_NE(item[0], s.objects[flint].graphic);  // item: graphic, x, y
    for (int other : slots) {
      if (other < 0 || other == flint) continue;
      EXPECT_EQ(std::count(s.carried.begin(), s.carried.end(), other), 1) << "object " << other << " stays carried";
    }
    ASSERT_TRUE(game.run(0, 60));
    EXPECT_EQ(spentInPockets(s), std::vector<int>{});
  }
}

// The puzzle is solved by pressing fire anywhere once the firewood lies in the pit,
// but only the fire-pit room has the script that empties the pocket. So the flint
// must never leave that room: every walk and jump out of it leaves the flint behind.
TEST_F(ShippedSetPiece, TheFlintNeverLeavesTheFirePitRoom) {
  const auto& puzzle = shipped().world->firePuzzle;
  const int flint = puzzle.carried;
  const auto& start = shipped().world->objects[flint];
  ASSERT_EQ(start.room, puzzle.room) << "the flint starts in the fire-pit room";
  Game game;
  game.placeHero(puzzle.room, 120, 144);
  game.give(flint);
  ASSERT_TRUE(game.run(0, 5));
  // Walks and jumps from every resting place the hero can reach with the flint.
  const std::vector<std::pair<std::uint8_t, int>> moves = {
      {kLeft, 8}, {kLeft, 40}, {kRight, 8}, {kRight, 40}, {kUp, 2},
      {kUp | kLeft, 20}, {kUp | kRight, 20}, {kUp | kLeft, 60}, {kUp | kRight, 60}};
  std::vector<sim::GameState> queue = {game.state()};
  std::set<std::pair<int, int>> seen = {{game.state().x, game.state().y}};
  std::set<int> left;
  for (std::size_t next = 0; next < queue.size() && next < 2000; ++next) {
    for (const auto& [input, hold] : moves) {
      game.restore(queue[next]);
      ASSERT_TRUE(game.run(input, hold)) << game.error();
      const auto& s = game.state();
      for (int i = 0; i < 200 && s.room == puzzle.room && !(s.onGround && s.state == 1); ++i) ASSERT_TRUE(game.run(0, 1));
      if (s.room != puzzle.room) {
        left.insert(s.room);
        EXPECT_EQ(s.objects[flint].room, puzzle.room) << "the flint was carried into room " << int(s.room);
        EXPECT_EQ(std::count(s.carried.begin(), s.carried.end(), flint), 0);
        continue;
      }
      if (seen.insert({s.x, s.y}).second) queue.push_back(s);
    }
  }
  EXPECT_GT(seen.size(), 50u);
  EXPECT_GE(left.size(), 2u) << "the hero can walk out of the room on both sides";
}

TEST_F(ShippedSetPiece, TowerLiftRidesUpOnceTheSwitchIsThrown) {
  Game game;
  game.placeHero(19, 148, 144);
  game.state().entities[9].var = 1;
  ASSERT_TRUE(game.run(0, 5));
  ASSERT_TRUE(game.runUntil(kUp, 400, [](const sim::GameState& s) { return s.room == 20 && s.y == 152; }))
      << "room " << int(game.state().room) << " y " << game.state().y << " " << game.error();
  ASSERT_TRUE(game.run(0, 20));
  EXPECT_EQ(game.state().room, 20);
  EXPECT_EQ(game.state().y, 152) << "the lift stops at the upper stop";
  ASSERT_TRUE(game.run(kRight, 60));
  EXPECT_EQ(game.state().room, 20);
  EXPECT_EQ(game.state().y, 144) << "the hero steps off onto the floor beside the shaft";
}

TEST_F(ShippedSetPiece, LiftSwitchLeverTurnsTheLiftsOn) {
  Game game;
  const auto& entity = shipped().world->entities[9];
  game.placeHero(entity.room, entity.x, 144);
  ASSERT_TRUE(game.run(0, 5));
  ASSERT_TRUE(game.fire());
  ASSERT_TRUE(game.run(0, 5));
  EXPECT_EQ(game.state().entities[9].var, 1);
}

TEST_F(ShippedSetPiece, CargoLiftComesDownAndThePorterLeavesAGift) {
  Game game;
  game.placeHero(29, 216, 144);
  ASSERT_TRUE(game.run(0, 5));
  ASSERT_TRUE(game.fire());
  ASSERT_TRUE(game.runUntil(0, 2000, [](const sim::GameState& s) { return s.flags[17] == 1; }))
      << game.error();
  ASSERT_TRUE(game.run(0, 30));
  EXPECT_EQ(game.state().flags[14], 1);
  EXPECT_EQ(game.state().objects[74].room, 29);
  EXPECT_EQ(game.state().lifts[2].type, 2);
}

TEST_F(ShippedSetPiece, BoulderRunSpawnsBouldersThatLeaveAtTheBottom) {
  Game game;
  game.placeHero(27, 8, 144);
  bool spawned = false, freedAgain = false;
  for (int i = 0; i < 3000 && !freedAgain; ++i) {
    ASSERT_TRUE(game.run(0, 1)) << game.error();
    const auto& ball = game.state().pool2[0];
    if (ball.state != 0) spawned = true;
    if (spawned && ball.state == 0) freedAgain = true;
  }
  EXPECT_TRUE(spawned);
  EXPECT_TRUE(freedAgain) << "a boulder must roll out of the bottom of the run";
}

TEST_F(ShippedSetPiece, TheDogFollowsTheBoneFromTheSettToTheDen) {
  Game game;
  game.placeHero(67, 200, 144);
  game.give(45);
  ASSERT_TRUE(game.run(0, 5));
  for (int i = 0; i < 3 && game.state().objects[45].room != 67; ++i) ASSERT_TRUE(game.fire());
  ASSERT_EQ(game.state().objects[45].room, 67);
  auto& dog = game.state().actors[6];
  ASSERT_TRUE(game.runUntil(0, 2000, [&](const sim::GameState&) { return dog.room == 50; })) << game.error();
  // Carry the bone on to the lodge, to the far left where the dog patrols off the edge.
  game.state().objects[45].room = 50;
  game.state().objects[45].x8 = 3;
  game.state().objects[45].y = 152;
  game.placeHero(50, 200, 144);
  game.state().enterPending = 1;
  ASSERT_TRUE(game.runUntil(0, 3000, [&](const sim::GameState&) { return dog.room == 49; })) << game.error();
  game.state().objects[45].room = 49;
  game.state().objects[45].x8 = 12;
  game.state().objects[45].y = 88;
  game.placeHero(49, 200, 144);
  game.state().enterPending = 1;
  ASSERT_TRUE(game.runUntil(0, 3000, [&](const sim::GameState&) { return dog.room == 66; })) << game.error();
}

TEST_F(ShippedSetPiece, CottageDoorLeadsToTheGatehouseAndBackWithTheHomeTune) {
  Game game;
  ASSERT_TRUE(game.run(0, 2));
  ASSERT_TRUE(game.runUntil(kRight, 200, [](const sim::GameState& s) { return s.room == 3; })) << game.error();
  EXPECT_NEAR(game.state().x, 8, 2) << "the door puts the hero just inside the gatehouse";
  game.state().tune = 0;
  ASSERT_TRUE(game.run(0, 10));
  ASSERT_TRUE(game.runUntil(kLeft, 100, [](const sim::GameState& s) { return s.room == 2; })) << game.error();
  EXPECT_NEAR(game.state().x, 272, 2);
  EXPECT_EQ(game.state().tune, 7);
}

TEST_F(ShippedSetPiece, KeepersDoorFadesBackToTheChapel) {
  Game game;
  game.placeHero(65, 24, 144);
  ASSERT_TRUE(game.run(0, 5));
  ASSERT_TRUE(game.fire());
  ASSERT_TRUE(game.run(0, 40));
  EXPECT_EQ(game.state().room, 20);
  EXPECT_EQ(game.state().x, 40);
  EXPECT_EQ(game.state().y, 144);
}

// The Keeper's lamp lights a star for each of the first three shards; the fourth has
// words of its own, the lamp shines (in the picture under the bubble already) and is
// seen shining for a while before the game is won. Its pictures lie on the room's lamp.
TEST_F(ShippedSetPiece, TheKeeperLightsTheLampShardByShardAndTheFourthWinsTheGame) {
  const auto& program = *shipped().program;
  const auto& shards = shipped().world->winObjects;
  const auto isLamp = [](const sim::EntityDef& e) { return e.room == 65 && e.step >= 0; };
  const auto lamp = std::find_if(program.entities.begin(), program.entities.end(), isLamp);
  ASSERT_NE(lamp, program.entities.end());
  const auto index = static_cast<std::size_t>(lamp - program.entities.begin());
  Game game;
  game.placeHero(65, 208, 144);
  ASSERT_TRUE(game.run(0, 5));
  std::vector<int> shown;
  std::string words;
  for (int shard : shards) {
    game.give(shard);
    game.bubbles.clear();
    ASSERT_TRUE(game.fire()) << game.error();
    ASSERT_EQ(game.bubbles.size(), 1u) << "shard " << shard;
    const int graphic = game.bubbles.front().snapshot->entities[index].graphic;
    EXPECT_GE(graphic, 0) << "shard " << shard << ": the lamp is dark while the Keeper speaks";
    EXPECT_EQ(std::count(shown.begin(), shown.end(), graphic), 0) << "shard " << shard << ": the lamp is as before";
    shown.push_back(graphic);
    if (words.empty()) words = game.bubbles.front().text;
    EXPECT_EQ(game.bubbles.front().text == words, shown.size() < 4) << "shard " << shard << ": the fourth has words of its own";
    EXPECT_EQ(game.state().endCode, 0u) << "shard " << shard;
  }
  int shining = 0;
  for (; game.state().endCode == 0 && shining < 600; ++shining) ASSERT_TRUE(game.run(0, 1)) << game.error();
  EXPECT_EQ(game.state().endCode, 2u);
  EXPECT_GT(shining, 50) << "steps the lamp is seen shining before the ending";
  // A lit star "temple.lampstar_RC" lies on the lamp's own tile "temple.lamp_RC".
  const auto names = data_test::tileNames();
  int stars = 0;
  for (int list : shown) {
    const auto& g = program.graphics[static_cast<std::size_t>(list)];
    for (std::size_t k = 0; k < g.tiles.size(); ++k) {
      const auto it = names.find(g.tiles[k]);
      if (it == names.end() || it->second.rfind("temple.lampstar_", 0) != 0) continue;
      const int row = (lamp->y8 * 8 - 40) / 16 + static_cast<int>(k) / g.cols, col = lamp->x8 / 2 + static_cast<int>(k) % g.cols;
      EXPECT_EQ(names.at(shipped().world->rooms[65].tiles[row][col]), "temple.lamp_" + it->second.substr(16)) << it->second;
      ++stars;
    }
  }
  EXPECT_EQ(stars, 6);
}

TEST_F(ShippedSetPiece, EveryObjectRestsWhereTheHeroCanStandWithinReach) {
  const auto& world = *shipped().world;
  for (std::size_t i = 0; i < world.objects.size(); ++i) {
    const auto& object = world.objects[i];
    const int room = object.room >= 0 ? object.room : -1;
    if (room < 0 || object.id > 77) continue;
    const auto& r = world.rooms[room];
    // Standing on the same floor, the hero's feet are level with the object's bottom.
    const int heroY = object.y - 8;
    bool reachable = false;
    for (int hx = object.x - 35; hx <= object.x + 11 && !reachable; ++hx) {
      if (hx < 0 || hx > 280) continue;
      bool floor = false;
      for (int probe : {10, 18, 26, 29}) floor = floor || attrAt(r, hx + probe, heroY + 24) != 0;
      reachable = floor && bodyClear(r, hx, heroY);
    }
    EXPECT_TRUE(reachable) << "object " << i << " in room " << room << " at (" << object.x << ", " << object.y
                           << ") has no standing place within reach";
  }
}

// A place where the hero stands freely and touches the entity's touch box, if any.
std::optional<std::pair<int, int>> placeTouching(const sim::EntityDef& entity) {
  const auto& box = shipped().program->touches[entity.touch];
  const auto& room = shipped().world->rooms[entity.room];
  const int left = entity.x8 * 8 + box.dx, top = entity.y8 * 8 + box.dy;
  for (int hy = 40; hy <= 168; hy += 8) {
    for (int hx = 0; hx <= 280; ++hx) {
      const int dx = hx + 11 - left, dy = hy + 4 - top;
      if (dx < -17 || dx >= box.w * 8 || dy < -18 || dy >= box.h * 8) continue;
      bool floor = false;
      for (int probe : {10, 18, 26, 29}) floor = floor || attrAt(room, hx + probe, hy + 24) != 0;
      if (floor && bodyClear(room, hx, hy)) return std::make_pair(hx, hy);
    }
  }
  return std::nullopt;
}

TEST_F(ShippedSetPiece, EveryTouchBoxCanBeTouchedByAStandingHero) {
  const auto& program = *shipped().program;
  for (std::size_t i = 0; i < program.entities.size(); ++i) {
    const auto& entity = program.entities[i];
    if (entity.touch < 0 || entity.room >= 75) continue;
    EXPECT_TRUE(placeTouching(entity)) << "entity " << i << " in room " << int(entity.room)
                                       << ": no standing place touches its box";
  }
}

// Sign tiles of a room and signs its entities draw: their top left corners in page pixels.
std::set<std::pair<int, int>> signsOf(const world::Room& room, const std::map<int, std::string>& names) {
  auto isSign = [&](int tile) {
    const auto it = names.find(tile);
    return it != names.end() && it->second.size() > 5 && it->second.compare(it->second.size() - 5, 5, ".sign") == 0;
  };
  const auto& program = *shipped().program;
  std::set<std::pair<int, int>> places;
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c < 20; ++c)
      if (isSign(room.tiles[r][c])) places.insert({16 * c, 40 + 16 * r});
  for (const auto& e : program.entities) {
    if (e.room != room.id || e.gfx < 0) continue;
    const auto& g = program.graphics[static_cast<std::size_t>(e.gfx)];
    for (int r = 0; r < g.rows; ++r)
      for (int c = 0; c < g.cols; ++c)
        if (isSign(g.tiles[static_cast<std::size_t>(r * g.cols + c)])) places.insert({e.x8 * 8 + 16 * c, e.y8 * 8 + 16 * r});
  }
  return places;
}

// The entities of the room whose touch box lies over the sign at (sx, sy).
std::vector<const sim::EntityDef*> readersOf(const world::Room& room, int sx, int sy) {
  const auto& program = *shipped().program;
  std::vector<const sim::EntityDef*> readers;
  for (const auto& e : program.entities) {
    if (e.room != room.id || e.touch < 0) continue;
    const auto& box = program.touches[static_cast<std::size_t>(e.touch)];
    const int left = e.x8 * 8 + box.dx, top = e.y8 * 8 + box.dy;
    if (left < sx + 16 && left + 8 * box.w > sx && top < sy + 16 && top + 8 * box.h > sy) readers.push_back(&e);
  }
  return readers;
}

// "Read every sign", the hints say; so every sign is one the hero can read. A sign in
// a room's tiles, or one an entity draws, lies under the touch box of an entity of the
// room that shows a text when fire is pressed in front of it.
TEST_F(ShippedSetPiece, EverySignIsReadable) {
  const auto names = data_test::tileNames();
  int signs = 0;
  for (const auto& room : shipped().world->rooms) {
    if (room.id >= 75) continue;
    for (const auto& [sx, sy] : signsOf(room, names)) {
      ++signs;
      bool read = false;
      for (const auto* e : readersOf(room, sx, sy)) {
        const auto place = placeTouching(*e);
        if (read || !place) continue;
        Game game;
        game.placeHero(room.id, place->first, place->second);
        read = game.run(0, 3) && game.fire() && !game.bubbles.empty() && !game.bubbles.front().text.empty();
      }
      EXPECT_TRUE(read) << "room " << room.id << " (" << room.name << "): the sign at x " << sx << " y " << sy
                        << " has no text to read";
    }
  }
  EXPECT_GT(signs, 8);
}

// And it is read with the first press of fire wherever the hero stands to read it:
// the floor there holds him (no crack lets him down while he reads), nothing lies
// within his reach (fire would pick it up instead), and the bubble is the sign's text.
TEST_F(ShippedSetPiece, EverySignIsReadAtTheFirstPressWhereverTheHeroStandsToReadIt) {
  const auto names = data_test::tileNames();
  const auto& program = *shipped().program;
  int places = 0;
  for (const auto& room : shipped().world->rooms) {
    if (room.id >= 75) continue;
    for (const auto& [sx, sy] : signsOf(room, names)) {
      for (const auto* e : readersOf(room, sx, sy)) {
        const auto& box = program.touches[static_cast<std::size_t>(e->touch)];
        std::string text;
        for (auto pc = static_cast<std::size_t>(box.code); text.empty() && pc < program.instrs.size(); ++pc)
          if (program.instrs[pc].op == 19 || program.instrs[pc].op == 20) text = program.instrs[pc].text;
        const int left = e->x8 * 8 + box.dx, top = e->y8 * 8 + box.dy;
        for (int y = (top - 22 + 7) / 8 * 8; y <= top - 5 + 8 * box.h; y += 8) {
          for (int x = std::max(0, left - 28); x <= std::min(280, left - 12 + 8 * box.w); ++x) {
            bool floor = false;
            for (int probe : {10, 18, 26, 29}) floor = floor || attrAt(room, x + probe, y + 24) != 0;
            if (!floor || !bodyClear(room, x, y)) continue;
            ++places;
            const std::string where = "room " + std::to_string(room.id) + " (" + room.name + "), the sign at x " +
                                      std::to_string(sx) + ", read from x " + std::to_string(x) + " y " + std::to_string(y);
            Game game;
            game.placeHero(room.id, x, y);
            ASSERT_TRUE(game.run(0, 8)) << game.error();
            const auto& s = game.state();
            EXPECT_TRUE(s.room == room.id && s.x == x && s.y == y)
                << where << ": the hero does not stay there (room " << int(s.room) << " x " << s.x << " y " << s.y << ")";
            for (std::size_t i = 0; i < s.objects.size(); ++i) {
              const auto& o = s.objects[i];
              const int dx = o.x8 * 8 - x + 11, dy = o.y - y + 11;
              EXPECT_FALSE(o.room == room.id && o.id <= 77 && dx >= 0 && dx <= 46 && dy >= 0 && dy <= 34)
                  << where << ": object " << i << " lies within reach";
            }
            ASSERT_TRUE(game.fire()) << game.error();
            EXPECT_TRUE(!game.bubbles.empty() && game.bubbles.front().text == text) << where << ": the first press shows "
                << (game.bubbles.empty() ? std::string("nothing") : "\"" + game.bubbles.front().text + "\"");
          }
        }
      }
    }
  }
  EXPECT_GT(places, 100);
}

// Everyone the hero meets answers fire with words of his own: no line is said by two.
TEST_F(ShippedSetPiece, EverySpeakerHasLinesOfHisOwn) {
  const auto names = data_test::tileNames();
  const auto& program = *shipped().program;
  std::map<std::string, std::set<std::string>> said;  // speaker -> his lines
  for (const char* speaker : {"baker", "guard", "juggler", "keeper", "owl"}) {
    for (const auto& e : program.entities) {
      if (e.gfx < 0 || e.touch < 0) continue;
      const auto tile = names.find(program.graphics[static_cast<std::size_t>(e.gfx)].tiles.front());
      if (tile == names.end() || tile->second.find(speaker) == std::string::npos) continue;
      const auto place = placeTouching(e);
      ASSERT_TRUE(place) << speaker;
      Game game;
      game.placeHero(e.room, place->first, place->second);
      ASSERT_TRUE(game.run(0, 3) && game.fire()) << speaker << " " << game.error();
      for (const auto& op : game.bubbles) said[speaker].insert(op.text);
    }
    EXPECT_FALSE(said[speaker].empty()) << "the " << speaker << " says nothing";
  }
  for (auto a = said.begin(); a != said.end(); ++a)
    for (auto b = std::next(a); b != said.end(); ++b)
      for (const auto& line : a->second)
        EXPECT_EQ(b->second.count(line), 0u) << "the " << a->first << " and the " << b->first << " both say \"" << line << "\"";
}

// The lives count wraps below zero: a game that goes on with no lives left would
// gain 255 on the next loss. No touch script may lead there, pressed or not, with
// the last life or with a full set.
TEST_F(ShippedSetPiece, NoTouchScriptLeavesTheGameGoingWithoutLives) {
  const auto& program = *shipped().program;
  int tried = 0;
  for (std::size_t i = 0; i < program.entities.size(); ++i) {
    const auto& entity = program.entities[i];
    if (entity.touch < 0 || entity.room >= 75) continue;
    const auto place = placeTouching(entity);
    if (!place) continue;
    for (int lives : {1, 3}) {
      Game game;
      game.placeHero(entity.room, place->first, place->second);
      game.state().lives = static_cast<std::uint8_t>(lives);
      bool going = game.run(0, 3) && game.run(kFire, 1);
      for (int step = 0; going && step < 600 && game.state().endCode == 0; ++step) {
        const auto& s = game.state();
        ASSERT_GE(s.lives, 1) << "entity " << i << " in room " << int(entity.room) << " left the game going with "
                              << int(s.lives) << " lives";
        ASSERT_LE(s.lives, lives) << "entity " << i << " in room " << int(entity.room);
        going = game.run(0, 1);
      }
      EXPECT_EQ(game.error(), "") << "entity " << i << " in room " << int(entity.room);
      if (game.state().endCode == 1) {
        EXPECT_EQ(game.state().lives, 0) << "entity " << i;
      }
      ++tried;
    }
  }
  EXPECT_GT(tried, 60);
}

// The skulls warned of by the sign beside them take one life when touched.
TEST_F(ShippedSetPiece, TheCursedSkullsTakeOneLife) {
  const auto& program = *shipped().program;
  const auto skulls = std::find_if(program.entities.begin(), program.entities.end(), [&](const sim::EntityDef& e) {
    return e.touch >= 0 && program.touches[e.touch].code == program.label("C_CURSE");
  });
  ASSERT_NE(skulls, program.entities.end());
  const auto place = placeTouching(*skulls);
  ASSERT_TRUE(place);
  Game game;
  game.placeHero(skulls->room, place->first, place->second);
  ASSERT_TRUE(game.run(0, 3) && game.run(kFire, 1));
  ASSERT_TRUE(game.runUntil(0, 600, [](const sim::GameState& s) { return s.lives != 3 && s.energy != 0; }))
      << game.error();
  EXPECT_EQ(game.state().lives, 2);
  EXPECT_EQ(game.state().endCode, 0u);
}

TEST_F(ShippedSetPiece, WalkingAcrossEverySideExitAtFloorLevelReachesTheNeighbour) {
  const auto& world = *shipped().world;
  int checked = 0;
  for (const auto& room : world.rooms) {
    if (room.id >= 75) continue;
    for (int side : {2, 3}) {
      const auto& exit = room.exits[side];
      if (exit.kind != world::ExitKind::Room) continue;
      const int x = side == 3 ? 272 : 8;
      // The crossing height: the lowest place near the edge where the hero stands freely.
      int y = -1;
      for (int cand = 144; cand >= 48; cand -= 8) {
        if (bodyClear(room, x, cand) && attrAt(room, x + 18, cand + 24) != 0) {
          y = cand;
          break;
        }
      }
      // An edge walled at that height is a deliberate wall (the sky rooms are left by balloon).
      if (y < 0 || !bodyClear(room, side == 3 ? 280 : 0, y)) continue;
      Game game;
      game.placeHero(room.id, x, y);
      const std::uint8_t input = side == 3 ? kRight : kLeft;
      const bool crossed = game.runUntil(input, 60, [&](const sim::GameState& s) { return s.room == exit.target; });
      EXPECT_TRUE(crossed) << "room " << room.id << " side " << side << " at y " << y << ": stuck at x "
                           << game.state().x << " " << game.error();
      if (crossed) {
        ASSERT_TRUE(game.run(input, 10));
        EXPECT_TRUE(bodyClear(world.rooms[exit.target], game.state().x, game.state().y))
            << "room " << exit.target << " entered from room " << room.id << " inside a wall";
        EXPECT_EQ(game.error(), "");
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 60);
}

}  // namespace
