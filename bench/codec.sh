#!/usr/bin/env bash
# Runs the codec benchmark: frame decoding against memcpy and libavcodec's qtrle on the same
# clips, compressed sizes, sprite drawing and sound decoding, and prints the tables.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF -DLW_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target codec_bench >/dev/null
./build/bench/bench/codec_bench
