"""assets/palettes: the game palette (vga.json) and an EGA-style variant kept for reference."""

from datagen.common import write_json
from datagen.palette import DAC6

# The 16 colours snapped to the classic 2-bit-per-channel EGA levels, as a reference of
# how the art reads on a 64-colour card. The engine never loads it.
def _ega(c):
    return min((0, 85, 170, 255), key=lambda level: abs(level - (c * 255 + 31) // 63))


def generate(root):
    write_json(root, "assets/palettes/vga.json", {
        "format": "tumbold-palette", "version": 1, "source": "tools/datagen/palette.py",
        "dac6": [list(c) for c in DAC6],
        "rgb8": [[(c * 255 + 31) // 63 for c in rgb] for rgb in DAC6],
    })
    write_json(root, "assets/palettes/ega.json", {
        "format": "tumbold-palette", "version": 1, "source": "tools/datagen/palette.py",
        "rgb8": [[_ega(c) for c in rgb] for rgb in DAC6],
    })
