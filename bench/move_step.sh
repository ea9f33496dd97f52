#!/usr/bin/env bash
# Runs the set move step benchmark: decoding a view picture and composing the view, against a
# plain copy of the 512 x 264 view, and prints the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF -DLW_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target move_step_bench >/dev/null
./build/bench/bench/move_step_bench
