# Shared by the navigation_*.sh Wine tests (sourced, not a test itself): a private Wine prefix
# and X display, starting and ending the viewer, keys and clicks, the window probe, registry
# values, and pass/fail counting.
#
# The viewer is driven like a user drives it: keys and clicks through the X server. What it
# shows is read back through its windows (titles, message boxes, the popup's rectangle), the
# registry, the clipboard and screenshots.

src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)}
# shellcheck source=wait.bash
. "$(dirname "${BASH_SOURCE[0]}")/wait.bash"
bin=${VELLUMAR_BINARY_DIR:-$src/build/native}
CORPUS=${VELLUMAR_CORPUS_DIR:-$src/../shared/corpus}

# shellcheck source=tally.bash
. "$(dirname "${BASH_SOURCE[0]}")/tally.bash"

ROOT_KEY='HKCU\Software\Ostwick\Vellumar'

# Prepares everything; returns 77 (skip) when a tool or a program is missing.
nav_setup() {
    local tool
    for tool in Xvfb xdotool import convert iconv; do
        command -v "$tool" >/dev/null || { echo "skip: $tool missing"; return 77; }
    done
    export VELLUMAR_WINEPREFIX=${VELLUMAR_NAVIGATION_WINEPREFIX:-$bin/navigation-wineprefix}
    # The tests of this group take turns on their prefix (its registry is shared state).
    exec 7>"$VELLUMAR_WINEPREFIX.run.lock"
    flock 7
    # shellcheck source=/dev/null
    . "$src/scripts/wine-env.sh" || { echo "skip: Wine cannot be set up"; return 77; }
    # The Windows build that Wine runs here (x86-64 where 32-bit code cannot run).
    VIEWER_EXE=$VELLUMAR_WINE_BUILD/vellumar.exe
    PROBE_EXE=$VELLUMAR_WINE_BUILD/tests/win32/window_probe_wintest.exe
    HYPCONV_EXE=$VELLUMAR_WINE_BUILD/hypconv.exe
    local f
    for f in "$VIEWER_EXE" "$PROBE_EXE" "$HYPCONV_EXE"; do
        [ -f "$f" ] || { echo "skip: $f not built"; return 77; }
    done
    WORK=$(mktemp -d)
    start_xvfb 150 199 || { echo "skip: no free X display"; return 77; }
    trap nav_teardown EXIT
    [ -n "${NAV_KEEP_WORK:-}" ] && echo "work: $WORK"
    clear_settings
    return 0
}

nav_teardown() {
    [ -n "${VIEWER_PID:-}" ] && kill "$VIEWER_PID" 2>/dev/null
    "$WINESERVER" -k >/dev/null 2>&1
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
    [ -n "${WORK:-}" ] && [ -z "${NAV_KEEP_WORK:-}" ] && rm -rf "$WORK"
}

wine_run() { "$VELLUMAR_WINE" "$@" 2>/dev/null; }
probe() { wine_run "$PROBE_EXE" "$@" | tr -d '\r'; }
winpath() { wine_run winepath -w "$1" | tr -d '\r'; }
# Windows-set text as UTF-8.
utf8() { iconv -f CP1252 -t UTF-8; }

# need_wintest VAR NAME (after nav_setup): VAR set to the Windows test program NAME.exe beside
# the window probe; the script ends as skipped (77) where it is not built.
need_wintest() {
    local program
    program=$(dirname "$PROBE_EXE")/$2.exe
    [ -f "$program" ] || { echo "skip: $program not built"; exit 77; }
    printf -v "$1" '%s' "$program"
}
# "ID CAPTION" of the focused control (0: the window itself); needs need_wintest FOCUS_PROBE.
focus() { wine_run "$FOCUS_PROBE" focus | tr -d '\r' | utf8; }

clear_settings() { wine_run reg delete "$ROOT_KEY" /f >/dev/null; return 0; }

# The data of a value as "reg query" shows it (REG_DWORD as 0x..., REG_BINARY as hex).
reg_value() {
    wine_run reg query "$ROOT_KEY\\$1" /v "$2" | tr -d '\r' |
        awk -v name="$2" '$1 == name { print $3 }'
}

# Starts the viewer with the given arguments and waits for its window and for the viewer to
# wait for input; the pointer rests in its client area so that keys reach it.
start_viewer() {
    wine_run "$VIEWER_EXE" "$@" &
    VIEWER_PID=$!
    probe wait-main "$WAIT_MS" >/dev/null || { fail "the viewer did not open its window ($*)"; return 1; }
    xdotool mousemove 600 600
    return 0
}

# Q, then waits for the program to end (its state is written before it ends).
quit_viewer() {
    xdotool mousemove 600 600 key q
    viewer_ended() { ! kill -0 "$VIEWER_PID" 2>/dev/null; }
    if ! wait_until viewer_ended; then
        fail "the viewer did not end on Q"
        kill "$VIEWER_PID" 2>/dev/null
    else
        # A crash while the window closes or the settings are written shows only here.
        wait "$VIEWER_PID"
        expect_eq "$?" 0 "the viewer's exit status after Q"
    fi
    VIEWER_PID=
    "$WINESERVER" -w
}

# Keys at a person's pace (what follows a key waits for its effect: the pause only spaces them).
key() {
    xdotool key "$@"
    sleep 0.8
}

title() { probe title | utf8; }

# Waits until the main window's title is $1 (UTF-8); fails with $2 otherwise.
expect_title() { expect_soon "$1" "$2: the title" title; }

# Waits until registry value $2 of group $1 is $3; fails with $4 otherwise.
expect_reg_soon() { expect_soon "$3" "$4" reg_value "$1" "$2"; }

# Waits until the viewer shows no dialog; fails with $1 and the dialogs still open.
expect_no_box() {
    local left
    left=$(probe wait-no-box "$WAIT_MS" | utf8) && { pass; return 0; }
    fail "$1 (${left:-no answer from the probe})"
    return 1
}

# Little-endian 16-bit number at byte offset $2 of hex string $1.
le16_at() { echo $((16#${1:$(($2 * 2 + 2)):2}${1:$(($2 * 2)):2})); }
# NUL-terminated text at byte offset $2 (at most $3 bytes) of hex string $1.
text_at() {
    local hex=${1:$(($2 * 2)):$(($3 * 2))} out="" i
    for ((i = 0; i < ${#hex}; i += 2)); do
        [ "${hex:i:2}" = 00 ] && break
        out+=$(printf "\\x${hex:i:2}")
    done
    printf '%s' "$out"
}
