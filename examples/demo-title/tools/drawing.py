"""What the demo title's picture makers share: its palette, an indexed canvas with rectangles,
discs, gradients and text, and an indexed PNG writer. Standard library only.

The letters are the sample title's 5 x 7 capitals (scripts/make-sample-pictures.py), with the
apostrophe the demo needs added here.
"""
import importlib.util
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(HERE)))

# The palette: 0 black and 255 white as every title palette has them, named colours from 1, and
# four ramps of 48 entries, dark to light, for skies, the sea, walls and lamplight.
BLACK, WHITE = 0, 255
LAMP, EMBER, INK, PARCH, RUST, FOAM, BRASS, STAR = range(1, 9)
NIGHT, SEA, WALL, GLOW = 16, 64, 112, 160
RAMP = 48


def palette():
    colours = [(0, 0, 0)] * 256
    colours[WHITE] = (255, 255, 255)
    colours[LAMP] = (255, 214, 96)
    colours[EMBER] = (226, 118, 38)
    colours[INK] = (14, 16, 34)
    colours[PARCH] = (232, 220, 188)
    colours[RUST] = (150, 58, 38)
    colours[FOAM] = (200, 232, 232)
    colours[BRASS] = (196, 156, 64)
    colours[STAR] = (236, 236, 200)
    for i in range(RAMP):
        colours[NIGHT + i] = (6 + i, 10 + i, 30 + 2 * i)
        colours[SEA + i] = (8 + i, 30 + 2 * i, 50 + 2 * i)
        colours[WALL + i] = (30 + 3 * i, 26 + 3 * i, 22 + 3 * i)
        colours[GLOW + i] = (60 + 4 * i, 36 + 3 * i, 12 + i)
    return colours


def _sample_font():
    path = os.path.join(ROOT, "scripts", "make-sample-pictures.py")
    spec = importlib.util.spec_from_file_location("sample_pictures", path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return dict(module.FONT)


FONT = _sample_font()
FONT["'"] = "00100 00100 01000 00000 00000 00000 00000"


def noise(x, y, seed):
    """A repeatable hash of a point: 0..255."""
    n = (x * 73856093 + y * 19349663 + seed * 83492791) & 0xFFFFFFFF
    n = ((n ^ (n >> 15)) * 2246822519) & 0xFFFFFFFF
    return (n >> 23) & 0xFF


class Canvas:
    """Rows of palette indices; index 0 is the transparent colour of figures."""

    def __init__(self, width, height, fill=BLACK):
        self.width, self.height = width, height
        self.pixels = bytearray([fill]) * (width * height)

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y * self.width + x] = colour

    def get(self, x, y):
        return self.pixels[y * self.width + x]

    def rect(self, top, left, bottom, right, colour):
        left, right = max(left, 0), min(right, self.width)
        for y in range(max(top, 0), min(bottom, self.height)):
            if right > left:
                self.pixels[y * self.width + left:y * self.width + right] = bytes([colour]) * (
                    right - left)

    def frame(self, top, left, bottom, right, colour, width=2):
        self.rect(top, left, top + width, right, colour)
        self.rect(bottom - width, left, bottom, right, colour)
        self.rect(top, left, bottom, left + width, colour)
        self.rect(top, right - width, bottom, right, colour)

    def disc(self, cy, cx, radius, colour):
        for y in range(cy - radius, cy + radius + 1):
            for x in range(cx - radius, cx + radius + 1):
                if (y - cy) ** 2 + (x - cx) ** 2 <= radius * radius:
                    self.put(x, y, colour)

    def gradient(self, top, bottom, ramp, first=0, last=RAMP - 1):
        """Horizontal bands from ramp entry `first` at `top` to `last` at `bottom`."""
        for y in range(top, bottom):
            step = first + (last - first) * (y - top) // max(bottom - top - 1, 1)
            self.rect(y, 0, y + 1, self.width, ramp + step)

    def text(self, top, left, words, colour, scale):
        for n, ch in enumerate(words):
            for r, bits in enumerate(FONT[ch].split()):
                for c, bit in enumerate(bits):
                    if bit == '1':
                        x, y = left + (n * 6 + c) * scale, top + r * scale
                        self.rect(y, x, y + scale, x + scale, colour)

    def centred_text(self, top, words, colour, scale, left=0, right=None):
        right = self.width if right is None else right
        width = (len(words) * 6 - 1) * scale
        self.text(top, left + (right - left - width) // 2, words, colour, scale)

    def shaded_text(self, top, words, colour, shadow, scale):
        self.centred_text(top + scale, words, shadow, scale, scale)
        self.centred_text(top, words, colour, scale)


def plaque(canvas, box, label, scale=3):
    """A button: a parchment plaque with a rust border, a drop shadow and its label in ink.
    `box` is (top, left, bottom, right), as the manifest gives buttons."""
    top, left, bottom, right = box
    canvas.rect(top + 3, left + 3, bottom + 3, right + 3, INK)
    canvas.rect(top, left, bottom, right, PARCH)
    canvas.frame(top, left, bottom, right, RUST, 3)
    canvas.frame(top + 5, left + 5, bottom - 5, right - 5, BRASS, 1)
    canvas.centred_text((top + bottom) // 2 - 7 * scale // 2, label, INK, scale, left, right)


def write_png(path, canvas, colours):
    """Writes `canvas` as an 8-bit indexed PNG in `colours`."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    w = canvas.width
    raw = b"".join(b"\0" + bytes(canvas.pixels[y * w:(y + 1) * w]) for y in range(canvas.height))
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" +
                  chunk(b"IHDR", struct.pack(">IIBBBBB", w, canvas.height, 8, 3, 0, 0, 0)) +
                  chunk(b"PLTE", b"".join(bytes(c) for c in colours)) +
                  chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
