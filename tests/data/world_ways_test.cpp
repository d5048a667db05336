// Every way between two rooms one above the other, tried as a player would: down
// from the floor beside the opening, asked of the autopilot's own search; and every
// spot of the world waited on and jumped from, cracked floors and the ledges under
// ways up among them.

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

constexpr std::uint8_t kUp = 1;

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

// The spots of a room's ledges under a way up: runs of spots at one height, high
// enough for a jump to reach the floor above (y 64 at most), any of whose spots has
// the hero's head under an opening of the ceiling. From every spot of such a ledge a
// plain jump must take him up.
std::set<std::pair<int, int>> wayUpLedges(const world::Room& room, const std::vector<std::pair<int, int>>& spots) {
  std::set<std::pair<int, int>> ledges;
  auto open = [&](int px) { return attrAt(room, px, 44) != 1 && attrAt(room, px, 52) != 1; };
  for (std::size_t i = 0; i < spots.size();) {
    std::size_t j = i;
    while (j + 1 < spots.size() && spots[j + 1].second == spots[i].second && spots[j + 1].first == spots[j].first + 1) ++j;
    bool under = false;
    for (std::size_t k = i; k <= j && spots[i].second <= 64; ++k)
      under = under || (open(spots[k].first + 10) && open(spots[k].first + 29));
    if (under) ledges.insert(spots.begin() + static_cast<std::ptrdiff_t>(i), spots.begin() + static_cast<std::ptrdiff_t>(j) + 1);
    i = j + 1;
  }
  return ledges;
}

// Every spot of the world, played as a player plays it: left standing there, and
// jumping straight up from there, the hero comes to stand on something that holds
// him, never sunk into a floor or stuck inside a wall, and a jump that takes him into
// the room above leaves him there. Where he stands on a cracked floor, waiting takes
// him down into the room below; where he stands on the ledge under a way up, the jump
// takes him up into the room above. Those two hold whatever else happens on the way.
TEST(ShippedWays, FromEverySpotWaitingOrAPlainJumpEndsStandingOnFirmGround) {
  if (!TUMBOLD_OPTIMISED) GTEST_SKIP() << "every spot of the world is played in the optimised build";
  ASSERT_TRUE(shipped().complete());
  const auto& world = *shipped().world;
  Spot spot;
  const int full = spot.at(0, 0, 0).state().energy;
  int spots = 0, cracks = 0, wayUps = 0;
  // What went wrong, by room, height and kind: the x where it did.
  std::map<std::string, std::vector<int>> failed;
  for (const auto& room : world.rooms) {
    if (room.id >= 75) continue;
    const int above = room.exits[0].kind == world::ExitKind::Room ? room.exits[0].target : -1;
    // The rooms a crack lets him down to: the one below, and on through a shaft
    // under it (the drain, the chapel's).
    std::set<int> below;
    if (room.exits[1].kind == world::ExitKind::Room)
      for (int r = room.exits[1].target; below.insert(r).second && shaftUnder(world.rooms[r]);)
        r = world.rooms[r].exits[1].target;
    const auto standing = standingSpots(room);
    const bool climbed = above >= 0 && !liftLink(world, above, room.id) && !ballRoom(room.id) && !ballRoom(above);
    const auto ledges = climbed ? wayUpLedges(room, standing) : std::set<std::pair<int, int>>{};
    for (const auto& [x, y] : standing) {
      for (const bool jump : {false, true}) {
        // Where this spot must take him, when it is a way down or up.
        std::set<int> to;
        if (!jump && footing(room, x, y) == 3) to = below.empty() ? std::set<int>{-1} : below;
        if (jump && ledges.count({x, y})) to = {above};
        cracks += !to.empty() && !jump;
        wayUps += !to.empty() && jump;
        Game& game = spot.at(room.id, x, y);
        bool ran = game.run(0, 3) && game.run(jump ? kUp : 0, 1);
        bool wentUp = false;
        for (int step = 0; ran && step < 300; ++step) {
          ran = game.run(0, 1);
          wentUp = wentUp || game.state().room == above;
        }
        const auto& s = game.state();
        // Lifts, rides and the game's end carry him off the tiles, and what hurts him
        // (spikes, water, creatures) keeps him from standing: not this test's matter,
        // but on the ways down and up.
        if (to.empty() && (!ran || s.endCode != 0 || s.currentLift >= 0 || s.state >= 10 || s.energy < full)) continue;
        std::string wrong = ran ? settledWrong(s) : "with the simulation stopped: " + game.error();
        if (wrong.empty() && !to.empty() && !to.count(s.room))
          wrong = "in room " + std::to_string(s.room) + (jump ? ", not up in room " : ", not down below in room ") +
                  std::to_string(*to.begin());
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
  EXPECT_GT(cracks, 40 * 20) << "too few places on cracked floors: the scan is not looking at the rooms";
  EXPECT_GT(wayUps, 30 * 30) << "too few places under ways up: the scan is not looking at the rooms";
}

}  // namespace
