# Waiting for a state instead of sleeping (sourced by the Wine test libraries): a busy machine
# makes Wine slow to show, hide or repaint a window, but never makes a wrong state right, so
# every check polls for what it expects with a generous limit and fails with what it saw last.
#
# VELLUMAR_WAIT_SECONDS (default 60) bounds every wait; it only matters for states that never
# come, which cost that long before they fail.

WAIT_SECONDS=${VELLUMAR_WAIT_SECONDS:-60}
WAIT_MS=$((WAIT_SECONDS * 1000))

# wait_until COMMAND...: runs COMMAND until it succeeds (status 0) or WAIT_SECONDS have passed;
# the status of its last run.
wait_until() {
    local deadline=$((SECONDS + WAIT_SECONDS))
    while :; do
        "$@" && return 0
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.25
    done
}

# expect_soon EXPECTED MESSAGE COMMAND...: passes once COMMAND prints EXPECTED; fails with its
# last output when that never happens in time.
expect_soon() {
    local expected=$1 message=$2 deadline=$((SECONDS + WAIT_SECONDS)) seen
    shift 2
    while :; do
        seen=$("$@")
        [ "$seen" = "$expected" ] && { pass; return 0; }
        [ "$SECONDS" -lt "$deadline" ] || break
        sleep 0.25
    done
    fail "$message: got '$seen', expected '$expected' (waited ${WAIT_SECONDS} s)"
    return 1
}

# start_xvfb FIRST LAST: starts Xvfb on the first free display number of the range and waits
# until it accepts clients; sets DISPLAY and XVFB_PID. False when no display could be started.
start_xvfb() {
    local n
    XVFB_PID=
    for n in $(seq "$1" "$2"); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        # Up once its socket is there; gone when another run took the number meanwhile.
        xvfb_up() { ! kill -0 "$XVFB_PID" 2>/dev/null || [ -S "/tmp/.X11-unix/X$n" ]; }
        wait_until xvfb_up
        if kill -0 "$XVFB_PID" 2>/dev/null && [ -S "/tmp/.X11-unix/X$n" ]; then
            export DISPLAY=":$n"
            return 0
        fi
        XVFB_PID=
    done
    return 1
}
