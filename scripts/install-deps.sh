#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the fuzzing need, when any is missing
# (parallel: the suite tests the README's recipe for checking on several machines).
set -euo pipefail
# The viewer needs Qt 6 Widgets and Xlib (the lock-key panes); its screenshots need an X server of
# its own, xdotool and ImageMagick.
packages=(cmake ninja-build g++ libgtest-dev libbenchmark-dev nlohmann-json3-dev libcli11-dev
          clang libclang-rt-14-dev parallel qt6-base-dev libx11-dev fonts-dejavu-core xvfb xdotool
          imagemagick)
# The packet benchmark encodes its streams at run time.
packages+=(libopenjp2-tools)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
