#!/usr/bin/env bash
# Runs the puppet benchmark: a lip-sync step over the whole 512 x 264 picture and one over the
# beak, each drawn and shown over the stage, against memcpy of the same area, and prints the
# table.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF -DLW_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target puppet_bench >/dev/null
./build/bench/bench/puppet_bench
