"""The game's 16 colours, in 6-bit VGA DAC units (0..63).

Fixed roles the engine relies on:
  0  background of lift shafts and of the empty energy bar
  1  light ink of panel text, score digits and bubble paper
  10 key colour of the life tiles in the HUD: never a visible pixel of those tiles
  15 black: outline of the hero, background of every show screen
"""

DAC6 = [
    (3, 4, 10),     # 0  night blue (shafts, empty bar)
    (61, 59, 50),   # 1  parchment white (text ink, bubble paper)
    (19, 11, 6),    # 2  dark brown (earth, wood shadow)
    (35, 22, 12),   # 3  brown (wood, dirt)
    (52, 39, 21),   # 4  ochre (sand, light wood)
    (7, 22, 11),    # 5  dark green (foliage shadow)
    (17, 40, 15),   # 6  green (leaves, grass)
    (40, 57, 22),   # 7  light green (highlights)
    (17, 17, 22),   # 8  dark stone grey
    (31, 31, 37),   # 9  stone grey
    (13, 17, 33),   # 10 slate blue (panel background, life-tile key)
    (24, 41, 58),   # 11 sky blue (water, glass, sky)
    (49, 12, 10),   # 12 red (danger, hearts)
    (60, 35, 8),    # 13 orange (fire, torches)
    (62, 56, 18),   # 14 yellow (gold, light)
    (0, 0, 0),      # 15 black (outlines, screens)
]

NAMES = ["night", "paper", "darkbrown", "brown", "ochre", "darkgreen", "green", "lightgreen",
         "darkgrey", "grey", "slate", "sky", "red", "orange", "yellow", "black"]


def rgb8(index):
    """8-bit preview colour the way the engine converts: (c * 255 + 31) / 63."""
    return tuple((c * 255 + 31) // 63 for c in DAC6[index])
