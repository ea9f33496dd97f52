#!/usr/bin/env bash
# Starts a title from an ISO 9660 disc image in a real window. The built sample title is copied,
# given a title.json that names its disc (volume SAMPLE) and a probe file on it, and made into an
# image labelled SAMPLE; titleplayer plays the image in a window on a virtual X display (Xvfb)
# through SDL's dummy audio driver.
#
# The check fails unless:
#   - the start-up checks find the disc through the volume lookup (the image itself, found beside
#     the title by its label), time the probe file (the boot log notes its speed), and the title
#     boots (boot() in the call trace); Ctrl+Q then ends the player with status 0;
#   - with a title.json naming a disc that is nowhere, the insert-disc box comes up before the
#     title boots, and the start stops with status 255: Escape cancels the box where it can be
#     shown, and a box that can be shown to no one is not asked again.
#
# Usage: check-image-window.sh BUILD_DIR [TIMEOUT]   (default 60; exit 77 without Xvfb, xdotool,
# xorriso, or the built player and sample title)
set -euo pipefail
build=$1
limit=${2:-60}
player_binary=$build/src/apps/titleplayer/titleplayer
title=$build/examples/sample-title

check=check-image-window
source "$(dirname "$0")/window-check.sh"
needs_tools Xvfb xdotool xorriso
if [ ! -x "$player_binary" ] || [ ! -f "$title/bootfile" ]; then
  echo "check-image-window: skipped, no titleplayer or sample title in $build" >&2
  exit 77
fi

start_display

fail() {
  echo "check-image-window: $*" >&2
  cat "$scratch/player.log" >&2 || true
  exit 1
}

# An image labelled SAMPLE of the title with `volume` named as its disc; the probe file is a
# ballast file large enough to be timed.
make_image() {
  local files=$scratch/files-$1
  cp -r "$title" "$files"
  head -c 400000 /dev/zero >"$files/DISC.DAT"
  printf '{"name": "sample-title", "volume": "%s", "probe": "DISC.DAT"}\n' "$1" \
    >"$files/title.json"
  mkdir -p "$scratch/$1"
  xorriso -as mkisofs -quiet -V SAMPLE -o "$scratch/$1/sample-title.iso" "$files" 2>/dev/null
}

# Plays image $1 in the background; the call trace goes to $scratch/trace, the log to
# $scratch/player.log. A leak check at exit would only report what SDL's desktop libraries keep.
start_player() {
  : >"$scratch/trace"
  XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data SDL_AUDIODRIVER=dummy \
    DISPLAY=$display ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
    timeout "$limit" "$player_binary" --windowed --log boot --trace-calls "$1" \
    >"$scratch/trace" 2>"$scratch/player.log" &
  player=$!
}

make_image SAMPLE
start_player "$scratch/SAMPLE/sample-title.iso"
wait_until '[ -n "$(player_window)" ] && grep -q "^boot()" "$scratch/trace"' 300 ||
  fail "the title on the image did not boot in a window"
grep -q '^\[boot\] start-up: SAMPLE:DISC.DAT read at [0-9]* bytes/s$' "$scratch/player.log" ||
  fail "the start-up checks did not time the probe file on the image"
sleep 1
press ctrl+q
status=0
wait "$player" || status=$?
[ "$status" -eq 0 ] || fail "Ctrl+Q ended the player with status $status, not 0"

make_image ELSEWHERE
start_player "$scratch/ELSEWHERE/sample-title.iso"
# The insert-disc box comes before the window: a system message box where one can be shown,
# which Escape cancels, else printed with its default answer, which stops the start because no
# one could answer it.
boxes=0
for _ in $(seq 300); do
  kill -0 "$player" 2>/dev/null || break
  box=$(DISPLAY=$display xdotool search --onlyvisible --name "Can't Find CD" 2>/dev/null |
    head -n1 || true)
  if [ -n "$box" ]; then
    boxes=$((boxes + 1))
    DISPLAY=$display xdotool windowfocus --sync "$box" key Escape || true
  fi
  sleep 0.1
done
status=0
wait "$player" || status=$?
[ "$status" -eq 255 ] || fail "the missing disc ended the start with status $status, not 255"
[ "$boxes" -gt 0 ] || grep -q "^\[Can't Find CD\]$" "$scratch/player.log" ||
  fail "no insert-disc box came up for the missing disc"
grep -q '^boot()' "$scratch/trace" && fail "the title booted without its disc"
echo "check-image-window: the title starts from its image through the start-up checks"
