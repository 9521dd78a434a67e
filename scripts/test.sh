#!/usr/bin/env bash
# Runs the whole test suite: the normal build, the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, and a bounded fuzzing run over the seed corpus.
#   FUZZ_SECONDS (default 60): length of the fuzzing run; 0 skips it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

echo "== build and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== sanitizer build and test"
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVIK3_SANITIZE=ON \
    -DTARVIK3_BENCH=OFF >/dev/null
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"

fuzz_seconds=${FUZZ_SECONDS:-60}
if [ "$fuzz_seconds" -gt 0 ]; then
    echo "== fuzz build and ${fuzz_seconds} s fuzzing run"
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVIK3_FUZZ=ON \
        -DTARVIK3_BENCH=OFF >/dev/null
    cmake --build build-fuzz --target tarvik3_fuzz
    # New inputs go to a scratch corpus; the seeds, the regression corpus and the samples stay as they are.
    rm -rf build-fuzz/run && mkdir -p build-fuzz/run/corpus
    if ! build-fuzz/fuzz/tarvik3_fuzz -max_total_time="$fuzz_seconds" -max_len=32768 -timeout=3 \
            -rss_limit_mb=3072 -malloc_limit_mb=512 -dict=fuzz/markers.dict -artifact_prefix=build-fuzz/run/ \
            -print_final_stats=1 build-fuzz/run/corpus fuzz/seeds tests/corpus samples >build-fuzz/run/log 2>&1; then
        tail -n 60 build-fuzz/run/log
        echo "fuzzing found a fault; the input is in build-fuzz/run/ (minimise it into tests/corpus/)" >&2
        exit 1
    fi
    grep -E '^(#[0-9]+[[:space:]]+DONE|stat::(number_of_executed_units|average_exec_per_sec|new_units_added))' build-fuzz/run/log
fi
