#!/usr/bin/env bash
# The memory of the interpreter's pre-decoded form against the tokens it is made from: the sample
# title's scripts together, and a generated script of 5,000 lines (goal: at most 4 times).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF -DLW_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target decoded_size >/dev/null
./build/bench/bench/decoded_size examples/sample-title/scripts/*.lws
