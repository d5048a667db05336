// Every way between two rooms one above the other, tried as a player would: down
// from the floor beside the opening, asked of the autopilot's own search; down from
// every spot of a cracked floor by waiting; and up by a plain jump from every spot of
// the ledge under a way up. Last, every spot of the world, waited on and jumped from.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/autopilot/reach_search.h"
#include "app/autopilot/route.h"
#include "shipped_data.h"

namespace {

using data_test::attrAt;
using data_test::bodyClear;
using data_test::Game;
using data_test::shipped;

constexpr std::uint8_t kUp = 1, kLeft = 4, kRight = 8;

bool floorUnder(const world::Room& room, int x, int y) {
  for (int probe : {10, 18, 26, 29})
    if (attrAt(room, x + probe, y + 24) != 0) return true;
  return false;
}

// Runs of columns [first, last] where a test holds in every column.
std::vector<std::pair<int, int>> runs(const std::function<bool(int)>& open) {
  std::vector<std::pair<int, int>> found;
  for (int c = 0; c < 20; ++c) {
    if (!open(c)) continue;
    int last = c;
    while (last + 1 < 20 && open(last + 1)) ++last;
    found.push_back({c, last});
    c = last;
  }
  return found;
}

// Links whose way up is a lift (ridden, not jumped: their own tests ride them).
bool liftLink(const world::World& world, int upper, int lower) {
  for (const auto& lift : world.lifts) {
    // The lift's stops: the run of entries around its first one, between empty ones.
    const auto& stops = world.liftStops;
    std::size_t first = static_cast<std::size_t>(lift.startStop / 2 + 1), last = first;
    if (first >= stops.size() || !stops[first]) continue;
    while (first > 0 && stops[first - 1]) --first;
    while (last + 1 < stops.size() && stops[last + 1]) ++last;
    std::set<int> rooms;
    for (std::size_t e = first; e <= last; ++e) rooms.insert(stops[e]->second);
    if (rooms.count(upper) && rooms.count(lower)) return true;
  }
  return false;
}

// A lift resting in the room over its shaft, which the way down lies under.
bool liftOver(const world::World& world, int room) {
  return std::any_of(world.lifts.begin(), world.lifts.end(),
                     [&](const world::Lift& lift) { return lift.room == room && lift.type == 0; });
}

bool ballRoom(int room) {
  const auto& rooms = shipped().world->ballRooms;
  return std::find(rooms.begin(), rooms.end(), room) != rooms.end();
}

// Whether the autopilot's search finds a way from where the game stands to a
// condition; what it printed when it found none.
bool searchFinds(Game& game, const std::string& goal, std::string& said) {
  app::Cond cond;
  std::string error;
  EXPECT_TRUE(app::parseCond(goal, cond, error)) << error;
  ::testing::internal::CaptureStdout();
  const auto way = app::searchReach(game.simulation(), cond, {}, 0);
  said = ::testing::internal::GetCapturedStdout();
  return way.has_value();
}

std::string where(int from, int to, int x, int y) {
  std::ostringstream out;
  out << "room " << from << " to room " << to << " from x " << x << " y " << y;
  return out.str();
}

// Holes that lead down only, on purpose: nothing under them reaches back up (room
// below, room above). Over the fire pit and the drain stands no ledge, the chapel
// ceiling opens into the great hall's floor right over the tower lift's shaft, and
// the boulder run is a way down from the clock tower to the rock chute.
const std::set<std::pair<int, int>> kDropsOnly = {{72, 68}, {20, 21}, {12, 10}, {25, 26}, {26, 27}};

// Down: from the floor beside the opening the search finds the way into the room
// below, and from where the hero comes down there a way on to another height.
TEST(ShippedWays, EveryWayDownIsFoundByTheSearchFromTheFloorBesideTheOpening) {
  if (!TUMBOLD_OPTIMISED) GTEST_SKIP() << "the search walks every room of the world in the optimised build";
  ASSERT_TRUE(shipped().complete());
  const auto& world = *shipped().world;
  app::gProgram = &*shipped().program;
  int checked = 0;
  for (const auto& room : world.rooms) {
    if (room.id >= 75 || room.exits[1].kind != world::ExitKind::Room) continue;
    const int below = room.exits[1].target;
    if (liftLink(world, room.id, below) || liftOver(world, room.id)) continue;
    auto fallsOut = [&](int c) {
      for (int y : {172, 180, 188, 196})
        for (int dx : {4, 12})
          if (attrAt(room, 16 * c + dx, y) == 1 || attrAt(room, 16 * c + dx, y) == 2) return false;
      return true;
    };
    const auto openings = runs(fallsOut);
    EXPECT_FALSE(openings.empty()) << "room " << room.id << " leads down to " << below << " but has no opening";
    for (const auto& [first, last] : openings) {
      // The lowest place to stand just left of the opening and just right of it: from
      // one of them at least the search must find the way down.
      bool found = false, stood = false;
      std::string said;
      for (int x : {16 * first - 30, 16 * (last + 1) - 10}) {
        if (x < 0 || x > 280 || found) continue;
        int y = -1;
        for (int cand = 168; cand >= 40 && y < 0; cand -= 8)
          if (bodyClear(room, x, cand) && floorUnder(room, x, cand)) y = cand;
        if (y < 0) continue;
        stood = true;
        Game game;
        game.placeHero(room.id, x, y);
        ASSERT_TRUE(game.run(0, 3));
        app::Cond cond;
        std::string error;
        ASSERT_TRUE(app::parseCond("room=" + std::to_string(below) + " and stand and ground", cond, error));
        ::testing::internal::CaptureStdout();
        const auto way = app::searchReach(game.simulation(), cond, {}, 0);
        said = ::testing::internal::GetCapturedStdout();
        if (way) {
          // Where he comes down he is not caught: he gets down from there, or up onto
          // something else, in the room below.
          for (std::uint8_t input : *way) game.run(input, 1);
          found = searchFinds(game, "room=" + std::to_string(below) + " and ground and !y=" +
                                        std::to_string(game.state().y), said);
        }
        if (!found) said = where(room.id, below, x, y) + ": " + said;
      }
      EXPECT_TRUE(stood) << "room " << room.id << ": nowhere to stand beside the opening at columns " << first << "-"
                         << last;
      EXPECT_TRUE(found || !stood) << said;
      ++checked;
    }
  }
  EXPECT_GT(checked, 40);
}

// Where the hero stands when nothing moves him any more: on the ground, his body clear
// of solid tiles, his feet on the top of a quadrant that holds him and not on a
// sinking floor still carrying him down. Empty when he does not stand like that.
std::string settledWrong(const sim::GameState& s) {
  const auto& room = shipped().world->rooms[s.room];
  std::ostringstream out;
  out << "in room " << int(s.room) << " at x " << s.x << " y " << s.y << " (state " << int(s.state) << ")";
  if (s.state != 1 || !s.onGround) return out.str() + ": not standing";
  if (s.currentLift >= 0) return {};  // on a lift's floor, which is no tile
  if (!bodyClear(room, s.x, s.y)) return out.str() + ": inside a solid tile";
  if ((s.y + 24) % 8 != 0) return out.str() + ": feet between two quadrant tops";
  for (int probe : {10, 18, 26, 29}) {
    const int under = attrAt(room, s.x + probe, s.y + 24);
    if (under == 0) continue;
    if (under == 3) return out.str() + ": still sinking";
    if (attrAt(room, s.x + probe, s.y + 23) != 0) return out.str() + ": feet inside the floor";
    return {};
  }
  return out.str() + ": nothing under the feet";
}

// The hero's spots on top of a surface: x, and y of his top, in one room.
std::vector<std::pair<int, int>> standingSpots(const world::Room& room) {
  std::vector<std::pair<int, int>> spots;
  for (int y = 40; y <= 168; y += 8) {
    for (int x = 0; x <= 280; ++x) {
      if (!bodyClear(room, x, y)) continue;
      for (int probe : {10, 18, 26, 29}) {
        if (attrAt(room, x + probe, y + 24) == 0) continue;
        if (attrAt(room, x + probe, y + 23) == 0) spots.push_back({x, y});
        break;
      }
    }
  }
  return spots;
}

// The first attribute under the hero's feet, in probe order: what he stands on.
int footing(const world::Room& room, int x, int y) {
  for (int probe : {10, 18, 26, 29})
    if (const int a = attrAt(room, x + probe, y + 24)) return a;
  return 0;
}

// A game standing in a room, from which the hero is put down at one spot after another.
class Spot {
 public:
  Spot() { base_ = game_.state(); }
  Game& at(int room, int x, int y) {
    game_.restore(base_);
    game_.placeHero(room, x, y);
    return game_;
  }

 private:
  Game game_;
  sim::GameState base_;
};

// A room whose floor is open right under the way in from above: a shaft to fall on
// through.
bool shaftUnder(const world::Room& room) {
  if (room.exits[1].kind != world::ExitKind::Room) return false;
  for (int x = 4; x < 320; x += 8)
    if (attrAt(room, x, 44) == 0 && attrAt(room, x, 196) == 0 && attrAt(room, x, 180) == 0) return true;
  return false;
}

// Cracked floors, as a player finds them: wherever he stands on one and waits, it lets
// him down into the room below, where he comes to stand on firm ground.
TEST(ShippedWays, EveryCrackLetsTheHeroDownWhereverHeStandsOnIt) {
  if (!TUMBOLD_OPTIMISED) GTEST_SKIP() << "every spot of the world is played in the optimised build";
  ASSERT_TRUE(shipped().complete());
  const auto& world = *shipped().world;
  Spot spot;
  int cracks = 0;
  for (const auto& room : world.rooms) {
    if (room.id >= 75) continue;
    for (const auto& [x, y] : standingSpots(room)) {
      if (footing(room, x, y) != 3) continue;
      ++cracks;
      const std::string from = "room " + std::to_string(room.id) + " x " + std::to_string(x) + " y " +
                               std::to_string(y) + ": ";
      ASSERT_EQ(room.exits[1].kind, world::ExitKind::Room) << from << "a sinking floor with no room below";
      // A shaft under the room below (the drain, the chapel's) carries the fall on.
      std::set<int> below;
      for (int r = room.exits[1].target; below.insert(r).second && shaftUnder(world.rooms[r]);)
        r = world.rooms[r].exits[1].target;
      Game& game = spot.at(room.id, x, y);
      ASSERT_TRUE(game.run(0, 300)) << from << game.error();
      EXPECT_TRUE(below.count(game.state().room)) << from << "waiting ends " << settledWrong(game.state());
      const std::string wrong = settledWrong(game.state());
      EXPECT_TRUE(wrong.empty()) << from << "waiting ends " << wrong;
    }
  }
  EXPECT_GT(cracks, 40 * 20) << "too few places on cracked floors: the scan is not looking at the rooms";
}

// A way up is a ledge under an opening in the ceiling: from anywhere on that ledge a
// jump straight up (up for one step, then nothing) takes the hero through into the
// room above, where he comes down on floor that holds him and stays.
TEST(ShippedWays, APlainJumpFromAnywhereOnTheLedgeUnderAWayUpStaysInTheRoomAbove) {
  if (!TUMBOLD_OPTIMISED) GTEST_SKIP() << "every spot of the world is played in the optimised build";
  ASSERT_TRUE(shipped().complete());
  const auto& world = *shipped().world;
  Spot spot;
  int ways = 0, jumps = 0;
  for (const auto& room : world.rooms) {
    if (room.id >= 75 || room.exits[0].kind != world::ExitKind::Room) continue;
    const int above = room.exits[0].target;
    if (liftLink(world, above, room.id) || ballRoom(room.id) || ballRoom(above)) continue;
    // Cells of the ceiling row open to the room above.
    auto open = [&](int px) { return attrAt(room, px, 44) != 1 && attrAt(room, px, 52) != 1; };
    // Ledges high enough for the jump to reach the floor above: runs of spots at one
    // height, any of whose spots has the hero's head under the opening.
    const auto spots = standingSpots(room);
    for (std::size_t i = 0; i < spots.size();) {
      std::size_t j = i;
      while (j + 1 < spots.size() && spots[j + 1].second == spots[i].second && spots[j + 1].first == spots[j].first + 1) ++j;
      const int y = spots[i].second;
      bool under = false;
      for (std::size_t k = i; k <= j && y <= 64; ++k)
        under = under || (open(spots[k].first + 10) && open(spots[k].first + 29));
      if (under) {
        ++ways;
        for (std::size_t k = i; k <= j; ++k) {
          const int x = spots[k].first;
          const std::string from = "room " + std::to_string(room.id) + " x " + std::to_string(x) + " y " +
                                   std::to_string(y) + " (ledge x " + std::to_string(spots[i].first) + "-" +
                                   std::to_string(spots[j].first) + "): ";
          Game& game = spot.at(room.id, x, y);
          ASSERT_TRUE(game.run(0, 3) && game.run(kUp, 1) && game.run(0, 300)) << from << game.error();
          EXPECT_EQ(int(game.state().room), above) << from << "the jump ends " << settledWrong(game.state());
          const std::string wrong = settledWrong(game.state());
          EXPECT_TRUE(wrong.empty()) << from << "the jump ends " << wrong;
          ++jumps;
        }
      }
      i = j + 1;
    }
  }
  EXPECT_GT(ways, 30);
  EXPECT_GT(jumps, 30 * 30);
}

// Every spot of the world, played as a player plays it: the hero left standing there,
// and jumping straight up from there, comes to stand on something that holds him,
// never sunk into a floor or stuck inside a wall.
TEST(ShippedWays, FromEverySpotWaitingOrAPlainJumpEndsStandingOnFirmGround) {
  if (!TUMBOLD_OPTIMISED) GTEST_SKIP() << "every spot of the world is played in the optimised build";
  ASSERT_TRUE(shipped().complete());
  const auto& world = *shipped().world;
  Spot spot;
  const int full = spot.at(0, 0, 0).state().energy;
  int spots = 0;
  // What went wrong, by room, height and kind: the x where it did.
  std::map<std::string, std::vector<int>> failed;
  for (const auto& room : world.rooms) {
    if (room.id >= 75) continue;
    const int above = room.exits[0].kind == world::ExitKind::Room ? room.exits[0].target : -1;
    for (const auto& [x, y] : standingSpots(room)) {
      for (const bool jump : {false, true}) {
        Game& game = spot.at(room.id, x, y);
        bool ran = game.run(0, 3) && game.run(jump ? kUp : 0, 1);
        bool wentUp = false;
        for (int step = 0; ran && step < 300; ++step) {
          ran = game.run(0, 1);
          wentUp = wentUp || game.state().room == above;
        }
        const auto& s = game.state();
        // Lifts, rides and the game's end carry him off the tiles, and what hurts him
        // (spikes, water, creatures) keeps him from standing: not this test's matter.
        if (!ran || s.endCode != 0 || s.currentLift >= 0 || s.state >= 10 || s.energy < full) continue;
        std::string wrong = settledWrong(s);
        // A jump that takes him into the room above must leave him there.
        if (wrong.empty() && wentUp && s.room != above) wrong = "back below after crossing into room " + std::to_string(above);
        if (wrong.empty()) continue;
        const auto at = wrong.find(" at x ");
        if (at != std::string::npos) wrong.erase(at, wrong.find(" y ", at + 6) - at);
        failed["room " + std::to_string(room.id) + " y " + std::to_string(y) + (jump ? ", a plain jump" : ", waiting") +
               ", ends " + wrong].push_back(x);
      }
      ++spots;
    }
  }
  for (const auto& [what, xs] : failed)
    ADD_FAILURE() << what << " (from x " << xs.front() << " to " << xs.back() << ", " << xs.size() << " spots)";
  EXPECT_GT(spots, 75 * 300);
}

}  // namespace
