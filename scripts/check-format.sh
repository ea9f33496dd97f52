#!/usr/bin/env bash
# Checks that every C and C++ file of the repository is formatted as .clang-format says; lists the
# files that are not and exits 1. `git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i`
# formats them.
set -euo pipefail
cd "$(dirname "$0")/.."
unformatted=()
while IFS= read -r file; do
  clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done < <(git ls-files '*.cpp' '*.h' '*.c')
if [ ${#unformatted[@]} -gt 0 ]; then
  printf 'not formatted: %s\n' "${unformatted[@]}" >&2
  exit 1
fi
