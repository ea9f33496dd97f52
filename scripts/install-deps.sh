#!/usr/bin/env bash
# Installs the Debian 12 packages that the named groups need, skipping those already there.
#   build  cmake, Ninja, g++, pkg-config, libpng (pictures), SDL2 and SDL2_ttf (the window,
#          input and text), the Liberation fonts (the runtime's text faces), nlohmann-json
#          (titlekit's title manifests), libsndfile and libsamplerate (titlekit's sound files
#          and rate conversion), libiso9660 (volumes on ISO 9660 disc images)
#   test   build + GoogleTest, clang-format (the format check), Xvfb (the virtual display
#          of the SDL sound and movie checks), xdotool (the window checks' clicks and keys), xwd
#          from x11-apps (the save check's window pictures) and ffmpeg (the videos of `titlekit movie from-video`, which
#          runs the ffmpeg and ffprobe programs and says so when they are missing);
#          desktop-file-utils, man-db, groff-base and file (the install check's menu entries,
#          manual pages and icons); xorriso (the disc images of the image checks)
#   bench  test + Google Benchmark, the peers the benchmarks compare with (Lua 5.4, SQLite,
#          libavcodec) and espeak-ng (speech for the sound encoder's measurements)
#   fuzz   test + clang and its libFuzzer runtime
# Usage: scripts/install-deps.sh [GROUP ...]   (default: build)
set -euo pipefail

packages_of() {
  case "$1" in
    build) echo "cmake ninja-build g++ pkg-config libpng-dev libsdl2-dev libsdl2-ttf-dev fonts-liberation nlohmann-json3-dev libsndfile1-dev libsamplerate0-dev libiso9660-dev" ;;
    test) echo "$(packages_of build) libgtest-dev clang-format xvfb xdotool x11-apps ffmpeg desktop-file-utils man-db groff-base file xorriso" ;;
    bench) echo "$(packages_of test) libbenchmark-dev lua5.4 libsqlite3-dev libavcodec-dev espeak-ng" ;;
    fuzz) echo "$(packages_of test) clang libclang-rt-14-dev" ;;
    *)
      echo "install-deps.sh: unknown group '$1' (groups: build test bench fuzz)" >&2
      return 1
      ;;
  esac
}

is_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

[ $# -gt 0 ] || set -- build
wanted=()
for group in "$@"; do
  list=$(packages_of "$group") || exit 2
  read -r -a names <<<"$list"
  wanted+=("${names[@]}")
done

missing=()
for package in $(printf '%s\n' "${wanted[@]}" | sort -u); do
  is_installed "$package" || missing+=("$package")
done
[ ${#missing[@]} -gt 0 ] || exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "install-deps.sh: installing ${missing[*]}"
"${sudo[@]}" apt-get update
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
  "${missing[@]}"
