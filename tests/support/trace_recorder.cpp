#include "support/trace_recorder.h"

#include <cstdio>
#include <memory>

#include "assets/indexed_image.h"
#include "render/game_renderer.h"

namespace tracetest {

namespace {

// Parts of the segment that the game state has no member for: the recorder
// chooses them, the replay follows the pointers to them.
constexpr std::size_t kEntityRoomByte = 0x0600;
constexpr std::size_t kBackPageCells = 0x0800;
constexpr std::size_t kFrontPageCells = 0x0E40;

class Segment {
 public:
  Segment() : bytes_(kSnapshotSize, 0) {}
  void u8(std::size_t at, int v) { bytes_.at(at) = static_cast<std::uint8_t>(v & 0xFF); }
  void u16(std::size_t at, int v) {
    u8(at, v);
    u8(at + 1, v >> 8);
  }
  std::vector<std::uint8_t> take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

int codeAddress(const sim::ScriptProgram& p, int index) {
  return index < 0 ? 0 : p.layout.codeAddress.at(static_cast<std::size_t>(index));
}

int gfxAddress(const sim::ScriptProgram& p, int index) {
  return index < 0 ? 0 : p.layout.gfxAddress.at(static_cast<std::size_t>(index));
}

void putActor(Segment& d, std::size_t at, const sim::ActorState& a) {
  d.u16(at, a.x);
  d.u16(at + 2, a.y);
  d.u8(at + 4, a.frame);
  d.u8(at + 5, a.state);
  d.u8(at + 6, a.anim);
  d.u8(at + 7, a.room);
  d.u16(at + 8, a.rangeA);
  d.u16(at + 10, a.rangeB);
  d.u8(at + 12, a.graphic);
  d.u8(at + 13, a.dir);
}

void putPage(Segment& d, std::size_t pointer, std::size_t cells, const sim::GameState& s, int page) {
  d.u16(pointer, static_cast<int>(cells));
  for (int r = 0; r < sim::kCacheRows; ++r) {
    for (int c = 0; c < sim::kCacheCols; ++c) {
      d.u16(cells + 80 * static_cast<std::size_t>(r) + 2 * static_cast<std::size_t>(c),
            s.pageCache[static_cast<std::size_t>(page)][static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
    }
  }
}

}  // namespace

void putU16(std::vector<std::uint8_t>& snapshot, std::size_t at, std::uint16_t value) {
  snapshot.at(at) = static_cast<std::uint8_t>(value & 0xFF);
  snapshot.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
}

std::vector<std::uint8_t> encodeSnapshot(const sim::GameState& s, const sim::ScriptProgram& program) {
  Segment d;
  d.u8(0x5D14, s.room);
  d.u16(0x5AA9, s.x);
  d.u16(0x5AAB, s.y);
  d.u16(0x5AA1, s.vy);
  d.u8(0x5AAD, s.frame);
  d.u8(0x5AAE, s.state);
  d.u8(0x5AAF, s.counter);
  d.u8(0x5AA4, s.onGround);
  d.u16(0x5D12, s.idleAnim);
  d.u8(0x5AB0, s.energy);
  d.u8(0x5D16, s.lives);
  d.u8(0x58F0, s.score);
  d.u8(0x5AB1, s.dying);
  d.u8(0x5AB2, s.countdown);
  d.u16(0x5D0, s.checkpointX);
  d.u16(0x5D2, s.checkpointY);
  d.u8(0x5D4, s.checkpointRoom);
  d.u8(0x5D5, s.checkpointArmed);
  d.u8(0x5AA3, s.frameCounter);
  d.u8(0x5D8, s.tune);
  for (std::size_t k = 0; k < 3; ++k) d.u8(0x58F8 + k, s.rng[k]);
  d.u16(0x5A90, s.anchorX);
  d.u16(0x5A92, s.anchorY);
  d.u8(0x5A94, s.rideStage);
  d.u8(0x2112, s.pressed);
  d.u8(0x2113, s.armed);
  for (std::size_t k = 0; k < s.flags.size(); ++k) d.u8(0x63A3 + k, s.flags[k]);
  for (std::size_t k = 0; k < s.objects.size(); ++k) {
    const sim::ObjectState& o = s.objects[k];
    const std::size_t at = 0x6AA1 + 6 * k;
    d.u8(at, o.room);
    d.u8(at + 1, o.x8);
    d.u8(at + 2, o.y);
    d.u8(at + 3, o.graphic);
    d.u8(at + 4, o.seen);
    d.u8(at + 5, o.id);
  }
  for (std::size_t slot = 0; slot < 3; ++slot) {
    d.u16(0x5AB5 + 2 * slot, s.carried[slot] < 0 ? 0xFFFF : 0x6AA1 + 6 * s.carried[slot]);
  }
  for (std::size_t k = 0; k < s.entities.size(); ++k) {
    const sim::EntityState& e = s.entities[k];
    const std::size_t at = 0x90DD + 15 * k;
    d.u8(at, program.entities.at(k).room);
    d.u16(at + 3, codeAddress(program, e.pc));
    d.u16(at + 7, gfxAddress(program, e.graphic));
    d.u8(at + 9, e.wait);
    d.u8(at + 11, e.loopCount);
    d.u16(at + 12, codeAddress(program, e.loopStart));
    d.u8(at + 14, e.var);
  }
  d.u16(0x63A1, static_cast<int>(kEntityRoomByte));
  d.u8(kEntityRoomByte, s.entityRoom);
  d.u8(0x63A0, s.messageOpen);
  putPage(d, 0x210C, kBackPageCells, s, s.page & 1);
  putPage(d, 0x210E, kFrontPageCells, s, (s.page & 1) ^ 1);
  d.u16(0x5A9B, s.throwX);
  d.u16(0x5A9D, s.throwY);
  d.u16(0x5A9F, s.throwVy);
  for (std::size_t k = 0; k < 48; ++k) {
    d.u8(0x20A8 + k, s.targetPalette[k]);
    d.u8(0x20D8 + k, s.currentPalette[k]);
  }
  d.u8(0x25C, s.fadeEnabled == 1 ? 0 : 1);
  for (std::size_t k = 0; k < s.actors.size(); ++k) putActor(d, 0x5B4F + 14 * k, s.actors[k]);
  for (std::size_t k = 0; k < s.pool2.size(); ++k) putActor(d, 0x5BCD + 14 * k, s.pool2[k]);
  d.u16(0x5AA7, s.batted < 0 ? 0 : 0x5BCD + 14 * s.batted);
  d.u8(0x5A95, s.moverFrame);
  d.u8(0x5A96, s.moverTicks);
  d.u16(0x5A97, s.moverX);
  d.u16(0x5A99, s.moverY);
  d.u8(0x5ADD, s.followerX8);
  d.u8(0x5ADE, s.followerY);
  d.u16(0x5A8E, s.chandelierSpeed);
  d.u8(0x7580, s.templateX);
  d.u8(0x7581, s.templateY);
  d.u8(0x7582, s.templateExtra);
  // The copy that marks the template as drawn; an inactive template leaves it
  // one off.
  const int off = s.templateActive ? 0 : 1;
  d.u8(0x75C9, s.templateX - 2 + off);
  d.u8(0x75CA, s.templateY - 2);
  d.u8(0x75CB, s.templateExtra + 2);
  d.u8(0x58FF, s.liftRedraw);
  d.u8(0x58F1, s.scoreRedraw);
  for (std::size_t k = 0; k < s.lifts.size(); ++k) {
    const sim::LiftBytes b = sim::packLift(s.lifts[k]);
    for (std::size_t i = 0; i < b.size(); ++i) d.u8(0x5C65 + 13 * k + i, b[i]);
  }
  d.u8(0x5C65 + 13 * s.lifts.size() + 7, 255);
  d.u16(0x58FD, s.currentLift < 0 ? 0 : 0x5C65 + 13 * s.currentLift);
  d.u16(0x58FB, 0x5B4F + 14 * s.firstActor);
  d.u16(0x771C, codeAddress(program, s.sharedPc));
  return d.take();
}

std::string rowLine(const TraceRow& row) {
  char line[200];
  std::snprintf(line, sizeof line, R"({"step": %lld, "frame": %lld, "room": %d, "pstate": %d, "held_read": )",
                static_cast<long long>(row.step), static_cast<long long>(row.frame), row.room, row.pstate);
  return std::string(line) + (row.heldRead ? std::to_string(*row.heldRead) : "null") + "}";
}

TraceWriter::TraceWriter(const std::filesystem::path& folder) : folder_(folder) {
  std::filesystem::create_directories(folder);
  rows_.open(folder / "state.jsonl", std::ios::binary | std::ios::trunc);
  snapshots_.open(folder / "dgroup.bin", std::ios::binary | std::ios::trunc);
}

void TraceWriter::add(const TraceRow& row, const std::vector<std::uint8_t>& snapshot) {
  addLine(rowLine(row));
  snapshots_.write(reinterpret_cast<const char*>(snapshot.data()), static_cast<std::streamsize>(snapshot.size()));
}

void TraceWriter::addLine(const std::string& line) { rows_ << line << '\n'; }

void TraceWriter::writeRun(const std::string& json) const {
  std::ofstream(folder_ / "run.json", std::ios::binary | std::ios::trunc) << json;
}

void TraceWriter::close() {
  rows_.close();
  snapshots_.close();
}

PlayResult playGame(const sim::Content& content, const sim::ScriptProgram& program,
                    const std::vector<std::uint8_t>& inputs, const std::function<bool(const Step&)>& visit,
                    const render::GameGraphics* graphics,
                    const std::function<void(const Step&, const render::Framebuffer&)>& picture) {
  sim::Simulation sim(content, program);
  sim.newGame();
  std::unique_ptr<render::GameRenderer> renderer;
  if (graphics) renderer = std::make_unique<render::GameRenderer>(*graphics, *content.world);
  const auto drain = [&] {
    if (renderer) renderer->apply(sim.ops);
    sim.ops.clear();
  };
  drain();
  PlayResult result;
  for (std::uint8_t input : inputs) {
    const Step step{result.steps, input, &sim};
    ++result.steps;
    if (!sim.beginStep(input)) break;
    drain();
    if (renderer && picture && renderer->pageFlags[renderer->drawPage ^ 1] == 3) {
      render::Framebuffer fb;
      renderer->compose(sim.state, fb);
      picture(step, fb);
    }
    if (!visit(step)) break;
    const bool going = sim.endStep();
    drain();
    if (!going || sim.state.endCode != 0) break;
  }
  result.endCode = sim.state.endCode;
  result.stopText = sim.error;
  return result;
}

PlayResult recordTrace(const sim::Content& content, const sim::ScriptProgram& program,
                       const std::vector<std::uint8_t>& inputs, const std::filesystem::path& folder,
                       const Recording& recording) {
  TraceWriter writer(folder);
  const auto inSlice = [&](const Step& step) { return step.index >= recording.first && step.index < recording.end; };
  std::vector<std::uint8_t> palette;
  if (recording.graphics) {
    for (const auto& colour : recording.graphics->palette.colors) {
      const auto rgb = assets::Palette::toRgb8(colour);
      palette.insert(palette.end(), rgb.begin(), rgb.end());
    }
  }
  const auto picture = [&](const Step& step, const render::Framebuffer& fb) {
    if (!inSlice(step)) return;
    char name[40];
    std::snprintf(name, sizeof name, "step_%05lld.png", static_cast<long long>(step.index));
    assets::saveIndexedPng(folder / "frames" / name, 320, 200, fb.pixels, palette);
  };
  const auto visit = [&](const Step& step) {
    if (step.index >= recording.end) return false;
    if (!inSlice(step)) return true;
    const sim::Simulation& sim = *step.sim;
    TraceRow row;
    row.step = step.index;
    row.frame = step.index;
    row.room = sim.state.room;
    row.pstate = sim.state.state;
    if (sim.alive) row.heldRead = step.input;
    writer.add(row, encodeSnapshot(sim.state, program));
    if (recording.afterRow) recording.afterRow(step);
    return true;
  };
  const PlayResult result = playGame(content, program, inputs, visit, recording.graphics,
                                     recording.graphics ? std::function(picture) : nullptr);
  if (result.endCode != 0 && result.steps <= recording.end) {
    const char* outcome = result.endCode == 1 ? "game_over" : "ending";
    writer.writeRun(R"({"outcomes": [{"after_step": )" + std::to_string(result.steps - 1) + R"(, "outcome": ")" +
                    outcome + "\"}]}");
  }
  writer.close();
  return result;
}

}  // namespace tracetest
