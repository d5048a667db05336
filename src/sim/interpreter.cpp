#include <memory>
#include <string>

#include "sim/simulation.h"
#include "world/world.h"

namespace sim {

namespace {

// Byte operands occupy one byte in the DOS script area, so only their low byte
// ever reached the engine: -1 in a world file means 255.
std::uint8_t u8(int v) { return static_cast<std::uint8_t>(v); }

}  // namespace

ObjectState& Simulation::object(int index) {
  if (index < 0 || index >= static_cast<int>(state.objects.size())) {
    notModelled("object " + std::to_string(index));
  }
  return state.objects[static_cast<std::size_t>(index)];
}

int Simulation::run(EntityState& entity, int pc) {
  GameState& s = state;
  const int count = static_cast<int>(program.instrs.size());
  for (;;) {
    // Every code block ends in a block-end instruction; an index outside the
    // program can only come from a corrupted counter and ends the same way.
    if (pc < 0 || pc >= count) notModelled("a script ran past the end of its code block");
    if (++stepInstructions_ > kStepInstructionBudget) outOfInstructions(entity, pc);
    const Instr& in = program.instrs[static_cast<std::size_t>(pc)];
    const int next = pc + 1;
    switch (in.op) {
      case kOpSetw:
        entity.graphic = in.target;
        break;
      case kOpWait:
        entity.wait = u8(in.a) == 255 ? s.result : u8(in.a);
        return next;
      case kOpRnd:
        s.result = u8((rng() & in.a) + in.b);
        break;
      case kOpJge:
        if (u8(in.a) >= s.result) {
          pc = in.target;
          continue;
        }
        break;
      case kOpLoop:
        entity.loopCount = u8(in.a) == 255 ? s.result : u8(in.a);
        entity.loopStart = next;
        break;
      case kOpEndloop:
        entity.loopCount = u8(entity.loopCount - 1);
        if (entity.loopCount != 0) {
          pc = entity.loopStart;
          continue;
        }
        break;
      case kOpJmp:
      case kOpGoto:
        pc = in.target;
        continue;
      case kOpScore:
        s.score = u8(s.score + 2);
        s.scoreRedraw = 2;
        break;
      case kOpSetvar:
        entity.var = u8(in.a);
        break;
      case kOpIncvar:
        entity.var = u8(entity.var + 1);
        break;
      case kOpJeqvar:
        if (u8(in.a) == entity.var) {
          pc = in.target;
          continue;
        }
        break;
      case kOpSetflag:
        s.flags[u8(in.a)] = 1;
        break;
      case kOpClrflag:
        s.flags[u8(in.a)] = 0;
        break;
      case kOpJflag:
        if (s.flags[u8(in.a)] != 0) {
          pc = in.target;
          continue;
        }
        break;
      case kOpJcarried:
        if (object(in.a).room == kRoomCarried) {
          pc = in.target;
          continue;
        }
        break;
      case kOpDestroy:
        for (auto& slot : s.carried) {
          if (slot >= 0 && slot < static_cast<int>(s.objects.size()) &&
              s.objects[static_cast<std::size_t>(slot)].id == in.a) {
            slot = -1;
            break;
          }
        }
        object(in.a).room = kRoomGone;
        break;
      case kOpPlace: {
        const std::uint8_t where = u8(in.b);
        const std::uint8_t room = where < 128 ? where : s.room;
        object(in.a).room = room;
        if (where != 254) {
          redrawOnce();
          flipPages();
          redrawOnce();
        }
        break;
      }
      case kOpSetscript:
        entity.pc = in.target;
        entity.wait = 0;
        break;
      case kOpSayAt: {
        int x = u8(in.a), y = u8(in.b), c = u8(in.c);
        if (s.templateActive == 1) {
          if (pc == program.conversation[0]) {
            x = s.templateX;
            y = s.templateY;
            c = s.templateExtra;
          } else if (pc == program.conversation[1] || pc == program.conversation[2] ||
                     pc == program.conversation[3]) {
            x = u8(s.templateX - 2);
            y = u8(s.templateY - 2);
            c = u8(s.templateExtra + 2);
          }
        }
        bubble(x, y, u8(x + c), in.text);
        break;
      }
      case kOpSay:
        say(in.a, in.text);
        break;
      case kOpTemplate: {
        s.templateX = u8(in.a);
        s.templateY = u8(in.a >> 8);
        s.templateExtra = u8(in.b);
        s.templateActive = 1;
        const int start = program.label("L_756D");
        if (start < 0) notModelled("template: no conversation sequence L_756D");
        pc = start;
        continue;
      }
      case kOpTeleport:
        teleport(in);
        return next;
      case kOpNative:
        s.result = callNative(static_cast<Native>(in.native));
        break;
      case kOpNativeEnd:
        callNative(static_cast<Native>(in.native));
        return next;
      case kOpYield:
        return pc;
      case kOpEnd:
        return next;
      case kOpAskFire:
        if (nearObject() >= 0 || !(s.pressed & kInputFire)) return next;
        s.pressed = u8(s.pressed & ~kInputFire);
        s.armed = u8(s.armed & ~kInputFire);
        break;
      case kOpStop:
        return -1;
      case kOpBlockEnd:
        notModelled("a script ran past the end of its code block");
      default:
        break;
    }
    pc = next;
  }
}

void Simulation::outOfInstructions(const EntityState& entity, int pc) const {
  // Named the way a world author finds it: the entity's number in the world
  // file, the instruction and the code label it lies under.
  const std::ptrdiff_t index = &entity - state.entities.data();
  const std::string who = index >= 0 && index < static_cast<std::ptrdiff_t>(state.entities.size())
                              ? "entity " + std::to_string(index)
                              : std::string("a script");
  const Instr& in = program.instrs[static_cast<std::size_t>(pc)];
  std::string name = "opcode " + std::to_string(in.op);
  for (const OpInfo& row : kOps) {
    if (row.opcode == in.op) name = row.name;
  }
  std::string where;
  int start = -1;
  for (const auto& [label, at] : program.labels) {
    if (at <= pc && (at > start || (at == start && label < where))) {
      where = label;
      start = at;
    }
  }
  if (start >= 0) where = ", " + where + (pc > start ? " + " + std::to_string(pc - start) : "");
  notModelled(who + " ran " + std::to_string(kStepInstructionBudget) +
              " script instructions in one step without waiting (" + name + " at instruction " +
              std::to_string(pc) + where + ")");
}

void Simulation::teleport(const Instr& in) {
  GameState& s = state;
  const std::uint8_t roomByte = u8(in.a);
  std::shared_ptr<const GameState> snapshot;
  if (!(roomByte & 0x80) && s.fadeEnabled == 1) snapshot = std::make_shared<const GameState>(s);
  s.room = roomByte & 0x7F;
  // The position operands are DOS words: a negative word leaves the axis alone.
  const std::int16_t x = static_cast<std::int16_t>(in.b);
  const std::int16_t y = static_cast<std::int16_t>(in.c);
  if (x >= 0) s.x = x;
  if (y >= 0) s.y = y;
  if (snapshot) {
    s.targetPalette.fill(0);
    while (fadeOneFrame()) {
    }
    ops.emplace_back();
    ops.back().kind = PageOpKind::Teleport;
    ops.back().snapshot = std::move(snapshot);
  }
  if (static_cast<std::int8_t>(in.d) >= 0) s.tune = u8(in.d);
}

}  // namespace sim
