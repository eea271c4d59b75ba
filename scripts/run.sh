#!/usr/bin/env bash
# Builds the program and runs its main job on a default recording: a sample recording is made
# and inspected with kvrtool.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVR_BUILD_TESTS=OFF -DKVR_BUILD_BENCH=OFF
cmake --build build/release -j 2

mkdir -p build/sample
build/release/tools/kvrtool sample build/sample/sample.kvr
build/release/tools/kvrtool info build/sample/sample.kvr
