#!/usr/bin/env bash
# How large the tests are against the code they test: lines of C and C++ that are neither blank nor
# comments, for the code (src/, include/, resources/) and for each test folder, and the ratio.
# Usage: scripts/test-ratio.sh [--by-file]
set -euo pipefail
cd "$(dirname "$0")/.."

# Lines that are not blank, not // comments and not inside or on /* ... */ comment lines.
lines() { grep -vhE '^\s*$|^\s*//|^\s*/?\*' "$@" /dev/null | wc -l; }
sources() { git ls-files -co --exclude-standard "$@" | grep -E '\.(cpp|h|c)$' || true; }

code=$(lines $(sources src include resources))
tests=$(lines $(sources tests))
printf '%-22s %6d\n' "code" "$code"
for folder in $(sources tests | cut -d/ -f2 | sort -u); do
  [ -d "tests/$folder" ] || continue
  printf '%-22s %6d\n' "tests/$folder" "$(lines $(sources "tests/$folder"))"
  if [ "${1:-}" = "--by-file" ]; then
    for file in $(sources "tests/$folder"); do printf '  %-40s %6d\n' "${file#tests/}" "$(lines "$file")"; done
  fi
done
printf '%-22s %6d  (%d%% of the code)\n' "tests" "$tests" $((100 * tests / code))
