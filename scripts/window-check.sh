# The common part of the checks that drive titleplayer in a real window: the tools they need, a
# virtual X display (Xvfb), waiting for a condition, and keys sent to the player's window.
# Sourced by a check after `set -euo pipefail`, with $check set to its name. start_display sets
# $scratch (a scratch folder), $display and $xvfb, and an exit trap that stops the player ($player,
# set by the check) and the display and removes the scratch folder.

# Exits 77 (skipped) unless every tool named is installed.
needs_tools() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null || {
      echo "$check: skipped, needs $tool" >&2
      exit 77
    }
  done
}

start_display() {
  scratch=$(mktemp -d)
  xvfb=""
  player=""
  trap 'kill $player $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
  Xvfb -displayfd 3 -screen 0 1280x1024x24 3>"$scratch/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
  display=:$(head -n1 "$scratch/display")
}

# Waits up to $2 tenths of a second for the command $1 to succeed.
wait_until() {
  for _ in $(seq "$2"); do
    eval "$1" && return 0
    sleep 0.1
  done
  return 1
}

player_window() {
  DISPLAY=$display xdotool search --onlyvisible --class titleplayer 2>/dev/null | head -n1 || true
}

# Presses the keys named (xdotool's names) in the player's window.
press() {
  DISPLAY=$display xdotool windowfocus --sync "$(player_window)" key --delay 150 "$@"
}
