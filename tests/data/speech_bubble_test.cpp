// Every speech bubble of the shipped world that the hero can call up from a place he
// stands on: talking to someone, reading a sign, pulling a lever, picking an object
// up. Each bubble must leave the hero and the one he talks to in sight.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "assets/sprite_set.h"
#include "render/game_graphics.h"
#include "render/game_renderer.h"
#include "shipped_data.h"

namespace {

using data_test::Game;
using data_test::shipped;

constexpr int kPageWidth = 320, kPageHeight = 200;

// A rectangle of the page, both corners included.
struct Rect {
  int x0, y0, x1, y1;
};

class SpeechBubbles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    graphics = render::loadGameGraphics(data_test::kRoot);
    if (graphics && shipped().complete()) renderer.emplace(*graphics, *shipped().world);
  }
  void SetUp() override { ASSERT_TRUE(renderer.has_value()); }

  // Pixels of the bubble over the hero as the bubble's snapshot has him, and over
  // the speaker's picture (when there is one).
  static void expectClear(const std::string& where, const sim::PageOp& op, const std::optional<Rect>& speaker) {
    const std::vector<std::uint8_t> mask = renderer->bubbleMask(op);
    const sim::GameState& s = *op.snapshot;
    const auto& hero = graphics->tumbold;
    ASSERT_LT(s.frame, hero.frames.size());
    const auto& f = hero.frames[s.frame];
    int onHero = 0;
    for (int r = 0; r < f.h; ++r)
      for (int c = 0; c < f.w; ++c) {
        const int x = s.x + f.xoff + f.ox + c, y = s.y + f.yoff + f.oy + r;
        if (hero.image.pixels[(f.y + r) * hero.image.width + f.x + c] == 16) continue;
        if (x >= 0 && x < kPageWidth && y >= 0 && y < kPageHeight) onHero += mask[y * kPageWidth + x];
      }
    int onSpeaker = 0;
    if (speaker)
      for (int y = speaker->y0; y <= speaker->y1; ++y)
        for (int x = speaker->x0; x <= speaker->x1; ++x) onSpeaker += mask[y * kPageWidth + x];
    EXPECT_EQ(onHero, 0) << where << ": the bubble \"" << op.text << "\" at column " << op.a << ", row " << op.b
                         << " hides " << onHero << " pixels of the hero at " << s.x << ", " << s.y;
    EXPECT_EQ(onSpeaker, 0) << where << ": the bubble \"" << op.text << "\" at column " << op.a << ", row "
                            << op.b << " hides " << onSpeaker << " pixels of the speaker";
  }

  static std::optional<render::GameGraphics> graphics;
  static std::optional<render::GameRenderer> renderer;
};

std::optional<render::GameGraphics> SpeechBubbles::graphics;
std::optional<render::GameRenderer> SpeechBubbles::renderer;

// Quadrant attribute of the room's tiles at a page pixel (0 open, 1 solid, ...).
int attrAt(int room, int x, int y) {
  const auto& tiles = *shipped().tiles;
  if (x < 0 || x >= kPageWidth || y < 40 || y >= kPageHeight) return 0;
  const int tile = shipped().world->rooms[room].tiles[(y - 40) / 16][x / 16];
  if (tile >= tiles.collisionTiles) return 0;
  return tiles.attributes[tile][2 * (((y - 40) / 8) & 1) + ((x / 8) & 1)];
}

// A game with the hero put down at (x, y) in a room, or nothing when that is no place
// to stand: his body in a wall or floor, or he does not stay there (no floor under
// him, a sinking floor, a script that moves him off at once).
std::optional<Game> standing(int room, int x, int y, int carried) {
  for (int probe : {10, 18, 26, 29})
    for (int dy = 0; dy < 24; dy += 4)
      if (attrAt(room, x + probe, y + dy) == 1) return std::nullopt;
  Game game;
  game.placeHero(room, x, y);
  if (carried >= 0) game.give(carried);
  if (!game.run(0, 8)) return std::nullopt;
  const auto& s = game.state();
  if (s.room != room || s.x != x || s.y != y || !game.bubbles.empty()) return std::nullopt;
  return game;
}

std::string place(const char* what, int index, int room, int x, int y) {
  std::ostringstream out;
  out << what << " " << index << " in room " << room << ", hero at " << x << ", " << y;
  return out.str();
}

TEST_F(SpeechBubbles, TalkingReadingAndPullingLeversLeaveTheHeroAndTheSpeakerInSight) {
  const auto& program = *shipped().program;
  // Empty-handed, with a star shard, which the Keeper answers otherwise, and with the
  // last shard, the other three handed over first where the hero stands.
  const auto& shards = shipped().world->winObjects;
  const int shard = shards.front();
  const auto& names = shipped().world->objectNames;
  int bubbles = 0;
  for (std::size_t i = 0; i < program.entities.size(); ++i) {
    const auto& e = program.entities[i];
    if (e.touch < 0 || e.room >= 75) continue;
    const auto& box = program.touches[static_cast<std::size_t>(e.touch)];
    std::optional<Rect> speaker;
    if (e.gfx >= 0) {
      const auto& g = program.graphics[static_cast<std::size_t>(e.gfx)];
      speaker = Rect{e.x8 * 8, e.y8 * 8, e.x8 * 8 + 16 * g.cols - 1, e.y8 * 8 + 16 * g.rows - 1};
    }
    // Every place where the hero touches the box and stands on a floor (touch rule:
    // -17 <= x + 11 - left < 8 w and -18 <= y + 4 - top < 8 h).
    const int left = e.x8 * 8 + box.dx, top = e.y8 * 8 + box.dy;
    for (int carried : {-1, shard, -2}) {
      for (int y = (top - 22 + 7) / 8 * 8; y <= top - 5 + 8 * box.h; y += 8) {
        for (int x = std::max(0, left - 28); x <= std::min(280, left - 12 + 8 * box.w); ++x) {
          auto game = standing(e.room, x, y, std::max(carried, -1));
          if (!game) continue;
          if (carried == -2) {
            for (std::size_t k = 1; k < shards.size(); ++k) {
              game->give(shards[k]);
              game->fire();
            }
            game->bubbles.clear();
            game->give(shard);
          }
          // Three presses: a bell rung three times, a lever pulled twice, answers.
          for (int press = 0; press < 3 && game->fire(); ++press) {
          }
          // An object within reach is picked up instead: its name is no one's speech.
          for (const auto& op : game->bubbles) {
            ++bubbles;
            const bool name = std::count(names.begin(), names.end(), op.text) > 0;
            expectClear(place("entity", static_cast<int>(i), e.room, x, y), op, name ? std::nullopt : speaker);
          }
          if (HasFailure()) return;
        }
      }
    }
  }
  EXPECT_GT(bubbles, 100);
}

TEST_F(SpeechBubbles, AnObjectsNameAtItsFirstPickUpLeavesTheHeroInSight) {
  const auto& world = *shipped().world;
  int named = 0;
  for (std::size_t i = 0; i < world.objects.size(); ++i) {
    const auto& object = world.objects[i];
    if (object.name < 0 || object.room < 0 || object.room >= 75) continue;
    // The nearest place within reach to stand on (reach: x8 * 8 - x + 11 in 0..46,
    // y - hero y + 11 in 0..34).
    bool shown = false;
    for (int y = (object.y - 23 + 7) / 8 * 8; y <= object.y + 11 && !shown; y += 8) {
      for (int d = 0; d <= 46 && !shown; ++d) {
        const int x = object.x + 11 - 23 + (d % 2 ? (d + 1) / 2 : -d / 2);
        if (x < 0 || x > 280) continue;
        auto game = standing(object.room, x, y, -1);
        if (!game || !game->fire() || game->bubbles.empty()) continue;
        shown = true;
        ++named;
        for (const auto& op : game->bubbles) expectClear(place("object", static_cast<int>(i), object.room, x, y), op, {});
      }
    }
    if (HasFailure()) return;
  }
  EXPECT_GT(named, 50);
}

}  // namespace
