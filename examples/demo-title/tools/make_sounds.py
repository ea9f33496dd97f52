#!/usr/bin/env python3
"""Makes the demo title's sounds as 8-bit mono WAV files at 22050 Hz in
examples/demo-title/sounds: the theme (a phrase in A minor over the hush of the sea, made to
loop without a click), the buttons' tick, the bell of a new game, the match that lights the
lantern, the opening movie's foghorn, and two spoken lines (espeak-ng). A folder given is
written instead, and --without-voices leaves out the spoken lines (which only espeak-ng makes):
    python3 examples/demo-title/tools/make_sounds.py [--without-voices] [FOLDER]
"""
import math
import os
import struct
import subprocess
import sys
import wave

from drawing import HERE

RATE = 22050
FOLDER = os.path.join(os.path.dirname(HERE), "sounds")


def write(name, samples):
    """Writes samples in -1..1 as an 8-bit mono WAV file."""
    with wave.open(os.path.join(FOLDER, name), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(1)
        out.setframerate(RATE)
        out.writeframes(bytes(max(0, min(255, round(128 + 110 * s))) for s in samples))


def hush(count, seed=1):
    """The sea: random values smoothed twice, swelling and ebbing twice over `count` samples;
    a fixed seed keeps the file the same from run to run."""
    state, smooth, smoother, out = seed, 0.0, 0.0, []
    for i in range(count):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        smooth += 0.08 * ((state / 0x7FFFFFFF) * 2 - 1 - smooth)
        smoother += 0.08 * (smooth - smoother)
        out.append(smoother * (0.6 + 0.4 * math.sin(4 * math.pi * i / count)))
    return out


def tone(frequency, count, attack=0.01, decay=2.5):
    """A soft bell-like note: a fundamental and its octave, rising quickly and dying away."""
    rise = max(1, int(RATE * attack))
    return [min(1.0, i / rise) * math.exp(-decay * i / RATE) *
            (math.sin(2 * math.pi * frequency * i / RATE) +
             0.25 * math.sin(4 * math.pi * frequency * i / RATE)) / 1.25
            for i in range(count)]


def theme():
    """Eight beats of half a second; every note and the sea end at zero with the loop."""
    beat = RATE // 2
    melody = [220, 262, 330, 294, 262, 247, 220, 165]  # A3 C4 E4 D4 C4 B3 A3 E3
    total = beat * len(melody)
    mix = [0.25 * h for h in hush(total)]
    for n, f in enumerate(melody):
        # Each note lasts until the loop ends so it fades rather than stops.
        for i, v in enumerate(tone(f, min(beat * 2, total - n * beat))):
            mix[n * beat + i] += 0.45 * v
    fade = RATE // 20
    for i in range(fade):  # meet at silence at both ends
        mix[i] *= i / fade
        mix[total - 1 - i] *= i / fade
    return mix


def foghorn():
    count = int(RATE * 1.6)
    return [0.7 * min(1.0, i / 3000) * min(1.0, (count - i) / 5000) *
            (math.sin(2 * math.pi * 98 * i / RATE) + 0.5 * math.sin(2 * math.pi * 196 * i / RATE) +
             0.2 * math.sin(2 * math.pi * 294 * i / RATE)) / 1.7 for i in range(count)]


def strike():
    """A match: a short scratch of noise, then the soft roar of the flame."""
    scratch = [v * 6 * math.exp(-30 * i / RATE) for i, v in enumerate(hush(RATE // 5, seed=7))]
    flame = [v * 3 * min(1.0, i / 2000) * math.exp(-3 * i / RATE)
             for i, v in enumerate(hush(RATE // 2, seed=11))]
    return scratch + flame


def speak(name, text, voice):
    raw = os.path.join(FOLDER, name + ".raw")
    subprocess.run(["espeak-ng", "-v", voice, "-s", "135", "-w", raw, text], check=True)
    with wave.open(raw, "rb") as f:
        frames, rate = f.readframes(f.getnframes()), f.getframerate()
    os.remove(raw)
    values = [v / 32768 for (v,) in struct.iter_unpack("<h", frames)]
    # espeak-ng speaks at 22050 Hz; other rates are taken sample by sample.
    write(name, values if rate == RATE else values[::max(1, rate // RATE)])


def main():
    global FOLDER
    arguments = [a for a in sys.argv[1:] if a != "--without-voices"]
    FOLDER = arguments[0] if arguments else FOLDER
    os.makedirs(FOLDER, exist_ok=True)
    write("theme.wav", theme())
    write("tick.wav", tone(1500, RATE // 14, attack=0.001, decay=45))
    bell = zip(tone(660, RATE, decay=3), tone(990, RATE, decay=4))
    write("bell.wav", [0.6 * (a + b) for a, b in bell])
    write("strike.wav", strike())
    write("foghorn.wav", foghorn())
    if "--without-voices" in sys.argv:
        return
    speak("welcome.wav", "Welcome, keeper. The night is long.", "en+m2")
    speak("lamp-out.wav", "The lamp in the tower has gone out. Light your lantern, and find oil.",
          "en+m2")


if __name__ == "__main__":
    main()
