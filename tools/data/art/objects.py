# The 88 object pictures, 16 x 16 each, in object order (picture k is object k).
# Each function draws the body in flat colours, lets the canvas shade its rims
# (darker lower-right, lighter upper-left), adds the details and rings the whole
# in black. Colour numbers are the game palette:
#   0 night  1 paper  2 dark brown  3 brown  4 ochre  5 dark green  6 green
#   7 light green  8 dark grey  9 grey  10 slate  11 sky  12 red  13 orange
#   14 yellow  15 black  (16 see-through)
# Loaded by tools/datagen/art.py, which passes Canvas and T.

ITEMS = []


def item(fn):
    ITEMS.append(fn)
    return fn


def new():
    return Canvas(16, 16)


def done(c):
    c.outline(15)
    return c


def star_shard(turn, sparkles):
    """One point of the broken star: a glowing crystal wedge, turned a quarter per
    shard, with one to four sparkles so the four pieces tell apart at a glance."""
    c = new()
    c.poly([(7.5, 0.5), (12, 10), (9, 14), (6, 14), (3, 10)], 14)
    c.shade()
    c.line(7, 3, 5, 10, 1)
    c.line(8, 2, 8, 4, 1)
    c.rect(6, 12, 9, 13, 13)
    for _ in range(turn):
        c = rotate(c)
    done(c)
    for x, y in [(1, 1), (14, 1), (14, 14), (1, 14)][:sparkles]:
        c.set(x, y, 1)
    return c


def rotate(c):
    out = new()
    for y in range(16):
        for x in range(16):
            out.set(15 - y, x, c.get(x, y))
    return out


@item
def shades():
    c = new()
    c.rect(0, 5, 15, 6, 8)
    c.ellipse(4, 8.5, 3.5, 3, 0)
    c.ellipse(11.5, 8.5, 3.5, 3, 0)
    c.shade(highlight=False)
    c.rect(7, 7, 8, 7, 8)
    for x, y in ((2, 7), (3, 7), (2, 8), (10, 7), (11, 7), (10, 8)):
        c.set(x, y, 11)
    c.set(4, 10, 10)
    c.set(12, 10, 10)
    return done(c)


@item
def lantern():
    c = new()
    c.rect(4, 4, 11, 13, 4)
    c.rect(5, 6, 10, 11, 14)
    c.shade()
    c.rect(6, 7, 9, 10, 1)
    c.rect(7, 8, 8, 9, 14)
    c.rect(3, 3, 12, 4, 3)
    c.rect(3, 13, 12, 14, 3)
    c.box(6, 0, 9, 2, 8)
    return done(c)


@item
def boot():
    c = new()
    c.poly([(4, 1), (10, 1), (10, 9), (15, 11), (15, 15), (3, 15), (4, 9)], 3)
    c.shade()
    c.rect(3, 14, 14, 14, 2)
    for y in (3, 5, 7):
        c.set(7, y, 4)
    c.rect(4, 1, 9, 1, 2)
    return done(c)


@item
def spoon():
    c = new()
    c.line(2, 14, 9, 7, 4)
    c.line(3, 14, 10, 7, 4)
    c.ellipse(11, 4.5, 3, 4, 4)
    c.shade()
    c.set(10, 3, 1)
    return done(c)


@item
def cheese():
    c = new()
    c.ellipse(7.5, 9, 7, 5, 14)
    c.shade()
    c.rect(1, 9, 14, 14, 13)
    c.ellipse(7.5, 8, 6.5, 3.5, 14)
    for x, y in ((4, 8), (9, 7), (11, 9), (6, 12), (11, 12)):
        c.set(x, y, 4)
    c.set(3, 6, 1)
    return done(c)


@item
def rope():
    c = new()
    c.ellipse(7.5, 8.5, 7, 6, 4)
    c.ellipse(7.5, 8.5, 5, 4, 3)
    c.ellipse(7.5, 8.5, 3, 2, 4)
    c.ellipse(7.5, 8.5, 1, 0.5, T)
    c.shade()
    c.line(13, 10, 15, 15, 4)
    return done(c)


@item
def whistle():
    c = new()
    for k in range(3):
        c.line(1, 11 + k, 13, 5 + k, 9)
    c.shade()
    for x in (6, 9):
        c.set(x, 9 - (x - 6) // 2, 15)
    c.rect(12, 4, 14, 7, 8)
    return done(c)


@item
def rusty_key():
    c = new()
    c.ellipse(4, 5, 3.5, 3.5, 13)
    c.ellipse(4, 5, 1.2, 1.2, T)
    c.rect(7, 4, 14, 6, 13)
    c.rect(11, 7, 12, 10, 13)
    c.rect(14, 7, 14, 9, 13)
    c.shade()
    c.set(9, 5, 3)
    c.set(2, 3, 14)
    return done(c)


@item
def honey_jar():
    c = new()
    c.rect(3, 5, 12, 14, 14)
    c.rect(3, 5, 12, 7, 11)
    c.shade()
    c.rect(2, 2, 13, 4, 12)
    c.set(4, 3, 13)
    c.rect(5, 9, 10, 12, 1)
    c.rect(6, 10, 9, 11, 4)
    return done(c)


@item
def quill():
    c = new()
    c.poly([(14, 1), (9, 3), (4, 9), (3, 12), (6, 11), (12, 6)], 1)
    c.shade()
    c.line(13, 2, 3, 12, 9)
    c.line(3, 12, 1, 14, 15)
    c.line(2, 13, 1, 15, 15)
    return done(c)


@item
def star_shard_1():
    return star_shard(0, 1)


@item
def apple():
    c = new()
    c.ellipse(7.5, 9, 6, 5.5, 12)
    c.shade()
    c.set(4, 6, 1)
    c.set(5, 6, 13)
    c.set(4, 7, 13)
    c.line(8, 4, 9, 1, 2)
    c.rect(10, 2, 12, 3, 6)
    c.set(12, 2, 7)
    return done(c)


@item
def bell():
    c = new()
    c.poly([(7, 2), (9, 2), (12, 6), (12, 11), (14, 13), (2, 13), (4, 11), (4, 6)], 14)
    c.shade()
    c.rect(7, 0, 8, 2, 4)
    c.rect(7, 14, 8, 15, 3)
    c.line(5, 6, 5, 10, 1)
    return done(c)


@item
def magnifier():
    c = new()
    c.ellipse(6, 6, 5, 5, 4)
    c.shade()
    c.ellipse(6, 6, 3.5, 3.5, 11)
    c.set(4, 4, 1)
    c.set(5, 4, 1)
    c.set(4, 5, 1)
    for k in range(2):
        c.line(10 + k, 11, 14 + k, 15, 3)
        c.line(10, 10 + k, 14, 14 + k, 2)
    return done(c)


@item
def glue_pot():
    c = new()
    c.rect(3, 7, 12, 14, 1)
    c.ellipse(7.5, 7, 4.5, 1.5, 9)
    c.shade()
    c.rect(4, 10, 11, 12, 11)
    c.line(9, 6, 12, 0, 3)
    c.line(10, 6, 13, 0, 4)
    c.set(9, 6, 1)
    return done(c)


@item
def thread_spool():
    c = new()
    c.rect(4, 3, 11, 12, 12)
    c.shade()
    for y in (5, 7, 9):
        c.line(4, y, 11, y + 1, 13)
    c.rect(2, 1, 13, 2, 4)
    c.rect(2, 13, 13, 14, 3)
    c.line(11, 10, 15, 15, 12)
    return done(c)


@item
def candle():
    c = new()
    c.rect(5, 8, 10, 14, 1)
    c.shade()
    c.rect(3, 14, 12, 15, 4)
    c.set(6, 9, 14)
    c.line(8, 6, 8, 7, 15)
    c.ellipse(8, 3.5, 1.5, 2.5, 13)
    c.set(8, 4, 14)
    c.set(8, 3, 14)
    return done(c)


@item
def bread():
    c = new()
    c.ellipse(7.5, 9, 7, 4.5, 4)
    c.shade()
    for x in (4, 7, 10):
        c.line(x, 7, x + 2, 9, 3)
    c.rect(3, 6, 5, 6, 14)
    return done(c)


@item
def fishing_rod():
    c = new()
    c.line(1, 15, 12, 1, 3)
    c.line(2, 15, 13, 1, 2)
    c.line(12, 1, 14, 1, 9)
    c.line(14, 2, 14, 10, 9)
    c.set(13, 11, 9)
    c.set(13, 12, 9)
    c.set(14, 12, 9)
    c.ellipse(4, 12, 1.5, 1.5, 8)
    return done(c)


@item
def blue_potion():
    c = new()
    c.ellipse(7.5, 10, 5.5, 5, 11)
    c.rect(6, 2, 9, 6, 11)
    c.shade()
    c.rect(6, 0, 9, 1, 3)
    c.rect(4, 10, 11, 13, 10)
    c.set(5, 8, 1)
    c.set(5, 9, 1)
    return done(c)


@item
def star_shard_2():
    return star_shard(1, 2)


@item
def pine_cone():
    c = new()
    c.ellipse(7.5, 8.5, 5, 6.5, 3)
    c.shade()
    for y in range(4, 15, 3):
        for x in range(4, 12, 3):
            c.set(x + (y // 3) % 2, y, 2)
            c.set(x + (y // 3) % 2, y - 1, 4)
    c.rect(7, 0, 8, 1, 2)
    return done(c)


@item
def mushroom():
    c = new()
    c.ellipse(7.5, 6, 7, 5, 12)
    c.rect(0, 6, 15, 8, T)
    c.rect(1, 6, 14, 7, 12)
    c.shade()
    c.rect(5, 8, 10, 14, 1)
    c.rect(9, 8, 10, 14, 9)
    for x, y in ((4, 3), (10, 2), (8, 5), (12, 5)):
        c.set(x, y, 1)
    return done(c)


@item
def trowel():
    c = new()
    c.poly([(9, 1), (14, 3), (12, 9), (7, 6)], 9)
    c.shade()
    c.line(8, 7, 4, 11, 8)
    for k in range(2):
        c.line(4 + k, 11, 1 + k, 14, 3)
    return done(c)


@item
def sea_shell():
    c = new()
    c.poly([(8, 1), (15, 9), (12, 13), (4, 13), (1, 9)], 4)
    c.shade()
    for x in (4, 6, 8, 10, 12):
        c.line(8, 2, x, 12, 3)
    c.rect(5, 13, 10, 14, 13)
    return done(c)


@item
def kite():
    c = new()
    c.poly([(8, 0), (13, 5), (8, 12), (3, 5)], 12)
    c.poly([(8, 0), (13, 5), (8, 5)], 14)
    c.poly([(3, 5), (8, 12), (8, 5)], 14)
    c.line(8, 0, 8, 12, 3)
    c.line(3, 5, 13, 5, 3)
    c.line(8, 12, 6, 15, 1)
    c.set(5, 14, 12)
    c.set(7, 13, 14)
    return done(c)


@item
def paint_brush():
    c = new()
    for k in range(2):
        c.line(1 + k, 15, 8 + k, 8, 3)
    c.rect(9, 5, 11, 8, 9)
    c.poly([(10, 0), (14, 2), (12, 6), (9, 5)], 12)
    c.shade(highlight=False)
    c.set(11, 2, 13)
    return done(c)


@item
def silver_coin():
    c = new()
    c.ellipse(7.5, 7.5, 6, 6, 9)
    c.shade()
    c.ellipse(7.5, 7.5, 3.5, 3.5, 8)
    c.ellipse(7.5, 7.5, 2.5, 2.5, 9)
    c.set(4, 3, 1)
    c.set(3, 4, 1)
    return done(c)


@item
def hourglass():
    c = new()
    c.rect(2, 0, 13, 1, 3)
    c.rect(2, 14, 13, 15, 3)
    c.poly([(4, 2), (12, 2), (9, 8), (12, 14), (4, 14), (7, 8)], 11)
    c.shade(highlight=False)
    c.poly([(5, 3), (11, 3), (8, 7)], 1)
    c.poly([(8, 9), (11, 13), (5, 13)], 14)
    c.set(8, 8, 14)
    c.line(3, 2, 3, 13, 4)
    c.line(12, 2, 12, 13, 4)
    return done(c)


@item
def horseshoe():
    c = new()
    c.ellipse(7.5, 7, 6, 6, 9)
    c.ellipse(7.5, 7, 3, 3.5, T)
    c.rect(4, 8, 11, 15, T)
    c.rect(2, 8, 4, 14, 9)
    c.rect(11, 8, 13, 14, 9)
    c.shade()
    for x, y in ((3, 5), (7, 2), (12, 5), (3, 10), (12, 10)):
        c.set(x, y, 15)
    return done(c)


@item
def cracked_mirror():
    c = new()
    c.ellipse(7.5, 7, 6, 6.5, 4)
    c.shade()
    c.ellipse(7.5, 7, 4, 4.5, 11)
    c.line(5, 3, 8, 7, 1)
    c.line(8, 7, 7, 11, 1)
    c.line(8, 7, 11, 6, 1)
    c.rect(7, 13, 8, 15, 3)
    return done(c)


@item
def iron_kettle():
    c = new()
    c.ellipse(7.5, 10, 6, 4.5, 8)
    c.line(13, 8, 15, 5, 8)
    c.shade()
    c.ellipse(7.5, 3, 4, 3, T)
    c.box(4, 2, 11, 6, 15)
    c.rect(4, 6, 11, 6, T)
    c.rect(6, 6, 9, 6, 8)
    c.set(4, 8, 9)
    c.set(5, 8, 9)
    return done(c)


@item
def bird_nest():
    c = new()
    c.ellipse(7.5, 11, 7, 4, 3)
    c.shade()
    c.ellipse(6, 8.5, 2, 2, 11)
    c.ellipse(9.5, 8.5, 2, 2, 11)
    c.set(5, 7, 1)
    c.set(9, 7, 1)
    for x in range(2, 14, 3):
        c.line(x, 10, x + 2, 13, 4)
        c.line(x + 2, 10, x, 13, 2)
    return done(c)


@item
def scarf():
    c = new()
    c.poly([(1, 3), (14, 3), (14, 7), (9, 7), (9, 15), (5, 15), (5, 7), (1, 7)], 12)
    c.shade()
    for x in (3, 7, 11):
        c.rect(x, 3, x + 1, 7, 1)
    for y in (9, 12):
        c.rect(5, y, 9, y, 1)
    for x in (5, 7, 9):
        c.set(x, 15, 13)
    return done(c)


@item
def flour_sack():
    c = new()
    c.poly([(5, 3), (10, 3), (14, 10), (13, 15), (2, 15), (1, 10)], 1)
    c.shade()
    c.rect(5, 3, 10, 4, 4)
    c.rect(6, 1, 9, 2, 1)
    c.rect(5, 9, 10, 12, 4)
    c.rect(6, 10, 9, 11, 1)
    c.set(7, 10, 4)
    return done(c)


@item
def flint_and_steel():
    c = new()
    c.poly([(1, 8), (6, 5), (9, 9), (7, 14), (2, 14)], 9)
    c.shade()
    c.ellipse(12, 9, 3, 4, 8)
    c.ellipse(12, 9, 1.2, 2, T)
    c.set(9, 4, 14)
    c.set(10, 3, 13)
    c.set(8, 3, 14)
    return done(c)


@item
def map_of_vale():
    c = new()
    c.rect(1, 2, 14, 13, 1)
    c.shade(highlight=False)
    c.line(3, 5, 12, 4, 11)
    c.ellipse(5, 9, 2, 1.5, 6)
    c.ellipse(11, 10, 2, 2, 6)
    c.line(4, 11, 11, 7, 12)
    c.set(11, 7, 12)
    c.rect(0, 1, 1, 14, 4)
    c.rect(14, 1, 15, 14, 4)
    return done(c)


@item
def firewood():
    c = new()
    for y in (5, 8, 11):
        c.rect(1, y, 14, y + 2, 3)
    c.shade()
    for y in (5, 8, 11):
        c.ellipse(14, y + 1, 1, 1, 4)
        c.set(14, y + 1, 2)
    c.rect(5, 4, 6, 14, 12)
    c.rect(10, 4, 11, 14, 12)
    return done(c)


@item
def toy_drum():
    c = new()
    c.rect(2, 7, 13, 14, 12)
    c.ellipse(7.5, 6.5, 5.5, 2, 1)
    c.shade()
    for x in range(3, 13, 3):
        c.line(x, 8, x + 2, 13, 14)
    c.rect(2, 13, 13, 14, 1)
    c.line(2, 0, 6, 5, 4)
    c.line(13, 0, 9, 5, 4)
    return done(c)


@item
def copper_pot():
    c = new()
    c.rect(2, 6, 12, 13, 13)
    c.ellipse(7, 13, 5, 1.5, 13)
    c.shade()
    c.rect(1, 5, 13, 6, 14)
    c.rect(13, 7, 15, 8, 3)
    c.rect(4, 8, 5, 11, 14)
    return done(c)


@item
def willow_bat():
    c = new()
    c.poly([(10, 1), (14, 5), (6, 13), (3, 10)], 4)
    c.shade()
    c.line(11, 3, 5, 10, 14)
    for k in range(2):
        c.line(4 + k, 11, 1 + k, 14, 2)
    c.rect(0, 14, 1, 15, 2)
    return done(c)


@item
def owl_feather():
    c = new()
    c.poly([(13, 0), (15, 3), (8, 11), (4, 13), (6, 8)], 4)
    c.shade()
    for k in range(4):
        c.line(8 + k, 3 + k, 11 + k // 2, 7 + k // 2, 3)
    c.line(14, 1, 3, 13, 2)
    c.line(3, 13, 1, 15, 2)
    return done(c)


@item
def silver_chalice():
    c = new()
    c.ellipse(7.5, 3.5, 6, 3.5, 9)
    c.rect(2, 0, 13, 3, 9)
    c.rect(7, 7, 8, 11, 9)
    c.ellipse(7.5, 7, 2, 1, 9)
    c.rect(4, 12, 11, 13, 9)
    c.rect(3, 14, 12, 14, 8)
    c.shade()
    c.rect(3, 1, 12, 1, 8)
    c.rect(4, 3, 5, 5, 1)
    c.set(8, 4, 12)
    c.set(10, 4, 11)
    return done(c)


@item
def cloak_of_shadows():
    c = new()
    c.poly([(6, 1), (9, 1), (14, 14), (1, 14)], 8)
    c.shade()
    c.poly([(7, 3), (8, 3), (11, 13), (4, 13)], 0)
    c.line(7, 1, 8, 1, 10)
    c.set(7, 2, 14)
    c.set(8, 2, 14)
    return done(c)


@item
def ember_crown():
    c = new()
    c.poly([(1, 5), (4, 9), (7, 3), (8, 3), (11, 9), (14, 5), (14, 13), (1, 13)], 14)
    c.shade()
    c.rect(2, 11, 13, 12, 13)
    for x, col in ((4, 12), (7, 13), (11, 12)):
        c.set(x, 11, col)
        c.set(x + 1, 11, 1 if col == 13 else 12)
    for x in (1, 7, 14):
        c.set(x, 3 if x != 7 else 1, 13)
        c.set(x, 4 if x != 7 else 2, 12)
    return done(c)


@item
def meaty_bone():
    c = new()
    c.ellipse(7.5, 8, 5.5, 4.5, 12)
    c.shade()
    c.ellipse(6.5, 7, 3, 2.5, 13)
    c.rect(12, 5, 14, 7, 1)
    c.ellipse(14, 4.5, 1.2, 1.2, 1)
    c.ellipse(15, 7, 1, 1, 1)
    c.rect(1, 10, 3, 12, 1)
    c.ellipse(1, 12.5, 1.2, 1.2, 1)
    c.set(5, 6, 1)
    return done(c)


@item
def watering_can():
    c = new()
    c.rect(3, 6, 10, 14, 6)
    c.shade()
    c.line(10, 9, 14, 4, 6)
    c.line(10, 10, 14, 5, 5)
    c.rect(14, 3, 15, 5, 7)
    c.box(4, 2, 9, 6, 5)
    c.rect(5, 3, 8, 5, T)
    c.set(4, 7, 7)
    return done(c)


@item
def green_bottle():
    c = new()
    c.rect(5, 6, 10, 14, 6)
    c.rect(6, 2, 9, 6, 6)
    c.shade()
    c.rect(6, 0, 9, 1, 3)
    c.rect(6, 8, 9, 11, 1)
    c.line(6, 9, 8, 9, 12)
    c.set(5, 6, 7)
    return done(c)


@item
def clockwork_mouse():
    c = new()
    c.ellipse(8.5, 11, 5.5, 3.5, 9)
    c.poly([(1, 13), (4, 9), (7, 10), (6, 14)], 9)
    c.shade()
    c.rect(4, 8, 5, 9, 13)
    c.set(3, 11, 15)
    c.set(1, 13, 12)
    c.rect(9, 5, 9, 8, 14)
    c.rect(7, 4, 11, 4, 14)
    c.set(7, 3, 14)
    c.set(11, 3, 14)
    for x in (5, 11):
        c.ellipse(x, 14.5, 1, 1, 8)
    c.line(14, 11, 15, 8, 9)
    return done(c)


@item
def pickaxe():
    c = new()
    c.poly([(1, 5), (6, 1), (10, 1), (15, 5), (13, 5), (8, 3), (3, 5)], 9)
    c.shade(highlight=False)
    for k in range(2):
        c.line(8 + k, 3, 8 + k, 15, 3)
    c.set(7, 2, 1)
    return done(c)


@item
def star_shard_3():
    return star_shard(2, 3)


@item
def snow_globe():
    c = new()
    c.ellipse(7.5, 6.5, 5.5, 5.5, 11)
    c.shade()
    c.rect(3, 12, 12, 14, 3)
    c.rect(3, 12, 12, 12, 4)
    c.poly([(8, 4), (11, 10), (5, 10)], 6)
    for x, y in ((4, 5), (10, 3), (6, 2), (12, 7), (4, 9)):
        c.set(x, y, 1)
    return done(c)


@item
def bag_of_marbles():
    c = new()
    c.poly([(5, 4), (10, 4), (14, 10), (12, 15), (3, 15), (1, 10)], 3)
    c.shade()
    c.rect(6, 3, 9, 4, 12)
    c.ellipse(6, 1.5, 1.2, 1.2, 11)
    c.ellipse(10, 1.5, 1.2, 1.2, 7)
    c.rect(7, 8, 8, 9, 14)
    return done(c)


@item
def goggles():
    c = new()
    c.rect(0, 7, 15, 8, 3)
    c.ellipse(4, 8, 3.5, 3.5, 4)
    c.ellipse(11, 8, 3.5, 3.5, 4)
    c.shade()
    c.ellipse(4, 8, 2, 2, 7)
    c.ellipse(11, 8, 2, 2, 7)
    c.set(3, 7, 1)
    c.set(10, 7, 1)
    return done(c)


@item
def stone_tablet():
    c = new()
    c.poly([(2, 3), (5, 1), (10, 1), (13, 3), (13, 15), (2, 15)], 9)
    c.shade()
    for y in (5, 8, 11):
        c.line(4, y, 11, y, 8)
        c.set(5 + y % 3, y, 9)
    return done(c)


@item
def carrot():
    c = new()
    c.poly([(3, 4), (8, 4), (3, 15)], 13)
    c.poly([(2, 4), (9, 4), (9, 6), (2, 6)], 13)
    c.shade()
    for y in (7, 10):
        c.line(3, y, 5, y, 12)
    c.line(5, 3, 8, 0, 6)
    c.line(6, 3, 11, 1, 6)
    c.line(6, 3, 13, 4, 7)
    return done(c)


@item
def teapot():
    c = new()
    c.ellipse(7.5, 9.5, 5, 4.5, 1)
    c.shade()
    c.rect(6, 3, 9, 4, 1)
    c.set(7, 2, 11)
    c.set(8, 2, 11)
    c.line(12, 9, 15, 5, 1)
    c.line(1, 7, 1, 11, 11)
    c.set(2, 7, 11)
    c.set(2, 11, 11)
    c.rect(5, 8, 10, 9, 11)
    return done(c)


@item
def book_of_spells():
    c = new()
    c.rect(2, 1, 13, 14, 12)
    c.shade()
    c.rect(12, 2, 13, 13, 1)
    c.rect(2, 1, 3, 14, 2)
    c.poly([(8, 4), (10, 9), (5, 6), (11, 6), (6, 9)], 14)
    c.set(8, 6, 14)
    return done(c)


@item
def crowbar():
    c = new()
    for k in range(2):
        c.line(3 + k, 15, 13 + k, 3, 12)
    c.line(13, 3, 12, 1, 12)
    c.line(12, 1, 10, 1, 12)
    c.line(14, 3, 13, 1, 2)
    c.line(3, 15, 1, 14, 12)
    return done(c)


@item
def frog_in_jar():
    c = new()
    c.rect(3, 4, 12, 14, 11)
    c.shade()
    c.rect(2, 2, 13, 3, 3)
    c.ellipse(7.5, 10.5, 3.5, 2.5, 6)
    c.set(5, 8, 7)
    c.set(10, 8, 7)
    c.set(5, 7, 1)
    c.set(10, 7, 1)
    c.rect(6, 11, 9, 11, 5)
    c.set(4, 6, 1)
    return done(c)


@item
def star_shard_4():
    return star_shard(3, 4)


@item
def wind_chime():
    c = new()
    c.rect(2, 2, 13, 3, 3)
    c.line(7, 0, 8, 0, 8)
    for x, h in ((3, 9), (6, 12), (9, 10), (12, 13)):
        c.rect(x, 5, x + 1, h, 9)
        c.line(x, 4, x, 4, 8)
    c.shade(highlight=False)
    for x in (3, 6, 9, 12):
        c.set(x, 6, 1)
    return done(c)


@item
def hammer():
    c = new()
    c.rect(2, 1, 13, 5, 9)
    c.shade()
    c.rect(2, 1, 3, 5, 8)
    for k in range(2):
        c.line(7 + k, 6, 7 + k, 15, 3)
    c.set(7, 6, 2)
    return done(c)


@item
def ball_of_wool():
    c = new()
    c.ellipse(7.5, 8.5, 6, 6, 11)
    c.shade()
    c.line(3, 5, 12, 12, 10)
    c.line(2, 9, 9, 14, 10)
    c.line(6, 3, 13, 9, 10)
    c.line(14, 13, 15, 15, 11)
    return done(c)


@item
def golden_acorn():
    c = new()
    c.ellipse(7.5, 10, 4.5, 5, 14)
    c.shade()
    c.ellipse(7.5, 5.5, 5.5, 2.5, 4)
    c.rect(7, 1, 8, 3, 3)
    for x in (4, 7, 10):
        c.set(x, 5, 3)
    c.set(5, 9, 1)
    return done(c)


@item
def plumed_hat():
    c = new()
    c.ellipse(7.5, 12, 7, 2.5, 3)
    c.rect(4, 6, 11, 11, 3)
    c.shade()
    c.rect(4, 10, 11, 10, 14)
    c.poly([(5, 6), (2, 0), (5, 1), (8, 6)], 12)
    c.line(3, 1, 6, 5, 13)
    return done(c)


@item
def crystal_prism():
    c = new()
    c.poly([(8, 1), (14, 14), (2, 14)], 11)
    c.shade()
    c.line(8, 2, 8, 13, 1)
    c.line(9, 6, 14, 9, 12)
    c.line(9, 7, 14, 10, 14)
    c.line(9, 8, 14, 11, 6)
    return done(c)


@item
def telescope():
    c = new()
    for k in range(4):
        c.line(1, 11 + k, 9, 6 + k, 14)
    for k in range(3):
        c.line(9, 6 + k, 14, 3 + k, 4)
    c.shade()
    c.line(7, 7, 7, 10, 3)
    c.line(5, 13, 3, 15, 3)
    c.line(7, 12, 9, 15, 3)
    return done(c)


@item
def clay_jug():
    c = new()
    c.ellipse(7.5, 10, 5.5, 5, 13)
    c.rect(5, 2, 10, 6, 13)
    c.shade()
    c.rect(4, 1, 11, 2, 3)
    c.box(11, 4, 14, 9, 3)
    c.rect(12, 5, 13, 8, T)
    c.rect(4, 10, 11, 10, 3)
    c.set(4, 7, 14)
    return done(c)


@item
def toy_boat():
    c = new()
    c.poly([(0, 10), (15, 10), (12, 14), (3, 14)], 3)
    c.shade()
    c.poly([(7, 1), (7, 9), (13, 9)], 1)
    c.poly([(6, 3), (6, 9), (2, 9)], 1)
    c.line(7, 0, 7, 10, 2)
    c.set(7, 0, 12)
    c.set(8, 0, 12)
    return done(c)


@item
def herb_pouch():
    c = new()
    c.ellipse(7.5, 10.5, 6, 4.5, 4)
    c.shade()
    c.rect(5, 5, 10, 6, 3)
    c.poly([(7, 5), (3, 0), (6, 1)], 6)
    c.poly([(8, 5), (12, 0), (10, 3)], 7)
    c.line(8, 5, 8, 1, 5)
    return done(c)


@item
def pearls():
    import math
    c = new()
    for k in range(12):
        a = 2 * math.pi * k / 12
        c.rect(round(7 + 5.5 * math.cos(a)), round(7 + 5.5 * math.sin(a)),
               round(7 + 5.5 * math.cos(a)) + 1, round(7 + 5.5 * math.sin(a)) + 1, 1)
    c.shade(highlight=False)
    c.ellipse(7.5, 13.5, 1.5, 1.5, 14)
    c.set(7, 13, 1)
    return done(c)


@item
def torn_banner():
    c = new()
    c.rect(1, 0, 2, 15, 3)
    c.poly([(3, 1), (14, 1), (12, 4), (14, 7), (11, 9), (3, 10)], 12)
    c.shade()
    c.rect(6, 3, 8, 6, 14)
    c.set(7, 4, 13)
    c.set(1, 0, 14)
    return done(c)


@item
def wax_seal():
    c = new()
    c.ellipse(7.5, 7.5, 6.5, 6.5, 12)
    for x, y in ((1, 4), (13, 2), (14, 11), (3, 14)):
        c.set(x, y, 12)
    c.shade()
    c.ellipse(7.5, 7.5, 3.5, 3.5, 2)
    c.ellipse(7.5, 7.5, 2.5, 2.5, 12)
    c.rect(7, 6, 8, 9, 13)
    return done(c)


@item
def bronze_cog():
    c = new()
    import math
    for k in range(8):
        a = k * math.pi / 4
        c.ellipse(7.5 + 5.5 * math.cos(a), 7.5 + 5.5 * math.sin(a), 1.2, 1.2, 13)
    c.ellipse(7.5, 7.5, 5, 5, 13)
    c.shade()
    c.ellipse(7.5, 7.5, 2, 2, T)
    c.ellipse(7.5, 7.5, 2, 2, 15)
    c.rect(7, 7, 8, 8, T)
    return done(c)


@item
def pocket_watch():
    c = new()
    c.ellipse(7.5, 9, 6, 6, 14)
    c.shade()
    c.ellipse(7.5, 9, 4, 4, 1)
    c.line(7, 6, 7, 9, 15)
    c.line(7, 9, 10, 9, 15)
    c.rect(6, 1, 9, 2, 14)
    c.set(7, 0, 13)
    return done(c)


@item
def lump_of_coal():
    c = new()
    c.poly([(2, 8), (6, 3), (11, 4), (14, 9), (12, 14), (4, 14)], 8)
    c.shade(highlight=False)
    c.line(6, 4, 4, 8, 9)
    c.set(10, 6, 10)
    c.set(8, 11, 0)
    return done(c)


@item
def moon_lily():
    c = new()
    c.ellipse(7.5, 12.5, 7, 2.5, 6)
    c.shade()
    c.poly([(7.5, 0.5), (10, 6), (7.5, 10), (5, 6)], 1)
    c.poly([(1, 4), (6, 7), (7, 10), (3, 9)], 1)
    c.poly([(14, 4), (9, 7), (8, 10), (12, 9)], 1)
    c.line(7, 2, 7, 7, 9)
    c.rect(7, 8, 8, 9, 14)
    c.set(3, 12, 7)
    c.set(11, 13, 7)
    return done(c)

# --- scenery (never picked up) --------------------------------------------------


@item
def stone_urn():
    c = new()
    c.ellipse(7.5, 8, 5.5, 5, 9)
    c.rect(4, 1, 11, 3, 9)
    c.rect(5, 12, 10, 15, 9)
    c.shade()
    c.rect(3, 1, 12, 1, 1)
    c.rect(4, 7, 11, 7, 8)
    return done(c)


@item
def barrel():
    c = new()
    c.ellipse(7.5, 8, 6, 7.5, 3)
    c.shade()
    for y in (3, 12):
        c.rect(2, y, 13, y, 8)
    for x in (5, 10):
        c.line(x, 1, x, 14, 2)
    c.set(4, 5, 4)
    return done(c)


@item
def flower_pot():
    c = new()
    c.poly([(3, 9), (12, 9), (11, 15), (4, 15)], 13)
    c.shade()
    c.rect(2, 8, 13, 9, 3)
    c.line(7, 8, 5, 3, 6)
    c.line(8, 8, 11, 4, 6)
    for x, y in ((4, 2), (11, 3), (7, 4)):
        c.ellipse(x, y, 1.5, 1.5, 12)
        c.set(x, y, 14)
    return done(c)


@item
def crate():
    c = new()
    c.rect(1, 2, 14, 15, 4)
    c.shade()
    c.box(2, 3, 13, 14, 3)
    c.line(3, 4, 12, 13, 3)
    c.line(3, 13, 12, 4, 3)
    return done(c)


@item
def skulls():
    c = new()
    for cx, cy in ((4.5, 11), (11, 11), (7.5, 5.5)):
        c.ellipse(cx, cy, 3.5, 3.5, 1)
    c.shade()
    for cx, cy in ((4, 11), (10, 11), (7, 5)):
        c.set(cx - 1, cy, 15)
        c.set(cx + 1, cy, 15)
        c.set(cx, cy + 2, 9)
    return done(c)


@item
def treasure_chest():
    c = new()
    c.rect(1, 7, 14, 15, 3)
    c.ellipse(7.5, 6, 6.5, 3.5, 3)
    c.shade()
    c.rect(1, 7, 14, 8, 14)
    c.rect(6, 7, 9, 11, 14)
    c.set(7, 9, 15)
    c.set(8, 9, 15)
    c.rect(3, 3, 3, 15, 2)
    c.rect(12, 3, 12, 15, 2)
    return done(c)


@item
def stack_of_books():
    c = new()
    for y, col, x0, x1 in ((11, 12, 1, 13), (7, 6, 2, 14), (3, 11, 3, 12)):
        c.rect(x0, y, x1, y + 3, col)
    c.shade()
    for y, x1 in ((12, 13), (8, 14), (4, 12)):
        c.rect(x1 - 1, y, x1, y + 1, 1)
    return done(c)


@item
def bird_cage():
    c = new()
    c.ellipse(7.5, 6, 6, 5, 14)
    c.ellipse(7.5, 6, 5, 4, T)
    c.rect(1, 6, 14, 15, T)
    for x in range(2, 15, 3):
        c.line(x, 4, x, 14, 14)
    c.rect(1, 13, 14, 14, 4)
    c.rect(7, 0, 8, 1, 4)
    c.ellipse(7.5, 10, 1.5, 1.5, 12)
    c.set(9, 10, 13)
    return done(c)


@item
def garden_gnome():
    c = new()
    c.poly([(8, 0), (12, 6), (4, 6)], 12)                 # hat
    c.rect(5, 6, 10, 8, 4)                                # face
    c.poly([(4, 8), (11, 8), (10, 12), (7.5, 13), (5, 12)], 1)   # beard
    c.rect(3, 10, 12, 14, 11)                              # coat
    c.rect(4, 15, 7, 15, 3)
    c.rect(9, 15, 12, 15, 3)
    c.shade()
    c.rect(5, 8, 10, 11, 1)
    c.poly([(4, 8), (11, 8), (10, 12), (7.5, 13), (5, 12)], 1)
    c.set(6, 7, 15)
    c.set(9, 7, 15)
    c.set(7, 8, 13)
    c.set(8, 8, 13)
    c.set(6, 3, 13)
    return done(c)


@item
def bell_on_post():
    c = new()
    c.rect(7, 5, 8, 15, 3)
    c.rect(4, 2, 11, 3, 3)
    c.shade(highlight=False)
    c.poly([(10, 4), (13, 4), (15, 10), (8, 10)], 14)
    c.set(11, 11, 13)
    c.set(10, 5, 1)
    return done(c)


def draw_all():
    return [fn() for fn in ITEMS]
