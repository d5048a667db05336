#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in an optimised build,
# once with lodepng compiled from its own source as on a Mac (the game and the tests
# that read and write PNG files), once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || sysctl -n hw.ncpu 2>/dev/null || echo 4)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --output-on-failure

./scripts/test-lodepng-source.sh "$jobs"

# Apple's AddressSanitizer has no leak checker and refuses to start when asked for one.
leaks=
[ "$(uname -s)" = Linux ] && leaks=detect_leaks=1
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTUMBOLD_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=$leaks UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan -j "$jobs" --output-on-failure
