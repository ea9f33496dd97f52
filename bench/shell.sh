#!/usr/bin/env bash
# Runs the shell benchmark: main loop passes on the headless platform against a bare message
# pump, and presenting (the palette conversion of the window backend and the headless present)
# against memcpy of the same pixels, and prints the tables.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF -DLW_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target shell_bench >/dev/null
./build/bench/bench/shell_bench
