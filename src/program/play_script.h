#pragma once

// Play scripts: timed input for scripted play. Each line names a tick or a
// range of ticks, then the keys held over it and the keys pressed as it
// starts; everything from a "#" on is a comment:
//
//   0-40 right          hold right for ticks 0 to 40
//   55 esc              Escape at tick 55 (opens the pause menu in play)
//   60 down             in the menu: one step down
//   70 enter            in the menu: OK
//
// Words: up, down, left, right, space or fire (held keys; in the menu the
// directions also navigate), esc, enter, start, f5 (quick save), f8 (quick
// load). Other words are ignored.

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

struct ScriptInput {
  struct Range {
    std::int32_t from = 0;
    std::int32_t to = 0;  // inclusive
    std::uint8_t held = 0;  // the OR of the held bits
    std::uint8_t esc = 0;
    std::uint8_t enter = 0;
    std::uint8_t start = 0;
    std::uint8_t f5 = 0;
    std::uint8_t f8 = 0;
  };
  std::vector<Range> ranges;  // in file order
};

// The longest scripted play: an hour of game time at 70.086 ticks per second
// is 252310 ticks, and a whole game from the title to the ending is well under
// that. A capture beyond it is refused rather than played for hours.
constexpr int kMaxScriptTick = 1 << 20;

// The script text read line by line; it cannot fail.
ScriptInput parsePlayScript(std::istream& in);
// The script file, read as a tool's input (core::readInputText); empty when
// it cannot be read (the caller reports it).
std::optional<ScriptInput> readPlayScript(const std::string& path);

// Walks a script's ranges tick by tick: the ranges that start on a tick, in
// file order, and the keys held over it (every range with from <= t <= to).
// A range starts on its first tick even when it ends before it; a range that
// began before tick 0 is held from tick 0 but never starts.
class ScriptTicks {
 public:
  // The script must outlive the walker.
  explicit ScriptTicks(const ScriptInput& script);

  // Ticks must come in increasing order.
  void advance(int t);

  const std::vector<const ScriptInput::Range*>& starting() const { return starting_; }
  std::uint8_t held() const { return held_; }
  bool escapeHeld() const { return escape_; }

 private:
  const std::vector<ScriptInput::Range>& ranges_;
  std::vector<std::size_t> order_;  // by first tick, file order among equals
  std::size_t next_ = 0;
  std::vector<const ScriptInput::Range*> starting_;
  std::vector<const ScriptInput::Range*> active_;
  std::uint8_t held_ = 0;
  bool escape_ = false;
};

// The ticks of "--capture-at": the text split at ",", each non-empty piece
// read from its leading digits (a sign allowed; 0 without digits).
std::vector<int> parseCaptureList(const std::string& text);
// The last tick to play: the largest capture, 0 when there is none or all are negative.
int lastTick(const std::vector<int>& captures);

// A decimal number from the leading characters of text, as atoi reads it
// (blanks, then an optional sign, then digits; 0 without digits), saturating
// at the limits of int instead of overflowing.
int leadingNumber(const char* text);
