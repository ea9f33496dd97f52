#!/usr/bin/env bash
# Plays the demo title headless through walkthrough.input in a scratch folder (its saves folder
# and the screenshot go there) and checks, exactly:
#   - the handler calls and console lines that --trace-calls prints, then the notes on standard
#     error (the saved-game chooser's, the screenshot's), against walkthrough.expected (the
#     scratch folder's path written as SCRATCH);
#   - the screenshot of the lit room, against room-lit.png;
#   - the exit status, 0.
# Usage: check_walkthrough.sh TITLEPLAYER TITLE_DIR
set -euo pipefail
player=$1
title=$2
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cd "$scratch"
status=0
XDG_DATA_HOME=$scratch/data "$player" --headless --trace-calls \
  --input "$here/../walkthrough.input" "$title" >trace 2>errors || status=$?
if [ "$status" -ne 0 ]; then
  echo "check_walkthrough: titleplayer exited with status $status" >&2
  cat errors >&2
  exit 1
fi
{
  cat trace
  echo "--- standard error"
  cat errors
} | sed "s|$scratch|SCRATCH|g" >trace.seen
if ! diff -u "$here/walkthrough.expected" trace.seen; then
  echo "check_walkthrough: the calls and console lines differ (- expected, + seen)" >&2
  exit 1
fi
if ! cmp -s "$here/room-lit.png" room-lit.png; then
  echo "check_walkthrough: the screenshot of the lit room differs from test/room-lit.png" >&2
  exit 1
fi
