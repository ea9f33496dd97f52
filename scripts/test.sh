#!/usr/bin/env bash
# Checks the formatting, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh test
bash scripts/check-format.sh
cmake -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLW_SANITIZE=ON
cmake --build build/test -j2
ctest --test-dir build/test --output-on-failure -j2
