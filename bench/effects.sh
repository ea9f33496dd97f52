#!/usr/bin/env bash
# Runs the visual effects benchmark: each effect over the stage, its pauses taken out, against
# one plain copy of the stage, as time per copied pixel, and prints the table.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF -DLW_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target effects_bench >/dev/null
./build/bench/bench/effects_bench
