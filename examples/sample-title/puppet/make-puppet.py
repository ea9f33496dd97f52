#!/usr/bin/env python3
"""Makes the sample title's talking puppet, an owl on a branch: the 512 x 264 background, three
beak pictures for the mouth (closed, half open, open), the 512 x 120 band picture under the
bevels, the owl's spoken lines and idle hum, and the player's two lines (espeak-ng). The PNGs are
8-bit indexed in the title's palette (pictures/menu.png), the WAVs 8-bit mono at 22050 Hz, all
written beside this script. Run it again to remake them.

The owl's script (scripts/owl.lws) holds only an empty openpuppet() handler: the script language
has no comments, so the conversation's notes live here. The player lines' texts are the bevel
texts the conversation offers."""
import os
import struct
import subprocess
import wave
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
TITLE = os.path.dirname(HERE)
RATE = 22050

# Indices of the title's palette.
BLACK, GOLD, NAVY, CREAM, NIGHT, WHITE = 0, 1, 2, 6, 5, 255
SKY = 16       # 16..79: dark blue to pale blue
STONE = 80     # 80..143: dark to light grey-brown
LEAF = 144     # 144..207: dark to light green
BEAK_AT = (124, 236)   # the mouth's top-left corner in the picture ([v, h]; hot spot [0, 0])
BEAK_W, BEAK_H = 40, 36


def title_palette():
    """The PLTE chunk of the title's palette picture, so the pictures carry the same colours."""
    with open(os.path.join(TITLE, "pictures", "menu.png"), "rb") as f:
        data = f.read()
    at = 8
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        if kind == b"PLTE":
            return data[at + 8:at + 8 + length]
        at += 12 + length
    raise SystemExit("menu.png has no palette")


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def write_png(name, rows):
    """Writes rows of palette indices as an 8-bit indexed PNG."""
    header = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 3, 0, 0, 0)
    data = zlib.compress(b"".join(b"\0" + bytes(row) for row in rows), 9)
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"PLTE", title_palette()) +
                  chunk(b"IDAT", data) + chunk(b"IEND", b""))


def inside(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 < 1


def background():
    rows = [[SKY + min(63, 20 + y // 5)] * 512 for y in range(264)]
    for y in range(264):
        for x in range(512):
            # Leaves at both sides, the branch the owl sits on, then the owl.
            if inside(x, y, 40, 60, 90, 70) or inside(x, y, 480, 40, 80, 60):
                rows[y][x] = LEAF + 10 + (x * 7 + y * 3) % 17
            if 226 <= y < 248 and abs(y - 237 - (x - 256) // 24) < 11:
                rows[y][x] = STONE + 8 + (x // 6) % 6
            body = inside(x, y, 256, 170, 95, 80)
            head = inside(x, y, 256, 95, 85, 65)
            tuft = 20 < y < 50 and (abs(x - 196) < (y - 20) // 2 or abs(x - 316) < (y - 20) // 2)
            if body or head or tuft:
                rows[y][x] = STONE + 30 + ((x // 5 + y // 7) % 3) * 4
            if inside(x, y, 256, 185, 60, 55):
                rows[y][x] = CREAM if (x // 8 + y // 8) % 4 else STONE + 50
            for ex in (218, 294):
                if inside(x, y, ex, 92, 30, 30):
                    rows[y][x] = GOLD
                if inside(x, y, ex, 92, 24, 24):
                    rows[y][x] = WHITE
                if inside(x, y, ex + 3, 94, 11, 11):
                    rows[y][x] = NIGHT
            for fx in (236, 276):   # feet on the branch
                if 222 <= y < 232 and abs(x - fx) < 12:
                    rows[y][x] = GOLD
    return rows


def beak(opening):
    """The beak, `opening` rows open: the upper beak, the dark inside, the lower beak; index 0
    around it is transparent."""
    rows = [[BLACK] * BEAK_W for _ in range(BEAK_H)]
    for y in range(BEAK_H):
        for x in range(BEAK_W):
            half = abs(x - BEAK_W // 2)
            if y < 16 and half < 16 - y:
                rows[y][x] = GOLD
            elif 10 <= y < 10 + opening and half < 12 - (y - 10) // 2:
                rows[y][x] = NAVY
            elif 10 + opening <= y < 18 + opening and half < 10 - (y - 10 - opening):
                rows[y][x] = GOLD
    return rows


def band():
    rows = []
    for y in range(120):
        shade = STONE + 20 + (y * 30) // 120 + (3 if y % 12 < 2 else 0)
        rows.append([STONE + 60 if y < 3 else shade] * 512)
    return rows


def write_wav(name, values):
    """Writes samples in -1..1 as an 8-bit mono WAV file."""
    with wave.open(os.path.join(HERE, name), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(1)
        out.setframerate(RATE)
        out.writeframes(bytes(max(0, min(255, round(128 + 100 * v))) for v in values))


def speak(name, text, voice="en"):
    raw = os.path.join(HERE, name + ".raw.wav")
    subprocess.run(["espeak-ng", "-v", voice, "-s", "140", "-w", raw, text], check=True)
    with wave.open(raw, "rb") as f:
        frames = f.readframes(f.getnframes())
        rate = f.getframerate()
    os.remove(raw)
    values = [v / 32768 for (v,) in struct.iter_unpack("<h", frames)]
    # espeak-ng speaks at 22050 Hz; other rates are taken sample by sample.
    write_wav(name, values if rate == RATE else values[::max(1, rate // RATE)])


write_png("owl.png", background())
for number, opening in enumerate((0, 4, 9)):
    write_png("beak-%d.png" % number, beak(opening))
write_png("band.png", band())
speak("hello.wav", "Welcome to the garden, traveller.", "en+m3")
speak("garden.wav", "The roses by the pond are older than I am. Mind the robin; he bites.",
      "en+m3")
speak("bye.wav", "Farewell, and close the gate behind you.", "en+m3")
speak("hmm.wav", "Hmmmm...", "en+m3")
speak("ask-garden.wav", "Tell me about the garden.", "en+f3")
speak("goodbye.wav", "Goodbye.", "en+f3")
