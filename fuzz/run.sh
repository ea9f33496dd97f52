#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 600), all at once,
# from seed corpora made of the repository's scripts and star files built from them (the codec
# and stage file targets start from empty corpora). Prints each target's executions and error
# lines; crashes are written to fuzz/artifacts/. Name targets after SECONDS to run only those.
# Exits non-zero when the build fails or any target finds a crash, a leak or a sanitizer error
# (CI runs it for 30 s).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
bash scripts/install-deps.sh fuzz
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLW_FUZZ=ON -DLW_TESTS=OFF >/dev/null
if ! cmake --build build/fuzz -j2 >build/fuzz-build.log 2>&1; then
  grep -E -A5 'error|FAILED' build/fuzz-build.log | head -60
  echo "fuzz/run.sh: the fuzz build failed (build/fuzz-build.log)" >&2
  exit 1
fi

# Seeds: every script source of the repository as text (for the tokenizer and the script check),
# and compiled (with a mode byte) for the interpreter.
mkdir -p fuzz/corpus-tokenizer fuzz/corpus-script_check fuzz/corpus-interpreter \
  fuzz/corpus-interpreter_differential fuzz/corpus-star \
  fuzz/corpus-frame fuzz/corpus-sprite fuzz/corpus-sound fuzz/corpus-sound_mix fuzz/corpus-input_script \
  fuzz/corpus-line_table fuzz/corpus-stage_file fuzz/corpus-set_file fuzz/corpus-title_manifest \
  fuzz/corpus-movie_play fuzz/corpus-puppet_file fuzz/corpus-saved_game fuzz/corpus-disc_image \
  fuzz/artifacts
titlekit=./build/fuzz/src/apps/titlekit/titlekit
for source in examples/*.lws bench/workloads/*.lws; do
  name=$(basename "$source" .lws)
  tr '\n' '\r' <"$source" >"fuzz/corpus-tokenizer/$name"
  cp "fuzz/corpus-tokenizer/$name" "fuzz/corpus-script_check/$name"
  if "$titlekit" compile "$source" -o "/tmp/lw-seed-$name"; then
    { printf '\005'; cat "/tmp/lw-seed-$name"; } >"fuzz/corpus-interpreter/$name"
    cp "fuzz/corpus-interpreter/$name" "fuzz/corpus-interpreter_differential/$name"
    # A star file holding the compiled script and its source, one record rewritten longer.
    star="fuzz/corpus-star/$name"
    "$titlekit" star new "$star" >/dev/null
    "$titlekit" star add "$star" "/tmp/lw-seed-$name" >/dev/null
    "$titlekit" star add "$star" "$source" >/dev/null
    "$titlekit" star put "$star" 0 "$source" >/dev/null
    # The line table that bootfile writes beside the script.
    "$titlekit" bootfile "$source" -o "/tmp/lw-seed-boot-$name" >/dev/null &&
      "$titlekit" star get "/tmp/lw-seed-boot-$name" 2 >"fuzz/corpus-line_table/$name"
    rm -f "/tmp/lw-seed-$name" "/tmp/lw-seed-boot-$name"
  fi
done

# Seeds of the input-script parser: the repository's input scripts.
cp examples/sample-title/demo.input fuzz/corpus-input_script/demo

# Seed of the set file readers: a set header of two blank scenes, so that inputs grow past the
# header's 7184 fixed bytes (libFuzzer keeps them no longer than the longest seed).
{ head -c 7180 /dev/zero; printf '\002\0\0\0'; head -c 64 /dev/zero; } >fuzz/corpus-set_file/header

# Seeds of the puppet file readers: the records of the sample title's puppet file, which the fuzz
# build makes: header, player lines, puppet list, layers and the first line's lip-sync frames
# (the header is over 2160 bytes, so inputs grow past its fixed part).
puppets=build/fuzz/examples/sample-title/TALK.PUP
for record in 0 1 2 3 11; do
  "$titlekit" star get "$puppets" "$record" -o "fuzz/corpus-puppet_file/record-$record" >/dev/null
done

# Seed of the mixer target: its prefix (volume 255, pan 128, 16-bit mono output, 4 buffers of 1025
# frames) and a 22050 Hz record of 1500 samples in two blocks that share one block of a steady 160.
{
  printf '\377\000\200\000\000\003\000\004'
  head -c 26 /dev/zero
  printf '\001\000\042\126\000\000'
  head -c 4 /dev/zero
  printf '\334\005\000\000\002\000\000\000\064\000\000\000\064\000\000\000\140'
  printf '\377%.0s' {1..15}
  printf '\376'
} >fuzz/corpus-sound_mix/steady

# Seeds of the movie player: small valid movies (timed frames of every transition, hot spots,
# sounds and a theme, two segments, frames that loop) with the player's clicks and keys.
./build/fuzz/fuzz/movie_seed fuzz/corpus-movie_play

# Seeds of the saved-game reader: complete games (no objects; a cast; a shop and a track; a walk
# along a path) saved under the identity the target reads them as.
./build/fuzz/fuzz/saved_game_seed fuzz/corpus-saved_game

# Seeds of the disc image reader: small images of a few files in two folders, with Rock Ridge
# names, with Joliet names, and with plain ISO names only.
if command -v xorriso >/dev/null; then
  image_files=$(mktemp -d)
  mkdir -p "$image_files/Movies/Deep"
  printf 'boot' >"$image_files/BootFile"
  printf 'intro' >"$image_files/Movies/Intro.Mov"
  printf 'x' >"$image_files/Movies/Deep/a.txt"
  rm -f fuzz/corpus-disc_image/rock-ridge fuzz/corpus-disc_image/joliet fuzz/corpus-disc_image/plain
  xorriso -as mkisofs -quiet -no-pad -V RR -o fuzz/corpus-disc_image/rock-ridge "$image_files" 2>/dev/null
  xorriso -as mkisofs -quiet -no-pad -V JOLIET -J -o fuzz/corpus-disc_image/joliet "$image_files" 2>/dev/null
  xorriso -report_about SORRY -outdev fuzz/corpus-disc_image/plain -rockridge off -padding 0 \
    -volid PLAIN -map "$image_files" / >/dev/null 2>&1
  rm -rf "$image_files"
fi

# Seed of the manifest reader: a title with a stage of two flats and their buttons.
cat >fuzz/corpus-title_manifest/stage <<'JSON'
{"system": "system.lws", "palette": "title.png", "stages": [
  {"file": "HALL.STR", "name": "hall", "script": "hall.lws", "flats": [
    {"name": "door", "picture": "door.png", "buttons": [
      {"name": "knob", "rect": [100, 100, 200, 300], "script": "knob.lws"}]},
    {"name": "wall", "picture": "wall.png", "script": "wall.lws"}]}]}
JSON

# An input that runs for more than 25 s is reported as a hang (a timeout- artifact).
run() {
  local target=$1 corpus=$2 status=0
  ./build/fuzz/fuzz/"$target" -max_total_time="$seconds" -timeout=25 -artifact_prefix=fuzz/artifacts/ \
    -print_final_stats=1 "$corpus" >"build/fuzz/$target.log" 2>&1 || status=$?
  echo "$target: $(grep -E '^stat::number_of_executed_units' "build/fuzz/$target.log")," \
    "$(grep -cE 'ERROR|SUMMARY|crash-|leak-|timeout-' "build/fuzz/$target.log") error lines"
  if [ "$status" -ne 0 ]; then
    grep -E -A20 '^==[0-9]+==ERROR|SUMMARY' "build/fuzz/$target.log" | head -40
    return 1
  fi
}
targets=("$@")
[ ${#targets[@]} -gt 0 ] ||
  targets=(tokenizer script_check interpreter interpreter_differential star_file frame_decode sprite sound_block sound_mix
    input_script line_table stage_file set_file title_manifest movie_play puppet_file saved_game
    disc_image)
pids=()
for target in "${targets[@]}"; do
  case "$target" in
    star_file) corpus=star ;;
    frame_decode) corpus=frame ;;
    sound_block) corpus=sound ;;
    *) corpus=$target ;;
  esac
  run "${target}_fuzz" "fuzz/corpus-$corpus" &
  pids+=($!)
done
failed=0
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
[ "$failed" -eq 0 ] || { echo "fuzz/run.sh: a target failed (logs in build/fuzz/)" >&2; exit 1; }
