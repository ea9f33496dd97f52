#!/usr/bin/env bash
# Runs the figure drawing benchmark: a scene-view frame with 40 scaled 3-D figures, against a
# plain copy of the 512 x 264 view, and prints the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF -DLW_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target figures_bench >/dev/null
./build/bench/bench/figures_bench
