#include <string>
#include <unordered_map>
#include <variant>

#include "core/log.h"
#include "sim/script_program.h"
#include "world/world.h"

namespace sim {

const std::array<OpInfo, kOpCount> kOps = {{
    {"setw", kOpSetw, "w"},         {"wait", kOpWait, "b"},
    {"rnd", kOpRnd, "bb"},          {"jge", kOpJge, "br"},
    {"loop", kOpLoop, "b"},         {"endloop", kOpEndloop, ""},
    {"jmp", kOpJmp, "r"},           {"goto", kOpGoto, "w"},
    {"score", kOpScore, ""},        {"setvar", kOpSetvar, "b"},
    {"incvar", kOpIncvar, ""},      {"jeqvar", kOpJeqvar, "br"},
    {"setflag", kOpSetflag, "b"},   {"clrflag", kOpClrflag, "b"},
    {"jflag", kOpJflag, "br"},      {"jcarried", kOpJcarried, "br"},
    {"destroy", kOpDestroy, "b"},   {"place", kOpPlace, "bb"},
    {"setscript", kOpSetscript, "w"}, {"say_at", kOpSayAt, "bbbt"},
    {"say", kOpSay, "bt"},          {"template", kOpTemplate, "wb"},
    {"teleport", kOpTeleport, "bwwb"}, {"native", kOpNative, "w"},
    {"native_end", kOpNativeEnd, "w"}, {"yield", kOpYield, ""},
    {"end", kOpEnd, ""},            {"ask_fire", kOpAskFire, ""},
    {"stop", kOpStop, ""},
}};

const std::array<NativeInfo, kNativeCount> kNatives = {{
    {"redraw", Native::Redraw},
    {"take_energy", Native::TakeEnergy},
    {"take_energy_even_steps", Native::TakeEnergyEvenSteps},
    {"throw_start", Native::ThrowStart},
    {"throw_fall", Native::ThrowFall},
    {"on_tile_38C", Native::OnTile38C},
    {"ride_right", Native::RideRight},
    {"ride_left", Native::RideLeft},
    {"jump_left", Native::JumpLeft},
    {"jump_right", Native::JumpRight},
    {"state_minus_9", Native::StateMinus9},
    {"hurt", Native::Hurt},
    {"spawn_ball", Native::SpawnBall},
    {"lift29_type2", Native::Lift29Type2},
    {"lift29_down", Native::Lift29Down},
    {"lift29_up", Native::Lift29Up},
    {"set_x_243", Native::SetX243},
    {"objects_at_spot", Native::ObjectsAtSpot},
    {"shared_thread_next", Native::SharedThreadNext},
    {"no_lives", Native::NoLives},
    {"flash", Native::Flash},
    {"flash_to_room_61", Native::FlashToRoom61},
    {"no_energy", Native::NoEnergy},
}};

const OpInfo* findOp(const std::string& name) {
  for (const auto& row : kOps) {
    if (name == row.name) return &row;
  }
  return nullptr;
}

namespace {

using world::BlockKind;
using LabelMap = std::unordered_map<std::string, int>;

const char* const kWrongType = "scripts: an operand has the wrong type (number, label or text)";

const std::string* asName(const world::ScriptOperand& operand) {
  return std::get_if<std::string>(&operand);
}

const std::int32_t* asNumber(const world::ScriptOperand& operand) {
  return std::get_if<std::int32_t>(&operand);
}

// Bytes the text takes in the DOS script area: one per character, except that a
// backslash followed by "x" starts a four-character escape worth one byte.
std::size_t encodedLength(const std::string& text) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'x') {
      i += 4;
    } else {
      i += 1;
    }
    length += 1;
  }
  return length;
}

int nativeId(const std::string& name) {
  for (const auto& row : kNatives) {
    if (name == row.name) return static_cast<int>(row.id);
  }
  return -1;
}

bool isCode(const std::vector<world::ScriptBlock>& blocks, std::size_t i) {
  return i < blocks.size() && blocks[i].kind == BlockKind::Code;
}

class Compiler {
 public:
  explicit Compiler(const world::World& world) : world_(world) {}

  std::optional<ScriptProgram> compile() {
    if (!layout() || !instructions() || !entities()) return std::nullopt;
    conversation();
    return std::move(program_);
  }

 private:
  bool fail(const char* format, const std::string& a = {}, const std::string& b = {}) {
    core::log(core::LogLevel::Error, format, a.c_str(), b.c_str());
    return false;
  }

  bool layout() {
    const auto& blocks = world_.scripts;
    std::uint16_t address = kScriptBase;
    int counter = 0;
    auto& out = program_.layout;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      const auto& block = blocks[i];
      switch (block.kind) {
        case BlockKind::Code: {
          program_.labels[block.label] = counter;
          for (const auto& op : block.ops) {
            if (op.name == "label") {
              if (op.args.empty()) return fail("script %s: %s lacks operands", block.label, op.name);
              const std::string* name = asName(op.args[0]);
              if (!name) return fail(kWrongType);
              program_.labels[*name] = counter;
              continue;
            }
            const OpInfo* row = findOp(op.name);
            if (!row) return fail("script %s: unknown opcode '%s'", block.label, op.name);
            out.codeIndex[address] = counter;
            out.codeAddress.push_back(address);
            std::size_t size = 1;
            const std::string letters = row->operands;
            for (std::size_t k = 0; k < letters.size(); ++k) {
              const char letter = letters[k];
              if (letter == 'b' || letter == 'r') {
                size += 1;
              } else if (letter == 'w') {
                size += 2;
              } else if (k < op.args.size()) {
                const std::string* text = asName(op.args[k]);
                size += (text ? encodedLength(*text) : 0) + 1;
              }
            }
            address = static_cast<std::uint16_t>(address + size);
            ++counter;
          }
          if (!isCode(blocks, i + 1)) {
            out.codeAddress.push_back(address);
            ++counter;
          }
          break;
        }
        case BlockKind::Gfx: {
          const int index = static_cast<int>(program_.graphics.size());
          gfxLabels_[block.label] = index;
          out.gfxIndex[address] = index;
          out.gfxAddress.push_back(address);
          program_.graphics.push_back(GraphicList{block.cols, block.rows, block.tiles});
          address = static_cast<std::uint16_t>(address + 2 + 2 * block.tiles.size());
          break;
        }
        case BlockKind::Touch: {
          if (!isCode(blocks, i + 1)) return fail("touch box %s is not followed by its code", block.label);
          touchLabels_[block.label] = static_cast<int>(program_.touches.size());
          program_.touches.push_back(TouchBox{block.dx, block.dy, block.w, block.h, counter});
          address = static_cast<std::uint16_t>(address + 4);
          break;
        }
        case BlockKind::Raw:
          address = static_cast<std::uint16_t>(address + block.rawSize);
          break;
      }
    }
    return true;
  }

  int codeLabel(const world::ScriptOperand& operand) const {
    const std::string* name = asName(operand);
    if (!name) return -1;
    auto it = program_.labels.find(*name);
    return it == program_.labels.end() ? -1 : it->second;
  }

  bool instruction(const world::ScriptBlock& block, const world::ScriptOp& op) {
    const OpInfo* row = findOp(op.name);
    Instr instr;
    instr.op = row->opcode;
    const std::string letters = row->operands;
    if (op.args.size() < letters.size()) return fail("script %s: %s lacks operands", block.label, op.name);
    std::int32_t* numbers[] = {&instr.a, &instr.b, &instr.c, &instr.d};
    int nextNumber = 0;
    for (std::size_t k = 0; k < letters.size(); ++k) {
      const auto& operand = op.args[k];
      const char letter = letters[k];
      const bool numeric =
          letter == 'b' || (letter == 'w' && instr.op != kOpSetw && instr.op != kOpGoto &&
                            instr.op != kOpSetscript && instr.op != kOpNative && instr.op != kOpNativeEnd);
      if (numeric) {
        const std::int32_t* number = asNumber(operand);
        if (!number) return fail(kWrongType);
        *numbers[nextNumber++] = *number;
      } else if (letter == 't') {
        const std::string* text = asName(operand);
        if (!text) return fail(kWrongType);
        instr.text = *text;
      } else if (letter == 'r' || instr.op == kOpGoto || instr.op == kOpSetscript) {
        instr.target = codeLabel(operand);
        if (instr.target < 0) return fail("script %s: jump to an unknown code label", block.label);
      } else if (instr.op == kOpSetw) {
        const std::string* name = asName(operand);
        auto it = name ? gfxLabels_.find(*name) : gfxLabels_.end();
        if (it == gfxLabels_.end()) return fail("script %s: unknown graphic list", block.label);
        instr.target = it->second;
      } else {
        const std::string* name = asName(operand);
        if (!name) return fail(kWrongType);
        const int id = nativeId(*name);
        if (id < 0) return fail("script %s: unknown native '%s'", block.label, *name);
        instr.native = static_cast<std::uint8_t>(id);
      }
    }
    program_.instrs.push_back(std::move(instr));
    return true;
  }

  bool instructions() {
    const auto& blocks = world_.scripts;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      const auto& block = blocks[i];
      if (block.kind != BlockKind::Code) continue;
      for (const auto& op : block.ops) {
        if (op.name == "label") continue;
        if (!instruction(block, op)) return false;
      }
      if (!isCode(blocks, i + 1)) {
        Instr end;
        end.op = kOpBlockEnd;
        program_.instrs.push_back(end);
      }
    }
    return true;
  }

  bool lookup(const LabelMap& map, const std::string& label, std::int32_t& out, const char* message) {
    if (label.empty()) {
      out = -1;
      return true;
    }
    auto it = map.find(label);
    if (it == map.end()) return fail(message, label);
    out = it->second;
    return true;
  }

  bool entities() {
    for (const auto& entity : world_.entities) {
      EntityDef def;
      def.room = static_cast<std::uint8_t>(entity.room);
      def.x8 = static_cast<std::uint8_t>(entity.x / 8);
      def.y8 = static_cast<std::uint8_t>(entity.y / 8);
      if (!lookup(program_.labels, entity.step, def.step, "entity: unknown step label %s") ||
          !lookup(touchLabels_, entity.touch, def.touch, "entity: unknown touch label %s") ||
          !lookup(gfxLabels_, entity.gfx, def.gfx, "entity: unknown graphic label %s")) {
        return false;
      }
      def.state = entity.state;
      program_.entities.push_back(def);
    }
    return true;
  }

  void conversation() {
    const int start = program_.label("L_756D");
    if (start < 0) return;
    int found = 0;
    for (std::size_t i = static_cast<std::size_t>(start); i < program_.instrs.size() && found < 4; ++i) {
      if (program_.instrs[i].op == kOpSayAt) program_.conversation[found++] = static_cast<int>(i);
    }
  }

  const world::World& world_;
  ScriptProgram program_;
  LabelMap gfxLabels_;
  LabelMap touchLabels_;
};

}  // namespace

std::optional<ScriptProgram> compileScripts(const world::World& world) {
  return Compiler(world).compile();
}

}  // namespace sim
