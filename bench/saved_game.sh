#!/usr/bin/env bash
# Runs the saved-game benchmark: saving and opening a game of 100 actors, 100 props and 1,000
# globals, against one write() and fsync() of the saved file's bytes, and prints the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF -DLW_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target saved_game_bench >/dev/null
./build/bench/bench/saved_game_bench
