#!/usr/bin/env python3
"""Draws the demo title's flats, 512 x 384 indexed PNGs in the palette of drawing.py: the title
screen, the menu, the keeper's room dark and lit, and the stair. Buttons are drawn where the
manifest (title.json) puts them, so moving a button there and running this again moves its
plaque. Written into examples/demo-title/pictures, or the folder given:
    python3 examples/demo-title/tools/make_pictures.py [FOLDER]
"""
import json
import math
import os
import sys

from drawing import (BRASS, EMBER, FOAM, GLOW, HERE, INK, LAMP, NIGHT, PARCH, RAMP, RUST, SEA,
                     STAR, WALL, WHITE, Canvas, noise, palette, plaque, write_png)

TITLE = os.path.dirname(HERE)
WIDTH, HEIGHT = 512, 384
HORIZON = 262


def buttons(flat):
    """The flat's buttons from the manifest: name -> (top, left, bottom, right)."""
    with open(os.path.join(TITLE, "title.json")) as f:
        manifest = json.load(f)
    for stage in manifest["stages"]:
        for each in stage["flats"]:
            if each["name"] == flat:
                return {b["name"]: tuple(b["rect"]) for b in each.get("buttons", [])}
    raise SystemExit("title.json has no flat " + flat)


def seascape(c, beam):
    """Night sky with stars, the sea, and the lighthouse on its rock; `beam` draws its light
    sweeping left."""
    c.gradient(0, HORIZON, NIGHT, 0, RAMP - 8)
    for n in range(90):
        x, y = noise(n, 1, 3) * 2, noise(n, 2, 3) * HORIZON // 300
        c.put(x, y, STAR)
    c.gradient(HORIZON, HEIGHT, SEA, 12, 2)
    for y in range(HORIZON + 6, HEIGHT, 9):  # wave crests, longer near the shore
        for x in range(0, WIDTH, 40):
            length = 6 + (y - HORIZON) // 8
            shift = noise(x, y, 5) % 30
            c.rect(y, x + shift, y + 1, x + shift + length, SEA + 26)
    c.disc(HEIGHT + 60, 420, 120, WALL + 6)  # the rock
    c.rect(120, 398, 330, 442, WHITE)  # the tower, striped
    for top in range(150, 330, 60):
        c.rect(top, 398, top + 30, 442, RUST)
    c.rect(96, 402, 120, 438, INK)  # the lamp room and its roof
    c.rect(84, 394, 96, 446, RUST)
    c.rect(76, 410, 84, 430, RUST)
    if beam:
        c.rect(100, 408, 116, 432, LAMP)
        for x in range(40, 400):  # a wedge widening away from the lamp
            spread = (400 - x) * 3 // 20
            for y in range(108 - spread, 108 + spread // 2):
                if 0 <= y < HORIZON and c.get(x, y) != STAR:
                    c.put(x, y, min(c.get(x, y) + 10, NIGHT + RAMP - 1))


def title_screen():
    c = Canvas(WIDTH, HEIGHT)
    seascape(c, beam=True)
    c.shaded_text(24, "THE LANTERN KEEPER", LAMP, INK, 4)
    c.centred_text(348, "CLICK TO BEGIN", FOAM, 2)
    return c


def menu():
    c = Canvas(WIDTH, HEIGHT)
    seascape(c, beam=False)
    c.rect(110, 138, 360, 374, INK)
    c.frame(110, 138, 360, 374, BRASS, 2)
    c.centred_text(122, "THE LANTERN KEEPER", LAMP, 2, 138, 374)
    labels = {"new": "NEW GAME", "load": "LOAD", "sound": "SOUND", "quit": "QUIT"}
    for name, box in buttons("menu").items():
        plaque(c, box, labels[name])
    return c


# The keeper's room: each pixel a material (its ramp and a base step on it), lit by the window's
# starlight and, once lit, by the lantern on the table.
LANTERN = (196, 265)  # the flame, (y, x)


def room_material(x, y, window):
    wy, wx, wr = window
    if (y - wy) ** 2 + (x - wx) ** 2 <= wr * wr:  # the sea and sky through the window
        return (NIGHT, 20) if y < wy + 10 else (SEA, 14 + (noise(x // 6, y // 3, 2) % 6))
    if (y - wy) ** 2 + (x - wx) ** 2 <= (wr + 7) ** 2:
        return (GLOW, 30)  # the brass ring
    if 110 <= y < 290 and 400 <= x < 470:  # the door, planks and a knob
        if (y - 200) ** 2 + (x - 458) ** 2 <= 16:
            return (GLOW, 34)
        return (GLOW, 6 if (x - 400) % 18 == 0 else 12)
    if 224 <= y < 232 and 196 <= x < 336:  # the table top and legs
        return (GLOW, 18)
    if 232 <= y < 300 and (204 <= x < 212 or 320 <= x < 328):
        return (GLOW, 10)
    if y >= 290:  # floorboards
        return (GLOW, 8 + (4 if (x + (y // 16) * 37) % 64 < 2 else noise(x // 16, y // 16, 9) % 4))
    brick = (x + (16 if (y // 14) % 2 else 0)) % 40 == 0 or y % 14 == 0
    return (WALL, 10 if brick else 16 + noise(x // 4, y // 4, 4) % 5)


def light(x, y, lit):
    """How bright a point is, 0.15..1.65: starlight, and the lantern's falloff when it is lit."""
    level = 0.15
    if lit:
        distance = math.hypot(x - LANTERN[1], (y - LANTERN[0]) * 1.3)
        level += 1.5 * max(0.0, 1 - distance / 250)
    return level


def lantern(c, lit):
    top, left = 168, 248
    c.rect(top - 8, left + 8, top, left + 26, BRASS)  # the handle and cap
    c.rect(top, left, top + 4, left + 34, BRASS)
    c.rect(top + 4, left + 3, top + 50, left + 31, LAMP if lit else INK)
    c.frame(top + 4, left + 3, top + 50, left + 31, BRASS, 2)
    c.rect(top + 50, left, top + 56, left + 34, BRASS)
    if lit:
        c.disc(top + 30, left + 17, 7, EMBER)
        c.disc(top + 32, left + 17, 4, WHITE)


def room(lit):
    c = Canvas(WIDTH, HEIGHT)
    window = (120, 140, 48)
    for y in range(HEIGHT):
        for x in range(WIDTH):
            ramp, step = room_material(x, y, window)
            glass = ramp in (NIGHT, SEA)
            level = 1.0 if glass else light(x, y, lit)
            c.pixels[y * WIDTH + x] = ramp + min(RAMP - 1, int(step * level * 1.6))
    lantern(c, lit)
    plaque(c, buttons("room")["menu"], "MENU", 2)
    c.centred_text(356, "THE KEEPER'S ROOM", PARCH if lit else WALL + 20, 2)
    return c


def stair():
    """The stair up the tower: steps turning up the left wall, the oil can on the fourth."""
    c = Canvas(WIDTH, HEIGHT)
    c.gradient(0, HEIGHT, WALL, 4, 22)
    for n in range(8):
        top, left = 330 - n * 38, 60 + n * 28
        c.rect(top, left, top + 10, left + 200 - n * 12, WALL + 30 - n * 2)
        c.rect(top + 10, left, top + 38, left + 200 - n * 12, WALL + 12)
    c.rect(0, 300, 384, 316, WALL + 8)  # the central column
    can = buttons("stair")["oilcan"]
    top, left, bottom, right = can
    c.rect(top + 12, left + 6, bottom, right - 6, RUST)
    c.rect(top + 4, left + 16, top + 12, right - 16, BRASS)
    c.rect(top + 6, right - 6, top + 10, right + 4, BRASS)  # the spout
    c.centred_text(16, "THE STAIR", PARCH, 3)
    plaque(c, buttons("stair")["back"], "BACK", 2)
    plaque(c, buttons("stair")["menu"], "MENU", 2)
    return c


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(TITLE, "pictures")
    os.makedirs(folder, exist_ok=True)
    colours = palette()
    for name, draw in (("title", title_screen), ("menu", menu), ("room", lambda: room(False)),
                       ("room-lit", lambda: room(True)), ("stair", stair)):
        write_png(os.path.join(folder, name + ".png"), draw(), colours)


if __name__ == "__main__":
    main()
