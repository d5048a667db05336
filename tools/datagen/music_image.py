"""Lays out the two sound-driver images: fixed tables, variables, channel records, tune
tables, byte-code and instruments, at the addresses the drivers read them from."""

import math
import struct

SIGNATURE = b"Sonorithmics Generation 2"
IDLE_LOOP = bytes([0xFF, 0xFF, 0xFF, 0x7F, 0x9A])
TIMER = 16976


class ImageError(Exception):
    pass


class Adlib:
    BLOCKS = 2134
    FNUMBERS = 2235
    OPERATOR_PAIRS = 3771
    LEVELS = 3919
    SHADOW = 4048
    IDLE = 4304
    TIMER = 4311
    VOLUME = 4313
    CHANNELS = 4333
    CHANNEL_SIZE = 22
    TUNE_TABLE = 4720
    INSTRUMENT_BASE = 4724
    T = 4726
    PAIRS = [(0, 3), (1, 4), (2, 5), (8, 11), (9, 12), (10, 13), (16, 19), (17, 20), (18, 21)]
    VOICES = 9


class Beeper:
    DIVISORS = 1451
    IDLE = 1643
    TIMER = 1648
    CHANNELS = 1686
    CHANNEL_SIZE = 18
    TUNE_TABLE = 1774
    INSTRUMENT_BASE = 1778
    T = 1780
    CHANNEL_COUNT = 4
    LOW_NOTE, HIGH_NOTE = 24, 119


def delay_bytes(ticks):
    """A delay as big-endian 7-bit groups, at most three bytes."""
    if ticks < 0 or ticks >= 1 << 21:
        raise ImageError(f"delay of {ticks} ticks cannot be written in three bytes")
    if ticks < 128:
        return bytes([ticks])
    if ticks < 16384:
        return bytes([0x80 | ticks >> 7, ticks & 127])
    return bytes([0x80 | ticks >> 14, 0x80 | (ticks >> 7) & 127, ticks & 127])


def fnumber(i):
    """F-number entry i of the 1/64-semitone table; the upper part of the octave is kept
    at half the value one block higher so that every entry stays below 1024."""
    value = 345 * 2 ** (i / 768)
    if i < 448:
        return round(value)
    return 0x8000 | round(value / 2)


def attenuation(loudness):
    if loudness == 0:
        return 63
    return min(63, round(20 * math.log10(128 / loudness) / 0.75))


def block_byte(semitone):
    if semitone < 7:
        return 0x00
    if semitone < 12:
        return 0xFC
    return (semitone // 12 - 1) * 4


def divisor(note):
    """PIT divisor of a note; low notes go up by octaves until the 13 bits suffice."""
    frequency = 440 * 2 ** ((note - 69) / 12)
    value = round(1193182 / frequency)
    while value > 8191:
        frequency *= 2
        value = round(1193182 / frequency)
    return value


def adlib_instrument(spec):
    mod, car = spec["mod"], spec["car"]

    def reg20(op):
        return op["am"] << 7 | op["vib"] << 6 | op["eg"] << 5 | op["ksr"] << 4 | op["mult"]

    for key in ("modlevel", "carlevel"):
        if not 0 <= spec[key] <= 127:
            raise ImageError(f"instrument {spec['name']}: {key} {spec[key]} outside 0..127")
    if not 0 <= spec["feedback"] <= 7:
        raise ImageError(f"instrument {spec['name']}: feedback outside 0..7")
    transpose = spec["pitch"] if spec["pitch"] is not None else 24
    return bytes([
        mod["ar"] << 4 | mod["dr"], car["ar"] << 4 | car["dr"],
        mod["sl"] << 4 | mod["rr"], car["sl"] << 4 | car["rr"],
        reg20(mod), reg20(car),
        0, 0,
        transpose,
        spec["feedback"] << 1 | (1 if spec["additive"] else 0),
        spec["modlevel"], spec["carlevel"],
        mod["ksl"] << 4 | car["ksl"],
        0, 0, 0,
    ])


def _tune_area(tunes, base):
    """The tune table, headers and byte-code, placed at address base.

    tunes: list of (tempoMul, tempoValue, [channel byte-code ...]) in tune order."""
    count = len(tunes)
    area = bytearray([count]) + struct.pack("<H", 3) + bytes(2 * count)
    for n, (mul, value, channels) in enumerate(tunes):
        header = len(area)
        struct.pack_into("<H", area, 3 + 2 * n, header)
        area += bytes([mul, value, len(channels)]) + bytes(2 * len(channels))
        for c, code in enumerate(channels):
            struct.pack_into("<H", area, header + 3 + 2 * c, len(area))
            area += code
    if base + len(area) > 0xFFFF:
        raise ImageError("the byte-code does not fit into the 64 KiB segment")
    return area


def build_adlib(tunes, drum_map, instruments):
    """tunes as for _tune_area; drum_map: 128 instrument numbers; instruments: 16-byte rows."""
    a = Adlib
    image = bytearray(a.T)
    image[10:35] = SIGNATURE
    for s in range(101):
        image[a.BLOCKS + s] = block_byte(s)
    for i in range(768):
        struct.pack_into("<H", image, a.FNUMBERS + 2 * i, fnumber(i))
    for v, (op1, op2) in enumerate(a.PAIRS):
        image[a.OPERATOR_PAIRS + 2 * v:a.OPERATOR_PAIRS + 2 * v + 2] = bytes([op1, op2])
    for loudness in range(129):
        image[a.LEVELS + loudness] = attenuation(loudness)
    # The shadow starts as the chip's reset state, so no first write is wrongly dropped.
    image[a.SHADOW:a.SHADOW + 256] = bytes(256)
    image[a.IDLE:a.IDLE + 5] = IDLE_LOOP
    struct.pack_into("<HHH", image, a.TIMER, TIMER, 255, 0)

    area = _tune_area(tunes, a.T)
    base = a.T + len(area)
    for c in range(16):
        voice = c if c < a.VOICES else 0
        op1, op2 = a.PAIRS[voice]
        record = struct.pack("<HiHBBBBBBHBBBBBB", a.IDLE, 0, a.IDLE, voice, 0, 0, 0, op1, op2,
                             base + 128, 255, 127, 0, 0, 2, 64)
        image[a.CHANNELS + c * a.CHANNEL_SIZE:a.CHANNELS + (c + 1) * a.CHANNEL_SIZE] = record
    struct.pack_into("<H", image, a.TUNE_TABLE, a.T)
    struct.pack_into("<H", image, a.INSTRUMENT_BASE, base)
    image += area
    image += bytes(drum_map)
    for row in instruments:
        image += row
    if len(image) > 0x10000:
        raise ImageError("the AdLib image is larger than 64 KiB")
    return bytes(image)


def build_beeper(tunes, instruments):
    """tunes as for _tune_area; instruments: (transpose, length) pairs."""
    b = Beeper
    image = bytearray(b.T)
    image[10:35] = SIGNATURE
    for note in range(b.LOW_NOTE, b.HIGH_NOTE + 1):
        struct.pack_into("<H", image, b.DIVISORS + 2 * (note - b.LOW_NOTE), divisor(note))
    image[b.IDLE:b.IDLE + 5] = IDLE_LOOP
    struct.pack_into("<H", image, b.TIMER, TIMER)
    area = _tune_area(tunes, b.T)
    base = b.T + len(area)
    for c in range(b.CHANNEL_COUNT):
        record = struct.pack("<HiHBBBBHBHB", b.IDLE, 0, b.IDLE, 0, 0, 0, 0, base, 0, 0, 0)
        image[b.CHANNELS + c * b.CHANNEL_SIZE:b.CHANNELS + (c + 1) * b.CHANNEL_SIZE] = record
    struct.pack_into("<H", image, b.TUNE_TABLE, b.T)
    struct.pack_into("<H", image, b.INSTRUMENT_BASE, base)
    image += area
    for transpose, length in instruments:
        row = bytearray(16)
        row[8], row[9] = transpose & 255, length
        image += row
    if len(image) > 0x10000:
        raise ImageError("the speaker image is larger than 64 KiB")
    return bytes(image)
