#!/usr/bin/env bash
# Plays the sample title headless through its demo input from ISO 9660 disc images of its built
# folder, given in place of the folder, and compares the traced calls with those of the run from
# the folder itself: they must be the same, line for line. One image has Rock Ridge names whose
# case is swapped (bootfile is BOOTFILE, INTRO.MOV is intro.mov); one has plain ISO names
# (upper case, with ";1" versions). The images are named like the folder, so that the title's
# name (and so its saves folder) is the same. Then a damaged image and a file that is no image.
# Usage: check_title_on_image.sh BUILD_DIR SOURCE_DIR   (exit 77 without xorriso)
set -euo pipefail
build=$1
source=$2
command -v xorriso >/dev/null || { echo "check_title_on_image: no xorriso; skipped"; exit 77; }
player=$build/src/apps/titleplayer/titleplayer
title=$build/examples/sample-title
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

failures=0
fail() { echo "check_title_on_image: $*" >&2; failures=$((failures + 1)); }

# The traced run of TITLE with a saves folder of its own, that folder's path made neutral.
play() {
  local data=$scratch/data-$1
  XDG_DATA_HOME=$data "$player" --headless --trace-calls \
    --input "$source/examples/sample-title/demo.input" "$2" 2>&1 | sed "s|$data|DATA|g"
}

play folder "$title" >"$scratch/folder.trace"
grep -q '^boot()$' "$scratch/folder.trace" || fail "the run from the folder did not boot"

# Every name's letters in the other case, deepest names first.
cp -r "$title" "$scratch/files"
find "$scratch/files" -mindepth 1 -depth | while read -r path; do
  swapped=$(basename "$path" | tr 'a-zA-Z' 'A-Za-z')
  mv "$path" "$(dirname "$path")/$swapped"
done
mkdir "$scratch/rock-ridge" "$scratch/plain" "$scratch/damaged"
xorriso -as mkisofs -quiet -V SAMPLE -o "$scratch/rock-ridge/sample-title" "$scratch/files" \
  2>/dev/null
xorriso -report_about SORRY -outdev "stdio:$scratch/plain/sample-title" -rockridge off -volid SAMPLE \
  -map "$title" / >/dev/null 2>&1

for kind in rock-ridge plain; do
  play "$kind" "$scratch/$kind/sample-title" >"$scratch/$kind.trace"
  if ! diff -u "$scratch/folder.trace" "$scratch/$kind.trace" >"$scratch/$kind.diff"; then
    fail "the run from the $kind image differs from the folder's:"
    head -20 "$scratch/$kind.diff" >&2
  fi
done

# An image cut short inside its files: the fatal report of a data error (platform error 23),
# then the run goes on and ends with status 3; no crash.
head -c 60000 "$scratch/rock-ridge/sample-title" >"$scratch/damaged/sample-title"
status=0
play damaged "$scratch/damaged/sample-title" >"$scratch/damaged.trace" || status=$?
[ "$status" -eq 3 ] || fail "a damaged image ended with status $status, not 3"
grep -q 'box \[Fatal Error\] "Data read error\..*code 23)' "$scratch/damaged.trace" ||
  fail "a damaged image gave no data read error: $(head -c 300 "$scratch/damaged.trace")"

# A file that is no image is no folder to play.
status=0
"$player" --headless "$title/bootfile" >"$scratch/noimage.out" 2>&1 || status=$?
[ "$status" -ne 0 ] && grep -q 'is not a folder' "$scratch/noimage.out" ||
  fail "a file that is no image was taken as a title (status $status)"

[ "$failures" -eq 0 ] || exit 1
echo "check_title_on_image: the title plays from both images as from its folder"
