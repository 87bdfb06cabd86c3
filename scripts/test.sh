#!/usr/bin/env bash
# Builds everything and runs every test twice: in a normal build, and in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"
# What `cmake --install` puts on a desktop, and that the installed program starts.
scripts/check-install.sh build

# The Wine tests spend their time in Wine's own processes and run in the optimised build; the
# code they drive runs here under the unit tests, which keeps the two builds within CI's time.
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVARNOOK_SANITIZE=ON \
      -DVARNOOK_BUILD_BENCHMARKS=OFF -DVARNOOK_INTEROP_TESTS=OFF >/dev/null
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

# Every parser of outside input under libFuzzer: the corpus of fuzz/corpus (regression inputs
# included) and a few seconds of new inputs a target.
FUZZ_WINE_SEEDS=0 scripts/fuzz.sh 15
