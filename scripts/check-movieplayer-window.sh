#!/usr/bin/env bash
# Checks that movieplayer plays a movie with picture, sound and hot spots in a real window, and
# exits by itself when the movie ends. titlekit builds the sample title's intro movie from its
# pictures and chime; movieplayer plays it in a window on a virtual X display (Xvfb) through SDL's
# dummy audio driver, and xdotool clicks the last frame's hot spots: the green box, which plays
# the movie again, then the red box, which stops it. The check fails unless the player exits
# with status 0 within TIMEOUT seconds, having presented the movie's pictures again after the
# click on the green box, and opened and closed its sound device (the sound log's "device open"
# and "device closed" notes).
#
# Usage: bash scripts/check-movieplayer-window.sh [BUILD_DIR] [TIMEOUT]
#        (defaults: build/release, 60)
# BUILD_DIR is made as a release build when it is not configured yet, and movieplayer and titlekit
# are built in it when they are missing (a configured BUILD_DIR keeps its own settings). Without
# Xvfb or xdotool the check is skipped with status 77 (scripts/install-deps.sh test installs
# them).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
limit=${2:-60}
player_binary=$build/src/apps/movieplayer/movieplayer
titlekit_binary=$build/src/apps/titlekit/titlekit
sample=examples/sample-title

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || {
    echo "check-movieplayer-window.sh: skipped, needs $tool (bash scripts/install-deps.sh test)" >&2
    exit 77
  }
done
if [ ! -x "$player_binary" ] || [ ! -x "$titlekit_binary" ]; then
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF >/dev/null
  fi
  cmake --build "$build" -j2 --target movieplayer titlekit >/dev/null
fi

scratch=$(mktemp -d)
xvfb=""
trap 'if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null; fi; rm -rf "$scratch"' EXIT

# The movie: the four intro pictures, 0.9 seconds in all, the chime with the first; the last
# waits for a click on its boxes.
cp "$sample"/movie/intro-*.png "$sample/sounds/chime.wav" "$scratch/"
printf 'code boot()\nendcode\n' >"$scratch/system.lws"
cat >"$scratch/title.json" <<'JSON'
{
  "system": "system.lws",
  "movies": [
    {
      "file": "INTRO.MOV",
      "palette": "intro-1.png",
      "segments": [
        {
          "rect": [0, 0, 192, 256],
          "origin": [192, 144],
          "sounds": [{"name": "chime", "audio": "chime.wav"}],
          "frames": [
            {"png": "intro-1.png", "duration": 30, "transition": "fade_in", "parameter": 10,
             "flags": ["timed"], "sound": "chime"},
            {"png": "intro-2.png", "duration": 12, "transition": "plain", "flags": ["timed"]},
            {"png": "intro-3.png", "duration": 12, "transition": "plain", "flags": ["timed"]},
            {"png": "intro-4.png", "transition": "wipe_right", "parameter": 8,
             "hotspots": [{"rect": [140, 40, 164, 110], "action": "stop"},
                          {"rect": [140, 146, 164, 216], "action": {"goto": 0}}]}
          ]
        }
      ]
    }
  ]
}
JSON
"$titlekit_binary" build "$scratch/title.json" -o "$scratch/out" >/dev/null

Xvfb -displayfd 3 -screen 0 1280x1024x24 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
display=:$(head -n1 "$scratch/display")

# A leak check at exit would only report what the desktop libraries SDL loads keep until the
# process ends, so a sanitized build runs without it.
log=$scratch/player.log
presents=$scratch/presents
SDL_AUDIODRIVER=dummy DISPLAY=$display ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
  timeout "$limit" "$player_binary" --windowed --log sound --trace-present \
  "$scratch/out/INTRO.MOV" >"$presents" 2>"$log" &
player=$!

# A box is clicked once the movie's last frame waits: when the presents of the movie's place have
# begun and then stopped for a second. The click goes to the box's centre scaled to the window's
# size (the canvas is 640 x 480).
movie_rect='192,144 448,336'
shown_count() { grep -c "$movie_rect" "$presents" || true; }
await_last_frame() {
  local before=$1 seen quiet=0
  for _ in $(seq $((limit * 10))); do
    kill -0 "$player" 2>/dev/null || return 0
    seen=$(shown_count)
    if [ "$seen" -gt "$before" ] && [ "$seen" = "${last_seen:-}" ]; then
      quiet=$((quiet + 1))
      [ "$quiet" -ge 10 ] && return 0
    else
      quiet=0
    fi
    last_seen=$seen
    sleep 0.1
  done
}
click_canvas() {
  local window geometry width height
  window=$(DISPLAY=$display xdotool search --name "Movie Player" | head -n1 || true)
  [ -n "$window" ] || return 0
  geometry=$(DISPLAY=$display xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
  width=${geometry%x*}
  height=${geometry#*x}
  DISPLAY=$display xdotool mousemove --window "$window" $(($1 * width / 640)) \
    $(($2 * height / 480)) click 1
}
await_last_frame 0
first_play=$(shown_count)
click_canvas 373 296 # the green box: the movie plays again
await_last_frame "$first_play"
click_canvas 267 296 # the red box: the movie stops
status=0
wait "$player" || status=$?
cat "$log"
shown=$(shown_count)
if [ "$status" -eq 124 ]; then
  echo "check-movieplayer-window.sh: the player was still running after $limit s" >&2
  exit 1
fi
if [ "$status" -ne 0 ]; then
  echo "check-movieplayer-window.sh: the player exited with status $status" >&2
  exit 1
fi
if [ "$shown" -le "$first_play" ]; then
  echo "check-movieplayer-window.sh: the movie's pictures were presented $first_play times," \
    "and no more after a click on the green box" >&2
  exit 1
fi
for note in '^\[sound\] device open, driver dummy,' '^\[sound\] device closed, '; do
  grep -q "$note" "$log" || {
    echo "check-movieplayer-window.sh: no '$note' note in the sound log" >&2
    exit 1
  }
done
echo "check-movieplayer-window.sh: the movie played twice in a window, its hot spots clicked," \
  "and the player exited by itself"
