#!/usr/bin/env bash
# Checks that the demo title's committed pictures, movie frames and sounds are what tools/ makes:
# each generator writes into a scratch folder, and every file there must equal its committed
# copy byte for byte, and every committed file must have been made (the two spoken lines aside:
# espeak-ng records them, and its voice differs from version to version). Exits 77 without
# python3.
# Usage: check_assets_regenerate.sh
set -euo pipefail
title=$(cd "$(dirname "$0")/.." && pwd)
command -v python3 >/dev/null || {
  echo "check_assets_regenerate: skipped, needs python3" >&2
  exit 77
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

python3 "$title/tools/make_pictures.py" "$scratch/pictures"
python3 "$title/tools/make_movie.py" "$scratch/movie"
python3 "$title/tools/make_sounds.py" --without-voices "$scratch/sounds"
failed=0
for folder in pictures movie sounds; do
  for made in "$scratch/$folder"/*; do
    if ! cmp -s "$made" "$title/$folder/$(basename "$made")"; then
      echo "check_assets_regenerate: $folder/$(basename "$made") differs from what tools/ makes" >&2
      failed=1
    fi
  done
  for kept in "$title/$folder"/*; do
    case $(basename "$kept") in welcome.wav | lamp-out.wav) continue ;; esac
    if [ ! -e "$scratch/$folder/$(basename "$kept")" ]; then
      echo "check_assets_regenerate: $folder/$(basename "$kept") is not made by tools/" >&2
      failed=1
    fi
  done
done
exit "$failed"
