#!/usr/bin/env bash
# Runs the motion benchmark: one motion step with 16 walks, 16 balls and 32 loops busy, against
# a composition of the whole 640 x 480 screen, and prints the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF -DLW_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target motion_bench >/dev/null
./build/bench/bench/motion_bench
