#!/usr/bin/env bash
# Runs the storage benchmark: star files through the resource cache against SQLite on the same
# records (warm reads, cold reads, appends), and prints both and the ratio.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF -DLW_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target storage_bench >/dev/null
./build/bench/bench/storage_bench build/bench/storage-files
