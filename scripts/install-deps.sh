#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the fuzzing need, when any is missing
# (parallel: the suite tests the README's recipe for checking on several machines).
set -euo pipefail
# The Debian package needs dpkg-dev (dpkg-shlibdeps), and its test lintian.
packaging=(dpkg-dev lintian)
# The viewer needs Qt 6 Widgets and Xlib (the lock-key panes); its screenshots need an X server of
# its own, xdotool and ImageMagick. The engine parses ICC profiles with Little CMS and XML with Expat.
# The preview's decoder links OpenJPEG and libpng; the preview's benchmark makes its large stream with
# OpenJPEG's encoder.
packages=(cmake ninja-build g++ pkgconf libgtest-dev libbenchmark-dev nlohmann-json3-dev libcli11-dev
          clang libclang-rt-14-dev parallel qt6-base-dev libx11-dev fonts-dejavu-core xvfb xdotool
          imagemagick liblcms2-dev libexpat1-dev libopenjp2-7-dev libpng-dev libopenjp2-tools)
missing=()
for p in "${packages[@]}" "${packaging[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
