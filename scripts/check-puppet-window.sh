#!/usr/bin/env bash
# Checks that the sample title's owl holds its conversation in a real window. titleplayer plays
# the built sample title in a window on a virtual X display (Xvfb) through SDL's dummy audio
# driver, and xdotool clicks as a player would: ABOUT on the menu, TALK on the about flat, the
# first reply ("Tell me about the garden."), then "Goodbye." (the only reply left, in the first
# row), then BACK on the about flat and QUIT on the menu. Each click waits until what came before
# it is over: the owl's line has been spoken (its beak has moved and then been still for a
# second).
#
# The check fails unless:
#   - the owl's beak moved through each of its three lines ("hello", "garden", "bye") for about
#     as long as the line's voice lasts (from 1 s short of its WAV's length, whose end is the
#     mouth's rest, to 1.5 s past it): a line is paced by the sound the device has played, and a
#     voice that does not load moves no beak;
#   - the bevel band and the subtitle strip were presented;
#   - the reply clicks went to the owl and not to the stage (the handler calls traced are the
#     four button clicks: ABOUT, TALK, BACK, QUIT), so the about flat took BACK after the owl
#     closed, and the menu then took QUIT;
#   - the player exits by itself with status 0 within TIMEOUT seconds, and its sound log opened
#     the device through the dummy driver and closed it with 0 underruns.
#
# Usage: bash scripts/check-puppet-window.sh [BUILD_DIR] [TIMEOUT]   (defaults: build/release, 60)
# BUILD_DIR is made as a release build when it holds no titleplayer or sample title yet (a
# configured BUILD_DIR keeps its own settings). Without Xvfb or xdotool the check is skipped with
# status 77 (scripts/install-deps.sh test installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
limit=${2:-60}
player_binary=$build/src/apps/titleplayer/titleplayer
title=$build/examples/sample-title
voices=examples/sample-title/puppet

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || {
    echo "check-puppet-window.sh: skipped, needs $tool (bash scripts/install-deps.sh test)" >&2
    exit 77
  }
done
if [ ! -x "$player_binary" ] || [ ! -f "$title/TALK.PUP" ]; then
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF >/dev/null
  fi
  cmake --build "$build" -j2 --target titleplayer sample_title >/dev/null
fi

check=check-puppet-window
source "$(dirname "$0")/window-check.sh"
start_display

# A leak check at exit would only report what the desktop libraries SDL loads keep until the
# process ends, so a sanitized build runs without it.
log=$scratch/player.log
trace=$scratch/trace
SDL_AUDIODRIVER=dummy DISPLAY=$display ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
  timeout "$limit" "$player_binary" --windowed --log sound --trace-calls --trace-present \
  "$title" >"$trace" 2>"$log" &
player=$!

fail() {
  echo "check-puppet-window.sh: $*" >&2
  cat "$log" >&2
  exit 1
}

# Waits up to $2 tenths of a second for the pattern $1 in the file $3; false if it never shows.
wait_for_line() {
  for _ in $(seq "$2"); do
    grep -q "$1" "$3" && return 0
    sleep 0.1
  done
  return 1
}

# The screen rectangles of the trace ('present TICK: LEFT,TOP RIGHT,BOTTOM'): the stage lies at
# 64,48 and the owl's beak at 236,124 in its picture, 40 x 36; the subtitle strip is the
# picture's last 40 rows, the bevel band the 120 rows under the picture.
beak=': 300,172 340,208$'
subtitle=': 64,272 576,312$'
band=': 64,312 576,432$'

beak_presents() { grep -c -- "$beak" "$trace" || true; }

# Waits until the beak has moved after present $1 of it and then been still for a second.
await_line() {
  local before=$1 seen last="" quiet=0
  for _ in $(seq $((limit * 10))); do
    kill -0 "$player" 2>/dev/null || return 0
    seen=$(beak_presents)
    if [ "$seen" -gt "$before" ] && [ "$seen" = "$last" ]; then
      quiet=$((quiet + 1))
      [ "$quiet" -ge 10 ] && return 0
    else
      quiet=0
    fi
    last=$seen
    sleep 0.1
  done
}

# Clicks screen point ($1, $2) of the 640 x 480 canvas, scaled to the window's size.
click_canvas() {
  local window geometry width height
  # By its class: a search by name finds the display's root window first, whose size is not the
  # player window's.
  window=$(DISPLAY=$display xdotool search --onlyvisible --class titleplayer 2>/dev/null |
    head -n1 || true)
  [ -n "$window" ] || fail "no window to click"
  geometry=$(DISPLAY=$display xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
  width=${geometry%x*}
  height=${geometry#*x}
  DISPLAY=$display xdotool mousemove --window "$window" $(($1 * width / 640)) \
    $(($2 * height / 480)) click 1
}

# The ticks from the first to the last beak present after present $1 and up to present $2.
beak_span() {
  grep -- "$beak" "$trace" | sed -n "$(($1 + 1)),$2p" |
    awk '{ sub(":", "", $2); if (first == "") first = $2; last = $2 } END { print last - first }'
}

wait_for_line '^\[sound\] device open' 300 "$log" || fail "no sound device opened"
# The title opens on the menu; ABOUT, then TALK once the iris has opened on the about flat.
sleep 2
click_canvas 320 326
sleep 2
click_canvas 320 392
marks=(0)
await_line 0
marks+=("$(beak_presents)")
click_canvas 320 324 # "Tell me about the garden.": the player's voice, then the owl's answer
await_line "${marks[1]}"
marks+=("$(beak_presents)")
click_canvas 320 324 # "Goodbye.": the owl's farewell, then it closes
await_line "${marks[2]}"
marks+=("$(beak_presents)")
sleep 1
click_canvas 500 392 # BACK on the about flat
sleep 2
click_canvas 320 382 # QUIT on the menu
status=0
wait "$player" || status=$?
player=""
cat "$log"

[ "$status" -ne 124 ] || fail "the player was still running after $limit s"
[ "$status" -eq 0 ] || fail "the player exited with status $status"
lines=(hello garden bye)
for i in 0 1 2; do
  wav=$voices/${lines[$i]}.wav
  span=$(beak_span "${marks[$i]}" "${marks[$((i + 1))]}")
  awk -v line="${lines[$i]}" -v bytes="$(stat -c %s "$wav")" -v span="$span" 'BEGIN {
    voice = (bytes - 44) / 22050
    moved = span / 60
    printf "%s: the beak moved for %.2f s, the voice lasts %.2f s\n", line, moved, voice
    if (moved < voice - 1 || moved > voice + 1.5) exit 1
  }' || fail "the owl's line ${lines[$i]} did not last as long as its voice"
done
grep -q -- "$subtitle" "$trace" || fail "no subtitle was presented"
grep -q -- "$band" "$trace" || fail "the bevel band was not presented"
calls=$(grep -c '^mousedown(' "$trace" || true)
[ "$calls" -eq 4 ] ||
  fail "$calls mousedown calls traced; wanted 4 (ABOUT, TALK, BACK, QUIT: the replies go to the owl)"
grep -q '^\[sound\] device open, driver dummy,' "$log" || fail "the device did not open through the dummy driver"
awk '/^\[sound\] device closed, / { seen = 1; if ($7 != 0) exit 1 } END { if (!seen) exit 1 }' \
  "$log" || fail "the device did not close, or ran dry"
echo "check-puppet-window.sh: the owl spoke its three lines with its voices in a window, took" \
  "both replies, and the about flat and the menu went on after it"
