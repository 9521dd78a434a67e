#!/usr/bin/env bash
# The Debian package as a user gets it: CPack makes it from the build's installed layout, and
# unpacked (dpkg -x) into a scratch root it holds exactly what `cmake --install` installs, under
# /usr: the programs (stripped), the desktop entry and icon, the manual pages, the checker's bash
# completion, the copyright and the changelog (those compressed); its dependencies come from the
# libraries the programs link; lintian finds no error in it; and the unpacked programs run.
#   tests/package/packageTest.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; fail "cpack"; }
deb=$(echo "$scratch"/out/*.deb)
dpkg-deb -x "$deb" "$scratch/root"
cmake --install "$build" --prefix "$scratch/installed" >/dev/null

# Whatever the build installs is packaged, and nothing else.
(cd "$scratch/installed" && find . -type f | sort) >"$scratch/installed.txt"
(cd "$scratch/root/usr" && find . -type f | sort) >"$scratch/packaged.txt"
diff "$scratch/installed.txt" "$scratch/packaged.txt" || fail "the package differs from the installed layout"
for file in bin/tarvik3 bin/tarvik3-check share/applications/tarvik3.desktop \
    share/icons/hicolor/scalable/apps/tarvik3.svg share/man/man1/tarvik3.1.gz share/man/man1/tarvik3-check.1.gz \
    share/bash-completion/completions/tarvik3-check share/doc/tarvik3/copyright share/doc/tarvik3/changelog.gz; do
    [ -f "$scratch/root/usr/$file" ] || fail "no /usr/$file"
done
for program in "$scratch"/root/usr/bin/*; do
    ! readelf -S "$program" | grep -q '\.symtab' || fail "$program is not stripped"
done
gzip -t "$scratch"/root/usr/share/man/man1/*.gz "$scratch/root/usr/share/doc/tarvik3/changelog.gz"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "no dependency on Qt Widgets: $(dpkg-deb -f "$deb" Depends)"
bash -n "$scratch/root/usr/share/bash-completion/completions/tarvik3-check" || fail "bash completion"

lintian --fail-on error "$deb" >"$scratch/lintian.log" 2>&1 || { cat "$scratch/lintian.log" >&2; fail "lintian"; }

"$scratch/root/usr/bin/tarvik3-check" "$source/samples/color-tiled.j2k" | grep -q '^OK! Nie znaleziono błędów.$' ||
    fail "the packaged checker"
[ "$(QT_QPA_PLATFORM=offscreen "$scratch/root/usr/bin/tarvik3" --version)" = "tarvik3 0.1" ] || fail "the packaged viewer"
echo "package: $(basename "$deb"), $(wc -l <"$scratch/packaged.txt") files, lintian clean of errors"
