#!/usr/bin/env bash
# Plays the demo title's opening movie headless in movieplayer through skip.input, twice, and
# checks that a click on SKIP stops it and a click on the sky does not: the screenshot due at
# tick 100 is taken only by the movie still playing (it lasts 280 ticks when nothing stops it),
# and movieplayer exits with status 0 either way.
# Usage: check_movie_skip.sh MOVIEPLAYER TITLE_DIR
set -euo pipefail
player=$1
title=$2
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cd "$scratch"
# Plays the movie with the click at canvas point $1 $2; the movie must then be stopped ($3 "no")
# or still playing ($3 "yes") at tick 100.
play() {
  sed "s/^click 448 323$/click $1 $2/" "$here/skip.input" >clicks.input
  rm -f still-playing.png
  status=0
  "$player" --headless --input clicks.input "$title/OPENING.MOV" 2>errors || status=$?
  if [ "$status" -ne 0 ]; then
    echo "check_movie_skip: movieplayer exited with status $status" >&2
    cat errors >&2
    exit 1
  fi
  playing=no
  [ -e still-playing.png ] && playing=yes
  if [ "$playing" != "$3" ]; then
    echo "check_movie_skip: after a click at $1,$2 the movie playing at tick 100: $playing" >&2
    exit 1
  fi
}
play 448 323 no   # SKIP
play 260 200 yes  # the sky
