#!/usr/bin/env bash
# Figures of the Windows viewer under Wine and Xvfb (not a test): the time from starting the
# program to the first page painted (its own title set by the painting walk), and 100 page
# changes in the running viewer (tests/win32/viewer_wintest.exe bench).
#   bench/viewer_bench.sh [FILE.hyp]      (default: the bundled sample)
set -uo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
bin=${VELLUMAR_BINARY_DIR:-$src/build/native}
. "$src/tests/scripts/lib/viewer_wine.bash"
viewer_setup || { echo "viewer_bench: Wine, Xvfb or the builds are missing"; exit 1; }
file=${1:-$SAMPLE}
winfile=$(winpath "$file")

# The first page is painted when the caption changes from the entry's name to the page's
# title; a file whose first page has no title of its own is timed to its window instead.
for run in 1 2 3; do
    start=$(date +%s%N)
    "$VELLUMAR_WINE" "$(winpath "$VIEWER_EXE")" "$winfile" >/dev/null 2>&1 &
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
        echo "run $run: start to first page painted: $(( (painted - start) / 1000000 )) ms"
    elif [ -n "$first" ]; then
        echo "run $run: start to main window: $(( (first - start) / 1000000 )) ms (no page title)"
    else
        echo "run $run: no window"
    fi
    wid=$(xdotool search --onlyvisible --name 'Vellumar - ' 2>/dev/null | tail -1)
    [ -n "$wid" ] && xdotool windowfocus "$wid" key q 2>/dev/null
    wait_exit "$pid" 20 || kill "$pid" 2>/dev/null
done
[ -f "$VIEWER_WINTEST" ] && "$VELLUMAR_WINE" "$(winpath "$VIEWER_WINTEST")" bench "$winfile" 2>&1 |
    tr -d '\r'
