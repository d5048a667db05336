#include "play_script.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <sstream>

#include "core/files.h"
#include "input/controls.h"

namespace {

ScriptInput::Range rangeOf(const std::string& word) {
  ScriptInput::Range r;
  r.from = leadingNumber(word.c_str());
  const std::size_t dash = word.find('-');
  r.to = dash == std::string::npos ? r.from : leadingNumber(word.c_str() + dash + 1);
  return r;
}

void addWord(ScriptInput::Range& r, const std::string& word) {
  if (word == "up")
    r.held |= input::kHeldUp;
  else if (word == "down")
    r.held |= input::kHeldDown;
  else if (word == "left")
    r.held |= input::kHeldLeft;
  else if (word == "right")
    r.held |= input::kHeldRight;
  else if (word == "space" || word == "fire")
    r.held |= input::kHeldFire;
  else if (word == "esc")
    r.esc = 1;
  else if (word == "enter")
    r.enter = 1;
  else if (word == "start")
    r.start = 1;
  else if (word == "f5")
    r.f5 = 1;
  else if (word == "f8")
    r.f8 = 1;
}

}  // namespace

int leadingNumber(const char* text) {
  const long long value = std::strtoll(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

ScriptInput parsePlayScript(std::istream& in) {
  ScriptInput script;
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::string word;
    if (!(words >> word)) continue;
    ScriptInput::Range range = rangeOf(word);
    while (words >> word) addWord(range, word);
    script.ranges.push_back(range);
  }
  return script;
}

std::optional<ScriptInput> readPlayScript(const std::string& path) {
  const std::optional<std::string> text = core::readInputText(path);
  if (!text) return std::nullopt;
  std::istringstream in(*text);
  return parsePlayScript(in);
}

ScriptTicks::ScriptTicks(const ScriptInput& script) : ranges_(script.ranges) {
  for (std::size_t i = 0; i < ranges_.size(); ++i) order_.push_back(i);
  std::stable_sort(order_.begin(), order_.end(),
                   [this](std::size_t a, std::size_t b) { return ranges_[a].from < ranges_[b].from; });
}

void ScriptTicks::advance(int t) {
  starting_.clear();
  for (; next_ < order_.size() && ranges_[order_[next_]].from <= t; ++next_) {
    const ScriptInput::Range& r = ranges_[order_[next_]];
    if (r.from == t) starting_.push_back(&r);
    if (r.to >= t) active_.push_back(&r);
  }
  active_.erase(std::remove_if(active_.begin(), active_.end(),
                               [t](const ScriptInput::Range* r) { return r->to < t; }),
                active_.end());
  held_ = 0;
  escape_ = false;
  for (const ScriptInput::Range* r : active_) {
    held_ |= r->held;
    escape_ = escape_ || r->esc != 0;
  }
}

std::vector<int> parseCaptureList(const std::string& text) {
  std::vector<int> ticks;
  std::size_t at = 0;
  while (at <= text.size()) {
    std::size_t comma = text.find(',', at);
    if (comma == std::string::npos) comma = text.size();
    if (comma > at) ticks.push_back(leadingNumber(text.substr(at, comma - at).c_str()));
    at = comma + 1;
  }
  return ticks;
}

int lastTick(const std::vector<int>& captures) {
  int last = 0;
  for (int t : captures) last = std::max(last, t);
  return last;
}
