#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace world {
struct World;
}

namespace sim {

// Machine-code routines that scripts reach through `native` and `native_end`.
enum class Native : std::uint8_t {
  Redraw = 0,
  TakeEnergy = 1,
  TakeEnergyEvenSteps = 2,
  ThrowStart = 3,
  ThrowFall = 4,
  OnTile38C = 5,
  RideRight = 6,
  RideLeft = 7,
  JumpLeft = 8,
  JumpRight = 9,
  StateMinus9 = 10,
  Hurt = 11,
  SpawnBall = 12,
  Lift29Type2 = 13,
  Lift29Down = 14,
  Lift29Up = 15,
  SetX243 = 16,
  ObjectsAtSpot = 17,
  SharedThreadNext = 18,
  NoLives = 19,
  Flash = 20,
  FlashToRoom61 = 21,
  NoEnergy = 22,
};

struct NativeInfo {
  const char* name;
  Native id;
};

constexpr int kNativeCount = 23;
extern const std::array<NativeInfo, kNativeCount> kNatives;

// Opcodes of the script engine; 29 is the block end the compiler appends.
enum Opcode : std::uint8_t {
  kOpSetw = 0,
  kOpWait,
  kOpRnd,
  kOpJge,
  kOpLoop,
  kOpEndloop,
  kOpJmp,
  kOpGoto,
  kOpScore,
  kOpSetvar,
  kOpIncvar,
  kOpJeqvar,
  kOpSetflag,
  kOpClrflag,
  kOpJflag,
  kOpJcarried,
  kOpDestroy,
  kOpPlace,
  kOpSetscript,
  kOpSayAt,
  kOpSay,
  kOpTemplate,
  kOpTeleport,
  kOpNative,
  kOpNativeEnd,
  kOpYield,
  kOpEnd,
  kOpAskFire,
  kOpStop,
  kOpBlockEnd,
};

// One row of the operation table. Operand letters: b byte, w word (or a label or
// native name for some opcodes), r code label (one byte), t text.
struct OpInfo {
  const char* name;
  std::uint8_t opcode;
  const char* operands;
};

constexpr int kOpCount = 29;
extern const std::array<OpInfo, kOpCount> kOps;

// The first row whose name equals `name`, or null.
const OpInfo* findOp(const std::string& name);

struct Instr {
  std::uint8_t op = 0;
  std::int32_t a = 0, b = 0, c = 0, d = 0;
  std::int32_t target = -1;   // code or graphic-list index
  std::uint8_t native = 0;    // Native id for native and native_end
  std::string text;           // as written, escapes unconverted
};

struct GraphicList {
  std::int32_t cols = 0;
  std::int32_t rows = 0;
  std::vector<std::uint16_t> tiles;  // rows x cols, row by row
};

struct TouchBox {
  std::int32_t dx = 0, dy = 0;  // pixels from (x8 * 8, y8 * 8)
  std::int32_t w = 0, h = 0;    // 8-pixel cells
  std::int32_t code = 0;        // first instruction of the following code block
};

struct EntityDef {
  std::uint8_t room = 0;
  std::uint8_t x8 = 0;
  std::uint8_t y8 = 0;
  std::int32_t step = -1;
  std::int32_t touch = -1;
  std::int32_t gfx = -1;
  std::array<std::uint8_t, 6> state{};
};

// The compiled entity scripts, with the DOS game's script addresses.
struct ScriptProgram {
  struct Layout {
    std::unordered_map<std::uint16_t, int> codeIndex;
    std::unordered_map<std::uint16_t, int> gfxIndex;
    std::vector<std::uint16_t> codeAddress;
    std::vector<std::uint16_t> gfxAddress;
  };

  std::vector<Instr> instrs;
  std::vector<GraphicList> graphics;
  std::vector<TouchBox> touches;
  std::vector<EntityDef> entities;
  std::unordered_map<std::string, int> labels;
  std::array<std::int32_t, 4> conversation{-1, -1, -1, -1};
  Layout layout;

  // Instruction index of a code label, or -1.
  int label(const std::string& name) const {
    auto it = labels.find(name);
    return it == labels.end() ? -1 : it->second;
  }
};

// The DOS address where the script area begins.
constexpr std::uint16_t kScriptBase = 0x6CB1;

// Compiles the world's script blocks and entities. Empty after any error, which
// has been logged first.
std::optional<ScriptProgram> compileScripts(const world::World& world);

}  // namespace sim
