"""The tile set: assets/graphics/tiles.json and tiles.png.

The pictures come from tools/data/tiles: catalogue.txt says which tile sits at which
id with which collision attribute and how it is painted, sprites.txt holds the pixel
maps of the decorative pictures (the decor of every theme, and the landmarks that the
catalogue's "scenery" lines draw over one theme's backdrop for single rooms). The
painters below draw the theme surfaces (bricks, rock, grass, clouds ...) from each
theme's colour roles.
"""

import pathlib

from . import common, palette, pngio

DATA = pathlib.Path(__file__).resolve().parent.parent / "data" / "tiles"

COLUMNS = 32
COUNT = 1392
COLLISION_TILES = 912
SIZE = 16


def noise(x, y, seed):
    """Deterministic hash noise 0..255 of a pixel, so the art is reproducible."""
    h = (x * 374761393 + y * 668265263 + seed * 2246822519) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return (h ^ (h >> 16)) & 0xFF


def blank(colour):
    return [[colour] * SIZE for _ in range(SIZE)]


def read_sprites():
    """Pictures of one tile ("sprite NAME"), or of several ("sprite NAME COLSxROWS"),
    which become the tiles NAME_RC (row R, column C from the top left)."""
    pictures, name, rows = {}, None, []
    for line in (DATA / "sprites.txt").read_text().splitlines():
        line = line.rstrip()
        if line.startswith("#") or not line:
            continue
        if line.startswith("sprite "):
            words = line.split()
            cols, nrows = (int(v) for v in words[2].split("x")) if len(words) > 2 else (1, 1)
            name, rows = words[1], []
            pictures[name] = (cols, nrows, rows)
            continue
        if len(line) != SIZE * pictures[name][0]:
            raise ValueError(f"sprite {name}: row '{line}' is not {SIZE * pictures[name][0]} pixels")
        rows.append(line)
    sprites = {}
    for key, (cols, nrows, rows) in pictures.items():
        if len(rows) != SIZE * nrows:
            raise ValueError(f"sprite {key}: {len(rows)} rows")
        if cols == nrows == 1:
            sprites[key] = rows
            continue
        for r in range(nrows):
            for c in range(cols):
                sprites[f"{key}_{r}{c}"] = [row[SIZE * c:SIZE * (c + 1)] for row in rows[SIZE * r:SIZE * (r + 1)]]
    return sprites


def overlay(base, rows):
    out = [row[:] for row in base]
    for y, line in enumerate(rows):
        for x, ch in enumerate(line):
            if ch != ".":
                out[y][x] = int(ch, 16)
    return out


# ---------------------------------------------------------------- backdrops

def back_bricks(t, variant):
    """Small dark bricks with black mortar (cellar)."""
    img = blank(t["back2"])
    for y in range(SIZE):
        for x in range(SIZE):
            row = y // 4
            shift = 4 if row % 2 else 0
            if y % 4 == 3 or (x + shift) % 8 == 7:
                continue
            c = t["back1"]
            if y % 4 == 0 and (x + shift) % 8 != 6:
                c = t["light"] if noise(x, y, 7 + variant) < 40 else t["back1"]
            img[y][x] = c
    if variant == 1:
        for (x, y) in ((3, 5), (4, 6), (5, 6), (6, 7), (10, 9), (11, 10)):
            img[y][x] = t["back2"]
    if variant == 2:
        for y in range(9, 16):
            for x in range(2, 8):
                if noise(x, y, 3) < 90:
                    img[y][x] = 5
    return img


def back_ashlar(t, variant):
    """Large pale stone courses (castle)."""
    img = blank(t["back1"])
    for y in range(SIZE):
        for x in range(SIZE):
            course = y // 8
            shift = 8 if course % 2 else 0
            if y % 8 == 7 or (x + shift) % 16 == 15:
                img[y][x] = t["dark"]
            elif y % 8 == 0 or (x + shift) % 16 == 0:
                img[y][x] = t["light"] if noise(x, y, 11) < 120 else t["back1"]
            elif noise(x, y, 12 + variant) < 18:
                img[y][x] = t["dark"]
    if variant == 2:
        for y in range(2, 14):
            img[y][7] = t["dark"]
            img[y][8] = 12
    return img


def back_leaves(t, variant):
    """Dense dark foliage (forest)."""
    img = blank(t["back2"])
    for y in range(SIZE):
        for x in range(SIZE):
            n = noise(x // 2, y // 2, 21 + variant)
            if n < 150:
                img[y][x] = t["back1"]
            if n < 30:
                img[y][x] = 6
    if variant == 1:
        for y in range(SIZE):
            for x in (6, 7, 8):
                img[y][x] = 2 if x != 7 else 3
    return img


def back_rock(t, variant):
    """Dark cave rock: a few soft seams and specks on near-black."""
    img = blank(t["back2"])
    for y in range(SIZE):
        for x in range(SIZE):
            seam = (x + 2 * y + 5 * variant) % 23 in (0, 1) and noise(x, y, 30) < 200
            if seam or noise(x // 2, y // 2, 31 + variant) < 40:
                img[y][x] = t["back1"]
            if noise(x, y, 33 + variant) < 6:
                img[y][x] = 9 if variant != 2 else 6
    return img


def back_sky(t, variant):
    """Open sky; the variants carry small clouds."""
    img = blank(11)
    if variant == 1:
        for y in range(5, 12):
            for x in range(SIZE):
                dx, dy = (x - 7.5) / 7.5, (y - 8.5) / 3.5
                if dx * dx + dy * dy < 1.0:
                    img[y][x] = 1 if y < 9 else 9
    if variant == 2:
        for y in range(SIZE):
            for x in range(SIZE):
                if noise(x, y, 41) < 6:
                    img[y][x] = 1
    return img


def back_marble(t, variant):
    """Slate-blue tiles with gold rims (temple)."""
    img = blank(t["back1"])
    for y in range(SIZE):
        for x in range(SIZE):
            if x % 16 == 0 or y % 16 == 0:
                img[y][x] = t["back2"]
            elif (x + y) % 11 == 0 and noise(x, y, 51) < 160:
                img[y][x] = 11
    if variant == 1:
        for y in range(4, 12):
            for x in range(4, 12):
                if abs(x - 7.5) + abs(y - 7.5) < 4:
                    img[y][x] = 14
    if variant == 2:
        for x in range(1, SIZE):
            img[7][x] = 14
            img[8][x] = 4
    return img


def back_plaster(t, variant):
    """Warm plastered house wall with timber (village)."""
    img = blank(4)
    for y in range(SIZE):
        for x in range(SIZE):
            if noise(x, y, 61) < 30:
                img[y][x] = 1
            elif noise(x, y, 62) < 12:
                img[y][x] = 3
    if variant == 1:
        for y in range(SIZE):
            img[y][7] = 2
            img[y][8] = 3
    if variant == 2:
        for x in range(SIZE):
            img[7][x] = 3
            img[8][x] = 2
    return img


BACKS = {"bricks": back_bricks, "ashlar": back_ashlar, "leaves": back_leaves, "rock": back_rock,
         "sky": back_sky, "marble": back_marble, "plaster": back_plaster}


def paint_back(t, variant=0):
    return BACKS[t["back"]](t, variant)


def paint_shade(t):
    """The backdrop in shadow: every second pixel darkened (dither)."""
    img = paint_back(t)
    for y in range(SIZE):
        for x in range(SIZE):
            if (x + y) % 2 == 0:
                img[y][x] = 15 if t["back"] != "sky" else 10
    return img


# ---------------------------------------------------------------- solid surfaces

def stone_blocks(t, variant, seed):
    img = blank(t["mid"])
    for y in range(SIZE):
        for x in range(SIZE):
            course = y // 8
            shift = (4 + 4 * variant) if course % 2 else 0
            bx = (x + shift) % 16
            if y % 8 == 7 or bx == 15:
                img[y][x] = t["dark"]
            elif y % 8 == 0 or bx == 0:
                img[y][x] = t["light"]
            elif noise(x, y, seed) < 25:
                img[y][x] = t["dark"]
            elif noise(x, y, seed + 1) < 25:
                img[y][x] = t["light"]
    return img


def rock_mass(t, variant, seed):
    img = blank(t["mid"])
    for y in range(SIZE):
        for x in range(SIZE):
            n = noise(x // 2, y // 2, seed + variant)
            if n < 60:
                img[y][x] = t["dark"]
            elif n > 210:
                img[y][x] = t["hi"]
            elif n > 170:
                img[y][x] = t["light"]
    return img


def earth_mass(t, variant, seed):
    img = blank(3)
    for y in range(SIZE):
        for x in range(SIZE):
            n = noise(x, y, seed + variant)
            if n < 50:
                img[y][x] = 2
            elif n > 235:
                img[y][x] = 9
            elif n > 220:
                img[y][x] = 4
    return img


def cloud_mass(t, variant, seed):
    """Packed cloud: white puffs with grey undersides and a little sky between them."""
    img = blank(1)
    for y in range(SIZE):
        for x in range(SIZE):
            # puffs of 8 x 8, offset every other row of puffs
            px = (x + (4 if (y // 8) % 2 else 0) + 3 * variant) % 8
            py = y % 8
            d = (px - 3.5) ** 2 + (py - 3.0) ** 2
            if d > 14:
                img[y][x] = 11 if noise(x, y, seed) < 60 else 9
            elif py >= 5 and d > 5:
                img[y][x] = 9
    return img


def paint_wall(t, variant=0):
    style = t["floor"]
    if style in ("grass",):
        return earth_mass(t, variant, 70)
    if style == "moss":
        return rock_mass(t, variant, 80)
    if style == "cloud":
        return cloud_mass(t, variant, 90)
    return stone_blocks(t, variant, 100 + variant)


def paint_fill(t):
    return paint_wall(t, 1)


def top_surface(t, img, style):
    """Draws the walking surface over the top rows of a solid tile."""
    if style == "slab":
        for x in range(SIZE):
            img[0][x] = t["hi"]
            img[1][x] = t["light"]
            img[2][x] = t["light"]
            img[3][x] = t["dark"]
    elif style == "carpet":
        for x in range(SIZE):
            img[0][x] = 14
            img[1][x] = 12
            img[2][x] = 12 if x % 4 else 13
            img[3][x] = 2
    elif style == "grass":
        for x in range(SIZE):
            h = 2 + (noise(x, 0, 5) % 3)
            for y in range(h + 1):
                img[y][x] = 7 if y == 0 else 6
            img[h + 1][x] = 5
    elif style == "moss":
        for x in range(SIZE):
            h = 1 + (noise(x, 0, 6) % 2)
            for y in range(h):
                img[y][x] = 6 if y else 7
    elif style == "cloud":
        for x in range(SIZE):
            img[0][x] = 1
    elif style == "gold":
        for x in range(SIZE):
            img[0][x] = 14
            img[1][x] = 14 if x % 2 else 4
            img[2][x] = 4
    elif style == "cobble":
        for x in range(SIZE):
            img[0][x] = 9
            img[1][x] = 1 if noise(x, 1, 9) < 60 else 9
            img[2][x] = 9
            img[3][x] = 8
    return img


def paint_floor(t, end=None):
    img = top_surface(t, paint_wall(t, 0), t["floor"])
    if end == "l":
        for y in range(SIZE):
            img[y][0] = 15
            img[y][1] = t["dark"] if t["dark"] != 15 else 8
    if end == "r":
        for y in range(SIZE):
            img[y][15] = 15
            img[y][14] = t["dark"] if t["dark"] != 15 else 8
    return img


def paint_block(t):
    """A free-standing block: framed, so stacks read as separate stones or crates."""
    img = paint_wall(t, 0)
    for i in range(SIZE):
        img[0][i] = img[i][0] = t["hi"]
        img[15][i] = img[i][15] = 15
    for y in range(3, 13):
        img[y][3] = t["dark"]
    return img


def plank(t, img, y0, end=None):
    """A wooden plank four pixels thick from row y0."""
    for x in range(SIZE):
        img[y0][x] = t["woodhi"]
        img[y0 + 1][x] = t["wood"]
        img[y0 + 2][x] = t["wood"] if x % 7 else t["wooddk"]
        img[y0 + 3][x] = 15
    if end == "l":
        for y in range(y0, y0 + 4):
            img[y][0] = 15
    if end == "r":
        for y in range(y0, y0 + 4):
            img[y][15] = 15
    return img


def paint_ledge(t, end=None):
    img = paint_back(t)
    style = t["floor"]
    if style == "cloud":
        for y in range(0, 7):
            for x in range(SIZE):
                dx = (x - 7.5) / 8.5
                if y < 6 - 5 * dx * dx or y >= 3:
                    img[y][x] = 1 if y < 3 else (9 if y > 4 else 1)
        return img
    if style in ("moss",):
        for y in range(0, 6):
            for x in range(SIZE):
                img[y][x] = [7, 8, 8, 9, 8, 15][y] if noise(x, y, 3) > 40 else 8
        return img
    plank(t, img, 0, end)
    if end in ("l", "r"):
        x = 2 if end == "l" else 12
        for y in range(4, 10):
            img[y][x] = t["wooddk"]
            img[y][x + 1] = t["wood"]
        for k in range(4):
            bx = x + 1 - k if end == "l" else x + k
            if 0 <= bx < SIZE:
                img[4 + k][bx] = t["wood"]
    return img


def paint_lowledge(t, end=None):
    """A one-way ledge in the lower half of the tile: under a ceiling opening it lifts
    the hero high enough for a standing jump to carry him onto the floor above."""
    img = paint_back(t)
    if t["floor"] in ("cloud", "moss"):
        top = paint_ledge(t)
        for y in range(8, SIZE):
            img[y] = top[y - 8][:]
        return img
    return plank(t, img, 8, end)


def paint_step(t):
    img = paint_back(t)
    solid = top_surface(t, paint_wall(t, 1), t["floor"])
    for y in range(8, SIZE):
        img[y] = solid[y - 8][:]
    return img


def paint_lowfloor(t):
    return paint_step(t)


def paint_lip(t):
    img = paint_back(t)
    solid = paint_wall(t, 0)
    for y in range(0, 8):
        img[y] = solid[y][:]
    for x in range(SIZE):
        img[7][x] = 15
    return img


def paint_sink(t):
    """Crumbling, cracked earth (in the sky a thin cloud): the hero sinks slowly through it."""
    img = paint_back(t)
    if t["floor"] == "cloud":
        for y in range(SIZE):
            for x in range(SIZE):
                n = noise(x // 2, y // 2, 19)
                if n < 150 - 8 * y:
                    img[y][x] = 1 if y < 6 else 9
        return img
    for y in range(SIZE):
        for x in range(SIZE):
            n = noise(x, y, 17)
            if y >= 12 and noise(x, y, 18) < 40 * (y - 11):
                continue  # crumbs falling away underneath
            img[y][x] = 3 if n < 120 else (2 if n < 200 else 4)
    img[0] = [4] * SIZE
    for (x, y) in ((3, 1), (4, 2), (4, 3), (5, 4), (11, 2), (10, 3), (10, 4), (9, 5), (7, 6),
                   (6, 8), (6, 9), (7, 10), (12, 8), (13, 9), (12, 10)):
        img[y][x] = 15
    return img


def paint_halfwall(t, side):
    img = paint_back(t)
    solid = paint_wall(t, 0)
    xs = range(0, 8) if side == "l" else range(8, SIZE)
    for y in range(SIZE):
        for x in xs:
            img[y][x] = solid[y][x]
        edge = 7 if side == "l" else 8
        img[y][edge] = 15
    return img


def paint_window(t):
    img = paint_back(t)
    sky = 0 if t["back"] not in ("sky", "plaster") else 11
    for y in range(2, 15):
        for x in range(3, 13):
            img[y][x] = sky
    for y in range(2, 15):
        img[y][2] = img[y][13] = 15
        img[y][7] = img[y][8] = t["wood"] if t["back"] == "plaster" else 8
    for x in range(2, 14):
        img[1][x] = img[15][x] = 15
        img[8][x] = t["wood"] if t["back"] == "plaster" else 8
    if sky == 0:
        img[4][5] = 14
        img[11][10] = 1
    return img


def paint_post(t):
    """A support far behind the walkways: dark and half lost in the backdrop, so that
    nobody takes it for a pole to climb (the hero cannot climb)."""
    img = paint_back(t)
    for y in range(SIZE):
        for x in range(5, 11):
            if x in (5, 10):
                if (x + y) % 2 == 0:
                    img[y][x] = 15
            elif x == 6 and (y // 3) % 2 == 0:
                img[y][x] = t["wooddk"]
            else:
                img[y][x] = t["wooddk"] if (x + y) % 3 else 15
    return img


def paint_shelf(t):
    """A grating one may stand on and drop through from above never: all one-way."""
    img = paint_back(t)
    plank(t, img, 0)
    plank(t, img, 8)
    return img


def paint_hole(t):
    img = blank(15)
    for x in range(SIZE):
        img[0][x] = 8
    return img


def paint_shaft(t):
    """A lift shaft: colour 0 behind the rope, with the shaft's stone edges."""
    img = blank(0)
    for y in range(SIZE):
        if y % 8 == 0:
            continue
        img[y][0] = t["dark"] if t["dark"] != 0 else 8
    return img


def paint_canopy(t):
    """A roof of packed leaves (forest) or the theme's own wall elsewhere."""
    if t["back"] != "leaves":
        return paint_wall(t, 0)
    img = blank(5)
    for y in range(SIZE):
        for x in range(SIZE):
            n = noise(x // 2, y // 2, 27)
            if n < 90:
                img[y][x] = 6
            if n < 25:
                img[y][x] = 7
            if y >= 13 and noise(x, y, 28) < 70:
                img[y][x] = 15
    return img


def paint_stars(t=None):
    img = blank(0)
    for y in range(SIZE):
        for x in range(SIZE):
            n = noise(x, y, 77)
            if n < 3:
                img[y][x] = 1
            elif n < 6:
                img[y][x] = 9
    return img


def paint_ride(end=None):
    """The launch pad: a wicker basket platform on a stone base."""
    img = blank(8)
    for y in range(SIZE):
        for x in range(SIZE):
            if y < 6:
                img[y][x] = 4 if (x + y) % 4 < 2 else 3
            elif y == 6:
                img[y][x] = 15
            else:
                img[y][x] = 9 if (y % 4 == 2 or (x + (y // 4) * 4) % 8 == 0) else 8
    for x in range(SIZE):
        img[0][x] = 14
    if end == "l":
        for y in range(SIZE):
            img[y][0] = 15
    if end == "r":
        for y in range(SIZE):
            img[y][15] = 15
    return img


def paint_life():
    """Life icon: a small heart on the colour-10 key (10 never shows)."""
    heart = ["................",
             "................",
             "...ffff..ffff...",
             "..fccccffcc1cf..",
             ".fccccccccc11cf.",
             ".fcccccccccc1cf.",
             ".fccccccccccccf.",
             ".fccccccccccccf.",
             "..fccccccccccf..",
             "...fccccccccf...",
             "....fccccccf....",
             ".....fccccf.....",
             "......fccf......",
             ".......ff.......",
             "................",
             "................"]
    return overlay(blank(10), heart)


def paint_frame(kind):
    img = blank(15)
    if kind == "h":
        for x in range(SIZE):
            img[6][x] = 4
            img[7][x] = 14
            img[8][x] = 4
            img[9][x] = 2
    else:
        for y in range(SIZE):
            for x in range(SIZE):
                if abs(x - 7.5) + abs(y - 7.5) < 5:
                    img[y][x] = 14 if abs(x - 7.5) + abs(y - 7.5) < 3 else 4
    return img


# ---------------------------------------------------------------- catalogue

def parse_roles(words):
    roles = {}
    for word in words:
        key, value = word.split("=")
        roles[key] = int(value) if value.isdigit() else value
    return roles


def read_catalogue():
    kinds, decors, themes, singles, sceneries = [], [], [], [], []
    for number, line in enumerate((DATA / "catalogue.txt").read_text().splitlines(), 1):
        words = line.split("#")[0].split()
        if not words:
            continue
        head = words[0]
        if head == "kind":
            kinds.append((int(words[1]), words[2], words[3], words[4]))
        elif head == "decor":
            decors.append((int(words[1]), words[2], words[3]))
        elif head == "theme":
            themes.append((words[1], int(words[2]), int(words[3]), parse_roles(words[4:])))
        elif head == "tile":
            singles.append((int(words[1]), words[2], words[3], words[4]))
        elif head == "scenery":
            sceneries.append((int(words[1]), words[2], words[3], words[4]))
        else:
            raise ValueError(f"catalogue.txt:{number}: unknown line '{head}'")
    return kinds, decors, themes, singles, sceneries


def theme_painter(t, painter):
    name, _, arg = painter.partition(":")
    if name == "back":
        return paint_back(t, int(arg or 0))
    if name == "wall":
        return paint_wall(t, int(arg or 0))
    simple = {"shade": paint_shade, "fill": paint_fill, "step": paint_step, "lip": paint_lip,
              "sink": paint_sink, "window": paint_window, "post": paint_post, "block": paint_block,
              "shelf": paint_shelf, "lowfloor": paint_lowfloor, "hole": paint_hole,
              "shaft": paint_shaft, "canopy": paint_canopy}
    if name in simple:
        return simple[name](t)
    if name == "floor":
        return paint_floor(t, arg or None)
    if name == "ledge":
        return paint_ledge(t, arg or None)
    if name == "lowledge":
        return paint_lowledge(t, arg or None)
    if name == "halfwall":
        return paint_halfwall(t, arg)
    raise ValueError(f"unknown theme painter '{painter}'")


def single_painter(painter, sprites, roles_of):
    name, _, arg = painter.partition(":")
    if name == "over":
        # a picture over one theme's backdrop, for tiles that collide (roofs to walk on)
        theme, _, sprite = arg.partition(":")
        return overlay(paint_back(roles_of[theme]), sprites[sprite])
    if name == "fill":
        return blank(int(arg))
    if name == "stars":
        return paint_stars()
    if name == "ride":
        return paint_ride(arg or None)
    if name == "life":
        return paint_life()
    if name == "crack":
        # Cave rock with a narrow crack in its lower right corner: too narrow for the
        # hero, but a follower probing for walls finds it open.
        caves = {"back": "rock", "floor": "moss", "mid": 8, "dark": 15, "light": 2, "hi": 9}
        img = paint_wall(caves, 0)
        for y in range(8, SIZE):
            for x in range(8, SIZE):
                img[y][x] = 15 if (x + y) % 5 else 0
        return img
    if name == "frame":
        return paint_frame(arg)
    if name == "sprite":
        return overlay(blank(15), sprites[arg])
    if name == "nightsprite":
        return overlay(paint_stars(), sprites[arg])
    if name == "litwindow":
        # A village window at night: the same frame, warm light behind the glass.
        village = {"back": "plaster", "wood": 3, "woodhi": 4, "wooddk": 2}
        return [[14 if v == 11 else v for v in row] for row in paint_window(village)]
    raise ValueError(f"unknown tile painter '{painter}'")


def build():
    """Returns (tiles: id -> 16x16 pixels, attributes: id -> str, names: name -> id)."""
    kinds, decors, themes, singles, sceneries = read_catalogue()
    sprites = read_sprites()
    tiles, attrs, names = {}, {}, {}

    def put(tile_id, name, attr, pixels):
        if tile_id in tiles:
            raise ValueError(f"tile {tile_id} ({name}) is given twice")
        if not 0 <= tile_id < COUNT:
            raise ValueError(f"tile {tile_id} ({name}) is outside the set")
        if tile_id >= COLLISION_TILES and attr != "0000":
            raise ValueError(f"decorative tile {tile_id} ({name}) cannot collide")
        tiles[tile_id], attrs[tile_id], names[name] = pixels, attr, tile_id

    roles_of = {theme: roles for theme, _, _, roles in themes}
    for tile_id, attr, name, painter in singles:
        put(tile_id, name, attr, single_painter(painter, sprites, roles_of))
    for theme, base, decor_base, roles in themes:
        for offset, attr, kind, painter in kinds:
            put(base + offset, f"{theme}.{kind}", attr, theme_painter(roles, painter))
        backdrop = paint_back(roles)
        for offset, kind, sprite in decors:
            put(decor_base + offset, f"{theme}.{kind}", "0000", overlay(backdrop, sprites[sprite]))
    for tile_id, theme, kind, sprite in sceneries:
        if theme not in roles_of:
            raise ValueError(f"scenery tile {tile_id} ({kind}): unknown theme '{theme}'")
        put(tile_id, f"{theme}.{kind}", "0000", overlay(paint_back(roles_of[theme]), sprites[sprite]))
    return tiles, attrs, names


def tile_names():
    return build()[2]


def generate(root):
    tiles, attrs, names = build()
    rows = -(-COUNT // COLUMNS)
    sheet = [[0] * (COLUMNS * SIZE) for _ in range(rows * SIZE)]
    for tile_id, pixels in tiles.items():
        ox, oy = (tile_id % COLUMNS) * SIZE, (tile_id // COLUMNS) * SIZE
        for y in range(SIZE):
            for x in range(SIZE):
                value = pixels[y][x]
                if not 0 <= value <= 15:
                    raise ValueError(f"tile {tile_id}: colour {value} is not opaque")
                sheet[oy + y][ox + x] = value
    plte = [palette.rgb8(i) for i in range(16)] + [(255, 0, 255)] + [palette.rgb8(i) for i in range(1, 16)]
    common.write_bytes(root, "assets/graphics/tiles.png", pngio.indexed_png(sheet, plte))
    by_id = {v: k for k, v in names.items()}
    document = {
        "format": "tumbold-tiles",
        "version": 1,
        "tile_size": SIZE,
        "columns": COLUMNS,
        "count": COUNT,
        "collision_tiles": COLLISION_TILES,
        "attributes_encoding": "four digits per tile id 0..collision_tiles-1: quadrants "
                               "top-left, top-right, bottom-left, bottom-right",
        "attribute_values": {"0": "empty", "1": "solid", "2": "floor only (one-way)",
                             "3": "sinking floor"},
        "attributes": [attrs.get(i, "0000") for i in range(COLLISION_TILES)],
        "names": {str(i): by_id[i] for i in sorted(by_id)},
    }
    common.write_json(root, "assets/graphics/tiles.json", document, indent=None)
