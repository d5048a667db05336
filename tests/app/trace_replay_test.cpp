// The trace replay against traces of this simulation's own games: whole
// stretches of the won game replay without a difference, and every way a
// trace can end, start, stop or fail gives its line and exit code.

#include <regex>

#include "assets/indexed_image.h"
#include "render/game_graphics.h"

#include "app/trace/trace_state.h"
#include "trace_fixture.h"

namespace tracetest {
namespace {

// Members that a data segment does not carry, or carries in another order.
sim::GameState comparable(sim::GameState s) {
  if (s.page & 1) std::swap(s.pageCache[0], s.pageCache[1]);
  s.page = 0;
  s.result = 0;
  std::fill(s.flags.begin() + 22, s.flags.end(), 0);
  return s;
}

bool restorable(const sim::GameState& s) {
  return std::all_of(s.flags.begin() + 22, s.flags.end(), [](std::uint8_t f) { return f == 0; });
}

std::string matched(std::int64_t steps, const std::string& fromStep, const std::string& name = "t") {
  return name + ": port matches the original for " + std::to_string(steps) + " steps \\(from step " + fromStep +
         "; \\d+ room entries\\)";
}

struct Slice {
  std::int64_t start = -1;  // -1: a new game from step 0
  std::int64_t end = 0;
  std::unique_ptr<TraceWriter> writer;
  std::string pokes;
};

// Whether the game shows a mechanic at work at this step (the state `prev` is
// the step before, in the same room).
using Landmark = std::function<bool(const sim::GameState& s, const sim::GameState& prev)>;

const std::map<std::string, Landmark>& landmarks() {
  static const std::map<std::string, Landmark> table = {
      {"lift", [](const sim::GameState& s, const sim::GameState& prev) {
         const auto k = static_cast<std::size_t>(s.currentLift);
         return s.currentLift >= 0 && k < s.lifts.size() && s.lifts[k].room == s.room && s.lifts[k].y != prev.lifts[k].y;
       }},
      {"actors", [](const sim::GameState& s, const sim::GameState& prev) {
         const auto a = static_cast<std::size_t>(s.firstActor);
         return a < s.actors.size() && s.actors[a].room == s.room && s.actors[a].x != prev.actors[a].x;
       }},
      {"balls", [](const sim::GameState& s, const sim::GameState&) {
         return std::any_of(s.pool2.begin(), s.pool2.end(), [](const auto& b) { return b.state != 0; });
       }},
      {"follower", [](const sim::GameState& s, const sim::GameState& prev) {
         return s.followerX8 != prev.followerX8 || s.followerY != prev.followerY;
       }},
      {"objects", [](const sim::GameState& s, const sim::GameState& prev) { return s.carried != prev.carried; }},
  };
  return table;
}

// The flags that a data segment holds but that neither a comparison nor a
// load looks at, brought back by a poke once the replay reaches `step`, the
// way a recording tool writes bytes into the game's memory.
std::string flagPoke(std::int64_t step, const sim::GameState& s) {
  std::string poke = "\"" + std::to_string(step) + ":63B9=";
  char hex[3];
  for (std::size_t f = 22; f < s.flags.size(); ++f) {
    std::snprintf(hex, sizeof hex, "%02X", s.flags[f]);
    poke += hex;
  }
  return poke + "\"";
}

// One play of the won game writes every slice: the first 2,000 steps for a
// replay from a new game, then a slice from a snapshot of the first moment each
// mechanic is at work, and the last steps up to the win.
TEST_F(TraceTest, TheWonGameReplaysInSlicesFromANewGameAndFromSnapshots) {
  constexpr std::int64_t kNewGameSteps = 2000;
  constexpr std::int64_t kSliceSteps = 160;
  const auto ending = static_cast<std::int64_t>(winInputs().size()) - kSliceSteps + 20;
  std::map<std::string, Slice> slices;
  slices["new_game"] = Slice{-1, kNewGameSteps, std::make_unique<TraceWriter>(dir() / "new_game"), ""};
  sim::GameState prev;
  const auto visit = [&](const Step& step) {
    const sim::GameState& s = step.sim->state;
    const auto open = [&](const std::string& name) {
      slices[name] = Slice{step.index, step.index + kSliceSteps, std::make_unique<TraceWriter>(dir() / name),
                           flagPoke(step.index, s)};
    };
    if (step.index > 0 && s.room == prev.room) {
      for (const auto& [name, seen] : landmarks()) {
        if (!slices.count(name) && seen(s, prev)) open(name);
      }
    }
    if (step.index == ending) open("ending");
    prev = s;
    for (auto& [name, slice] : slices) {
      if (step.index < std::max<std::int64_t>(slice.start, 0) || step.index >= slice.end) continue;
      const auto snapshot = encodeSnapshot(s, program());
      if (step.index == slice.start) {
        // The snapshot a slice starts from loads back into the very same game.
        sim::GameState loaded;
        EXPECT_EQ(app::trace::loadSnapshot(snapshot, *content().world, program(), loaded), "") << name;
        EXPECT_TRUE(comparable(loaded) == comparable(s)) << name << " at step " << step.index;
      }
      slice.writer->add({step.index, step.index, s.room, s.state,
                         step.sim->alive ? std::optional<std::uint8_t>(step.input) : std::nullopt},
                        snapshot);
    }
    return true;
  };
  const PlayResult played = playGame(content(), program(), winInputs(), visit);
  ASSERT_EQ(played.endCode, 2u) << "the won game does not end in the win";
  for (const char* name : {"lift", "actors", "balls", "follower", "objects", "ending"})
    ASSERT_TRUE(slices.count(name)) << "the won game never shows " << name;
  const std::string last = std::to_string(played.steps - 1);

  for (auto& [name, slice] : slices) {
    SCOPED_TRACE(name);
    const std::string outcomes = name == "ending" ? R"({"after_step": )" + last + R"(, "outcome": "ending"})" : "";
    slice.writer->writeRun("{\"pokes\": [" + slice.pokes + "], \"outcomes\": [" + outcomes + "]}");
    slice.writer.reset();
    const Replayed r = replay(dir() / name, slice.start < 0 ? from(-1, true) : from(static_cast<int>(slice.start)));
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    const std::int64_t compared = slice.start < 0 ? slice.end : std::min(slice.end, played.steps) - slice.start - 1;
    const std::string outcome = name == "ending" ? "ending: outcome after step " + last + " matches: ending\n" : "";
    const std::string from = slice.start < 0 ? "\\d+" : std::to_string(slice.start);
    EXPECT_TRUE(std::regex_match(r.out, std::regex(outcome + matched(compared, from, name) + "\n"))) << r.out;
  }
}

}  // namespace
}  // namespace tracetest

namespace tracetest {
namespace {

constexpr std::int64_t kShort = 60;


// Edits every row of a trace.
std::function<void(const fs::path&)> eachRow(std::function<void(Json&, std::size_t)> edit, bool blankLines = false) {
  return [=](const fs::path& t) {
    auto rows = readRows(t);
    for (std::size_t i = 0; i < rows.size(); ++i) edit(rows[i], i);
    writeRows(t, rows, blankLines);
  };
}

void keepSnapshots(const fs::path& t, std::size_t records) { fs::resize_file(t / "dgroup.bin", records * kSnapshotSize); }

struct Case {
  const char* what;
  std::function<void(const fs::path&)> damage;
  app::ReplayOptions options;
  int code;
  std::string out;  // a pattern for the whole standard output
  std::string err;  // the whole log
};

// A folder where the trace has (or may have) a file.
std::function<void(const fs::path&)> inPlaceOf(const char* file) {
  return [file](const fs::path& t) {
    fs::remove(t / file);
    fs::create_directories(t / file);
  };
}

TEST_F(TraceTest, StartRowsRowValuesAndTheEndOfTheRows) {
  const auto none = [](const fs::path&) {};
  const std::vector<Case> cases = {
      {"the first standing row starts", none, {}, 0, matched(kShort - 1, "0") + "\n", ""},
      {"blank lines are not rows", eachRow([](Json&, std::size_t) {}, true), {}, 0, matched(kShort - 1, "0") + "\n", ""},
      {"--from names a step", none, from(10), 0, matched(kShort - 11, "10") + "\n", ""},
      {"--new-game plays from row 0", none, from(10, true), 0, matched(kShort, "10") + "\n", ""},
      {"rows before a standing row in a modelled room are skipped",
       eachRow([](Json& r, std::size_t i) {
         if (i < 3) r.erase("room");
         if (i == 3) r["pstate"] = 0;
       }),
       {}, 0, matched(kShort - 5, "4") + "\n", ""},
      {"a missing step reads as -1 and 0", eachRow([](Json& r, std::size_t) { r.erase("step"); }), from(-1, true), 0,
       matched(kShort, "0") + "\n", ""},
      {"the input byte is the low byte of held_read",
       eachRow([](Json& r, std::size_t) {
         if (r["held_read"].is_number()) r["held_read"] = r["held_read"].get<int>() + 256;
       }),
       {}, 0, matched(kShort - 1, "0") + "\n", ""},
      {"a row in room 75 ends the trace", eachRow([](Json& r, std::size_t i) { if (i == 30) r["room"] = 75; }), {}, 0,
       matched(29, "0") + "\n", ""},
      {"no such step", none, from(999), 2, "", "[error] {dir}/t: no starting step in the trace\n"},
      {"no such step for a new game either", none, from(999, true), 2, "", "[error] {dir}/t: no starting step in the trace\n"},
      {"nobody stands", eachRow([](Json& r, std::size_t) { r["pstate"] = 0; }), from(-1, true), 2, "",
       "[error] {dir}/t: no starting step in the trace\n"},
      {"the start prints its row index, not its step",
       [](const fs::path& t) {
         eachRow([](Json& r, std::size_t i) { r["step"] = 897 + i; })(t);
         keepSnapshots(t, 3);
       },
       from(900), 2, "t: cannot start from step 3: no snapshot\n", ""},
      {"a short dgroup.bin fails only at the row it lacks", [](const fs::path& t) { keepSnapshots(t, 20); }, {}, 2, "",
       "[error] t: no snapshot for row 20\n"},
      {"no state.jsonl", [](const fs::path& t) { fs::remove(t / "state.jsonl"); }, {}, 2, "",
       "[error] {dir}/t: no state.jsonl (record it with tools/re/record_traces)\n"},
      {"a line of blanks is a bad line", [](const fs::path& t) { std::ofstream(t / "state.jsonl", std::ios::app) << "  \n"; },
       {}, 2, "", "[error] {dir}/t: bad line in state.jsonl\n"},
      {"no dgroup.bin", [](const fs::path& t) { fs::remove(t / "dgroup.bin"); }, {}, 2, "",
       "[error] {dir}/t: no dgroup.bin\n"},
      {"a folder for state.jsonl", inPlaceOf("state.jsonl"), {}, 2, "",
       "[error] {dir}/t: no state.jsonl (record it with tools/re/record_traces)\n"},
      {"a folder for dgroup.bin", inPlaceOf("dgroup.bin"), {}, 2, "", "[error] {dir}/t: no dgroup.bin\n"},
      {"a folder for run.json is refused", inPlaceOf("run.json"), {}, 2, "",
       "[error] {dir}/t: run.json is not a regular file\n"},
      {"a run.json larger than any input is refused",
       [](const fs::path& t) {
         std::ofstream(t / "run.json").close();
         fs::resize_file(t / "run.json", (std::uintmax_t{64} << 20) + 1);  // sparse: nothing is written
       },
       {}, 2, "",
       "[error] {dir}/t: run.json holds more than 67108864 bytes\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir() / "t");
    const fs::path t = newGameTrace("t", kShort);
    // Every row standing, whatever the recording does first.
    eachRow([](Json& r, std::size_t) { r["pstate"] = 1; })(t);
    c.damage(t);
    const Replayed r = replay(t, c.options);
    EXPECT_EQ(r.code, c.code);
    EXPECT_TRUE(std::regex_match(r.out, std::regex(c.out))) << r.out;
    EXPECT_EQ(r.err, std::regex_replace(c.err, std::regex("\\{dir\\}"), dir().string())) << r.err;
  }
}

}  // namespace
}  // namespace tracetest

namespace tracetest {
namespace {

using Snapshot = std::vector<std::uint8_t>;

TEST_F(TraceTest, AStartSnapshotThatDoesNotLoadSaysWhy) {
  const auto entity = [](std::size_t k, std::size_t at) { return 0x90DD + 15 * k + at; };
  const std::vector<std::pair<std::function<void(Snapshot&)>, std::string>> cases = {
      {[](Snapshot& d) { putU16(d, 0x5AB5, 0x1234); }, "inventory slot is not an object record"},
      {[&](Snapshot& d) { ++d[entity(3, 0)]; }, "entity 3 is not in the room the world says"},
      {[&](Snapshot& d) { putU16(d, entity(5, 3), 1); }, "entity 5: a script pointer is not an instruction or graphic list"},
      {[&](Snapshot& d) { putU16(d, entity(6, 7), 1); }, "entity 6: a script pointer is not an instruction or graphic list"},
      {[](Snapshot& d) { putU16(d, 0x771C, 1); }, "the shared thread's pointer is not an instruction"},
      {[](Snapshot& d) {
         for (std::size_t at = 0x5C65 + 7; at < d.size(); at += 13) d[at] = d[at] == 255 ? 254 : d[at];
       },
       "the lift table has no end mark before the end of the record"},
      {[](Snapshot& d) { putU16(d, 0x210C, 0x9700); }, "the back page of the tile cache lies past the end of the record"},
      {[](Snapshot& d) { putU16(d, 0x210E, 0xFFFF); }, "the front page of the tile cache lies past the end of the record"},
      {[](Snapshot& d) { putU16(d, 0x63A1, 0x97E0); }, "the entity room pointer leads past the end of the record"},
      {[](Snapshot& d) { d.clear(); }, "no snapshot"},
  };
  for (const auto& [damage, reason] : cases) {
    SCOPED_TRACE(reason);
    const fs::path t = newGameTrace("t", 3);
    Snapshot d = readSnapshot(t, 0);
    damage(d);
    if (d.empty()) keepSnapshots(t, 0);
    else writeSnapshot(t, 0, d);
    const Replayed r = replay(t, from(0));
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "t: cannot start from step 0: " + reason + "\n");
  }
  // A record read later with a page out of reach ends the replay there.
  const fs::path t = newGameTrace("t", 3);
  Snapshot d = readSnapshot(t, 2);
  putU16(d, 0x210E, 0x9200);
  writeSnapshot(t, 2, d);
  const Replayed r = replay(t, from(0));
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err, "[error] t: snapshot of row 2: the front page of the tile cache lies past the end of the record\n");
}

TEST_F(TraceTest, PokesWriteTheirBytesOnceTheirFrameIsReached) {
  using State = sim::GameState;
  const std::vector<std::pair<std::string, std::function<void(State&)>>> pokes = {
      {"6AA7=2A03", [](State& s) { s.objects[1].room = 42, s.objects[1].x8 = 3; }},
      {"5D0=34120100", [](State& s) { s.checkpointX = 0x1234, s.checkpointY = 1; }},
      {"5d4=09", [](State& s) { s.checkpointRoom = 9; }},
      {"5AB7=A76A", [](State& s) { s.carried[1] = 1; }},
      {"5D16=07", [](State& s) { s.lives = 7; }},
      {"5AB0=10", [](State& s) { s.energy = 16; }},
      {"63A3=0102", [](State& s) { s.flags[0] = 1, s.flags[1] = 2; }},
      {"6407=05", [](State& s) { s.flags[100] = 5, s.lives = 8; }},  // not compared: checked through a second poke
      {"9109=05", [](State& s) { s.entities[2].var = 5; }},
  };
  for (const auto& [poke, edit] : pokes) {
    SCOPED_TRACE(poke);
    Recording recording;
    recording.afterRow = [edit = edit](const Step& step) {
      if (step.index == 5) edit(step.sim->state);
    };
    const fs::path t = newGameTrace("t", 12, recording);
    const std::string extra = poke == "6407=05" ? R"(, "5:5D16=08")" : "";
    std::ofstream(t / "run.json") << R"({"pokes": ["12063A3=01", "120:63A3=1", "5:)" << poke << "\"" << extra << "]}";
    const Replayed r = replay(t, from(0));
    EXPECT_EQ(r.code, 0) << r.out;
    fs::remove(t / "run.json");
    EXPECT_TRUE(std::regex_search(replay(t, from(0)).out, std::regex("^t: DIVERGED at step 6 \\(frame 6\\)")));
  }
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"0:1234=01", "poke at ds:1234"},
      {"0:5D15=0101", "poke at ds:5D15"},
      {"0:64A3=01", "poke at ds:64A3"},
      {"0:5AB5=0100", "inventory poke is not an object record"},
  };
  for (const auto& [poke, reason] : refused) {
    const fs::path t = newGameTrace("t", 3);
    std::ofstream(t / "run.json") << R"({"pokes": [")" << poke << "\"]}";
    const Replayed r = replay(t, from(0));
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.out, "t: stopped at step 1: not modelled: " + reason + "\nt: port matches the original for 1 steps, then stops\n");
  }
}

TEST_F(TraceTest, TheEndOfTheGameMatchesTheRecordedOutcomeOrNot) {
  const auto& lose = recording("lose.steps");
  std::vector<bool> restorableAt;
  const PlayResult played = playGame(content(), program(), lose, [&](const Step& step) {
    restorableAt.push_back(restorable(step.sim->state));
    return true;
  });
  ASSERT_EQ(played.endCode, 1u) << "the lost game does not end in game over";
  std::int64_t start = played.steps - 80;
  while (start > 0 && !restorableAt[static_cast<std::size_t>(start)]) --start;
  const std::int64_t last = played.steps - 1;
  const std::string after = std::to_string(last);
  const std::string run = R"({"outcomes": [{"after_step": )" + after + R"(, "outcome": "game_over"}]})";
  const std::vector<std::tuple<const char*, std::string, std::int64_t, int, std::string>> cases = {
      {"as recorded", run, 0, 0, "t: outcome after step " + after + " matches: game_over\n" +
                                     matched(last - start, std::to_string(start)) + "\n"},
      {"no outcomes", "{}", 0, 1, "t: DIVERGED after step " + after + ": port game_over, original continues or differs\n"},
      {"another step", R"({"outcomes": [{"after_step": 1, "outcome": "game_over"}]})", 0, 1,
       "t: DIVERGED after step " + after + ": port game_over, original continues or differs\n"},
      {"the rows end first", run, 10, 1, "t: DIVERGED: the original ended the game but the port did not\n"},
      {"the rows end first, no outcomes", "{}", 10, 0, matched(last - 10 - start, std::to_string(start)) + "\n"},
  };
  for (const auto& [what, runJson, cut, code, out] : cases) {
    SCOPED_TRACE(what);
    Recording slice;
    slice.first = start;
    slice.end = played.steps - cut;
    recordTrace(content(), program(), lose, dir() / "t", slice);
    std::ofstream(dir() / "t" / "run.json") << runJson;
    const Replayed r = replay(dir() / "t", from(static_cast<int>(start)));
    EXPECT_EQ(r.code, code);
    EXPECT_TRUE(std::regex_match(r.out, std::regex(out))) << r.out;
  }
}

}  // namespace
}  // namespace tracetest

namespace tracetest {
namespace {

// Steps of the won game up to a little after its first speech bubble.
std::int64_t stepsPastFirstBubble() {
  sim::Simulation sim(TraceTest::content(), TraceTest::program());
  sim.newGame();
  std::int64_t step = 0;
  const auto bubble = [&] {
    const bool seen = std::any_of(sim.ops.begin(), sim.ops.end(), [](const auto& op) { return op.kind == sim::PageOpKind::Bubble; });
    sim.ops.clear();
    return seen;
  };
  for (std::uint8_t input : winInputs()) {
    const bool seen = sim.beginStep(input) && (bubble() | (sim.endStep() && bubble()));
    if (seen || ++step >= 3000) break;
  }
  return step + 20;
}

TEST_F(TraceTest, PicturesAreComparedWithTheReferenceFrames) {
  const auto graphics = render::loadGameGraphics(data_test::kRoot);
  ASSERT_TRUE(graphics.has_value());
  Recording recording;
  recording.graphics = &*graphics;
  const fs::path t = newGameTrace("t", stepsPastFirstBubble(), recording);
  std::vector<fs::path> references;
  for (const auto& entry : fs::directory_iterator(t / "frames")) references.push_back(entry.path());
  std::sort(references.begin(), references.end());
  ASSERT_GT(references.size(), 3u);
  app::ReplayOptions options = from(-1, true);
  options.graphics = &*graphics;
  const std::string summary = matched(static_cast<std::int64_t>(readRows(t).size()), "0");

  Replayed r = replay(t, options);
  EXPECT_EQ(r.code, 0);
  EXPECT_TRUE(std::regex_match(r.out, std::regex(summary + ", " + std::to_string(references.size()) + " frames pixel for pixel\n"))) << r.out;
  EXPECT_TRUE(fs::exists("build/frames/t/bubble_000.png")) << "a speech bubble's picture";

  // One pixel off in the fourth reference picture.
  const fs::path reference = references[3];
  const std::string step = reference.stem().string().substr(5);
  auto picture = assets::loadIndexedPng(reference);
  ASSERT_TRUE(picture.has_value());
  const std::vector<std::uint8_t> port = picture->pixels;
  const std::vector<std::uint8_t> palette(48, 0);
  picture->pixels[60 * 320 + 7] ^= 1;
  assets::saveIndexedPng(reference, 320, 200, picture->pixels, palette);
  r = replay(t, options);
  EXPECT_EQ(r.code, 1);
  const std::string frameLine = "t: FRAME DIFFERS at step " + std::to_string(std::stoi(step)) + " (frame " +
                                std::to_string(std::stoi(step)) + ") after 3 equal frames\n";
  EXPECT_EQ(r.out, "  frame: 1 pixels differ in (7,60)-(7,60); port frame saved to build/frames/t/step_" + step +
                       "_port.png\n" + frameLine);
  const auto saved = assets::loadIndexedPng("build/frames/t/step_" + step + "_port.png");
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->pixels, port);

  // Pictures that cannot be written: no claim that the port frame was saved.
  fs::remove_all("build");
  std::ofstream("build") << "not a folder";
  r = replay(t, options);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "  frame: 1 pixels differ in (7,60)-(7,60)\n" + frameLine);
  EXPECT_EQ(r.err, "[error] cannot write build/frames/t/step_" + step + "_port.png\n");
  fs::remove("build");

  // A reference of the wrong size differs without a pixel count.
  assets::saveIndexedPng(reference, 320, 199, std::vector<std::uint8_t>(320 * 199, 0), palette);
  r = replay(t, options);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, frameLine);

  // No reference pictures: nothing to compare, but the bubbles' pictures are
  // owed; the summary stays, and the exit code says they were not written.
  fs::remove_all(t / "frames");
  r = replay(t, options);
  EXPECT_EQ(r.code, 0);
  EXPECT_TRUE(std::regex_match(r.out, std::regex(summary + ", 0 frames pixel for pixel\n"))) << r.out;
  fs::remove_all("build");
  std::ofstream("build") << "not a folder";
  r = replay(t, options);
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(std::regex_match(r.out, std::regex(summary + ", 0 frames pixel for pixel\n"))) << r.out;
  EXPECT_EQ(r.err, "[error] cannot write build/frames/t/bubble_000.png\n");
}

}  // namespace
}  // namespace tracetest
