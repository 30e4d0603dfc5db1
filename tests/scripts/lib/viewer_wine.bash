# Shared by the viewer's Wine tests (sourced, not a test itself): a private Wine prefix, a
# private Xvfb display, the programs and the sample, window waiting, screenshots, registry
# reading, and pass/fail counting ending in "N passed, M failed".
#
# Expects $src (source tree) and $bin (native build tree) to be set by the caller.

# shellcheck source=wait.bash
. "$(dirname "${BASH_SOURCE[0]}")/wait.bash"

# shellcheck source=tally.bash
. "$(dirname "${BASH_SOURCE[0]}")/tally.bash"

# run_counted NAME TIMEOUT PROGRAM ARGS...: runs a Windows test program that ends with the line
# "N passed, M failed" and adds its counts. The program fails as a whole when its exit status
# is not 0, when it printed no such line, or when that line counts no passed check.
run_counted() {
    local name=$1 seconds=$2 out status line n
    shift 2
    out=$(
        set -o pipefail
        timeout "$seconds" "$VELLUMAR_WINE" "$@" 2>&1 | tr -d '\r'
    )
    status=$?
    echo "$out" | grep -v '^seen:'
    line=$(echo "$out" | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -1)
    if [ -z "$line" ]; then
        fail "$name ended without a result (exit status $status)"
        return
    fi
    n=$(echo "$line" | cut -d' ' -f1)
    [ "$n" -gt 0 ] || fail "$name passed no check"
    passed=$((passed + n))
    n=$(echo "$line" | cut -d' ' -f3)
    failed=$((failed + n))
    [ "$status" -eq 0 ] || fail "$name ended with exit status $status"
}

# Finds the programs and the sample, starts Xvfb and prepares Wine. Returns 77 (skip) when a
# tool or a build is missing.
viewer_setup() {
    for tool in Xvfb xdotool import convert; do
        command -v "$tool" >/dev/null || { echo "skip: $tool missing"; return 77; }
    done
    # One private prefix for the viewer's tests, so that their registry is their own; the
    # tests that use it take turns.
    export VELLUMAR_WINEPREFIX=${VELLUMAR_VIEWER_WINEPREFIX:-$bin/viewer-wineprefix}
    mkdir -p "$(dirname "$VELLUMAR_WINEPREFIX")" || return 77
    exec 8>"$VELLUMAR_WINEPREFIX.run.lock"
    flock 8
    # shellcheck source=/dev/null
    . "$src/scripts/wine-env.sh" || { echo "skip: no Wine"; return 77; }
    # The Windows build that Wine runs here (x86-64 where 32-bit code cannot run).
    VIEWER_EXE=$VELLUMAR_WINE_BUILD/vellumar.exe
    VIEWER_WINTEST=$VELLUMAR_WINE_BUILD/tests/win32/viewer_wintest.exe
    PROBE_EXE=$VELLUMAR_WINE_BUILD/tests/win32/window_probe_wintest.exe
    [ -f "$VIEWER_EXE" ] || { echo "skip: $VIEWER_EXE not built"; return 77; }
    SAMPLE=$bin/samples/sample.hyp
    [ -f "$SAMPLE" ] || { echo "skip: $SAMPLE not built"; return 77; }
    WORK=$(mktemp -d)
    start_xvfb 91 140 || { echo "skip: no free X display"; return 77; }
    trap viewer_teardown EXIT
    return 0
}

viewer_teardown() {
    "${WINESERVER:-wineserver}" -k >/dev/null 2>&1
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
    XVFB_PID=
    [ -n "${WORK:-}" ] && rm -rf "$WORK"
    WORK=
}

# A Unix path as Wine's Z: drive sees it.
winpath() { printf 'Z:%s' "$(readlink -f "$1" | tr / '\\')"; }

# Waits for a visible window whose name contains $1 (default WAIT_SECONDS); prints its id.
wait_window() {
    local name=$1 seconds=${2:-$WAIT_SECONDS} id
    for _ in $(seq $((seconds * 4))); do
        id=$(timeout 5 xdotool search --onlyvisible --name "$name" 2>/dev/null | tail -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.25
    done
    return 1
}

# Waits up to $2 seconds for process $1 to end; false when it is still running. Its exit status
# is left in EXIT_STATUS.
wait_exit() {
    EXIT_STATUS=
    for _ in $(seq $(($2 * 4))); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1" 2>/dev/null
            EXIT_STATUS=$?
            return 0
        fi
        sleep 0.25
    done
    return 1
}

# A screenshot of the viewer's window $wid (menu bar included; Wine draws no frame here).
shot() { timeout 20 import -window "${wid:-root}" "$WORK/$1" 2>/dev/null || echo "shot $1 failed"; }

# The pixels of a screenshot below the menu bar and its row of picture buttons (whose pictures
# hold every colour), as text lines "x,y: (r,g,b)  #RRGGBB ..." in window coordinates.
CLIENT_TOP=${CLIENT_TOP:-46}
client_pixels() {
    convert "$WORK/$1" -crop "+0+$CLIENT_TOP" +repage -depth 8 txt:- 2>/dev/null |
        awk -v top="$CLIENT_TOP" 'NR > 1 {
            i = index($0, ","); j = index($0, ":")
            print substr($0, 1, i - 1) "," substr($0, i + 1, j - i - 1) + top substr($0, j)
        }'
}

# Whether screenshot $1 holds a pixel of colour $2 (#RRGGBB).
has_colour() {
    local n
    # grep -c reads everything: an early exit would fail the pipeline under pipefail.
    n=$(client_pixels "$1" | grep -c " $2 ")
    [ "${n:-0}" -gt 0 ]
}
expect_colour() { if has_colour "$1" "$2"; then pass; else fail "$3 (no $2 pixel)"; fi; }

# Prints "x y" of the first pixel of colour $2 in screenshot $1.
first_pixel() {
    client_pixels "$1" | grep " $2 " | head -1 |
        sed -E 's/^([0-9]+),([0-9]+):.*/\1 \2/'
}

# Whether screenshots $1 and $2 are alike (differ).
same_shots() { [ "$(compare -metric AE "$WORK/$1" "$WORK/$2" null: 2>&1 | sed -E 's/[^0-9].*//')" = 0 ]; }
differing_shots() { ! same_shots "$@"; }

# shot_until NAME COMMAND...: takes screenshot NAME again and again until COMMAND accepts it;
# false when it never does in time.
shot_then() { shot "$1" >/dev/null; "${@:2}"; }
shot_until() { wait_until shot_then "$@"; }

# expect_shot NAME same|differs OTHER MESSAGE: screenshot NAME, retaken until it is like (or
# unlike) screenshot OTHER.
expect_shot() {
    local test=same_shots
    [ "$2" = differs ] && test=differing_shots
    if shot_until "$1" "$test" "$1" "$3"; then pass; else
        fail "$4 ($1 against $3: $(compare -metric AE "$WORK/$1" "$WORK/$3" null: 2>&1) pixels differ)"
    fi
}

# expect_colour_soon NAME COLOUR MESSAGE: screenshot NAME, retaken until it shows COLOUR.
expect_colour_soon() {
    if shot_until "$1" has_colour "$1" "$2"; then pass; else fail "$3 (no $2 pixel)"; fi
}

# expect_same A B yes|no MESSAGE: whether two screenshots are alike.
expect_same() {
    local diff
    diff=$(compare -metric AE "$WORK/$1" "$WORK/$2" null: 2>&1 | sed -E 's/[^0-9].*//')
    if { [ "$3" = yes ] && [ "${diff:-1}" = 0 ]; } || { [ "$3" = no ] && [ "${diff:-0}" != 0 ]; }; then
        pass
    else
        fail "$4 (differing pixels: $diff)"
    fi
}

reset_registry() {
    "$VELLUMAR_WINE" reg delete 'HKCU\Software\Ostwick' /f >/dev/null 2>&1
}

# The data of a registry value as "reg query" prints it (0x... for numbers).
reg_value() {
    "$VELLUMAR_WINE" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}
expect_reg() { expect_eq "$(reg_value "$1" "$2")" "$3" "$4"; }
expect_reg_text() { expect_eq "$(reg_value "$1" "$2")" "$3" "$4"; }
expect_reg_present() {
    local v
    v=$(reg_value "$1" "$2")
    if [ -n "$v" ] && [ "${v#2C000000}" != "$v" ]; then pass; else fail "$3 (got '$v')"; fi
}

# run_wintest_alone NAME SECONDS: the whole of a script that runs one Windows test program of
# tests/win32 (NAME.exe, built beside the viewer's test) in the viewer's prefix and display:
# set-up, the counted run, tear-down and the verdict. Skipped (77) where it is not built.
run_wintest_alone() {
    local name=$1 seconds=$2 test_exe
    viewer_setup || return $?
    test_exe=$(dirname "$VIEWER_WINTEST")/$name.exe
    [ -f "$test_exe" ] || { echo "skip: $test_exe not built"; viewer_teardown; return 77; }
    run_counted "$name" "$seconds" "$(winpath "$test_exe")"
    viewer_teardown
    summary
}
