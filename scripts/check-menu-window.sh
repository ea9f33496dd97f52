#!/usr/bin/env bash
# Checks the player menu in a real window. titleplayer plays the built sample title in a window
# on a virtual X display (Xvfb) through SDL's dummy audio driver, with a scratch XDG_CONFIG_HOME
# and XDG_PICTURES_DIR; xdotool presses F10 and drives the menu.
#
# The check fails unless:
#   - F10 opens the menu (the input log notes it with its items) and the title hears nothing of
#     F10, Down, Return and Escape (no keydown() call in the call trace);
#   - Return on Sound level lowers nothing but wraps the level from 9 to 0 (the menu's next note
#     shows "Sound level: 0"), and Escape resumes;
#   - F10, Up and Return ask to quit in a drawn box, Return answers Yes, and the player exits by
#     itself with status 0 within TIMEOUT seconds.
#
# Usage: check-menu-window.sh BUILD_DIR [TIMEOUT]   (default 60; exit 77 without Xvfb, xdotool,
# or the built player and sample title)
set -euo pipefail
build=$1
limit=${2:-60}
player_binary=$build/src/apps/titleplayer/titleplayer
title=$build/examples/sample-title

check=check-menu-window
source "$(dirname "$0")/window-check.sh"
needs_tools Xvfb xdotool
if [ ! -x "$player_binary" ] || [ ! -f "$title/bootfile" ]; then
  echo "check-menu-window: skipped, no titleplayer or sample title in $build" >&2
  exit 77
fi

start_display
mkdir -p "$scratch/config" "$scratch/pictures"

# A leak check at exit would only report what the desktop libraries SDL loads keep until the
# process ends, so a sanitized build runs without it.
log=$scratch/player.log
trace=$scratch/trace
XDG_CONFIG_HOME=$scratch/config XDG_PICTURES_DIR=$scratch/pictures SDL_AUDIODRIVER=dummy \
  DISPLAY=$display ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
  timeout "$limit" "$player_binary" --windowed --log input --trace-calls "$title" \
  >"$trace" 2>"$log" &
player=$!

fail() {
  echo "check-menu-window: $*" >&2
  grep -v '^\[input\] \(mouse move\|key\|button\)' "$log" >&2 || true
  exit 1
}

menu_notes() { grep -c '^\[input\] menu \[Player menu\]' "$log" || true; }

wait_until '[ -n "$(player_window)" ] && grep -q "^boot()" "$trace"' 200 || fail "no window"
sleep 1

press F10
wait_until '[ "$(menu_notes)" -ge 1 ]' 50 || fail "F10 opened no menu"
grep -q '^\[input\] menu \[Player menu\] Resume/Sound level: 9/Mute: off/Display: window/Scaling: fit/Screenshot/Quit opened$' "$log" ||
  fail "the menu opened with other items"
press Down Return Escape
wait_until 'grep -q "^\[input\] menu .*Sound level: 0/.* -> Resume$" "$log"' 50 ||
  fail "Return on Sound level and Escape did not do their work"
sleep 0.5
if grep -q '^keydown(' "$trace"; then fail "the title heard the menu's keys: $(grep '^keydown(' "$trace")"; fi

press F10 Up Return
wait_until 'grep -q "^\[input\] menu .* -> Quit$" "$log"' 50 || fail "Quit was not chosen"
sleep 0.5
press Return
status=0
wait "$player" || status=$?
player=""
[ "$status" -eq 0 ] || fail "the player exited with status $status"
echo "check-menu-window: F10 opens the menu, its keys stay in it, and Quit asks, then quits"
