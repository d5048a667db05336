#include "app/autopilot/route.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sstream>

#include "world/world.h"

namespace app {

const sim::ScriptProgram* gProgram = nullptr;

namespace {

// The names a condition knows, in the order of Name.
constexpr const char* kNames[] = {"room",  "x",     "y",     "state",  "stand",    "ground",  "carry", "flag",
                                  "energy", "lives", "score", "ending", "gameover", "near",   "touch", "lifty",
                                  "follower", "free", "next",  "actorx", "keep",     "lowloss", "maxloss"};
enum Name {
  kRoom, kX, kY, kState, kStand, kGround, kCarry, kFlag, kEnergy, kLives, kScore, kEnding, kGameover, kNear,
  kTouch, kLifty, kFollower, kFree, kNext, kActorX, kKeep, kLowLoss, kMaxLoss, kVar,
};
constexpr int kNone = -9999;  // "lifty" without a lift, "actorx" without an actor

bool allDigits(const std::string& text, std::size_t from) {
  if (from >= text.size()) return false;
  for (std::size_t i = from; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

// The Name of a term's name, or -1 for one the conditions do not know.
int nameIndex(const std::string& name) {
  for (int i = 0; i < kVar; ++i) {
    if (name == kNames[i]) return i;
  }
  return name.size() > 3 && name.compare(0, 3, "var") == 0 && allDigits(name, 3) ? kVar : -1;
}

// An integer with base detection (decimal, "0x" hexadecimal, leading 0 octal),
// the whole text and nothing more, within 32 bits.
bool parseValue(const std::string& text, std::int32_t& value) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || v < std::numeric_limits<std::int32_t>::min() ||
      v > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  value = static_cast<std::int32_t>(v);
  return true;
}

// "==" has always tested equality, as "=" does.
bool knownOperator(const std::string& op) {
  for (const char* known : {"=", "==", "<", "<=", ">", ">="}) {
    if (op == known) return true;
  }
  return false;
}

// The values a name can be compared with or take as its number: what the game
// state can hold there. Objects and entities are bounded by the world itself
// (namesThingsOf).
struct Range {
  std::int64_t low;
  std::int64_t high;
};

Range rangeOf(int name) {
  constexpr std::int64_t kWord = 32768;
  switch (name) {
    case kRoom:
    case kState:
    case kEnergy:
    case kLives:
    case kScore:
    case kFlag:
    case kMaxLoss: return {0, 255};
    case kX:
    case kY:
    case kLifty:
    case kActorX: return {-kWord, kWord - 1};
    case kFollower:
    case kVar:
    case kNext: return {-1, 255};
    case kCarry:
    case kNear:
    case kTouch: return {0, std::numeric_limits<std::int32_t>::max()};
    default: return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
  }
}

bool validObject(const sim::GameState& s, std::int32_t index) {
  return index >= 0 && static_cast<std::size_t>(index) < s.objects.size();
}

bool touching(const sim::GameState& s, std::int32_t index) {
  if (gProgram == nullptr || index < 0 || static_cast<std::size_t>(index) >= gProgram->entities.size()) return false;
  const sim::EntityDef& def = gProgram->entities[static_cast<std::size_t>(index)];
  if (def.touch < 0 || static_cast<std::size_t>(def.touch) >= gProgram->touches.size() || def.room != s.room) {
    return false;
  }
  const sim::TouchBox& box = gProgram->touches[static_cast<std::size_t>(def.touch)];
  const int dx = s.x + 11 - (def.x8 * 8 + box.dx);
  const int dy = s.y + 4 - (def.y8 * 8 + box.dy);
  return dx >= -17 && dx < box.w * 8 && dy >= -18 && dy < box.h * 8;
}

int nextObject(const sim::GameState& s) {
  int next = -1;
  for (std::size_t i = 0; i < s.objects.size(); ++i) {
    if (s.objects[i].id < 78 && inPickUpReach(s.objects[i], s)) next = static_cast<int>(i);
  }
  return next;
}

int followerRoom(const sim::GameState& s) {
  int room = -1;
  for (const sim::ActorState& a : s.actors) {
    if (a.state == 5) room = a.room;
  }
  return room;
}

int actorX(const sim::GameState& s) {
  for (const sim::ActorState& a : s.actors) {
    if (a.room == s.room) return static_cast<std::int16_t>(a.x);
  }
  return kNone;
}

int liftY(const sim::GameState& s) {
  if (s.currentLift < 0 || static_cast<std::size_t>(s.currentLift) >= s.lifts.size()) return kNone;
  return s.lifts[static_cast<std::size_t>(s.currentLift)].y;
}

// N of "var" + N, saturated at a value no game state reaches.
std::size_t entityIndex(const std::string& name) {
  std::size_t index = 0;
  for (std::size_t i = 3; i < name.size() && index < 1000000; ++i) index = index * 10 + static_cast<std::size_t>(name[i] - '0');
  return index;
}

bool compare(int number, const CondTest::Item& t) {
  switch (t.op) {
    case 1: return number >= t.value;
    case 2: return number <= t.value;
    case 3: return number > t.value;
    case 4: return number < t.value;
    default: return number == t.value;
  }
}

// The term's result before negation.
bool result(const CondTest::Item& t, const sim::GameState& s) {
  switch (t.name) {
    case kRoom: return compare(s.room, t);
    case kX: return compare(s.x, t);
    case kY: return compare(s.y, t);
    case kState: return compare(s.state, t);
    case kStand: return s.state == 1;
    case kGround: return s.onGround != 0;
    case kCarry:
      return validObject(s, t.value) && s.objects[static_cast<std::size_t>(t.value)].room == sim::kRoomCarried;
    case kFlag: return t.value >= 0 && t.value <= 255 && s.flags[static_cast<std::size_t>(t.value)] != 0;
    case kEnergy: return compare(s.energy, t);
    case kLives: return compare(s.lives, t);
    case kScore: return compare(s.score, t);
    case kEnding: return s.endCode == 2;
    case kGameover: return s.endCode == 1;
    case kNear: return validObject(s, t.value) && inPickUpReach(s.objects[static_cast<std::size_t>(t.value)], s);
    case kTouch: return touching(s, t.value);
    case kLifty: return compare(liftY(s), t);
    case kFollower: return compare(followerRoom(s), t);
    case kFree: return nextObject(s) < 0;
    case kNext: return compare(nextObject(s), t);
    case kActorX: return compare(actorX(s), t);
    case kKeep:
    case kLowLoss:
    case kMaxLoss: return true;
    default: return compare(t.entity < s.entities.size() ? s.entities[t.entity].var : -1, t);
  }
}

}  // namespace

bool parseKeys(const std::string& word, std::uint8_t& keys) {
  keys = 0;
  if (word.empty()) return true;
  std::size_t start = 0;
  while (true) {
    const std::size_t plus = word.find('+', start);
    const std::string piece = word.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
    if (piece == "up") {
      keys |= 1;
    } else if (piece == "down") {
      keys |= 2;
    } else if (piece == "left") {
      keys |= 4;
    } else if (piece == "right") {
      keys |= 8;
    } else if (piece == "fire" || piece == "space") {
      keys |= 16;
    } else if (piece != "none") {
      return false;
    }
    if (plus == std::string::npos) return true;
    start = plus + 1;
  }
}

bool parseCond(const std::string& text, Cond& out, std::string& error) {
  std::istringstream words(text);
  for (std::string word; words >> word;) {
    if (word == "and") continue;
    Term term;
    std::string body = word;
    if (body[0] == '!') {
      term.negated = true;
      body.erase(0, 1);
    }
    const std::size_t at = body.find_first_of("<>=");
    std::string valueText;
    if (at == std::string::npos) {
      term.name = body;
    } else {
      const std::size_t end = body.find_first_not_of("<>=", at);
      term.name = body.substr(0, at);
      term.op = body.substr(at, end == std::string::npos ? std::string::npos : end - at);
      valueText = end == std::string::npos ? "" : body.substr(end);
    }
    if (nameIndex(term.name) < 0) {
      error = "unknown condition '" + body + "'";
      return false;
    }
    if (at != std::string::npos && !knownOperator(term.op)) {
      error = "condition '" + body + "' compares with '" + term.op + "', which is none of = < <= > >=";
      return false;
    }
    if (at != std::string::npos && !parseValue(valueText, term.value)) {
      error = "condition '" + body + "' needs a whole number after '" + term.op + "'";
      return false;
    }
    const Range range = rangeOf(nameIndex(term.name));
    if (term.value < range.low || term.value > range.high) {
      error = "condition '" + body + "' compares " + term.name + " with " + std::to_string(term.value) +
              ", outside what it can be (" + std::to_string(range.low) + " to " + std::to_string(range.high) + ")";
      return false;
    }
    out.push_back(term);
  }
  return true;
}

bool namesThingsOf(const Command& c, const sim::Content& content, const sim::ScriptProgram& program,
                   std::string& error) {
  const std::size_t objects = content.world->objects.size();
  const std::size_t rooms = content.world->rooms.size();
  const auto missing = [&error](const char* what, std::int64_t number, std::size_t count) {
    error = "there is no " + std::string(what) + " " + std::to_string(number) + " in the world (" +
            (count == 0 ? std::string("it has none") : "it has 0 to " + std::to_string(count - 1)) + ")";
    return false;
  };
  const auto within = [](std::int64_t number, std::size_t count) {
    return number >= 0 && static_cast<std::uint64_t>(number) < count;
  };
  if ((c.kind == CommandKind::Pick || c.kind == CommandKind::Drop) && !within(c.value, objects))
    return missing("object", c.value, objects);
  for (const int room : c.via) {
    if (!within(room, rooms)) return missing("room", room, rooms);
  }
  for (const Term& t : c.cond) {
    const int name = nameIndex(t.name);
    const bool object = name == kCarry || name == kNear || (name == kNext && t.value != -1);
    if (object && !within(t.value, objects)) return missing("object", t.value, objects);
    if (name == kTouch && !within(t.value, program.entities.size()))
      return missing("entity", t.value, program.entities.size());
  }
  return true;
}

bool holds(const Cond& cond, const sim::GameState& state) { return CondTest(cond)(state); }

CondTest::CondTest(const Cond& cond) {
  for (const Term& t : cond) {
    Item item;
    item.name = nameIndex(t.name);
    if (item.name < 0) item.name = kKeep;  // only parseCond makes terms, and it lets no such name through
    const char* ops[] = {"", ">=", "<=", ">", "<"};
    for (int i = 1; i < 5; ++i) {
      if (t.op == ops[i]) item.op = i;
    }
    item.value = t.value;
    item.negated = t.negated;
    if (item.name == kVar) item.entity = entityIndex(t.name);
    items_.push_back(item);
  }
}

bool CondTest::operator()(const sim::GameState& state) const {
  for (const Item& t : items_) {
    if (result(t, state) == t.negated) return false;
  }
  return true;
}

std::string describe(const sim::GameState& s) {
  char text[200];
  std::snprintf(text, sizeof text, "room %d x %d y %d state %d energy %d lives %d score %d inv %d %d %d", s.room, s.x,
                s.y, s.state, s.energy, s.lives, s.score, s.carried[0], s.carried[1], s.carried[2]);
  return text;
}

bool inPickUpReach(const sim::ObjectState& object, const sim::GameState& s) {
  const int dx = object.x8 * 8 - s.x + 11;
  const int dy = object.y - s.y + 11;
  return object.room == s.room && dx >= 0 && dx < 47 && dy >= 0 && dy < 35;
}

}  // namespace app
