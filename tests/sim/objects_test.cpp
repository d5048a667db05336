#include <gtest/gtest.h>

#include "sim_fixture.h"

using namespace simtest;

namespace {

world::Object thing(int id, int room, int x, int y, int name = -1) {
  world::Object o;
  o.id = id;
  o.room = room;
  o.x = x;
  o.y = y;
  o.graphic = id;
  o.name = name;
  return o;
}

// A started game with the hero standing at (100, 144) in room 0.
std::unique_ptr<sim::Simulation> standing(TestWorld& t) {
  auto s = t.start();
  steps(*s, 2);
  return s;
}

// One fire press followed by a release, so that the next press counts again.
void press(sim::Simulation& s) {
  stepOnce(s, sim::kInputFire);
  stepOnce(s, 0);
}

std::vector<std::string> bubbles(const std::vector<sim::PageOp>& ops) {
  std::vector<std::string> out;
  for (const auto& o : ops) {
    if (o.kind == sim::PageOpKind::Bubble) out.push_back(o.text);
  }
  return out;
}

void carry(sim::Simulation& s, std::array<std::int32_t, 3> slots) {
  s.state.carried = slots;
  for (int i : slots) {
    if (i >= 0) s.state.objects[static_cast<std::size_t>(i)].room = sim::kRoomCarried;
  }
}

}  // namespace

// The hero stands at x 100, y 144: the horizontal reach is -17 <= 111 - L < 8w
// and the vertical one -18 <= 148 - T < 8h.
TEST(TouchScripts, BoxesAreExactAtTheirEdges) {
  TestWorld t;
  struct Box {
    int x8, dx, y8, dy, w, h;
    bool touches;
  };
  const std::vector<Box> boxes = {
      {16, 0, 18, 4, 2, 1, true},    // L 128: 111 - 128 = -17
      {16, 1, 18, 4, 2, 1, false},   // L 129: -18
      {12, 0, 18, 4, 2, 1, true},    // L 96: 15 < 16
      {11, 7, 18, 4, 2, 1, false},   // L 95: 16
      {12, 0, 20, 6, 2, 1, true},    // T 166: -18
      {12, 0, 20, 7, 2, 1, false},   // T 167: -19
      {12, 0, 17, 5, 2, 1, true},    // T 141: 7 < 8
      {12, 0, 17, 4, 2, 1, false},   // T 140: 8
  };
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const Box& b = boxes[i];
    const std::string n = std::to_string(i);
    t.world.scripts.push_back(touch("T" + n, b.dx, b.dy, b.w, b.h));
    t.world.scripts.push_back(code("C" + n, {op("setflag", {static_cast<int>(30 + i)}), op("end")}));
    t.world.entities.push_back(entity(0, b.x8 * 8, b.y8 * 8, "", "", "T" + n));
  }
  auto s = standing(t);
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    EXPECT_EQ(s->state.flags[30 + i], boxes[i].touches ? 1 : 0) << "box " << i;
  }
}

TEST(TouchScripts, RunInEntityOrderAndNeverAtZeroEnergy) {
  TestWorld t;
  t.world.scripts = {touch("TA", 0, 0, 4, 4), code("CA", {op("setvar", {7}), op("setflag", {40}), op("end")}),
                     touch("TB", 0, 0, 4, 4),
                     code("CB", {op("jflag", {40, "SEEN"}), op("end"), op("label", {"SEEN"}), op("setflag", {41}),
                                 op("end")})};
  t.world.entities = {entity(0, 96, 136, "", "", "TA"), entity(0, 96, 136, "", "", "TB")};
  auto s = t.start();
  s->state.energy = 0;
  stepOnce(*s);
  EXPECT_EQ(s->state.flags[40], 0);
  s->state.energy = 46;
  stepOnce(*s);
  EXPECT_EQ(s->state.flags[40], 1);
  EXPECT_EQ(s->state.flags[41], 1);  // the second box saw the first one's flag in the same step
  EXPECT_EQ(s->state.entities[0].var, 7);
}

TEST(Objects, PicksTheHigherIndexAndScoresTheFirstPickUpOnly) {
  TestWorld t;
  t.world.objectNames = {"A SPOON", "A KEY"};
  t.world.objects = {thing(0, 0, 104, 152, 0), thing(1, 0, 112, 152, 1), thing(2, 0, 200, 152)};
  auto s = standing(t);
  stepOnce(*s, sim::kInputFire);
  EXPECT_EQ(bubbles(s->ops), (std::vector<std::string>{"A KEY"}));
  EXPECT_EQ(s->state.carried, (std::array<std::int32_t, 3>{1, -1, -1}));
  EXPECT_EQ(s->state.objects[1].room, sim::kRoomCarried);
  EXPECT_EQ(s->state.objects[1].seen, 1);
  EXPECT_EQ(s->state.score, 1);
  EXPECT_EQ(s->state.objects[2].room, 0);  // out of reach
  stepOnce(*s, 0);
  s->ops.clear();
  press(*s);
  EXPECT_EQ(s->state.carried, (std::array<std::int32_t, 3>{0, 1, -1}));
  EXPECT_EQ(s->state.score, 2);
  // Put the key back down (rotate twice, then drop) and take it again: no score.
  press(*s);
  EXPECT_EQ(s->state.carried, (std::array<std::int32_t, 3>{-1, 0, 1}));
  press(*s);
  EXPECT_EQ(s->state.objects[1].room, 0);
  EXPECT_EQ(s->state.objects[1].x8, 14);
  EXPECT_EQ(s->state.objects[1].y, 152);
  EXPECT_EQ(s->state.carried, (std::array<std::int32_t, 3>{-1, -1, 0}));
  s->ops.clear();
  stepOnce(*s, sim::kInputFire);
  EXPECT_EQ(s->state.carried, (std::array<std::int32_t, 3>{1, -1, -1}));
  EXPECT_TRUE(bubbles(s->ops).empty());
  EXPECT_EQ(s->state.score, 2);
  stepOnce(*s, sim::kInputFire);  // held without a bubble in between: no second action
  EXPECT_EQ(s->state.carried, (std::array<std::int32_t, 3>{1, -1, -1}));
}

TEST(Objects, FullInventorySwapsTheOldestOntoThePickedPlace) {
  TestWorld t;
  t.world.objects = {thing(0, 0, 104, 150), thing(1, 2, 0, 0), thing(2, 2, 0, 0), thing(3, 2, 0, 0)};
  auto s = standing(t);
  carry(*s, {1, 2, 3});
  press(*s);
  EXPECT_EQ(s->state.carried, (std::array<std::int32_t, 3>{0, 1, 2}));
  EXPECT_EQ(s->state.objects[0].room, sim::kRoomCarried);
  EXPECT_EQ(s->state.objects[3].room, 0);
  EXPECT_EQ(s->state.objects[3].x8, 13);
  EXPECT_EQ(s->state.objects[3].y, 150);
}

TEST(Objects, DropRotatesRefusesDecorationAndAcceptsAltars) {
  {
    TestWorld t;
    t.world.objects = {thing(0, 2, 0, 0), thing(1, 2, 0, 0)};
    auto s = standing(t);
    carry(*s, {0, 1, -1});
    press(*s);  // slot 2 empty: only rotates
    EXPECT_EQ(s->state.carried, (std::array<std::int32_t, 3>{-1, 0, 1}));
    EXPECT_EQ(s->state.objects[1].room, sim::kRoomCarried);
    press(*s);
    EXPECT_EQ(s->state.objects[1].room, 0);
    EXPECT_EQ(s->state.carried, (std::array<std::int32_t, 3>{-1, -1, 0}));
  }
  {
    TestWorld t;
    t.world.objects = {thing(0, 2, 0, 0)};
    t.tile(0, 7, 7, kPlain);  // decoration under cells 14..15 of rows 14..15
    auto s = standing(t);
    carry(*s, {-1, -1, 0});
    press(*s);
    EXPECT_EQ(s->state.objects[0].room, sim::kRoomCarried);
    EXPECT_EQ(s->state.objects[0].x8, 14);  // the record keeps the tried place
    EXPECT_EQ(s->state.carried, (std::array<std::int32_t, 3>{-1, -1, 0}));
  }
  for (bool altar : {false, true}) {
    TestWorld t;
    t.world.objects = {thing(0, 2, 0, 0)};
    for (int c = 0; c < 20; ++c) t.tile(0, 4, c, kSolid);  // the hero stands at y 80
    t.tile(0, 3, 7, kPlain);
    if (altar) t.world.dropAnywhereRooms = {5, 0};
    t.world.newGameY = 80;
    auto s = standing(t);
    ASSERT_EQ(s->state.y, 80);
    carry(*s, {-1, -1, 0});
    press(*s);
    EXPECT_EQ(s->state.objects[0].room, altar ? 0 : sim::kRoomCarried) << altar;
    EXPECT_EQ(s->state.objects[0].y, 88);
  }
}

TEST(Objects, LiftShelfObjectsNeedTheHeroAboveLiftThree) {
  TestWorld t;
  t.world.pickupFromLift29 = {66};
  t.world.objects = {thing(66, 0, 104, 152)};
  for (int i = 0; i < 4; ++i) {
    world::Lift l;
    l.room = 2;
    l.y = i == 3 ? 167 : 100;
    t.world.lifts.push_back(l);
  }
  t.world.liftStops = {std::nullopt};
  auto s = standing(t);
  press(*s);  // feet at 168, below the lift's 167
  EXPECT_EQ(s->state.objects[0].room, 0);
  s->state.lifts[3].y = 168;
  press(*s);
  EXPECT_EQ(s->state.objects[0].room, sim::kRoomCarried);
  // Once seen it is an ordinary object again.
  press(*s);
  press(*s);
  press(*s);
  ASSERT_EQ(s->state.objects[0].room, 0);
  s->state.lifts[3].y = 100;
  press(*s);
  EXPECT_EQ(s->state.objects[0].room, sim::kRoomCarried);
}

TEST(Objects, SpecialIdsRaiseTheirFlags) {
  TestWorld t;
  t.world.bubbles = {{"object_2C_a", "FIRST"}, {"object_2C_b", "SECOND"}};
  t.world.objectNames = {"A FEATHER"};
  for (int i = 0; i < 30; ++i) t.world.objects.push_back(thing(i, 2, 0, 0));
  t.world.objects[10] = thing(44, 0, 104, 152, 0);
  t.world.objects[11] = thing(30, 0, 160, 152);
  auto s = standing(t);
  press(*s);
  EXPECT_EQ(bubbles(s->ops), (std::vector<std::string>{"A FEATHER", "FIRST", "SECOND"}));
  EXPECT_EQ(s->state.flags[21], 1);
  // Id 30 raises its flag only while object 29 is not carried.
  s->state.x = 150;
  carry(*s, {29, 10, -1});
  press(*s);
  EXPECT_EQ(s->state.objects[11].room, sim::kRoomCarried);
  EXPECT_EQ(s->state.flags[6], 0);
  s->state.objects[29].room = 2;
  s->state.objects[11].room = 0;
  s->state.carried = {-1, -1, -1};
  press(*s);
  EXPECT_EQ(s->state.objects[11].room, sim::kRoomCarried);
  EXPECT_EQ(s->state.flags[6], 1);
}

TEST(Objects, FireDoesNothingWhileBusy) {
  TestWorld t;
  t.world.objects = {thing(0, 0, 104, 152)};
  auto s = standing(t);
  s->state.state = 9;
  s->state.counter = 20;
  stepOnce(*s, sim::kInputFire);
  EXPECT_EQ(s->state.objects[0].room, 0);
  EXPECT_NE(s->state.armed & sim::kInputFire, 0);
}

TEST(FirePuzzle, SolvesWhenThePlacedObjectLiesOnItsSpot) {
  TestWorld t;
  t.world.bubbles = {{"fire_puzzle", "IT BURNS!"}};
  t.world.objects = {thing(0, 2, 0, 0), thing(1, 0, 200, 152), thing(2, -1, 0, 0), thing(3, 0, 24, 152)};
  t.world.firePuzzle = world::FirePuzzle{0, 1, 0, 25, 150, 2, 20};
  auto s = standing(t);
  carry(*s, {-1, -1, 0});
  s->state.objects[1].x8 = 24;  // one cell short of the spot
  stepOnce(*s, sim::kInputFire);
  EXPECT_EQ(s->state.flags[20], 0);
  EXPECT_EQ(s->state.objects[0].room, 0);  // an ordinary drop instead
  stepOnce(*s, 0);
  carry(*s, {-1, 0, -1});
  s->state.objects[1].x8 = 25;
  s->ops.clear();
  stepOnce(*s, sim::kInputFire);
  EXPECT_EQ(bubbles(s->ops), (std::vector<std::string>{"IT BURNS!"}));
  EXPECT_EQ(s->state.flags[20], 1);
  EXPECT_EQ(s->state.objects[0].room, sim::kRoomGone);
  EXPECT_EQ(s->state.objects[1].room, sim::kRoomGone);
  EXPECT_EQ(s->state.objects[2].room, 0);
  EXPECT_EQ(s->state.score, 2);
  // The puzzle changes room bytes only: the slot still names the spent object.
  EXPECT_EQ(s->state.carried, (std::array<std::int32_t, 3>{-1, 0, -1}));
  for (auto v : s->state.currentPalette) EXPECT_EQ(v, 63);
}

TEST(FirePuzzle, RuleObjectsOutsideTheListStop) {
  TestWorld t;
  t.world.objects = {thing(0, 2, 0, 0)};
  t.world.firePuzzle = world::FirePuzzle{0, 9, 0, 25, 150, 2, 20};
  auto s = standing(t);
  carry(*s, {0, -1, -1});
  EXPECT_FALSE(stepOnce(*s, sim::kInputFire));
  EXPECT_EQ(s->error, "object 9");
}
