"""assets/audio/adlib.dat and beeper.dat: the game's music, compiled from the tune sources
under tools/data/tunes into the byte-code of the two sound drivers."""

import pathlib

from datagen import music_check
from datagen.common import write_bytes
from datagen.music_image import (adlib_instrument, build_adlib, build_beeper, delay_bytes,
                                 ImageError)
from datagen.music_notation import (Control, Note, NotationError, Track, expand,
                                    parse_instruments, parse_tune)

SOURCES = pathlib.Path(__file__).resolve().parent.parent / "data" / "tunes"
ADLIB_TUNES = 9
SPEAKER_TUNES = 7

# The driver keys a note off and the next one on in the same instant, which a chip that
# looks at the key once per sample takes for no change at all; so a note that should be
# struck again is let go at least this many ticks before (more than the two whole ticks
# that one driver tick carries at our tempos, so the two never meet in one driver tick).
KEY_OFF_GAP = 3

# Ordering of events that fall on the same tick.
_KEY_OFF, _LOOP_MARK, _CONTROL, _NOTE = 0, 1, 2, 3


class MusicError(Exception):
    pass


class Library:
    """Instruments and drums by name, with their numbers in the images."""

    def __init__(self, text, path):
        adlib, drums, speaker = parse_instruments(text, path)
        self.adlib = {spec["name"]: (k, spec) for k, spec in enumerate(adlib)}
        self.speaker = {spec["name"]: (k, spec) for k, spec in enumerate(speaker)}
        self.drums = {}
        self.drum_map = [0] * 128
        for drum in drums:
            if drum["instrument"] not in self.adlib or not 0 <= drum["note"] < 128:
                raise MusicError(f"{path}: drum {drum['letter']} is not usable")
            number, spec = self.adlib[drum["instrument"]]
            if spec["pitch"] is None:
                raise MusicError(f"{path}: drum instrument {spec['name']} has no pitch")
            self.drums[drum["letter"]] = drum["note"]
            self.drum_map[drum["note"]] = number
        self.adlib_order = adlib
        self.speaker_order = speaker

    def adlib_number(self, name, where):
        if name not in self.adlib:
            raise MusicError(f"{where}: unknown AdLib instrument {name}")
        return self.adlib[name]

    def speaker_number(self, name, where):
        if name not in self.speaker:
            raise MusicError(f"{where}: unknown speaker instrument {name}")
        return self.speaker[name]


def _note_off(note, gap=KEY_OFF_GAP):
    """Time of a note's key-off, or None when the next note-on lets it go."""
    if note.gate >= 100:
        return None
    held = round(note.length * note.gate / 100)
    held = min(held, note.length - gap)
    return note.time + held if held > 0 else None


def _encode(timed, loop, end):
    """Byte-code from (time, order, bytes) events: an initial delay, then each event
    followed by the delay to the next, closed by a loop jump or the end code."""
    if loop:
        timed.append((loop[0], _LOOP_MARK, bytes([0x9C])))
        closing = (loop[1], bytes([0x98]))
    else:
        closing = (end, bytes([0x91]))
    timed.sort(key=lambda event: (event[0], event[1]))
    code = bytearray(delay_bytes(0))
    events = [(t, data) for t, _, data in timed] + [closing]
    for n, (time, data) in enumerate(events[:-1]):
        code += data + delay_bytes(events[n + 1][0] - time)
    code += closing[1]
    return bytes(code)


def compile_adlib(track, library, where):
    attrs = track.attrs
    number, spec = library.adlib_number(attrs.get("instrument"), where)
    voice = attrs.get("voice")
    if not isinstance(voice, int) or not 0 <= voice <= 8:
        raise MusicError(f"{where}: a channel needs a voice 0..8")
    timed = [(0, _CONTROL, bytes([0x80 + voice])), (0, _CONTROL, bytes([0x92, number]))]
    if "volume" in attrs:
        timed.append((0, _CONTROL, bytes([0x96, attrs["volume"]])))
    drums = attrs.get("drums", False)
    if drums:
        timed.append((0, _CONTROL, bytes([0x97, 1])))
    transpose = (spec["pitch"] if spec["pitch"] is not None else 24) - 24
    for event in track.events:
        if isinstance(event, Control):
            if event.name == "instrument":
                number, spec = library.adlib_number(event.value, where)
                transpose = (spec["pitch"] if spec["pitch"] is not None else 24) - 24
                timed.append((event.time, _CONTROL, bytes([0x92, number])))
            else:
                code = {"volume": 0x96, "tempo": 0x93}[event.name]
                timed.append((event.time, _CONTROL, bytes([code, event.value])))
            continue
        if drums:
            note_byte = library.drums[event.pitches[0]]
        else:
            note_byte = event.pitches[0] - transpose
            if not 0 <= note_byte <= 127:
                raise MusicError(f"{where}: pitch {event.pitches[0]} out of the instrument's range")
        timed.append((event.time, _NOTE, bytes([note_byte, event.velocity])))
        off = _note_off(event)
        if off is not None:
            timed.append((off, _KEY_OFF, bytes([0x99])))
    return _encode(timed, track.loop, track.end)


def compile_speaker(track, library, where):
    number, spec = library.speaker_number(track.attrs.get("instrument"), where)
    timed = [(0, _CONTROL, bytes([0x92, number]))]
    for event in track.events:
        if isinstance(event, Control):
            if event.name == "tempo":
                timed.append((event.time, _CONTROL, bytes([0x93, event.value])))
            elif event.name == "instrument":
                number, spec = library.speaker_number(event.value, where)
                timed.append((event.time, _CONTROL, bytes([0x92, number])))
            continue
        note_byte = event.pitches[0] - spec["transpose"]
        if not 0 <= note_byte <= 127:
            raise MusicError(f"{where}: pitch {event.pitches[0]} out of the speaker instrument's range")
        timed.append((event.time, _NOTE, bytes([note_byte, event.velocity])))
        off = _note_off(event)
        if off is not None:
            timed.append((off, _KEY_OFF, bytes([0x99])))
    return _encode(timed, track.loop, track.end)


def _split_chords(track, voices, where):
    parts = []
    for index, voice in enumerate(voices):
        events = []
        for event in track.events:
            if isinstance(event, Note):
                if len(event.pitches) != len(voices):
                    raise MusicError(f"{where}: a chord of {len(event.pitches)} notes for "
                                     f"{len(voices)} voices (tick {event.time})")
                event = Note(event.time, event.length, (event.pitches[index],), event.velocity,
                             event.gate)
            events.append(event)
        attrs = dict(track.attrs, voice=voice)
        parts.append(Track(f"{track.name}.{index}", attrs, events, track.end, track.loop))
    return parts


def _speaker_from(source, attrs, unit):
    shift = 12 * attrs.get("octave", 0)
    every = attrs.get("every", 0) * unit
    events = []
    for event in source.events:
        if isinstance(event, Note):
            if every and event.time % every:
                continue
            pitch = event.pitches[attrs.get("part", 0) if len(event.pitches) > 1 else 0]
            gate = attrs.get("gate", event.gate)
            event = Note(event.time, event.length, (pitch + shift,), event.velocity, gate)
        elif event.name != "tempo":
            continue
        events.append(event)
    return Track("", {}, events, source.end, source.loop)


def _accent(track, amount, beat):
    """Notes that start on a beat are played harder, which gives lines their pulse."""
    for event in track.events:
        if amount and isinstance(event, Note) and event.time % beat == 0:
            event.velocity = max(0, min(127, event.velocity + amount))


def build_tune(tune, library):
    """Returns (adlib channels, speaker channels) as byte-code lists, plus the tracks."""
    adlib_tracks, named, speaker_tracks = [], {}, []
    for kind, name, attrs, body, where in tune.channels:
        velocity, gate = attrs.get("velocity", 100), attrs.get("gate", 90)
        if kind == "beeper":
            if "from" in attrs:
                if attrs["from"] not in named:
                    raise MusicError(f"{where}: no channel {attrs['from']} to take notes from")
                track = _speaker_from(named[attrs["from"]], attrs, tune.unit)
            else:
                track = expand(tune, body, where, velocity, gate)
            track.name, track.attrs = name, attrs
            speaker_tracks.append((track, where))
            continue
        drums = library.drums if attrs.get("drums") else ()
        track = expand(tune, body, where, velocity, gate, drums)
        track.name, track.attrs = name, attrs
        _accent(track, attrs.get("accent", 0), 4 * tune.unit)
        named[name] = track
        if kind == "chords":
            if not attrs.get("voices"):
                raise MusicError(f"{where}: a chords channel needs its voices")
            for part in _split_chords(track, attrs["voices"], where):
                adlib_tracks.append((part, where))
        else:
            adlib_tracks.append((track, where))
    adlib = [compile_adlib(t, library, w) for t, w in adlib_tracks]
    speaker = [compile_speaker(t, library, w) for t, w in speaker_tracks]
    return adlib, speaker, [t for t, _ in adlib_tracks], [t for t, _ in speaker_tracks]


def compile_all(folder=SOURCES):
    """Reads every source and returns the two images and the compiled tunes."""
    folder = pathlib.Path(folder)
    library = Library((folder / "instruments.txt").read_text(), folder / "instruments.txt")
    adlib = [None] * ADLIB_TUNES
    speaker = [None] * SPEAKER_TUNES
    for path in sorted(folder.glob("*.tune")):
        tune = parse_tune(path.read_text(), path)
        channels, beeper, adlib_tracks, speaker_tracks = build_tune(tune, library)
        if not 1 <= tune.number <= ADLIB_TUNES or adlib[tune.number - 1]:
            raise MusicError(f"{path}: tune number {tune.number} is not free")
        mul, value = tune.tempo
        adlib[tune.number - 1] = (mul, value, channels, tune, adlib_tracks)
        if tune.speaker:
            if not 1 <= tune.speaker <= SPEAKER_TUNES or speaker[tune.speaker - 1]:
                raise MusicError(f"{path}: speaker tune {tune.speaker} is not free")
            if mul * 4 > 255:
                raise MusicError(f"{path}: tempoMul {mul} is too large for the speaker")
            # The speaker driver leaves out the AdLib driver's factor four.
            speaker[tune.speaker - 1] = (mul * 4, value, beeper, tune, speaker_tracks)
    for what, tunes in (("AdLib", adlib), ("speaker", speaker)):
        missing = [n + 1 for n, entry in enumerate(tunes) if entry is None]
        if missing:
            raise MusicError(f"no source for {what} tune(s) {missing}")
    instruments = [adlib_instrument(spec) for spec in library.adlib_order]
    adlib_image = build_adlib([entry[:3] for entry in adlib], library.drum_map, instruments)
    beeper_image = build_beeper([entry[:3] for entry in speaker],
                                [(s["transpose"], s["length"]) for s in library.speaker_order])
    return adlib_image, beeper_image, adlib, speaker, library.drums


def generate(root):
    try:
        adlib_image, beeper_image, adlib, speaker, drums = compile_all()
    except (NotationError, MusicError, ImageError) as error:
        raise SystemExit(f"music: {error}")
    problems = music_check.check_images(adlib_image, beeper_image, adlib, speaker, drums)
    if problems:
        raise SystemExit("music: the compiled images fail their checks:\n  " + "\n  ".join(problems))
    write_bytes(root, "assets/audio/adlib.dat", adlib_image)
    write_bytes(root, "assets/audio/beeper.dat", beeper_image)
