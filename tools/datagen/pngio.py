"""Deterministic PNG writers (standard library only), so the generated data set is
reproducible byte for byte on any machine."""

import struct
import zlib


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def _png(width, height, colour_type, rows, extra_chunks=b""):
    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header) + extra_chunks +
            _chunk(b"IDAT", zlib.compress(raw, 9)) + _chunk(b"IEND", b""))


def indexed_png(pixels, plte):
    """pixels: list of rows of palette indices 0..255; plte: list of (r, g, b) in 8 bit."""
    height = len(pixels)
    width = len(pixels[0]) if height else 0
    plte_bytes = b"".join(bytes(c) for c in plte)
    return _png(width, height, 3, pixels, _chunk(b"PLTE", plte_bytes))


def rgba_png(pixels):
    """pixels: list of rows of (r, g, b, a) tuples."""
    height = len(pixels)
    width = len(pixels[0]) if height else 0
    rows = [[c for px in row for c in px] for row in pixels]
    return _png(width, height, 6, rows)
