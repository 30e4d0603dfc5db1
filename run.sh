#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Vellumar and opens a hypertext in the viewer:
#   ./run.sh [FILE.hyp [NODE]]
# Without a file it opens the bundled sample hypertext. The Windows viewer runs under Wine (the
# x86-64 build where this machine cannot run 32-bit code) on the current display; without a
# display it runs under Xvfb, saves a screenshot of the first page to build/screenshot.png and
# ends the viewer. The converter's file information and index listing follow.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"

scripts/setup.sh
scripts/build.sh native win32 win64

file=${1:-build/native/samples/sample.hyp}
node=${2:-}
[ -f "$file" ] || { echo "run.sh: no such file: $file" >&2; exit 2; }

# shellcheck source=scripts/wine-env.sh
. scripts/wine-env.sh
exe=$VELLUMAR_WINE_BUILD/vellumar.exe
winfile="Z:$(readlink -f "$file" | tr / '\\')"
args=("$winfile")
[ -n "$node" ] && args+=("$node")

if [ -n "${DISPLAY:-}" ]; then
    echo "== viewer: $file ${node:+(node $node)} =="
    "$VELLUMAR_WINE" "$exe" "${args[@]}" || true
else
    display=
    for n in $(seq 91 140); do
        [ -e "/tmp/.X$n-lock" ] || { display=$n; break; }
    done
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null || true' EXIT
    export DISPLAY=":$display"
    sleep 1
    "$VELLUMAR_WINE" "$exe" "${args[@]}" >/dev/null 2>&1 &
    viewer=$!
    wid=
    for _ in $(seq 80); do
        wid=$(xdotool search --onlyvisible --name 'Vellumar - ' 2>/dev/null | tail -1) || true
        [ -n "$wid" ] && break
        sleep 0.25
    done
    if [ -n "$wid" ]; then
        sleep 2
        import -window "$wid" build/screenshot.png
        echo "== viewer: $(xdotool getwindowname "$wid") =="
        echo "No display: the first page was saved to build/screenshot.png"
        xdotool windowfocus "$wid" key q 2>/dev/null || true
    else
        echo "run.sh: the viewer showed no window (a message box or the file dialog may be open)" >&2
    fi
    sleep 2
    kill "$viewer" 2>/dev/null || true
    "$WINESERVER" -k 2>/dev/null || true
fi

hypconv=build/native/hypconv
echo
echo "== hypconv --info $file =="
"$hypconv" --info "$file"
echo
echo "== hypconv --list $file =="
"$hypconv" --list "$file"
