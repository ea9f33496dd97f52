#!/usr/bin/env bash
# Checks that the sample title saves and loads a game through the runtime's saved-game chooser in
# a real window. titleplayer plays the built sample title in a window on a virtual X display
# (Xvfb) through SDL's dummy audio driver, with its saves folder under a scratch XDG_DATA_HOME,
# and xdotool plays as a player would: ROOMS on the menu, the courtyard's door into the garden, a
# turn (right arrow), s and the name "window" typed into the chooser and Return; another turn, l
# and Return (the newest game is highlighted); x out to the courtyard, LOAD there and Return; x
# again, BACK and QUIT. xwd takes the window's picture between the steps.
#
# The check fails unless:
#   - SAVES/window.rtd was written: a star file (its first four bytes are the version 0x00010000,
#     little-endian), whose last record (the highest id) is a thumbnail, beginning "THMB", and no
#     window.rtd.saving is left beside it;
#   - the stage looks after each load as it did after the save and not as it did just before the
#     load: the garden facing the way it faced at saving after l, and the garden instead of the
#     courtyard after LOAD (fewer than a quarter of the pixels that differ between the screen
#     at saving and the one before the load; the gardener walks on meanwhile);
#   - the handler calls traced are the player's keys and clicks in order, none of the keys typed
#     into the chooser among them (it holds the keyboard while it is open);
#   - the player exits by itself with status 0 within TIMEOUT seconds.
#
# Usage: bash scripts/check-save-window.sh [BUILD_DIR] [TIMEOUT]   (defaults: build/release, 60)
# BUILD_DIR is made as a release build when it holds no titleplayer or sample title yet (a
# configured BUILD_DIR keeps its own settings). Without Xvfb, xdotool, xwd or python3 the check is
# skipped with status 77 (scripts/install-deps.sh test installs Xvfb and xdotool).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
limit=${2:-60}
player_binary=$build/src/apps/titleplayer/titleplayer
title=$build/examples/sample-title

for tool in Xvfb xdotool xwd python3; do
  command -v "$tool" >/dev/null || {
    echo "check-save-window.sh: skipped, needs $tool" >&2
    exit 77
  }
done
if [ ! -x "$player_binary" ] || [ ! -f "$title/GARDEN.SCN" ]; then
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF >/dev/null
  fi
  cmake --build "$build" -j2 --target titleplayer sample_title >/dev/null
fi

check=check-save-window
source "$(dirname "$0")/window-check.sh"
start_display

# A leak check at exit would only report what the desktop libraries SDL loads keep until the
# process ends, so a sanitized build runs without it.
log=$scratch/player.log
trace=$scratch/trace
saves=$scratch/data/loomwork/saves/sample-title
XDG_DATA_HOME=$scratch/data SDL_AUDIODRIVER=dummy DISPLAY=$display \
  ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
  timeout "$limit" "$player_binary" --windowed --log sound --trace-calls "$title" \
  >"$trace" 2>"$log" &
player=$!

fail() {
  echo "check-save-window.sh: $*" >&2
  cat "$log" >&2
  echo "handler calls:" >&2
  cat "$trace" >&2
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

# The player's window (by its class: a search by name would find the root window first).
player_window() {
  local window
  window=$(DISPLAY=$display xdotool search --onlyvisible --class titleplayer 2>/dev/null |
    head -n1 || true)
  [ -n "$window" ] || fail "no player window"
  echo "$window"
}

# Clicks screen point ($1, $2) of the 640 x 480 canvas, scaled to the window's size.
click_canvas() {
  local window geometry width height
  window=$(player_window)
  geometry=$(DISPLAY=$display xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
  width=${geometry%x*}
  height=${geometry#*x}
  DISPLAY=$display xdotool mousemove --window "$window" $(($1 * width / 640)) \
    $(($2 * height / 480)) click 1
}

# Presses the keys $@ (xdotool's key names) in the window, which takes the keyboard first.
press() {
  local window
  window=$(player_window)
  DISPLAY=$display xdotool windowfocus --sync "$window" key --delay 100 "$@"
}

# Types the text $1 into the window.
type_text() {
  local window
  window=$(player_window)
  DISPLAY=$display xdotool windowfocus --sync "$window" type --delay 100 "$1"
}

# Writes the window's picture to the file $1.
snap() {
  xwd -silent -display "$display" -id "$(player_window)" >"$1"
}

# The number of pixels of the stage (canvas 64,48 to 576,432, scaled to the window's size) that
# differ between the window pictures $1 and $2, read from the XWD files: 25 big-endian 32-bit
# header fields (among them the size, the pixels' byte order, bits, row length and colour masks),
# then a colour map of 12-byte entries, then the rows of pixels.
stage_difference() {
  python3 - "$1" "$2" <<'EOF'
import array
import struct
import sys

def picture(path):
    data = open(path, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height, byte_order = fields[0], fields[4], fields[5], fields[7]
    bits, row_bytes, colours = fields[11], fields[12], fields[19]
    if bits != 32 or row_bytes != 4 * width:
        sys.exit(f"{path}: {bits} bits a pixel, {row_bytes} bytes a row; wanted 32 and 4 a pixel")
    pixels = array.array("I", data[header_size + 12 * colours:][:row_bytes * height])
    if (byte_order == 0) != (sys.byteorder == "little"):
        pixels.byteswap()
    return pixels, width, height, fields[14] | fields[15] | fields[16]

first, width, height, colour = picture(sys.argv[1])
second, *size, _ = picture(sys.argv[2])
if size != [width, height]:
    sys.exit("the window pictures differ in size")
left, right = 64 * width // 640, 576 * width // 640
top, bottom = 48 * height // 480, 432 * height // 480
differing = 0
for y in range(top, bottom):
    row = y * width
    pairs = zip(first[row + left:row + right], second[row + left:row + right])
    differing += sum(1 for a, b in pairs if (a ^ b) & colour)
print(differing)
EOF
}

# True when the picture $1 is close to the saved screen $2 and the picture $3 (the screen before
# the load) is not: $1 differs from $2 in less than a quarter of the pixels $3 does.
looks_saved() {
  local loaded before
  loaded=$(stage_difference "$1" "$2")
  before=$(stage_difference "$3" "$2")
  echo "$4: $loaded stage pixels differ from the screen at saving, $before before the load"
  [ "$before" -gt 10000 ] && [ $((loaded * 4)) -lt "$before" ]
}

# The saved game's first four bytes, and the first four of its last record's data: the star
# file's header holds at 20 the next id, and its index at 1024 each record's block, whose data
# starts 8 bytes in (all numbers little-endian).
star_facts() {
  python3 - "$1" <<'EOF'
import struct
import sys

data = open(sys.argv[1], "rb").read()
next_id = struct.unpack_from("<I", data, 20)[0]
last = next_id - 1
block = struct.unpack_from("<I", data, 1024 + 4 * last)[0]
record_id, length = struct.unpack_from("<2I", data, block)
if record_id != last or length < 4 or block + 8 + length > len(data):
    sys.exit(f"record {last}'s block at {block} is not whole")
print(data[:4].hex(), data[block + 8:block + 12].decode("latin-1"))
EOF
}

wait_for_line '^\[sound\] device open' 300 "$log" || fail "no sound device opened"
shots=$scratch/shots
mkdir "$shots"
# The title opens on the menu; ROOMS, then the door once the wipe has shown the courtyard.
sleep 2
click_canvas 320 270
sleep 2
click_canvas 138 273
sleep 3
press Right
sleep 2
press s
sleep 2
type_text window
press Return
sleep 2
snap "$shots/saved"
[ -f "$saves/window.rtd" ] || fail "no window.rtd in the saves folder: $(ls -A "$saves" 2>&1)"
[ ! -e "$saves/window.rtd.saving" ] || fail "window.rtd.saving was left beside the saved game"
read -r version thumbnail < <(star_facts "$saves/window.rtd") || fail "window.rtd is no star file"
[ "$version" = 00000100 ] || fail "window.rtd begins $version, not the star file version 00000100"
[ "$thumbnail" = THMB ] || fail "window.rtd's last record begins '$thumbnail', not THMB"

press Right
sleep 2
snap "$shots/turned"
press l
sleep 2
press Return
sleep 2
snap "$shots/loaded"
press x
sleep 2
snap "$shots/courtyard"
click_canvas 270 392 # LOAD on the courtyard
sleep 2
press Return
sleep 2
snap "$shots/loaded-in-courtyard"
press x
sleep 2
click_canvas 500 392 # BACK on the courtyard
sleep 2
click_canvas 320 382 # QUIT on the menu
status=0
wait "$player" || status=$?
player=""

[ "$status" -ne 124 ] || fail "the player was still running after $limit s"
[ "$status" -eq 0 ] || fail "the player exited with status $status"
looks_saved "$shots/loaded" "$shots/saved" "$shots/turned" "l in the garden" ||
  fail "l in the garden did not bring back the view at saving"
looks_saved "$shots/loaded-in-courtyard" "$shots/saved" "$shots/courtyard" \
  "LOAD on the courtyard" ||
  fail "LOAD on the courtyard did not bring back the garden"
# The stage points of the clicks, packed as h * 65536 + v: ROOMS (256,222), the door (74,225),
# LOAD (206,344), BACK (436,344) and QUIT (256,334).
expected='boot()
mousedown(16777438)
mousedown(4849889)
keydown("rightarrow")
keydown("s")
keydown("rightarrow")
keydown("l")
keydown("x")
mousedown(13500760)
keydown("x")
mousedown(28574040)
mousedown(16777550)'
[ "$(cat "$trace")" = "$expected" ] ||
  fail "the handler calls traced are not the player's keys and clicks"
echo "check-save-window.sh: a game saved as window.rtd through the chooser in a window, with its" \
  "thumbnail, and loaded back both in the garden and from the courtyard"
