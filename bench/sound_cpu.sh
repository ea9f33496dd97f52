#!/usr/bin/env bash
# Measures how much processor time titleplayer takes to play sound in a real window: the bench
# title of bench/workloads/sound-title loops a theme from its boot and starts two effects every
# half second (a click on one effect channel, a chime over itself on the other), so that all
# three tracks mix most of the time. It plays in a window on a virtual X display (Xvfb) through
# SDL's dummy audio driver (a real device thread, its samples thrown away), then the same with
# --mute (no device: the sound output keeps time by the clock), then the sample title, which sits
# idle with its theme. For each, after a second to settle, the script reads the player's user and
# system time from /proc/PID/stat, waits SECONDS, reads it again and prints the difference as a
# share of one core.
#
# Usage: bash bench/sound_cpu.sh [BUILD_DIR] [SECONDS]   (defaults: build/release, 10)
# BUILD_DIR is made as a release build when it holds no titleplayer, titlekit or sample title.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
seconds=${2:-10}
player_binary=$build/src/apps/titleplayer/titleplayer
titlekit_binary=$build/src/apps/titlekit/titlekit
sample_title=$build/examples/sample-title

if [ ! -x "$player_binary" ] || [ ! -x "$titlekit_binary" ] || [ ! -f "$sample_title/bootfile" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target titleplayer titlekit sample_title >/dev/null
fi
command -v Xvfb >/dev/null || { echo "sound_cpu.sh: needs Xvfb (apt-get install xvfb)" >&2; exit 1; }

scratch=$(mktemp -d)
sound_title=$scratch/sound-title
"$titlekit_binary" build bench/workloads/sound-title/title.json -o "$sound_title" >/dev/null

# The user and system time of a process so far, in clock ticks (fields 14 and 15 of its stat).
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

Xvfb -displayfd 3 -screen 0 1280x1024x24 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
player=""
trap 'kill $player $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
display=:$(head -n1 "$scratch/display")
hertz=$(getconf CLK_TCK)

# Plays a title with the arguments given and prints its share of a core, labelled $1.
measure() {
  local label=$1
  shift
  SDL_AUDIODRIVER=dummy DISPLAY=$display "$player_binary" --windowed "$@" &
  player=$!
  sleep 1
  local before after
  before=$(cpu_ticks "$player")
  sleep "$seconds"
  after=$(cpu_ticks "$player")
  kill "$player"
  wait "$player" || true
  player=""
  awk -v label="$label" -v used=$((after - before)) -v hz="$hertz" -v s="$seconds" 'BEGIN {
    printf "%-46s %6.2f s of processor time in %d s, %5.1f%% of a core\n",
           label, used / hz, s, 100 * used / hz / s }'
}

measure "theme and two effects, SDL dummy driver:" "$sound_title"
measure "theme and two effects, --mute:" --mute "$sound_title"
measure "sample title idle with its theme, dummy driver:" "$sample_title"
