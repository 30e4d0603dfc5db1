#!/usr/bin/env bash
# Characters the Windows set lacks, in the real viewer under Wine and Xvfb: qed-e's title page
# (none there) is pixel for pixel the reference image the viewer drew before wide characters
# (tests/data/qed-e_title_page.png); on "Keystroke commands" each Atari arrow is found where the
# "?" stood, exactly as a probe draws it with plain TextOutW in the font that has it, and no "?"
# is left; Ctrl+C puts CF_UNICODETEXT (hypconv --page, "⇧, ⇩, ⇨, ⇦") beside CF_TEXT ("?" each).
set -uo pipefail
src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
bin=${VELLUMAR_BINARY_DIR:-$src/build/native}
corpus=${VELLUMAR_CORPUS_DIR:-$src/../shared/corpus}
# shellcheck source=/dev/null
. "$src/tests/scripts/lib/viewer_wine.bash"
[ -f "$corpus/qed-e.hyp" ] || { echo "skip: no qed-e.hyp in the corpus"; exit 77; }
viewer_setup || exit $?
PROBE=$(dirname "$VIEWER_WINTEST")/glyph_probe_wintest.exe
probe() { "$VELLUMAR_WINE" "$PROBE" "$@" 2>/dev/null | tr -d '\r'; }
reset_registry
"$VELLUMAR_WINE" reg add 'HKCU\Software\Ostwick\Vellumar\OptionsDiv' /v WindowPlacement \
    /t REG_BINARY /d "" /f >/dev/null 2>&1

start_viewer() {
    "$VELLUMAR_WINE" "$(winpath "$VIEWER_EXE")" "$(winpath "$corpus/qed-e.hyp")" "$1" >/dev/null 2>&1 &
    viewer_pid=$!
    wid=$(wait_window "Vellumar - " 120) || { fail "no window for page $1"; return 1; }
}
stop_viewer() { kill "$viewer_pid"; wait_exit "$viewer_pid" 30 || fail "the viewer did not end"; }
# poll TIMES COMMAND...: runs COMMAND once a second until it succeeds.
poll() { local n=$1; shift; for _ in $(seq "$n"); do "$@" && return 0; sleep 1; done; return 1; }

# --- a page without such characters, as before ----------------------------------------------
title_as_reference() {
    shot title.png
    convert "$WORK/title.png" -crop 952x520+0+"$CLIENT_TOP" +repage "$WORK/client.png"
    differing=$(compare -metric AE "$WORK/client.png" "$src/tests/data/qed-e_title_page.png" \
        null: 2>&1 | sed -E 's/[^0-9].*//')
    [ "$differing" = 0 ]
}
if start_viewer Main; then
    poll 60 title_as_reference && pass || fail "the title page differs from the reference in $differing pixels"
    stop_viewer
fi

# --- the arrows and the clipboard -------------------------------------------------------------
# find_glyph CODE FACE: "differing x y" of the best place in the band of the probe's drawing;
# "dissimilar" when no place comes near it.
find_glyph() {
    probe draw "$(winpath "$WORK")\\glyph.ppm" "$2" -16 "$1" || { echo none; return; }
    convert "$WORK/glyph.ppm" -trim +repage "$WORK/glyph.png"
    local found
    found=$(compare -metric AE -subimage-search "$WORK/band.png" "$WORK/glyph.png" null: 2>&1)
    case "$found" in
        *dissimilar*) echo dissimilar ;;
        *) sed -nE 's/^([0-9.e+]+)( \([^)]*\))? @ ([0-9]+),([0-9]+).*/\1 \3 \4/p' <<<"$found" ;;
    esac
}
# The band: the first 14 lines (18 pixels each) and 40 cells of 10 pixels, where the key
# names stand. Painted when the up arrow is found in it.
arrow_painted() {
    shot keys.png
    convert "$WORK/keys.png" -crop "400x252+0+$CLIENT_TOP" +repage "$WORK/band.png"
    read -r differing x y <<<"$(find_glyph 21E7 "$face")"
    [ "$differing" = 0 ]
}
if start_viewer "Keystroke commands"; then
    # The page font Arial (Liberation Sans here) has no arrows; DejaVu Sans has (fc-list).
    face="DejaVu Sans"
    poll 60 arrow_painted && pass || fail "no up arrow drawn as the probe draws it ($face): $differing"
    # Three blanks after the margin: the up arrow's ink starts in cell 4 (x 40 to 49).
    [ "${x:-0}" -ge 40 ] && [ "${x:-0}" -lt 50 ] && pass || fail "the up arrow starts at x ${x:-?}"
    for arrow in 21E9 21E8 21E6; do
        read -r differing x y <<<"$(find_glyph "$arrow" "$face")"
        expect_eq "${differing:-none}" 0 "pixels of U+$arrow that differ from the probe's"
    done
    read -r differing x y <<<"$(find_glyph 3F Arial)"
    case "${differing:-none}" in none | 0) fail "no probe \"?\", or a \"?\" drawn at ${x:-?},${y:-?}" ;; *) pass ;; esac

    timeout 5 xdotool windowfocus "$wid" 2>/dev/null
    timeout 20 xdotool key ctrl+c
    expected=$("$bin/hypconv" --page 76 "$corpus/qed-e.hyp" | tr -d '\r')
    clipboard_filled() { unicode=$(probe clipboard unicode | tr -d '\r'); [ -n "$unicode" ]; }
    poll 30 clipboard_filled
    expect_eq "$unicode" "$expected" "CF_UNICODETEXT against hypconv --page 76"
    case "$unicode" in *"⇧, ⇩, ⇨, ⇦"*) pass ;; *) fail "CF_UNICODETEXT lacks \"⇧, ⇩, ⇨, ⇦\"" ;; esac
    expect_eq "$(probe clipboard text | tr -d '\r')" "$(sed 's/[⇧⇩⇨⇦]/?/g' <<<"$expected")" \
        "CF_TEXT against hypconv --page 76 with \"?\" for the arrows"
    stop_viewer
fi
summary
