#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it on the embedded data set.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || sysctl -n hw.ncpu 2>/dev/null || echo 4)" --target tumbold
exec ./build/tumbold "$@"
