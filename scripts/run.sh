#!/usr/bin/env bash
# Builds the program and runs its main job on a default recording: the player opens a recording
# with real coded video (JPEG, MPEG-4 and H.264 channels), audio and event texts, and plays it in
# its window. The recording is made with kvrtool synth when it is missing. Without any display the
# recording is played headless with every frame decoded, and a picture of the player's window,
# drawn offscreen, is written to build/sample/kvrplayer.png.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVR_BUILD_TESTS=OFF -DKVR_BUILD_BENCH=OFF
cmake --build build/release -j 2

kvrtool=build/release/tools/kvrtool
sample=build/sample/sample.kvr
mkdir -p build/sample
if [ ! -f "$sample" ] || [ ! -f "${sample%.kvr}.idx" ]; then
  "$kvrtool" synth "$sample" --force --channel 0:1:jpeg --channel 0:2:mpeg4 --channel 0:3:h264 \
    --channel 0:4:h264 --audio 0:1:g711 --size 704x480 --seconds 30 --events
fi
"$kvrtool" info "$sample"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/release/app/kvrplayer "$sample"
fi
echo "No display here (DISPLAY and WAYLAND_DISPLAY are unset): playing the recording without a window,"
echo "then drawing the player's window offscreen."
"$kvrtool" play "$sample" --speed 5 --decode
build/release/app/kvrplayer-picture "$sample" build/sample/kvrplayer.png 3
