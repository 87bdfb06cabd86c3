#!/usr/bin/env bash
# Builds the Debian package varnook2_<version>_<arch>.deb with CPack in a build folder (default:
# build, the one scripts/test.sh uses) and prints its path. Install it with
#   sudo apt install ./build/varnook2_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/varnook2_*.deb
