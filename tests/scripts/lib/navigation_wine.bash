# Shared by the navigation_*.sh Wine tests (sourced, not a test itself): a private Wine prefix
# and X display, starting and ending the viewer, keys and clicks, the window probe, registry
# values, and pass/fail counting.
#
# The viewer is driven like a user drives it: keys and clicks through the X server. What it
# shows is read back through its windows (titles, message boxes, the popup's rectangle), the
# registry, the clipboard and screenshots.

src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)}
bin=${VELLUMAR_BINARY_DIR:-$src/build/native}
CORPUS=${VELLUMAR_CORPUS_DIR:-$src/../shared/corpus}

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() {
    failed=$((failed + 1))
    echo "FAILED: $*"
}
expect_eq() { if [ "$1" = "$2" ]; then pass; else fail "$3: got '$1', expected '$2'"; fi; }
# The script's verdict: no check failed, and at least one ran.
summary() {
    echo "$passed passed, $failed failed"
    [ "$passed" -gt 0 ] || echo "FAILED: no check ran"
    [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
}

ROOT_KEY='HKCU\Software\Ostwick\Vellumar'

# Prepares everything; returns 77 (skip) when a tool or a program is missing.
nav_setup() {
    local tool
    for tool in Xvfb xdotool import convert iconv; do
        command -v "$tool" >/dev/null || { echo "skip: $tool missing"; return 77; }
    done
    [ -x /usr/lib/wine/wine64 ] || [ -x /usr/lib/wine/wine ] || { echo "skip: no Wine"; return 77; }
    export VELLUMAR_WINEPREFIX=${VELLUMAR_NAVIGATION_WINEPREFIX:-$bin/navigation-wineprefix}
    # The tests of this group take turns on their prefix (its registry is shared state).
    exec 7>"$VELLUMAR_WINEPREFIX.run.lock"
    flock 7
    # shellcheck source=/dev/null
    . "$src/scripts/wine-env.sh" || { echo "skip: Wine cannot be set up"; return 77; }
    local build=${VELLUMAR_WIN32_BUILD_DIR:-$VELLUMAR_WINE_BUILD}
    [ "$VELLUMAR_WINE_BITS" = 64 ] && build=$VELLUMAR_WINE_BUILD
    VIEWER_EXE=$build/vellumar.exe
    PROBE_EXE=$build/tests/win32/window_probe_wintest.exe
    HYPCONV_EXE=$build/hypconv.exe
    local f
    for f in "$VIEWER_EXE" "$PROBE_EXE" "$HYPCONV_EXE"; do
        [ -f "$f" ] || { echo "skip: $f not built"; return 77; }
    done
    WORK=$(mktemp -d)
    local n
    for n in $(seq 150 199); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        sleep 1
        if kill -0 "$XVFB_PID" 2>/dev/null; then
            export DISPLAY=":$n"
            break
        fi
        XVFB_PID=
    done
    [ -n "${XVFB_PID:-}" ] || { echo "skip: no free X display"; return 77; }
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

clear_settings() { wine_run reg delete "$ROOT_KEY" /f >/dev/null; return 0; }

# The data of a value as "reg query" shows it (REG_DWORD as 0x..., REG_BINARY as hex).
reg_value() {
    wine_run reg query "$ROOT_KEY\\$1" /v "$2" | tr -d '\r' |
        awk -v name="$2" '$1 == name { print $3 }'
}

# Starts the viewer with the given arguments and waits for its window; the pointer rests in
# its client area so that keys reach it.
start_viewer() {
    wine_run "$VIEWER_EXE" "$@" &
    VIEWER_PID=$!
    probe wait-main 30000 >/dev/null || { fail "the viewer did not open its window ($*)"; return 1; }
    sleep 1
    xdotool mousemove 600 600
    return 0
}

# Q, then waits for the program to end (its state is written before it ends).
quit_viewer() {
    xdotool mousemove 600 600 key q
    local i
    for i in $(seq 1 100); do
        kill -0 "$VIEWER_PID" 2>/dev/null || break
        sleep 0.2
    done
    if kill -0 "$VIEWER_PID" 2>/dev/null; then
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

key() {
    xdotool key "$@"
    sleep 0.8
}

title() { probe title | utf8; }

# Waits until the main window's title is $1 (UTF-8); fails with $2 otherwise.
expect_title() {
    local i t
    for i in $(seq 1 30); do
        t=$(title)
        [ "$t" = "$1" ] && { pass; return 0; }
        sleep 0.2
    done
    fail "$2: title '$t', expected '$1'"
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
