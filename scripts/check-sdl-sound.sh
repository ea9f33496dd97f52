#!/usr/bin/env bash
# Checks that a real SDL audio device plays the sample title's theme without running dry. The
# title plays in a window on a virtual X display (Xvfb), first through SDL's dummy driver, then
# through its disk driver (which writes the samples to a file in a temporary folder). Each run
# lasts SECONDS from the moment the sound log says the device is open, and is then ended with
# SIGTERM, which SDL turns into the window's close request, so the runtime stops as it does when
# the window closes and writes the sound log's closing note:
#   [sound] device closed, 10.0 s played, 0 underruns
# The check fails unless that note counts 0 underruns and at least SECONDS - 1 seconds played
# (SDL's drivers pace their callbacks with sleeps, which run a little long), and the player
# exits with status 0.
#
# Usage: bash scripts/check-sdl-sound.sh [BUILD_DIR] [SECONDS]   (defaults: build/release, 10)
# BUILD_DIR is made as a release build when it holds no titleplayer yet. Without Xvfb the check
# is skipped with status 77 (scripts/install-deps.sh test installs it).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
seconds=${2:-10}
player_binary=$build/src/apps/titleplayer/titleplayer
title=$build/examples/sample-title

command -v Xvfb >/dev/null || {
  echo "check-sdl-sound.sh: skipped, needs Xvfb (apt-get install xvfb)" >&2
  exit 77
}
if [ ! -x "$player_binary" ] || [ ! -f "$title/bootfile" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target titleplayer sample_title >/dev/null
fi

scratch=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
player=""
trap 'kill $player $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
display=:$(head -n1 "$scratch/display")

# Waits up to $2 tenths of a second for the pattern $1 in the log $3; false if it never shows.
wait_for_line() {
  for _ in $(seq "$2"); do
    grep -q "$1" "$3" && return 0
    sleep 0.1
  done
  return 1
}

# Plays the sample title through SDL audio driver $1 for $seconds, ends it and checks its notes.
# A leak check at exit would only report the allocations that the desktop libraries SDL loads
# (D-Bus) keep until the process ends, so a sanitized build runs without it.
check_driver() {
  local driver=$1 log=$scratch/$1.log status=0
  SDL_AUDIODRIVER=$driver SDL_DISKAUDIOFILE=$scratch/disk.raw DISPLAY=$display \
    ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
    "$player_binary" --windowed --log sound "$title" 2>"$log" &
  player=$!
  if ! wait_for_line '^\[sound\] device open' 300 "$log"; then
    echo "check-sdl-sound.sh: $driver: no sound device opened" >&2
    cat "$log" >&2
    return 1
  fi
  sleep "$seconds"
  kill -TERM "$player"
  if ! wait_for_line '^\[sound\] device closed' 100 "$log"; then
    echo "check-sdl-sound.sh: $driver: the player did not stop on SIGTERM" >&2
    cat "$log" >&2
    return 1
  fi
  wait "$player" || status=$?
  player=""
  cat "$log"
  if [ "$status" -ne 0 ]; then
    echo "check-sdl-sound.sh: $driver: the player exited with status $status" >&2
    return 1
  fi
  grep -q "^\[sound\] device open, driver $driver," "$log" || {
    echo "check-sdl-sound.sh: $driver: the device did not open through the $driver driver" >&2
    return 1
  }
  awk -v driver="$driver" -v least=$((seconds - 1)) '
    /^\[sound\] device closed, / { played = $4; underruns = $7; seen = 1 }
    END {
      if (!seen) exit 1
      if (underruns != 0 || played < least) {
        printf "check-sdl-sound.sh: %s: %s underruns, %s s played (wanted 0 and at least %d)\n",
               driver, underruns, played, least > "/dev/stderr"
        exit 1
      }
    }' "$log"
}

check_driver dummy
check_driver disk
# The disk driver wrote every sample it was given, silence and sound alike.
written=$(stat -c %s "$scratch/disk.raw")
awk -v bytes="$written" -v least=$((seconds - 1)) 'BEGIN {
  heard = bytes / 2 / 22050
  printf "disk driver file: %.1f s of 22050 Hz 16-bit mono\n", heard
  if (heard < least) { print "check-sdl-sound.sh: the disk driver wrote too little" > "/dev/stderr"; exit 1 }
}'
echo "check-sdl-sound.sh: both drivers played ${seconds} s without an underrun"
