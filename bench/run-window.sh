#!/usr/bin/env bash
# Builds and runs the window's benchmarks (offscreen); extra arguments go to the benchmark program.
# Streams (about 1.2 GiB, mostly holes) are written under TMPDIR and removed at exit. The figures are
# also saved as JSON in BUILD_DIR/bench/window-results.json.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVIK3_BENCH=ON >/dev/null
cmake --build "$build" --target tarvik3_window_bench
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/tarvik3_window_bench" \
    --benchmark_out="$build/bench/window-results.json" --benchmark_out_format=json "$@"
