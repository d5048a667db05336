"""Sound effects, synthesised: the jump (a quick rising chirp) and twenty energy blips that
climb in pitch with the energy step. 16-bit PCM, mono, 48000 Hz, no leading silence.
The energy blips peak at about -12 dBFS so that a full drain (up to 19 at once) and the
music stay clear of hard clipping; the jump peaks at about -6 dBFS.
"""

import math
import struct

from datagen.common import write_bytes

RATE = 48000


def wav(samples):
    data = b"".join(struct.pack("<h", max(-32767, min(32767, int(round(s))))) for s in samples)
    header = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(data), b"WAVE", b"fmt ", 16,
                         1, 1, RATE, RATE * 2, 2, 16, b"data", len(data))
    return header + data


def normalised(samples, peak_db):
    top = max(abs(s) for s in samples)
    gain = 32767 * 10 ** (peak_db / 20) / top
    return [s * gain for s in samples]


def jump():
    """Rising chirp: a soft square wave (odd harmonics) swept 260 -> 820 Hz."""
    n = int(RATE * 0.20)
    out, phase = [], 0.0
    for i in range(n):
        t = i / n
        f = 260 + 560 * (1 - (1 - t) ** 2)
        phase += 2 * math.pi * f / RATE
        wave = math.sin(phase) + math.sin(3 * phase) / 3 + math.sin(5 * phase) / 7
        env = min(1.0, i / (RATE * 0.004)) * (1 - t) ** 1.5
        out.append(wave * env)
    return normalised(out, -6.0)


def energy(step):
    """Blip of step 1..20: a bell-like tone whose pitch rises a little with each step."""
    f = 392.0 * 2 ** ((step - 1) * 1.5 / 19)       # G4 up one and a half octaves
    n = int(RATE * 0.12)
    # A drain plays many steps in the same tick: spreading their start phases keeps
    # the sum from lining up into one loud click (the attack ramp hides the offset).
    phase = step * 2.399963
    out = []
    for i in range(n):
        t = i / RATE
        env = min(1.0, t / 0.002) * math.exp(-t / 0.032)
        wave = (math.sin(2 * math.pi * f * t + phase) +
                0.3 * math.sin(4 * math.pi * f * t + 2 * phase))
        out.append(wave * env)
    # fade the last 5 ms to zero so the blip ends without a click
    tail = int(RATE * 0.005)
    for k in range(tail):
        out[n - tail + k] *= 1 - (k + 1) / tail
    return normalised(out, -12.0)


def generate(root):
    write_bytes(root, "assets/audio/Tumbold_jump.wav", wav(jump()))
    for step in range(1, 21):
        write_bytes(root, f"assets/audio/energy/energy_{step:02d}.wav", wav(energy(step)))
