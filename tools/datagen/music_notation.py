"""Reader of the readable tune sources under tools/data/tunes.

A tune file holds header lines, phrases and channels:

    tune 7 "In-game theme"     AdLib tune number and a title
    speaker 1                  speaker tune number made from this file (optional)
    tempo 48 30                tempoMul and tempoValue of the AdLib header
    unit 12                    driver ticks per notation unit (a sixteenth)
    meter 16                   units per bar; every "|" checks that a bar is complete

    phrase NAME { tokens }
    channel NAME voice V instrument I [velocity N] [gate P] [volume N] [accent N] [drums] { tokens }
    chords NAME voices V1 V2 .. instrument I [...] { tokens }    one channel per voice
    beeper NAME instrument I [from CHANNEL [part K] [octave K] [every N]] [{ tokens }]

A channel's accent is added to the velocity of every note that starts on a beat.

Body tokens:

    C4 F#3 Bb5:4     a note (sounding pitch; C4 is semitone 60) with an optional length
                     in units; a length sticks until the next one
    A3+C4+E4:16      a chord, one pitch per voice of a chords channel
    r r:8            a rest
    C4' C4_          staccato (half gate) or tied (full gate) for this note only
    v100 g80         velocity (0..127) and gate in percent, both sticky
    vol90 tempo32    channel volume (AdLib only) and tempo value changes
    @bell            change to another instrument of the channel's driver
    $NAME $NAME^-5   a phrase, optionally transposed by semitones (its settings stay local)
    ( ... )x3        a repeated group
    |: ... :|        loop mark and loop jump (the channel then repeats for ever)
    |                a bar line
    "k.h.s.hh."      drum grid, one character per unit: a drum letter starts a hit
                     (upper case: accented), "." lets it go on

Lines may carry comments after "#". Everything the compiler needs leaves this module as
plain records with times in driver ticks.
"""

import re
from dataclasses import dataclass, field

NOTE_NAMES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
PITCH = re.compile(r"^([A-G])(#|b)?(-?\d)$")
LENGTH = re.compile(r"^(.*?)(?::(\d+))?(['_]?)$")


class NotationError(Exception):
    pass


@dataclass
class Note:
    time: int
    length: int
    pitches: tuple          # sounding semitones, or drum letters in a drum channel
    velocity: int
    gate: int               # percent of the length that the key is held


@dataclass
class Control:
    time: int
    name: str               # "volume", "tempo", "instrument"
    value: object           # a number, or an instrument's name


@dataclass
class Track:
    name: str
    attrs: dict
    events: list            # Note and Control records in time order
    end: int                # time of the channel's end (or of its loop jump)
    loop: tuple = None      # (loop mark time, loop jump time) or None


@dataclass
class TuneSource:
    path: str
    number: int = 0
    title: str = ""
    speaker: int = 0
    tempo: tuple = (48, 30)
    unit: int = 12
    meter: int = 16
    phrases: dict = field(default_factory=dict)
    channels: list = field(default_factory=list)     # (kind, name, attrs, tokens)


def pitch_value(text):
    match = PITCH.match(text)
    if not match:
        return None
    letter, accidental, octave = match.groups()
    value = NOTE_NAMES[letter] + (12 * (int(octave) + 1))
    return value + {"#": 1, "b": -1, None: 0}[accidental]


def _strip(line):
    quoted = False
    for i, ch in enumerate(line):
        if ch == '"':
            quoted = not quoted
        elif ch == "#" and not quoted:
            # "#" is also the sharp sign: a comment starts only at a word boundary
            if i == 0 or line[i - 1].isspace():
                return line[:i]
    return line


def _statements(text, path):
    """Yields (line number, header words, body tokens or None)."""
    lines = [_strip(line) for line in text.splitlines()]
    i = 0
    while i < len(lines):
        line = lines[i].strip()
        start = i + 1
        i += 1
        if not line:
            continue
        if "{" not in line:
            yield start, _words(line), None
            continue
        head, rest = line.split("{", 1)
        body = []
        while "}" not in rest:
            body.append(rest)
            if i >= len(lines):
                raise NotationError(f"{path}:{start}: block without a closing brace")
            rest = lines[i]
            i += 1
        inner, after = rest.split("}", 1)
        if after.strip():
            raise NotationError(f"{path}:{i}: text after a closing brace")
        body.append(inner)
        yield start, _words(head), _body_tokens(" ".join(body))


def _body_tokens(text):
    """Splits a body into tokens; group brackets may touch their neighbours."""
    tokens = []
    for word in text.split():
        while word.startswith("(") and len(word) > 1:
            tokens.append("(")
            word = word[1:]
        close = re.match(r"^(.+?)(\)x\d+)$", word)
        if close:
            tokens += [close.group(1), close.group(2)]
        else:
            tokens.append(word)
    return tokens


def _words(text):
    words, current, quoted = [], "", False
    for ch in text:
        if ch == '"':
            quoted = not quoted
            current += ch
        elif ch.isspace() and not quoted:
            if current:
                words.append(current)
            current = ""
        else:
            current += ch
    if current:
        words.append(current)
    return words


def _attrs(words, where):
    """Turns "voice 2 instrument lead drums" into a dict; lists for "voices"."""
    attrs, i = {}, 0
    flags = {"drums"}
    while i < len(words):
        key = words[i]
        if key in flags:
            attrs[key] = True
            i += 1
        elif key == "voices":
            values = []
            i += 1
            while i < len(words) and words[i].isdigit():
                values.append(int(words[i]))
                i += 1
            attrs[key] = values
        elif i + 1 < len(words):
            value = words[i + 1]
            attrs[key] = int(value) if re.match(r"^-?\d+$", value) else value
            i += 2
        else:
            raise NotationError(f"{where}: attribute {key} without a value")
    return attrs


def parse_tune(text, path):
    tune = TuneSource(path=str(path))
    for line, words, body in _statements(text, path):
        where = f"{path}:{line}"
        key, args = words[0], words[1:]
        try:
            if key == "tune":
                tune.number = int(args[0])
                tune.title = " ".join(args[1:]).strip('"')
            elif key == "speaker":
                tune.speaker = int(args[0])
            elif key == "tempo":
                tune.tempo = (int(args[0]), int(args[1]))
            elif key == "unit":
                tune.unit = int(args[0])
            elif key == "meter":
                tune.meter = int(args[0])
            elif key == "phrase":
                tune.phrases[args[0]] = body or []
            elif key in ("channel", "chords", "beeper"):
                tune.channels.append((key, args[0], _attrs(args[1:], where), body, where))
            else:
                raise NotationError(f"{where}: unknown statement {key}")
        except (IndexError, ValueError) as error:
            raise NotationError(f"{where}: malformed {key} line ({error})")
    if not tune.number:
        raise NotationError(f"{path}: no tune line")
    return tune


@dataclass
class _State:
    length: int
    velocity: int
    gate: int
    transpose: int = 0


class _Walker:
    """Expands a token list into timed events."""

    def __init__(self, tune, where, drums):
        self.tune, self.where, self.drums = tune, where, drums
        self.time = 0
        self.events = []
        self.loop_mark = None
        self.loop_jump = None
        self.depth = 0

    def fail(self, message):
        raise NotationError(f"{self.where}: {message} (at tick {self.time})")

    def walk(self, tokens, state):
        i = 0
        while i < len(tokens):
            token = tokens[i]
            if self.loop_jump is not None:
                self.fail("nothing may follow a loop jump")
            if token == "(":
                close = self._matching(tokens, i)
                times = tokens[close][2:] if tokens[close].startswith(")x") else ""
                if not times.isdigit():
                    self.fail("a group must close with )xN")
                for _ in range(int(times)):
                    self.walk(tokens[i + 1:close], state)
                i = close + 1
                continue
            self.token(token, state)
            i += 1

    def _matching(self, tokens, start):
        depth = 0
        for j in range(start, len(tokens)):
            if tokens[j] == "(":
                depth += 1
            elif tokens[j].startswith(")"):
                depth -= 1
                if depth == 0:
                    return j
        self.fail("group without its closing bracket")

    def token(self, token, state):
        unit = self.tune.unit
        if token == "|":
            if self.time % (self.tune.meter * unit):
                self.fail(f"bar line inside a bar ({self.time % (self.tune.meter * unit) // unit} units in)")
        elif token == "|:":
            if self.loop_mark is not None:
                self.fail("a second loop mark")
            self.loop_mark = self.time
        elif token == ":|":
            if self.loop_mark is None:
                self.fail("a loop jump without a loop mark")
            self.loop_jump = self.time
        elif token.startswith("$"):
            self.phrase(token[1:], state)
        elif token.startswith('"'):
            self.grid(token.strip('"'), state)
        elif re.match(r"^v\d+$", token):
            state.velocity = self.ranged(int(token[1:]), 0, 127, "velocity")
        elif re.match(r"^g\d+$", token):
            state.gate = self.ranged(int(token[1:]), 1, 100, "gate")
        elif re.match(r"^vol\d+$", token):
            self.events.append(Control(self.time, "volume", self.ranged(int(token[3:]), 0, 127, "volume")))
        elif re.match(r"^@\w+$", token):
            self.events.append(Control(self.time, "instrument", token[1:]))
        elif re.match(r"^tempo\d+$", token):
            self.events.append(Control(self.time, "tempo", self.ranged(int(token[5:]), 1, 255, "tempo")))
        else:
            self.note(token, state)

    def ranged(self, value, low, high, what):
        if not low <= value <= high:
            self.fail(f"{what} {value} outside {low}..{high}")
        return value

    def phrase(self, text, state):
        name, _, shift = text.partition("^")
        if name not in self.tune.phrases:
            self.fail(f"unknown phrase {name}")
        self.depth += 1
        if self.depth > 16:
            self.fail("phrases nested too deeply")
        inner = _State(state.length, state.velocity, state.gate,
                       state.transpose + (int(shift) if shift else 0))
        self.walk(self.tune.phrases[name], inner)
        self.depth -= 1

    def grid(self, text, state):
        unit = self.tune.unit
        hits = []
        for i, ch in enumerate(text):
            if ch == ".":
                continue
            if ch.lower() not in self.drums:
                self.fail(f"unknown drum letter {ch}")
            hits.append((i, ch))
        for n, (i, ch) in enumerate(hits):
            end = hits[n + 1][0] if n + 1 < len(hits) else len(text)
            velocity = min(127, state.velocity + 18) if ch.isupper() else state.velocity
            self.events.append(Note(self.time + i * unit, (end - i) * unit, (ch.lower(),),
                                    velocity, state.gate))
        self.time += len(text) * unit

    def note(self, token, state):
        match = LENGTH.match(token)
        body, length, mark = match.groups()
        if length is not None:
            state.length = self.ranged(int(length), 1, 4096, "length")
        ticks = state.length * self.tune.unit
        gate = {"'": 50, "_": 100}.get(mark, state.gate)
        if body == "r":
            self.time += ticks
            return
        pitches = []
        for part in body.split("+"):
            value = pitch_value(part)
            if value is None:
                self.fail(f"cannot read {token}")
            pitches.append(value + state.transpose)
        self.events.append(Note(self.time, ticks, tuple(sorted(pitches)), state.velocity, gate))
        self.time += ticks


def expand(tune, tokens, where, velocity=100, gate=90, drums=()):
    """Expands one channel body; returns a Track without name and attributes."""
    walker = _Walker(tune, where, set(drums))
    walker.walk(tokens or [], _State(4, velocity, gate))
    loop = None
    if walker.loop_jump is not None:
        loop = (walker.loop_mark, walker.loop_jump)
    elif walker.loop_mark is not None:
        walker.fail("a loop mark without a loop jump")
    return Track("", {}, walker.events, walker.time, loop)


def parse_instruments(text, path):
    """Reads the instrument tables: returns (adlib list, drum list, speaker list).

    adlib NAME                    followed by indented lines:
      mod  ar A dr D sl S rr R mult M [am] [vib] [eg] [ksr] [ksl K]
      car  ...
      feedback F   additive yes|no   modlevel L   carlevel L   [pitch P]
    drum LETTER NAME NOTE         the drum-map note of a drum letter and its instrument
    speaker NAME length TICKS [transpose T]
    """
    adlib, drums, speaker = [], [], []
    current = None
    for number, raw in enumerate(text.splitlines(), 1):
        line = _strip(raw).strip()
        where = f"{path}:{number}"
        if not line:
            continue
        words = line.split()
        key = words[0]
        try:
            if key == "adlib":
                current = {"name": words[1], "mod": {}, "car": {}, "feedback": 0, "additive": False,
                           "modlevel": 0, "carlevel": 127, "pitch": None}
                adlib.append(current)
            elif key in ("mod", "car") and current is not None:
                current[key] = _operator(words[1:], where)
            elif key in ("feedback", "modlevel", "carlevel", "pitch") and current is not None:
                current[key] = int(words[1])
            elif key == "additive" and current is not None:
                current["additive"] = words[1] == "yes"
            elif key == "drum":
                drums.append({"letter": words[1], "instrument": words[2], "note": int(words[3])})
                current = None
            elif key == "speaker":
                attrs = _attrs(words[2:], where)
                speaker.append({"name": words[1], "length": attrs.get("length", 255),
                                "transpose": attrs.get("transpose", 0)})
                current = None
            else:
                raise NotationError(f"{where}: unexpected {key}")
        except (IndexError, ValueError) as error:
            raise NotationError(f"{where}: malformed line ({error})")
    return adlib, drums, speaker


def _operator(words, where):
    op = {"ar": 15, "dr": 0, "sl": 0, "rr": 0, "mult": 1, "am": 0, "vib": 0, "eg": 0,
          "ksr": 0, "ksl": 0}
    i = 0
    while i < len(words):
        key = words[i]
        if key in ("am", "vib", "eg", "ksr"):
            op[key] = 1
            i += 1
        elif key in op and i + 1 < len(words):
            op[key] = int(words[i + 1])
            i += 2
        else:
            raise NotationError(f"{where}: cannot read operator field {key}")
    limits = {"ar": 15, "dr": 15, "sl": 15, "rr": 15, "mult": 15, "ksl": 3}
    for key, high in limits.items():
        if not 0 <= op[key] <= high:
            raise NotationError(f"{where}: {key} {op[key]} outside 0..{high}")
    return op
