#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the desktop side of the install: the
# programs, the menu entries (desktop-file-validate), the icons (PNG files of the right size)
# and the manual pages, which man must render with their options in them.
# Usage: check_install.sh BUILD_DIR BINDIR DATADIR MANDIR   (the GNUInstallDirs folders, relative
#        to the prefix; exit 77 when a checking tool is missing)
set -euo pipefail
build=$1
for tool in desktop-file-validate man file; do
  command -v "$tool" >/dev/null || { echo "check_install: no $tool; skipped"; exit 77; }
done
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() { echo "check_install: $*" >&2; failures=$((failures + 1)); }

bindir=$prefix/$2
datadir=$prefix/$3
mandir=$prefix/$4

for program in titleplayer movieplayer titlekit; do
  [ -x "$bindir/$program" ] || fail "no program $bindir/$program"
done
for entry in titleplayer movieplayer; do
  desktop=$datadir/applications/$entry.desktop
  if [ ! -f "$desktop" ]; then
    fail "no menu entry $desktop"
  elif ! desktop-file-validate "$desktop"; then
    fail "$desktop does not validate"
  fi
  grep -qx "Exec=$entry %f" "$desktop" || fail "$desktop does not run '$entry %f'"
done
for side in 32 64 128; do
  icon=$datadir/icons/hicolor/${side}x${side}/apps/loomwork.png
  file "$icon" | grep -q "PNG image data, $side x $side, 8-bit/color RGBA" ||
    fail "$icon is not a $side x $side RGBA PNG: $(file "$icon")"
done

# Each page renders, and carries its program's name and one of its options (or commands).
check_page() {
  local page=$1 want=$2 text
  [ -f "$page" ] || { fail "no manual page $page"; return; }
  text=$(MANWIDTH=80 man -l "$page" 2>&1) || { fail "man cannot show $page: $text"; return; }
  grep -q -- "$want" <<<"$text" || fail "$page lacks '$want'"
}
check_page "$mandir/man6/titleplayer.6" "--no-pause-in-background"
check_page "$mandir/man6/titleplayer.6" "Ctrl+Shift+M"
check_page "$mandir/man6/movieplayer.6" "--volume-level N"
check_page "$mandir/man1/titlekit.1" "titlekit build MANIFEST -o DIR"

[ "$failures" -eq 0 ] || exit 1
echo "check_install: all in place"
