// The lines of a route file: a command word and what follows it.

#include <cctype>
#include <sstream>

#include "app/autopilot/route.h"
#include "sim/input_history.h"

namespace app {

namespace {

std::vector<std::string> wordsOf(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// A decimal integer, optionally negative, the whole word, within 32 bits.
bool decimal(const std::string& word, std::int32_t& value) {
  std::size_t i = word.size() > 1 && word[0] == '-' ? 1 : 0;
  if (i >= word.size()) return false;
  long long v = 0;
  for (; i < word.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(word[i]))) return false;
    v = v * 10 + (word[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (word[0] == '-') v = -v;
  if (v > 2147483647LL) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

bool digitsOnly(const std::string& word) {
  for (char c : word) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return !word.empty();
}

// "[for] N [until COND]" after hold KEYS or wait.
bool readTail(const std::string& tail, Command& c, std::string& error) {
  std::string counted = tail;
  const std::size_t until = tail.find("until");
  if (until != std::string::npos) {
    counted = tail.substr(0, until);
    if (!parseCond(tail.substr(until + 5), c.cond, error)) return false;
  }
  for (const std::string& w : wordsOf(counted)) {
    if (w == "for") continue;
    if (!decimal(w, c.value) || c.value < 0) {
      error = "expected a number of steps, got '" + w + "'";
      return false;
    }
    // No longer than a steps file may be: the history of the hold alone would
    // be written as a file that no reader takes.
    if (static_cast<std::uint64_t>(c.value) > sim::kMaxHistorySteps) {
      error = "a count of " + w + " steps is more than " + std::to_string(sim::kMaxHistorySteps);
      return false;
    }
  }
  return c.value >= 0 || !c.cond.empty();  // neither: "bad command"
}

// "[via] [R ...]": room numbers, each "via" passed over.
bool readRooms(const std::vector<std::string>& words, std::size_t from, Command& c, std::string& error) {
  for (std::size_t i = from; i < words.size(); ++i) {
    if (words[i] == "via") continue;
    std::int32_t room = 0;
    if (!digitsOnly(words[i]) || !decimal(words[i], room)) {
      error = "expected 'via' and room numbers, got '" + words[i] + "'";
      return false;
    }
    c.via.push_back(room);
  }
  return true;
}

// "N [via] [R ...]" after pick or drop.
bool readObjectAndRooms(const std::string& rest, Command& c, std::string& error) {
  const std::vector<std::string> words = wordsOf(rest);
  if (words.empty() || !decimal(words[0], c.value) || c.value < 0) {
    error = "expected an object number, got '" + (words.empty() ? std::string() : words[0]) + "'";
    return false;
  }
  return readRooms(words, 1, c, error);
}

// "COND [via R ...]" after reach: every word after the first " via " is a room
// number (or another "via"), so that nothing meant for the condition is lost
// behind them.
bool readReach(const std::string& rest, Command& c, std::string& error) {
  std::string condText = rest;
  const std::size_t via = rest.find(" via ");
  if (via != std::string::npos) {
    condText = rest.substr(0, via);
    if (!readRooms(wordsOf(rest.substr(via + 5)), 0, c, error)) return false;
  }
  return parseCond(condText, c.cond, error);
}

}  // namespace

LineRead parseCommand(std::int32_t line, const std::string& text, Command& out, std::string& error) {
  error.clear();
  std::size_t begin = 0;
  while (begin < text.size() && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  std::size_t end = begin;
  while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
  if (begin == end) return LineRead::Empty;
  const std::string word = text.substr(begin, end - begin);
  const std::string rest = text.substr(end);

  Command c;
  c.line = line;
  c.text = text;
  bool ok = true;
  if (word == "hold") {
    const std::vector<std::string> words = wordsOf(rest);
    const std::string keys = words.empty() ? std::string() : words[0];
    const std::size_t at = keys.empty() ? rest.size() : rest.find(keys) + keys.size();
    ok = parseKeys(keys, c.keys) && readTail(rest.substr(at), c, error);
  } else if (word == "wait") {
    ok = readTail(rest, c, error);
  } else if (word == "fire") {
    c.kind = CommandKind::Fire;
  } else if (word == "expect") {
    c.kind = CommandKind::Expect;
    ok = parseCond(rest, c.cond, error);
  } else if (word == "walk") {
    c.kind = CommandKind::Walk;
    const std::vector<std::string> words = wordsOf(rest);
    ok = !words.empty() && decimal(words[0], c.value);
    if (!ok) error = "expected an x to walk to, got '" + (words.empty() ? std::string() : words[0]) + "'";
  } else if (word == "reach") {
    c.kind = CommandKind::Reach;
    ok = readReach(rest, c, error);
  } else if (word == "pick" || word == "drop") {
    c.kind = word == "pick" ? CommandKind::Pick : CommandKind::Drop;
    ok = readObjectAndRooms(rest, c, error);
  } else {
    error = "unknown command '" + word + "'";
    ok = false;
  }
  if (!ok) return LineRead::Refused;
  out = std::move(c);
  return LineRead::Command;
}

}  // namespace app
