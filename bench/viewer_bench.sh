#!/usr/bin/env bash
# Figures of the Windows viewer under Wine and Xvfb (not a test): the time from starting the
# program to the first page painted (its own title set by the painting walk), 100 page changes
# in the running viewer with their split into stages, and 100 line scrolls and 100 wheel
# notches on the file's longest page (tests/win32/viewer_wintest.exe bench), for each window
# size. It runs in a Wine prefix of its own, so that nothing the tests store changes its figures.
#   bench/viewer_bench.sh [FILE.hyp...]   (default: the bundled sample)
# VELLUMAR_BENCH_SIZES   window sizes, outer pixels (default "708x527 1280x960")
# VELLUMAR_BENCH_BUILDS  "LABEL=DIR ..." Windows builds to compare in one run (default: this
#                        checkout's build that Wine runs here)
set -uo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
bin=${VELLUMAR_BINARY_DIR:-$src/build/native}
export VELLUMAR_VIEWER_WINEPREFIX=${VELLUMAR_BENCH_WINEPREFIX:-$bin/bench-wineprefix}
. "$src/tests/scripts/lib/viewer_wine.bash"
viewer_setup || { echo "viewer_bench: Wine, Xvfb or the builds are missing"; exit 1; }
[ $# -gt 0 ] || set -- "$SAMPLE"
sizes=${VELLUMAR_BENCH_SIZES:-708x527 1280x960}
builds=${VELLUMAR_BENCH_BUILDS:-current=$(dirname "$VIEWER_EXE")}
key='HKCU\Software\Ostwick\Vellumar\OptionsDiv'

# WINDOWPLACEMENT as the viewer stores it: length 44, no flags, SW_SHOWNORMAL, no minimised or
# maximised position, the normal rectangle (0, 0, width, height); little-endian 32-bit fields.
placement_hex() {
    local v out=
    for v in 44 0 1 -1 -1 -1 -1 0 0 "$1" "$2"; do
        out+=$(printf '%08x' $((v & 0xFFFFFFFF)) | sed -E 's/(..)(..)(..)(..)/\4\3\2\1/')
    done
    echo "$out"
}

# The first page is painted when the caption changes from the entry's name to the page's
# title; a file whose first page has no title of its own is timed to its window instead.
startup_runs() {
    local exe=$1 winfile=$2 run start pid first first_name painted name wid
    for run in 1 2 3; do
        start=$(date +%s%N)
        "$VELLUMAR_WINE" "$(winpath "$exe")" "$winfile" >/dev/null 2>&1 &
        pid=$!
        first=
        painted=
        for _ in $(seq 600); do
            name=$(xdotool search --onlyvisible --name 'Vellumar - ' getwindowname 2>/dev/null | tail -1)
            if [ -n "$name" ]; then
                [ -z "$first" ] && first=$(date +%s%N) && first_name=$name
                if [ "$name" != "$first_name" ]; then painted=$(date +%s%N); break; fi
                [ $(( ($(date +%s%N) - first) / 1000000 )) -gt 3000 ] && break
            fi
            sleep 0.02
        done
        if [ -n "$painted" ]; then
            echo "  run $run: start to first page painted: $(( (painted - start) / 1000000 )) ms"
        elif [ -n "$first" ]; then
            echo "  run $run: start to main window: $(( (first - start) / 1000000 )) ms (no page title)"
        else
            echo "  run $run: no window"
        fi
        wid=$(xdotool search --onlyvisible --name 'Vellumar - ' 2>/dev/null | tail -1)
        [ -n "$wid" ] && xdotool windowfocus "$wid" key q 2>/dev/null
        wait_exit "$pid" 20 || kill "$pid" 2>/dev/null
    done
}

for file in "$@"; do
    winfile=$(winpath "$file")
    for size in $sizes; do
        width=${size%x*}
        height=${size#*x}
        for build in $builds; do
            label=${build%%=*}
            dir=${build#*=}
            echo "== $(basename "$file") at $size, $label ($dir)"
            reset_registry
            "$VELLUMAR_WINE" reg add "$key" /v WindowPlacement /t REG_BINARY \
                /d "$(placement_hex "$width" "$height")" /f >/dev/null 2>&1
            startup_runs "$dir/vellumar.exe" "$winfile"
            [ -f "$dir/tests/win32/viewer_wintest.exe" ] &&
                "$VELLUMAR_WINE" "$(winpath "$dir/tests/win32/viewer_wintest.exe")" bench \
                    "$winfile" "$width" "$height" 2>&1 | tr -d '\r'
        done
    done
done
viewer_teardown
