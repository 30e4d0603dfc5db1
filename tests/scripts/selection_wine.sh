#!/usr/bin/env bash
# Selecting text with the mouse in the real viewer under Wine, on the sample's start page: a
# drag across two lines copies exactly those characters (read back from the X clipboard,
# compared with the lines of hypconv --page), a double-click copies one word, Ctrl+A then
# Ctrl+C is the whole-page copy, a drag that starts on a link selects without following it
# and its highlight covers the selected cells and nothing beyond, a click on a link follows it.
# Skipped (77) when Wine, Xvfb, the tools or the Windows build are missing.
set -uo pipefail
# shellcheck source=/dev/null
. "$(dirname "$0")/lib/navigation_wine.bash"
[ -f "$bin/samples/sample.hyp" ] || { echo "skip: sample not built"; exit 77; }
for tool in xclip python3; do
    command -v "$tool" >/dev/null || { echo "skip: $tool missing"; exit 77; }
done
nav_setup || exit $?

hypconv() { wine_run "$HYPCONV_EXE" "$@"; }
cp "$bin/samples/sample.hyp" "$WORK/sample.hyp"
SAMPLE=$(winpath "$WORK/sample.hyp")
START_TITLE="Vellumar - Vellumar Beispiel"
hypconv --page 0 "$SAMPLE" | tr -d '\r' >"$WORK/page0.txt"
[ -s "$WORK/page0.txt" ] || fail "hypconv --page 0 gave nothing"

# The page's lines as the text export writes them, found by their text (the export's head
# comes before them): $1 a piece of the line; prints the line.
export_line() { grep -F -m1 -- "$1" "$WORK/page0.txt"; }
# Characters [$2, $3) of line $1 (columns count characters; the end may pass the line).
columns() { python3 -c 'import sys; print(sys.argv[1][int(sys.argv[2]):int(sys.argv[3])], end="")' "$@"; }

# expect_clipboard EXPECTED MESSAGE: waits for the clipboard to hold EXPECTED (line ends as
# LF); an empty expectation fails, so that two empty sides never pass.
expect_clipboard() {
    local clip
    holds() {
        clip=$(xclip -o -selection clipboard 2>/dev/null | tr -d '\r')
        [ "$clip" = "$1" ]
    }
    if [ -z "$1" ]; then
        fail "$2: nothing expected"
    elif wait_until holds "$1"; then
        pass
    else
        fail "$2: the clipboard holds '$clip', expected '$1'"
    fi
}
# Empties the clipboard, so that each copy is seen anew.
clear_clipboard() { printf 'leer' | xclip -selection clipboard; }

start_viewer "$SAMPLE"
expect_title "$START_TITLE" "sample start page"
# Parks the pointer on the main window's frame, off the page: the keys go to the window under
# the pointer, and a pointer over the page would change its shape there.
park_pointer() {
    xdotool mousemove --window "$(xdotool search --onlyvisible --name '^Vellumar - ' | tail -1)" 4 4
}
read -r _ _ _ _ cell_w line_h <<<"$(probe popup-metrics)"
[ -n "${line_h:-}" ] || { fail "the probe measured no cell size"; summary; exit 1; }

# Where the page lies: Tab inverts the first link ("Einführung", columns 2 to 11 of text
# line 5), and the inverted rectangle is its place on the screen.
park_pointer
import -window root "$WORK/before_tab.png"
key Tab
import -window root "$WORK/tab.png"
area=$(convert "$WORK/before_tab.png" "$WORK/tab.png" -compose difference -composite \
    -threshold 0 -format '%@' info:)
if [[ $area =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]]; then
    # Its height is a line's; its width is the text's in the page font, not a count of cells.
    expect_eq "${BASH_REMATCH[2]}" "$line_h" "the first link's height"
    origin_x=$((BASH_REMATCH[3] - 2 * cell_w)) origin_y=$((BASH_REMATCH[4] - 5 * line_h))
else
    fail "the first link was not found on screen ($area)"
    summary
    exit 1
fi
# Screen point of text line $1, a quarter into column $2: the gap before that column.
at() { echo "$((origin_x + $2 * cell_w + cell_w / 4)) $((origin_y + $1 * line_h + line_h / 2))"; }

# --- 1. A drag across two lines ---------------------------------------------------------------
# From column 22 of line 7 ("Verweise aller Arten") to column 30 of line 8 ("Linien, K").
line7=$(export_line "Verweise aller Arten")
line8=$(export_line "Linien, K")
expected="$(columns "$line7" 22 999 | sed 's/ *$//')
$(columns "$line8" 0 30)"
clear_clipboard
# shellcheck disable=SC2046
xdotool mousemove $(at 7 22) mousedown 1 mousemove $(at 8 10) mousemove $(at 8 30) mouseup 1
key ctrl+c
expect_clipboard "$expected" "the drag across two lines"
expect_title "$START_TITLE" "the drag left the page"

# --- 2. A double-click on a word --------------------------------------------------------------
line6=$(export_line "Fett, hell")
word=$(python3 -c 'import re, sys
line, col = sys.argv[1], int(sys.argv[2])
for m in re.finditer(r"\w+", line):
    if m.start() <= col < m.end(): print(m.group(), end="")' "$line6" 23)
clear_clipboard
# shellcheck disable=SC2046
xdotool mousemove $(at 6 23) click --repeat 2 --delay 80 1
key ctrl+c
expect_clipboard "$word" "the double-clicked word"

# --- 3. Ctrl+A, Ctrl+C: the whole page as the page copy gives it --------------------------------
clear_clipboard
key ctrl+a
key ctrl+c
expect_clipboard "$(cat "$WORK/page0.txt")" "Ctrl+A then Ctrl+C"

# --- 4. A drag that starts on a link selects, and its highlight ---------------------------------
# From column 4 of line 6 (inside the link "Textattribute") to column 40 of the same line.
# A click elsewhere clears the old selection first; the screenshot before the drag is the
# page without any highlight.
# shellcheck disable=SC2046
xdotool mousemove $(at 15 60) click 1
park_pointer
shot_clean() { import -window root "$WORK/clean.png"; }
shot_clean
clear_clipboard
# shellcheck disable=SC2046
xdotool mousemove $(at 6 4) mousedown 1 mousemove $(at 6 12) mousemove $(at 6 40) mouseup 1
key ctrl+c
expect_clipboard "$(columns "$line6" 4 40)" "the drag from a link"
expect_title "$START_TITLE" "the drag from a link did not follow it"
park_pointer
# The highlight covers columns 4 to 39 of line 6 exactly: the pixels that changed lie in that
# rectangle and reach each of its edges.
want="$((36 * cell_w))x${line_h}+$((origin_x + 4 * cell_w))+$((origin_y + 6 * line_h))"
highlight_box() {
    import -window root "$WORK/selected.png"
    box=$(convert "$WORK/clean.png" "$WORK/selected.png" -compose difference -composite \
        -threshold 0 -format '%@' info:)
    [ "$box" = "$want" ]
}
wait_until highlight_box || fail "the highlight covers $box, expected the cells $want"
[ "$box" = "$want" ] && pass
# Its background is the system's highlight colour.
hilight=$(wine_run reg query 'HKCU\Control Panel\Colors' /v Hilight | tr -d '\r' |
    awk '$1 == "Hilight" { print $3, $4, $5 }')
read -r hr hg hb <<<"${hilight:-}"
if [ -n "${hb:-}" ]; then
    corner=$(convert "$WORK/selected.png" -format \
        "%[pixel:p{$((origin_x + 4 * cell_w)),$((origin_y + 6 * line_h))}]" info:)
    expect_eq "$corner" "srgb($hr,$hg,$hb)" "the highlight's colour"
else
    fail "the system's highlight colour could not be read"
fi

# --- 5. A click on a link still follows it ------------------------------------------------------
# shellcheck disable=SC2046
xdotool mousemove $(at 5 5) click 1
expect_title "Vellumar - Einführung in das Beispiel" "a click on the link followed it"
quit_viewer
summary
