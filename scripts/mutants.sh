#!/usr/bin/env bash
# Planted-fault check. Applies the faults of scripts/mutants.txt to the tree one at a time,
# rebuilds the sanitizer test build (build/test, as scripts/test.sh makes it), runs every test
# and puts the file back exactly. A fault that no test notices is MISSED: the suites have lost,
# or never had, the check that would see it. Rerun it after trimming or restructuring tests to
# show that they still catch what they caught before.
#
# Usage: bash scripts/mutants.sh [ID...]      (no ids: every fault of the list)
#
# Prints one Markdown table row per fault on stdout, progress on stderr. The clean tree is
# built and tested first (every fault would look caught otherwise) and rebuilt at the end.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

list=scripts/mutants.txt
build=build/test
log=$build/mutants-ctest.log

if [[ ! -f $build/CMakeCache.txt ]]; then
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  cmake -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLW_SANITIZE=ON "${launcher[@]}" \
    >/dev/null || exit 1
fi

build_tree() { cmake --build "$build" -j2 >"$build/mutants-build.log" 2>&1; }
# A fault that makes a test loop forever is caught by the time limit.
run_tests() { ctest --test-dir "$build" -j2 --timeout 300 >"$log" 2>&1; }

# The names of the tests that failed in the last run, from ctest's closing summary.
failed_tests() {
  awk '/The following tests FAILED:/ { on = 1; next }
       on && / - / { sub(/^[ \t]*[0-9]+ - /, ""); sub(/ \([^)]*\)$/, "")
                    sub(/ +# GetParam.*$/, ""); print }' "$log"
}

# Replaces the one occurrence of the text $2 in file $1 by $3; fails, changing nothing, when
# the text does not occur exactly once.
plant() {
  python3 - "$@" <<'EOF'
import sys
path, old, new = sys.argv[1], sys.argv[2].encode(), sys.argv[3].encode()
text = open(path, "rb").read()
if text.count(old) != 1:
    sys.exit(1)
open(path, "wb").write(text.replace(old, new))
EOF
}

# A copy of the file being changed. Restoring writes the content back with a new time stamp,
# so that the next build compiles it again.
backup=$(mktemp)
mutated=""
restore() {
  if [[ -n $mutated ]]; then
    cat "$backup" >"$mutated"
    mutated=""
  fi
}
# An interrupted run puts the file back too: it never leaves a fault in the tree.
trap 'restore; rm -f "$backup"' EXIT
trap 'exit 130' INT TERM

# One table row for the current fault: the result and the failing tests or a note.
row() { printf '| %s | %s | %s | %s | %s |\n' "$id" "$file" "$what" "$1" "${2:-}"; }

echo "building and testing the clean tree" >&2
if ! build_tree || ! run_tests; then
  echo "the clean tree does not build or pass its tests (see $build/mutants-*.log)" >&2
  exit 1
fi

echo "| id | file | fault | result | failing tests |"
echo "|---|---|---|---|---|"
while IFS= read -r -u 3 line; do
  [[ -z ${line//[[:space:]]/} || $line == \#* ]] && continue
  IFS=$'\x1f' read -r id file old new what <<<"${line// ||| /$'\x1f'}"
  if (($# > 0)) && [[ " $* " != *" $id "* ]]; then continue; fi

  echo "fault $id" >&2
  if [[ ! -f $file ]] || ! cp "$file" "$backup"; then
    row "stale: $id" "file not found"
    continue
  fi
  mutated=$file
  if ! plant "$file" "$old" "$new"; then
    restore
    row "stale: $id" "original text not found exactly once"
    continue
  fi
  if ! build_tree; then
    row "does not compile"
  elif run_tests; then
    row "MISSED"
  else
    mapfile -t failed < <(failed_tests)
    names=$(printf '%s, ' "${failed[@]:0:3}")
    names=${names%, }
    ((${#failed[@]} > 3)) && names+=" +$((${#failed[@]} - 3)) more"
    row "caught" "${names:-ctest failed without naming a test: see $log}"
  fi
  restore
done 3<"$list"

echo "rebuilding the clean tree" >&2
build_tree || echo "the clean tree does not build (see $build/mutants-build.log)" >&2
