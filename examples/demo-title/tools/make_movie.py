#!/usr/bin/env python3
"""Draws the frames of the demo title's opening movie, 320 x 200 indexed PNGs in the palette of
drawing.py, into examples/demo-title/movie (or the folder given): the lighthouse at night with
its beam sweeping from left to right, the lamp flickering, and the lamp gone out. Every frame has the SKIP box at the
place of its hot spot in the manifest ([172, 262, 194, 314]).
    python3 examples/demo-title/tools/make_movie.py [FOLDER]
"""
import os
import sys

from drawing import (BRASS, HERE, INK, LAMP, NIGHT, PARCH, RAMP, RUST, SEA, STAR, WALL, WHITE,
                     Canvas, noise, palette, write_png)

WIDTH, HEIGHT = 320, 200
HORIZON = 130
LAMP_AT = (58, 250)  # (y, x)
SKIP_BOX = (172, 262, 194, 314)


def night(lamp):
    c = Canvas(WIDTH, HEIGHT)
    c.gradient(0, HORIZON, NIGHT, 0, RAMP - 10)
    for n in range(50):
        c.put(noise(n, 1, 8) * WIDTH // 256, noise(n, 2, 8) * HORIZON // 256, STAR)
    c.gradient(HORIZON, HEIGHT, SEA, 12, 2)
    for y in range(HORIZON + 4, HEIGHT, 7):
        for x in range(0, WIDTH, 32):
            shift = noise(x, y, 6) % 24
            c.rect(y, x + shift, y + 1, x + shift + 4 + (y - HORIZON) // 6, SEA + 24)
    c.disc(HEIGHT + 40, 260, 80, WALL + 6)
    c.rect(70, 238, 170, 262, WHITE)
    for top in range(86, 170, 32):
        c.rect(top, 238, top + 16, 262, RUST)
    c.rect(50, 240, 68, 260, LAMP if lamp else INK)
    c.rect(44, 234, 50, 266, RUST)
    return c


def beam(c, towards_x, width):
    """A wedge of light from the lamp to the point (`towards_x`, the horizon's height above)."""
    ly, lx = LAMP_AT
    for x in range(WIDTH):
        if (x - lx) * (towards_x - lx) <= 0:
            continue
        span = abs(x - lx) * width // 100
        for y in range(ly - span // 2, ly + span // 2 + 1):
            if 0 <= y < HORIZON and c.get(x, y) != STAR:
                c.put(x, y, min(c.get(x, y) + 12, NIGHT + RAMP - 1))


def skip_box(c):
    top, left, bottom, right = SKIP_BOX
    c.rect(top, left, bottom, right, INK)
    c.frame(top, left, bottom, right, BRASS, 2)
    c.centred_text(top + 4, "SKIP", PARCH, 2, left, right)


def frames():
    sweep = [(0, 30), (120, 60), (310, 40)]  # the beam's far end and width, left to right
    pictures = []
    for towards, width in sweep:
        c = night(True)
        beam(c, towards, width)
        pictures.append(c)
    flicker = night(True)
    beam(flicker, 310, 12)
    pictures.append(flicker)
    dark = night(False)
    dark.centred_text(14, "THE LAMP WENT OUT", LAMP, 2)
    pictures.append(dark)
    for c in pictures:
        skip_box(c)
    return pictures


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(HERE), "movie")
    os.makedirs(folder, exist_ok=True)
    for number, picture in enumerate(frames(), start=1):
        write_png(os.path.join(folder, "opening-%d.png" % number), picture, palette())


if __name__ == "__main__":
    main()
