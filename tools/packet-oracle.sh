#!/usr/bin/env bash
# Holds the checker's packet map against OpenJPEG: runs `tarvik3-check --json --packets` on each
# file and hands its lines to build/tools/packet-oracle, which prints one line per file (packets of
# the map, packets OpenJPEG reads alike, and where a tile parts) and a summary on standard error.
#   tools/packet-oracle.sh                       the packet corpus and the samples
#   tools/packet-oracle.sh FILE...               the files named
#   tools/packet-oracle.sh --list LIST           the files of LIST, one path a line
# BUILD (default build) is the build folder; it must hold the checker and the oracle.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
for tool in "$build/cli/tarvik3-check" "$build/tools/packet-oracle"; do
    [ -x "$tool" ] || { echo "needs $tool: cmake --build $build (the oracle needs libopenjp2-7-dev)" >&2; exit 64; }
done
maps=$(mktemp)
trap 'rm -f "$maps"' EXIT
check() { "$build/cli/tarvik3-check" --json --packets "$@" >>"$maps" || [ $? -le 3 ]; }
if [ "${1:-}" = --list ]; then
    # Paths as arguments: a list may hold names that are not UTF-8.
    xargs -d '\n' -a "$2" "$build/cli/tarvik3-check" --json --packets >>"$maps" || [ $? -le 123 ]
elif [ $# -gt 0 ]; then
    check "$@"
else
    check tests/corpus/packets-* samples/*.j2k samples/*.j2c samples/*.jp2
fi
"$build/tools/packet-oracle" "$maps"
