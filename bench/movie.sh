#!/usr/bin/env bash
# Runs the movie playback benchmark: a 640 x 480 movie's frames decoded and shown with the plain
# transition, without waits, against memcpy of the decoded frames, and prints the frame rates.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF -DLW_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target movie_bench >/dev/null
./build/bench/bench/movie_bench
