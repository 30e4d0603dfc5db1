#!/usr/bin/env bash
# The shipped 32-bit programs themselves (build/win32) under wine32: the viewer opens a corpus
# hypertext at a node (its window title), draws that page (the text's pixels in a screenshot),
# goes on to the next page by "+" (the title) and stores LastLoadPath when Q ends it (the
# registry); hypconv.exe's --check and --page print what the native converter prints, on three
# corpus files. The expected titles are the node names and titles of the corpus's STG sources.
#
# Where the kernel refuses i386 code, wine32 runs through the emulator that scripts/setup.sh
# registers, some hundred times slower: the Wine prefix alone takes minutes, so it is made once
# per build folder (build/native/win32-programs-wineprefix) and kept. Where i386 code runs
# natively, the same runs without emulation. The time each part took is printed at the end.
#
# Where wine32 cannot run here (not installed, no i386 code, the loader failing), strict mode
# (VELLUMAR_STRICT=1) fails with the reason, otherwise the test is skipped (77). One case is no
# fault of the project or the machine and skips in strict mode too, saying so: setup.sh found
# the distribution's i386 package index incomplete (a mirror mid-sync) and apt could not install
# wine32:i386 from it (build/setup-state.txt records both).
#
# VELLUMAR_WIN32_PROGRAMS_TRIAL=64 runs the same checks on the x86-64 build under wine64, to try
# this script on a machine without wine32; it is never set in the test runs.
set -uo pipefail
src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
bin=${VELLUMAR_BINARY_DIR:-$src/build/native}
CORPUS=${VELLUMAR_CORPUS_DIR:-$src/../shared/corpus}
STATE=${VELLUMAR_SETUP_STATE:-$src/build/setup-state.txt}
trial=${VELLUMAR_WIN32_PROGRAMS_TRIAL:-}
started=$SECONDS

# not_here REASON: this machine cannot run the 32-bit programs.
not_here() {
    if [ "${VELLUMAR_STRICT:-0}" = 1 ]; then echo "FAILED (strict): $1"; exit 1; fi
    echo "skip: $1"
    exit 77
}

[ -f "$CORPUS/mint-en.hyp" ] && [ -f "$CORPUS/mint-en.stg" ] || not_here "corpus missing at $CORPUS"
NATIVE_HYPCONV=$bin/hypconv
[ -x "$NATIVE_HYPCONV" ] || not_here "$NATIVE_HYPCONV not built"
build=$src/build/win${trial:-32}
for f in vellumar.exe hypconv.exe tests/win32/window_probe_wintest.exe; do
    [ -f "$build/$f" ] || not_here "$build/$f not built"
done

if [ -z "$trial" ]; then
    if [ ! -x /usr/lib/wine/wine ]; then
        # The one reason outside the project: apt could not install wine32:i386 because an i386
        # index of the distribution failed to download in the same set-up.
        if grep -qx 'i386_packages=not-installable' "$STATE" 2>/dev/null &&
            index=$(sed -n 's/^index_failed=\(.*binary-i386.*\)$/\1/p' "$STATE" | head -1) && [ -n "$index" ]; then
            echo "skip: outside the project: wine32:i386 cannot be installed from an incomplete i386 package index ($index; apt: $(sed -n 's/^i386_reason=//p' "$STATE"))"
            exit 77
        fi
        not_here "wine32 is not installed (/usr/lib/wine/wine; scripts/setup.sh says why: $(sed -n 's/^i386_reason=//p' "$STATE" 2>/dev/null))"
    fi
    "$src/scripts/i386-probe.sh" any ||
        not_here "this machine runs no i386 code (the kernel refuses it and no emulator is registered; scripts/setup.sh registers one as root)"
    /usr/lib/wine/wine --version >/dev/null 2>&1 || not_here "the 32-bit Wine loader /usr/lib/wine/wine does not start"
    export VELLUMAR_WINE_I386=1
    # Emulated, every step takes far longer; the waits only bound states that never come.
    "$src/scripts/i386-probe.sh" native || export VELLUMAR_WAIT_SECONDS=${VELLUMAR_WAIT_SECONDS:-900}
fi
export VELLUMAR_WINE_BUILD=$build
export VELLUMAR_NAVIGATION_WINEPREFIX=$bin/win${trial:-32}-programs-wineprefix

# shellcheck source=/dev/null
. "$(dirname "$0")/lib/navigation_wine.bash"
prefix_started=$SECONDS
[ -f "$VELLUMAR_NAVIGATION_WINEPREFIX/.vellumar-ready" ] && prefix_made=0 || prefix_made=1
nav_setup
case $? in
    0) ;;
    77) not_here "the viewer's test set-up is incomplete (see above)" ;;
    *) echo "FAILED: set-up"; exit 1 ;;
esac
prefix_seconds=$((SECONDS - prefix_started))
if [ -z "$trial" ]; then
    expect_eq "$VELLUMAR_WINE_BITS" 32 "the Wine chosen for the 32-bit programs"
    expect_eq "$(file -b "$VIEWER_EXE" | cut -d' ' -f1)" PE32 "the viewer run is the 32-bit build"
fi

# The title a node of mint-en.hyp gets: "Vellumar - " and the node's title, or its name when the
# source gives none.
stg_title() {
    sed -n "s/^@node \"$1\"\\( \"\\(.*\\)\"\\)\\{0,1\\}\$/\\2/p" "$CORPUS/mint-en.stg" |
        awk -v name="$1" '{ print "Vellumar - " ($0 == "" ? name : $0) }'
}

# --- The viewer ------------------------------------------------------------------------------
viewer_started=$SECONDS
MINT_EN=$(winpath "$CORPUS/mint-en.hyp")
start_viewer "$MINT_EN" Preface
expect_title "$(stg_title Preface)" "opened at Preface"
wid=$(xdotool search --onlyvisible --name '^Vellumar - ' 2>/dev/null | tail -1)
# The page drawn: Preface is a page of text under a line, in black on white. Rows of the client
# area (below the menu bar and the picture buttons) that hold black pixels: a dozen text lines
# at least, where an empty page has none.
text_rows() {
    timeout 60 import -window "$wid" "$WORK/page.png" 2>/dev/null &&
        convert "$WORK/page.png" -crop +0+46 +repage -depth 8 txt:- 2>/dev/null |
        awk -F'[,:]' '/ #000000 / { rows[$2] = 1 } END { print length(rows) }'
}
enough_rows() { rows=$(text_rows); [ "${rows:-0}" -ge 60 ]; }
if wait_until enough_rows; then pass; else fail "the page is not drawn: ${rows:-no} rows with black text pixels"; fi
key plus
expect_title "$(stg_title 'Getting started')" "the next page by +"
quit_viewer
reg_text() {
    wine_run reg query "$ROOT_KEY\\OptionsDiv" /v "$1" | tr -d '\r' |
        awk -v name="$1" '$1 == name { $1 = $2 = ""; sub(/^ +/, ""); print }'
}
expect_eq "$(reg_text LastLoadPath)" "$MINT_EN" "LastLoadPath after Q"
# The page Q left: Getting started, the third node of the source (entries count from 0).
expect_eq "$(reg_text LastLoadIndex)" 0x2 "LastLoadIndex after Q"
viewer_seconds=$((SECONDS - viewer_started))

# --- The converter ---------------------------------------------------------------------------
converter_started=$SECONDS
HYPCONV_EXE=$build/hypconv.exe
files=("$CORPUS/mint-en.hyp" "$CORPUS/ct60.hyp" "$CORPUS/led-en.hyp")
# The same arguments to both: Unix paths, which Wine's programs see on their Z: drive.
same_output() {
    local what=$1 native windows
    shift
    # Line ends aside: --page ends its lines with CR LF as the clipboard does, on both.
    native=$("$NATIVE_HYPCONV" "$@" 2>&1 | tr -d '\r'; echo "exit ${PIPESTATUS[0]}")
    windows=$(timeout 900 "$VELLUMAR_WINE" "$HYPCONV_EXE" "$@" 2>&1 | tr -d '\r'; echo "exit ${PIPESTATUS[0]}")
    if [ "$native" = "$windows" ] && [ "$(wc -l <<<"$native")" -gt 1 ]; then pass; else
        fail "hypconv.exe $what differs from the native converter:"
        diff <(echo "$native") <(echo "$windows") | head -8
    fi
}
same_output "--check of three files" --check "${files[@]}"
same_output "--page 1 of mint-en.hyp" --page 1 "${files[0]}"
same_output "--page 5 of ct60.hyp" --page 5 "${files[1]}"
same_output "--page 2 of led-en.hyp" --page 2 "${files[2]}"
converter_seconds=$((SECONDS - converter_started))

made=kept
[ "$prefix_made" = 1 ] && made=made
echo "time: ${VELLUMAR_WINE_BITS:-?}-bit Wine$([ "${VELLUMAR_WINE_EMULATED:-0}" = 1 ] && echo ', emulated'):" \
    "prefix $made in ${prefix_seconds} s, viewer ${viewer_seconds} s, converter ${converter_seconds} s," \
    "$((SECONDS - started)) s in all"
summary
