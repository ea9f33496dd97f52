#!/usr/bin/env python3
"""Makes the pictures of the sample title's intro movie: four 256 x 192 frames of a bird flying
across a sky past the sun, the last with two boxes to click (a red one that stops the movie and a
green one that plays it again). 8-bit indexed PNGs sharing one palette, which the movie takes as
its own, written beside this script. Run it again to remake them."""
import os
import struct
import zlib

WIDTH, HEIGHT = 256, 192
HERE = os.path.dirname(os.path.abspath(__file__))

SKY = 1            # 1..64: the sky, dark blue at the top to pale at the horizon
SUN, BIRD, WHITE, STOP_RED, AGAIN_GREEN, GRASS = 100, 101, 102, 103, 104, 105


def palette():
    colours = [(0, 0, 0)] * 256
    for i in range(64):
        colours[SKY + i] = (40 + 2 * i, 90 + 2 * i, 160 + i)
    colours[SUN] = (250, 220, 80)
    colours[BIRD] = (40, 30, 30)
    colours[WHITE] = (255, 255, 255)
    colours[STOP_RED] = (200, 40, 40)
    colours[AGAIN_GREEN] = (40, 160, 60)
    colours[GRASS] = (70, 130, 50)
    return colours


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def write(name, rows):
    """Writes rows of palette indices as an 8-bit indexed PNG."""
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 3, 0, 0, 0)
    plte = b"".join(bytes(c) for c in palette())
    data = zlib.compress(b"".join(b"\0" + bytes(row) for row in rows), 9)
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"PLTE", plte) +
                  chunk(b"IDAT", data) + chunk(b"IEND", b""))


def sky():
    rows = [[SKY + min(63, y // 3)] * WIDTH for y in range(HEIGHT)]
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if (x - 200) ** 2 + (y - 40) ** 2 < 18 ** 2:
                rows[y][x] = SUN
            if y >= 170:
                rows[y][x] = GRASS
    return rows


def bird(rows, left, top, wings_up):
    """A bird of two wings meeting at a body: a 'v' shape, or its upside-down when wings are up."""
    for dx in range(-12, 13):
        dy = abs(dx) // 2
        y = top + (6 - dy if wings_up else dy)
        for t in range(2):
            rows[y + t][left + dx] = BIRD


def box(rows, top, left, bottom, right, colour):
    for y in range(top, bottom):
        for x in range(left, right):
            edge = y in (top, bottom - 1) or x in (left, right - 1)
            rows[y][x] = WHITE if edge else colour


for number, (left, top, up) in enumerate([(30, 100, False), (100, 80, True), (170, 70, False)]):
    frame = sky()
    if number > 0:
        bird(frame, left, top, up)
    write("intro-%d.png" % (number + 1), frame)
last = sky()
bird(last, 230, 60, True)
box(last, 140, 40, 164, 110, STOP_RED)       # hot spot [140, 40, 164, 110]: stop
box(last, 140, 146, 164, 216, AGAIN_GREEN)   # hot spot [140, 146, 164, 216]: play again
write("intro-4.png", last)
