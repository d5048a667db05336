// Whole games on the shipped world, replayed from input recordings: one won, one
// lost. The recordings are made from the route files beside them by the route
// finder (run the disabled RouteFinder test with ROUTE=<name> to remake one).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>

#include "core/files.h"
#include "route_play.h"
#include "sim_fixture.h"

namespace {

using route::Player;

std::string describe(const sim::GameState& s) {
  char text[200];
  std::snprintf(text, sizeof text, "room %d x %d y %d state %d energy %d lives %d score %d inv %d %d %d",
                s.room, s.x, s.y, s.state, s.energy, s.lives, s.score, s.carried[0], s.carried[1], s.carried[2]);
  return text;
}

// What a replay met on its way, beyond the state it ends in.
struct Seen {
  std::set<int> heroStates;
  std::set<int> rooms;
  bool template_ = false;
  bool balls = false;
  bool ride = false;  // carried by a boarding lift
  int mostInstructions = 0;  // script instructions in the busiest step
};

struct Replay {
  Player player;
  bool finished = false;  // every byte was read
  std::size_t used = 0;
  Seen seen;
};

std::unique_ptr<Replay> replay(const std::string& name) {
  const auto text = core::readTextFile(route::kRecordings / name);
  EXPECT_TRUE(text.has_value()) << name;
  if (!text) return nullptr;
  const auto inputs = route::parseRecording(*text);
  EXPECT_TRUE(inputs.has_value()) << name;
  if (!inputs) return nullptr;
  auto r = std::make_unique<Replay>();
  for (std::uint8_t input : *inputs) {
    ++r->used;
    const sim::GameState before = r->player.state();
    const bool going = r->player.step(input);
    const sim::GameState& s = r->player.state();
    r->seen.heroStates.insert(s.state);
    r->seen.rooms.insert(s.room);
    r->seen.template_ = r->seen.template_ || s.templateActive != 0;
    for (const auto& ball : s.pool2) r->seen.balls = r->seen.balls || ball.state != 0;
    for (std::size_t l = 0; l < s.lifts.size() && l < before.lifts.size(); ++l) {
      if (s.lifts[l].type == 0 && s.lifts[l].room != before.lifts[l].room && s.room == s.lifts[l].room) r->seen.ride = true;
    }
    r->seen.mostInstructions =
        std::max(r->seen.mostInstructions, sim::SimulationProbe::stepInstructions(r->player.simulation()));
    if (!going) break;
  }
  r->finished = r->used == inputs->size();
  return r;
}

}  // namespace

TEST(Recording, RunLengthTextRoundTrips) {
  const std::vector<std::uint8_t> inputs = {0, 0, 0, 8, 8, 16, 0, 255};
  const auto back = route::parseRecording(route::formatRecording(inputs, "test"));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, inputs);
  EXPECT_FALSE(route::parseRecording("3 256\n").has_value());
  EXPECT_FALSE(route::parseRecording("0 4\n").has_value());
  EXPECT_FALSE(route::parseRecording("5\n").has_value());
  EXPECT_EQ(route::parseRecording("# only a comment\n\n2 9 # trailing\n")->size(), 2u);
}

// The recording follows the shipped rooms pixel by pixel: after a change of the
// world along its way it must be made again from its route file (see RouteFinder).
constexpr const char* kRemake =
    "\nif the shipped world changed, remake the recording: ROUTE=win (or lose) test_sim "
    "--gtest_also_run_disabled_tests --gtest_filter=RouteFinder.*";

TEST(Playthrough, LosingAllLivesEndsTheGame) {
  ASSERT_TRUE(route::shipped().complete());
  auto r = replay("lose.txt");
  ASSERT_TRUE(r);
  const sim::GameState& s = r->player.state();
  EXPECT_TRUE(r->player.error().empty()) << r->player.error();
  EXPECT_EQ(s.endCode, 1u) << describe(s) << kRemake;
  EXPECT_EQ(s.lives, 0);
}

TEST(Playthrough, NewGameToTheWin) {
  ASSERT_TRUE(route::shipped().complete());
  auto r = replay("win.txt");
  ASSERT_TRUE(r);
  const sim::GameState& s = r->player.state();
  EXPECT_TRUE(r->player.error().empty()) << r->player.error();
  EXPECT_TRUE(r->finished) << "the game ended before the recording did";
  ASSERT_EQ(s.endCode, 2u) << describe(s) << kRemake;
  for (int win : route::shipped().world->winObjects) EXPECT_EQ(s.objects[static_cast<std::size_t>(win)].room, sim::kRoomGone);

  // What the mechanics leave behind on the way.
  const Seen& seen = r->seen;
  const auto& program = *route::shipped().program;
  EXPECT_TRUE(seen.template_) << "a conversation";
  EXPECT_EQ(s.entities[9].var, 1) << "the lift switch";
  EXPECT_TRUE(seen.ride) << "a ride on a boarding lift into another room";
  EXPECT_EQ(s.flags[14], 1) << "the room-29 lift came down";
  EXPECT_EQ(s.flags[17], 1) << "the mover went all the way";
  EXPECT_EQ(s.lifts[2].type, 2) << "the porter's script ran";
  EXPECT_EQ(s.chandelierSpeed, 16) << "the chandelier fell";
  EXPECT_EQ(s.flags[19], 1) << "the follower reached its den";
  EXPECT_EQ(s.actors[6].room, 66);
  EXPECT_EQ(s.flags[20], 1) << "the fire puzzle";
  EXPECT_EQ(s.flags[21], 1) << "the crown's bubbles";
  EXPECT_EQ(s.flags[1], 1) << "the moon altar took the chalice";
  EXPECT_EQ(s.flags[2], 1) << "the sun altar";
  EXPECT_TRUE(seen.balls) << "balls in the boulder run";
  EXPECT_TRUE(seen.heroStates.count(10) || seen.heroStates.count(11)) << "a bat swing";
  EXPECT_TRUE(seen.heroStates.count(12) || seen.heroStates.count(13)) << "a balloon ride";
  EXPECT_TRUE(seen.rooms.count(53)) << "the balloon landing";
  // The stop for a script that never waits must stay far out of reach of
  // every real one (the busiest step of this game runs about a dozen).
  EXPECT_GT(seen.mostInstructions, 0);
  EXPECT_LE(seen.mostInstructions * 100, sim::Simulation::kStepInstructionBudget)
      << "the busiest step ran " << seen.mostInstructions << " script instructions";
  EXPECT_GE(s.entities[81].pc, program.label("L_7480")) << "the portal";
  EXPECT_LE(s.entities[81].pc, program.label("L_7480") + 4);
  EXPECT_GE(s.sharedPc, program.label("L_7704")) << "the lever switched the shared thread";
  for (int o : {0, 40, 43, 44, 66}) EXPECT_EQ(s.objects[static_cast<std::size_t>(o)].seen, 1) << "object " << o;
}

// Turns a route file (goals, one a line) into a recording. Disabled: it is a
// tool, run by hand with ROUTE=<name> (reads <name>.route, writes <name>.txt).
TEST(RouteFinder, DISABLED_WriteRecording) {
  const char* name = std::getenv("ROUTE");
  ASSERT_NE(name, nullptr);
  const auto text = core::readTextFile(route::kRecordings / (std::string(name) + ".route"));
  ASSERT_TRUE(text.has_value());
  Player p;
  std::istringstream in(*text);
  std::string line;
  int number = 0;
  bool hurtOk = false;
  int budget = 6000;
  while (std::getline(in, line)) {
    ++number;
    const auto hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream f(line);
    std::string cmd;
    if (!(f >> cmd)) continue;
    bool ok = true;
    if (cmd == "room" || cmd == "at") {
      int room = p.state().room;
      if (cmd == "room") f >> room;
      int x1 = -1000, x2 = 1000, y1 = -1000, y2 = 1000;
      f >> x1 >> x2 >> y1 >> y2;
      ok = route::search(p, [=](const sim::GameState& s) {
        return s.room == room && s.x >= x1 && s.x <= x2 && s.y >= y1 && s.y <= y2;
      }, hurtOk, budget, nullptr, p.state().room == room ? room : -1);
      hurtOk = false;
    } else if (cmd == "get") {
      // get <object>: stand within reach of it in its room, press fire.
      int o = 0;
      f >> o;
      const auto& obj = p.state().objects[static_cast<std::size_t>(o)];
      const int room = obj.room, ox = obj.x8 * 8, oy = obj.y;
      ok = route::search(p, [=](const sim::GameState& s) {
        return s.room == room && ox - s.x + 11 >= 0 && ox - s.x + 11 <= 46 && oy - s.y + 11 >= 0 &&
               oy - s.y + 11 <= 34;
      }, hurtOk, budget, nullptr, p.state().room == room ? room : -1);
      hurtOk = false;
      ok = ok && p.step(16) && p.steps(0, 2) && p.state().objects[static_cast<std::size_t>(o)].room == sim::kRoomCarried;
    } else if (cmd == "use") {
      // use <room> <touch label>: stand inside that entity's touch box, press fire.
      int room = 0;
      std::string touchLabel;
      f >> room >> touchLabel;
      const auto& entities = route::shipped().world->entities;
      std::size_t e = 0;
      while (e < entities.size() && !(entities[e].room == room && entities[e].touch == touchLabel)) ++e;
      if (e == entities.size()) {
        ADD_FAILURE() << "line " << number << ": no entity " << touchLabel << " in room " << room;
        break;
      }
      const auto& def = route::shipped().program->entities[e];
      const auto& box = route::shipped().program->touches[static_cast<std::size_t>(def.touch)];
      const int l = def.x8 * 8 + box.dx, t = def.y8 * 8 + box.dy, w = box.w * 8, h = box.h * 8;
      // Nothing pickable may be in reach, or fire would take it instead.
      ok = route::search(p, [=](const sim::GameState& s) {
        for (const auto& o : s.objects) {
          if (o.room == s.room && o.id <= 77 && o.x8 * 8 - s.x + 11 >= 0 && o.x8 * 8 - s.x + 11 <= 46 &&
              o.y - s.y + 11 >= 0 && o.y - s.y + 11 <= 34) {
            return false;
          }
        }
        return s.room == room && s.x + 11 - l >= -17 && s.x + 11 - l < w && s.y + 4 - t >= -18 && s.y + 4 - t < h;
      }, hurtOk, budget, nullptr, p.state().room == room ? room : -1);
      hurtOk = false;
      ok = ok && p.step(16) && p.steps(0, 2);
    } else if (cmd == "survey") {
      std::vector<int> rooms;
      route::search(p, [](const sim::GameState&) { return false; }, hurtOk, budget, &rooms);
      std::sort(rooms.begin(), rooms.end());
      rooms.erase(std::unique(rooms.begin(), rooms.end()), rooms.end());
      std::cout << "reachable:";
      for (int r : rooms) std::cout << ' ' << r;
      std::cout << "\n";
    } else if (cmd == "budget") {
      f >> budget;
    } else if (cmd == "hurt") {
      hurtOk = true;
    } else if (cmd == "fire") {
      ok = p.step(16) && p.steps(0, 2);
    } else if (cmd == "drop") {
      // drop <object>: fire until it lies in the room (the presses before turn the pockets).
      int o = 0;
      f >> o;
      for (int i = 0; i < 3 && ok && p.state().objects[static_cast<std::size_t>(o)].room != p.state().room; ++i) {
        ok = p.step(16) && p.steps(0, 2);
      }
      ok = ok && p.state().objects[static_cast<std::size_t>(o)].room == p.state().room;
    } else if (cmd == "hold") {
      int input = 0, n = 0;
      f >> input >> n;
      ok = p.steps(static_cast<std::uint8_t>(input), n);
    } else if (cmd == "wait") {
      int n = 0;
      f >> n;
      ok = p.steps(0, n);
    } else if (cmd == "settle") {
      ok = p.settle();
    } else if (cmd == "until") {
      // until <input> <what> <value>: hold input until room/flag/x/y matches.
      int input = 0, value = 0, which = 0;
      std::string what;
      f >> input >> what;
      if (what == "actor") f >> which;
      f >> value;
      const auto done = [&]() {
        const sim::GameState& s = p.state();
        if (what == "room") return s.room == value;
        if (what == "flag") return s.flags[static_cast<std::size_t>(value)] != 0;
        if (what == "x") return s.x == value;
        if (what == "y") return s.y == value;
        if (what == "state") return s.state == value;
        if (what == "lives") return s.lives == value;
        if (what == "bat") return s.state == 10 || s.state == 11;
        if (what == "end") return s.endCode == static_cast<std::uint32_t>(value);
        if (what == "actor") return s.actors[static_cast<std::size_t>(which)].room == value;
        return true;
      };
      int n = 0;
      while (ok && !done() && n++ < 4000) ok = p.step(static_cast<std::uint8_t>(input));
      ok = ok && done();
    } else if (cmd == "check") {
      // check flag F | var E V | obj O ROOM: stops the route when it does not hold.
      std::string what;
      int a = 0, b = 1;
      f >> what >> a;
      f >> b;
      const sim::GameState& s = p.state();
      if (what == "flag") ok = s.flags[static_cast<std::size_t>(a)] == b;
      if (what == "var") ok = s.entities[static_cast<std::size_t>(a)].var == b;
      if (what == "obj") ok = s.objects[static_cast<std::size_t>(a)].room == b;
    } else if (cmd == "end") {
      break;
    } else {
      ADD_FAILURE() << "line " << number << ": unknown command " << cmd;
      break;
    }
    std::cout << "line " << number << " [" << line << "] -> " << (ok ? "" : "FAILED ") << describe(p.state())
              << " steps " << p.inputs().size() << (p.error().empty() ? "" : " error " + p.error()) << "\n";
    if (!ok) break;
  }
  const std::string out = route::formatRecording(p.inputs(), std::string("made from ") + name + ".route");
  std::ofstream(route::kRecordings / (std::string(name) + ".txt")) << out;
  Player check;
  for (std::size_t i = 0; i < p.inputs().size(); ++i) {
    check.step(p.inputs()[i]);
    if (Player::fingerprint(check.state()) != p.trace()[i]) {
      std::cout << "replay differs at step " << i << ": " << describe(check.state()) << "\n";
      break;
    }
  }
  std::cout << "end: " << describe(p.state()) << " endCode " << p.state().endCode << "\n";
}
