#!/usr/bin/env bash
# Checks what `cmake --install` puts on a desktop: installs a build into a staging folder, checks
# that exactly the expected files are there (nothing test-only), validates the desktop entry and
# the AppStream metainfo, checks the installed program finds its own library, and starts it headless
# on a new prefix: it must still run after a few seconds.
# Usage: scripts/check-install.sh [build-folder]   (default: build, already built)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

work=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

stage=$work/stage
cmake --install "$build" --prefix "$stage" >/dev/null

# The application id is the desktop entry's name; the icon and the metainfo carry the same.
desktop=("$stage"/share/applications/*.desktop)
[ ${#desktop[@]} -eq 1 ] && [ -f "${desktop[0]}" ] || fail "expected one desktop entry, found: ${desktop[*]}"
id=$(basename "${desktop[0]}" .desktop)

# Everything installed must be one of these; anything else (a test, a benchmark, a static helper
# library, a header) is a mistake.
unexpected=$(cd "$stage" && find . -type f -o -type l | sed 's|^\./||' | grep -Ev \
    -e '^bin/Varnook2$' \
    -e '^lib/libKestrow2\.so\.[0-9.]+$' \
    -e '^share/varnook2/(Help/[^/]+\.html|images/[^/]+\.svg)$' \
    -e "^share/applications/$id\.desktop$" \
    -e "^share/metainfo/$id\.metainfo\.xml$" \
    -e "^share/icons/hicolor/([0-9]+x[0-9]+/apps/$id\.png|scalable/apps/$id\.svg)$" || true)
[ -z "$unexpected" ] || fail "unexpected files installed: $unexpected"

required=(bin/Varnook2 share/varnook2/Help/index.html share/varnook2/images/varnook.svg
          "share/metainfo/$id.metainfo.xml" "share/icons/hicolor/scalable/apps/$id.svg")
for size in 16 22 24 32 48 64 128 256; do
    required+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for file in "${required[@]}"; do
    [ -s "$stage/$file" ] || fail "missing: $file"
done
compgen -G "$stage/lib/libKestrow2.so.*" >/dev/null || fail "missing: lib/libKestrow2.so.*"

# Each PNG is as large as the folder it stands in says (width and height from the IHDR chunk).
for png in "$stage"/share/icons/hicolor/*x*/apps/"$id".png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    read -r -a b < <(od -An -tu1 -j16 -N8 "$png")
    width=$(( (b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3] ))
    height=$(( (b[4] << 24) | (b[5] << 16) | (b[6] << 8) | b[7] ))
    [ "${width}x${height}" = "$size" ] || fail "$png is ${width}x${height}"
done

desktop-file-validate "${desktop[0]}" || fail "invalid desktop entry"
grep -qx "Icon=$id" "${desktop[0]}" || fail "the desktop entry does not name the icon $id"
appstreamcli validate --no-net "$stage/share/metainfo/$id.metainfo.xml" >"$work/appstream.log" 2>&1 \
    || { cat "$work/appstream.log" >&2; fail "invalid metainfo"; }

# The installed program loads the installed library, not the build tree's copy.
program=$stage/bin/Varnook2
library=$(env -u LD_LIBRARY_PATH ldd "$program" | awk '/libKestrow2/ { print $3 }')
library=$(readlink -f "$library" || true)
case "$library" in
    "$stage"/lib/libKestrow2.so.*) ;;
    *) fail "the installed program loads libKestrow2 from '$library'" ;;
esac
version=$(env -u LD_LIBRARY_PATH "$program" --version) || fail "--version failed"
[[ $version == "Varnook "* ]] || fail "--version printed: $version"

# Started headless, with a home of its own and no Wine prefix, the program creates its own prefix
# from the sample registry and shows its main window until it is stopped. An error box would keep it
# running too, without a display to show it on: the new prefix tells the two apart.
home=$work/home
mkdir -p "$home" "$work/run"
chmod 700 "$work/run"
env -u LD_LIBRARY_PATH -u WINEPREFIX -u DISPLAY -u WAYLAND_DISPLAY \
    HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    XDG_STATE_HOME="$home/.local/state" XDG_CACHE_HOME="$home/.cache" \
    XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen \
    "$program" >"$work/run.log" 2>&1 &
pid=$!
for _ in 1 2 3 4 5 6; do
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || { wait "$pid" && rc=0 || rc=$?; cat "$work/run.log" >&2
                                    pid=; fail "the installed program ended early (exit status $rc)"; }
done
[ -s "$home/.local/share/Varnook2/prefix/system.reg" ] || fail "the program did not create its prefix"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
echo "check-install: $id installs and starts"
