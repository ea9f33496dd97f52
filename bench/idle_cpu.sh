#!/usr/bin/env bash
# Measures how much processor time titleplayer takes while a title sits idle in a real window:
# the sample title plays in a window on a virtual X display (Xvfb) and, after a second to settle,
# the script reads the player's user and system time from /proc/PID/stat, waits SECONDS, reads
# it again and prints the difference as a share of one core. A player that sleeps between ticks
# stays within a few percent; one that spins takes a whole core.
#
# Usage: bash bench/idle_cpu.sh [BUILD_DIR] [SECONDS]   (defaults: build/release, 10)
# BUILD_DIR is made as a release build when it holds no titleplayer yet.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
seconds=${2:-10}
player_binary=$build/src/apps/titleplayer/titleplayer
title=$build/examples/sample-title

if [ ! -x "$player_binary" ] || [ ! -f "$title/bootfile" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target titleplayer sample_title >/dev/null
fi
command -v Xvfb >/dev/null || { echo "idle_cpu.sh: needs Xvfb (apt-get install xvfb)" >&2; exit 1; }

# The user and system time of a process so far, in clock ticks (fields 14 and 15 of its stat).
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 3>"$display_file" >/dev/null 2>&1 &
xvfb=$!
player=""
trap 'kill $player $xvfb 2>/dev/null; rm -f "$display_file"' EXIT
for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
display=:$(head -n1 "$display_file")

DISPLAY=$display "$player_binary" --windowed "$title" &
player=$!
sleep 1
before=$(cpu_ticks "$player")
sleep "$seconds"
after=$(cpu_ticks "$player")
hertz=$(getconf CLK_TCK)
awk -v used=$((after - before)) -v hz="$hertz" -v s="$seconds" 'BEGIN {
  printf "titleplayer, sample title idle in a window for %d s: %.2f s of processor time, %.1f%% of a core\n",
         s, used / hz, 100 * used / hz / s }'
