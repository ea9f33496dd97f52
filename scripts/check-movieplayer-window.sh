#!/usr/bin/env bash
# Checks that movieplayer plays a movie in a real window and exits by itself when the movie
# ends. titlekit builds the movie from the sample title's intro pictures and chime, with every
# frame timed (the sample's own INTRO.MOV waits for a click on its last frame); movieplayer plays
# it in a window on a virtual X display (Xvfb) through SDL's dummy audio driver. The check fails
# unless the player exits with status 0 within TIMEOUT seconds, having opened and closed its
# sound device (the sound log's "device open" and "device closed" notes).
#
# Usage: bash scripts/check-movieplayer-window.sh [BUILD_DIR] [TIMEOUT]
#        (defaults: build/release, 60)
# BUILD_DIR is made as a release build when it is not configured yet, and movieplayer and titlekit
# are built in it when they are missing (a configured BUILD_DIR keeps its own settings). Without
# Xvfb the check is skipped with status 77 (scripts/install-deps.sh test installs it).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
limit=${2:-60}
player_binary=$build/src/apps/movieplayer/movieplayer
titlekit_binary=$build/src/apps/titlekit/titlekit
sample=examples/sample-title

command -v Xvfb >/dev/null || {
  echo "check-movieplayer-window.sh: skipped, needs Xvfb (apt-get install xvfb)" >&2
  exit 77
}
if [ ! -x "$player_binary" ] || [ ! -x "$titlekit_binary" ]; then
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF >/dev/null
  fi
  cmake --build "$build" -j2 --target movieplayer titlekit >/dev/null
fi

scratch=$(mktemp -d)
xvfb=""
trap 'if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null; fi; rm -rf "$scratch"' EXIT

# The movie: the four intro pictures, 1.4 seconds in all, the chime with the first.
cp "$sample"/movie/intro-*.png "$sample/sounds/chime.wav" "$scratch/"
printf 'code boot()\nendcode\n' >"$scratch/system.lws"
cat >"$scratch/title.json" <<'JSON'
{
  "system": "system.lws",
  "movies": [
    {
      "file": "TIMED.MOV",
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
            {"png": "intro-4.png", "duration": 30, "transition": "wipe_right", "parameter": 8,
             "flags": ["timed"], "end": "stop"}
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
status=0
SDL_AUDIODRIVER=dummy DISPLAY=$display ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
  timeout "$limit" "$player_binary" --windowed --log sound "$scratch/out/TIMED.MOV" \
  2>"$log" || status=$?
cat "$log"
if [ "$status" -eq 124 ]; then
  echo "check-movieplayer-window.sh: the player was still running after $limit s" >&2
  exit 1
fi
if [ "$status" -ne 0 ]; then
  echo "check-movieplayer-window.sh: the player exited with status $status" >&2
  exit 1
fi
for note in '^\[sound\] device open, driver dummy,' '^\[sound\] device closed, '; do
  grep -q "$note" "$log" || {
    echo "check-movieplayer-window.sh: no '$note' note in the sound log" >&2
    exit 1
  }
done
echo "check-movieplayer-window.sh: the movie played in a window and the player exited by itself"
