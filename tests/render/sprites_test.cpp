#include <gtest/gtest.h>

#include "render/game_renderer.h"
#include "render/pixel_ops.h"
#include "test_graphics.h"

using render::Framebuffer;
using render::GameRenderer;

namespace {

// Every sprite set gets its own solid colour so the tests can see which set
// drew where: frame f of a set is a 4 x 4 block of colour `colour` placed at
// its origin plus (f, 0).
assets::SpriteSet solidSet(int frames, int colour) {
  assets::SpriteSet set;
  set.image = rendertest::filledImage(4, 4, colour);
  for (int f = 0; f < frames; ++f) {
    assets::SpriteFrame frame;
    frame.w = 4;
    frame.h = 4;
    frame.ox = f;
    set.frames.push_back(frame);
  }
  return set;
}

class Sprites : public rendertest::RendererTest {
 protected:
  Sprites() {
    gfx.tumbold = solidSet(40, 1);
    gfx.misc = solidSet(16, 2);
    gfx.frank = solidSet(2, 3);
    gfx.shades = solidSet(2, 4);
    gfx.glueon = solidSet(2, 5);
    gfx.balloon = solidSet(9, 6);
    gfx.chandel = solidSet(2, 7);
    state.room = 1;
    state.x = 100;
    state.y = 100;
  }

  // Position of the first pixel of colour `colour`, or (-1, -1).
  static std::pair<int, int> find(const Framebuffer& fb, int colour) {
    for (int i = 0; i < 64000; ++i)
      if (fb.pixels[i] == colour) return {i % 320, i / 320};
    return {-1, -1};
  }
  static int count(const Framebuffer& fb, int colour) {
    int n = 0;
    for (auto p : fb.pixels) n += p == colour;
    return n;
  }
  Framebuffer composed() {
    Framebuffer out;
    renderer.compose(state, out);
    return out;
  }

  sim::GameState state;
};

}  // namespace

TEST_F(Sprites, StartFromTheShownPage) {
  renderer.pages[1].pixels.assign(64000, 9);
  state.frame = 200;  // no such hero frame
  auto out = composed();
  EXPECT_EQ(count(out, 9), 64000);
  renderer.drawPage = 1;
  out = composed();
  EXPECT_EQ(count(out, 0), 64000);
}

TEST_F(Sprites, HeroIsPlacedByItsFrameOffsetsAndClippedAtThePanel) {
  gfx.tumbold.frames[3].xoff = 2;
  gfx.tumbold.frames[3].yoff = 5;
  gfx.tumbold.frames[3].oy = -1;
  state.frame = 3;
  auto out = composed();
  EXPECT_EQ(find(out, 1), std::make_pair(100 + 2 + 3, 100 + 5 - 1));
  EXPECT_EQ(count(out, 1), 16);

  state.y = 38;  // rows 38 and 39 lie in the panel
  state.frame = 0;
  out = composed();
  EXPECT_EQ(count(out, 1), 8);
  EXPECT_EQ(find(out, 1).second, 40);
}

TEST_F(Sprites, ChandelierOnlyForTheCurrentLiftOfTypeThreeInThisRoom) {
  sim::LiftState lift;
  lift.x = 50;
  lift.y = 60;
  lift.type = 3;
  lift.room = 1;
  state.lifts = {sim::LiftState{}, lift};
  state.currentLift = 1;
  auto out = composed();
  EXPECT_EQ(count(out, 7), 32);
  EXPECT_EQ(find(out, 7), std::make_pair(50, 60));
  EXPECT_EQ(out.pixels[60 * 320 + 83], 7);  // frame 1 at x + 32, shifted by its own ox of 1

  state.currentLift = -1;
  EXPECT_EQ(count(composed(), 7), 0);
  state.currentLift = 5;  // past the list
  EXPECT_EQ(count(composed(), 7), 0);
  state.currentLift = 1;
  state.lifts[1].type = 0;
  EXPECT_EQ(count(composed(), 7), 0);
  state.lifts[1].type = 3;
  state.lifts[1].room = 2;
  EXPECT_EQ(count(composed(), 7), 0);
}

TEST_F(Sprites, ActorsFromTheFirstActorUntilAnotherRoom) {
  sim::ActorState a;
  a.room = 1;
  a.x = 10;
  a.y = 60;
  std::vector<sim::ActorState> actors(4, a);
  actors[0].room = 0;
  actors[1].x = 10;
  actors[2].x = 40;
  actors[3].room = 2;
  state.actors = actors;
  state.firstActor = 1;
  auto out = composed();
  EXPECT_EQ(count(out, 2), 32);

  state.firstActor = 0;  // the first actor belongs elsewhere: the walk ends at once
  EXPECT_EQ(count(composed(), 2), 0);
  state.firstActor = 4;
  EXPECT_EQ(count(composed(), 2), 0);
  state.firstActor = -1;
  EXPECT_EQ(count(composed(), 2), 0);
}

TEST_F(Sprites, BallsAreShiftedByTheirRoomsRowOffset) {
  for (auto& slot : state.pool2) slot.state = 0;
  state.pool2[2].state = 1;
  state.pool2[2].x = 30;
  state.pool2[2].y = 200;
  state.pool2[2].frame = 0;
  state.pool2[5].x = 90;  // state 0: not drawn
  state.pool2[5].y = 200;
  state.frame = 200;

  state.room = 1;  // offset 280: y -80, nothing visible
  EXPECT_EQ(count(composed(), 2), 0);
  state.room = 2;  // offset 120: y 80
  auto out = composed();
  EXPECT_EQ(find(out, 2), std::make_pair(30, 80));
  EXPECT_EQ(count(out, 2), 16);
  state.room = 3;  // offset -40: y 240, below the picture
  EXPECT_EQ(count(composed(), 2), 0);
  state.room = 0;
  state.pool2[2].y = 130;
  EXPECT_EQ(count(composed(), 2), 0);
}

TEST_F(Sprites, BalloonMoverAndThrownObject) {
  state.frame = 200;
  state.anchorX = 20;
  state.anchorY = 100;
  state.rideStage = 255;
  EXPECT_EQ(count(composed(), 6), 0);
  state.rideStage = 9;  // drawn as frame 0
  EXPECT_EQ(find(composed(), 6), std::make_pair(20, 100));
  state.rideStage = 4;
  EXPECT_EQ(find(composed(), 6), std::make_pair(24, 100));
  state.rideStage = 255;

  state.moverX = 60;
  state.moverY = 90;
  state.moverFrame = 1;
  EXPECT_EQ(count(composed(), 3), 0);  // not room 29
  state.room = 29;
  EXPECT_EQ(find(composed(), 3), std::make_pair(61, 90));
  state.moverFrame = 255;
  EXPECT_EQ(count(composed(), 3), 0);

  state.room = 28;
  state.throwX = static_cast<std::uint16_t>(-17);  // read as signed: with ox 15, two columns off the left edge
  state.throwY = 120;
  EXPECT_EQ(count(composed(), 2), 0);  // flag 18 clear
  state.flags[18] = 1;
  auto out = composed();
  EXPECT_EQ(count(out, 2), 8);
  EXPECT_EQ(find(out, 2), std::make_pair(0, 120));
}

TEST_F(Sprites, CarryingObject43LeavesOnlyColourFifteen) {
  gfx.tumbold.image.pixels.assign(16, 15);
  gfx.tumbold.image.pixels[0] = 4;
  state.objects.assign(44, sim::ObjectState{});
  state.frame = 0;
  EXPECT_EQ(count(composed(), 4), 1);
  state.objects[43].room = sim::kRoomCarried;
  auto out = composed();
  EXPECT_EQ(count(out, 4), 0);
  EXPECT_EQ(count(out, 15), 15);
}

TEST_F(Sprites, GlueonAndShadesOverlaysFollowTheTables) {
  state.frame = 25;  // below the first glueon frame 26
  EXPECT_EQ(count(composed(), 5), 0);
  state.frame = 26;  // glueonFrames[0] = 0
  EXPECT_EQ(find(composed(), 5), std::make_pair(132, 100));
  state.frame = 27;  // glueonFrames[1] = 1
  EXPECT_EQ(find(composed(), 5), std::make_pair(133, 100));
  state.frame = 28;  // past the table
  EXPECT_EQ(count(composed(), 5), 0);

  state.frame = 1;  // shades entry {6, 2, 1}
  state.objects.assign(1, sim::ObjectState{});
  EXPECT_EQ(count(composed(), 4), 0);
  state.objects[0].room = sim::kRoomCarried;
  EXPECT_EQ(find(composed(), 4), std::make_pair(107, 102));
  state.frame = 3;  // past the three entries
  EXPECT_EQ(count(composed(), 4), 0);
}

TEST_F(Sprites, LaterSpritesCoverEarlierOnes) {
  sim::ActorState actor;
  actor.room = 1;
  actor.x = 100;
  actor.y = 100;
  state.actors = {actor};
  state.firstActor = 0;
  state.frame = 0;
  auto out = composed();
  EXPECT_EQ(out.pixels[100 * 320 + 100], 1);  // the hero over the actor
}

// Frame rectangles are not checked against their picture when loaded: only
// the part that lies inside it is drawn, whatever the numbers, and positions
// far off the screen draw nothing.
TEST_F(Sprites, FramesOutsideTheirPictureDrawOnlyWhatItHolds) {
  constexpr int kMax = 2147483647;
  constexpr int kMin = -2147483647 - 1;
  struct Case {
    int x, y, w, h, ox, oy;
    int drawn;  // of the 4 x 4 picture's 16 pixels
  };
  const Case cases[] = {
      {2, 2, 4, 4, 0, 0, 4},       {-2, -2, 4, 4, 0, 0, 4},      {4, 0, 4, 4, 0, 0, 0},
      {0, 0, kMax, kMax, 0, 0, 16}, {kMax, kMax, kMax, kMax, 0, 0, 0}, {kMin, kMin, kMax, kMax, 0, 0, 0},
      {0, 0, 4, 4, kMax, kMax, 0},  {0, 0, 4, 4, kMin, kMin, 0},  {kMin, 0, kMax, 4, kMax, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x << " " << c.y << " " << c.w << " " << c.h << " " << c.ox << " " << c.oy);
    assets::SpriteFrame& f = gfx.tumbold.frames[0];
    f.x = c.x, f.y = c.y, f.w = c.w, f.h = c.h, f.ox = c.ox, f.oy = c.oy;
    state.frame = 0;
    EXPECT_EQ(count(composed(), 1), c.drawn);
  }
}
