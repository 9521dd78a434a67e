#!/usr/bin/env bash
# Builds and runs the preview's benchmarks; extra arguments go to the benchmark program. The large
# stream is made on the first run (minutes, about 5 GB of memory) and kept in BUILD_DIR/bench/cache.
#   TARVIK3_REAL_FILES=/path/to/list.txt adds the files listed there (one path a line, relative to
#   the list's folder) to the hostile set.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVIK3_BENCH=ON >/dev/null
cmake --build "$build" --target tarvik3_preview_bench tarvik3-decode
QT_QPA_PLATFORM=offscreen "$build/bench/tarvik3_preview_bench" \
    --benchmark_out="$build/bench/preview-results.json" --benchmark_out_format=json "$@"
