#!/usr/bin/env bash
# The viewer on a screen of 144 dpi under Wine (LogPixels of the prefix): the line height and the
# row of picture buttons measured in a screenshot are 1.5 times those at 96 dpi, to a pixel, and
# the text is drawn by a font of that size (the display's own measure of Arial at 24 pixels),
# not stretched. The prefix's DPI is put back at the end.
# Skipped (77) when Wine, Xvfb, the tools or the builds are missing.
set -uo pipefail
# shellcheck source=/dev/null
. "$(dirname "$0")/lib/viewer_wine.bash"  # screenshots
# shellcheck source=/dev/null
. "$(dirname "$0")/lib/navigation_wine.bash"
[ -f "$bin/samples/sample.hyp" ] || { echo "skip: sample not built"; exit 77; }
nav_setup || exit $?

DESKTOP='HKCU\Control Panel\Desktop'
set_dpi() {
    if [ "$1" = default ]; then
        wine_run reg delete "$DESKTOP" /v LogPixels /f >/dev/null
    else
        wine_run reg add "$DESKTOP" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
    fi
    # Every program of the prefix reads it when it starts.
    "$WINESERVER" -k >/dev/null 2>&1
    "$WINESERVER" -w
}
trap 'set_dpi default; nav_teardown' EXIT

cp "$bin/samples/sample.hyp" "$WORK/sample.hyp"
SAMPLE=$(winpath "$WORK/sample.hyp")

# The picture buttons' row: from the first to the last row of their grey (#C0C0C0) in the
# first 40 columns of the window's top 200 rows (the page itself has no grey).
toolbar_height() {
    convert "$WORK/$1" -crop 40x200+0+0 +repage -depth 8 txt:- |
        awk -F'[,: ]+' '/ #C0C0C0 / { if (min == "" || $2 < min) min = $2; if ($2 > max) max = $2 }
            END { if (min != "") print max - min + 1 }'
}
# The line height: the distance between the first rows of the first two blue links of the start
# page's contents, in the first 200 columns below the button row.
line_height() {
    local below=$2
    convert "$WORK/$1" -crop "200x600+0+$below" +repage -depth 8 txt:- |
        awk -F'[,: ]+' '/ #0000FF / { print $2 }' | sort -n | uniq |
        awk 'NR == 1 || $1 > last + 1 { print } { last = $1 }' | head -2 |
        awk 'NR == 1 { a = $1 } NR == 2 { print $1 - a }'
}
# The height of the first blue link's letters with their underline, in the same place: the
# glyphs' own size, which a font measured large but drawn small would not have.
link_height() {
    convert "$WORK/$1" -crop "200x600+0+$2" +repage -depth 8 txt:- |
        awk -F'[,: ]+' '/ #0000FF / { print $2 }' | sort -n | uniq |
        awk 'NR == 1 { first = $1 } NR > 1 && $1 > last + 1 { exit } { last = $1 }
            END { if (first != "") print last - first + 1 }'
}
# The picture buttons' row, measured by column in the window's top 400 rows: every button's
# picture is grey (#C0C0C0) in its whole first and last rows, so a column of a whole button is
# grey in its top and its bottom pixel; a narrow window puts the buttons that do not fit in a
# row of their own below (its buttons right under those of the first). Prints the number of
# whole buttons' columns (a column of two whole buttons counts twice): columns whose grey runs
# from the first grey row of the window over a multiple of $2 rows; then that first row and
# the lowest grey row.
button_columns() {
    convert "$WORK/$1" -crop 4000x400+0+0 +repage -depth 8 txt:- |
        awk -F'[,: ]+' -v height="$2" '/ #C0C0C0 / {
                if (!($1 in top) || $2 < top[$1]) top[$1] = $2
                if ($2 > bottom[$1]) bottom[$1] = $2
                if (first == "" || $2 < first) first = $2
                if ($2 > last) last = $2
            }
            END {
                for (x in top) {
                    span = bottom[x] - top[x] + 1
                    if (top[x] == first && span % height == 0) whole += span / height
                }
                print whole + 0, first, last
            }'
}
# The first row, below row $2, whose first 8 pixels are the page's white: the top of the page.
page_top() {
    convert "$WORK/$1" -crop "8x600+0+$2" +repage -depth 8 txt:- |
        awk -F'[,: ]+' 'NR > 1 { n[$2]++; if (!/ #FFFFFF /) dark[$2] = 1 }
            END { for (y = 0; y < 600; y++) if (n[y] == 8 && !(y in dark)) { print y; exit } }' |
        awk -v below="$2" '{ print $1 + below }'
}
# The first row below row $2 that holds a pixel of the page's text (black or blue) in the first
# 300 columns: the first page line.
first_text_row() {
    convert "$WORK/$1" -crop "300x600+0+$2" +repage -depth 8 txt:- |
        awk -F'[,: ]+' '/ #000000 | #0000FF / { if (min == "" || $2 < min) min = $2 }
            END { if (min != "") print min }' |
        awk -v below="$2" '{ print $1 + below }'
}

# Whether $1 is 1.5 times $2 to a pixel.
one_and_a_half() { [ -n "$1" ] && [ -n "$2" ] && [ $((2 * $1 - 3 * $2)) -le 2 ] && [ $((3 * $2 - 2 * $1)) -le 2 ]; }

declare -A LINE LINK TOOLBAR
for dpi in 96 120 144 192; do
    set_dpi "$dpi"
    start_viewer "$SAMPLE" || continue
    wid=$(xdotool search --name "Vellumar - " | head -1)
    sleep 1
    shot "dpi$dpi.png"
    TOOLBAR[$dpi]=$(toolbar_height "dpi$dpi.png")
    LINE[$dpi]=$(line_height "dpi$dpi.png" $((${TOOLBAR[$dpi]:-0} + 20)))
    LINK[$dpi]=$(link_height "dpi$dpi.png" $((${TOOLBAR[$dpi]:-0} + 20)))
    echo "at $dpi dpi: line height ${LINE[$dpi]}, link ${LINK[$dpi]}, buttons ${TOOLBAR[$dpi]}"
    # The row: 18 buttons of 32 x 24 pixels at 96 dpi, each whole on the screen, and the last
    # row of them as high as its buttons.
    height=$(((24 * dpi + 48) / 96))
    width=$(((32 * dpi + 48) / 96))
    read -r whole first last < <(button_columns "dpi$dpi.png" "$height")
    echo "at $dpi dpi: $whole columns of whole buttons ($height high, from row $first to $last)"
    if [ "$whole" -ge $((18 * width)) ]; then pass; else
        fail "at $dpi dpi only $whole columns show a button whole, not the 18 x $width of the row"
    fi
    expect_eq "$(((last - first + 1) % height))" 0 \
        "at $dpi dpi the rows of buttons (grey from row $first to $last) as high as their buttons"
    top=$(page_top "dpi$dpi.png" "$((last + 1))")
    text=$(first_text_row "dpi$dpi.png" "$((last + 1))")
    echo "at $dpi dpi: the page starts at row $top, its first line at row $text"
    if [ -n "$top" ] && [ -n "$text" ] && [ "$text" -ge "$top" ]; then pass; else
        fail "at $dpi dpi the first page line (row $text) does not start on the page below the buttons (row $top)"
    fi
    quit_viewer
done

expect_eq "${TOOLBAR[96]}" 24 "the picture buttons at 96 dpi (their pictures are 24 high)"
read -r AT96 _ < <(probe font-metrics Arial -16)
read -r AT144 _ < <(probe font-metrics Arial -24)
expect_eq "${LINE[96]}" "$AT96" "the line height at 96 dpi: Arial of 16 pixels"
expect_eq "${LINE[144]}" "$AT144" "the line height at 144 dpi: Arial of 24 pixels, the same 12 points"
if one_and_a_half "${LINE[144]}" "${LINE[96]}"; then pass; else
    fail "line height ${LINE[144]} at 144 dpi is not 1.5 x ${LINE[96]}"
fi
# Letters with their underline: 1.5 times as high, to a pixel and a half (hinting rounds).
if [ -n "${LINK[144]}" ] && [ -n "${LINK[96]}" ] && [ $((2 * LINK[144] - 3 * LINK[96])) -le 3 ] &&
    [ $((3 * LINK[96] - 2 * LINK[144])) -le 3 ]; then
    pass
else
    fail "a link's letters are ${LINK[144]} high at 144 dpi, not 1.5 x ${LINK[96]}: drawn small"
fi
if one_and_a_half "${TOOLBAR[144]}" "${TOOLBAR[96]}"; then pass; else
    fail "picture buttons ${TOOLBAR[144]} high at 144 dpi are not 1.5 x ${TOOLBAR[96]}"
fi

summary
