#!/usr/bin/env bash
# The mouse wheel in the real viewer under Wine: one notch turned through the X server (button 5)
# moves the long page of the sample by three line heights and keeps its title; Ctrl with the
# wheel makes both display fonts one point larger, in the registry and on screen; the wheel
# closes an open popup. How parts of a notch add up is checked natively.
# Skipped (77) when Wine, Xvfb, the tools or the builds are missing.
set -uo pipefail
# shellcheck source=/dev/null
. "$(dirname "$0")/lib/viewer_wine.bash"  # screenshots and their pixels
# shellcheck source=/dev/null
. "$(dirname "$0")/lib/navigation_wine.bash"
[ -f "$bin/samples/sample.hyp" ] || { echo "skip: sample not built"; exit 77; }
nav_setup || exit $?

cp "$bin/samples/sample.hyp" "$WORK/sample.hyp"
SAMPLE=$(winpath "$WORK/sample.hyp")

# The page area compared between screenshots: left of the scroll bar, from the client's top.
AREA_WIDTH=500
AREA_HEIGHT=300
# Screenshot $1 (after the wheel) shows screenshot $2 (before) moved up by $3 pixels.
moved_by() {
    convert "$WORK/$1" -crop "${AREA_WIDTH}x${AREA_HEIGHT}+0+$CLIENT_TOP" +repage "$WORK/a.png"
    convert "$WORK/$2" -crop "${AREA_WIDTH}x${AREA_HEIGHT}+0+$((CLIENT_TOP + $3))" +repage \
        "$WORK/b.png"
    [ "$(compare -metric AE "$WORK/a.png" "$WORK/b.png" null: 2>&1 | sed -E 's/[^0-9].*//')" = 0 ]
}
differs() { [ "$(compare -metric AE "$WORK/$1" "$WORK/$2" null: 2>&1 | sed -E 's/[^0-9].*//')" != 0 ]; }
# Takes screenshot $1 until it differs from $2 (the window has repainted), at most ~20 s.
shot_changed() {
    local i
    for i in $(seq 1 40); do
        shot "$1"
        differs "$1" "$2" && return 0
        sleep 0.5
    done
    return 1
}

# The display font of a fresh start, as the display measures it: Arial of 16 pixels.
read -r LINE_HEIGHT _ < <(probe font-metrics Arial -16)
[ -n "$LINE_HEIGHT" ] || { fail "no line height from the probe"; summary; exit 1; }

# --- 1. One notch of the X wheel ---------------------------------------------------------------
start_viewer "$SAMPLE" "Lange Seite"
wid=$(xdotool search --name "Vellumar - " | head -1)
CLIENT_TOP=$(probe client-top)
shot top.png
xdotool click 5
shot_changed notch.png top.png || fail "one notch did not move the page"
sleep 1
shot notch.png  # the paint has settled
if moved_by notch.png top.png $((3 * LINE_HEIGHT)); then pass; else
    fail "one notch did not move the page by three lines of $LINE_HEIGHT pixels"
fi
for lines in 2 4; do
    moved_by notch.png top.png $((lines * LINE_HEIGHT)) &&
        fail "the page moved by $lines lines, not by three"
done
expect_title "Vellumar - Eine lange Seite" "the title after the wheel"

# --- 2. Ctrl with the wheel --------------------------------------------------------------------
xdotool keydown ctrl click 4 keyup ctrl
# FONT and XFONT start with their height: -16 (F0FFFFFF), one point larger -17 (EFFFFFFF).
expect_reg_prefix() {
    local got i
    for i in $(seq 1 40); do
        got=$(reg_value OptionsFont "$1")
        [ "${got:0:8}" = "$2" ] && break
        sleep 0.5
    done
    expect_eq "${got:0:8}" "$2" "$1's height after Ctrl+wheel"
}
expect_reg_prefix FONT EFFFFFFF
expect_reg_prefix XFONT EFFFFFFF
read -r LARGER _ < <(probe font-metrics Arial -17)
sleep 1
shot larger.png
# The top line stays: what was three lines down is now three larger lines down.
key Up Up Up
shot_changed larger_top.png larger.png || fail "the larger page did not scroll back"
sleep 1
shot larger_top.png
if moved_by larger.png larger_top.png $((3 * LARGER)); then pass; else
    fail "after Ctrl+wheel a line is not $LARGER pixels high"
fi
quit_viewer

# --- 3. A popup closes on the wheel, as on a key -----------------------------------------------
start_viewer "$SAMPLE"
key shift+Tab Return  # the last link of the start page is the footnote's popup
for _ in $(seq 1 40); do
    [ "$(probe popup)" != none ] && break
    sleep 0.25
done
if [ "$(probe popup)" = none ]; then fail "the footnote's popup did not open"; else
    xdotool click 5
    for _ in $(seq 1 40); do
        [ "$(probe popup)" = none ] && break
        sleep 0.25
    done
    expect_eq "$(probe popup)" none "the wheel closed the popup"
    [ "$(probe popup)" = none ] || key Escape  # so that Q below ends the program
fi
expect_title "Vellumar - Vellumar Beispiel" "the page after the wheel closed the popup"
quit_viewer

summary
