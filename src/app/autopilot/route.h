#pragma once

// The words of an autopilot route: held keys ("right", "up+left") and
// conditions on the game state ("room=34 and stand", "!carry=5", "var12>=3").

#include <cstdint>
#include <string>
#include <vector>

#include "sim/content.h"
#include "sim/game_state.h"
#include "sim/script_program.h"

namespace app {

// One word of a condition: a name, an optional comparison and its value.
struct Term {
  std::string name;
  std::string op;       // "<", "<=", ">", ">=" compare; any other text, "" included, tests equality
  std::int32_t value = 0;
  bool negated = false;  // written with a leading "!"
};

// Holds when every term holds; an empty condition always holds.
using Cond = std::vector<Term>;

// The program of the run, through which "touch" finds the entities' touch
// boxes and the search the rooms they lie in. While it is null, "touch" never
// holds.
extern const sim::ScriptProgram* gProgram;

// "up", "down", "left", "right", "fire" (or "space") and "none" joined by "+";
// false for any other piece. An empty word is no keys.
bool parseKeys(const std::string& word, std::uint8_t& keys);

// Appends the terms of the whitespace-separated words of `text` ("and" is
// skipped). False, with `error` set, for an unknown name or a value that is no
// number.
bool parseCond(const std::string& text, Cond& out, std::string& error);

// Whether every term holds in `state`, tested in order.
bool holds(const Cond& cond, const sim::GameState& state);

// A condition with its names and operators looked up once, for a test at every
// step of a search; the same result as holds().
class CondTest {
 public:
  explicit CondTest(const Cond& cond);
  bool operator()(const sim::GameState& state) const;

  struct Item {
    int name = 0;       // index into the known names; the last is "var" + N
    int op = 0;         // 0 equal, 1 ">=", 2 "<=", 3 ">", 4 "<"
    std::int32_t value = 0;
    bool negated = false;
    std::size_t entity = 0;  // N of "var" + N, saturated
  };

 private:
  std::vector<Item> items_;
};

// "room R x X y Y state S energy E lives L score C inv A B C".
std::string describe(const sim::GameState& state);

// One line of a route file.
enum class CommandKind : int { Hold = 0, Fire = 1, Expect = 2, Walk = 3, Reach = 4, Pick = 5, Drop = 6 };

struct Command {
  std::int32_t line = 0;      // from 1
  std::string text;           // the line without its comment, as messages quote it
  CommandKind kind = CommandKind::Hold;
  std::uint8_t keys = 0;      // held by hold
  std::int32_t value = -1;    // the count of hold and wait, the x of walk, the object of pick and drop
  Cond cond;
  std::vector<int> via;       // rooms the search of reach, pick and drop may also cross
};

enum class LineRead { Command, Empty, Refused };

// Reads a route line whose comment is already removed. Refused sets `error`,
// left empty for a line that is plainly malformed ("bad command").
LineRead parseCommand(std::int32_t line, const std::string& text, Command& out, std::string& error);

// Whether the numbers of a command name what the world has: objects (pick,
// drop, carry, near, next), entity definitions (touch) and rooms (via). False,
// with `error` set, at the first that does not.
bool namesThingsOf(const Command& command, const sim::Content& content, const sim::ScriptProgram& program,
                   std::string& error);

// Whether an object lies where the hero can pick it up.
bool inPickUpReach(const sim::ObjectState& object, const sim::GameState& state);

}  // namespace app
