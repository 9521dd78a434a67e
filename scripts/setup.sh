#!/usr/bin/env bash
# Installs what is missing, builds everything, and checks a sample codestream.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
./build/cli/tarvik3-check --tree samples/color-tiled.j2k
