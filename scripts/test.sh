#!/usr/bin/env bash
# Builds and runs every test three times: a plain build with warnings as errors, a build with
# AddressSanitizer and UndefinedBehaviorSanitizer, and one with ThreadSanitizer; then the core
# and kvrtool alone, without the player, as on a server with neither Qt nor SDL; then builds the
# fuzz targets and runs each for a few seconds. Any failure, finding or sanitizer report fails
# the run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --test

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# Qt and SDL are not built for the sanitizer: only what our own code does is judged, while their
# worker threads (image conversion, the audio callback) hand work back in ways it cannot see.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1"

run_suite() {
  local name="$1"; shift
  echo "=== ${name} ==="
  cmake -S . -B "build/test-${name}" -G Ninja -DKVR_WERROR=ON "$@" > /dev/null
  cmake --build "build/test-${name}" -j 2
  ctest --test-dir "build/test-${name}" --output-on-failure -j 2
}

run_suite plain -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_suite asan -DCMAKE_BUILD_TYPE=Debug -DKVR_SANITIZE=address -DKVR_BUILD_BENCH=OFF
run_suite tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVR_SANITIZE=thread -DKVR_BUILD_BENCH=OFF
# Without the player, Qt and SDL must not even be looked for: a search leaves its entry in the
# cache, found or not.
echo "=== core (no player) ==="
cmake -S . -B build/test-core -G Ninja -DKVR_WERROR=ON -DCMAKE_BUILD_TYPE=Debug -DKVR_BUILD_PLAYER=OFF > /dev/null
if grep -E '^(Qt6|SDL2)[A-Za-z]*_DIR' build/test-core/CMakeCache.txt; then
  echo "a build without the player looked for Qt or SDL" >&2
  exit 1
fi
cmake --build build/test-core -j 2
ctest --test-dir build/test-core --output-on-failure -j 2
echo "=== fuzz smoke ==="
scripts/fuzz.sh 5
echo "=== all test suites passed ==="
