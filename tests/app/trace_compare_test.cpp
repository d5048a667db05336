// The state comparison seen through the replay: a difference planted in one
// compared group of a recorded snapshot gives exactly that group's line.

#include "app/trace/trace_state.h"
#include "trace_fixture.h"

namespace tracetest {
namespace {

using State = sim::GameState;
using Plant = std::function<std::string(State&)>;  // changes the state, returns the line after "name: "

std::string two(const std::string& port, const std::string& original) {
  return "port " + port + ", original " + original;
}
template <class... T>
std::string list(T... v) {
  return app::trace::listText({static_cast<std::int64_t>(v)...});
}
std::string indexed(std::size_t k, std::int64_t port, std::int64_t original) {
  return "(index port/original) [" + std::to_string(k) + "] " + std::to_string(port) + "/" + std::to_string(original);
}

template <class T>
Plant bump(T State::*member) {
  return [member](State& s) {
    const auto port = s.*member;
    s.*member = static_cast<T>(port + 1);
    return two(list(port), list(s.*member));
  };
}
// One byte of a record group: `k` is the value's index in the group.
template <class Get>
Plant byteOf(std::size_t k, Get get) {
  return [k, get](State& s) {
    auto& v = get(s);
    const auto port = v;
    v = static_cast<std::remove_reference_t<decltype(v)>>(port + 1);
    return indexed(k, port, v);
  };
}
std::int64_t code(std::int32_t index) { return index < 0 ? 0 : TraceTest::program().layout.codeAddress.at(static_cast<std::size_t>(index)); }
std::int64_t pointer(std::int32_t object) { return object < 0 ? 0xFFFF : 0x6AA1 + 6 * object; }

const std::vector<std::pair<std::string, Plant>>& groups() {
  static const std::vector<std::pair<std::string, Plant>> table = {
      {"room", bump(&State::room)},
      {"x", bump(&State::x)},
      {"y", bump(&State::y)},
      {"vy", bump(&State::vy)},
      {"pstate", bump(&State::state)},
      {"pframe", bump(&State::frame)},
      {"pcount", bump(&State::counter)},
      {"on_ground", bump(&State::onGround)},
      {"idle_anim", bump(&State::idleAnim)},
      {"frame_counter", bump(&State::frameCounter)},
      {"energy", bump(&State::energy)},
      {"lives", bump(&State::lives)},
      {"score", bump(&State::score)},
      {"dying", [](State& s) {
         const std::string port = list(s.dying, s.countdown);
         ++s.countdown;
         return two(port, list(s.dying, s.countdown));
       }},
      {"checkpoint", [](State& s) {
         const std::string port = list(s.checkpointX, s.checkpointY, s.checkpointRoom, s.checkpointArmed);
         s.checkpointArmed ^= 1;
         return two(port, list(s.checkpointX, s.checkpointY, s.checkpointRoom, s.checkpointArmed));
       }},
      {"rng", [](State& s) {
         const std::string port = list(s.rng[0], s.rng[1], s.rng[2]);
         ++s.rng[1];
         return two(port, list(s.rng[0], s.rng[1], s.rng[2]));
       }},
      {"input", [](State& s) {
         const std::string port = list(s.pressed, s.armed);
         ++s.armed;
         return two(port, list(s.pressed, s.armed));
       }},
      {"tune", bump(&State::tune)},
      {"carried", [](State& s) {
         const std::string port = list(s.anchorX, s.anchorY, s.rideStage);
         ++s.anchorY;
         return two(port, list(s.anchorX, s.anchorY, s.rideStage));
       }},
      {"throw", [](State& s) {
         const std::string port = list(static_cast<std::int16_t>(s.throwX), static_cast<std::int16_t>(s.throwY), s.throwVy);
         s.throwVy = -300;
         return two(port, list(static_cast<std::int16_t>(s.throwX), static_cast<std::int16_t>(s.throwY), -300));
       }},
      {"message_open", [](State& s) {
         const std::string port = list(s.messageOpen);
         s.messageOpen ^= 1;
         return two(port, list(s.messageOpen));
       }},
      {"mover", [](State& s) {
         const std::string port = list(s.moverFrame, s.moverTicks, s.moverX, s.moverY);
         ++s.moverTicks;
         return two(port, list(s.moverFrame, s.moverTicks, s.moverX, s.moverY));
       }},
      {"follower", [](State& s) {
         const std::string port = list(s.followerX8, s.followerY);
         ++s.followerY;
         return two(port, list(s.followerX8, s.followerY));
       }},
      {"batted", [](State& s) {
         const std::string port = list(s.batted);
         s.batted = s.batted == 3 ? 4 : 3;
         return two(port, list(s.batted));
       }},
      {"chandelier_speed", bump(&State::chandelierSpeed)},
      {"redraw counters (lift, score)", [](State& s) {
         const std::string port = list(s.liftRedraw, s.scoreRedraw);
         ++s.scoreRedraw;
         return two(port, list(s.liftRedraw, s.scoreRedraw));
       }},
      {"shared_ip", [](State& s) {
         const std::int64_t port = code(s.sharedPc);
         s.sharedPc = s.sharedPc + 1;
         return two(list(port), list(code(s.sharedPc)));
       }},
      {"first_actor", bump(&State::firstActor)},
      {"current_lift", [](State& s) {
         const std::string port = list(s.currentLift < 0 ? 255 : s.currentLift);
         s.currentLift = s.currentLift == 0 ? 1 : 0;
         return two(port, list(s.currentLift));
       }},
      {"actors (14 bytes each)", byteOf(2 * 14 + 4, [](State& s) -> auto& { return s.actors.at(2).frame; })},
      {"pool2 (14 bytes each)", byteOf(7 * 14 + 13, [](State& s) -> auto& { return s.pool2[7].dir; })},
      {"lifts (13 bytes each)", byteOf(13 + 9, [](State& s) -> auto& { return s.lifts.at(1).h; })},
      {"flags", byteOf(21, [](State& s) -> auto& { return s.flags[21]; })},
      {"objects (6 bytes each)", byteOf(10 * 6 + 4, [](State& s) -> auto& { return s.objects.at(10).seen; })},
      {"inventory", [](State& s) {
         const std::string port = list(pointer(s.carried[0]), pointer(s.carried[1]), pointer(s.carried[2]));
         s.carried[2] = s.carried[2] == 4 ? 5 : 4;
         return two(port, list(pointer(s.carried[0]), pointer(s.carried[1]), pointer(s.carried[2])));
       }},
      {"entities (ip gfx wait var)", byteOf(4 * 4 + 3, [](State& s) -> auto& { return s.entities.at(4).var; })},
      {"palette (target, current)", byteOf(48 + 5, [](State& s) -> auto& { return s.currentPalette[5]; })},
      {"tile cache, back page (cell index)", byteOf(799, [](State& s) -> auto& { return s.pageCache[s.page][19][39]; })},
      {"tile cache, front page (cell index)", byteOf(0, [](State& s) -> auto& { return s.pageCache[s.page ^ 1][0][0]; })},
  };
  return table;
}

class Planted : public TraceTest {
 protected:
  void SetUp() override {
    TraceTest::SetUp();
    // The hero stands still, so that an input read or not changes nothing else.
    const std::vector<std::uint8_t> still(3, 0);
    trace_ = newGameTrace("t", 3, {}, still);
    playGame(content(), program(), still, [this](const Step& step) {
      port_ = step.sim->state;
      return step.index < 1;
    });
    const auto held = readRows(trace_)[1]["held_read"];
    head_ = "t: DIVERGED at step 1 (frame 1), held " + std::to_string(held.is_null() ? 0 : held.get<int>() & 0xFF) + ":\n";
  }
  // Row 1 shows `state`; the replay starts from row 0.
  Replayed replayWith(const State& state, const app::ReplayOptions& options = from(0)) {
    writeSnapshot(trace_, 1, encodeSnapshot(state, program()));
    return replay(trace_, options);
  }

  fs::path trace_;
  State port_;  // the state the port has at row 1
  std::string head_;
};

TEST_F(Planted, EachGroupReportsItsOwnDifference) {
  ASSERT_EQ(groups().size(), 39u);
  EXPECT_EQ(replayWith(port_).code, 0) << "the unchanged snapshot must match";
  for (const auto& [name, plant] : groups()) {
    State original = port_;
    const std::string tail = plant(original);
    const Replayed r = replayWith(original);
    EXPECT_EQ(r.code, 1) << name;
    EXPECT_EQ(r.out, head_ + "  " + name + ": " + tail + "\n");
  }
}

TEST_F(Planted, InputReadComesFirstThenTheGroupsInOrderAndLongListsStopAtTwelve) {
  State original = port_;
  ++original.x;
  ++original.room;
  for (int k = 0; k < 20; ++k) ++original.flags[static_cast<std::size_t>(k)];
  auto rows = readRows(trace_);
  rows[1]["held_read"] = nullptr;
  writeRows(trace_, rows);
  app::ReplayOptions verbose = from(0);
  verbose.verbose = true;
  const Replayed r = replayWith(original, verbose);
  std::string flags = "  flags: (index port/original)";
  for (int k = 0; k < 12; ++k) {
    const int port = port_.flags[static_cast<std::size_t>(k)];
    flags += " [" + std::to_string(k) + "] " + std::to_string(port) + "/" + std::to_string((port + 1) & 0xFF);
  }
  const State& s = port_;
  char status[120];
  std::snprintf(status, sizeof status, "step 1: room %d x %d y %d vy %d state %d frame %d energy %d\n", s.room, s.x,
                s.y, s.vy, s.state, s.frame, s.energy);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, status + std::string("t: DIVERGED at step 1 (frame 1), held 0:\n") +
                       "  input read: port 1, original 0\n  room: " + two(list(s.room), list(s.room + 1)) +
                       "\n  x: " + two(list(s.x), list(s.x + 1)) + "\n" + flags + "\n");

  // The other way round: the port reads no input (no energy left) where the trace did.
  rows[1]["held_read"] = 0;
  writeRows(trace_, rows);
  auto start = readSnapshot(trace_, 0);
  start[0x5AB0] = 0;
  writeSnapshot(trace_, 0, start);
  EXPECT_EQ(replayWith(port_).out.substr(0, head_.size() + 33), head_ + "  input read: port 0, original 1\n");
}

TEST(TraceLists, OneValueStandsAloneOthersAreBracketed) {
  EXPECT_EQ(app::trace::listText({}), "[]");
  EXPECT_EQ(app::trace::listText({-7}), "-7");
  EXPECT_EQ(app::trace::listText({1, 5}), "[1 5]");
}

}  // namespace
}  // namespace tracetest
