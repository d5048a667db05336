"""Game graphics other than tiles and sprites: the 8 x 8 font, the title logo, the status
panel, the objects sheet, the lift pictures and the draw tables. Also the small pixel
library (canvas, text pixel maps, outlines, shading) that sprites.py and ui.py share.

Index convention of the game pictures: 0..15 a palette colour, 16 see-through,
17..31 OR (value - 16) into what is there.
"""

import pathlib
import runpy

from datagen.common import write_bytes, write_json
from datagen.palette import rgb8
from datagen.pngio import indexed_png

SOURCES = pathlib.Path(__file__).resolve().parent.parent / "data" / "art"

T = 16  # see-through

# One character per colour in the text pixel maps of tools/data/art.
LEGEND = {
    ".": T, "n": 0, "w": 1, "B": 2, "b": 3, "o": 4, "G": 5, "g": 6, "l": 7,
    "D": 8, "s": 9, "v": 10, "c": 11, "r": 12, "O": 13, "y": 14, "k": 15,
}

# Shading ramps within the 16 colours: the next darker and lighter neighbour.
DARKER = {0: 15, 1: 9, 2: 15, 3: 2, 4: 3, 5: 15, 6: 5, 7: 6, 8: 15, 9: 8, 10: 0, 11: 10,
          12: 2, 13: 12, 14: 13, 15: 15}
LIGHTER = {0: 10, 1: 1, 2: 3, 3: 4, 4: 14, 5: 6, 6: 7, 7: 1, 8: 9, 9: 1, 10: 11, 11: 1,
           12: 13, 13: 14, 14: 1, 15: 8}


def plte():
    """32 preview entries: the game colours, a magenta marker for see-through, and the
    OR values previewed as the colour they add."""
    return [rgb8(i) for i in range(16)] + [(255, 0, 255)] + [rgb8(i) for i in range(1, 16)]


class Grid:
    """A picture as rows of pixel values, whatever a value is; what is drawn
    outside it is dropped."""

    def __init__(self, w, h, fill):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(max(y0, 0), min(y1, self.h - 1) + 1):
            for x in range(max(x0, 0), min(x1, self.w - 1) + 1):
                self.px[y][x] = c

    def box(self, x0, y0, x1, y1, c):
        self.bevel(x0, y0, x1, y1, c, c)

    def bevel(self, x0, y0, x1, y1, light, dark):
        """A one-pixel rim, light along the top and left, dark along the bottom and right."""
        for x in range(x0, x1 + 1):
            self.set(x, y0, light)
            self.set(x, y1, dark)
        for y in range(y0, y1 + 1):
            self.set(x0, y, light)
            self.set(x1, y, dark)


class Canvas(Grid):
    """A grid of palette indices with the few drawing operations the art needs."""

    def __init__(self, w, h, fill=T):
        super().__init__(w, h, fill)

    def copy(self):
        c = Canvas(self.w, self.h)
        c.px = [row[:] for row in self.px]
        return c

    def get(self, x, y, default=T):
        if 0 <= x < self.w and 0 <= y < self.h:
            return self.px[y][x]
        return default

    def ellipse(self, cx, cy, rx, ry, c):
        """Filled ellipse around a centre that may lie between pixels (x.5)."""
        for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
            for x in range(int(cx - rx) - 1, int(cx + rx) + 2):
                dx = (x + 0.5 - cx - 0.5) / max(rx, 0.5)
                dy = (y + 0.5 - cy - 0.5) / max(ry, 0.5)
                if dx * dx + dy * dy <= 1.0 + 1e-9:
                    self.set(x, y, c)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def poly(self, pts, c):
        """Filled polygon by pixel centres."""
        ys = [p[1] for p in pts]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            yc = y + 0.5
            xs = []
            for i in range(len(pts)):
                (xa, ya), (xb, yb) = pts[i], pts[(i + 1) % len(pts)]
                if (ya <= yc < yb) or (yb <= yc < ya):
                    xs.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for k in range(0, len(xs) - 1, 2):
                for x in range(int(round(xs[k])), int(round(xs[k + 1]))):
                    self.set(x, y, c)

    def draw_map(self, rows, x=0, y=0, legend=LEGEND):
        for r, row in enumerate(rows):
            for k, ch in enumerate(row):
                v = legend[ch]
                if v != T:
                    self.set(x + k, y + r, v)

    def blit(self, other, x=0, y=0):
        for r in range(other.h):
            for k in range(other.w):
                v = other.px[r][k]
                if v != T:
                    self.set(x + k, y + r, v)

    def outline(self, c=15, diagonal=False):
        """Rings every drawn shape with colour c on its see-through neighbours."""
        near = [(1, 0), (-1, 0), (0, 1), (0, -1)]
        if diagonal:
            near += [(1, 1), (1, -1), (-1, 1), (-1, -1)]
        add = [(x, y) for y in range(self.h) for x in range(self.w)
               if self.px[y][x] == T and any(self.get(x + a, y + b) not in (T, c)
                                              for a, b in near)]
        for x, y in add:
            self.px[y][x] = c
        return self

    def shade(self, highlight=True, keep=(15,)):
        """Darkens the lower-right rim of every shape and lights its upper-left rim."""
        src = [row[:] for row in self.px]

        def edge(x, y):
            v = src[y][x] if 0 <= x < self.w and 0 <= y < self.h else T
            return v in (T, 15)
        for y in range(self.h):
            for x in range(self.w):
                v = src[y][x]
                if v in (T,) + tuple(keep):
                    continue
                if edge(x + 1, y) or edge(x, y + 1):
                    self.px[y][x] = DARKER[v]
                elif highlight and (edge(x - 1, y) or edge(x, y - 1)):
                    self.px[y][x] = LIGHTER[v]
        return self

    def recolour(self, mapping):
        for row in self.px:
            for i, v in enumerate(row):
                row[i] = mapping.get(v, v)
        return self

    def mirrored(self):
        c = Canvas(self.w, self.h)
        c.px = [row[::-1] for row in self.px]
        if hasattr(self, "eye"):        # the hero's eye, for the shades overlay
            c.eye = self.eye
            c.flipped = not getattr(self, "flipped", False)
        return c

    def region(self, x, y, w, h):
        c = Canvas(w, h)
        for r in range(h):
            for k in range(w):
                c.px[r][k] = self.get(x + k, y + r)
        return c


def read_maps(name):
    """Blocks of a text pixel map file: '= name' headers, then rows; '#' comments."""
    blocks, current = {}, None
    for line in (SOURCES / name).read_text().splitlines():
        if line.startswith("#") and current is None or not line.strip():
            continue
        if line.startswith("= "):
            current = line[2:]
            blocks[current] = []
        elif current is not None and not line.startswith("# "):
            blocks[current].append(line)
    return blocks


def sheet_pixels(items, columns, w, h, fill=T):
    rows = (len(items) + columns - 1) // columns
    out = Canvas(columns * w, rows * h, fill)
    for i, item in enumerate(items):
        out.blit(item, (i % columns) * w, (i // columns) * h)
    return out


def png(canvas):
    return indexed_png(canvas.px, plte())


def write_sheet(root, name, items, w, h, columns, source, extra=None):
    canvas = sheet_pixels(items, columns, w, h)
    write_bytes(root, f"assets/graphics/{name}.png", png(canvas))
    desc = {"format": "tumbold-sheet", "version": 1, "item_w": w, "item_h": h,
            "columns": columns, "count": len(items), "source": source}
    desc.update(extra or {})
    write_json(root, f"assets/graphics/{name}.json", desc)


# ---------------------------------------------------------------------------------
# Font

FONT_VALUES = {"#": 15, ".": 1, "-": T}


def font_glyphs():
    """96 glyphs, codes 32..127, as 8 x 8 canvases of ink 15, paper 1, see-through 16."""
    blocks = read_maps("font.txt")
    glyphs = {}
    for name, rows in blocks.items():
        code_names = {"space": [" "], "0x7f": ["\x7f"]}
        chars = code_names.get(name, list(name))
        for part, ch in enumerate(chars):
            g = Canvas(8, 8)
            g.draw_map([row[8 * part:8 * part + 8] for row in rows], legend=FONT_VALUES)
            glyphs[ord(ch)] = g
    for code in range(ord("a"), ord("z") + 1):
        glyphs.setdefault(code, glyphs[code - 32])
    missing = [c for c in range(32, 128) if c not in glyphs]
    assert not missing, f"font.txt lacks {missing}"
    return [glyphs[c] for c in range(32, 128)]


# ---------------------------------------------------------------------------------
# Logo: chunky letters with a warm gradient, black outline and a drop shadow.

def logo():
    blocks = read_maps("logo.txt")
    letters = [blocks[ch] for ch in "TUMBOLD"]
    c = Canvas(96, 28)
    gradient = [14, 14, 14, 14, 14, 13, 14, 13, 13, 13, 12, 13, 12, 12, 12]
    bounce = [1, 0, 1, 2, 1, 0, 1]
    shapes = Canvas(96, 28)
    for i, rows in enumerate(letters):
        x0, y0 = 3 + i * 13, 5 + bounce[i]
        for r, row in enumerate(rows):
            for k, ch in enumerate(row):
                if ch == "#":
                    shapes.set(x0 + k, y0 + r, gradient[r])
    # drop shadow two pixels down-right, then the outline around letters and shadow
    shadow = Canvas(96, 28)
    for y in range(28):
        for x in range(96):
            if shapes.get(x - 2, y - 2) != T:
                shadow.set(x, y, 2)
    c.blit(shadow)
    ring = shapes.copy().outline(15, diagonal=True)
    c.blit(ring)
    # a bright rim along the top-left of every stroke
    for y in range(28):
        for x in range(96):
            if shapes.get(x, y) != T and (shapes.get(x, y - 1) == T or shapes.get(x - 1, y) == T):
                c.set(x, y, 1 if shapes.get(x, y) == 14 else 14)
    c.outline(15)
    # two sparkles
    for sx, sy in ((2, 3), (92, 22)):
        for d in (-1, 1):
            c.set(sx + d, sy, 14)
            c.set(sx, sy + d, 14)
        c.set(sx, sy, 1)
    return c


# ---------------------------------------------------------------------------------
# Status panel (320 x 40, opaque). The renderer draws over it: room name (x 8..167,
# rows 32..39), lives (x 176.., rows 16..31, on colour 10), energy bar (x 176..223,
# rows 6..13, on colour 0), score digits (x 136..159, rows 13..20), inventory
# (x 16..63, rows 8..23).

def _stone(c, x0, y0, x1, y1):
    """Dark stone wall with mortar lines, deterministic texture."""
    c.rect(x0, y0, x1, y1, 8)
    for y in range(y0, y1 + 1):
        course = (y - y0) // 8
        for x in range(x0, x1 + 1):
            offset = 0 if course % 2 == 0 else 10
            if (y - y0) % 8 == 7 or (x + offset) % 20 == 19:
                c.set(x, y, 15)
            elif (y - y0) % 8 == 0 or (x + offset) % 20 == 0:
                c.set(x, y, 9)
            elif ((x * 7 + y * 13) % 29) == 0:
                c.set(x, y, 9)


def _slot_frame(c, x0, y0, x1, y1):
    """Wooden rim around the inner area x0..x1, y0..y1 (the rim lies outside it)."""
    c.rect(x0 - 3, y0 - 3, x1 + 3, y1 + 3, 3)
    c.bevel(x0 - 3, y0 - 3, x1 + 3, y1 + 3, 4, 2)
    c.box(x0 - 1, y0 - 1, x1 + 1, y1 + 1, 15)
    for x, y in ((x0 - 3, y0 - 3), (x1 + 3, y0 - 3), (x0 - 3, y1 + 3), (x1 + 3, y1 + 3)):
        c.set(x, y, 14)


def panel():
    c = Canvas(320, 40, 8)
    _stone(c, 0, 0, 319, 39)
    # inventory: three 16 x 16 slots at x 16..63, rows 8..23
    _slot_frame(c, 16, 8, 63, 23)
    c.rect(16, 8, 63, 23, 0)
    for i in range(3):
        c.box(16 + 16 * i, 8, 31 + 16 * i, 23, 10)
    _small_label(c, 30, 1, "ITEMS")
    # score: three digits at x 136..159, rows 13..20
    _slot_frame(c, 134, 11, 161, 22)
    c.rect(134, 11, 161, 22, 15)
    _small_label(c, 138, 3, "SCORE")
    # energy bar on colour 0 at x 176..223, rows 6..13
    _slot_frame(c, 176, 6, 223, 13)
    c.rect(176, 6, 223, 13, 0)
    _small_label(c, 230, 7, "ENERGY")
    # lives on colour 10 at x 176..303, rows 16..31
    c.rect(173, 15, 306, 32, 2)
    c.rect(174, 16, 305, 31, 10)
    c.rect(176, 16, 303, 31, 10)
    c.bevel(173, 15, 306, 32, 2, 4)
    # the energy frame's lower rim meets the lives box
    c.rect(173, 16, 226, 16, 3)
    c.rect(176, 16, 303, 31, 10)
    # room name: parchment scroll at x 8..167, rows 32..39, with rolled ends
    c.rect(8, 32, 167, 39, 1)
    c.rect(8, 31, 167, 31, 15)
    for x0 in (2, 168):
        c.rect(x0, 30, x0 + 5, 39, 4)
        c.rect(x0 + 1, 31, x0 + 4, 38, 14)
        c.rect(x0 + 2, 32, x0 + 3, 37, 1)
        c.box(x0, 30, x0 + 5, 39, 15)
    # engraved title plate at the left of the lives
    _small_label(c, 80, 12, "TUMBOLD")
    for x in (74, 112):
        for y in (10, 20):
            c.set(x, y, 14)
            c.set(x + 1, y + 1, 2)
    return c


SMALL = {
    "S": ["###", "#..", "###", "..#", "###"], "C": ["###", "#..", "#..", "#..", "###"],
    "O": ["###", "#.#", "#.#", "#.#", "###"], "R": ["##.", "#.#", "##.", "#.#", "#.#"],
    "E": ["###", "#..", "##.", "#..", "###"], "I": ["###", ".#.", ".#.", ".#.", "###"],
    "T": ["###", ".#.", ".#.", ".#.", ".#."], "M": ["#.#", "###", "#.#", "#.#", "#.#"],
    "U": ["#.#", "#.#", "#.#", "#.#", "###"], "B": ["##.", "#.#", "##.", "#.#", "##."],
    "L": ["#..", "#..", "#..", "#..", "###"], "D": ["##.", "#.#", "#.#", "#.#", "##."],
    "N": ["##.", "#.#", "#.#", "#.#", "#.#"], "G": ["###", "#..", "#.#", "#.#", "###"],
    "Y": ["#.#", "#.#", ".#.", ".#.", ".#."],
}


def _small_label(c, x, y, text):
    """Engraved 3 x 5 capitals: light face with a dark cut below."""
    for i, ch in enumerate(text):
        rows = SMALL[ch]
        for r, row in enumerate(rows):
            for k, v in enumerate(row):
                if v == "#":
                    c.set(x + 4 * i + k, y + r + 1, 15)
        for r, row in enumerate(rows):
            for k, v in enumerate(row):
                if v == "#":
                    c.set(x + 4 * i + k, y + r, 14)


# ---------------------------------------------------------------------------------
# Lifts: type 0 the boardable platform, 1 and 2 the room-29 cargo lift (lamps green
# while it serves, red once it is shut down). Each picture is 48 x 8 with the standing
# surface on its top row; the game draws the rope over x + 16..31 above it.

def lift_picture(kind):
    c = Canvas(48, 8, 15)
    if kind == 0:
        c.rect(1, 0, 46, 4, 3)
        c.rect(1, 0, 46, 0, 4)
        for x in range(7, 46, 10):
            c.rect(x, 1, x, 4, 2)
            c.set(x + 1, 1, 4)
        c.rect(1, 5, 46, 6, 9)
        c.rect(1, 6, 46, 6, 8)
        for x in range(4, 46, 8):
            c.set(x, 5, 1)
        c.rect(21, 0, 26, 1, 9)
        c.rect(22, 0, 25, 0, 1)
    else:
        c.rect(1, 0, 46, 2, 9)
        c.rect(1, 0, 46, 0, 1)
        for x in range(1, 47):
            c.set(x, 3, 14 if (x // 3) % 2 == 0 else 15)
            c.set(x, 4, 14 if ((x + 1) // 3) % 2 == 0 else 15)
        c.rect(1, 5, 46, 6, 8)
        lamp = 7 if kind == 1 else 12
        for x in (3, 43):
            c.rect(x, 5, x + 1, 6, lamp)
            c.set(x, 5, 1)
        c.rect(21, 0, 26, 1, 8)
        c.rect(22, 0, 25, 0, 9)
    return c


# ---------------------------------------------------------------------------------

def draw_tables():
    # Rope: a twisted two-colour strand in the middle of the 16-pixel strip with a
    # dark edge, on the shaft colour 0 elsewhere.
    odd = {6: 2, 7: 3, 8: 4, 9: 2}
    even = {6: 2, 7: 4, 8: 3, 9: 2}

    def plane_bytes(row, plane):
        left = right = 0
        for x, colour in row.items():
            if colour & (1 << plane):
                if x < 8:
                    left |= 0x80 >> x
                else:
                    right |= 0x80 >> (x - 8)
        return left, right
    planes = []
    for p in range(4):
        a0, a1 = plane_bytes(odd, p)
        b0, b1 = plane_bytes(even, p)
        planes.append([a0, a1, b0, b1])

    shades, glueon = hero_overlays()
    return {
        "format": "tumbold-draw-tables", "version": 1,
        "glueon_overlay": {"first_player_frame": 26, "frames": glueon},
        "shades_overlay": {"entries": shades,
                           "note": "[dx, dy, shades frame] per hero frame"},
        "lift_rope": {"planes": planes,
                      "note": "per plane [odd left, odd right, even left, even right]"},
        "energy_bar": {"columns": [12, 13, 14, 14, 7, 7],
                       "partial": [0x80, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE, 0xFF]},
    }


def hero_overlays():
    from datagen import sprites
    return sprites.hero_overlay_tables()


def objects():
    program = runpy.run_path(str(SOURCES / "objects.py"), {"Canvas": Canvas, "T": T})
    items = program["draw_all"]()
    assert len(items) == 88
    return items


def generate(root):
    write_sheet(root, "font", font_glyphs(), 8, 8, 16, "tools/data/art/font.txt",
                {"first_code": 32})
    write_sheet(root, "logo", [logo()], 96, 28, 1, "tools/data/art/logo.txt",
                {"draw_at": [112, 4]})
    write_bytes(root, "assets/graphics/panel.png", png(panel()))
    write_sheet(root, "objects", objects(), 16, 16, 16, "tools/data/art/objects.py")
    lifts = [lift_picture(k) for k in range(3)]
    sheet = sheet_pixels(lifts, 1, 48, 8, 0)
    write_bytes(root, "assets/graphics/lifts.png", png(sheet))
    write_json(root, "assets/graphics/lifts.json", {
        "format": "tumbold-lifts", "version": 1,
        "types": [{"x": 0, "y": 8 * k, "w": 48, "h": 8} for k in range(3)],
        "note": "0 platform, 1 cargo lift in service, 2 cargo lift shut down; "
                "48 x 8 (w_words 3, h 8), standing surface on the top row",
    })
    write_json(root, "assets/graphics/draw_tables.json", draw_tables())
