#!/usr/bin/env bash
# Runs the composition benchmark: a frame of the whole 640 x 480 screen and a frame of one
# 32 x 32 dirty rectangle, each against memcpy of the same area, and prints the table.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF -DLW_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target compose_bench >/dev/null
./build/bench/bench/compose_bench
