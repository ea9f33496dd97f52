#!/usr/bin/env bash
# Runs the interpreter benchmarks and the same workloads in Lua 5.4 on this machine, and prints
# our time, Lua's time and their ratio for each workload.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF -DLW_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target interpreter_bench >/dev/null

json=$(mktemp)
trap 'rm -f "$json"' EXIT
./build/bench/bench/interpreter_bench --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=json >"$json"

printf '%-8s %12s %12s %8s\n' workload "ours (ms)" "lua (ms)" ratio
for spec in "Loop loop 1000000" "Fib fib 25" "Text text 100000"; do
  set -- $spec
  ours_ns=$(python3 -c "import json,sys; d=json.load(open('$json'));
print([b for b in d['benchmarks'] if b['name']=='BM_$1_median'][0]['real_time']*1e6)")
  lua_ns=$(lua5.4 bench/peers/time.lua "$2" "$3" 5)
  python3 -c "o=$ours_ns; l=$lua_ns; print(f'{\"$2\":<8} {o/1e6:12.2f} {l/1e6:12.2f} {o/l:8.2f}')"
done
