#!/usr/bin/env bash
# Builds Varnook and starts it; arguments go to the program (--prefix DIR, --read-only, --help).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target Varnook2
exec build/bin/Varnook2 "$@"
