#!/usr/bin/env python3
"""Draws the sample title's pictures: the flats (512 x 384), the garden set's wall textures
(64 x 64), and the figures: the gardener seen from four sides in two steps of a walk, the ball
and the bird of the stage, indexed PNG files sharing one palette (index 0, black, is the
figures' transparent colour).

The pictures are kept in the repository (examples/sample-title/pictures); this script is how
they were made, so that anyone can change and redraw them:
    python3 scripts/make-sample-pictures.py examples/sample-title/pictures
It needs nothing beyond the Python standard library.
"""
import os
import struct
import sys
import zlib

WIDTH, HEIGHT = 512, 384

# The palette: 0 black and 255 white as every title palette has them, then named colours and
# two ramps (sky blue and stone) for gradients.
BLACK, WHITE, GOLD, DEEP, RED, GREEN, SHADOW, PAPER = 0, 255, 1, 2, 3, 4, 5, 6
SKY, STONE, LEAF = 16, 80, 144  # ramps of 64 entries each


def palette():
    colours = [(0, 0, 0)] * 256
    colours[WHITE] = (255, 255, 255)
    colours[GOLD] = (240, 196, 64)
    colours[DEEP] = (20, 24, 60)
    colours[RED] = (200, 60, 50)
    colours[GREEN] = (70, 160, 90)
    colours[SHADOW] = (10, 10, 20)
    colours[PAPER] = (236, 228, 204)
    for i in range(64):
        colours[SKY + i] = (20 + i, 40 + i * 2, 90 + i * 2)
        colours[STONE + i] = (60 + i * 2, 56 + i * 2, 52 + i * 2)
        colours[LEAF + i] = (20 + i, 60 + i * 2, 24 + i)
    return colours


# A 5 x 7 font of the capitals, digits and a few signs, one string of 7 rows per character.
FONT = {
    'A': "01110 10001 10001 11111 10001 10001 10001", 'B': "11110 10001 10001 11110 10001 10001 11110",
    'C': "01110 10001 10000 10000 10000 10001 01110", 'D': "11110 10001 10001 10001 10001 10001 11110",
    'E': "11111 10000 10000 11110 10000 10000 11111", 'F': "11111 10000 10000 11110 10000 10000 10000",
    'G': "01110 10001 10000 10111 10001 10001 01111", 'H': "10001 10001 10001 11111 10001 10001 10001",
    'I': "01110 00100 00100 00100 00100 00100 01110", 'J': "00111 00010 00010 00010 00010 10010 01100",
    'K': "10001 10010 10100 11000 10100 10010 10001", 'L': "10000 10000 10000 10000 10000 10000 11111",
    'M': "10001 11011 10101 10101 10001 10001 10001", 'N': "10001 10001 11001 10101 10011 10001 10001",
    'O': "01110 10001 10001 10001 10001 10001 01110", 'P': "11110 10001 10001 11110 10000 10000 10000",
    'Q': "01110 10001 10001 10001 10101 10010 01101", 'R': "11110 10001 10001 11110 10100 10010 10001",
    'S': "01111 10000 10000 01110 00001 00001 11110", 'T': "11111 00100 00100 00100 00100 00100 00100",
    'U': "10001 10001 10001 10001 10001 10001 01110", 'V': "10001 10001 10001 10001 10001 01010 00100",
    'W': "10001 10001 10001 10101 10101 10101 01010", 'X': "10001 10001 01010 00100 01010 10001 10001",
    'Y': "10001 10001 01010 00100 00100 00100 00100", 'Z': "11111 00001 00010 00100 01000 10000 11111",
    '0': "01110 10001 10011 10101 11001 10001 01110", '1': "00100 01100 00100 00100 00100 00100 01110",
    '2': "01110 10001 00001 00010 00100 01000 11111", '3': "11110 00001 00001 01110 00001 00001 11110",
    ' ': "00000 00000 00000 00000 00000 00000 00000", '.': "00000 00000 00000 00000 00000 01100 01100",
    '-': "00000 00000 00000 11111 00000 00000 00000", ',': "00000 00000 00000 00000 01100 00100 01000",
}


class Picture:
    def __init__(self, fill):
        self.pixels = bytearray([fill]) * (WIDTH * HEIGHT)

    def rect(self, top, left, bottom, right, colour):
        for y in range(max(top, 0), min(bottom, HEIGHT)):
            row = y * WIDTH
            self.pixels[row + max(left, 0):row + min(right, WIDTH)] = bytes([colour]) * (
                min(right, WIDTH) - max(left, 0))

    def frame(self, top, left, bottom, right, colour, width=2):
        self.rect(top, left, top + width, right, colour)
        self.rect(bottom - width, left, bottom, right, colour)
        self.rect(top, left, bottom, left + width, colour)
        self.rect(top, right - width, bottom, right, colour)

    def text(self, top, left, words, colour, scale):
        for n, ch in enumerate(words):
            rows = FONT[ch].split()
            for r, bits in enumerate(rows):
                for c, bit in enumerate(bits):
                    if bit == '1':
                        x = left + (n * 6 + c) * scale
                        y = top + r * scale
                        self.rect(y, x, y + scale, x + scale, colour)

    def centred_text(self, top, words, colour, scale, left=0, right=WIDTH):
        width = (len(words) * 6 - 1) * scale
        self.text(top, left + (right - left - width) // 2, words, colour, scale)

    def sky(self, top, bottom):
        for y in range(top, bottom):
            self.rect(y, 0, y + 1, WIDTH, SKY + (y - top) * 63 // max(bottom - top - 1, 1))


def button(picture, box, label):
    top, left, bottom, right = box
    picture.rect(top + 4, left + 4, bottom + 4, right + 4, SHADOW)
    picture.rect(top, left, bottom, right, DEEP)
    picture.frame(top, left, bottom, right, GOLD, 3)
    picture.centred_text((top + bottom) // 2 - 10, label, WHITE, 3, left, right)


# The buttons' rectangles (top, left, bottom, right), as the manifest gives them.
MENU_BUTTONS = {"rooms": (200, 156, 244, 356), "about": (256, 156, 300, 356),
                "quit": (312, 156, 356, 356)}
BACK_BUTTON = (324, 380, 364, 492)
MOVIE_BUTTON = (324, 20, 364, 132)
TALK_BUTTON = (324, 200, 364, 312)
SAVE_BUTTON = (324, 20, 364, 132)
LOAD_BUTTON = (324, 150, 364, 262)


def menu():
    p = Picture(DEEP)
    p.sky(0, HEIGHT)
    p.centred_text(48, "LOOMWORK", GOLD, 8)
    p.centred_text(120, "A SAMPLE TITLE", WHITE, 3)
    for name, box in MENU_BUTTONS.items():
        button(p, box, name.upper())
    return p


def rooms():
    p = Picture(BLACK)
    p.sky(0, 160)
    # A floor of stone tiles that shrink toward the horizon, and two walls.
    for band in range(8):
        top = 160 + band * band * 3 + band * 4
        bottom = 160 + (band + 1) * (band + 1) * 3 + (band + 1) * 4
        for tile in range(16):
            colour = STONE + (20 + band * 5 if (band + tile) % 2 else 8 + band * 4)
            p.rect(top, tile * 32, min(bottom, HEIGHT), tile * 32 + 32, colour)
    p.rect(40, 24, 300, 120, STONE + 40)
    p.frame(40, 24, 300, 120, STONE + 10, 4)
    p.rect(150, 56, 300, 92, SHADOW)
    p.rect(60, 392, 300, 488, STONE + 44)
    p.frame(60, 392, 300, 488, STONE + 12, 4)
    p.centred_text(16, "THE COURTYARD", WHITE, 3)
    button(p, SAVE_BUTTON, "SAVE")
    button(p, LOAD_BUTTON, "LOAD")
    button(p, BACK_BUTTON, "BACK")
    return p


def about():
    p = Picture(PAPER)
    p.frame(16, 16, 368, 496, DEEP, 4)
    p.centred_text(48, "ABOUT", DEEP, 6)
    lines = ["A STAGE OF THREE FLATS,", "BUILT BY TITLEKIT FROM", "A MANIFEST, SCRIPTS AND",
             "PNG PICTURES."]
    for n, line in enumerate(lines):
        p.centred_text(140 + n * 34, line, BLACK, 3)
    button(p, MOVIE_BUTTON, "MOVIE")
    button(p, TALK_BUTTON, "TALK")
    button(p, BACK_BUTTON, "BACK")
    return p


class Texture:
    """A 64 x 64 wall texture, drawn pixel by pixel."""

    def __init__(self, shade):
        self.width = self.height = 64
        self.pixels = [shade(x, y) for y in range(64) for x in range(64)]


def noise(x, y, seed):
    n = (x * 374761393 + y * 668265263 + seed * 2246822519) & 0xFFFFFFFF
    n = ((n ^ (n >> 13)) * 1274126177) & 0xFFFFFFFF
    return (n >> 24) & 0xFF


def stone(x, y):
    """Bricks of 32 x 16 with dark mortar, every other row offset by half a brick."""
    row = y // 16
    bx = (x + (16 if row % 2 else 0)) % 32
    if y % 16 == 0 or bx == 0:
        return STONE + 4
    return STONE + 24 + noise(x // 2, y // 2, row) % 12 + (bx * 8) // 32


def hedge(x, y):
    """Leaves: green noise, lighter towards the top."""
    return LEAF + 8 + noise(x // 2, y // 2, 7) % 20 + (63 - y) // 4


class Sprite:
    """A figure's picture: transparent (index 0) until drawn on, rows of text as pixels."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = bytearray(width * height)

    def rect(self, top, left, bottom, right, colour):
        for y in range(max(top, 0), min(bottom, self.height)):
            for x in range(max(left, 0), min(right, self.width)):
                self.pixels[y * self.width + x] = colour

    def disc(self, cy, cx, radius, colour):
        for y in range(cy - radius, cy + radius + 1):
            for x in range(cx - radius, cx + radius + 1):
                if (y - cy) ** 2 + (x - cx) ** 2 <= radius * radius + radius:
                    self.rect(y, x, y + 1, x + 1, colour)


# The gardener, 32 x 64 pixels, standing on its bottom middle: a straw hat, a green smock, dark
# trousers and boots. Each side has two steps of a walk; the left side is the right side
# mirrored by the manifest.
SKIN, SMOCK, BELT, TROUSERS, BOOTS, HAT = PAPER, GREEN, LEAF + 10, DEEP, SHADOW, GOLD


def gardener_body(p, step, shoulders):
    """Hat, head, smock and legs, shared by the front and the back; `step` lifts one leg and
    swings the arms."""
    p.rect(2, 6, 6, 26, HAT)
    p.rect(0, 10, 3, 22, HAT)
    p.rect(6, 11, 17, 21, SKIN)
    p.rect(17, shoulders[0], 40, shoulders[1], SMOCK)
    p.rect(40, 9, 44, 23, BELT)
    lift = 3 if step else 0
    p.rect(44, 10, 58 - lift, 15, TROUSERS)
    p.rect(58 - lift, 9, 62 - lift, 15, BOOTS)
    p.rect(44, 17, 58, 22, TROUSERS)
    p.rect(58, 17, 62, 23, BOOTS)
    p.rect(18, 3, 36 - lift, 7, SMOCK)
    p.rect(36 - lift, 3, 40 - lift, 7, SKIN)
    p.rect(18, 25, 36 + lift, 29, SMOCK)
    p.rect(36 + lift, 25, 40 + lift, 29, SKIN)


def gardener_front(step):
    p = Sprite(32, 64)
    gardener_body(p, step, (7, 25))
    p.rect(10, 13, 12, 15, SHADOW)  # the eyes
    p.rect(10, 17, 12, 19, SHADOW)
    p.rect(14, 14, 15, 18, RED)  # the mouth
    p.rect(20, 15, 40, 17, GOLD)  # buttons down the smock
    return p


def gardener_back(step):
    p = Sprite(32, 64)
    gardener_body(p, step, (7, 25))
    p.rect(6, 11, 12, 21, STONE + 20)  # hair under the hat
    return p


def gardener_side(step):
    """Seen from the side, facing the picture's right edge."""
    p = Sprite(32, 64)
    p.rect(2, 6, 6, 28, HAT)
    p.rect(0, 10, 3, 22, HAT)
    p.rect(6, 11, 17, 21, SKIN)
    p.rect(6, 11, 11, 15, STONE + 20)  # hair at the back of the head
    p.rect(10, 18, 12, 20, SHADOW)  # the eye
    p.rect(11, 21, 14, 23, SKIN)  # the nose
    p.rect(17, 11, 40, 22, SMOCK)
    p.rect(40, 11, 44, 22, BELT)
    if step:  # legs apart, the arm forward
        p.rect(44, 8, 56, 13, TROUSERS)
        p.rect(56, 5, 62, 12, BOOTS)
        p.rect(44, 18, 58, 23, TROUSERS)
        p.rect(58, 18, 62, 27, BOOTS)
        p.rect(19, 15, 23, 27, SMOCK)
        p.rect(19, 27, 23, 30, SKIN)
    else:  # legs together, the arm down
        p.rect(44, 13, 58, 20, TROUSERS)
        p.rect(58, 13, 62, 24, BOOTS)
        p.rect(18, 14, 36, 18, SMOCK)
        p.rect(36, 14, 39, 18, SKIN)
    return p


def ball():
    """The ball: 12 x 12, red with a light spot."""
    p = Sprite(12, 12)
    p.disc(6, 6, 5, RED)
    p.rect(3, 3, 5, 5, WHITE)
    return p


def bird(wings_up):
    """The stage's bird, 24 x 16, facing right: a brown body, a red breast, a gold beak."""
    p = Sprite(24, 16)
    p.disc(9, 11, 5, STONE + 24)
    p.disc(10, 14, 3, RED)
    p.disc(6, 17, 3, STONE + 24)
    p.rect(5, 18, 7, 19, SHADOW)
    p.rect(6, 20, 8, 23, GOLD)
    p.rect(8, 2, 10, 7, STONE + 12)  # the tail
    p.rect(14, 10, 16, 11, GOLD)  # the legs
    p.rect(14, 13, 16, 14, GOLD)
    if wings_up:
        p.rect(1, 7, 7, 12, STONE + 12)
    else:
        p.rect(9, 6, 13, 13, STONE + 12)
    return p


FIGURES = {
    "gardener-front-1": lambda: gardener_front(False), "gardener-front-2": lambda: gardener_front(True),
    "gardener-side-1": lambda: gardener_side(False), "gardener-side-2": lambda: gardener_side(True),
    "gardener-back-1": lambda: gardener_back(False), "gardener-back-2": lambda: gardener_back(True),
    "ball": ball, "bird-1": lambda: bird(True), "bird-2": lambda: bird(False),
}


def write_png(path, picture, colours):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    width = getattr(picture, "width", WIDTH)
    height = getattr(picture, "height", HEIGHT)
    raw = b"".join(b"\0" + bytes(picture.pixels[y * width:(y + 1) * width]) for y in range(height))
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0))
    png += chunk(b"PLTE", b"".join(bytes(c) for c in colours))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "examples/sample-title/pictures"
    os.makedirs(folder, exist_ok=True)
    colours = palette()
    for name, draw in (("menu", menu), ("rooms", rooms), ("about", about)):
        write_png(os.path.join(folder, name + ".png"), draw(), colours)
    for name, shade in (("stone", stone), ("hedge", hedge)):
        write_png(os.path.join(folder, name + ".png"), Texture(shade), colours)
    for name, draw in FIGURES.items():
        write_png(os.path.join(folder, name + ".png"), draw(), colours)


if __name__ == "__main__":
    main()
