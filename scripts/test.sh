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
