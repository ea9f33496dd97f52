#!/usr/bin/env bash
# Runs the interpreter benchmarks and the same workloads in Lua 5.4 on this machine, and prints
# our time, Lua's time and their ratio for each workload (the median of 5 runs of each), then
# the same workloads run by the token walk alone against the pre-decoded engine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF -DLW_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target interpreter_bench >/dev/null

csv=$(./build/bench/bench/interpreter_bench --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null)

printf '%-8s %12s %12s %8s\n' workload "ours (ms)" "lua (ms)" ratio
# Each line: benchmark name, peer workload, argument (the same as in interpreter_bench.cpp).
while read -r bench workload argument; do
  ours_ms=$(printf '%s\n' "$csv" | awk -F, -v n="\"${bench}_median\"" '$1 == n { print $3 }')
  lua_ns=$(lua5.4 bench/peers/time.lua "$workload" "$argument" 5)
  awk -v w="$workload" -v o="$ours_ms" -v l="$lua_ns" \
    'BEGIN { printf "%-8s %12.2f %12.2f %8.2f\n", w, o, l / 1e6, o / (l / 1e6) }'
done <<'LIST'
BM_Loop loop 1000000
BM_Fib fib 25
BM_Text text 100000
BM_Chain chain 100000
LIST

# The token walk alone, the engine before pre-decoding, in the same run.
printf '\n%-8s %12s %12s %8s\n' workload "walk (ms)" "decoded (ms)" speedup
for pair in Loop:loop Fib:fib Text:text Chain:chain; do
  bench=${pair%%:*}
  walk_ms=$(printf '%s\n' "$csv" | awk -F, -v n="\"BM_${bench}Walk_median\"" '$1 == n { print $3 }')
  ours_ms=$(printf '%s\n' "$csv" | awk -F, -v n="\"BM_${bench}_median\"" '$1 == n { print $3 }')
  awk -v w="${pair##*:}" -v a="$walk_ms" -v b="$ours_ms" \
    'BEGIN { printf "%-8s %12.2f %12.2f %8.2f\n", w, a, b, a / b }'
done
