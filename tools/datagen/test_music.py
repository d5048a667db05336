"""Tests of the tune compiler and the driver images.

    cd tools && python3 -m unittest datagen.test_music
"""

import pathlib
import struct
import tempfile
import unittest

from datagen import music, music_check
from datagen.music_image import (Adlib, Beeper, ImageError, attenuation, block_byte,
                                 build_adlib, build_beeper, delay_bytes, divisor, fnumber)
from datagen.music_notation import Note, NotationError, expand, parse_tune

INSTRUMENTS = """
adlib lead
  mod ar 15 dr 2 sl 2 rr 5 mult 1 eg
  car ar 15 dr 2 sl 2 rr 5 mult 1 eg vib ksl 2
  feedback 5
  modlevel 20
  carlevel 120
adlib kick
  mod ar 15 dr 8 sl 15 rr 8 mult 1
  car ar 15 dr 7 sl 15 rr 7 mult 1
  carlevel 127
  pitch 31
drum k kick 36
speaker tone length 255
speaker blip length 3 transpose 12
"""


def tune(body, header="tune 1\nunit 12\nmeter 16\n"):
    return parse_tune(header + body, "test.tune")


def notes(track):
    return [(e.time, e.length, e.pitches, e.velocity, e.gate) for e in track.events
            if isinstance(e, Note)]


def read_delay(data):
    walk_image = bytes(data) + b"\x91"
    reader = music_check._Reader(walk_image, 0, "test")
    return reader.delay(), reader.pos


class DelayAndTableTest(unittest.TestCase):
    def test_delays_round_trip_at_every_length_boundary(self):
        for ticks, size in ((0, 1), (127, 1), (128, 2), (16383, 2), (16384, 3), (2097151, 3)):
            data = delay_bytes(ticks)
            self.assertEqual(len(data), size, ticks)
            self.assertEqual(read_delay(data), (ticks, size))
        self.assertEqual(delay_bytes(128), bytes([0x81, 0x00]))
        self.assertEqual(delay_bytes(2097151), bytes([0xFF, 0xFF, 0x7F]))

    def test_delays_beyond_three_bytes_are_refused(self):
        for ticks in (-1, 2097152):
            with self.assertRaises(ImageError):
                delay_bytes(ticks)
        with self.assertRaises(IndexError):
            read_delay(bytes([0x81, 0x80, 0x80, 0x00]))

    def test_frequency_tables(self):
        self.assertEqual([fnumber(i) for i in (0, 447, 448, 767)], [345, 516, 0x8102, 0x8159])
        self.assertTrue(all((fnumber(i) & 0x1FFF) < 1024 for i in range(768)))
        self.assertEqual([block_byte(s) for s in (0, 6, 7, 11, 12, 60, 100)],
                         [0, 0, 0xFC, 0xFC, 0, 16, 28])
        self.assertEqual([divisor(n) for n in (50, 69, 119)], [8126, 2712, 151])
        self.assertTrue(all(1 <= divisor(n) <= 8191 for n in range(24, 120)))
        # A low note goes up by a whole octave, so it stays in tune.
        self.assertEqual(divisor(37), divisor(49))

    def test_level_table_falls_from_silent_to_full(self):
        levels = [attenuation(x) for x in range(129)]
        self.assertEqual((levels[0], levels[1], levels[64], levels[128]), (63, 56, 8, 0))
        self.assertTrue(all(a >= b for a, b in zip(levels, levels[1:])))


class NotationTest(unittest.TestCase):
    def test_lengths_stick_and_phrases_keep_their_settings_local(self):
        t = tune('phrase up { C4:2 v50 D4 }\nchannel a voice 0 instrument lead { E4:8 $up^12 F4 }')
        track = expand(t, t.channels[0][3], "test")
        self.assertEqual(notes(track), [
            (0, 96, (64,), 100, 90), (96, 24, (72,), 100, 90), (120, 24, (74,), 50, 90),
            (144, 96, (65,), 100, 90)])
        self.assertEqual(track.end, 240)

    def test_groups_repeat_and_sharps_are_not_comments(self):
        t = tune('channel a voice 0 instrument lead { (C#4:4 Bb3)x2 | } # a comment')
        track = expand(t, t.channels[0][3], "test")
        self.assertEqual([e.pitches[0] for e in track.events], [61, 58, 61, 58])
        self.assertEqual(track.end, 192)

    def test_bar_lines_catch_a_miscounted_bar(self):
        t = tune('channel a voice 0 instrument lead { C4:4 D4 E4 | }')
        with self.assertRaisesRegex(NotationError, "bar line inside a bar"):
            expand(t, t.channels[0][3], "test")

    def test_loops_must_be_closed_and_final(self):
        for body in ("|: C4:16", "C4:16 :|", "|: C4:16 :| D4", "|: C4 |: D4 :|"):
            t = tune(f"channel a voice 0 instrument lead {{ {body} }}")
            with self.assertRaises(NotationError, msg=body):
                expand(t, t.channels[0][3], "test")
        t = tune("channel a voice 0 instrument lead { C4:16 |: D4 E4 :| }")
        self.assertEqual(expand(t, t.channels[0][3], "test").loop, (192, 576))

    def test_drum_grid_hits_last_until_the_next_and_capitals_accent(self):
        t = tune('channel d voice 0 instrument kick drums { "k..K....k" }')
        track = expand(t, t.channels[0][3], "test", velocity=100, drums={"k"})
        self.assertEqual([(e.time, e.length, e.velocity) for e in track.events],
                         [(0, 36, 100), (36, 60, 118), (96, 12, 100)])
        t = tune('channel d voice 0 instrument kick drums { "kx" }')
        with self.assertRaisesRegex(NotationError, "unknown drum letter"):
            expand(t, t.channels[0][3], "test", drums={"k"})

    def test_out_of_range_settings_are_refused(self):
        for body in ("v128 C4", "g0 C4", "vol200", "Cb", "H4"):
            t = tune(f"channel a voice 0 instrument lead {{ {body} }}")
            with self.assertRaises(NotationError, msg=body):
                expand(t, t.channels[0][3], "test")


class CompilerTest(unittest.TestCase):
    def setUp(self):
        self.library = music.Library(INSTRUMENTS, "instruments")

    def compile(self, text):
        return music.build_tune(tune(text), self.library)

    def test_channel_starts_with_voice_and_instrument_and_lets_notes_go_before_the_next(self):
        adlib, _, _, _ = self.compile("channel a voice 3 instrument lead { C4:1 D4:4 E4:4_ }")
        self.assertEqual(adlib[0], bytes([
            0x00, 0x83, 0x00, 0x92, 0x00, 0x00,
            60, 100, 9, 0x99, 3,                 # 12 ticks: held 9, three before the next
            62, 100, 43, 0x99, 5,                # 48 ticks at 90 %: held 43
            64, 100, 48,                         # tied: the end code lets it go
            0x91]))

    def test_loop_mark_and_jump_frame_the_repeated_part(self):
        adlib, _, _, _ = self.compile("channel a voice 0 instrument lead volume 90 { C4:16 |: D4:16_ :| }")
        self.assertEqual(adlib[0], bytes([
            0x00, 0x80, 0x00, 0x92, 0x00, 0x00, 0x96, 90, 0x00,
            60, 100, 0x81, 0x2D, 0x99, 19,       # held 173 of 192 ticks
            0x9C, 0x00,                          # the jump comes back to this delay
            62, 100, 0x81, 0x40, 0x98]))

    def test_drums_use_the_drum_map_and_always_let_go(self):
        adlib, _, _, _ = self.compile('channel d voice 1 instrument kick drums { "k.k." }')
        self.assertEqual(adlib[0], bytes([
            0x00, 0x81, 0x00, 0x92, 0x01, 0x00, 0x97, 0x01, 0x00,
            36, 100, 21, 0x99, 3, 36, 100, 21, 0x99, 3, 0x91]))
        self.assertEqual(self.library.drum_map[36], 1)

    def test_chords_split_into_one_channel_per_voice(self):
        adlib, _, tracks, _ = self.compile("chords p voices 4 5 instrument lead { C4+G4:16 r E4+C5 }")
        self.assertEqual([t.attrs["voice"] for t in tracks], [4, 5])
        self.assertEqual([e.pitches for e in tracks[1].events], [(67,), (72,)])
        with self.assertRaisesRegex(music.MusicError, "chord of 1 notes for 2 voices"):
            self.compile("chords p voices 4 5 instrument lead { C4 }")
        with self.assertRaisesRegex(music.MusicError, "needs its voices"):
            self.compile("chords p instrument lead { C4 }")

    def test_speaker_channels_keep_tempo_drop_volume_and_thin_out(self):
        _, speaker, _, _ = self.compile(
            "channel b voice 0 instrument lead { tempo40 vol80 C3:4 D3 E3 F3 }\n"
            "beeper b instrument blip from b octave 1 every 8")
        self.assertEqual(speaker[0], bytes([
            0x00, 0x92, 0x01, 0x00, 0x93, 40, 0x00,
            48, 100, 43, 0x99, 53,                # C4 with transpose 12 is note byte 48
            52, 100, 43, 0x99, 53, 0x91]))

    def test_instrument_rows_and_range_faults(self):
        row = music.adlib_instrument(self.library.adlib["lead"][1])
        self.assertEqual(row, bytes([0xF2, 0xF2, 0x25, 0x25, 0x21, 0x61, 0, 0, 24, 10, 20, 120, 0x02,
                                     0, 0, 0]))
        with self.assertRaisesRegex(music.MusicError, "voice 0..8"):
            self.compile("channel a voice 9 instrument lead { C4 }")
        with self.assertRaisesRegex(music.MusicError, "unknown AdLib instrument"):
            self.compile("channel a voice 0 instrument harp { C4 }")


def image_with(channels, mul=48, value=30):
    """An AdLib image holding one tune made of the given channel byte-codes, with a
    held sound as instrument 0 and a struck one as instrument 1."""
    rows = [music.adlib_instrument({"name": "x", "mod": _op(eg), "car": _op(eg), "feedback": 0,
                                    "additive": False, "modlevel": 0, "carlevel": 127,
                                    "pitch": None}) for eg in (1, 0)]
    return build_adlib([(mul, value, channels)], [0] * 128, rows)


def _op(eg=1):
    return {"ar": 15, "dr": 0, "sl": 0, "rr": 0, "mult": 1, "am": 0, "vib": 0, "eg": eg,
            "ksr": 0, "ksl": 0}


def adlib_problems(image):
    _, problems = music_check.read_tunes(image, Adlib.TUNE_TABLE, Adlib.INSTRUMENT_BASE,
                                         music_check.walk_adlib, "adlib")
    return problems


class CheckerTest(unittest.TestCase):
    GOOD = bytes([0x00, 0x80, 0x00, 0x92, 0x00, 0x00, 60, 100, 0x10, 0x91])

    def test_a_sound_channel_passes_and_its_notes_are_read(self):
        image = image_with([self.GOOD])
        self.assertEqual(adlib_problems(image), [])
        self.assertEqual(music_check.check_adlib_tables(image), [])
        tunes, _ = music_check.read_tunes(image, Adlib.TUNE_TABLE, Adlib.INSTRUMENT_BASE,
                                          music_check.walk_adlib, "adlib")
        self.assertEqual(tunes[0][2][0].notes, [(0, 60, 100)])
        self.assertEqual(tunes[0][2][0].end, 16)

    def test_each_forbidden_construction_is_reported(self):
        cases = {
            "forbidden code 0x9a": bytes([0x00, 0x80, 0x00, 0x92, 0x00, 0x00, 0x9A]),
            "forbidden code 0x89": bytes([0x00, 0x89, 0x00, 0x91]),
            "four bytes": bytes([0x00, 0x80, 0x81, 0x80, 0x80, 0x00, 0x91]),
            "velocity 128": bytes([0x00, 0x80, 0x00, 0x92, 0x00, 0x00, 60, 128, 0x00, 0x91]),
            "before voice select": bytes([0x00, 0x92, 0x00, 0x00, 60, 100, 0x00, 0x91]),
            "outside 12..100": bytes([0x00, 0x80, 0x00, 0x92, 0x00, 0x00, 110, 100, 0x00, 0x91]),
            "volume above 127": bytes([0x00, 0x80, 0x00, 0x96, 0xC8, 0x00, 0x91]),
            "without a loop mark": bytes([0x00, 0x80, 0x00, 0x98]),
            "lies outside": bytes([0x00, 0x80, 0x00, 0x92, 0xF0, 0x00, 0x91]),
        }
        for expected, code in cases.items():
            problems = adlib_problems(image_with([code]))
            self.assertTrue(any(expected in p for p in problems), (expected, problems))

    def test_a_channel_running_into_other_data_or_off_the_image_is_reported(self):
        image = image_with([bytes([0x00, 0x80, 0x00])])
        self.assertTrue(any("a note before" in p for p in adlib_problems(image)))
        walk = music_check.walk_adlib(bytes([0x00, 0x80, 0x00]), 0, "cut", 0)
        self.assertTrue(any("past the end" in p for p in walk.problems))

    def test_tables_are_checked(self):
        image = bytearray(image_with([self.GOOD]))
        image[Adlib.LEVELS + 10] = 0
        struct.pack_into("<H", image, Adlib.FNUMBERS + 2 * 300, 2000)
        problems = music_check.check_adlib_tables(bytes(image))
        self.assertTrue(any("level table" in p for p in problems))
        self.assertTrue(any("F-number 300" in p for p in problems))
        speaker = bytearray(build_beeper([(192, 30, [bytes([0x00, 0x91])])], [(0, 10)]))
        self.assertEqual(music_check.check_beeper_tables(bytes(speaker)), [])
        struct.pack_into("<H", speaker, Beeper.DIVISORS, 9000)
        self.assertTrue(music_check.check_beeper_tables(bytes(speaker)))

    def test_tune_level_faults(self):
        looped = [bytes([0x00, 0x80 + v, 0x00, 0x92, 0x00, 0x00, 0x9C, 0x00, 60, 100, length, 0x98])
                  for v, length in ((0, 48), (1, 96))]
        tunes, _ = music_check.read_tunes(image_with(looped), Adlib.TUNE_TABLE,
                                          Adlib.INSTRUMENT_BASE, music_check.walk_adlib, "adlib")
        problems = music_check._tune_problems("t", tunes[0][2], True)
        self.assertTrue(any("different periods" in p for p in problems))
        same_voice = [self.GOOD, self.GOOD]
        tunes, _ = music_check.read_tunes(image_with(same_voice), Adlib.TUNE_TABLE,
                                          Adlib.INSTRUMENT_BASE, music_check.walk_adlib, "adlib")
        self.assertTrue(music_check._tune_problems("t", tunes[0][2], True))

    def test_a_struck_sound_must_be_let_go_before_it_is_struck_again(self):
        def problems(instrument, between):
            code = bytes([0x00, 0x80, 0x00, 0x92, instrument, 0x00, 60, 100, 0x10]) + between + \
                bytes([62, 100, 0x10, 0x91])
            return [p for p in adlib_problems(image_with([code])) if "may not sound" in p]
        self.assertEqual(len(problems(1, b"")), 1)
        self.assertEqual(problems(1, bytes([0x99, 0x03])), [])
        self.assertEqual(problems(1, bytes([0x90, 60, 0x03])), [])
        self.assertEqual(len(problems(1, bytes([0x90, 61, 0x03]))), 1)
        # A held sound slurs into the next note; that is allowed.
        self.assertEqual(problems(0, b""), [])

    def test_key_offs_need_driver_ticks_shorter_than_their_lead(self):
        tunes, _ = music_check.read_tunes(image_with([self.GOOD]), Adlib.TUNE_TABLE,
                                          Adlib.INSTRUMENT_BASE, music_check.walk_adlib, "adlib")
        walks = tunes[0][2]
        self.assertEqual(music_check._tune_problems("t", walks, True, 48, 32), [])
        self.assertTrue(music_check._tune_problems("t", walks, True, 48, 100))

    def test_tempo_step_and_seconds(self):
        self.assertEqual(music_check.step(96, 33, True), 196934)
        # 48 x 30 on the AdLib driver is about 96 ticks a second.
        self.assertAlmostEqual(music_check.seconds(96 * 60, [], 48, 30, True), 60, delta=0.3)
        self.assertAlmostEqual(music_check.seconds(96 * 60, [], 192, 30, False), 60, delta=0.3)
        halfway = music_check.seconds(96 * 60, [(96 * 30, 60)], 48, 30, True)
        self.assertAlmostEqual(halfway, 45, delta=0.3)


class ShippedMusicTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.adlib, cls.beeper, cls.adlib_tunes, cls.speaker_tunes, cls.drums = music.compile_all()

    def test_images_pass_every_check_and_are_reproducible(self):
        self.assertEqual(music_check.check_images(self.adlib, self.beeper, self.adlib_tunes,
                                                  self.speaker_tunes, self.drums), [])
        again = music.compile_all()
        self.assertEqual((again[0], again[1]), (self.adlib, self.beeper))

    def test_generated_files_match_the_committed_ones(self):
        with tempfile.TemporaryDirectory() as folder:
            music.generate(pathlib.Path(folder))
            for name in ("adlib.dat", "beeper.dat"):
                fresh = (pathlib.Path(folder) / "assets/audio" / name).read_bytes()
                committed = (music.SOURCES.parent.parent.parent / "assets/audio" / name).read_bytes()
                self.assertTrue(fresh == committed, f"{name}: run tools/gen_data.py and commit")

    def test_tunes_have_the_shapes_the_game_expects(self):
        lengths = {}
        for n, (mul, value, channels, source, tracks) in enumerate(self.adlib_tunes, 1):
            loops = {t.loop for t in tracks}
            ticks = max(t.end for t in tracks)
            lengths[n] = music_check.seconds(ticks, [], mul, value, True)
            looping = loops != {None}
            self.assertEqual(looping, n in (1, 6, 7), n)
            self.assertLessEqual(len(tracks), 9, n)
        self.assertFalse(any(isinstance(e, Note) for t in self.adlib_tunes[1][4] for e in t.events))
        self.assertTrue(all(lengths[n] <= 5 for n in (3, 4, 5)))
        loop = next(t.loop for t in self.adlib_tunes[6][4])
        body = music_check.seconds(loop[1] - loop[0], [], 48, self.adlib_tunes[6][1], True)
        self.assertTrue(60 <= body <= 120, body)
        self.assertGreater(lengths[9], 2 * lengths[8])

    def test_speaker_tunes_follow_their_adlib_partners(self):
        partners = {1: 7, 2: 9, 3: 6, 4: 4, 5: 8, 6: 3, 7: 5}
        for speaker, adlib in partners.items():
            source = self.speaker_tunes[speaker - 1][3]
            self.assertEqual(source.number, adlib)
            self.assertLessEqual(len(self.speaker_tunes[speaker - 1][2]), Beeper.CHANNEL_COUNT)
            self.assertEqual(self.speaker_tunes[speaker - 1][:2],
                             (self.adlib_tunes[adlib - 1][0] * 4, self.adlib_tunes[adlib - 1][1]))


if __name__ == "__main__":
    unittest.main()
