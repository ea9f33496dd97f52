#!/usr/bin/env bash
# Runs the tokenizer benchmark: compiles generated sources of 10,000 and 100,000 lines and prints
# the times, their ratio (near 10 when compiling is linear) and the output's size and hash.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF -DLW_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target tokenizer_bench >/dev/null
./build/bench/bench/tokenizer_bench
