"""The game world: world/world.json (format "tumbold-world", schema 8).

Sources under tools/data/world:
  rooms/NN.txt     one room each: name, theme, exits and a 20 x 10 grid of tile characters
  legend.txt       what the grid characters mean (tile kinds of the room's theme)
  scripts.txt      graphic lists, touch boxes and entity code in a small assembly text
  entities.txt     the entities in order, with their scripts and graphics
  objects.txt      object names; placements.txt where each object starts
  setup.py         a Python literal: screens, texts, actors, lifts and the rules
"""

import ast
import pathlib
import shlex

from . import common, tiles

DATA = pathlib.Path(__file__).resolve().parent.parent / "data" / "world"

ROOMS = 77
NO_TILE = 0x8000
# Characters that draw the speech-bubble frame: never usable in texts.
FRAME_CHARS = set("\"*#-/$+%&'=<")
# The font draws the apostrophe on the grave accent's code, because "'" is the right
# half of a bubble tail; the sources write an ordinary apostrophe.
APOSTROPHE = "`"


class SourceError(Exception):
    pass


def read_legend():
    legend = {}
    for line in (DATA / "legend.txt").read_text().splitlines():
        words = line.split()
        # A legend line is one character and one name; anything longer is a comment.
        if len(words) == 2 and len(words[0]) == 1:
            legend[words[0]] = words[1]
    return legend


def resolve_tile(name, theme, names):
    """A tile name: "=id-name", "theme.kind", a bare kind of the room's theme or a number."""
    if name.isdigit():
        return int(name)
    if name == "-":
        return NO_TILE
    if name.startswith("="):
        key = name[1:]
    elif "." in name:
        key = name
    else:
        key = f"{theme}.{name}" if f"{theme}.{name}" in names else name
    if key not in names:
        raise SourceError(f"unknown tile '{name}' (theme {theme})")
    return names[key]


def parse_exit(text):
    text = text.strip()
    if text == "-":
        return None
    if text.startswith("door"):
        return {"door": int(text.split()[1])}
    return int(text)


def read_room(number, legend, names):
    path = DATA / "rooms" / f"{number:02d}.txt"
    lines = path.read_text().splitlines()
    fields, grid, local = {}, [], dict(legend)
    in_grid = False
    for line in lines:
        if in_grid:
            if line.strip():
                grid.append(line)
            continue
        if line.startswith("grid:"):
            in_grid = True
            continue
        if not line.strip() or line.startswith("#"):
            continue
        key, _, value = line.partition(":")
        if key == "legend":
            ch, _, name = value.strip().partition("=")
            local[ch] = name
        else:
            fields[key.strip()] = value.strip()
    if len(grid) != 10 or any(len(row) != 20 for row in grid):
        raise SourceError(f"{path.name}: the grid must be 10 rows of 20 characters")
    theme = fields["theme"]
    rows = []
    for row in grid:
        ids = []
        for ch in row:
            if ch not in local:
                raise SourceError(f"{path.name}: unknown grid character '{ch}'")
            ids.append(resolve_tile(local[ch], theme, names))
        rows.append(ids)
    room = {
        "id": number,
        "name": fields["name"],
        "tiles": [" ".join(str(t) for t in row) for row in rows],
        "exits": {k: parse_exit(fields.get(k, "-")) for k in ("up", "down", "left", "right")},
    }
    return room, theme


def read_scripts(names):
    """The assembly text: 'gfx LABEL cols rows tile...', 'touch LABEL dx dy w h',
    'code LABEL' followed by indented operations, 'raw LABEL hex'."""
    blocks, current = [], None
    text = (DATA / "scripts.txt").read_text()
    for number, line in enumerate(text.splitlines(), 1):
        stripped = line.split(";")[0].rstrip() if '"' not in line else line.rstrip()
        if not stripped.strip() or stripped.lstrip().startswith(";"):
            continue
        try:
            words = shlex.split(stripped, comments=False, posix=True)
        except ValueError as error:
            raise SourceError(f"scripts.txt:{number}: {error}")
        where = f"scripts.txt:{number}"
        if not line[0].isspace():
            kind, label = words[0], words[1]
            if kind == "gfx":
                cols, rows = int(words[2]), int(words[3])
                theme = "common"
                ids = []
                for word in words[4:]:
                    if word.startswith("theme="):
                        theme = word[6:]
                        continue
                    ids.append(resolve_tile(word, theme, names))
                if len(ids) != cols * rows:
                    raise SourceError(f"{where}: {label} has {len(ids)} tiles for {cols}x{rows}")
                blocks.append({"kind": "gfx", "label": label, "cols": cols, "rows": rows, "tiles": ids})
                current = None
            elif kind == "touch":
                dx, dy, w, h = (int(v) for v in words[2:6])
                blocks.append({"kind": "touch", "label": label, "dx": dx, "dy": dy, "w": w, "h": h})
                current = None
            elif kind == "code":
                current = {"kind": "code", "label": label, "ops": []}
                blocks.append(current)
            elif kind == "raw":
                blocks.append({"kind": "raw", "label": label, "hex": words[2]})
                current = None
            else:
                raise SourceError(f"{where}: unknown block kind '{kind}'")
            continue
        if current is None:
            raise SourceError(f"{where}: an operation outside a code block")
        op = [words[0]]
        for word in words[1:]:
            if _is_number(word):
                op.append(int(word))
            else:
                op.append(word.replace("\\n", "\n"))
        current["ops"].append(op)
    return blocks


def _is_number(word):
    return word.lstrip("-").isdigit()


def read_entities():
    """Lines 'room x y step touch gfx [state bytes]', '-' for none; '@n' pins an index."""
    pinned, free = {}, []
    for number, line in enumerate((DATA / "entities.txt").read_text().splitlines(), 1):
        words = line.split("#")[0].split()
        if not words:
            continue
        index = None
        if words[0].startswith("@"):
            index = int(words[0][1:])
            words = words[1:]
        room, x, y = int(words[0]), int(words[1]), int(words[2])
        labels = [None if w == "-" else w for w in words[3:6]]
        state = [int(v) for v in words[6:12]] + [0] * (6 - len(words[6:12]))
        entity = {"room": room, "x": x, "y": y, "step": labels[0], "touch": labels[1],
                  "gfx": labels[2], "state": state}
        if index is None:
            free.append(entity)
        elif index in pinned:
            raise SourceError(f"entities.txt:{number}: index {index} pinned twice")
        else:
            pinned[index] = entity
    total = max(len(pinned) + len(free), max(pinned, default=-1) + 1)
    entities, queue = [], list(free)
    for i in range(total):
        if i in pinned:
            entities.append(pinned[i])
        elif queue:
            entities.append(queue.pop(0))
        else:
            raise SourceError(f"entities.txt: nothing to put at index {i}")
    return entities


def read_objects():
    names, graphics = [], []
    for line in (DATA / "objects.txt").read_text().splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        index, _, name = line.strip().partition(" ")
        if int(index) != len(graphics):
            raise SourceError(f"objects.txt: object {index} out of order")
        graphics.append(int(index))
        names.append(None if name.strip().startswith("scenery") else name.strip())
    places = {}
    for line in (DATA / "placements.txt").read_text().splitlines():
        words = line.split("#")[0].split()
        if not words:
            continue
        index = int(words[0])
        room = None if words[1] == "-" else int(words[1])
        places[index] = (room, int(words[2]), int(words[3]))
    objects, object_names = [], []
    for index, name in enumerate(names):
        if index not in places:
            raise SourceError(f"placements.txt: object {index} has no place")
        room, x, y = places[index]
        record = {"id": index, "room": room, "x": x, "y": y, "graphic": index}
        if name is not None:
            record["name"] = len(object_names)
            object_names.append(name)
        objects.append(record)
    return objects, object_names


def even_lines(where, text):
    """Pads the lines of a bubble to one width, so its frame closes cleanly."""
    lines = text.split("\n")
    width = max(len(line) for line in lines)
    if width > 34:
        raise SourceError(f"{where}: bubble line longer than 34 characters: '{text}'")
    return "\n".join(line.ljust(width) for line in lines)


def check_text(where, text):
    bad = FRAME_CHARS.intersection(text)
    if bad:
        raise SourceError(f"{where}: text '{text}' uses bubble-frame characters {sorted(bad)}")


def texts_with_apostrophes(world):
    """Writes every apostrophe of the texts as the font's apostrophe glyph."""
    def fix(text):
        return text.replace("'", APOSTROPHE)
    for room in world["rooms"]:
        room["name"] = fix(room["name"])
    world["object_names"] = [fix(name) for name in world["object_names"]]
    bubbles = world["texts"]["bubbles"]
    for name in bubbles:
        bubbles[name] = fix(bubbles[name])
    for segments in world["texts"]["screens"].values():
        for seg in segments:
            if seg[0] == "text":
                seg[1] = fix(seg[1])
    for block in world["scripts"]["blocks"]:
        for op in block.get("ops", []):
            if op[0] in ("say", "say_at"):
                op[-1] = fix(op[-1])


def check(world):
    for room in world["rooms"]:
        if len(room["name"]) > 20:
            raise SourceError(f"room {room['id']}: name longer than 20 characters")
        check_text(f"room {room['id']}", room["name"])
    for name in world["object_names"]:
        check_text("object name", name)
    for name, text in world["texts"]["bubbles"].items():
        check_text(f"bubble {name}", text)
    for name, segments in world["texts"]["screens"].items():
        for seg in segments:
            if seg[0] == "text":
                check_text(f"screen {name}", seg[1])
    for block in world["scripts"]["blocks"]:
        for op in block.get("ops", []):
            if op[0] in ("say", "say_at"):
                check_text(block["label"], op[-1])
                op[-1] = even_lines(block["label"], op[-1])
    bubbles = world["texts"]["bubbles"]
    for name in bubbles:
        bubbles[name] = even_lines(f"bubble {name}", bubbles[name])
    if len(world["entities"]) > 119:
        raise SourceError("more than 119 entities")


def build():
    names = tiles.tile_names()
    legend = read_legend()
    rooms = []
    for number in range(ROOMS):
        room, _ = read_room(number, legend, names)
        rooms.append(room)
    setup = ast.literal_eval((DATA / "setup.py").read_text())
    objects, object_names = read_objects()

    def header(rows):
        return [" ".join(str(resolve_tile(w, "common", names)) for w in row.split()) for row in rows]

    screens = {k: {"room": v["room"], "header": header(v["header"])} for k, v in setup["screens"].items()}
    world = {
        "format": "tumbold-world",
        "schema": 8,
        "room_size": [20, 10],
        "rooms": rooms,
        "screens": screens,
        "doors": setup["doors"],
        "scripts": {"blocks": read_scripts(names)},
        "entities": read_entities(),
        "objects": objects,
        "object_names": object_names,
        "texts": setup["texts"],
        "actors": setup["actors"],
        "actor_types": setup["actor_types"],
        "actor_types_tail": setup.get("actor_types_tail", ""),
        "lifts": setup["lifts"],
        "lift_stops": setup["lift_stops"],
        "rules": setup["rules"],
    }
    texts_with_apostrophes(world)
    check(world)
    return world


def generate(root):
    common.write_json(root, "world/world.json", build(), indent=1)
