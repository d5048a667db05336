// Script blocks, entities, objects and texts of the world file.

#include <string>

#include "world/world_sections.h"

namespace world {
namespace {

bool readOperation(JsonFields& in, const Json& value, const std::string& label, ScriptOp& op) {
  if (!in.requireArray(value)) return false;
  if (value.empty()) return in.fail("script %s: empty operation", label.c_str());
  if (!value[0].is_string()) return in.typeError(value[0], "string");
  op.name = value[0].get<std::string>();
  op.args.reserve(value.size() - 1);
  for (std::size_t i = 1; i < value.size(); ++i) {
    const Json& operand = value[i];
    std::int32_t number = 0;
    if (operand.is_string()) {
      op.args.emplace_back(operand.get<std::string>());
    } else if (operand.is_number_integer() && numberToInt32(operand, number)) {
      op.args.emplace_back(number);
    } else {
      return in.fail("script %s: bad operand of %s", label.c_str(), op.name.c_str());
    }
  }
  return true;
}

bool readCode(JsonFields& in, const Json& value, ScriptBlock& block) {
  block.kind = BlockKind::Code;
  const Json* ops = in.required(value, "ops", "script " + block.label);
  if (!ops || !in.requireArray(*ops)) return false;
  block.ops.reserve(ops->size());
  for (const Json& element : *ops) {
    ScriptOp op;
    if (!readOperation(in, element, block.label, op)) return false;
    block.ops.push_back(std::move(op));
  }
  return true;
}

bool readGfx(JsonFields& in, const Json& value, ScriptBlock& block) {
  block.kind = BlockKind::Gfx;
  if (!in.intOr(value, "cols", 0, block.cols) || !in.intOr(value, "rows", 0, block.rows)) return false;
  const Json* tiles = in.required(value, "tiles", "graphic list " + block.label);
  if (!tiles || !in.requireArray(*tiles)) return false;
  block.tiles.reserve(tiles->size());
  for (const Json& element : *tiles) {
    std::int32_t id = 0;
    if (!element.is_number()) return in.typeError(element, "number");
    // Both the unsigned and the signed reading of a 16-bit id are accepted.
    if (!numberToInt32(element, id) || id < -0x8000 || id > 0xFFFF)
      return in.fail("graphic list %s: tile id %s out of range", block.label.c_str(), element.dump().c_str());
    block.tiles.push_back(static_cast<std::uint16_t>(id));
  }
  // Negative sizes are refused too: a consumer walks cols x rows tiles.
  const auto expected = static_cast<std::int64_t>(block.cols) * block.rows;
  if (block.cols < 0 || block.rows < 0 || expected != static_cast<std::int64_t>(block.tiles.size()))
    return in.fail("graphic list %s: %zu tiles for %dx%d", block.label.c_str(), block.tiles.size(),
                   block.cols, block.rows);
  return true;
}

bool readBlock(JsonFields& in, const Json& value, ScriptBlock& block) {
  if (!in.requireObject(value)) return false;
  std::string kind;
  if (!in.stringOr(value, "kind", "", kind) || !in.stringOr(value, "label", "", block.label)) return false;
  if (kind == "code") return readCode(in, value, block);
  if (kind == "gfx") return readGfx(in, value, block);
  if (kind == "touch") {
    block.kind = BlockKind::Touch;
    return in.intOr(value, "dx", 0, block.dx) && in.intOr(value, "dy", 0, block.dy) &&
           in.intOr(value, "w", 0, block.w) && in.intOr(value, "h", 0, block.h);
  }
  if (kind == "raw") {
    block.kind = BlockKind::Raw;
    std::string hex;
    if (!in.stringOr(value, "hex", "", hex)) return false;
    block.rawSize = hex.size() / 2;
    return true;
  }
  return in.fail("script block %s: unknown kind '%s'", block.label.c_str(), kind.c_str());
}

bool readSegment(JsonFields& in, const Json& value, const std::string& screen, TextSegment& segment) {
  if (!in.requireArray(value)) return false;
  if (value.empty()) return in.fail("text screen %s: empty segment", screen.c_str());
  if (!value[0].is_string()) return in.typeError(value[0], "string");
  const std::string& op = value[0].get_ref<const std::string&>();
  const std::size_t needed = op == "at" ? 3 : 2;
  if (value.size() < needed)
    return in.fail("text screen %s: segment \"%s\" has %zu of %zu elements", screen.c_str(), op.c_str(),
                   value.size(), needed);
  if (op == "at") {
    segment.kind = SegmentKind::At;
    for (std::size_t i = 1; i < 3; ++i) {
      std::int32_t& cell = i == 1 ? segment.x : segment.y;
      if (!numberToInt32(value[i], cell))
        return value[i].is_number() ? in.rangeError(value[i]) : in.typeError(value[i], "number");
    }
    return true;
  }
  segment.kind = op == "style" ? SegmentKind::Style : SegmentKind::Text;
  if (!value[1].is_string()) return in.typeError(value[1], "string");
  segment.text = value[1].get<std::string>();
  return true;
}

bool readTextScreens(JsonFields& in, const Json& screens, World& world) {
  if (!in.requireObject(screens)) return false;
  for (const auto& [name, segments] : screens.items()) {
    if (!in.requireArray(segments)) return false;
    std::vector<TextSegment> list;
    list.reserve(segments.size());
    for (const Json& element : segments) {
      TextSegment segment;
      if (!readSegment(in, element, name, segment)) return false;
      list.push_back(std::move(segment));
    }
    world.textScreens[name] = std::move(list);
  }
  return true;
}

}  // namespace

bool readScripts(JsonFields& in, const Json& root, World& world) {
  const Json* scripts = in.required(root, "scripts", "document");
  if (!scripts || !in.requireObject(*scripts)) return false;
  const Json* blocks = in.required(*scripts, "blocks", "scripts");
  if (!blocks || !in.requireArray(*blocks)) return false;
  world.scripts.reserve(blocks->size());
  for (const Json& value : *blocks) {
    ScriptBlock block;
    if (!readBlock(in, value, block)) return false;
    world.scripts.push_back(std::move(block));
  }
  return true;
}

bool readEntities(JsonFields& in, const Json& root, World& world) {
  auto read = [&](const Json& value, Entity& entity) {
    if (!in.intOr(value, "room", 0, entity.room) || !in.intOr(value, "x", 0, entity.x) ||
        !in.intOr(value, "y", 0, entity.y))
      return false;
    entity.step = JsonFields::stringIfString(value, "step");
    entity.touch = JsonFields::stringIfString(value, "touch");
    entity.gfx = JsonFields::stringIfString(value, "gfx");
    if (const Json* state = JsonFields::find(value, "state")) {
      std::vector<std::int32_t> bytes;
      if (!in.intList(*state, bytes)) return false;
      for (std::size_t i = 0; i < bytes.size() && i < entity.state.size(); ++i)
        entity.state[i] = static_cast<std::uint8_t>(bytes[i] & 0xFF);
    }
    return true;
  };
  return readObjectList(in, root, "entities", Presence::Required, world.entities, read);
}

bool readObjects(JsonFields& in, const Json& root, World& world) {
  std::int32_t index = 0;  // an object without an id takes its place in the list
  auto read = [&](const Json& value, Object& object) {
    return in.intOr(value, "id", index++, object.id) && in.intIfInteger(value, "room", -1, object.room) &&
           in.intOr(value, "x", 0, object.x) && in.intOr(value, "y", 0, object.y) &&
           in.intOr(value, "graphic", 0, object.graphic) && in.intIfInteger(value, "name", -1, object.name);
  };
  return readObjectList(in, root, "objects", Presence::Optional, world.objects, read);
}

bool readObjectNames(JsonFields& in, const Json& root, World& world) {
  const Json* names = JsonFields::find(root, "object_names");
  if (!names) return true;
  if (!in.requireArray(*names)) return false;
  world.objectNames.reserve(names->size());
  for (const Json& name : *names) {
    if (!name.is_string()) return in.typeError(name, "string");
    world.objectNames.push_back(name.get<std::string>());
  }
  return true;
}

bool readTexts(JsonFields& in, const Json& root, World& world) {
  const Json* texts = JsonFields::find(root, "texts");
  if (!texts) return true;
  if (!in.requireObject(*texts)) return false;
  if (const Json* screens = JsonFields::find(*texts, "screens")) {
    if (!readTextScreens(in, *screens, world)) return false;
  }
  if (const Json* bubbles = JsonFields::find(*texts, "bubbles")) {
    if (!in.requireObject(*bubbles)) return false;
    for (const auto& [name, text] : bubbles->items()) {
      if (!text.is_string()) return in.typeError(text, "string");
      world.bubbles[name] = text.get<std::string>();
    }
  }
  return true;
}

}  // namespace world
