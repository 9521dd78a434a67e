#!/usr/bin/env bash
# Builds and runs every benchmark; extra arguments go to the benchmark program, e.g.
#   bench/run.sh --benchmark_filter=HexText
# Streams (about 1.2 GiB, mostly holes) are written under TMPDIR and removed at exit. The figures are
# also saved as JSON in BUILD_DIR/bench/results.json.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVIK3_BENCH=ON >/dev/null
cmake --build "$build" --target tarvik3_bench mkstream
"$build/bench/tarvik3_bench" --benchmark_out="$build/bench/results.json" --benchmark_out_format=json "$@"
