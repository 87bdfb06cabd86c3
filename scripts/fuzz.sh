#!/usr/bin/env bash
# Builds the fuzz targets (build-fuzz/: clang, libFuzzer, AddressSanitizer and UBSan), prepares
# their corpora and runs every target for the given time, two at a time on two cores or more.
# Prints per target the executions, coverage and any finding; exits non-zero on any crash, leak,
# timeout or memory blow-up.
#
#     scripts/fuzz.sh [seconds per target, default 60] [target ...]
#
# Everything a run makes stays in build-fuzz/fuzz-run/: the growing corpus of each target (kept
# between runs), the seeds made here, the findings and the logs. The seeds committed in
# fuzz/corpus/<target>/ (regression inputs included) are read, never written: libFuzzer runs
# each of them before it starts mutating, so a regression input that crashes again fails the run.
#
# Environment: FUZZ_SEED (default 1) makes the mutations repeatable; FUZZ_JOBS targets at once;
# FUZZ_WINE_SEEDS=0 skips the Wine prefix the seeds are taken from; FUZZ_FLAGS adds libFuzzer
# options (e.g. "-fork=1 -ignore_crashes=1" to go on after a finding).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
all_targets=(HiveReaderFuzzer RegFileWriterFuzzer SettingsFileFuzzer IconFileFuzzer PeResourceFuzzer ShellPathFuzzer)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all_targets[@]}")
cores=$(nproc)
jobs=${FUZZ_JOBS:-$((cores >= 2 ? 2 : 1))}

build=build-fuzz
run=$build/fuzz-run
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNOOK_FUZZ=ON >/dev/null
cmake --build "$build" -j "$cores" -- "${targets[@]}" FuzzSeedWriter
mkdir -p "$run/corpus" "$run/seeds" "$run/findings" "$run/logs"

# ---- seeds made at run time (each made once per build folder)
seeds=$run/seeds
mkdir -p "$seeds"/{HiveReaderFuzzer,IconFileFuzzer,PeResourceFuzzer}
# Whole hives are cut at section boundaries into files of about 4 KiB, each with the file's
# header: small inputs are what a mutation fuzzer does its work on.
split_hive() {
    awk -v out="$2" -v max=4096 '
        !started && /^\[/ { started = 1 }
        !started { header = header $0 "\n"; next }
        /^\[/ && (file == "" || size >= max) {
            if (file != "") close(file)
            file = sprintf("%s-%03d.reg", out, n++)
            printf "%s", header > file
            size = 0
        }
        { print > file; size += length($0) + 1 }' "$1"
}
for hive in resources/sample/*.reg; do
    split_hive "$hive" "$seeds/HiveReaderFuzzer/sample-$(basename "$hive" .reg)"
done
"$build/fuzz/FuzzSeedWriter" "$seeds/IconFileFuzzer" "$seeds/PeResourceFuzzer"

prefix=$run/wineprefix
if [ "${FUZZ_WINE_SEEDS:-1}" != 0 ] && command -v wine >/dev/null && [ ! -f "$prefix/system.reg" ]; then
    echo "Making a Wine prefix for seeds (wineboot)..."
    rm -rf "$prefix"
    if WINEPREFIX=$PWD/$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" timeout 300 wineboot --init \
            >"$run/logs/wineboot.log" 2>&1; then
        WINEPREFIX=$PWD/$prefix timeout 60 wineserver --wait || true
    else
        echo "wineboot failed; going on without the prefix's seeds (see $run/logs/wineboot.log)"
    fi
fi
if [ -f "$prefix/system.reg" ]; then
    for hive in system user userdef; do
        if [ -f "$prefix/$hive.reg" ]; then split_hive "$prefix/$hive.reg" "$seeds/HiveReaderFuzzer/wine-$hive"; fi
    done
    # Programs with icon groups and version resources, each under 1 MiB (the inputs' size limit):
    # shell32.dll and comctl32.dll are many MiB, which a mutation fuzzer cannot work on.
    for file in notepad.exe write.exe winver.exe control.exe explorer.exe; do
        found=$(find "$prefix/drive_c/windows" -maxdepth 2 -iname "$file" -size -1024k | head -n 1)
        if [ -n "$found" ]; then cp "$found" "$seeds/PeResourceFuzzer/wine-$file"; fi
    done
    find "$prefix/drive_c" -iname '*.ico' -size -64k 2>/dev/null | head -n 8 | while read -r ico; do
        cp "$ico" "$seeds/IconFileFuzzer/wine-$(basename "$ico")"
    done
fi

# ---- running
tmp=$(mktemp -d "${FUZZ_TMPDIR:-$( [ -w /dev/shm ] && echo /dev/shm || echo "$PWD/$run")}/varnook-fuzz.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

fuzz_one() {
    local target=$1
    local corpus=$run/corpus/$target
    local findings=$run/findings/$target
    mkdir -p "$corpus" "$findings" "$tmp/$target"
    local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -malloc_limit_mb=1024
                   -max_len=1048576 -print_final_stats=1 -seed="${FUZZ_SEED:-1}"
                   -artifact_prefix="$findings/")
    if [ -f "fuzz/$target.dict" ]; then options+=(-dict="fuzz/$target.dict"); fi
    # shellcheck disable=SC2206 # words on purpose
    options+=(${FUZZ_FLAGS:-})
    local dirs=("$corpus" "fuzz/corpus/$target")
    if [ -d "$seeds/$target" ]; then dirs+=("$seeds/$target"); fi
    # The first folder gets what the run finds; the others are only read.
    TMPDIR=$tmp/$target QT_LOGGING_RULES='*=false' ASAN_OPTIONS=detect_leaks=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$build/fuzz/$target" "${options[@]}" "${dirs[@]}" >"$run/logs/$target.log" 2>&1
}

summary() {
    local target=$1 status=$2 log=$run/logs/$1.log
    local execs stats
    execs=$(sed -n 's/^stat::number_of_executed_units: //p' "$log" | tail -n 1)
    stats=$(grep -E '^#[0-9]+' "$log" | tail -n 1 | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9]+[a-zA-Z]*' || true)
    printf '%-20s %s  execs: %s  %s\n' "$target" "$([ "$status" = 0 ] && echo ok || echo FAILED)" \
        "${execs:-?}" "${stats:-(no stats)}"
    if [ "$status" != 0 ]; then
        grep -E '==fuzz==|ERROR: |SUMMARY: |ALARM|out-of-memory|Test unit written' "$log" | head -n 12 | sed 's/^/    /'
        echo "    log: $log"
    fi
}

running=0
for target in "${targets[@]}"; do
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
    (fuzz_one "$target" && echo 0 || echo $?) >"$run/logs/$target.status" &
    running=$((running + 1))
done
wait

failed=0
for target in "${targets[@]}"; do
    status=$(cat "$run/logs/$target.status")
    summary "$target" "$status"
    [ "$status" = 0 ] || failed=1
done
if [ "$failed" != 0 ]; then
    echo "Fuzzing found problems; inputs are in $run/findings/<target>/ (reproduce: $build/fuzz/<target> <input>)"
    exit 1
fi
