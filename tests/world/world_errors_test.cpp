#include "world_fixture.h"

namespace {

using world_test::json;
using world_test::row;
using world_test::validWorld;

class DocumentErrors : public world_test::WorldFiles {};
class RoomErrors : public world_test::WorldFiles {};
class ScriptErrors : public world_test::WorldFiles {};
class StructureErrors : public world_test::WorldFiles {};

TEST_F(DocumentErrors, InvalidJsonOrAWrongFormatIsNotAWorldDocument) {
  const std::string expected = "[error] " + path() + ": not a tumbold-world document\n";
  for (const std::string text :
       {"", "{", "[1,2]", "42", R"({"format":"tumbold-world")", R"({"schema":8})", R"({"format":"other"})",
        R"({"format":7,"schema":8})", R"({"format":null})"}) {
    EXPECT_FALSE(loadText(text)) << text;
    EXPECT_EQ(log, expected) << text;
  }
}

TEST_F(DocumentErrors, OldOrMissingSchemaNamesBothNumbers) {
  json doc = validWorld();
  doc["schema"] = 7;
  expectFailure(doc, path() + ": schema 7 is older than 8; re-run tools/convert/export_all");
  doc.erase("schema");
  expectFailure(doc, path() + ": schema 0 is older than 8; re-run tools/convert/export_all");
}

TEST_F(DocumentErrors, SchemaOfTheWrongTypeIsAJsonError) {
  json doc = validWorld();
  doc["schema"] = "8";
  expectFailure(doc, path() + ": [json.exception.type_error.302] type must be number, but is string");
  doc["schema"] = nullptr;
  expectFailure(doc, path() + ": [json.exception.type_error.302] type must be number, but is null");
}

TEST_F(DocumentErrors, AMissingFileLogsOneLine) {
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(world::loadWorld(dir_ / "absent.json"));
  const std::string text = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
}

TEST_F(DocumentErrors, EveryRequiredRootKeyIsChecked) {
  for (const char* key : {"rooms", "scripts", "entities", "actors", "lifts"}) {
    json doc = validWorld();
    doc.erase(key);
    expectFailureMentioning(doc, std::string("\"") + key + "\"");
  }
}

TEST_F(DocumentErrors, NumbersBeyondThirtyTwoBitsFailInsteadOfWrapping) {
  for (const json& huge :
       {json(1e30), json(4294967296LL), json(-2147483649LL), json(18446744073709551615ULL)}) {
    json doc = validWorld();
    doc["actors"][0]["x"] = huge;
    expectFailureMentioning(doc, "does not fit in 32 bits");
  }
  json doc = validWorld();
  doc["rules"]["win"]["objects"] = {1, 1e300};
  expectFailureMentioning(doc, "does not fit in 32 bits");
}

TEST_F(RoomErrors, TileRowsMustBeTenStringsOfTwentyIds) {
  json doc = validWorld();
  doc["rooms"][0]["tiles"].erase(9);
  expectFailure(doc, "room 2: expected 10 tile rows");
  doc["rooms"][0]["tiles"] = "0 0 0";
  expectFailure(doc, "room 2: expected 10 tile rows");

  const std::string nineteen = row(0).substr(0, row(0).rfind(' '));
  for (const std::string& bad :
       {nineteen, row(0) + " 1", row(65517), row(0) + " x", std::string("1,") + row(1),
        std::string("-1") + row(0).substr(1), std::string("")}) {
    json d = validWorld();
    d["rooms"][1]["tiles"][3] = bad;
    expectFailure(d, "room 1 row 3: expected 20 tile ids");
  }
  json d = validWorld();
  d["rooms"][1]["tiles"][0] = 12;
  expectFailure(d, "room 1 row 0: expected 20 tile ids");
}

TEST_F(RoomErrors, ExitsMustHaveAKnownForm) {
  for (const json& bad : {json(3.0), json("3"), json(true), json::array({1}), json::object({{"room", 4}}),
                          json::object({{"door", "4"}}), json(8589934592LL)}) {
    json doc = validWorld();
    doc["rooms"][0]["exits"]["right"] = bad;
    expectFailure(doc, "room 2: bad exit");
  }
  json doc = validWorld();
  doc["rooms"][0]["exits"].erase("left");
  expectFailureMentioning(doc, "\"left\"");
  doc = validWorld();
  doc["rooms"][0].erase("exits");
  expectFailureMentioning(doc, "\"exits\"");
}

TEST_F(RoomErrors, TheFirstBadRoomEndsTheLoad) {
  json doc = validWorld();
  doc["rooms"][0]["exits"]["up"] = "x";
  doc["rooms"][1]["tiles"] = json::array();
  expectFailure(doc, "room 2: bad exit");
}

TEST_F(RoomErrors, ScreenHeadersNeedTwoRows) {
  json doc = validWorld();
  doc["screens"]["title"]["header"] = {row(0)};
  expectFailure(doc, "screen title: bad header row 1");
  doc["screens"]["title"]["header"] = {row(0) + " 7", row(0)};
  expectFailure(doc, "screen title: bad header row 0");
  doc["screens"]["title"].erase("header");
  expectFailure(doc, "screen title: bad header row 0");
}

TEST_F(ScriptErrors, OperandsMustBeIntegersOrStrings) {
  for (const json& bad :
       {json(2.5), json(true), json(nullptr), json::array(), json::object(), json(1LL << 40)}) {
    json doc = validWorld();
    doc["scripts"]["blocks"][0]["ops"][1] = {"wait", bad};
    expectFailure(doc, "script main: bad operand of wait");
  }
}

TEST_F(ScriptErrors, OperationsNeedAMnemonic) {
  json doc = validWorld();
  doc["scripts"]["blocks"][0]["ops"][1] = json::array();
  expectFailureMentioning(doc, "script main");
  doc["scripts"]["blocks"][0]["ops"][1] = {4, 2};
  expectFailureMentioning(doc, "type must be string, but is number");
  doc["scripts"]["blocks"][0]["ops"][1] = "wait";
  expectFailureMentioning(doc, "type must be array, but is string");
  doc["scripts"]["blocks"][0].erase("ops");
  expectFailureMentioning(doc, "\"ops\"");
}

TEST_F(ScriptErrors, GraphicListsMustMatchTheirSize) {
  json doc = validWorld();
  doc["scripts"]["blocks"][1] = {
      {"kind", "gfx"}, {"label", "pic"}, {"cols", 3}, {"rows", 2}, {"tiles", {1, 2, 3, 4, 5}}};
  expectFailure(doc, "graphic list pic: 5 tiles for 3x2");
  doc["scripts"]["blocks"][1] = {
      {"kind", "gfx"}, {"label", "neg"}, {"cols", -2}, {"rows", -1}, {"tiles", {1, 2}}};
  expectFailure(doc, "graphic list neg: 2 tiles for -2x-1");
  doc["scripts"]["blocks"][1] = {
      {"kind", "gfx"}, {"label", "big"}, {"cols", 1}, {"rows", 1}, {"tiles", {70000}}};
  expectFailureMentioning(doc, "graphic list big");
  doc["scripts"]["blocks"][1] = {
      {"kind", "gfx"}, {"label", "odd"}, {"cols", 1}, {"rows", 1}, {"tiles", {"1"}}};
  expectFailureMentioning(doc, "type must be number, but is string");
}

TEST_F(ScriptErrors, UnknownBlockKindsAreRefused) {
  json doc = validWorld();
  doc["scripts"]["blocks"][2]["kind"] = "sound";
  expectFailure(doc, "script block box: unknown kind 'sound'");
  doc["scripts"]["blocks"][2].erase("kind");
  expectFailure(doc, "script block box: unknown kind ''");
  doc["scripts"]["blocks"][2]["kind"] = 3;
  expectFailureMentioning(doc, "type must be string, but is number");
}

TEST_F(StructureErrors, WrongJsonTypesAreReportedWithTheLibraryText) {
  const std::string prefix = path() + ": [json.exception.type_error.302] type must be ";
  json doc = validWorld();
  doc["actors"][0]["room"] = nullptr;
  expectFailure(doc, prefix + "number, but is null");
  doc = validWorld();
  doc["rooms"] = {{"a", 1}};
  expectFailure(doc, prefix + "array, but is object");
  doc = validWorld();
  doc["rules"] = json::array();
  expectFailure(doc, prefix + "object, but is array");
  doc = validWorld();
  doc["rules"]["new_game"] = 5;
  expectFailure(doc, prefix + "object, but is number");
  doc = validWorld();
  doc["object_names"] = {"A", 3};
  expectFailure(doc, prefix + "string, but is number");
  doc = validWorld();
  doc["texts"]["bubbles"]["hi"] = nullptr;
  expectFailure(doc, prefix + "string, but is null");
  doc = validWorld();
  doc["actor_types"][0]["frames_left"] = {1, "two"};
  expectFailure(doc, prefix + "number, but is string");
  doc = validWorld();
  doc["rooms"][0]["name"] = 5;
  expectFailure(doc, prefix + "string, but is number");
}

TEST_F(StructureErrors, RequiredMembersInsideRecordsAreChecked) {
  const std::pair<const char*, const char*> cases[][1] = {
      {{"/actor_types/0/box", "\"box\""}},
      {{"/actor_types/0/frames_right", "\"frames_right\""}},
      {{"/lifts/0/raw10", "\"raw10\""}},
      {{"/rules/win/objects", "\"objects\""}},
      {{"/rules/drop_anywhere/rooms", "\"rooms\""}},
      {{"/scripts/blocks", "\"blocks\""}},
      {{"/rooms/1/tiles", "\"tiles\""}}};
  for (const auto& c : cases) {
    json doc = validWorld();
    const json::json_pointer pointer(c[0].first);
    doc[pointer.parent_pointer()].erase(pointer.back());
    expectFailureMentioning(doc, c[0].second);
  }
  json doc = validWorld();
  doc["rules"]["pickup_from_lift29"] = json::object();
  expectFailureMentioning(doc, "\"objects\"");
}

TEST_F(StructureErrors, ShortSegmentsAndStopsAreRefused) {
  json doc = validWorld();
  doc["texts"]["screens"]["title"][0] = {"at", 3};
  expectFailureMentioning(doc, "text screen title");
  doc["texts"]["screens"]["title"][0] = {"style"};
  expectFailureMentioning(doc, "text screen title");
  doc["texts"]["screens"]["title"][0] = json::array();
  expectFailureMentioning(doc, "text screen title");
  doc["texts"]["screens"]["title"][0] = {"at", "3", 4};
  expectFailureMentioning(doc, "type must be number, but is string");
  doc = validWorld();
  doc["lift_stops"][0] = {100};
  expectFailureMentioning(doc, "lift stop 0");
  doc["lift_stops"][0] = 5;
  expectFailureMentioning(doc, "type must be array, but is number");
}

TEST_F(StructureErrors, TheActorTableTailMustBeHexadecimal) {
  json doc = validWorld();
  doc["actor_types_tail"] = "0a0g11";
  expectFailureMentioning(doc, "\"0g\"");
  doc["actor_types_tail"] = "0a 1";
  expectFailureMentioning(doc, "actor_types_tail");
  doc["actor_types_tail"] = 12;
  expectFailureMentioning(doc, "type must be string, but is number");
}

TEST_F(ScriptErrors, NamesFromTheFileCannotSplitTheErrorLine) {
  json doc = validWorld();
  doc["scripts"]["blocks"][2]["label"] = "a\nb";
  doc["scripts"]["blocks"][2]["kind"] = "x\ty";
  expectFailure(doc, "script block a?b: unknown kind 'x?y'");
}

}  // namespace
