#!/usr/bin/env bash
# Builds the release programs and runs the example script through titlekit.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh build
cmake -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLW_TESTS=OFF
cmake --build build/release -j2

echo "\$ titlekit run examples/hello.lws 'main()'"
build/release/src/apps/titlekit/titlekit run examples/hello.lws 'main()'
