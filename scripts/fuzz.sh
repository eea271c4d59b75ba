#!/usr/bin/env bash
# Builds the fuzz targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer and runs
# each for SECONDS (default 60), two at a time:  scripts/fuzz.sh [SECONDS] [TARGET...]
# Each target's corpus grows in build/fuzz/work/TARGET from the seeds cut at build time, and
# what it finds lands in build/fuzz/findings/. Every run's executions are added to
# build/fuzz/runs.log, whose totals per target are printed at the end. Exit status 1 when a
# target found something.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
shift || true
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  targets=(packet media_file video_jpeg video_mpeg4 video_h264 audio_g711 audio_g723 audio_ima
    event_composer tool_arguments)
fi

scripts/install-deps.sh --fuzz
build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKVR_SANITIZE=address -DKVR_BUILD_FUZZ=ON -DKVR_BUILD_TESTS=OFF -DKVR_BUILD_BENCH=OFF \
  -DKVR_WERROR=ON > /dev/null
cmake --build "$build" -j 2 --target fuzzers

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
mkdir -p "$build/work" "$build/findings" "$build/logs"

run_target() {
  local target="$1" seconds="$2" build="$3"
  local options=(-max_total_time="$seconds" -print_final_stats=1 -close_fd_mask=1
    -artifact_prefix="$build/findings/$target-")
  case "$target" in
    # The decoders live on from input to input, as a view's do: what they hold is no leak.
    video_*) options+=(-detect_leaks=0 -max_len=16384) ;;
    # Each byte is a few samples of decoding: short inputs keep the search quick.
    audio_g723) options+=(-max_len=1200) ;;
    packet | media_file) options+=(-max_len=16384) ;;
    # The commands complain on standard error by design.
    tool_arguments) options+=(-close_fd_mask=3) ;;
  esac
  mkdir -p "$build/work/$target"
  local status=0
  nice "$build/fuzz/fuzz_$target" "${options[@]}" "$build/work/$target" "$build/fuzz/corpus/$target" \
    > "$build/logs/$target.log" 2>&1 || status=$?
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/logs/$target.log" | tail -1)
  echo "$(date -u +%FT%TZ) $target ${seconds}s ${runs:-0} status=$status" >> "$build/runs.log"
  if [ "$status" -ne 0 ]; then
    echo "fuzz_$target found something (status $status); see $build/logs/$target.log" >&2
    tail -40 "$build/logs/$target.log" >&2
    return 1
  fi
}
export -f run_target

failed=0
printf '%s\n' "${targets[@]}" | xargs -P 2 -I{} bash -c 'run_target "$@"' _ {} "$seconds" "$build" || failed=1

echo "executions so far (all runs in $build/runs.log):"
awk '{ runs[$2] += $4; time[$2] += $3 } END { for (t in runs) printf "  %-16s %12d in %6ds\n", t, runs[t], time[t] }' \
  "$build/runs.log" | sort
exit "$failed"
