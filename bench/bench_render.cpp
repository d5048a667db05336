// Composing one framed picture from a game state: the sprites over the shown
// page, the framed play area with its redrawn panel, and the RGBA conversion.

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "bench.h"
#include "core/log.h"
#include "render/game_renderer.h"
#include "render/hud_screen.h"

namespace {

assets::IndexedImage image(int w, int h, int value) {
  assets::IndexedImage img;
  img.width = w;
  img.height = h;
  img.pixels.assign(static_cast<std::size_t>(w) * h, static_cast<std::uint8_t>(value));
  for (std::size_t i = 0; i < img.pixels.size(); i += 7) img.pixels[i] = static_cast<std::uint8_t>(16 + i % 16);
  return img;
}

assets::SpriteSet sprites(int frames, int w, int h) {
  assets::SpriteSet set;
  set.image = image(w, h, 4);
  for (int f = 0; f < frames; ++f) set.frames.push_back({0, 0, w, h, 0, 0, 0, 0});
  return set;
}

// Stand-in graphics of the shipped sizes, for a tree without the data set.
render::GameGraphics standInGraphics() {
  render::GameGraphics gfx;
  gfx.tiles.columns = 32;
  gfx.tiles.count = 1392;
  gfx.tiles.image = image(512, 44 * 16, 3);
  gfx.panel = image(320, 40, 8);
  gfx.objects = {image(256, 96, 5), 16, 16, 16, 88};
  gfx.font = {image(128, 48, 15), 8, 8, 16, 96};
  gfx.logo = {image(96, 24, 14), 96, 24, 1, 1};
  gfx.tumbold = sprites(60, 40, 32);
  gfx.misc = sprites(16, 24, 24);
  gfx.frank = sprites(2, 24, 32);
  gfx.shades = sprites(2, 16, 8);
  gfx.glueon = sprites(4, 16, 16);
  gfx.balloon = sprites(9, 32, 40);
  gfx.chandel = sprites(2, 32, 16);
  gfx.drawTables.glueonFrames = {0, 1, 2, 3};
  gfx.drawTables.energyColumns = {2, 2, 2, 2, 2, 2};
  gfx.drawTables.energyPartial = {0x80, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE, 0xFF};
  return gfx;
}

}  // namespace

TUMBOLD_BENCHMARK(render_compose_frame) {
  const std::filesystem::path root = TUMBOLD_SOURCE_DIR;
  auto loaded = render::loadGameGraphics(root);
  const render::GameGraphics gfx = loaded ? std::move(*loaded) : standInGraphics();
  std::printf("graphics: %s\n", loaded ? "shipped data set" : "stand-in set");

  world::World world;
  world::Room room;
  room.name = "THE GREAT HALL";
  for (auto& row : room.tiles)
    for (std::size_t c = 0; c < row.size(); ++c) row[c] = static_cast<std::uint16_t>(c * 7 % 900);
  world.rooms.assign(4, room);
  world.ballRooms = {1, 2, 3};

  render::GameRenderer renderer(gfx, world);
  for (int page = 0; page < 2; ++page) {
    sim::PageOp reset;
    reset.kind = sim::PageOpKind::ResetCache;
    reset.a = 2;
    renderer.applyOne(reset);
    sim::PageOp panel;
    panel.kind = sim::PageOpKind::Panel;
    panel.a = 2;
    panel.b = 3;
    panel.c = 30;
    panel.d = 120;
    panel.items = {{1, 0, 0}, {2, 0, 0}, {-1, 0, 0}};
    renderer.applyOne(panel);
    sim::PageOp flip;
    flip.kind = sim::PageOpKind::Flip;
    renderer.applyOne(flip);
  }

  render::RgbaImage frameArt;
  frameArt.width = render::kHudWidth;
  frameArt.height = render::kHudHeight;
  frameArt.pixels.assign(static_cast<std::size_t>(render::kHudWidth) * render::kHudHeight, 0xFF202830u);
  const render::HudScreen hud(gfx, world, frameArt);

  sim::GameState state;
  state.room = 2;
  state.x = 120;
  state.y = 120;
  state.frame = 27;
  state.objects.assign(88, sim::ObjectState{});
  state.objects[0].room = sim::kRoomCarried;
  sim::ActorState actor;
  actor.room = 2;
  actor.y = 150;
  for (int i = 0; i < 4; ++i) {
    actor.x = static_cast<std::uint16_t>(20 + 60 * i);
    state.actors.push_back(actor);
  }
  for (auto& ball : state.pool2) {
    ball.state = 1;
    ball.y = 200;
  }
  state.rideStage = 2;
  state.anchorY = 80;

  render::Framebuffer fb;
  render::RgbaImage out;
  const int frames = 5000;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) {
    state.x = static_cast<std::int16_t>(40 + i % 200);
    renderer.compose(state, fb);
    hud.composePlay(fb, gfx.palette, renderer.panels[renderer.drawPage ^ 1], nullptr, out, nullptr);
  }
  const double perFrame = bench::seconds(start) / frames;
  std::printf("compose 348x240 frame: %.3f ms per frame (%d frames; limit 1 ms)\n", perFrame * 1000.0, frames);
}
