#!/usr/bin/env bash
# Checks the player's own keys and its configuration file in a real window. titleplayer plays the
# built sample title on a virtual X display (Xvfb) through SDL's dummy audio driver, with a
# scratch XDG_CONFIG_HOME whose player.conf asks for a window (and holds one wrong line) and a
# scratch XDG_PICTURES_DIR; xdotool presses Ctrl+F12, Ctrl+Shift+M, Ctrl+M, F11, Alt+Enter and
# Ctrl+Q.
#
# The check fails unless:
#   - the wrong line of player.conf is named on standard error, and the window opens windowed
#     (1280 x 960 on the 1280 x 1024 display) as the file asks;
#   - Ctrl+F12 writes a 640 x 480 PNG named titleplayer-YYYYMMDD-HHMMSS.png into the pictures
#     folder;
#   - Ctrl+Shift+M mutes (the sound log says so) and the title hears nothing of it, while Ctrl+M
#     still reaches the title (a menustate() call);
#   - F11 switches to full screen and Alt+Enter back to a window (the boot log says so: a
#     virtual display without a window manager keeps the window's size);
#   - the player exits by itself after Ctrl+Q, with status 0, within TIMEOUT seconds.
#
# Usage: check_desktop_keys.sh BUILD_DIR [TIMEOUT]   (default 60; exit 77 without Xvfb, xdotool,
# file, or the built player and sample title)
set -euo pipefail
build=$1
limit=${2:-60}
player_binary=$build/src/apps/titleplayer/titleplayer
title=$build/examples/sample-title

check=check_desktop_keys
source "$(dirname "$0")/../../scripts/window-check.sh"
needs_tools Xvfb xdotool file
if [ ! -x "$player_binary" ] || [ ! -f "$title/bootfile" ]; then
  echo "check_desktop_keys: skipped, no titleplayer or sample title in $build" >&2
  exit 77
fi

start_display

mkdir -p "$scratch/config/loomwork" "$scratch/pictures"
printf '[player]\ndisplay = windowed\nvolume-level = 12\n' >"$scratch/config/loomwork/player.conf"

# A leak check at exit would only report what the desktop libraries SDL loads keep until the
# process ends, so a sanitized build runs without it.
log=$scratch/player.log
trace=$scratch/trace
XDG_CONFIG_HOME=$scratch/config XDG_PICTURES_DIR=$scratch/pictures SDL_AUDIODRIVER=dummy \
  DISPLAY=$display ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
  timeout "$limit" "$player_binary" --log sound,boot --trace-calls "$title" >"$trace" 2>"$log" &
player=$!

fail() {
  echo "check_desktop_keys: $*" >&2
  cat "$log" >&2
  exit 1
}

window_size() {
  DISPLAY=$display xdotool getwindowgeometry "$(player_window)" | sed -n 's/.*Geometry: //p'
}
menu_calls() { grep -c '^menustate()' "$trace" || true; }

wait_until '[ -n "$(player_window)" ] && grep -q "^boot()" "$trace"' 200 || fail "no window"
sleep 1
grep -q "player.conf:3: option 'volume-level': '12' is not a level from 0 to 9" "$log" ||
  fail "the wrong line of player.conf was not named"
[ "$(window_size)" = "1280x960" ] || fail "not windowed as player.conf asks: $(window_size)"

press ctrl+F12
wait_until 'ls "$scratch/pictures" | grep -q .' 50 || fail "Ctrl+F12 wrote no screenshot"
shot=$(ls "$scratch/pictures")
[[ "$shot" =~ ^titleplayer-[0-9]{8}-[0-9]{6}\.png$ ]] || fail "screenshot named '$shot'"
file "$scratch/pictures/$shot" | grep -q "PNG image data, 640 x 480" ||
  fail "the screenshot is not a 640 x 480 PNG: $(file "$scratch/pictures/$shot")"

before=$(menu_calls)
press ctrl+shift+m
wait_until 'grep -q "^\[sound\] sound muted" "$log"' 50 || fail "Ctrl+Shift+M did not mute"
sleep 0.5
[ "$(menu_calls)" = "$before" ] || fail "Ctrl+Shift+M reached the title"
press ctrl+m
wait_until '[ "$(menu_calls)" -gt "$before" ]' 50 || fail "Ctrl+M did not reach the title"

press F11
wait_until 'grep -q "^\[boot\] display switched to full screen" "$log"' 50 ||
  fail "F11 did not switch to full screen"
press alt+Return
wait_until 'grep -q "^\[boot\] display switched to a window" "$log"' 50 ||
  fail "Alt+Enter did not switch back to a window"

press ctrl+q
status=0
wait "$player" || status=$?
player=""
[ "$status" -eq 0 ] || fail "the player exited with status $status"
echo "check_desktop_keys: the configuration file, Ctrl+F12, Ctrl+Shift+M, Ctrl+M, F11 and" \
  "Alt+Enter work"
