#include "assets/sprite_set.h"

#include "assets/json_read.h"

namespace assets {

namespace {

using detail::Json;
using detail::toInt32;

SpriteFrame readFrame(const Json& object) {
  SpriteFrame frame;
  frame.x = toInt32(object.at("x"));
  frame.y = toInt32(object.at("y"));
  frame.w = toInt32(object.at("w"));
  frame.h = toInt32(object.at("h"));
  frame.ox = toInt32(object.at("ox"));
  frame.oy = toInt32(object.at("oy"));
  const Json& source = object.at("source");
  frame.xoff = detail::lowByte(source.at("xoff"));
  frame.yoff = detail::lowByte(source.at("yoff"));
  return frame;
}

}  // namespace

std::optional<SpriteSet> loadSpriteSet(const std::filesystem::path& dir, const std::string& name) {
  SpriteSet set;
  auto image = detail::readDescribedPicture(dir, name, [&](const Json& root) {
    if (!root.contains("frames")) return;
    const Json& frames = detail::arrayAt(root, "frames");
    set.frames.reserve(frames.size());
    for (const Json& element : frames) set.frames.push_back(readFrame(element));
  });
  if (!image) return std::nullopt;
  set.image = std::move(*image);
  return set;
}

}  // namespace assets
