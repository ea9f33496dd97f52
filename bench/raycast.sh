#!/usr/bin/env bash
# Runs the set view renderer benchmark: every picture of a 10 x 10 set, one picture, and a
# memset of one picture for scale, and prints the table.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF -DLW_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target raycast_bench >/dev/null
./build/bench/bench/raycast_bench
