#!/usr/bin/env bash
# Measures the sound record encoder on real speech: espeak-ng speaks a few sentences (22050 Hz,
# 16-bit mono), which are encoded at each record rate and decoded by the runtime's decoder.
# Prints, per rate, the record's size against the 16-bit source, the signal-to-noise ratio of
# the round trip against plain 7-bit rounding (the best a record holds) and against the
# unquantised source at the record's rate, the ceiling that 7-bit rounding itself reaches, and
# the encoding time.
# Usage: bench/sound_snr.sh [WAV]   (default: the speech made here)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/sound-snr -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_BENCH=ON -DLW_TESTS=OFF \
  >/dev/null
cmake --build build/sound-snr -j2 --target sound_snr >/dev/null

wav=${1:-build/sound-snr/speech.wav}
if [ $# -eq 0 ]; then
  espeak-ng -w "$wav" "The quick brown fox jumps over the lazy dog. Sound records keep seven \
bits of every sample, coded in blocks of a fixed size. Welcome to the museum of flight; please \
choose a gallery to begin your tour."
fi
./build/sound-snr/bench/sound_snr "$wav"
