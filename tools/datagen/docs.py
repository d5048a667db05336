"""docs/world.md: the player's notes on the world, from tools/data/docs/world.md, with the
map drawn from the rooms' exits (so that it always shows the rooms where the game has
them) in place of the line "{{map}}".

Each room sits one column to the right of the room on its left and one row under the
room above it; the rooms that no exit joins to the start (the temple, reached through
the chapel mirror) get a row of their own below. Each row names the kinds of rooms in it.
A letter after a room number marks a door, the same letter at both rooms it joins; a "~"
after one joins it to the room on its right by a balloon ride, from a room with a balloon
pad through side exits to the room where the game lands the ride.
"""

import collections
import json
import pathlib

from . import common, tiles, world

DATA = pathlib.Path(__file__).resolve().parent.parent / "data" / "docs"
PLAY_ROOMS = 75
START = 2
STEPS = (("up", 0, -1), ("down", 0, 1), ("left", -1, 0), ("right", 1, 0))


class MapError(Exception):
    pass


def place(rooms, start, origin, where):
    """Grid places of the rooms that exits join to start."""
    where[start] = origin
    queue = collections.deque([start])
    while queue:
        room = queue.popleft()
        x, y = where[room]
        for side, dx, dy in STEPS:
            target = rooms[room]["exits"][side]
            if not isinstance(target, int) or target >= PLAY_ROOMS:
                continue
            spot = (x + dx, y + dy)
            if target in where:
                if where[target] != spot:
                    raise MapError(f"room {target} lies both at {where[target]} and at {spot}")
                continue
            where[target] = spot
            queue.append(target)


def door_marks(rooms, doors):
    """A letter per room that a door joins to another, the same for both rooms."""
    pairs = []
    for room in range(PLAY_ROOMS):
        for side, _, _ in STEPS:
            target = rooms[room]["exits"][side]
            if isinstance(target, dict) and "door" in target:
                pair = sorted({room, doors[target["door"]]["room"]})
                if pair not in pairs:
                    pairs.append(pair)
    marks = {}
    for letter, pair in zip("abcdefghijklmnopqrstuvwxyz", pairs):
        for room in pair:
            if room in marks:
                raise MapError(f"room {room} has doors to two rooms")
            marks[room] = letter
    return marks


# The ride tiles of a balloon pad, and the rooms where a ride comes down: the game
# lands a ride to the right in room 53 and one to the left in room 45.
RIDE_TILES = {908, 909, 910}
LANDINGS = {"right": 53, "left": 45}


def ride_links(rooms, attributes):
    """Rooms joined to their right neighbour by a balloon ride: from each room with a
    balloon pad, the side exits the balloon crosses to the room where it lands."""
    links = set()
    for pad in range(PLAY_ROOMS):
        if not any(int(t) in RIDE_TILES for row in rooms[pad]["tiles"] for t in row.split()):
            continue
        for side, landing in LANDINGS.items():
            room, seen = pad, set()
            while room != landing and room not in seen:
                seen.add(room)
                nxt = rooms[room]["exits"][side]
                if not isinstance(nxt, int):
                    raise MapError(f"the balloon from room {pad} finds no way {side} from room {room}")
                links.add(room if side == "right" else nxt)
                room = nxt
    return links


def themes():
    legend, names = world.read_legend(), tiles.tile_names()
    return [world.read_room(n, legend, names)[1] for n in range(PLAY_ROOMS)]


def draw(rooms, doors, attributes):
    where = {}
    place(rooms, START, (0, 0), where)
    bottom = max(y for _, y in where.values())
    for room in range(PLAY_ROOMS):
        if room not in where:
            left = min(x for x, _ in where.values())
            place(rooms, room, (left, bottom + 2), where)
            # the next group, if any, goes under this one
            bottom = max(y for _, y in where.values())
    cells = {}
    for room, spot in where.items():
        if spot in cells:
            raise MapError(f"rooms {cells[spot]} and {room} share a place on the map")
        cells[spot] = room
    kinds = themes()
    marks = door_marks(rooms, doors)
    for room in ride_links(rooms, attributes):
        if room in marks:
            raise MapError(f"room {room} has a door and a balloon ride")
        marks[room] = "~"
    xs = [x for x, _ in cells]
    ys = [y for _, y in cells]
    lines = []
    for y in range(min(ys), max(ys) + 1):
        row = [cells.get((x, y)) for x in range(min(xs), max(xs) + 1)]
        text = "".join(f"{r:3d}{marks.get(r, ' ')}" if r is not None else "    " for r in row)
        names = []
        for r in row:
            if r is not None and kinds[r] not in names:
                names.append(kinds[r])
        lines.append((text.rstrip(), ", ".join(names)))
    width = max(len(t) for t, _ in lines) + 4
    return "\n".join((t.ljust(width) + n).rstrip() for t, n in lines)


def generate(root):
    world_data = json.loads((pathlib.Path(root) / "world" / "world.json").read_text())
    attributes = json.loads((pathlib.Path(root) / "assets" / "graphics" / "tiles.json").read_text())["attributes"]
    text = (DATA / "world.md").read_text()
    if "{{map}}" not in text:
        raise MapError("tools/data/docs/world.md has no {{map}} line")
    picture = draw(world_data["rooms"], world_data["doors"], attributes)
    common.write_bytes(root, "docs/world.md", text.replace("{{map}}", picture).encode("ascii"))
