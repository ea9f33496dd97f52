#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 600), both at once,
# from seed corpora made of the repository's scripts. Prints each target's last status line;
# crashes are written to fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
bash scripts/install-deps.sh fuzz
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLW_FUZZ=ON -DLW_TESTS=OFF >/dev/null
cmake --build build/fuzz -j2 >/dev/null

# Seeds: every script source of the repository as text, and compiled (with a mode byte) for the
# interpreter.
mkdir -p fuzz/corpus-tokenizer fuzz/corpus-interpreter fuzz/artifacts
for source in examples/*.lws bench/workloads/*.lws; do
  name=$(basename "$source" .lws)
  tr '\n' '\r' <"$source" >"fuzz/corpus-tokenizer/$name"
  if ./build/fuzz/src/apps/titlekit/titlekit compile "$source" -o "/tmp/lw-seed-$name"; then
    { printf '\005'; cat "/tmp/lw-seed-$name"; } >"fuzz/corpus-interpreter/$name"
    rm -f "/tmp/lw-seed-$name"
  fi
done

run() {
  local target=$1 corpus=$2
  ./build/fuzz/fuzz/"$target" -max_total_time="$seconds" -artifact_prefix=fuzz/artifacts/ \
    -print_final_stats=1 "$corpus" >"build/fuzz/$target.log" 2>&1 || true
  echo "$target: $(grep -E '^stat::number_of_executed_units' "build/fuzz/$target.log")," \
    "$(grep -cE 'ERROR|SUMMARY|crash-|leak-' "build/fuzz/$target.log") error lines"
}
run tokenizer_fuzz fuzz/corpus-tokenizer &
run interpreter_fuzz fuzz/corpus-interpreter &
wait
