#!/usr/bin/env bash
# Builds the release programs and plays the sample title: in a window when there is a display,
# otherwise headless through its demo input, printing the handler calls and writing a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh build
cmake -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF
cmake --build build/release -j2

player=build/release/src/apps/titleplayer/titleplayer
title=build/release/examples/sample-title
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "\$ titleplayer --windowed $title   (Ctrl+Q or closing the window ends it)"
  "$player" --windowed "$title"
else
  echo "\$ titleplayer --headless --input examples/sample-title/demo.input --trace-calls \\"
  echo "    --screenshot build/release/sample-title.png $title"
  "$player" --headless --input examples/sample-title/demo.input --trace-calls \
    --screenshot build/release/sample-title.png "$title"
fi
