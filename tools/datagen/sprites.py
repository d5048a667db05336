"""The seven sprite sets: the hero (66 frames drawn from posed body parts, so the walk,
jump, idle, dying, balloon and bat animations stay consistent and smooth), misc (creatures,
balls, thrown object), frank (the mover of room 29), balloon, chandel (chandelier halves),
shades and glueon (hero overlays).

Hero geometry: a frame is requested at the hero's (x, y), the left edge of a 40-pixel box
whose body fills x + 10..29 and y..y + 23. Frames are drawn on a 40 x 36 canvas whose
point (0, 10) is the hero's (x, y), then trimmed to their bounding box. On the ground
the hero keeps to rows 0..23, hat included: a speech bubble placed over him ends on
row -1. Standing, his boots reach columns 10 and 29, where the game tests the ground.
"""

from datagen.art import Canvas, T, png, sheet_pixels
from datagen.common import write_bytes, write_json

OY = 10  # canvas row of the hero's y while drawing
TOP = OY + 1  # the outline below the boots is the hero's row 23, so frames sit one row higher
BX = 10  # canvas column of the body's left edge (x + 10)

SKIN, SKIN_D = 4, 3
HAT, HAT_D, HAT_L = 6, 5, 7
TUNIC, TUNIC_D = 12, 2
TROUSERS, BOOT = 3, 2


class Pose:
    """Side view facing right, in body coordinates (0..19, 0..23)."""

    def __init__(self, **kw):
        self.bob = 0                 # whole body down by this many pixels
        self.head = (0, 0)           # extra head offset
        self.legs = ((8, 0, 0), (12, 0, 0))   # (hip x, foot x offset, foot lift) back, front
        self.arms = ((6, 17), (13, 17))       # hand positions back, front
        self.eyes = "open"           # open, closed, wide, hurt, dead, up
        self.mouth = "none"          # none, o, smile, grit
        self.hat = 0                 # tip flap: 0 down, 1 lifted, 2 flying up
        self.reach = False           # arms raised beside the head (hanging, cheering)
        self.__dict__.update(kw)


def _thick_line(c, a, b, col, width=2):
    c.line(a[0], a[1], b[0], b[1], col)
    if width > 1:
        c.line(a[0] + 1, a[1], b[0] + 1, b[1], col)


def _leg(c, hip, foot, back, facing=1):
    trousers = 2 if back else TROUSERS
    boot = 8 if back else BOOT
    _thick_line(c, hip, (foot[0], foot[1] - 2), trousers)
    fx, fy = foot
    c.rect(fx - 1, fy - 2, fx + 2, fy, boot)
    c.set(fx + 3, fy, boot)
    c.set(fx + 3, fy - 1, boot)
    if not back:
        c.set(fx, fy - 2, 3)


def _arm(c, shoulder, hand, back):
    sleeve = TUNIC_D if back else TUNIC
    _thick_line(c, shoulder, hand, sleeve)
    c.rect(hand[0], hand[1], hand[0] + 1, hand[1] + 1, SKIN_D if back else SKIN)


def side(pose):
    """The hero in side view facing right, on a 40 x 36 canvas (see module text)."""
    c = Canvas(40, 36)
    ox, oy = BX, OY + pose.bob
    hx, hy = pose.head

    def P(x, y):
        return (ox + x, oy + y)

    legs_y = 23 - pose.bob
    (bh, bf, bl), (fh, ff, fl) = pose.legs
    back_layer = Canvas(40, 36)
    # back arm and back leg
    _leg(back_layer, P(bh, 17), (ox + bh + bf, OY + legs_y + pose.bob - bl), True)
    _arm(back_layer, P(5, 13) if pose.reach else P(8, 13), P(*pose.arms[0]), True)
    c.blit(back_layer)
    # torso
    c.ellipse(ox + 10, oy + 15.5, 5, 4.5, TUNIC)
    c.rect(ox + 7, oy + 17, ox + 13, oy + 17, TUNIC_D)
    c.rect(ox + 11, oy + 17, ox + 12, oy + 17, 14)
    for y in range(12, 20):
        for x in range(6, 16):
            if c.get(ox + x, oy + y) == TUNIC and c.get(ox + x + 1, oy + y) == T:
                c.set(ox + x, oy + y, TUNIC_D)
    # front leg
    front = Canvas(40, 36)
    _leg(front, P(fh, 17), (ox + fh + ff, OY + legs_y + pose.bob - fl), False)
    c.blit(front)
    if pose.reach:
        up = Canvas(40, 36)
        _arm(up, P(14, 13), P(*pose.arms[1]), False)
        c.blit(up)
    # head
    head = Canvas(40, 36)
    hcx, hcy = ox + 10 + hx, oy + 9 + hy
    head.rect(hcx - 5, hcy - 2, hcx - 4, hcy + 2, 3)         # hair at the back
    head.ellipse(hcx, hcy, 4.5, 4.5, SKIN)
    for y in range(hcy - 4, hcy + 6):                        # shadowed jaw
        for x in range(hcx - 5, hcx + 6):
            if head.get(x, y) == SKIN and head.get(x, y + 1) == T:
                head.set(x, y, SKIN_D)
    head.rect(hcx - 5, hcy - 1, hcx - 3, hcy + 1, 3)         # hair below the cap
    head.set(hcx - 4, hcy + 2, 3)
    head.ellipse(hcx + 5, hcy + 1.5, 1.5, 1.5, SKIN)          # round nose
    head.rect(hcx + 4, hcy + 3, hcx + 6, hcy + 3, SKIN_D)
    head.set(hcx + 5, hcy + 1, 14)
    _eyes(head, hcx + 2, hcy - 1, pose.eyes)
    c.eye = (hcx + 2, hcy - 1)
    _mouth(head, hcx + 3, hcy + 4, pose.mouth)
    _hat(head, hcx, hcy, pose.hat)
    c.blit(head)
    # front arm with its own outline so it reads over the tunic
    arm = Canvas(40, 36)
    if not pose.reach:
        _arm(arm, P(10, 13), P(*pose.arms[1]), False)
    arm.outline(15)
    c.blit(arm)
    c.outline(15)
    return c


def _eyes(c, x, y, kind):
    if kind == "closed":
        c.rect(x, y + 1, x + 1, y + 1, 15)
    elif kind == "dead":
        c.set(x, y, 15)
        c.set(x + 1, y + 1, 15)
        c.set(x + 1, y, 15)
        c.set(x, y + 1, 15)
    elif kind == "hurt":
        c.line(x, y, x + 1, y + 1, 15)
        c.set(x, y + 1, 15)
    else:
        c.rect(x - 1, y - 1 if kind == "wide" else y, x, y + 2, 1)
        py = y - 1 if kind in ("up", "wide") else y + 1
        c.set(x, py, 15)
        c.set(x, py + 1, 15)


def _mouth(c, x, y, kind):
    if kind == "none":
        c.rect(x - 1, y, x, y, SKIN_D)
    elif kind == "o":
        c.rect(x, y, x + 1, y + 1, 15)
    elif kind == "smile":
        c.set(x - 1, y, 15)
        c.rect(x, y + 1, x + 1, y + 1, 15)
    elif kind == "grit":                     # clenched teeth, grey so only eyes are white
        c.rect(x - 1, y, x + 1, y, 9)
        c.rect(x - 1, y + 1, x + 1, y + 1, 15)


def _hat(c, cx, cy, flap):
    # cap over the crown, brim band, floppy tip to the back with a yellow bobble
    c.poly([(cx - 5, cy - 2), (cx - 4, cy - 4), (cx - 1, cy - 6), (cx + 3, cy - 6),
            (cx + 5, cy - 4), (cx + 6, cy - 2)], HAT)
    c.rect(cx - 5, cy - 3, cx + 5, cy - 2, HAT_D)
    c.set(cx - 1, cy - 5, HAT_L)
    c.set(cx, cy - 5, HAT_L)
    c.set(cx + 1, cy - 4, HAT_L)
    tips = {0: [(cx - 4, cy - 4), (cx - 7, cy - 4), (cx - 8, cy - 1)],
            1: [(cx - 4, cy - 4), (cx - 7, cy - 5), (cx - 9, cy - 4)],
            2: [(cx - 3, cy - 6), (cx - 6, cy - 9), (cx - 7, cy - 11)]}[flap]
    a, b, tip = tips
    c.poly([(a[0], a[1] - 1), (a[0] + 2, a[1] + 2), b, tip, (b[0] - 1, b[1] - 1)], HAT)
    c.line(a[0], a[1], b[0], b[1], HAT)
    c.line(b[0], b[1], tip[0], tip[1], HAT_D)
    c.rect(tip[0] - 1, tip[1], tip[0], tip[1] + 1, 14)


# ---------------------------------------------------------------------------------
# Front view (standing, idles, jump up, hurt): symmetric body facing the player.

def front(kind="stand", t=0):
    c = Canvas(40, 36)
    ox, oy = BX, OY
    cx = ox + 9.5
    bob = {"squash": 1, "stretch": 0}.get(kind, 0)
    # legs and boots: in the air the feet hang together; on the ground short legs end
    # in big boots turned out, their soles from column BX to BX + 19 like the ground
    # the game tests under him
    for side_x in (-1, 1):
        hip = cx + side_x * 2.5
        if kind == "jump":
            fx = int(hip + side_x - 1)
            c.rect(fx, oy + 19 + bob, fx + 1, oy + 21, TROUSERS)
            c.rect(fx - (1 if side_x < 0 else 0), oy + 21, fx + (1 if side_x < 0 else 2), oy + 23, BOOT)
            continue
        # (left boot; the right one is its mirror image about the body's middle)
        for row, first in ((21, 4), (22, 1), (23, 0)):
            a, b = (ox + first, ox + 7) if side_x < 0 else (ox + 12, ox + 19 - first)
            c.rect(a, oy + row, b, oy + row, BOOT)
        leg = ox + 6 if side_x < 0 else ox + 12
        c.rect(leg, oy + 19 + bob, leg + 1, oy + 20, TROUSERS)
        c.set(ox + 5 if side_x < 0 else ox + 14, oy + 22, 8)
    # torso
    c.ellipse(cx, oy + 15.5 + bob, 5, 4, TUNIC)
    c.rect(int(cx) - 4, oy + 17 + bob, int(cx) + 5, oy + 17 + bob, TUNIC_D)
    c.rect(int(cx), oy + 17 + bob, int(cx) + 1, oy + 17 + bob, 14)
    # arms
    arms = {"stand": ((-6, 16), (6, 16)), "jump": ((-7, 2), (7, 2)),
            "stretch": ((-6, 3), (6, 3)), "hurt": ((-8, 6), (8, 6)),
            "wave": ((-6, 16), (7, 4 + 2 * t)), "scratch": ((-6, 16), (4, 3)),
            "squash": ((-6, 17), (6, 17)),
            "look": ((-6, 16), (6, 16)),
            "blink": ((-6, 16), (6, 16)), "yawn": ((-6, 16), (5, 8))}[kind]
    raised = []
    for ax, ay in arms:
        if ay < 10:
            raised.append((ax, ay))
            continue
        sx = cx + (3.5 if ax > 0 else -3.5)
        hand = (int(cx + ax), oy + ay + bob)
        _thick_line(c, (int(sx), oy + 13 + bob), hand, TUNIC)
        c.rect(hand[0], hand[1], hand[0] + 1, hand[1] + 1, SKIN)
    # head: face, then the cap, then the eyes under its brim
    hy = oy + 9 + bob
    c.ellipse(cx, hy, 5, 4.5, SKIN)
    for y in range(hy - 4, hy + 6):
        for x in range(int(cx) - 6, int(cx) + 7):
            if c.get(x, y) == SKIN and c.get(x, y + 1) in (T, TUNIC):
                c.set(x, y, SKIN_D)
    tip = {"jump": (int(cx) - 6, hy - 11), "hurt": (int(cx) - 8, hy - 6)}.get(kind, (int(cx) - 9, hy - 4))
    c.line(int(cx) - 3, hy - 6, tip[0] + 1, tip[1], HAT)
    c.line(int(cx) - 3, hy - 5, tip[0] + 2, tip[1] + 1, HAT)
    c.line(int(cx) - 2, hy - 6, tip[0] + 2, tip[1], HAT_D)
    c.rect(tip[0] - 1, tip[1], tip[0], tip[1] + 1, 14)
    c.poly([(cx - 5.5, hy - 3), (cx - 4, hy - 6), (cx - 1, hy - 7), (cx + 2, hy - 7),
            (cx + 5, hy - 6), (cx + 6.5, hy - 3)], HAT)
    c.rect(int(cx) - 5, hy - 4, int(cx) + 6, hy - 3, HAT_D)
    c.set(int(cx) - 1, hy - 6, HAT_L)
    c.set(int(cx), hy - 6, HAT_L)
    c.set(int(cx) + 1, hy - 5, HAT_L)
    c.ellipse(cx, hy + 1, 1.5, 1.5, SKIN)      # round nose, shaded underneath
    c.rect(int(cx) - 1, hy + 2, int(cx) + 1, hy + 2, SKIN_D)
    c.set(int(cx) - 1, hy, 14)
    for hx in (int(cx) - 5, int(cx) + 5):      # hair below the cap
        c.rect(hx, hy - 2, hx + 1, hy, 3)
    eyes = {"blink": "closed", "hurt": "hurt", "yawn": "closed", "stretch": "closed"}.get(kind, "open")
    if kind == "jump":
        eyes = "up"
    c.eye = (int(cx) - 3, hy - 2)
    for ex in (int(cx) - 3, int(cx) + 2):
        if eyes == "closed":
            c.rect(ex, hy - 1, ex + 1, hy - 1, 15)
        elif eyes == "hurt":
            c.line(ex, hy - 2, ex + 1, hy - 1, 15)
            c.set(ex, hy - 1, 15)
        else:
            c.rect(ex, hy - 2, ex + 1, hy, 1)
            px = ex + 1 if ex < cx else ex
            if kind == "look":                      # both pupils to one side
                px = ex if t == 0 else ex + 1
            c.rect(px, hy - 2 if eyes == "up" else hy - 1, px, hy if eyes != "up" else hy - 1, 15)
    c.set(int(cx) - 4, hy + 2, 13)
    c.set(int(cx) + 4, hy + 2, 13)
    for ax, ay in raised:                      # raised arms pass outside the head
        d = 1 if ax > 0 else -1
        sx = int(cx + (4.5 if ax > 0 else -5.5))
        elbow = (sx + 2 * d, oy + 9 + bob)
        hand = (int(cx + ax) + 2 * d, oy + ay + bob)
        arm = Canvas(40, 36)
        _thick_line(arm, (sx, oy + 13 + bob), elbow, TUNIC)
        _thick_line(arm, elbow, hand, TUNIC)
        arm.rect(hand[0], hand[1] - 1, hand[0] + 1, hand[1], SKIN)
        c.blit(arm)
    if kind in ("yawn", "hurt", "jump"):
        c.rect(int(cx) - 1, hy + 3, int(cx) + 1, hy + 4 if kind == "yawn" else hy + 3, 15)
    elif kind in ("wave", "stand", "blink", "squash", "look"):
        c.set(int(cx) - 2, hy + 3, 15)
        c.line(int(cx) - 1, hy + 4, int(cx) + 1, hy + 4, 15)
        c.set(int(cx) + 2, hy + 3, 15)
    c.outline(15)
    return c


def lying(face_up=True):
    """The hero flat on his back, drawn from the side view turned a quarter."""
    pose = Pose(eyes="dead" if face_up else "closed", mouth="o",
                arms=((5, 20), (14, 20)), legs=((8, -1, 0), (12, 1, 0)))
    c = side(pose)
    turned = Canvas(80, 80)
    for y in range(36):
        for x in range(40):
            if c.px[y][x] != T:
                turned.set(20 + y, 60 - x, c.px[y][x])
    body, _, _ = trimmed(turned, 0, 0)
    out = Canvas(40, 36)
    out.blit(body, 20 - body.w // 2, OY + 24 - body.h)
    return out


# ---------------------------------------------------------------------------------
# Hero frame list

WALK = [  # (back foot dx, lift), (front foot dx, lift), bob, back hand, front hand
    ((-3, 0), (3, 0), 0, (12, 16), (6, 16)),
    ((-2, 1), (2, 0), 1, (11, 17), (7, 17)),
    ((-1, 2), (0, 0), 0, (9, 17), (9, 17)),
    ((1, 1), (-2, 0), -1, (7, 16), (11, 16)),
    ((3, 0), (-3, 0), 0, (6, 16), (12, 16)),
    ((2, 0), (-2, 1), 1, (7, 17), (11, 17)),
    ((0, 0), (-1, 2), 0, (9, 17), (9, 17)),
    ((-2, 0), (1, 1), -1, (11, 16), (7, 16)),
]


def walk_right(i):
    (bd, bl), (fd, fl), bob, bh, fh = WALK[i]
    return side(Pose(bob=bob, legs=((8, bd, bl), (12, fd, fl)), arms=(bh, fh)))


def hero_frames():
    """66 canvases (facing as the frame list of the player's state machine needs)."""
    right = {}
    for i in range(8):
        right[8 + i] = walk_right(i)
    # jump right: 21 rising fast, 22 near the top, 23 falling
    right[21] = side(Pose(legs=((8, -3, 3), (12, 3, 5)), arms=((6, 8), (15, 6)), hat=2,
                          eyes="up", mouth="o"))
    right[22] = side(Pose(legs=((8, -2, 4), (12, 3, 3)), arms=((4, 10), (16, 9)), hat=1,
                          mouth="smile"))
    right[23] = side(Pose(legs=((8, -1, 1), (12, 3, 2)), arms=((4, 12), (16, 12)), hat=1,
                          eyes="wide"))
    # skid right: 24 heels dug in, leaning back; 25 recovering
    right[24] = side(Pose(bob=1, head=(-1, 0), legs=((8, -3, 0), (12, 5, 0)),
                          arms=((3, 13), (6, 12)), eyes="wide", mouth="grit", hat=1))
    right[25] = side(Pose(legs=((8, -2, 0), (12, 3, 0)), arms=((5, 15), (9, 16)),
                          mouth="o"))
    frames = [None] * 66
    for k, c in right.items():
        frames[k] = c
    for i in range(8):
        frames[i] = right[8 + i].mirrored()
    frames[16], frames[17], frames[18] = (right[21].mirrored(), right[22].mirrored(),
                                          right[23].mirrored())
    frames[19], frames[20] = right[24].mirrored(), right[25].mirrored()
    # standing and idles (front view)
    frames[26] = front("stand")
    frames[27] = front("jump")
    frames[28] = front("blink")
    frames[29] = front("look", 0)
    frames[30] = front("look", 1)
    frames[31] = front("yawn")
    frames[32] = front("stretch")
    frames[33] = front("squash")
    frames[34] = front("wave", 0)
    # dying: 35 jolt, 36 spin, 37 stagger, 38 hurt (also the hurt blink), 39.. collapse
    frames[35] = side(Pose(eyes="wide", mouth="o", hat=2, arms=((3, 3), (16, 3)), reach=True))
    frames[36] = side(Pose(eyes="hurt", mouth="o", hat=2, arms=((3, 6), (16, 5)),
                           reach=True)).mirrored()
    frames[37] = side(Pose(bob=1, eyes="hurt", mouth="grit", hat=1,
                           legs=((8, -3, 0), (12, 3, 0)), arms=((5, 11), (14, 10))))
    frames[38] = front("hurt")
    frames[39] = side(Pose(bob=3, eyes="closed", mouth="o", legs=((8, -2, 0), (12, 4, 0)),
                           arms=((6, 19), (14, 19))))
    frames[40] = side(Pose(bob=5, eyes="closed", mouth="o", legs=((8, 2, 0), (12, 6, 0)),
                           arms=((6, 20), (14, 21))))
    flat = lying()
    frames[41] = flat
    frames[42] = flat
    frames[43] = lying(face_up=True)
    frames[44] = _dizzy(flat, 0)
    frames[45] = _dizzy(flat, 1)
    frames[46] = front("stand")
    frames[47] = front("stand")
    # balloon: 48, 49 pumping right; 50 watching it rise; 51 leaping; 52, 53 hanging
    frames[48] = side(Pose(bob=1, legs=((8, -3, 0), (12, 2, 0)), arms=((14, 13), (16, 12)),
                           mouth="grit"))
    frames[49] = side(Pose(bob=2, legs=((8, -3, 0), (12, 2, 0)), arms=((14, 16), (16, 15)),
                           mouth="grit"))
    frames[50] = side(Pose(eyes="up", mouth="o", arms=((6, 16), (15, 6))))
    frames[51] = side(Pose(eyes="up", mouth="smile", legs=((8, -2, 4), (12, 2, 3)),
                           arms=((4, -2), (15, -3)), hat=2, reach=True))
    frames[52] = side(Pose(eyes="open", mouth="smile", legs=((8, -1, 1), (12, 1, 2)),
                           arms=((5, -6), (14, -6)), hat=1, reach=True))
    frames[53] = side(Pose(eyes="open", mouth="smile", legs=((8, 1, 2), (12, 3, 1)),
                           arms=((5, -6), (14, -6)), hat=0, reach=True))
    for a, b in ((48, 59), (49, 58), (50, 57), (51, 56), (52, 55), (53, 54)):
        frames[b] = frames[a].mirrored()
    # bat swing to the right: 65 wind-up, 64 strike, 63 follow-through; left is mirrored
    frames[65] = _bat(side(Pose(legs=((8, -3, 0), (12, 3, 0)), arms=((5, 10), (7, 10)),
                                mouth="grit")), "up")
    frames[64] = _bat(side(Pose(bob=1, legs=((8, -3, 0), (12, 4, 0)),
                                arms=((13, 14), (15, 14)), mouth="grit", eyes="wide")), "level")
    frames[63] = _bat(side(Pose(legs=((8, -2, 0), (12, 3, 0)), arms=((14, 10), (16, 9)),
                                mouth="smile")), "through")
    frames[60], frames[61], frames[62] = (frames[65].mirrored(), frames[64].mirrored(),
                                          frames[63].mirrored())
    for k in range(48, 60):
        frames[k] = lowered(frames[k], RIDE_LIFT)
    assert all(f is not None for f in frames)
    return frames


# The balloon frames (48..59) are drawn this many rows lower: the ride starts by lifting
# the hero's y by 8 while he still stands on the pad, and the landing puts it back, so
# that hanging under the bar his feet come down onto the landing cloud where he stands.
RIDE_LIFT = 8


def lowered(c, rows):
    """The canvas drawn `rows` lower on a taller canvas, its eye (for the shades) with it."""
    out = Canvas(c.w, c.h + rows)
    out.blit(c, 0, rows)
    if hasattr(c, "eye"):
        out.eye = (c.eye[0], c.eye[1] + rows)
        out.flipped = getattr(c, "flipped", False)
    return out


def _bat(c, phase):
    """Adds the willow bat to a swing pose (the hands hold its handle)."""
    bat = Canvas(40, 36)
    if phase == "up":
        hx, hy = BX + 6, OY + 10
        bat.line(hx, hy, hx - 4, hy - 9, 4)
        bat.line(hx + 1, hy, hx - 3, hy - 9, 4)
        bat.line(hx - 1, hy - 4, hx - 5, hy - 10, 4)
    elif phase == "level":
        hx, hy = BX + 15, OY + 14
        bat.rect(hx + 1, hy - 1, hx + 12, hy + 1, 4)
        bat.rect(hx + 3, hy - 1, hx + 12, hy - 1, 14)
    else:
        hx, hy = BX + 16, OY + 9
        bat.line(hx, hy, hx + 6, hy - 7, 4)
        bat.line(hx + 1, hy, hx + 7, hy - 7, 4)
        bat.line(hx + 2, hy + 1, hx + 8, hy - 6, 3)
    bat.outline(15)
    c.blit(bat)
    return c


def _dizzy(flat, phase):
    """Little stars circling over the head of the fallen hero."""
    c = flat.copy()
    xs = [x for y in range(c.h) for x in range(c.w) if c.px[y][x] != T]
    ys = [y for y in range(c.h) for x in range(c.w) if c.px[y][x] != T]
    head_x, top = min(xs) + 5, min(ys)
    import math
    for k in range(3):
        a = (phase * 0.5 + k / 3) * 2 * math.pi
        x = int(round(head_x + 6 * math.cos(a)))
        y = int(round(top - 4 + 2 * math.sin(a)))
        star = Canvas(40, 36)
        star.set(x, y, 1)
        for d in (-1, 1):
            star.set(x + d, y, 14)
            star.set(x, y + d, 14)
        star.outline(15)
        c.blit(star)
    return c


def _shades_place(k, c):
    """[dx, dy, shades frame] for one hero frame: 0 side view right, 1 left, 2 front."""
    eye = getattr(c, "eye", None)
    if eye is None:
        return [0, 0, -1]
    ex, ey = eye
    # the lenses sit on the eye whites: front frames on the two eyes from (ex, ey),
    # side frames on the 2 x 3 eye at (ex - 1, ey), one row more for wide eyes
    if k in FRONT_FRAMES:
        return [ex - 1, ey - TOP, 2]
    if getattr(c, "flipped", False):
        return [38 - ex, ey - TOP - 1, 1]
    return [ex - 4, ey - TOP - 1, 0]


FRONT_FRAMES = set(range(26, 35)) | {38, 46, 47}


def hero_overlay_tables():
    """Shades entries per hero frame ([dx, dy, frame]) and glueon frames for hero
    frames 26 on (the pump for the balloon, -1 elsewhere)."""
    frames = hero_frames()
    shades = [_shades_place(k, frames[k]) for k in range(66)]
    glueon = [-1] * 40
    for k, g in ((48, 0), (49, 1), (58, 2), (59, 3)):
        glueon[k - 26] = g
    return shades, glueon


# ---------------------------------------------------------------------------------

def trimmed(c, ox0, oy0):
    """Bounding box of a canvas and the frame offsets that keep it in place."""
    xs = [x for y in range(c.h) for x in range(c.w) if c.px[y][x] != T]
    ys = [y for y in range(c.h) for x in range(c.w) if c.px[y][x] != T]
    if not xs:
        return c.region(0, 0, 1, 1), -ox0, -oy0
    x0, x1, y0, y1 = min(xs), max(xs), min(ys), max(ys)
    return c.region(x0, y0, x1 - x0 + 1, y1 - y0 + 1), x0 - ox0, y0 - oy0


def pack(frames):
    """Shelf-packs frames (canvas, ox, oy) into one sheet 256 pixels wide."""
    width, x, y, shelf = 256, 0, 0, 0
    places = []
    for c, ox, oy in frames:
        if x + c.w > width:
            x, y, shelf = 0, y + shelf + 1, 0
        places.append((x, y))
        x += c.w + 1
        shelf = max(shelf, c.h)
    sheet = Canvas(width, y + shelf)
    records = []
    for (c, ox, oy), (px, py) in zip(frames, places):
        sheet.blit(c, px, py)
        records.append({"x": px, "y": py, "w": c.w, "h": c.h, "ox": ox, "oy": oy,
                        "source": {"xoff": 0, "yoff": 0}})
    return sheet, records


def write_set(root, name, frames, note):
    sheet, records = pack(frames)
    write_bytes(root, f"assets/graphics/sprites/{name}.png", png(sheet))
    write_json(root, f"assets/graphics/sprites/{name}.json", {
        "format": "tumbold-sprites", "version": 2, "name": name, "note": note,
        "frames": records})




# ---------------------------------------------------------------------------------
# misc: creatures (facing left, mirrored for right), the balls and the thrown stone.
# Frame list (creatures 16 x 16 with the feet on row 15 unless said otherwise); the
# world's actor types name these numbers:
#   0 wisp (any actor without a type)      1, 2 rat left       3, 4 rat right
#   5, 6 bat left      7, 8 bat right       9, 10 dog left      11, 12 dog right
#   13, 14 spider left 15 thrown stone      16, 17 spider right 18, 19 slime
#   20..23 ball rolling                     24, 25 ghost left   26, 27 ghost right
#   28, 29 knight left 30, 31 knight right (16 x 24)
#   32, 33 beetle left 34, 35 beetle right
# The dog (the follower) is 24 x 24 with its feet on row 23.

def _finish(c, shade=True):
    if shade:
        c.shade()
    c.outline(15)
    return c


def wisp():
    c = Canvas(16, 16)
    c.ellipse(7.5, 8.5, 3.5, 3.5, 11)
    c.ellipse(7.5, 8.5, 2, 2, 1)
    c.outline(10)
    for x, y in ((7, 1), (2, 8), (13, 8), (7, 15)):
        c.set(x, y, 11)
    return c


def rat(step):
    c = Canvas(16, 16)
    c.ellipse(9.5, 11.5, 5, 3.5, 9)                     # body
    c.poly([(0, 12), (3, 8), (7, 9), (7, 13), (2, 13)], 9)   # head and snout
    c.shade()
    c.rect(5, 7, 6, 8, 13)                               # ear
    c.set(5, 6, 9)
    c.set(6, 6, 9)
    c.set(3, 10, 15)                                     # eye
    c.set(4, 9, 1)
    c.set(0, 12, 12)                                     # nose
    c.line(1, 13, 0, 14, 8)                              # whisker
    for x in ((6, 11) if step else (5, 12)):
        c.rect(x, 15, x + 1, 15, 8)
    c.outline(15)
    tail = Canvas(16, 16)
    tail.line(15, 12, 15, 9 + step, 13)
    tail.set(14, 8 + step, 13)
    c.blit(tail)
    return c


def bat(step):
    c = Canvas(16, 16)
    if step:                                           # wings up
        c.poly([(6, 8), (1, 2), (0, 7), (2, 10), (5, 11)], 3)
        c.poly([(9, 8), (14, 2), (15, 7), (13, 10), (10, 11)], 3)
    else:                                              # wings down
        c.poly([(6, 8), (0, 11), (2, 14), (4, 12), (6, 12)], 3)
        c.poly([(9, 8), (15, 11), (13, 14), (11, 12), (9, 12)], 3)
    c.ellipse(7.5, 8.5, 2.5, 3, 2)
    c.shade()
    c.set(6, 5, 2)                                     # ears
    c.set(9, 5, 2)
    c.set(6, 8, 14)                                    # eyes (facing left: the left eye
    c.set(8, 8, 13)                                    # is the nearer, brighter one)
    c.set(7, 10, 1)
    return _finish(c, shade=False)


def ghost(step):
    c = Canvas(16, 16)
    c.ellipse(7.5, 6.5, 5.5, 5.5, 1)
    c.rect(2, 7, 13, 12, 1)
    for x in range(2, 14, 3):
        c.rect(x + step, 13, x + step + 1, 14, 1)
    c.shade(highlight=False)
    c.rect(4, 5, 5, 7, 15)
    c.rect(8, 5, 9, 7, 15)
    c.rect(5, 9, 7, 10, 8)
    c.outline(11)
    return c


def slime(step):
    c = Canvas(16, 16)
    if step:
        c.ellipse(7.5, 11, 7, 4, 6)
        c.rect(1, 11, 14, 15, 6)
    else:
        c.ellipse(7.5, 9.5, 5.5, 5.5, 6)
        c.rect(2, 10, 13, 15, 6)
    c.shade()
    y = 10 if step else 8
    c.rect(4, y, 5, y + 1, 1)
    c.rect(9, y, 10, y + 1, 1)
    c.set(4, y + 1, 15)
    c.set(9, y + 1, 15)
    c.set(3, y - 3, 1)
    return _finish(c, shade=False)


def stone():
    c = Canvas(12, 12)
    c.poly([(1, 5), (4, 1), (9, 1), (11, 6), (9, 11), (3, 11)], 9)
    c.shade()
    c.set(4, 3, 1)
    c.set(7, 7, 8)
    return _finish(c, shade=False)


def dog(step):
    c = Canvas(24, 24)
    c.ellipse(13.5, 15, 7, 4, 4)             # body
    c.ellipse(5.5, 11, 4, 3.5, 4)            # head
    c.poly([(1, 12), (3, 10), (3, 14), (0, 14)], 4)   # muzzle
    legs = ((8, 19), (17, 19)) if step else ((10, 19), (15, 19))
    for x, y in legs:
        c.rect(x, y, x + 1, 22, 4)
    c.line(20, 13, 23, 9 + step, 4)          # tail
    c.shade()
    c.poly([(6, 8), (9, 9), (9, 14), (7, 13)], 3)    # ear
    c.set(4, 10, 15)
    c.set(0, 13, 15)
    c.rect(2, 15, 3, 15, 12)                  # tongue
    c.rect(11, 13, 16, 14, 3)                 # patch
    c.rect(9, 14, 10, 15, 12)                 # collar
    c.set(9, 16, 14)
    return _finish(c, shade=False)


def ball(phase):
    c = Canvas(16, 16)
    c.ellipse(7.5, 7.5, 7.4, 7.4, 12)
    c.shade()
    import math
    a = phase * math.pi / 8
    for k in range(-6, 7):
        x = 7.5 + k * math.cos(a)
        y = 7.5 + k * math.sin(a)
        if c.get(int(x), int(y)) != T:
            c.set(int(x), int(y), 14)
    c.ellipse(5, 4.5, 1.5, 1, 1)
    return _finish(c, shade=False)


def knight(step):
    c = Canvas(16, 24)
    c.ellipse(7.5, 5, 4.5, 4.5, 9)                 # helmet
    c.rect(3, 9, 12, 17, 9)                         # armour
    for x in ((4, 10) if step else (5, 9)):
        c.rect(x, 18, x + 2, 23, 8)
    c.shade()
    c.rect(3, 4, 8, 5, 15)                          # visor slit (facing left)
    c.poly([(8, 0), (12, 0), (10, 2)], 12)           # plume
    c.rect(5, 10, 10, 16, 12)                        # surcoat
    c.rect(7, 11, 8, 14, 14)
    c.line(1, 17, 1, 5 - step, 9)                    # spear
    c.set(1, 3 - step, 1)
    c.set(0, 4 - step, 9)
    c.set(2, 4 - step, 9)
    return _finish(c, shade=False)


def beetle(step):
    c = Canvas(16, 16)
    c.ellipse(8.5, 10.5, 5.5, 4, 5)
    c.ellipse(3, 11, 2, 2, 15)
    c.shade()
    c.line(8, 7, 8, 14, 15)
    c.set(6, 9, 7)
    c.set(11, 9, 7)
    for k, x in enumerate((5, 8, 11)):
        c.set(x + (1 if (k + step) % 2 else -1), 15, 15)
    c.set(1, 9, 15)
    c.set(0, 8, 15)
    return _finish(c, shade=False)


def spider(step):
    c = Canvas(16, 16)
    for k, (x0, x1) in enumerate(((4, 1), (6, 3), (9, 12), (11, 14))):
        lift = (k + step) % 2
        knee = x1 - (1 if x1 < 8 else -1)
        c.line(x0, 10, knee, 7 + lift, 15)
        c.line(knee, 7 + lift, x1, 15 - lift, 15)
    c.ellipse(9, 9.5, 4, 3, 3)                         # abdomen
    c.ellipse(4, 10.5, 2.5, 2, 2)                      # head
    c.shade()
    c.rect(8, 8, 10, 8, 12)                            # red mark on the back
    c.set(9, 9, 12)
    c.set(2, 10, 14)                                   # eyes
    c.set(3, 10, 14)
    c.set(1, 12, 1)                                    # fangs
    c.outline(15)
    return c


def misc_frames():
    pairs = lambda draw: [draw(0), draw(1)]
    f = [wisp()]
    for draw in (rat, bat, dog):
        left = pairs(draw)
        f += left + [c.mirrored() for c in left]
    spiders = pairs(spider)
    f += spiders + [stone()] + [c.mirrored() for c in spiders]
    f += [slime(0), slime(1)]
    f += [ball(k) for k in range(4)]
    for draw in (ghost, knight, beetle):
        left = pairs(draw)
        f += left + [c.mirrored() for c in left]
    assert len(f) == 36
    return f


# ---------------------------------------------------------------------------------
# frank: the little clockwork porter who walks off the room-29 lift (16 x 20, feet
# on row 19; drawn at the mover's position, which is its top-left).

def frank(step):
    c = Canvas(16, 20)
    c.ellipse(8, 11.5, 5, 4.5, 13)                   # copper barrel body
    c.ellipse(8.5, 4.5, 4, 3.5, 9)                   # tin dome head
    for x in ((5, 10) if step else (6, 9)):          # legs
        c.rect(x, 16, x + 1, 18, 8)
        c.rect(x, 19, x + 2, 19, 8)
    c.shade()
    c.rect(10, 3, 11, 4, 14)                         # lamp eye, looking right
    c.set(10, 3, 1)
    c.rect(9, 6, 11, 6, 8)                           # grille mouth
    c.ellipse(8, 11.5, 2, 2, 1)                      # dial on the chest
    c.line(8, 11, 9, 10 + step, 15)
    c.set(4, 9, 14)
    c.set(12, 9, 14)
    c.line(8, 0, 8, 1, 8)                            # antenna with a blinking bulb
    c.set(8, 0, 12 if step else 13)
    c.line(12, 13, 14, 15 - step, 13)                # front arm
    c.set(15, 15 - step, 9)
    key = Canvas(16, 20)                             # wind-up key turning on the back
    key.rect(2, 11, 3, 11, 9)
    if step:
        key.box(0, 9, 1, 13, 9)
    else:
        key.box(0, 10, 2, 12, 9)
        key.set(1, 11, T)
    c.blit(key)
    return _finish(c, shade=False)


# ---------------------------------------------------------------------------------
# balloon: stages 0..3 inflating beside the hero on the right, 4 full (rising and
# riding), 5..8 the same as 3..0 on the left. The envelope's centre is 10 pixels right
# of the anchor; a wooden bar hangs on two ropes at anchor rows 29..30 with its outline
# on row 31: the ground while inflating (the anchor is the hero's y, lifted by 8 with
# him) and the hero's hands while riding. Riding, the anchor is 38, two rows above the
# play area: the full envelope keeps to rows 3 on, so that none of it is cut off.

def balloon(radius, full=False):
    c = Canvas(24, 32)
    cx = 10.5
    neck = 23 if full else 27
    if radius:
        ry = 10 if full else radius
        cy = neck + 1 - ry if full else neck - radius
        c.ellipse(cx, cy, radius, ry, 12)
        for k in (-radius * 0.55, 0, radius * 0.55):       # yellow gores
            for y in range(int(cy - ry), int(cy + ry) + 1):
                x = int(cx + k * (1 - ((y - cy) / (ry + 1)) ** 2) ** 0.5)
                if c.get(x, y) == 12:
                    c.set(x, y, 14)
        c.shade()
        c.rect(int(cx) - 2, neck - 1, int(cx) + 2, neck, 3)
        c.rect(int(cx) - 1, neck - 1, int(cx) + 1, neck - 1, 4)
        hx, hy = int(cx - radius * 0.45), int(cy - ry * 0.55)
        c.rect(hx, hy, hx + 1, hy + 1, 1)
        c.outline(15)
        ropes = Canvas(24, 32)
        ropes.line(int(cx) - 2, neck + 1, 1, 28, 2)
        ropes.line(int(cx) + 2, neck + 1, 20, 28, 2)
        c.blit(ropes)
    else:
        c.poly([(3, 26), (17, 25), (19, 28), (2, 28)], 12)
        c.rect(6, 26, 8, 27, 14)
        c.outline(15)
    bar = Canvas(24, 32)
    bar.rect(0, 29, 21, 30, 4)
    bar.rect(0, 30, 21, 30, 3)
    bar.outline(15)
    c.blit(bar)
    return c


def balloon_frames():
    stages = [balloon(0), balloon(4), balloon(7), balloon(9), balloon(10, full=True)]
    mirror = [s.mirrored() for s in stages[3::-1]]
    return stages + mirror


# ---------------------------------------------------------------------------------
# chandel: the chandelier in two 32-pixel halves (frame 1 is drawn 32 pixels right of
# frame 0). Its brass ring is the lift's y, the surface the hero can stand on; the
# candles rise above it and the crystals hang below.

RING = 8  # canvas row of the ring's top (the lift's y)


def chandelier():
    c = Canvas(64, 28)
    c.rect(1, RING, 62, RING + 2, 14)
    c.rect(1, RING + 2, 62, RING + 2, 13)
    for x in (3, 12, 21, 41, 50, 59):                   # candle cups and candles
        c.rect(x - 1, RING - 1, x + 2, RING - 1, 4)
        c.rect(x, RING - 5, x + 1, RING - 2, 1)
    for x0, x1 in ((6, 27), (36, 57)):                  # arms down to the bowl
        c.line(x0, RING + 3, x1 - 4, RING + 8, 4)
    c.poly([(22, RING + 3), (41, RING + 3), (36, RING + 10), (27, RING + 10)], 14)
    c.rect(30, RING + 10, 33, RING + 12, 13)
    for x, h in ((8, 4), (16, 6), (25, 9), (38, 9), (47, 6), (55, 4)):   # crystal drops
        c.line(x, RING + 3, x, RING + 2 + h, 11)
        c.set(x, RING + 3 + h, 1)
    c.shade()
    c.rect(31, 0, 32, RING - 1, 8)                      # the chain it hung from
    for y in range(0, RING, 3):
        c.set(31, y, 9)
    c.outline(15)
    for x in (3, 12, 21, 41, 50, 59):                   # flames
        c.set(x, RING - 6, 13)
        c.set(x + 1, RING - 6, 13)
        c.set(x, RING - 7, 14)
        c.set(x + 1, RING - 8, 14)
    return c


# ---------------------------------------------------------------------------------
# shades (worn while object 0 is carried): 0 side view facing right, 1 facing left,
# 2 front view. glueon: the balloon pump, drawn at the hero's x + 32.

def shades_frames():
    side_r = Canvas(6, 4)
    side_r.draw_map(["kkkkkk", "..knnk", "..knnk", "...kk."])
    side_r.set(4, 1, 10)
    front_v = Canvas(9, 3)
    front_v.draw_map(["kkkkkkkkk", "knnkkknnk", ".kk...kk."])
    front_v.set(1, 1, 10)
    front_v.set(6, 1, 10)
    return [side_r, side_r.mirrored(), front_v]


def pump(down, left):
    """Plunger pump in front of the hero with the hose to the balloon. Canvas 40 x 16;
    column 0 is the hero's x + 32 - 16, row 0 the hero's y + 8 + RIDE_LIFT (he pumps
    with his y lifted)."""
    c = Canvas(40, 16)
    px = 13                         # pump barrel just in front of the hero's hands
    c.rect(px, 8, px + 3, 15, 9)
    c.rect(px - 1, 15, px + 4, 15, 8)
    h = 3 if down else 0
    c.rect(px + 1, 3 + h, px + 2, 7, 8)
    c.rect(px - 1, 2 + h, px + 4, 3 + h, 3)
    c.line(px + 4, 13, px + 10, 13, 2)
    c.line(px + 10, 13, px + 16, 15, 2)
    c.shade()
    c.outline(15)
    return c


def glueon_frames():
    right = [pump(False, False), pump(True, False)]
    return right + [c.mirrored() for c in right]


def write_all(root):
    hero = [trimmed(c, 0, TOP) for c in hero_frames()]
    write_set(root, "tumbold", hero, "the hero; frame origin is the left of the 40-pixel box")
    write_set(root, "misc", [trimmed(c, 0, 0) for c in misc_frames()],
              "0 wisp, 1-4 rat, 5-8 bat, 9-12 dog, 13-14 and 16-17 spider, 15 stone, "
              "18-19 slime, 20-23 ball, 24-27 ghost, 28-31 knight, 32-35 beetle; "
              "left pairs before right pairs")
    write_set(root, "frank", [trimmed(frank(k), 0, 0) for k in range(2)],
              "the clockwork porter of room 29, 16 x 20 from the mover's position")
    write_set(root, "balloon", [trimmed(c, 0, 0) for c in balloon_frames()],
              "stages 0-3 inflating right, 4 full, 5-8 inflating left; bar down to anchor row 31")
    whole = chandelier()
    write_set(root, "chandel", [trimmed(whole.region(0, 0, 32, 28), 0, RING),
                                trimmed(whole.region(32, 0, 32, 28), 0, RING)],
              "left and right half; the ring's top row is the lift's y")
    write_set(root, "shades", [trimmed(c, 0, 0) for c in shades_frames()],
              "0 side right, 1 side left, 2 front")
    g = glueon_frames()
    low = -8 - RIDE_LIFT
    write_set(root, "glueon", [trimmed(g[0], 16, low), trimmed(g[1], 16, low),
                               trimmed(g[2], 48, low), trimmed(g[3], 48, low)],
              "balloon pump: 0, 1 right of the hero, 2, 3 left")


def generate(root):
    write_all(root)
