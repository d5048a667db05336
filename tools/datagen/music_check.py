#!/usr/bin/env python3
"""Reads the two sound-driver images back the way the drivers do and checks them: tables
and variables at their addresses, every channel's byte-code walked to its end, the notes
against the tune sources, and each tune's length.

    python3 tools/datagen/music_check.py      compiles the sources and prints a report
"""

import pathlib
import struct
import sys

if __name__ == "__main__":
    sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent))

from datagen.music_image import Adlib, Beeper, SIGNATURE, IDLE_LOOP, TIMER, fnumber

DRIVER_TICKS_PER_SECOND = 70.086
KEY_OFF_GAP = 3     # as the compiler places them


def u16(image, at):
    return struct.unpack_from("<H", image, at)[0]


def step(mul, value, adlib):
    """The drivers' 16.16 ticks per driver tick for the timer the engine sets."""
    t = 71590800 // TIMER
    a = mul * value * (4 if adlib else 1)
    q, r = divmod(a, t)
    return q * 65536 + (((r * 65536) + q) // t & 0xFFFF)


class Walk:
    """One channel read from its start to its end or loop jump."""

    def __init__(self):
        self.notes = []         # (tick, played semitone, velocity)
        self.tempos = []        # (tick, tempo value)
        self.voices = []
        self.end = 0
        self.loop = None        # (mark tick, jump tick)
        self.problems = []


class _Reader:
    def __init__(self, image, pos, name):
        self.image, self.pos, self.name = image, pos, name

    def byte(self):
        if self.pos >= len(self.image):
            raise IndexError(f"{self.name}: runs past the end of the image")
        value = self.image[self.pos]
        self.pos += 1
        return value

    def delay(self):
        value = 0
        for _ in range(3):
            b = self.byte()
            value = value * 128 + (b & 127)
            if not b & 0x80:
                return value
        raise IndexError(f"{self.name}: a delay of four bytes or more at {self.pos - 3}")


def walk_adlib(image, start, name, base):
    walk, reader = Walk(), _Reader(image, start, name)
    time, mark = 0, None
    voice = instrument = None
    drum_mode, bend, key, note = 0, 64, False, None
    try:
        time = reader.delay()
        for _ in range(100000):
            code = reader.byte()
            if code < 0x80:
                velocity = reader.byte()
                if voice is None or instrument is None:
                    walk.problems.append(f"{name}: a note before voice select and instrument")
                    return walk
                if velocity > 127:
                    walk.problems.append(f"{name}: velocity {velocity} above 127")
                if drum_mode:
                    k = image[base + code]
                    sound = base + 128 + 16 * k
                    played = image[sound + 8]
                else:
                    sound = instrument
                    played = code + image[instrument + 8] - 24 + (bend - 64) * 2 // 64
                # The driver's own key-off comes in the same instant as the key-on; a
                # chip that looks at the key once per sample sees no change, so a struck
                # sound is let go one tick ahead or it may not be struck again.
                if key and not image[sound + 5] & 0x20:
                    walk.problems.append(f"{name}: a struck note at tick {time} follows a note "
                                         "still held and may not sound")
                key, note = True, code
                if not 12 <= played <= 100:
                    walk.problems.append(f"{name}: semitone {played} outside 12..100 at tick {time}")
                walk.notes.append((time, played, velocity))
            elif code <= 0x88:
                voice = code - 0x80
                walk.voices.append(voice)
            elif code <= 0x8F or code == 0x9A:
                walk.problems.append(f"{name}: forbidden code {code:#04x}")
                return walk
            elif code == 0x90:
                if reader.byte() == note:
                    key = False
            elif code == 0x99:
                key = False
            elif code == 0x9B:
                reader.byte()
            elif code == 0x91 or code >= 0x9D and code != 0xFF:
                walk.end = time
                return walk
            elif code == 0x92:
                k = reader.byte()
                instrument = base + 128 + 16 * k
                bend = 64
                if instrument + 16 > len(image):
                    walk.problems.append(f"{name}: instrument {k} lies outside the image")
                    return walk
            elif code == 0x93:
                value = reader.byte()
                walk.tempos.append((time, value))
                if value == 0:
                    walk.problems.append(f"{name}: tempo value 0")
            elif code == 0x95:
                bend = reader.byte()
            elif code == 0x96:
                if reader.byte() > 127:
                    walk.problems.append(f"{name}: channel volume above 127")
            elif code == 0x97:
                drum_mode = reader.byte()
            elif code == 0x98:
                if mark is None:
                    walk.problems.append(f"{name}: loop jump without a loop mark")
                walk.loop, walk.end = (mark, time), time
                return walk
            elif code == 0x9C:
                mark = time
            time += reader.delay()
        walk.problems.append(f"{name}: no end in sight")
    except IndexError as error:
        walk.problems.append(str(error))
    return walk


def walk_speaker(image, start, name, base):
    walk, reader = Walk(), _Reader(image, start, name)
    time, mark, instrument = 0, None, None
    try:
        time = reader.delay()
        for _ in range(100000):
            code = reader.byte()
            if code < 0x80:
                velocity = reader.byte()
                if instrument is None:
                    walk.problems.append(f"{name}: a note before its instrument")
                    return walk
                played = (image[instrument + 8] + code) & 255
                if not Beeper.LOW_NOTE <= played <= Beeper.HIGH_NOTE:
                    walk.problems.append(f"{name}: note {played} is silent on the speaker")
                if image[instrument + 9] == 0:
                    walk.problems.append(f"{name}: instrument of length 0 plays nothing")
                walk.notes.append((time, played, velocity))
            elif code in (0x90, 0x97, 0x9B):
                reader.byte()
            elif code == 0x9D:
                reader.byte()
                reader.byte()
            elif code == 0x9A:
                walk.problems.append(f"{name}: forbidden code 0x9a")
                return walk
            elif code == 0x91 or 0x9E <= code <= 0xFE:
                walk.end = time
                return walk
            elif code == 0x92:
                instrument = base + 16 * reader.byte()
                if instrument + 16 > len(image):
                    walk.problems.append(f"{name}: instrument outside the image")
                    return walk
            elif code == 0x93:
                walk.tempos.append((time, reader.byte()))
            elif code == 0x98:
                if mark is None:
                    walk.problems.append(f"{name}: loop jump without a loop mark")
                walk.loop, walk.end = (mark, time), time
                return walk
            elif code == 0x9C:
                mark = time
            elif 0x80 <= code <= 0x8F or code in (0x94, 0x95, 0x96):
                walk.problems.append(f"{name}: code {code:#04x} does nothing on the speaker")
            time += reader.delay()
        walk.problems.append(f"{name}: no end in sight")
    except IndexError as error:
        walk.problems.append(str(error))
    return walk


def seconds(tick, tempo_changes, mul, value, adlib):
    """Time in seconds of a tick, with the tempo changes (tick, value) of the tune."""
    total, last, current = 0.0, 0, value
    for at, new in sorted(tempo_changes):
        if at >= tick:
            break
        total += (at - last) / (step(mul, current, adlib) / 65536 * DRIVER_TICKS_PER_SECOND)
        last, current = at, new
    return total + (tick - last) / (step(mul, current, adlib) / 65536 * DRIVER_TICKS_PER_SECOND)


def read_tunes(image, table_at, base_at, walker, label):
    """Walks every tune of an image: [(mul, value, [Walk ...])], problems."""
    problems = []
    t, base = u16(image, table_at), u16(image, base_at)
    if not t < len(image) or not base < len(image):
        return [], [f"{label}: T {t} or B {base} lies outside the image"]
    count, offset = image[t], u16(image, t + 1)
    tunes = []
    for n in range(count):
        header = t + u16(image, t + offset + 2 * n)
        if header + 3 > len(image):
            problems.append(f"{label} tune {n + 1}: header outside the image")
            tunes.append((0, 0, []))
            continue
        mul, value, channels = image[header:header + 3]
        walks = []
        for c in range(channels):
            start = t + u16(image, header + 3 + 2 * c)
            walk = walker(image, start, f"{label} tune {n + 1} channel {c}", base)
            problems += walk.problems
            walks.append(walk)
        tunes.append((mul, value, walks))
    return tunes, problems


def _tune_problems(label, walks, adlib, mul=None, value=None):
    problems = []
    if mul:
        # Key-offs come KEY_OFF_GAP ticks ahead of the next note; one driver tick must
        # never carry that many ticks, or the two would meet in one tick.
        values = [value] + [v for w in walks for _, v in w.tempos]
        fastest = max(step(mul, v, adlib) for v in values)
        if (fastest + 0xFFFF) >> 16 >= KEY_OFF_GAP:
            problems.append(f"{label}: too fast for key-offs {KEY_OFF_GAP} ticks ahead")
    voices = [w.voices[0] for w in walks if w.voices]
    if adlib and len(voices) != len(set(voices)):
        problems.append(f"{label}: two channels share an OPL voice")
    if adlib and any(len(w.voices) != 1 for w in walks):
        problems.append(f"{label}: every channel selects exactly one voice")
    periods = {w.loop[1] - w.loop[0] for w in walks if w.loop}
    if len(periods) > 1:
        problems.append(f"{label}: channels loop with different periods {sorted(periods)}")
    marks = {w.loop[0] for w in walks if w.loop}
    if len(marks) > 1:
        problems.append(f"{label}: channels set their loop marks at different ticks {sorted(marks)}")
    if periods and any(not w.loop and w.notes for w in walks):
        problems.append(f"{label}: a looping tune has a channel that ends with notes")
    return problems


def _compare_notes(label, walk, track, sounding):
    """The decoded notes of a channel must be the source's notes."""
    wanted = [(e.time, sounding(e)) for e in track.events if hasattr(e, "pitches")]
    found = [(time, played) for time, played, _ in walk.notes]
    if wanted != found:
        for n, (a, b) in enumerate(zip(wanted, found)):
            if a != b:
                return [f"{label}: note {n} is {b} in the image but {a} in the source"]
        return [f"{label}: {len(found)} notes in the image but {len(wanted)} in the source"]
    return []


def check_adlib_tables(image):
    problems = []
    a = Adlib
    if not a.T <= len(image) <= 0x10000 or image[10:35] != SIGNATURE:
        return ["adlib: size or signature wrong"]
    for i in range(768):
        entry = u16(image, a.FNUMBERS + 2 * i)
        if entry != fnumber(i) or (entry & 0x1FFF) >= 1024:
            problems.append(f"adlib: F-number {i} is {entry:#06x}")
    checks = {0: 345, 447: 516, 448: 0x8102, 767: 0x8159}
    for i, value in checks.items():
        if u16(image, a.FNUMBERS + 2 * i) != value:
            problems.append(f"adlib: F-number {i} is not {value:#x}")
    levels = list(image[a.LEVELS:a.LEVELS + 129])
    if levels[0] != 63 or levels[128] != 0 or any(x < y for x, y in zip(levels, levels[1:])):
        problems.append("adlib: level table is not monotone from 63 to 0")
    for v, pair in enumerate(a.PAIRS):
        if tuple(image[a.OPERATOR_PAIRS + 2 * v:a.OPERATOR_PAIRS + 2 * v + 2]) != pair:
            problems.append(f"adlib: operator pair of voice {v}")
    if bytes(image[a.IDLE:a.IDLE + 5]) != IDLE_LOOP:
        problems.append("adlib: idle loop")
    if u16(image, a.TIMER) != TIMER or u16(image, a.VOLUME) != 255:
        problems.append("adlib: timer or master volume")
    if u16(image, a.TUNE_TABLE) != a.T:
        problems.append("adlib: tune table address")
    return problems


def check_beeper_tables(image):
    problems = []
    b = Beeper
    if not b.T <= len(image) <= 0x10000 or image[10:35] != SIGNATURE:
        return ["beeper: size or signature wrong"]
    for k in range(96):
        d = u16(image, b.DIVISORS + 2 * k)
        if not 1 <= d <= 8191:
            problems.append(f"beeper: divisor of note {k + 24} is {d}")
    if bytes(image[b.IDLE:b.IDLE + 5]) != IDLE_LOOP or u16(image, b.TIMER) != TIMER:
        problems.append("beeper: idle loop or timer")
    if u16(image, b.TUNE_TABLE) != b.T:
        problems.append("beeper: tune table address")
    return problems


def check_images(adlib_image, beeper_image, adlib_entries, speaker_entries, drums):
    """Every problem found, as lines; empty when both images are sound."""
    problems = check_adlib_tables(adlib_image) + check_beeper_tables(beeper_image)
    tunes, found = read_tunes(adlib_image, Adlib.TUNE_TABLE, Adlib.INSTRUMENT_BASE, walk_adlib, "adlib")
    problems += found
    if len(tunes) != len(adlib_entries):
        problems.append("adlib: wrong number of tunes")
    base = u16(adlib_image, Adlib.INSTRUMENT_BASE)
    for n, ((_, _, walks), entry) in enumerate(zip(tunes, adlib_entries)):
        label = f"adlib tune {n + 1}"
        problems += _tune_problems(label, walks, True, *entry[:2])
        for walk, track in zip(walks, entry[4]):
            drum = track.attrs.get("drums", False)

            def sounding(event, drum=drum):
                if not drum:
                    return event.pitches[0]
                k = adlib_image[base + drums[event.pitches[0]]]
                return adlib_image[base + 128 + 16 * k + 8]
            problems += _compare_notes(f"{label} {track.name}", walk, track, sounding)
    tunes, found = read_tunes(beeper_image, Beeper.TUNE_TABLE, Beeper.INSTRUMENT_BASE,
                              walk_speaker, "beeper")
    problems += found
    if len(tunes) != len(speaker_entries):
        problems.append("beeper: wrong number of tunes")
    for n, ((_, _, walks), entry) in enumerate(zip(tunes, speaker_entries)):
        label = f"beeper tune {n + 1}"
        if len(walks) > Beeper.CHANNEL_COUNT:
            problems.append(f"{label}: more than four channels")
        problems += _tune_problems(label, walks, False)
        for walk, track in zip(walks, entry[4]):
            problems += _compare_notes(f"{label} {track.name}", walk, track,
                                       lambda event: event.pitches[0])
    return problems


def describe(image, table_at, base_at, walker, adlib):
    """One line per tune: channels, notes, length and loop."""
    tunes, _ = read_tunes(image, table_at, base_at, walker, "")
    lines = []
    for n, (mul, value, walks) in enumerate(tunes):
        changes = [c for w in walks for c in w.tempos]
        end = max((w.end for w in walks), default=0)
        loop = next((w.loop for w in walks if w.loop), None)
        text = (f"tune {n + 1}: {len(walks)} channels, {sum(len(w.notes) for w in walks)} notes, "
                f"tempo {mul} x {value}")
        if loop:
            intro = seconds(loop[0], changes, mul, value, adlib)
            body = seconds(loop[1], changes, mul, value, adlib) - intro
            text += f", intro {intro:.1f} s, then a loop of {body:.1f} s"
        else:
            text += f", ends after {seconds(end, changes, mul, value, adlib):.1f} s"
        lines.append(text)
    return lines


def report():
    from datagen import music
    adlib_image, beeper_image, adlib, speaker, drums = music.compile_all()
    problems = check_images(adlib_image, beeper_image, adlib, speaker, drums)
    print(f"adlib.dat: {len(adlib_image)} bytes")
    for line in describe(adlib_image, Adlib.TUNE_TABLE, Adlib.INSTRUMENT_BASE, walk_adlib, True):
        print("  " + line)
    print(f"beeper.dat: {len(beeper_image)} bytes")
    for line in describe(beeper_image, Beeper.TUNE_TABLE, Beeper.INSTRUMENT_BASE, walk_speaker, False):
        print("  " + line)
    for line in problems:
        print("problem: " + line)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(report())
