#!/usr/bin/env bash
# Builds the program and runs its main job on a default recording: a recording with real coded
# video (JPEG, MPEG-4 and H.264 channels) and audio is made, inspected, and played without a
# window with every video packet decoded. Each run writes the same recording over the last.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVR_BUILD_TESTS=OFF -DKVR_BUILD_BENCH=OFF
cmake --build build/release -j 2

mkdir -p build/sample
build/release/tools/kvrtool synth build/sample/sample.kvr --force --channel 0:1:jpeg --channel 0:2:mpeg4 \
  --channel 0:3:h264 --audio 0:1:g711 --size 704x480 --seconds 10
build/release/tools/kvrtool info build/sample/sample.kvr
build/release/tools/kvrtool play build/sample/sample.kvr --speed 5 --decode
