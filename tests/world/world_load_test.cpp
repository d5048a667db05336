#include <variant>

#include "core/embedded.h"
#include "world_fixture.h"

namespace {

using world_test::json;
using world_test::validWorld;
using LoadedWorld = world_test::WorldFiles;

TEST_F(LoadedWorld, ReadsRoomsTheirTilesAndExits) {
  const auto w = load(validWorld());
  ASSERT_TRUE(w) << log;
  EXPECT_EQ(log, "");
  EXPECT_EQ(w->schema, 8);
  ASSERT_EQ(w->rooms.size(), 2u);
  const world::Room& hall = w->rooms[0];
  EXPECT_EQ(hall.id, 2);
  EXPECT_EQ(hall.name, "HALL");
  EXPECT_EQ(hall.tiles[0][0], 0);
  EXPECT_EQ(hall.tiles[0][19], 19);
  EXPECT_EQ(hall.tiles[9][19], 199);
  EXPECT_EQ(hall.exits[world::kExitUp].kind, world::ExitKind::None);
  EXPECT_EQ(hall.exits[world::kExitDown].kind, world::ExitKind::Room);
  EXPECT_EQ(hall.exits[world::kExitDown].target, 3);
  EXPECT_EQ(hall.exits[world::kExitLeft].kind, world::ExitKind::Door);
  EXPECT_EQ(hall.exits[world::kExitLeft].target, 1);
  // The id defaults to the room's position in the array.
  EXPECT_EQ(w->rooms[1].id, 1);
  EXPECT_EQ(w->rooms[1].name, "");
  EXPECT_EQ(w->rooms[1].tiles[3][5], 565);
}

TEST_F(LoadedWorld, ReadsScreensDoorsObjectsAndTexts) {
  const auto w = load(validWorld());
  ASSERT_TRUE(w) << log;
  ASSERT_EQ(w->screens.count("title"), 1u);
  EXPECT_EQ(w->screens.at("title").room, 1);
  EXPECT_EQ(w->screens.at("title").header[1][0], 2);
  ASSERT_EQ(w->doors.size(), 2u);
  EXPECT_EQ(w->doors[0].x, 40);  // "raw_x", never "x"
  EXPECT_EQ(w->doors[0].y, 96);
  EXPECT_EQ(w->doors[1].y, -1);
  ASSERT_EQ(w->objects.size(), 2u);
  EXPECT_EQ(w->objects[0].id, 0);
  EXPECT_EQ(w->objects[0].name, 0);
  EXPECT_EQ(w->objects[1].id, 9);
  EXPECT_EQ(w->objects[1].room, -1);
  EXPECT_EQ(w->objects[1].name, -1);
  EXPECT_EQ(w->objectNames, std::vector<std::string>{"A LAMP"});
  const auto& title = w->textScreens.at("title");
  ASSERT_EQ(title.size(), 3u);
  EXPECT_EQ(title[0].kind, world::SegmentKind::At);
  EXPECT_EQ(title[0].x, 3);
  EXPECT_EQ(title[0].y, 4);
  EXPECT_EQ(title[1].kind, world::SegmentKind::Style);
  EXPECT_EQ(title[1].text, "big");
  EXPECT_EQ(title[2].kind, world::SegmentKind::Text);
  EXPECT_EQ(title[2].text, "HELLO");
  EXPECT_EQ(w->bubbles.at("hi"), "HI THERE");
  EXPECT_EQ(w->bubbles.size(), 2u);
}

TEST_F(LoadedWorld, ReadsEveryKindOfScriptBlockAndTheEntities) {
  const auto w = load(validWorld());
  ASSERT_TRUE(w) << log;
  ASSERT_EQ(w->scripts.size(), 4u);
  const world::ScriptBlock& code = w->scripts[0];
  EXPECT_EQ(code.kind, world::BlockKind::Code);
  ASSERT_EQ(code.ops.size(), 3u);
  EXPECT_EQ(code.ops[1].name, "wait");
  ASSERT_EQ(code.ops[1].args.size(), 1u);
  EXPECT_EQ(std::get<std::int32_t>(code.ops[1].args[0]), 3);
  ASSERT_EQ(code.ops[2].args.size(), 1u);
  EXPECT_EQ(std::get<std::string>(code.ops[2].args[0]), "top");
  const world::ScriptBlock& gfx = w->scripts[1];
  EXPECT_EQ(gfx.kind, world::BlockKind::Gfx);
  EXPECT_EQ(gfx.tiles, (std::vector<std::uint16_t>{7, 65535}));
  EXPECT_TRUE(gfx.ops.empty());
  const world::ScriptBlock& touch = w->scripts[2];
  EXPECT_EQ(touch.kind, world::BlockKind::Touch);
  EXPECT_EQ(touch.dx, -2);
  EXPECT_EQ(touch.h, 24);
  EXPECT_EQ(touch.cols, 0);
  EXPECT_EQ(w->scripts[3].kind, world::BlockKind::Raw);
  EXPECT_EQ(w->scripts[3].rawSize, 3u);  // an odd hex length rounds down
  ASSERT_EQ(w->entities.size(), 1u);
  const world::Entity& e = w->entities[0];
  EXPECT_EQ(e.step, "main");
  EXPECT_EQ(e.touch, "");
  EXPECT_EQ(e.gfx, "pic");
  EXPECT_EQ(e.state, (std::array<std::uint8_t, 6>{1, 2, 255, 0, 4, 5}));
}

TEST_F(LoadedWorld, ReadsActorsLiftsStopsAndTheActorTableTail) {
  const auto w = load(validWorld());
  ASSERT_TRUE(w) << log;
  ASSERT_EQ(w->actors.size(), 1u);
  EXPECT_EQ(w->actors[0].rangeA, 6);
  EXPECT_EQ(w->actors[0].dir, 9);
  ASSERT_EQ(w->actorTypes.size(), 1u);
  EXPECT_EQ(w->actorTypes[0].box, (std::array<std::int32_t, 4>{1, 2, 3, 4}));
  EXPECT_EQ(w->actorTypes[0].animDivisor, 1);
  EXPECT_EQ(w->actorTypes[0].framesPerDir, 1);
  EXPECT_EQ(w->actorTypes[0].framesLeft, (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(w->actorTypesTail, (std::vector<std::uint8_t>{0x0a, 0xff}));
  ASSERT_EQ(w->lifts.size(), 1u);
  EXPECT_EQ(w->lifts[0].raw10Word, 304);
  EXPECT_EQ(w->lifts[0].raw10Byte, -56);
  EXPECT_EQ(w->lifts[0].startStop, 2);  // defaults to the lift's state
  ASSERT_EQ(w->liftStops.size(), 3u);
  EXPECT_EQ(w->liftStops[0], std::make_pair(100, 4));
  EXPECT_FALSE(w->liftStops[1].has_value());
  EXPECT_EQ(w->liftStops[2], std::make_pair(20, 5));
}

TEST_F(LoadedWorld, RulesOverrideOnlyTheKeysTheyName) {
  const auto w = load(validWorld());
  ASSERT_TRUE(w) << log;
  EXPECT_EQ(w->firePuzzle.carried, 11);
  EXPECT_EQ(w->firePuzzle.room, 30);
  EXPECT_EQ(w->firePuzzle.placed, -1);
  EXPECT_EQ(w->firePuzzle.reveals, -1);
  EXPECT_EQ(w->batObject, 41);
  EXPECT_EQ(w->dropAnywhereRooms, (std::vector<std::int32_t>{7, 8}));
  EXPECT_EQ(w->dropAnywhereY, 88);
  EXPECT_EQ(w->winObjects, (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(w->ballRooms, (std::vector<std::int32_t>{12, 13}));
  EXPECT_EQ(w->energyFull, 40);
  EXPECT_EQ(w->followerObject, 46);
  // No "new_game" member: the defaults stay.
  EXPECT_EQ(w->newGameRoom, 2);
  EXPECT_EQ(w->newGameX, 106);
  EXPECT_EQ(w->newGameY, 144);
  EXPECT_EQ(w->newGameLives, 3);
  EXPECT_EQ(w->object2CFlag, 21);
  EXPECT_EQ(w->object1EFlag, 6);
  EXPECT_EQ(w->liftSwitchEntity, 9);
  EXPECT_EQ(w->rideTile, 908);
}

TEST_F(LoadedWorld, EnergyFullIsTakenOnlyFromAnInteger) {
  for (const json& value : {json(40.0), json("40"), json(nullptr), json(true)}) {
    json doc = validWorld();
    doc["rules"]["energy_full"] = value;
    const auto w = load(doc);
    ASSERT_TRUE(w) << log;
    EXPECT_EQ(w->energyFull, 46) << value.dump();
  }
}

TEST_F(LoadedWorld, DefaultedIntegersTakeFloatsAndBooleans) {
  json doc = validWorld();
  doc["actors"][0]["x"] = 12.9;
  doc["actors"][0]["y"] = -3.7;
  doc["actors"][0]["state"] = true;
  doc["schema"] = 9.5;
  const auto w = load(doc);
  ASSERT_TRUE(w) << log;
  EXPECT_EQ(w->actors[0].x, 12);
  EXPECT_EQ(w->actors[0].y, -3);
  EXPECT_EQ(w->actors[0].state, 1);
  EXPECT_EQ(w->schema, 9);
}

TEST_F(LoadedWorld, ValuesThatAreNotIntegersFallBackWhereTheFormatSaysSo) {
  json doc = validWorld();
  doc["doors"][0]["raw_x"] = 4.0;
  doc["objects"][0]["room"] = "2";
  doc["objects"][0]["name"] = 1.0;
  doc["entities"][0]["step"] = 5;
  doc["entities"][0]["state"] = "not a list";
  doc["rules"]["ball_rooms"] = 7;
  const auto w = load(doc);
  ASSERT_TRUE(w) << log;
  EXPECT_EQ(w->doors[0].x, -1);
  EXPECT_EQ(w->objects[0].room, -1);
  EXPECT_EQ(w->objects[0].name, -1);
  EXPECT_EQ(w->entities[0].step, "");
  EXPECT_EQ(w->entities[0].state, (std::array<std::uint8_t, 6>{}));
  EXPECT_TRUE(w->ballRooms.empty());
}

TEST_F(LoadedWorld, Raw10AndTailVariants) {
  json doc = validWorld();
  doc["lifts"].push_back({{"state", 7}, {"raw10", {48, 0, 34}}, {"start_stop", 1}});
  doc["lifts"].push_back({{"raw10", {48, 0}}});
  doc["actor_types_tail"] = "0a0";
  const auto w = load(doc);
  ASSERT_TRUE(w) << log;
  EXPECT_EQ(w->lifts[1].raw10Word, 48);
  EXPECT_EQ(w->lifts[1].raw10Byte, 34);
  EXPECT_EQ(w->lifts[1].startStop, 1);
  EXPECT_EQ(w->lifts[2].raw10Word, 0);
  EXPECT_EQ(w->lifts[2].raw10Byte, 0);
  EXPECT_EQ(w->actorTypesTail, (std::vector<std::uint8_t>{10}));
}

TEST_F(LoadedWorld, RowsAcceptBlanksAndTabsAroundAndBetweenIds) {
  json doc = validWorld();
  std::string spaced = " \t";
  for (int c = 0; c < 20; ++c) spaced += std::to_string(c * 1000) + (c % 2 ? "\t\t" : "  ");
  doc["rooms"][0]["tiles"][4] = spaced + " \t ";
  doc["rooms"][0]["tiles"][5] = "65535 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 00007";
  const auto w = load(doc);
  ASSERT_TRUE(w) << log;
  EXPECT_EQ(w->rooms[0].tiles[4][19], 19000);
  EXPECT_EQ(w->rooms[0].tiles[5][0], 65535);
  EXPECT_EQ(w->rooms[0].tiles[5][19], 7);
}

TEST_F(LoadedWorld, OptionalSectionsMayBeAbsent) {
  json doc = validWorld();
  for (const char* key : {"screens", "doors", "objects", "object_names", "texts", "actor_types",
                          "actor_types_tail", "lift_stops", "rules"})
    doc.erase(key);
  const auto w = load(doc);
  ASSERT_TRUE(w) << log;
  EXPECT_TRUE(w->screens.empty());
  EXPECT_TRUE(w->objects.empty());
  EXPECT_TRUE(w->actorTypesTail.empty());
  EXPECT_EQ(w->energyFull, 46);
  EXPECT_EQ(w->batObject, 40);
}

TEST(ShippedWorld, LoadsWithoutAnyMessageFromDiskAndFromTheEmbeddedTable) {
  const std::filesystem::path disk = TUMBOLD_SOURCE_DIR "/world/world.json";
  if (!std::filesystem::exists(disk)) GTEST_SKIP() << "no world file in the data set yet";
  std::vector<std::filesystem::path> files = {disk};
  if (core::embeddedFile("world/world.json"))
    files.push_back(std::string(core::kEmbeddedRoot) + "/world/world.json");
  for (const auto& file : files) {
    ::testing::internal::CaptureStderr();
    const auto w = world::loadWorld(file);
    const std::string log = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(w) << file;
    EXPECT_EQ(log, "") << file;
    EXPECT_FALSE(w->rooms.empty());
    EXPECT_GE(w->schema, 8);
  }
}

}  // namespace
