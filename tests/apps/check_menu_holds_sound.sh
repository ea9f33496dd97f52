#!/usr/bin/env bash
# Checks that the player menu holds the title's sound and clock: the built sample title plays
# headless twice for 300 ticks of its own, once with the menu up for 120 ticks after its first 60.
# The check fails unless both runs make the same handler calls and the sound captured with the
# menu is the sound of the run without it with 2 seconds (120 ticks) of silence put in at 1 s.
#
# Usage: check_menu_holds_sound.sh BUILD_DIR   (exit 77 without the built player and sample title)
set -euo pipefail
build=$1
player=$build/src/apps/titleplayer/titleplayer
title=$build/examples/sample-title
if [ ! -x "$player" ] || [ ! -f "$title/bootfile" ]; then
  echo "check_menu_holds_sound: skipped, no titleplayer or sample title in $build" >&2
  exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
printf 'wait 60\nkey f10\nwait 120\nkey esc\nwait 120\n' >"$scratch/menu.input"
printf 'wait 60\nwait 120\n' >"$scratch/plain.input"
for run in menu plain; do
  ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 "$player" --headless --trace-calls \
    --input "$scratch/$run.input" --audio-out "$scratch/$run.wav" "$title" \
    >"$scratch/$run.calls" 2>"$scratch/$run.log"
done

fail() {
  echo "check_menu_holds_sound: $*" >&2
  exit 1
}
cmp -s "$scratch/menu.calls" "$scratch/plain.calls" || fail "the handler calls differ"
# 16-bit mono samples at 22050 Hz after a 44-byte header: 1 s is 44100 bytes.
header=44
second=44100
tail -c +$((header + 1)) "$scratch/plain.wav" >"$scratch/plain.data"
{
  head -c $((header + second)) "$scratch/menu.wav" | tail -c +$((header + 1))
  tail -c +$((header + 3 * second + 1)) "$scratch/menu.wav"
} >"$scratch/menu.data"
[ -n "$(tr -d '\0' <"$scratch/plain.data" | head -c 1)" ] || fail "the title played no sound"
head -c $((header + 3 * second)) "$scratch/menu.wav" | tail -c $((2 * second)) | tr -d '\0' |
  grep -q . && fail "the sound went on while the menu was up"
cmp -s "$scratch/menu.data" "$scratch/plain.data" || fail "the sound after the menu is not where it was"
echo "check_menu_holds_sound: the same calls, and the same sound with the menu's 2 s of silence"
