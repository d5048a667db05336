// Checks on the shipped data set itself: the file list, the tile set and the world
// load through the real loaders, and the world stays within the limits the engine
// and the offline tools rely on.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "assets/palette.h"
#include "core/files.h"
#include "assets/tile_set.h"
#include "sim/content.h"
#include "sim/script_program.h"
#include "sim/simulation.h"
#include "world/world.h"
#include "shipped_data.h"

namespace {

namespace fs = std::filesystem;

using data_test::kRoot;

std::set<std::string> dataSetNames() {
  std::set<std::string> names = {
      "assets/UI/frame_transparent.png", "assets/UI/menu/empty_thumb.png",
      "assets/UI/menu/font.png", "assets/UI/menu/highlight.png", "assets/UI/menu/latest.png",
      "assets/UI/menu/menu.json", "assets/UI/menu/panel.png", "assets/UI/menu/slider.png",
      "assets/UI/menu/slot.png", "assets/UI/menu/small_font.png", "assets/UI/menu/stripe.png",
      "assets/UI/title_frame.png", "assets/audio/Tumbold_jump.wav", "assets/audio/adlib.dat",
      "assets/audio/beeper.dat", "assets/graphics/draw_tables.json", "assets/graphics/font.json",
      "assets/graphics/font.png", "assets/graphics/lifts.json", "assets/graphics/lifts.png",
      "assets/graphics/logo.json", "assets/graphics/logo.png", "assets/graphics/objects.json",
      "assets/graphics/objects.png", "assets/graphics/panel.png", "assets/graphics/tiles.json",
      "assets/graphics/tiles.png", "assets/icon/icon_64.png", "assets/palettes/ega.json",
      "assets/palettes/vga.json", "world/world.json"};
  for (const char* set : {"balloon", "chandel", "frank", "glueon", "misc", "shades", "tumbold"}) {
    names.insert(std::string("assets/graphics/sprites/") + set + ".json");
    names.insert(std::string("assets/graphics/sprites/") + set + ".png");
  }
  for (int n = 1; n <= 20; ++n) {
    char name[64];
    std::snprintf(name, sizeof name, "assets/audio/energy/energy_%02d.wav", n);
    names.insert(name);
  }
  return names;
}

std::set<std::string> filesOnDisk() {
  std::set<std::string> found;
  for (const char* folder : {"assets", "world"}) {
    const fs::path base = kRoot / folder;
    if (!fs::exists(base)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(base)) {
      if (entry.is_regular_file()) found.insert(fs::relative(entry.path(), kRoot).generic_string());
    }
  }
  return found;
}

using data_test::shipped;

// Quadrant attribute at a pixel of the play area (y counted from the top of the screen).
int attrAt(const world::Room& room, const assets::TileSet& tiles, int x, int y) {
  if (x < 0 || x >= 320 || y < 40 || y >= 200) return 0;
  const int tile = room.tiles[(y - 40) / 16][x / 16];
  if (tile >= tiles.collisionTiles || tile >= static_cast<int>(tiles.attributes.size())) return 0;
  return tiles.attributes[tile][2 * (((y - 40) / 8) & 1) + ((x / 8) & 1)];
}

bool usesFrameCharacter(const std::string& text) {
  return text.find_first_of("\"*#-/$+%&'=<") != std::string::npos;
}

// ---------------------------------------------------------------- the file list

TEST(DataSetFiles, NothingButTheSixtyFiveNamesLiveInTheDataFolders) {
  const auto allowed = dataSetNames();
  ASSERT_EQ(allowed.size(), 65u);
  for (const auto& name : filesOnDisk()) {
    EXPECT_TRUE(allowed.count(name)) << name << " is not one of the 65 data files";
  }
}

TEST(DataSetFiles, AllSixtyFiveNamesArePresent) {
  const auto found = filesOnDisk();
  std::vector<std::string> missing;
  for (const auto& name : dataSetNames())
    if (!found.count(name)) missing.push_back(name);
  if (missing.size() > 10) GTEST_SKIP() << missing.size() << " data files are still being authored";
  for (const auto& name : missing) ADD_FAILURE() << name << " is missing";
}

// ---------------------------------------------------------------- the tile set

TEST(ShippedTiles, LoadWithTheGeometryTheEngineAssumes) {
  const auto& tiles = shipped().tiles;
  ASSERT_TRUE(tiles.has_value());
  EXPECT_EQ(tiles->collisionTiles, 912);
  EXPECT_GE(tiles->count, 1384);
  EXPECT_GE(tiles->attributes.size(), 912u);
  EXPECT_GE(tiles->image.width, 16 * tiles->columns);
  EXPECT_GE(tiles->image.height, 16 * ((tiles->count + tiles->columns - 1) / tiles->columns));
}

TEST(ShippedTiles, PixelsAreOpaquePaletteColours) {
  const auto& tiles = shipped().tiles;
  ASSERT_TRUE(tiles.has_value());
  const auto bad = std::find_if(tiles->image.pixels.begin(), tiles->image.pixels.end(),
                                [](std::uint8_t p) { return p > 15; });
  EXPECT_EQ(bad, tiles->image.pixels.end()) << "tile sheet pixel value " << int(*bad);
}

TEST(ShippedTiles, EveryCollisionClassIsUsedAndTheRideTileIsSolid) {
  const auto& tiles = shipped().tiles;
  ASSERT_TRUE(tiles.has_value());
  std::set<int> classes;
  for (int t = 0; t < tiles->collisionTiles; ++t)
    for (auto q : tiles->attributes[t]) classes.insert(q);
  for (int c = 0; c <= 3; ++c) EXPECT_TRUE(classes.count(c)) << "collision class " << c << " unused";
  const std::array<std::uint8_t, 4> solid{1, 1, 1, 1};
  EXPECT_EQ(tiles->attributes[908], solid);
}

TEST(ShippedTiles, LifeTilesKeepColourTenAsTheirKey) {
  const auto& tiles = shipped().tiles;
  ASSERT_TRUE(tiles.has_value());
  auto pixel = [&](int tile, int x, int y) {
    const int px = 16 * (tile % tiles->columns) + x, py = 16 * (tile / tiles->columns) + y;
    return tiles->image.pixels[py * tiles->image.width + px];
  };
  int key = 0, shown = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      EXPECT_EQ(pixel(1383, x, y), 10) << "the blank slot must be all key colour";
      (pixel(1382, x, y) == 10 ? key : shown)++;
    }
  }
  EXPECT_GT(key, 0);
  EXPECT_GT(shown, 20) << "the life icon must show a picture";
}

// ---------------------------------------------------------------- the world

TEST(ShippedWorld, LoadsWithRoomsInIdOrder) {
  const auto& world = shipped().world;
  ASSERT_TRUE(world.has_value());
  ASSERT_EQ(world->rooms.size(), 77u);
  for (std::size_t k = 0; k < world->rooms.size(); ++k) {
    EXPECT_EQ(world->rooms[k].id, static_cast<int>(k));
    EXPECT_LE(world->rooms[k].name.size(), 20u) << "room " << k;
    EXPECT_FALSE(world->rooms[k].name.empty()) << "room " << k;
  }
  EXPECT_TRUE(world->screens.count("title"));
  EXPECT_TRUE(world->screens.count("end"));
  for (const char* page : {"title", "ending", "game_over"}) EXPECT_TRUE(world->textScreens.count(page));
}

TEST(ShippedWorld, StaysWithinTheRecordLimits) {
  const auto& world = shipped().world;
  ASSERT_TRUE(world.has_value());
  EXPECT_GE(world->entities.size(), 86u);
  EXPECT_LE(world->entities.size(), 119u);
  EXPECT_GE(world->lifts.size(), 4u);
  EXPECT_LE(world->lifts.size(), 12u);
  EXPECT_EQ(world->actors.size(), 8u);
  ASSERT_EQ(world->objects.size(), 88u);
  for (std::size_t i = 0; i < world->objects.size(); ++i) {
    const auto& object = world->objects[i];
    EXPECT_EQ(object.id, static_cast<int>(i));
    EXPECT_EQ(object.graphic, static_cast<int>(i));
    EXPECT_EQ(object.x % 8, 0) << "object " << i;
    if (i < 78) {
      EXPECT_GE(object.name, 0) << "pickable object " << i << " has no name";
    } else {
      EXPECT_EQ(object.name, -1) << "scenery object " << i;
    }
    EXPECT_TRUE(object.room == -1 || (object.room >= 0 && object.room < 75)) << "object " << i;
  }
  for (const auto& lift : world->lifts) EXPECT_NE(lift.room, 255);
}

TEST(ShippedWorld, TilesReferToExistingNonBlankTiles) {
  const auto& world = shipped().world;
  const auto& tiles = shipped().tiles;
  ASSERT_TRUE(world.has_value() && tiles.has_value());
  for (const auto& room : world->rooms)
    for (const auto& row : room.tiles)
      for (auto id : row) {
        EXPECT_LT(id, tiles->count) << "room " << room.id;
        EXPECT_EQ(id & 0x8000, 0) << "room " << room.id;
      }
  for (const auto& [name, screen] : world->screens)
    for (const auto& row : screen.header)
      for (auto id : row) EXPECT_LT(id, tiles->count) << "screen " << name;
}

TEST(ShippedWorld, NoTextUsesTheBubbleFrameCharacters) {
  const auto& world = shipped().world;
  ASSERT_TRUE(world.has_value());
  for (const auto& room : world->rooms) EXPECT_FALSE(usesFrameCharacter(room.name)) << room.name;
  for (const auto& name : world->objectNames) EXPECT_FALSE(usesFrameCharacter(name)) << name;
  for (const auto& [key, text] : world->bubbles) EXPECT_FALSE(usesFrameCharacter(text)) << key;
  for (const auto& [key, segments] : world->textScreens) {
    for (const auto& segment : segments) {
      if (segment.kind == world::SegmentKind::Text) {
        EXPECT_FALSE(usesFrameCharacter(segment.text)) << key;
      }
    }
  }
  for (const auto& block : world->scripts) {
    for (const auto& op : block.ops) {
      if (op.name != "say" && op.name != "say_at") continue;
      for (const auto& arg : op.args) {
        if (const auto* text = std::get_if<std::string>(&arg)) {
          EXPECT_FALSE(usesFrameCharacter(*text)) << block.label << ": " << *text;
        }
      }
    }
  }
}

TEST(ShippedWorld, NeighbouringRoomsLeadBackToEachOther) {
  const auto& world = shipped().world;
  ASSERT_TRUE(world.has_value());
  const int opposite[4] = {1, 0, 3, 2};  // up, down, left, right
  for (const auto& room : world->rooms) {
    for (int side = 0; side < 4; ++side) {
      const auto& exit = room.exits[side];
      if (exit.kind != world::ExitKind::Room) continue;
      ASSERT_LT(exit.target, 75) << "room " << room.id;
      const auto& back = world->rooms[exit.target].exits[opposite[side]];
      EXPECT_TRUE(back.kind == world::ExitKind::Room && back.target == room.id)
          << "room " << room.id << " leads to " << exit.target << " on side " << side
          << " but not back";
    }
  }
}

TEST(ShippedWorld, SideExitsLineUpAtTheCrossingHeight) {
  // A hero walking across an edge keeps his y, so where one room has open air at the
  // edge above a floor, the neighbour must offer the same.
  const auto& world = shipped().world;
  const auto& tiles = shipped().tiles;
  ASSERT_TRUE(world.has_value() && tiles.has_value());
  auto standing = [&](const world::Room& room, int x, int y) {
    return attrAt(room, *tiles, x, y + 24) != 0 && attrAt(room, *tiles, x, y) == 0 &&
           attrAt(room, *tiles, x, y + 16) == 0;
  };
  for (const auto& room : world->rooms) {
    const auto& exit = room.exits[3];
    if (exit.kind != world::ExitKind::Room) continue;
    const auto& next = world->rooms[exit.target];
    for (int y = 48; y <= 168; y += 8) {
      // (Where the room's own edge is walled at that height, nobody crosses there.)
      if (standing(room, 300, y) && attrAt(room, *tiles, 316, y + 8) == 0) {
        EXPECT_EQ(attrAt(next, *tiles, 12, y + 8), 0)
            << "room " << room.id << " y " << y << ": the way right into room " << next.id << " is walled";
      }
      if (standing(next, 12, y) && attrAt(next, *tiles, 4, y + 8) == 0) {
        EXPECT_EQ(attrAt(room, *tiles, 300, y + 8), 0)
            << "room " << next.id << " y " << y << ": the way left into room " << room.id << " is walled";
      }
    }
  }
}

// A jump carries the hero across an edge at any height, not only at the floor: so
// wherever one room's edge is walled, the neighbour's is walled too, or he comes down
// inside the wall. The open sky the balloon crosses is seen from the basket only.
TEST(ShippedWorld, NeighbouringEdgesAreWalledAtTheSameHeights) {
  const auto& world = shipped().world;
  const auto& tiles = shipped().tiles;
  ASSERT_TRUE(world.has_value() && tiles.has_value());
  const std::set<int> openSky = {46, 54};
  int edges = 0;
  for (const auto& room : world->rooms) {
    const auto& exit = room.exits[3];
    if (room.id >= 75 || exit.kind != world::ExitKind::Room || openSky.count(room.id) || openSky.count(exit.target))
      continue;
    const auto& next = world->rooms[exit.target];
    ++edges;
    for (int y = 56; y < 168; y += 8) {
      EXPECT_EQ(attrAt(room, *tiles, 316, y) == 1, attrAt(next, *tiles, 4, y) == 1)
          << "room " << room.id << " and room " << next.id << " at y " << y << ": one edge is walled, the other open";
    }
  }
  EXPECT_GT(edges, 30);
}

TEST(ShippedWorld, FloorOpeningsLineUpWithTheCeilingOpeningsBelow) {
  // Where a hero can fall out of the bottom of a room, the room below must be open at
  // its top, or he drops through solid rock.
  const auto& world = shipped().world;
  const auto& tiles = shipped().tiles;
  ASSERT_TRUE(world.has_value() && tiles.has_value());
  auto passable = [](int attr) { return attr == 0 || attr == 3; };
  for (const auto& room : world->rooms) {
    const auto& exit = room.exits[1];
    if (exit.kind != world::ExitKind::Room) continue;
    const auto& below = world->rooms[exit.target];
    for (int x = 4; x < 320; x += 8) {
      const bool fallsOut = passable(attrAt(room, *tiles, x, 172)) && passable(attrAt(room, *tiles, x, 180)) &&
                            passable(attrAt(room, *tiles, x, 188)) && passable(attrAt(room, *tiles, x, 196));
      if (!fallsOut) continue;
      EXPECT_NE(attrAt(below, *tiles, x, 44), 1) << "room " << room.id << " x " << x << " falls into the ceiling of room "
                                                  << below.id;
      EXPECT_NE(attrAt(below, *tiles, x, 52), 1) << "room " << room.id << " x " << x;
    }
    // And the other way: a jump through an opening in the ceiling below must not end
    // inside the floor above.
    for (int x = 4; x < 320; x += 8) {
      if (attrAt(below, *tiles, x, 44) == 1 || attrAt(below, *tiles, x, 52) == 1) continue;
      EXPECT_NE(attrAt(room, *tiles, x, 188), 1) << "room " << below.id << " x " << x << " jumps into the floor of room "
                                                  << room.id;
      EXPECT_NE(attrAt(room, *tiles, x, 196), 1) << "room " << below.id << " x " << x;
    }
  }
}

// Where a floor or ledge breaks for one or two 8-pixel cells at the same height, the
// hero's feet probes (20 pixels apart) bridge the break: he walks over it as if it were
// floor. Such a break looks like a hole the hero should fall into, so the shipped rooms
// have none: a walkway is either whole or broken by a drop at least three cells wide.
TEST(ShippedWorld, WalkwaysHaveNoGapsTheHeroCanStandOver) {
  const auto& world = shipped().world;
  const auto& tiles = shipped().tiles;
  ASSERT_TRUE(world.has_value() && tiles.has_value());
  int surfaces = 0;
  for (const auto& room : world->rooms) {
    if (room.id >= 75) continue;
    // A cell is a surface when it holds the hero up and the cell above is open air.
    auto surface = [&](int cx, int cy) {
      return attrAt(room, *tiles, 8 * cx + 4, 8 * cy + 4) != 0 && attrAt(room, *tiles, 8 * cx + 4, 8 * cy - 4) == 0;
    };
    for (int cy = 6; cy < 25; ++cy) {
      for (int cx = 0; cx < 40; ++cx) {
        if (!surface(cx, cy)) continue;
        ++surfaces;
        int gap = 0;
        while (cx + 1 + gap < 40 && attrAt(room, *tiles, 8 * (cx + 1 + gap) + 4, 8 * cy + 4) == 0) ++gap;
        if (gap >= 1 && gap <= 2 && cx + 1 + gap < 40 && surface(cx + 1 + gap, cy)) {
          ADD_FAILURE() << "room " << room.id << " (" << room.name << "): a " << 8 * gap << "-pixel gap in the walkway at x "
                        << 8 * (cx + 1) << " y " << 8 * cy << " (column " << (cx + 1) / 2 << ", row " << (cy - 5) / 2
                        << "): fill it or widen it to a drop";
        }
      }
    }
  }
  EXPECT_GT(surfaces, 1000) << "the scan found too few floors to be looking at the rooms";
}

// The tile that shows the mirror image of each tile: a tile named "..._l" stands for
// its "..._r" (and "_tl" for "_tr", "_bl" for "_br"), any other tile for itself.
std::vector<int> mirrorTiles(int count) {
  std::vector<int> mirror(static_cast<std::size_t>(count));
  for (int t = 0; t < count; ++t) mirror[static_cast<std::size_t>(t)] = t;
  std::map<std::string, int> ids;
  for (const auto& [id, name] : data_test::tileNames()) ids[name] = id;
  const std::pair<std::string, std::string> sides[] = {{"_tl", "_tr"}, {"_bl", "_br"}, {"_l", "_r"}};
  for (const auto& [name, id] : ids) {
    auto ends = [&](const std::string& end) {
      return name.size() > end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0;
    };
    for (const auto& [a, b] : sides) {
      const std::string other = ends(a)   ? name.substr(0, name.size() - a.size()) + b
                                : ends(b) ? name.substr(0, name.size() - b.size()) + a
                                          : std::string();
      if (other.empty()) continue;
      if (ids.count(other) && id < count) mirror[static_cast<std::size_t>(id)] = ids[other];
      break;
    }
  }
  return mirror;
}

// The rooms began as copies of a few layouts, told apart only by their decoration.
// Now every room is built its own way: any two differ in the collision of at least
// sixteen 8-pixel cells (four tiles' worth of floor), so a room pasted from another
// and only redecorated is noticed; and in at least 40 of their 200 tiles (a fifth),
// also when one of them is seen in a mirror, so that a player never takes one room
// for another. The open sky the balloon crosses has no floor to tell apart.
TEST(ShippedWorld, EveryRoomHasALayoutOfItsOwn) {
  const auto& world = shipped().world;
  const auto& tiles = shipped().tiles;
  ASSERT_TRUE(world.has_value() && tiles.has_value());
  const std::set<std::pair<int, int>> noFloors = {{46, 54}};
  const std::vector<int> mirror = mirrorTiles(tiles->count);
  auto mirrored = [&](int t) { return t >= 0 && t < tiles->count ? mirror[static_cast<std::size_t>(t)] : t; };
  auto solid = [&](const world::Room& room, int cx, int cy) { return attrAt(room, *tiles, 8 * cx + 4, 8 * cy + 4) != 0; };
  int worst = 200;
  for (std::size_t a = 0; a < world->rooms.size() && a < 75; ++a) {
    for (std::size_t b = a + 1; b < world->rooms.size() && b < 75; ++b) {
      const auto& ra = world->rooms[a];
      const auto& rb = world->rooms[b];
      if (!noFloors.count({static_cast<int>(a), static_cast<int>(b)})) {
        int differ = 0;
        for (int cy = 5; cy < 25; ++cy)
          for (int cx = 0; cx < 40; ++cx) differ += solid(ra, cx, cy) != solid(rb, cx, cy);
        EXPECT_GE(differ, 16) << "rooms " << a << " (" << ra.name << ") and " << b << " (" << rb.name
                              << ") share a layout";
      }
      int straight = 0, flipped = 0;
      for (int r = 0; r < 10; ++r) {
        for (int c = 0; c < 20; ++c) {
          straight += ra.tiles[r][c] != rb.tiles[r][c];
          flipped += ra.tiles[r][c] != mirrored(rb.tiles[r][19 - c]);
        }
      }
      const int differ = std::min(straight, flipped);
      worst = std::min(worst, differ);
      EXPECT_GE(differ, 40) << "rooms " << a << " (" << ra.name << ") and " << b << " (" << rb.name << ") differ in "
                            << differ << " of 200 tiles" << (flipped < straight ? ", one the mirror image of the other" : "");
    }
  }
  EXPECT_LT(worst, 200) << "no rooms compared";
}

// What a player learns of a room is where he can stand in it. The places to stand
// between the ceiling row and the two floor rows (a tile whose top holds the hero,
// with nothing solid right above it) must differ from room to room: no two rooms
// share three quarters of them (the share of all the places either has), also when
// one is seen in a mirror.
TEST(ShippedWorld, EveryRoomHasAShapeOfItsOwn) {
  const auto& world = shipped().world;
  const auto& tiles = shipped().tiles;
  ASSERT_TRUE(world.has_value() && tiles.has_value());
  auto places = [&](const world::Room& room, bool mirrored) {
    std::set<std::pair<int, int>> found;
    for (int r = 1; r <= 7; ++r) {
      for (int c = 0; c < 20; ++c) {
        const int x = 16 * c, top = 40 + 16 * r;
        const bool holds = attrAt(room, *tiles, x + 4, top + 4) != 0 || attrAt(room, *tiles, x + 12, top + 4) != 0;
        bool covered = false;
        for (int dx : {4, 12})
          for (int dy : {-12, -4}) covered = covered || attrAt(room, *tiles, x + dx, top + dy) == 1;
        if (holds && !covered) found.insert({r, mirrored ? 19 - c : c});
      }
    }
    return found;
  };
  auto share = [](const std::set<std::pair<int, int>>& a, const std::set<std::pair<int, int>>& b) {
    std::size_t both = 0;
    for (const auto& p : a) both += b.count(p);
    const std::size_t either = a.size() + b.size() - both;
    return either == 0 ? 1.0 : static_cast<double>(both) / static_cast<double>(either);
  };
  const std::size_t rooms = std::min<std::size_t>(world->rooms.size(), 75);
  for (std::size_t a = 0; a < rooms; ++a) {
    const auto mine = places(world->rooms[a], false);
    for (std::size_t b = a + 1; b < rooms; ++b) {
      const double same = std::max(share(mine, places(world->rooms[b], false)), share(mine, places(world->rooms[b], true)));
      EXPECT_LT(same, 0.75) << "rooms " << a << " (" << world->rooms[a].name << ") and " << b << " ("
                            << world->rooms[b].name << ") share " << static_cast<int>(100 * same)
                            << " % of their places to stand";
    }
  }
}

// The player's notes draw the map from the rooms' exits. It shows every door, the same
// letter after the numbers of both rooms it joins, and every balloon ride, a "~" joining
// each room that has nowhere to stand to the rooms beside it.
TEST(ShippedWorld, TheMapInThePlayersNotesShowsTheDoorsAndTheBalloonRides) {
  const auto& world = shipped().world;
  const auto& tiles = shipped().tiles;
  ASSERT_TRUE(world.has_value() && tiles.has_value());
  const auto notes = core::readTextFile(kRoot / "docs" / "world.md");
  ASSERT_TRUE(notes);
  const auto from = notes->find("```\n", notes->find("## The map"));
  ASSERT_NE(from, std::string::npos);
  const std::string map = notes->substr(from + 4, notes->find("```", from + 4) - from - 4);
  std::map<int, char> mark;  // room -> the character after its number
  const std::regex number("([0-9]+)(.)");
  for (std::sregex_iterator it(map.begin(), map.end(), number), end; it != end; ++it)
    mark[std::stoi((*it)[1])] = (*it)[2].str()[0];
  int doors = 0, rides = 0;
  for (const auto& room : world->rooms) {
    if (room.id >= 75) continue;
    for (const auto& exit : room.exits) {
      if (exit.kind != world::ExitKind::Door) continue;
      const int other = world->doors[static_cast<std::size_t>(exit.target)].room;
      EXPECT_TRUE(std::isalpha(mark[room.id]) && mark[room.id] == mark[other])
          << "the door of room " << room.id << " to room " << other << " is not on the map";
      ++doors;
    }
    // A balloon pad (the ride tiles) carries the hero through side exits to the rooms
    // where the game lands a ride: 53 to the right, 45 to the left.
    bool pad = false;
    for (const auto& row : room.tiles)
      for (int tile : row) pad = pad || (tile >= 908 && tile <= 910);
    if (!pad) continue;
    for (const auto& [side, landing] : {std::pair{world::kExitRight, 53}, std::pair{world::kExitLeft, 45}}) {
      for (int r = room.id, hops = 0; r != landing && hops < 8; ++hops) {
        const auto& exit = world->rooms[static_cast<std::size_t>(r)].exits[static_cast<std::size_t>(side)];
        ASSERT_EQ(exit.kind, world::ExitKind::Room) << "the balloon from room " << room.id << " finds no way on";
        EXPECT_EQ(mark[side == world::kExitLeft ? exit.target : r], '~')
            << "the balloon ride from room " << r << " to room " << exit.target << " is not on the map";
        ++rides;
        r = exit.target;
      }
    }
  }
  EXPECT_GE(doors, 3);
  EXPECT_GE(rides, 4);
}

TEST(ShippedWorld, StartPlaceIsAFreeStandingSpot) {
  const auto& world = shipped().world;
  const auto& tiles = shipped().tiles;
  ASSERT_TRUE(world.has_value() && tiles.has_value());
  const auto& start = world->rooms[world->newGameRoom];
  for (int probe : {10, 18, 26, 29}) {
    EXPECT_NE(attrAt(start, *tiles, world->newGameX + probe, world->newGameY + 24), 0);
    for (int dy = 0; dy < 24; dy += 4)
      EXPECT_EQ(attrAt(start, *tiles, world->newGameX + probe, world->newGameY + dy), 0);
  }
}

TEST(ShippedWorld, RulesNameObjectsThatExistAndWinObjectsStartPlaced) {
  const auto& world = shipped().world;
  ASSERT_TRUE(world.has_value());
  const int count = static_cast<int>(world->objects.size());
  ASSERT_FALSE(world->winObjects.empty());
  for (int index : world->winObjects) {
    ASSERT_LT(index, count);
    EXPECT_GE(world->objects[index].room, 0) << "win object " << index << " starts nowhere";
  }
  for (int index : {world->firePuzzle.carried, world->firePuzzle.placed, world->firePuzzle.reveals})
    EXPECT_TRUE(index >= 0 && index < count);
  EXPECT_EQ(world->ballRooms, (std::vector<int>{25, 26, 27}));
  for (int room : world->ballRooms)
    EXPECT_NE(std::find(world->sharedThreadRooms.begin(), world->sharedThreadRooms.end(), room),
              world->sharedThreadRooms.end());
  EXPECT_EQ(world->energyFull, 46);
  ASSERT_GE(world->liftStops.size(), 18u);
  EXPECT_TRUE(world->liftStops[16].has_value() && world->liftStops[17].has_value());
  EXPECT_EQ(world->actors.end() - std::find_if(world->actors.begin(), world->actors.end(),
                                                [](const world::Actor& a) { return a.state == 5; }) > 0,
            true);
}

TEST(ShippedWorld, ActorsOfOneRoomAreConsecutive) {
  const auto& world = shipped().world;
  ASSERT_TRUE(world.has_value());
  std::set<int> finished;
  for (std::size_t i = 0; i < world->actors.size(); ++i) {
    const int room = world->actors[i].room;
    EXPECT_FALSE(finished.count(room)) << "actor " << i << " in room " << room;
    if (i + 1 == world->actors.size() || world->actors[i + 1].room != room) finished.insert(room);
  }
}

// ---------------------------------------------------------------- scripts

TEST(ShippedScripts, CompileWithinTheScriptArea) {
  const auto& world = shipped().world;
  ASSERT_TRUE(world.has_value());
  const auto program = sim::compileScripts(*world);
  ASSERT_TRUE(program.has_value());
  // The last block is code, so its block end marks the end of the layout.
  ASSERT_FALSE(world->scripts.empty());
  ASSERT_EQ(world->scripts.back().kind, world::BlockKind::Code);
  const int size = program->layout.codeAddress.back() - sim::kScriptBase;
  EXPECT_LT(size, 9260) << "the script layout runs into the entity records";
  for (const char* label : {"L_76D8", "L_7704", "L_7480", "L_756D"}) EXPECT_GE(program->label(label), 0) << label;
  for (int i : program->conversation) EXPECT_GE(i, 0);
}

// A step script that redraws re-enters the step scheduler while it is still running.
// However that nesting treats the running script, nothing may follow the redraw but
// the script's end, so the shipped game plays the same under every reading.
TEST(ShippedScripts, StepScriptsRedrawOnlyAsTheirLastActBeforeStopping) {
  const auto& world = shipped().world;
  ASSERT_TRUE(world.has_value());
  std::set<std::string> stepLabels = {"L_76D8", "L_7704"};
  for (const auto& entity : world->entities)
    if (!entity.step.empty()) stepLabels.insert(entity.step);
  auto named = [](const world::ScriptOp& op, std::size_t i) {
    return op.args.size() > i && std::holds_alternative<std::string>(op.args[i]) ? std::get<std::string>(op.args[i])
                                                                                 : std::string();
  };
  int checked = 0;
  for (const auto& block : world->scripts) {
    if (block.kind != world::BlockKind::Code) continue;
    bool isStep = stepLabels.count(block.label) > 0;
    for (const auto& op : block.ops) isStep = isStep || (op.name == "label" && stepLabels.count(named(op, 0)));
    if (!isStep) continue;
    for (std::size_t i = 0; i < block.ops.size(); ++i) {
      const auto& op = block.ops[i];
      const bool redraws = op.name == "place" || (op.name == "native" && named(op, 0) == "redraw");
      if (!redraws) continue;
      ++checked;
      EXPECT_TRUE(i + 1 < block.ops.size() && block.ops[i + 1].name == "stop")
          << block.label << ": instruction " << i << " (" << op.name << ") is not followed by stop";
    }
  }
  EXPECT_GT(checked, 0) << "no step script redraws: the check has nothing to look at";
}

// Columns and rows a bubble covers: its widest line plus the frame, its lines plus
// top and bottom edges.
std::pair<int, int> bubbleSize(const std::string& text) {
  int width = 0, lines = 1, current = 0;
  for (char c : text) {
    if (c == '\n') {
      ++lines;
      current = 0;
    } else {
      width = std::max(width, ++current);
    }
  }
  return {width + 2, lines + 2};
}

TEST(ShippedScripts, FixedBubblesFitTheScreenWithTheirTailsUnderThem) {
  const auto& world = shipped().world;
  ASSERT_TRUE(world.has_value());
  const auto program = sim::compileScripts(*world);
  ASSERT_TRUE(program.has_value());
  auto check = [](const std::string& where, int x, int y, int tail, const std::string& text) {
    const auto [w, h] = bubbleSize(text);
    EXPECT_GE(x, 0) << where;
    EXPECT_LE(x + w, 40) << where << ": " << text;
    EXPECT_GE(y, 5) << where << " covers the panel";
    EXPECT_LE(y + h, 25) << where;
    EXPECT_TRUE(tail >= x && tail < x + w) << where << ": the tail misses the bubble";
  };
  for (std::size_t i = 0; i < program->instrs.size(); ++i) {
    const auto& in = program->instrs[i];
    if (in.op == 19) check("say_at " + std::to_string(i), in.a, in.b, (in.a + in.c) & 127, in.text);
    if (in.op != 21) continue;
    // A conversation at a character: the opening bubble at the template's place,
    // the answers two columns left and two rows up with the same tail.
    const int x = in.a & 0xFF, y = (in.a >> 8) & 0xFF, extra = in.b;
    for (int k = 0; k < 4; ++k) {
      ASSERT_GE(program->conversation[k], 0);
      const auto& say = program->instrs[program->conversation[k]];
      const int bx = k == 0 ? x : x - 2, by = k == 0 ? y : y - 2;
      check("template " + std::to_string(i) + " bubble " + std::to_string(k), bx, by, (x + extra) & 127, say.text);
    }
  }
}

TEST(ShippedScripts, EntityGraphicsFitThePlayArea) {
  const auto& world = shipped().world;
  ASSERT_TRUE(world.has_value());
  const auto program = sim::compileScripts(*world);
  ASSERT_TRUE(program.has_value());
  for (std::size_t i = 0; i < program->entities.size(); ++i) {
    const auto& entity = program->entities[i];
    if (entity.gfx < 0) continue;
    const auto& gfx = program->graphics[entity.gfx];
    EXPECT_GE(entity.y8, 5) << "entity " << i;
    EXPECT_LE(entity.x8 + 2 * gfx.cols - 1, 39) << "entity " << i;
    EXPECT_LE(entity.y8 - 5 + 2 * gfx.rows - 1, 19) << "entity " << i;
  }
  ASSERT_GT(program->entities.size(), 85u);
  EXPECT_EQ(program->entities[26].step, -1);
  EXPECT_EQ(program->entities[26].touch, -1);
  EXPECT_GE(program->entities[9].touch, 0) << "the lift switch needs a way to turn on";
}

// ---------------------------------------------------------------- play around the start

struct Played {
  std::string error;
  sim::GameState state;
};

Played play(const std::vector<std::pair<std::uint8_t, int>>& inputs) {
  data_test::Game game;
  for (const auto& [input, steps] : inputs)
    if (!game.run(input, steps)) break;
  return {game.error(), game.state()};
}

TEST(ShippedPlay, TheHeroStandsStillAtTheStart) {
  ASSERT_TRUE(shipped().complete());
  const auto result = play({{0, 300}});
  EXPECT_EQ(result.error, "");
  EXPECT_EQ(result.state.room, 2);
  EXPECT_EQ(result.state.x, 106);
  EXPECT_EQ(result.state.y, 144);
}

TEST(ShippedPlay, WalkingAndJumpingAroundTheStartNeverStops) {
  ASSERT_TRUE(shipped().complete());
  // Left into the baker's yard, back, up through the cottage, down through the floor.
  const auto result = play({{4, 200}, {8, 120}, {1 | 8, 60}, {4, 80}, {1 | 4, 40}, {0, 30},
                            {8, 400}, {2, 30}, {16, 5}, {0, 200}});
  EXPECT_EQ(result.error, "");
  EXPECT_LT(result.state.room, 75);
}

TEST(ShippedPlay, DroppingThroughTheCottageFloorReachesTheStreetBelow) {
  ASSERT_TRUE(shipped().complete());
  // The cracked floor right of the start lets the hero through to the room below.
  const auto result = play({{8, 40}, {0, 200}});
  EXPECT_EQ(result.error, "");
  EXPECT_EQ(result.state.room, shipped().world->rooms[2].exits[1].target);
}

}  // namespace
