#!/usr/bin/env bash
# Characters the Windows set lacks, in the real viewer under Wine and Xvfb:
# - qed-e's title page (no such character) looks exactly as the reference image that the
#   viewer drew before wide characters existed (tests/data/qed-e_title_page.png);
# - on "Keystroke commands" the four Atari arrows stand where the "?" stood: each is found, pixel
#   for pixel, as a probe draws it with plain TextOutW in the font that has it, at the fourth
#   column and on one line; no "?" as the page font draws it is left there;
# - Ctrl+C puts the page as Unicode text (CF_UNICODETEXT, equal to hypconv --page, holding
#   "⇧, ⇩, ⇨, ⇦") beside the byte text (CF_TEXT: the same with "?" for each arrow, as always).
set -uo pipefail
src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
bin=${VELLUMAR_BINARY_DIR:-$src/build/native}
corpus=${VELLUMAR_CORPUS_DIR:-$src/../shared/corpus}
# shellcheck source=/dev/null
. "$src/tests/scripts/lib/viewer_wine.bash"
[ -f "$corpus/qed-e.hyp" ] || { echo "skip: no qed-e.hyp in the corpus"; exit 77; }
[ -x "$bin/hypconv" ] || { echo "skip: hypconv not built"; exit 77; }
viewer_setup || exit $?
PROBE=$(dirname "$VIEWER_WINTEST")/glyph_probe_wintest.exe
WINDOW_PROBE=$(dirname "$VIEWER_WINTEST")/window_probe_wintest.exe
[ -f "$PROBE" ] || { echo "skip: $PROBE not built"; exit 77; }
qed=$(winpath "$corpus/qed-e.hyp")
probe() { "$VELLUMAR_WINE" "$PROBE" "$@" 2>/dev/null | tr -d '\r'; }

reset_registry
"$VELLUMAR_WINE" reg add 'HKCU\Software\Ostwick\Vellumar\OptionsDiv' /v WindowPlacement \
    /t REG_BINARY /d "" /f >/dev/null 2>&1

start_viewer() {
    "$VELLUMAR_WINE" "$(winpath "$VIEWER_EXE")" "$@" >/dev/null 2>&1 &
    viewer_pid=$!
    wid=$(wait_window "Vellumar - $2" 120) || { fail "no window for page $2"; return 1; }
}
stop_viewer() {
    kill "$viewer_pid" 2>/dev/null
    wait_exit "$viewer_pid" 30 || fail "the viewer did not end"
}
# settle NAME: screenshots until two in a row are alike (the page is painted), at most 60 s.
settle() {
    local previous=
    for i in $(seq 60); do
        shot "$1"
        if [ -n "$previous" ] && compare -metric AE "$WORK/$1" "$WORK/$previous" null: 2>/dev/null; then
            return 0
        fi
        cp "$WORK/$1" "$WORK/previous-$1"
        previous=previous-$1
        sleep 1
    done
    fail "the window of $1 never came to rest"
}
# The client area as the reference image holds it.
client() { convert "$WORK/$1" -crop 952x520+0+"$CLIENT_TOP" +repage "$WORK/$2"; }

# --- a page without such characters, as before ----------------------------------------------
if start_viewer "$qed" Main; then
    differing=unknown
    for i in $(seq 60); do
        shot title.png
        client title.png title-client.png
        differing=$(compare -metric AE "$WORK/title-client.png" "$src/tests/data/qed-e_title_page.png" \
            null: 2>&1 | sed -E 's/[^0-9].*//')
        [ "$differing" = 0 ] && break
        sleep 1
    done
    expect_eq "$differing" 0 "differing pixels between qed-e's title page and the reference image"
    stop_viewer
fi

# --- the arrows ---------------------------------------------------------------------------
if start_viewer "$qed" "Keystroke commands"; then
    settle keys.png
    # The page's text font is Arial -16 (the default); where it lacks the arrows the viewer
    # takes an installed font that has them, here DejaVu Sans.
    face=Arial
    probe has-glyph Arial 21E7 || face="DejaVu Sans"
    cell=$("$VELLUMAR_WINE" "$WINDOW_PROBE" font-metrics "Courier New" -16 2>/dev/null | tr -d '\r' |
        cut -d' ' -f2)
    # Lines 0 to 13 of the page and the first 40 columns: where the key names stand.
    band="$((40 * cell))x$((14 * 18))+0+$CLIENT_TOP"
    convert "$WORK/keys.png" -crop "$band" +repage "$WORK/band.png"
    # find GLYPH FACE: "differing x y" of the best place of the probe's drawing in the band;
    # "dissimilar" when no place comes near it, "none" when the probe drew nothing.
    find_glyph() {
        probe draw "$(winpath "$WORK")\\glyph.ppm" "$2" -16 "$1" ||
            { echo "none"; return; }
        convert "$WORK/glyph.ppm" -trim +repage "$WORK/glyph.png"
        local found
        found=$(compare -metric AE -subimage-search "$WORK/band.png" "$WORK/glyph.png" null: 2>&1)
        case "$found" in
            *dissimilar*) echo "dissimilar" ;;
            *) sed -nE 's/^([0-9.e+]+)( \([^)]*\))? @ ([0-9]+),([0-9]+).*/\1 \3 \4/p' <<<"$found" ;;
        esac
    }
    xs=()
    ys=()
    for arrow in 21E7 21E9 21E8 21E6; do
        read -r differing x y <<<"$(find_glyph "$arrow" "$face")"
        expect_eq "${differing:-none}" 0 "pixels of U+$arrow that differ from the probe's ($face)"
        xs+=("${x:-}")
        ys+=("${y:-}")
    done
    # The first arrow starts the line's fourth column (three blanks after the margin column);
    # the glyph's ink may start a pixel or two into its cell.
    x0=${xs[0]:-0}
    if [ "$x0" -ge $((4 * cell)) ] && [ "$x0" -lt $((5 * cell)) ]; then pass; else
        fail "the up arrow's ink starts at x $x0, not in column 4 ($((4 * cell)) to $((5 * cell - 1)))"
    fi
    [ "${xs[0]}" -lt "${xs[1]}" ] && [ "${xs[1]}" -lt "${xs[2]}" ] && [ "${xs[2]}" -lt "${xs[3]}" ] &&
        pass || fail "the arrows are not in order along the line: x ${xs[*]}"
    # Up and down arrows reach from the same top; all four lie on one text line.
    [ $((ys[1] - ys[0])) -le 18 ] && [ $((ys[3] - ys[0])) -le 18 ] && pass ||
        fail "the arrows are not on one line: y ${ys[*]}"
    read -r differing x y <<<"$(find_glyph 3F Arial)"
    case "${differing:-none}" in
        none | 0) fail "the probe drew no \"?\", or one is drawn at ${x:-?},${y:-?}" ;;
        *) pass ;;
    esac

    # --- the clipboard ------------------------------------------------------------------------
    timeout 5 xdotool windowfocus "$wid" 2>/dev/null
    timeout 20 xdotool key ctrl+c
    expected=$("$bin/hypconv" --page 76 "$corpus/qed-e.hyp" | tr -d '\r')
    unicode=
    for i in $(seq 30); do
        unicode=$(probe clipboard unicode | tr -d '\r')
        [ -n "$unicode" ] && break
        sleep 1
    done
    if [ "$unicode" = "$expected" ]; then pass; else
        fail "CF_UNICODETEXT differs from hypconv --page 76"
        diff <(printf '%s\n' "$unicode") <(printf '%s\n' "$expected") | head -n 6
    fi
    case "$unicode" in *"⇧, ⇩, ⇨, ⇦"*) pass ;; *) fail "CF_UNICODETEXT lacks \"⇧, ⇩, ⇨, ⇦\"" ;; esac
    text=$(probe clipboard text | tr -d '\r')
    expected_text=$(printf '%s' "$expected" | sed 's/[⇧⇩⇨⇦]/?/g')
    if [ -n "$text" ] && [ "$text" = "$expected_text" ]; then pass; else
        fail "CF_TEXT is not the page with \"?\" for the arrows"
        diff <(printf '%s\n' "$text") <(printf '%s\n' "$expected_text") | head -n 6
    fi
    stop_viewer
fi

summary
