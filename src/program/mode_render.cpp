// The offline render tools: reference pictures of every screen and room, a
// single room, and the three show screens, written as indexed PNG files in
// the game palette for comparison with pictures taken from the DOS game.

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "assets/indexed_image.h"
#include "core/log.h"
#include "modes.h"
#include "render/framebuffer.h"
#include "render/game_graphics.h"
#include "render/game_renderer.h"

namespace {

bool saveScreenPng(const Data& data, const render::Framebuffer& fb, const std::filesystem::path& file) {
  return assets::saveIndexedPng(file, render::kScreenWidth, render::kScreenHeight, fb.pixels,
                                data.palette.rgb8Bytes());
}

std::string numbered(const char* prefix, int number) {
  char name[64];
  std::snprintf(name, sizeof name, "%s_%02d.png", prefix, number);
  return name;
}

}  // namespace

bool renderRoomPng(const Data& data, int room, const std::filesystem::path& out) {
  if (room < 0 || room >= static_cast<int>(data.world.rooms.size())) {
    core::log(core::LogLevel::Error, "no room %d", room);
    return false;
  }
  render::Framebuffer fb;
  render::drawRoom(fb, data.tiles, data.world.rooms[room], render::kPlayAreaTop);
  const int height = render::kScreenHeight - render::kPlayAreaTop;
  return assets::saveIndexedPng(out, render::kScreenWidth, height,
                                fb.rows(render::kPlayAreaTop, render::kScreenHeight), data.palette.rgb8Bytes());
}

bool renderGoldens(const Data& data, const std::filesystem::path& folder) {
  bool all = true;
  for (const auto& [name, screen] : data.world.screens) {
    render::Framebuffer fb;
    render::drawScreen(fb, data.tiles, data.world, screen);
    all = saveScreenPng(data, fb, folder / numbered("screen", screen.room)) && all;
  }
  for (const world::Room& room : data.world.rooms) {
    // Rooms 75 and 76 have no counterpart among the DOS game's reference pictures.
    if (room.id == 75 || room.id == 76) continue;
    all = renderRoomPng(data, room.id, folder / numbered("room", room.id)) && all;
  }
  return all;
}

int renderScreens(const Data& data, const std::filesystem::path& root, const std::filesystem::path& folder) {
  const auto graphics = render::loadGameGraphics(root);
  if (!graphics) return 1;
  render::GameRenderer renderer(*graphics, data.world);
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);

  const std::pair<const char*, const char*> shows[] = {{"title", "title"}, {"end", "ending"}, {"end", "game_over"}};
  bool all = true;
  for (const auto& [screen, text] : shows) {
    render::Framebuffer fb;
    renderer.drawShowScreen(fb, screen, text);
    all = saveScreenPng(data, fb, folder / (std::string(text) + ".png")) && all;
  }
  return all ? 0 : 1;
}
