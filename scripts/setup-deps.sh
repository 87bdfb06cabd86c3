#!/usr/bin/env bash
# Installs what Varnook needs to build, test and run on Debian 12, with sudo when not root.
# Does nothing when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-image-formats-plugins
    libgtest-dev libgmock-dev libbenchmark-dev libjemalloc-dev
    wine wine64 xvfb xauth g++-mingw-w64-x86-64
    desktop-file-utils appstream dpkg-dev file
    clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
