#!/usr/bin/env bash
# Holds the checker's packet map against OpenJPEG: runs `tarvik3-check --json --packets` on each
# file and hands its lines to build/tools/packet-oracle, which prints one line per file (packets of
# the map, packets OpenJPEG reads alike, and where a tile parts) and a summary on standard error.
#   tools/packet-oracle.sh                       the packet corpus and the samples
#   tools/packet-oracle.sh FILE...               the files named
#   tools/packet-oracle.sh --list LIST           the files of LIST, one path a line, relative ones
#                                                taken from LIST's folder
# BUILD (default: the source tree's build) is the build folder; it must hold the checker and the
# oracle. The exit status is 0 when no file disagrees.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${BUILD:-$root/build}" && pwd)
check=$build/cli/tarvik3-check
oracle=$build/tools/packet-oracle
for tool in "$check" "$oracle"; do
    [ -x "$tool" ] || { echo "needs $tool: cmake --build $build (the oracle needs libopenjp2-7-dev)" >&2; exit 64; }
done
maps=$(mktemp)
trap 'rm -f "$maps"' EXIT
# The checker's status says what it found (0 to 3); only a failure to run ends the script.
run() { "$check" --json --packets "$@" >>"$maps" || [ $? -le 3 ]; }
if [ "${1:-}" = --list ]; then
    cd "$(dirname "$2")"
    # Paths as arguments: a list may hold names that are not UTF-8.
    xargs -d '\n' -a "$(basename "$2")" "$check" --json --packets >>"$maps" || [ $? -le 123 ]
elif [ $# -gt 0 ]; then
    run "$@"
else
    cd "$root"
    run tests/corpus/packets-* samples/*.j2k samples/*.j2c samples/*.jp2
fi
"$oracle" "$maps"
