"""True-colour pictures: the two 348 x 240 HUD frames, the pause-menu skin (menu.json and
its nine sheets) and the window icon. Colours come from the game palette, with a few
blends between its entries, so the frame matches the game picture it surrounds.
"""

from datagen import art, sprites
from datagen.art import SOURCES, T
from datagen.common import write_bytes, write_json
from datagen.palette import rgb8
from datagen.pngio import rgba_png

CLEAR = (0, 0, 0, 0)


def pal(i, a=255):
    return rgb8(i) + (a,)


def mix(a, b, t):
    """Blend of two palette colours, t = 0 gives a, 1 gives b."""
    ca, cb = rgb8(a), rgb8(b)
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(ca, cb)) + (255,)


def hex_colour(c):
    return "#%02X%02X%02X" % c[:3]


class Rgba(art.Grid):
    def __init__(self, w, h, fill=CLEAR):
        super().__init__(w, h, fill)

    def get(self, x, y):
        return self.px[y][x]

    def indexed(self, canvas, x0, y0, scale=1):
        """Draws an indexed canvas (values 0..15, 16 see-through) in palette colours."""
        for y in range(canvas.h):
            for x in range(canvas.w):
                v = canvas.px[y][x]
                if v != T:
                    self.rect(x0 + x * scale, y0 + y * scale, x0 + x * scale + scale - 1,
                              y0 + y * scale + scale - 1, pal(v & 15))

    def text(self, x, y, s, colour, shadow=None):
        for i, ch in enumerate(s):
            glyph = BIG.get(ord(ch))
            if glyph is None:
                continue
            for r in range(7):
                for k in range(7):
                    if glyph[r][k]:
                        if shadow:
                            self.set(x + 8 * i + k + 1, y + r + 1, shadow)
            for r in range(7):
                for k in range(7):
                    if glyph[r][k]:
                        self.set(x + 8 * i + k, y + r, colour)

    def png(self):
        return rgba_png(self.px)


# ---------------------------------------------------------------------------------
# Fonts of the menu

def big_font():
    """code -> 7 x 7 ink mask: the game font's letters, ordinary punctuation, arrows."""
    glyphs = art.font_glyphs()
    font = {}
    for code in range(32, 128):
        g = glyphs[code - 32]
        font[code] = [[g.px[r][k] == 15 for k in range(7)] for r in range(7)]
    for name, rows in art.read_maps("menu_font.txt").items():
        code = int(name, 16) if name.startswith("0x") else ord(name)
        font[code] = [[ch == "#" for ch in row[:7]] for row in rows[:7]]
    return font


BIG = big_font()


def small_font():
    font = {}
    for line in (SOURCES / "small_font.txt").read_text().splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        name, rows = line.split()
        code = {"space": 32, "hash": 35}.get(name) or ord(name)
        font[code] = [[ch == "#" for ch in row] for row in rows.split("/")]
    assert sorted(font) == list(range(32, 96)), "small_font.txt must cover codes 32..95"
    return font


def font_sheet(glyphs, cell_w, cell_h, first, last, colour=(255, 255, 255, 255)):
    count = last - first + 1
    rows = (count + 15) // 16
    img = Rgba(16 * cell_w, rows * cell_h)
    for code, mask in glyphs.items():
        if not first <= code <= last:
            continue
        gx, gy = ((code - first) % 16) * cell_w, ((code - first) // 16) * cell_h
        for r, row in enumerate(mask):
            for k, on in enumerate(row):
                if on:
                    img.set(gx + k, gy + r, colour)
    return img


# ---------------------------------------------------------------------------------
# HUD frame (348 x 240): play area (14, 66)-(333, 225) transparent. The HUD draws the
# panel's values over this art at fixed places, so the art is laid out around them:
# item icons x 8..55, rows 17..32; score digits x 117..140, rows 22..29; a full energy
# bar x 182..227, rows 14..20 (blackened from the right as energy drops); life icons
# x 181, 198, 215 (16 wide), rows 23..38; the room name in 8 x 8 glyph cells on rows
# 41..48, centred on x 6..229 (ink on rows 41..47, the cells' own paper below).
# Everything sits in one wooden console; the labels stand on one line above it.

STONE, STONE_D, STONE_L = mix(8, 10, 0.25), mix(8, 15, 0.45), mix(8, 9, 0.55)
WOOD, WOOD_D, WOOD_L = pal(3), pal(2), pal(4)
WOOD_MID_L, WOOD_MID_D = mix(3, 4, 0.5), mix(3, 2, 0.5)
NAME_BG = tuple(255 - c for c in rgb8(1)) + (255,)   # inverted glyph paper: blends in
SLOT_BG = mix(0, 10, 0.25)

LABEL_Y = 2          # rows 2..8, shadow to row 9
CONSOLE = (2, 10, 235, 53)
PLAQUE = (240, 10, 345, 53)


def stone_wall(img, x0, y0, x1, y1):
    for y in range(y0, y1 + 1):
        course = (y - y0) // 10
        for x in range(x0, x1 + 1):
            bx = (x + (13 if course % 2 else 0)) % 26
            by = (y - y0) % 10
            if by == 9 or bx == 25:
                c = STONE_D
            elif by == 0 or bx == 0:
                c = STONE_L
            else:
                n = (x * 73 + y * 151 + (x // 26) * 17) % 41
                c = mix(8, 10, 0.18) if n < 3 else (mix(8, 9, 0.3) if n > 38 else STONE)
            img.set(x, y, c)


def wooden_board(img, x0, y0, x1, y1):
    """A raised wooden board with a double bevel and brass studs in its corners."""
    img.rect(x0, y0, x1, y1, WOOD)
    img.bevel(x0, y0, x1, y1, WOOD_L, WOOD_D)
    img.bevel(x0 + 1, y0 + 1, x1 - 1, y1 - 1, WOOD_MID_L, WOOD_MID_D)
    for x, y in ((x0, y0), (x1, y0), (x0, y1), (x1, y1)):
        img.set(x, y, pal(14))


def recess(img, x0, y0, x1, y1, inner):
    """A hollow cut into the wood: inner area x0..x1, y0..y1, a black edge round it
    and the wood shaded dark above and left, lit below and right."""
    img.bevel(x0 - 2, y0 - 2, x1 + 2, y1 + 2, WOOD_D, WOOD_L)
    img.box(x0 - 1, y0 - 1, x1 + 1, y1 + 1, pal(15))
    img.rect(x0, y0, x1, y1, inner)


def brass_corner(img, x, y, dx, dy):
    """An L-shaped brass bracket over a frame corner, pointing inward by (dx, dy)."""
    for k in range(9):
        for w in range(3):
            for px, py in ((x + dx * k, y + dy * w), (x + dx * w, y + dy * k)):
                edge = k == 8 or w == 2
                img.set(px, py, pal(13) if edge else (pal(14) if w == 0 else mix(14, 13, 0.5)))
    img.set(x + dx, y + dy, pal(1))
    img.set(x + dx * 5, y + dy, pal(2))
    img.set(x + dx, y + dy * 5, pal(2))


def label(img, centre_x, text):
    """A yellow word on the label line, centred on centre_x."""
    img.text(int(round(centre_x - (8 * len(text) - 1) / 2)), LABEL_Y, text, pal(14), shadow=pal(15))


def energy_bar(img, x0, y0, x1, y1):
    stops = [12, 13, 14, 14, 7, 7]
    for x in range(x0, x1 + 1):
        t = (x - x0) / (x1 - x0) * (len(stops) - 1)
        k = min(int(t), len(stops) - 2)
        c = mix(stops[k], stops[k + 1], t - k)
        for y in range(y0, y1 + 1):
            f = {0: 1.2, 1: 1.1, y1 - y0 - 1: 0.85, y1 - y0: 0.7}.get(y - y0, 1.0)
            img.set(x, y, tuple(min(255, int(v * f)) for v in c[:3]) + (255,))


def hud_frame():
    img = Rgba(348, 240)
    stone_wall(img, 0, 0, 347, 239)
    # play area window with a wooden moulding
    img.rect(9, 61, 338, 230, WOOD)
    img.bevel(9, 61, 338, 230, WOOD_L, WOOD_D)
    img.bevel(10, 62, 337, 229, WOOD_MID_L, WOOD_MID_D)
    img.box(12, 64, 335, 227, WOOD_D)
    img.box(13, 65, 334, 226, pal(15))
    img.rect(14, 66, 333, 225, CLEAR)
    for x in range(24, 334, 30):                 # rivets on the moulding
        for y in (63, 228):
            img.set(x, y, pal(9))
            img.set(x + 1, y, pal(8))
    for cx, cy, dx, dy in ((9, 61, 1, 1), (338, 61, -1, 1), (9, 230, 1, -1), (338, 230, -1, -1)):
        brass_corner(img, cx, cy, dx, dy)

    wooden_board(img, *CONSOLE)
    # inventory: three slots at x 8, 24, 40, rows 17..32
    recess(img, 8, 17, 55, 32, SLOT_BG)
    for i in range(3):
        x = 8 + 16 * i
        img.bevel(x, 17, x + 15, 32, mix(0, 15, 0.5), mix(0, 10, 0.6))
    # score: three digits at x 117..140, rows 22..29, three rows of paper round them
    recess(img, 115, 19, 142, 32, pal(15))
    # energy bar over the three life slots, one hollow that opens into the name strip
    # below: the slots' lower edge is the strip's upper one
    recess(img, 181, 14, 230, 38, pal(15))
    recess(img, 6, 40, 230, 48, NAME_BG)
    img.rect(181, 38, 230, 40, pal(15))
    energy_bar(img, 182, 14, 227, 20)
    for k in range(3):
        x = 181 + 17 * k
        img.rect(x, 23, x + 15, 38, mix(10, 0, 0.35))
        img.bevel(x, 23, x + 15, 38, mix(10, 0, 0.65), mix(10, 11, 0.25))
    img.rect(6, 40, 230, 48, NAME_BG)
    label(img, 31.5, "ITEMS")
    label(img, 128.5, "SCORE")
    label(img, 205.5, "ENERGY")

    # the logo on a dark plaque
    wooden_board(img, *PLAQUE)
    x0, y0, x1, y1 = PLAQUE
    recess(img, x0 + 4, y0 + 4, x1 - 4, y1 - 4, mix(0, 10, 0.35))
    logo = art.logo()
    img.indexed(logo, (x0 + x1 + 1 - logo.w) // 2, (y0 + y1 + 1 - logo.h) // 2)
    if KEY_HINT:
        img.text(int(round((x0 + x1) / 2 - (8 * len(KEY_HINT) - 1) / 2)), LABEL_Y, KEY_HINT,
                 mix(1, 9, 0.4), shadow=pal(15))
    return img


# How to reach the menu, on the label line over the logo (the frame is shown in play).
KEY_HINT = "ESC MENU"


def title_frame():
    """A film strip around the title picture (picture (14, 14)-(333, 213) shows
    through), with a dark band behind the credit line drawn at rows 207..214."""
    img = Rgba(348, 240)
    film = (18, 16, 14, 255)
    img.rect(0, 0, 347, 239, film)
    img.rect(14, 14, 333, 213, CLEAR)
    img.box(13, 13, 334, 214, (48, 40, 30, 255))
    for x in range(6, 342, 14):
        for y0 in (3, 223):
            img.rect(x, y0, x + 7, y0 + 6, (212, 200, 170, 255))
            img.set(x, y0, film)
            img.set(x + 7, y0, film)
            img.set(x, y0 + 6, film)
            img.set(x + 7, y0 + 6, film)
            img.rect(x + 1, y0 + 5, x + 6, y0 + 5, (150, 140, 118, 255))
    for y in range(20, 210, 24):
        img.set(6, y, (70, 60, 44, 255))
        img.set(341, y + 12, (70, 60, 44, 255))
    # the band covers only picture rows 192..199, which the title text leaves free
    img.rect(14, 206, 333, 213, (10, 10, 14, 255))
    img.rect(14, 206, 333, 206, (48, 40, 30, 255))
    return img


# ---------------------------------------------------------------------------------
# Menu skin

MENU_PALETTE = {
    "black": (0, 0, 0), "white": rgb8(1), "light": (214, 206, 178), "navy": (10, 18, 46),
    "row": (24, 34, 70), "row_edge": (58, 78, 140), "blue": rgb8(10), "cyan": rgb8(11),
    "yellow": rgb8(14), "red": rgb8(12), "grey": (138, 142, 156), "dark": (40, 44, 58),
    "mid": (86, 92, 108),
}


def nine(size, corner, body, edge, light=None, radius=1):
    img = Rgba(size, size)
    img.rect(0, 0, size - 1, size - 1, edge + (255,))
    img.rect(1, 1, size - 2, size - 2, body + (255,))
    if light:
        for x in range(1, size - 1):
            img.set(x, 1, light + (255,))
    if radius:
        for x, y in ((0, 0), (size - 1, 0), (0, size - 1), (size - 1, size - 1)):
            img.set(x, y, CLEAR)
    return img


def menu_panel():
    img = Rgba(16, 16)
    body = (16, 24, 54, 244)
    img.rect(0, 0, 15, 15, (0, 0, 0, 255))
    img.rect(1, 1, 14, 14, rgb8(4) + (255,))
    img.rect(2, 2, 13, 13, rgb8(3) + (255,))
    img.rect(3, 3, 12, 12, (0, 0, 0, 255))
    img.rect(4, 4, 11, 11, body)
    for x, y in ((0, 0), (15, 0), (0, 15), (15, 15)):
        img.set(x, y, CLEAR)
    for x, y in ((1, 1), (14, 1), (1, 14), (14, 14)):
        img.set(x, y, rgb8(14) + (255,))
    return img


def stripe():
    img = Rgba(16, 7)
    for x in range(16):
        for y in range(7):
            d = (x + y) % 8
            c = rgb8(14) if d < 2 else (rgb8(13) if d < 4 else rgb8(3))
            img.set(x, y, c + (255,))
    img.rect(0, 0, 15, 0, rgb8(2) + (255,))
    img.rect(0, 6, 15, 6, rgb8(2) + (255,))
    return img


def slider():
    img = Rgba(39, 27)
    rows = [((54, 60, 78), (34, 38, 52)), (rgb8(7), rgb8(6)), (rgb8(11), rgb8(10))]
    for r, (top, bottom) in enumerate(rows):
        for b in range(10):
            x0 = 4 * b
            h = 3 + (b * 5) // 9             # bars grow like a volume wedge
            for y in range(9 - h, 9):
                c = top if y < 9 - h + 1 else bottom
                for x in range(x0, x0 + 3):
                    img.set(x, 9 * r + y, c + (255,))
    return img


def latest():
    img = Rgba(27, 9)
    img.rect(0, 0, 26, 8, rgb8(14) + (255,))
    img.rect(0, 8, 26, 8, rgb8(13) + (255,))
    for x, y in ((0, 0), (26, 0), (0, 8), (26, 8)):
        img.set(x, y, CLEAR)
    small = small_font()
    for i, ch in enumerate("LAST"):
        for r, row in enumerate(small[ord(ch)]):
            for k, on in enumerate(row):
                if on:
                    img.set(6 + 4 * i + k, 2 + r, MENU_PALETTE["navy"] + (255,))
    return img


def empty_thumb():
    img = Rgba(24, 12)
    img.rect(0, 0, 23, 11, (20, 26, 48, 255))
    img.box(0, 0, 23, 11, MENU_PALETTE["row_edge"] + (255,))
    for x in range(2, 22):
        if x % 3 != 2:
            img.set(x, 6 + (0 if x % 2 else 0), (58, 64, 90, 255))
    return img


def menu(root):
    base = "assets/UI/menu/"
    sheets = {
        "font.png": font_sheet(BIG, 8, 8, 32, 143),
        "small_font.png": font_sheet(small_font(), 4, 6, 32, 95),
        "panel.png": menu_panel(),
        "stripe.png": stripe(),
        "highlight.png": nine(6, 2, rgb8(14), rgb8(13), light=rgb8(1)),
        "slot.png": nine(6, 2, MENU_PALETTE["row"], MENU_PALETTE["row_edge"]),
        "slider.png": slider(),
        "latest.png": latest(),
        "empty_thumb.png": empty_thumb(),
    }
    for name, img in sheets.items():
        write_bytes(root, base + name, img.png())
    write_json(root, base + "menu.json", {
        "format": "tumbold-menu-art", "version": 1,
        "palette": {k: hex_colour(v) for k, v in MENU_PALETTE.items()},
        "file": {k[:-4]: k for k in sheets},
        "font": {"cell": [8, 8], "columns": 16, "first": 32, "last": 131,
                 "arrows": {"left": 128, "right": 129, "up": 130, "down": 131},
                 "zero_as": "O"},
        "small_font": {"cell": [4, 6], "glyph": [3, 5], "columns": 16, "first": 32},
        "panel": {"corner": 5}, "highlight": {"corner": 2}, "slot": {"corner": 2},
        "slider": {"bars": 10, "bar_w": 3, "gap": 1, "rows": ["empty", "sound", "music"]},
        "thumbnail": {"size": [24, 12], "empty": "empty_thumb.png"},
    })


def icon():
    img = Rgba(64, 64)
    for y in range(64):
        for x in range(64):
            d = ((x - 31.5) ** 2 + (y - 31.5) ** 2) ** 0.5
            if d <= 31:
                img.set(x, y, rgb8(15) + (255,))
            if d <= 29.5:
                img.set(x, y, rgb8(14) + (255,))
            if d <= 27.5:
                img.set(x, y, mix(10, 11, (y / 64) * 0.6))
    hero = sprites.front("wave", 1)
    body, _, _ = sprites.trimmed(hero, 0, 0)
    img.indexed(body, 32 - body.w, 33 - body.h, 2)
    return img


def generate(root):
    write_bytes(root, "assets/UI/frame_transparent.png", hud_frame().png())
    write_bytes(root, "assets/UI/title_frame.png", title_frame().png())
    menu(root)
    write_bytes(root, "assets/icon/icon_64.png", icon().png())
