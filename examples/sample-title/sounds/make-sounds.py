#!/usr/bin/env python3
"""Makes the sample title's sounds: two theme parts (an opening phrase and a phrase that loops),
a click and a chime for the buttons, and a spoken welcome (espeak-ng). Mono WAV files at
22050 Hz, 8-bit, written beside this script. Run it again to remake them."""
import math
import os
import struct
import subprocess
import wave

RATE = 22050
HERE = os.path.dirname(os.path.abspath(__file__))


def write(name, samples):
    """Writes samples in -1..1 as an 8-bit mono WAV file."""
    with wave.open(os.path.join(HERE, name), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(1)
        out.setframerate(RATE)
        out.writeframes(bytes(max(0, min(255, round(128 + 100 * s))) for s in samples))


def note(frequency, seconds, level=0.5, decay=3.0):
    """A plucked tone: a fundamental and two overtones, dying away."""
    count = int(RATE * seconds)
    return [level * math.exp(-decay * i / RATE) *
            (math.sin(2 * math.pi * frequency * i / RATE) +
             0.3 * math.sin(4 * math.pi * frequency * i / RATE) +
             0.1 * math.sin(6 * math.pi * frequency * i / RATE)) / 1.4
            for i in range(count)]


def phrase(frequencies, beat):
    samples = []
    for f in frequencies:
        samples += note(f, beat) if f else [0.0] * int(RATE * beat)
    return samples


# A pentatonic phrase in G: the opening plays once, the loop after it for ever.
write("theme-opening.wav", phrase([392, 440, 494, 587, 659, 587, 494, 440], 0.25))
write("theme-loop.wav", phrase([392, 0, 494, 587, 440, 0, 392, 330], 0.25))
write("click.wav", note(1200, 0.08, level=0.6, decay=40))
write("chime.wav", [a + b for a, b in zip(note(880, 0.6, 0.4, 5), note(1320, 0.6, 0.3, 6))])
subprocess.run(["espeak-ng", "-s", "150", "-w", os.path.join(HERE, "welcome-raw.wav"),
                "Welcome to the sample title."], check=True)
with wave.open(os.path.join(HERE, "welcome-raw.wav"), "rb") as raw:
    frames = raw.readframes(raw.getnframes())
    rate, width = raw.getframerate(), raw.getsampwidth()
values = [v / 32768 for (v,) in struct.iter_unpack("<h", frames)] if width == 2 else []
# espeak-ng speaks at 22050 Hz; other rates are taken sample by sample.
write("welcome.wav", values if rate == RATE else values[::max(1, rate // RATE)])
os.remove(os.path.join(HERE, "welcome-raw.wav"))
