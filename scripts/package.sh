#!/usr/bin/env bash
# Builds the Debian package of tarvik3 from what `cmake --install` installs (the programs, the
# desktop entry and icon, the manual pages, the checker's bash completion, the copyright and the
# changelog), its dependencies found by dpkg-shlibdeps, its programs stripped.
#   scripts/package.sh      then: sudo apt install ./build/tarvik3_0.1_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
(cd build && cpack -G DEB >/dev/null)
ls build/*.deb
