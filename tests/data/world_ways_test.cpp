// Every way between two rooms one above the other, tried as a player would: down
// from the floor beside the opening, asked of the autopilot's own search, and up
// by a standing jump from the highest place the map gives under the opening, after
// which the hero must be able to walk off onto firm ground in the room above.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
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

// A jump straight up, with no run-up: up for one step, then nothing until he stands.
// Through the opening he must come down on something he can walk off, left or
// right, onto ground that holds him.
TEST(ShippedWays, AStandingJumpFromUnderEveryCeilingOpeningGetsThrough) {
  ASSERT_TRUE(shipped().complete());
  const auto& world = *shipped().world;
  int checked = 0;
  for (const auto& room : world.rooms) {
    if (room.id >= 75 || room.exits[0].kind != world::ExitKind::Room) continue;
    const int above = room.exits[0].target;
    if (liftLink(world, above, room.id) || kDropsOnly.count({room.id, above})) continue;
    auto open = [&](int c) {
      for (int y : {44, 52})
        for (int dx : {4, 12})
          if (attrAt(room, 16 * c + dx, y) == 1) return false;
      return true;
    };
    for (const auto& [first, last] : runs(open)) {
      // Every x from which the head passes the opening.
      const int x0 = 16 * first - 10, x1 = 16 * last + 16 - 30;
      if (x1 < x0) continue;
      int y = -1;
      for (int cand = 40; cand <= 168 && y < 0; cand += 8)
        if (bodyClear(room, (x0 + x1) / 2, cand) && floorUnder(room, (x0 + x1) / 2, cand)) y = cand;
      if (y < 0) {
        ADD_FAILURE() << "room " << room.id << ": nothing to stand on under the opening to room " << above;
        continue;
      }
      if (ballRoom(room.id) || ballRoom(above)) {
        // The boulders fall through the run and out at its foot, so nothing may stop
        // them under its openings: the ways up there take a running jump, which the
        // search is asked to find (the boulders may cost a little energy on the way).
        Game game;
        game.placeHero(room.id, (x0 + x1) / 2, y);
        std::string said;
        ASSERT_TRUE(game.run(0, 3));
        EXPECT_TRUE(searchFinds(game, "room=" + std::to_string(above) + " and stand and maxloss=20", said))
            << where(room.id, above, (x0 + x1) / 2, y) << ": " << said;
        ++checked;
        continue;
      }
      for (int x = x0; x <= x1; ++x) {
        if (!bodyClear(room, x, y) || !floorUnder(room, x, y)) continue;
        Game game;
        game.placeHero(room.id, x, y);
        ASSERT_TRUE(game.run(0, 3));
        ASSERT_TRUE(game.run(kUp, 1));
        game.runUntil(0, 200, [](const sim::GameState& s) { return s.state == 1 && s.onGround; });
        const auto landed = game.state();
        EXPECT_EQ(landed.room, above) << where(room.id, above, x, y) << ": the jump ends in room " << int(landed.room)
                                      << " at y " << landed.y;
        if (landed.room != above) continue;
        bool walksOff = false;
        for (std::uint8_t dir : {kLeft, kRight}) {
          game.restore(landed);
          game.run(dir, 30);
          game.run(0, 20);
          const auto off = game.state();
          game.run(0, 40);
          const auto& s = game.state();
          walksOff = walksOff || (s.room == above && s.state == 1 && s.y == off.y && s.x != landed.x);
        }
        EXPECT_TRUE(walksOff) << where(room.id, above, x, y) << ": landed at x " << landed.x << " y " << landed.y
                              << " and cannot walk off onto firm ground";
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 100);
}

}  // namespace
