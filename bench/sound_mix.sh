#!/usr/bin/env bash
# Runs the sound mixing benchmark: four 22050 Hz tracks with volume and pan mixed into one output
# buffer, against a plain loop that sums four decoded buffers with a gain, and prints the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF -DLW_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target sound_mix_bench >/dev/null
./build/bench/bench/sound_mix_bench
