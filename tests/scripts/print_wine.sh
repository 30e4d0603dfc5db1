#!/usr/bin/env bash
# Printing and the page preview in the real viewer under Wine, on a real print path: CUPS with
# the cups-pdf printer. A long page of a real hypertext is printed with Ctrl+P (the print dialog
# confirmed with the keyboard). The PDF is named after the window's caption; it has as many
# pages as the page's lines need at the printer's lines per page (worked out here from what GDI
# and pdfinfo report), and each printed page holds its share of the page's lines in order
# (pdftotext against hypconv --page); page 1 shows link colour and the page's line graphic
# (pdftoppm); the window looks as before. The "Datei" menu's entry opens the print dialog
# (cancelled: nothing happens) and the "Extra" menu's prints again. The preview (P) steps from
# printed page 1 to 2 with its buttons enabled and focused as they should be, OK closes it and
# the window looks as before; a one-page hypertext never enables "Vor". Without a printer the
# preview says so, and printing adds no word to the print dialog's own.
#
# The print tools (CUPS, cups-pdf, poppler) must be installed: without them the test fails.
# Skipped (77) only when Wine, Xvfb, the Windows build or the corpus are missing.
set -uo pipefail
export VELLUMAR_NAVIGATION_WINEPREFIX=${VELLUMAR_PRINT_WINEPREFIX:-}
src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
bin=${VELLUMAR_BINARY_DIR:-$src/build/native}
: "${VELLUMAR_NAVIGATION_WINEPREFIX:=$bin/print-wineprefix}"
# shellcheck source=/dev/null
. "$(dirname "$0")/lib/navigation_wine.bash"

missing=""
for tool in cupsd lpadmin lpstat pdftotext pdfinfo pdftoppm; do
    command -v "$tool" >/dev/null || missing+=" $tool"
done
[ -x /usr/lib/cups/backend/cups-pdf ] || missing+=" cups-pdf"
if [ -n "$missing" ]; then
    echo "FAILED: print tools missing:$missing (scripts/setup.sh installs them)"
    exit 1
fi
[ -f "$CORPUS/mint-en.hyp" ] || { echo "skip: corpus missing"; exit 77; }
[ -x "$bin/hypconv" ] || { echo "skip: $bin/hypconv not built"; exit 77; }
[ -f "$bin/samples/sample.hyp" ] || { echo "skip: sample not built"; exit 77; }

# --- the print path: cupsd, a cups-pdf printer named PDF as the default ---------------------
# The test's own scheduler when none runs (a fresh machine), ended with the test.
CUPSD_PID=
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    cupsd -f >/dev/null 2>&1 &
    CUPSD_PID=$!
    cups_running() { lpstat -r 2>/dev/null | grep -q "is running"; }
    wait_until cups_running
fi
lpstat -r 2>/dev/null | grep -q "is running" || { echo "FAILED: cupsd does not start"; exit 1; }
if ! lpstat -v PDF >/dev/null 2>&1; then
    lpadmin -p PDF -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null ||
        { echo "FAILED: lpadmin cannot add the PDF printer"; exit 1; }
fi
cupsenable PDF 2>/dev/null
cupsaccept PDF 2>/dev/null
lpadmin -d PDF
lpoptions -d PDF >/dev/null

# cups-pdf writes into the "Out" folder of its configuration; ${HOME} and ${USER} there are the
# submitting user's (this test's) from the user database.
out_setting=$(awk '$1 == "Out" { $1 = ""; sub(/^ +/, ""); print }' /etc/cups/cups-pdf.conf)
out_setting=${out_setting:-'${HOME}/PDF'}
home=$(getent passwd "$(id -un)" | cut -d: -f6)  # cups-pdf's, whatever $HOME says
PDF_DIR=${out_setting//'${HOME}'/${home:-$HOME}}
PDF_DIR=${PDF_DIR//'${USER}'/$(id -un)}

nav_setup || exit $?
[ -n "$CUPSD_PID" ] && trap 'nav_teardown; kill "$CUPSD_PID" 2>/dev/null' EXIT

FILE=$CORPUS/mint-en.hyp
PAGE=0  # "Main": 109 lines, links of three kinds, line graphics at its top, no pictures
shot() { import -window root "$WORK/$1" 2>/dev/null; }
# Takes screenshot $1; whether it looks like screenshot $2 (polled: the window repainted).
shot_like() { shot "$1"; same "$1" "$2"; }
# The pixels of region WxH+X+Y of a screenshot that are not white.
ink_in() { convert "$WORK/$1" -crop "$2" +repage -fill black +opaque white -negate \
    -format '%[fx:round(mean*w*h)]' info:; }
same() { [ "$(compare -metric AE "$WORK/$1" "$WORK/$2" null: 2>&1 | sed -E 's/[^0-9].*//')" = 0 ]; }
# The new PDF of the printed page: its name holds the document name.
new_pdfs() { find "$PDF_DIR" -maxdepth 1 -name 'Vellumar*.pdf' -newer "$WORK/$1" 2>/dev/null; }
wait_pdf() { # mark file
    local f size=-1
    for _ in $(seq $((WAIT_SECONDS * 4))); do
        f=$(new_pdfs "$1" | head -1)
        if [ -n "$f" ] && [ -z "$(lpstat -o PDF 2>/dev/null)" ]; then
            [ "$(stat -c %s "$f")" = "$size" ] && { echo "$f"; return 0; }
            size=$(stat -c %s "$f")
        fi
        sleep 0.25
    done
    return 1
}
# "ID STATE FOCUS X Y W H TEXT" of control $2 of the dialog captioned $1.
control() { probe dialog-controls "$1" | utf8 | awk -v id="$2" '$1 == id'; }

# --- 1. numbers from outside: the printer as GDI reports it, the paper as pdfinfo reads it ----
read -r DPI_X DPI_Y HORZRES VERTRES <<<"$(probe printer-caps)"
[ -n "${VERTRES:-}" ] || { fail "Wine lists no default printer"; summary; exit 1; }
# Default settings (fresh registry): margins 200 tenths of a millimetre, fonts of height -16,
# Arial and Courier New (the cell width).
read -r _ SCREEN_CELL <<<"$(probe font-metrics "Courier New" -16)"
WIDTH=$("$bin/hypconv" --info "$FILE" | awk '$1 == "@width" { print $2 }' | tr -d '\r')
COLUMNS=${WIDTH:-75}
[ "$COLUMNS" = 85 ] && COLUMNS=75
LEFT=$((DPI_X * 200 / 254))
TOP=$((DPI_Y * 200 / 254))
FONT_HEIGHT=$(((HORZRES - 2 * LEFT) * -16 / ((COLUMNS + 2) * SCREEN_CELL)))
read -r PRINT_LINE _ <<<"$(probe font-metrics Arial "$FONT_HEIGHT")"
LINES_PER_PAGE=$(((VERTRES - (TOP / PRINT_LINE + 3) * PRINT_LINE) / PRINT_LINE))
PAGE_LINES=$("$bin/hypconv" --unpack "$PAGE" "$FILE" | tr -cd '\0' | wc -c)
EXPECTED_PAGES=$(((PAGE_LINES + LINES_PER_PAGE - 1) / LINES_PER_PAGE))
echo "printer: ${DPI_X}x${DPI_Y} dpi, ${HORZRES}x${VERTRES} px; screen cell $SCREEN_CELL;" \
    "printer font $FONT_HEIGHT, line $PRINT_LINE px; $LINES_PER_PAGE lines per page;" \
    "$PAGE_LINES lines -> $EXPECTED_PAGES pages"
[ "$EXPECTED_PAGES" -ge 2 ] || fail "the page should need several printed pages"

# --- 2. Ctrl+P, the print dialog confirmed with Return ------------------------------------
start_viewer "$(winpath "$FILE")"
shot before.png
touch "$WORK/mark"
sleep 1
xdotool key ctrl+p
if probe wait-focus "" "$WAIT_MS" >/dev/null; then
    xdotool key Return
else
    fail "Ctrl+P shows no print dialog"
fi
PDF=
PDF2=
PDF=$(wait_pdf mark) || fail "no PDF from cups-pdf in $PDF_DIR"
if wait_until shot_like after.png before.png; then pass; else fail "the window changed by printing"; fi

if [ -n "$PDF" ]; then
    expect_eq "$(pdfinfo "$PDF" | awk '/^Title:/ { sub(/^Title: +/, ""); print }')" \
        "$(title)" "the job is named after the window's caption"
    expect_eq "$(pdfinfo "$PDF" | awk '/^Pages:/ { print $2 }')" "$EXPECTED_PAGES" "printed pages"
    # The paper is the printer's: HORZRES and VERTRES are its size at the printer's resolution.
    read -r W_PT H_PT <<<"$(pdfinfo "$PDF" | awk '/^Page size:/ { print $3, $5 }')"
    for pair in "$HORZRES ${W_PT%.*} $DPI_X width" "$VERTRES ${H_PT%.*} $DPI_Y height"; do
        read -r px pt dpi what <<<"$pair"
        d=$((px - pt * dpi / 72))
        [ "${d#-}" -le $((dpi / 72 + 1)) ] && pass || fail "paper $what: $pt pt at $dpi dpi vs $px px"
    done

    # The page's lines in order and each on its printed page: the converter's text of the page
    # (line 1 is its heading, then page line 0 onward) cut every LINES_PER_PAGE lines, against
    # the PDF's text page by page, blanks and empty lines aside.
    "$bin/hypconv" --page "$PAGE" "$FILE" | tr -d ' \t\r' | awk -v lpp="$LINES_PER_PAGE" -v dir="$WORK" '
        NR > 1 && $0 != "" { print > (dir "/expected-" (int((NR - 2) / lpp) + 1) ".txt") }'
    for n in $(seq "$EXPECTED_PAGES"); do
        pdftotext -layout -f "$n" -l "$n" "$PDF" - | tr -d ' \t\r\f' | grep -v '^$' >"$WORK/printed-$n.txt"
        if diff "$WORK/expected-$n.txt" "$WORK/printed-$n.txt" >"$WORK/text-$n.diff"; then
            pass
        else
            fail "printed page $n differs from hypconv --page: $(head -5 "$WORK/text-$n.diff" | tr '\n' ' ')"
        fi
    done

    # Page 1 rasterised without smoothing: links in their colour (pages: blue), and the line
    # graphic above the title is the first ink on the page, a long black run.
    pdftoppm -r 100 -aa no -aaVector no -f 1 -l 1 -png "$PDF" "$WORK/page"
    page_png=$(ls "$WORK"/page*.png | head -1)
    cp "$page_png" "$WORK/page1.png"
    blue=$(convert "$WORK/page1.png" -fill black +opaque '#0000FF' -fill white -opaque '#0000FF' \
        -format '%[fx:round(mean*w*h)]' info:)
    [ "${blue:-0}" -gt 100 ] && pass || fail "no link colour on printed page 1 ($blue pixels)"
    width=$(identify -format %w "$WORK/page1.png")
    read -r first_row run <<<"$(convert "$WORK/page1.png" -depth 8 txt:- | awk -F'[,: ]+' '
        NR == 1 { next }
        first == "" && $0 !~ /#FFFFFF/ { first = $2 }
        first != "" && $2 == first && /#000000/ { n++ }
        first != "" && $2 > first { exit }
        END { print first, n + 0 }')"
    [ "${run:-0}" -gt $((width / 3)) ] && pass ||
        fail "no line graphic at the top of page 1 (row $first_row: $run black of $width)"
fi

# --- 3. the same command from the "Datei" menu (cancelled: nothing happens) and from the
# "Extra" menu of the picture button (confirmed: the page is printed again) ----------------
touch "$WORK/mark2"
sleep 1
xdotool mousemove 600 600 key alt+d
probe menu "$WAIT_MS" >/dev/null || fail "Alt+D opens no menu"
xdotool key s
if probe wait-focus "" "$WAIT_MS" >/dev/null; then
    xdotool key Escape
    expect_no_box "a dialog is open after cancelling the print dialog"
else
    fail "Datei, Seite drucken: no print dialog"
fi
xdotool mousemove 400 300
probe command 1017
if probe menu "$WAIT_MS" >/dev/null; then
    sleep 0.3
    xdotool key i
    if probe wait-focus "" "$WAIT_MS" >/dev/null; then
        xdotool key Return
        PDF2=$(wait_pdf mark2) || fail "Extra, Seite drucken: no PDF"
        expect_eq "$(new_pdfs mark2 | wc -l)" 1 "one PDF for the cancelled and the confirmed print"
        [ -n "$PDF2" ] && expect_eq "$(pdfinfo "$PDF2" | awk '/^Pages:/ { print $2 }')" \
            "$EXPECTED_PAGES" "printed pages from the Extra menu"
    else
        fail "Extra, Seite drucken: no print dialog"
    fi
else
    fail "the Extra menu does not open"
fi

# --- 4. the preview: P, "Vor" to printed page 2, OK -----------------------------------------
PREVIEW="Vellumar - Seitenvorschau"
xdotool mousemove 600 600 key p
if probe wait-focus "$PREVIEW" "$WAIT_MS" >/dev/null; then
    read -r _ back_state _ <<<"$(control "$PREVIEW" 11)"
    read -r _ fwd_state _ fx fy fw fh _ <<<"$(control "$PREVIEW" 12)"
    read -r _ _ ok_focus ox oy ow oh _ <<<"$(control "$PREVIEW" 1)"
    read -r _ _ _ ax ay aw ah _ <<<"$(control "$PREVIEW" 10)"
    expect_eq "$(control "$PREVIEW" 11 | cut -d' ' -f8-)" "Zurück" "the back button's text"
    expect_eq "$back_state $fwd_state $ok_focus" "disabled enabled focus" \
        "page 1: Zurück off, Vor on, focus on OK"
    AREA="$((aw - 4))x$((ah - 4))+$((ax + 2))+$((ay + 2))"
    # Printed page 1 drawn: text in the frame.
    page_drawn() { shot "$1"; [ "$(ink_in "$1" "$AREA")" -gt 200 ]; }
    wait_until page_drawn preview1.png || fail "preview page 1 holds no text"
    xdotool mousemove $((fx + fw / 2)) $((fy + fh / 2)) click 1
    step_states() {
        read -r _ back_state back_focus _ <<<"$(control "$PREVIEW" 11)"
        read -r _ fwd_state _ <<<"$(control "$PREVIEW" 12)"
        echo "$back_state $back_focus $fwd_state"
    }
    expect_soon "enabled focus disabled" "last page: Zurück on with the focus, Vor off" step_states
    # Page 2 drawn: unlike page 1 (or the time runs out and the checks below say so).
    page_changed() { page_drawn preview2.png && ! same preview2.png preview1.png; }
    wait_until page_changed
    p1=$(ink_in preview1.png "$AREA")
    p2=$(ink_in preview2.png "$AREA")
    [ "${p2:-0}" -gt 200 ] && pass || fail "preview page 2 holds no text ($p2 pixels of ink)"
    cmp -s <(convert "$WORK/preview1.png" -crop "$AREA" +repage rgb:-) \
        <(convert "$WORK/preview2.png" -crop "$AREA" +repage rgb:-) &&
        fail "preview page 2 looks like page 1 ($p1 / $p2 pixels of ink)" || pass
    xdotool mousemove $((ox + ow / 2)) $((oy + oh / 2)) click 1
    probe wait-closed "$PREVIEW" "$WAIT_MS" >/dev/null || fail "OK leaves the preview open"
    xdotool mousemove 600 600
    if wait_until shot_like after-preview.png before.png; then pass; else
        fail "the window changed by the preview"
    fi
else
    fail "P opens no preview"
fi
quit_viewer

# --- 5. a hypertext of one-page pages never enables "Vor" ---------------------------------
start_viewer "$(winpath "$bin/samples/sample.hyp")"
xdotool key p
if probe wait-focus "$PREVIEW" "$WAIT_MS" >/dev/null; then
    read -r _ back_state _ <<<"$(control "$PREVIEW" 11)"
    read -r _ fwd_state _ <<<"$(control "$PREVIEW" 12)"
    expect_eq "$back_state $fwd_state" "disabled disabled" "one printed page: both step buttons off"
    xdotool key Return
    probe wait-closed "$PREVIEW" "$WAIT_MS" >/dev/null || fail "Return leaves the preview open"
else
    fail "P opens no preview of the sample"
fi
quit_viewer

# --- 5b. characters the Windows set lacks reach the paper -------------------------------------
# qed-e's "Keystroke commands" printed: the PDF's text holds the four Atari arrows, not "?".
touch "$WORK/mark-arrows"
start_viewer "$(winpath "$CORPUS/qed-e.hyp")" "Keystroke commands"
xdotool key ctrl+p
probe wait-dialog "" 15000 >/dev/null && sleep 1 && xdotool key Return
# Named after the page, so that another print landing in the same folder is not taken for it.
arrows_pdf() { find "$PDF_DIR" -maxdepth 1 -name '*Keystroke_commands*.pdf' -newer "$WORK/mark-arrows"; }
for _ in $(seq 240); do
    ARROWS_PDF=$(arrows_pdf | head -1)
    [ -n "$ARROWS_PDF" ] && [ -z "$(lpstat -o PDF 2>/dev/null)" ] && break
    ARROWS_PDF=
    sleep 0.25
done
if [ -n "$ARROWS_PDF" ]; then
    case "$(pdftotext -f 1 -l 1 "$ARROWS_PDF" - | tr -d ' \t\r\f')" in
        *"⇧,⇩,⇨,⇦"*) pass ;;
        *) fail "the printed Keystroke commands lack \"⇧, ⇩, ⇨, ⇦\"" ;;
    esac
    mv "$ARROWS_PDF" "$WORK/"
else
    fail "no PDF of qed-e's Keystroke commands"
fi
quit_viewer

# --- 6. no printer: CUPS out of reach, so Wine lists none -------------------------------------
# The preview finds no default printer and says so; the print dialog tells it itself, and the
# viewer adds nothing. (Wine drops the printers it no longer finds; the next run adds them again.)
export CUPS_SERVER=/nonexistent/cups.sock
start_viewer "$(winpath "$bin/samples/sample.hyp")"
xdotool key p
box=$(probe box "$WAIT_MS" | utf8 | sed -n '/^--$/,/^--end$/p' | sed '1d;$d')
expect_eq "$box" "$(printf 'Es ist kein Standarddrucker eingerichtet!\nSeitenvorschau nicht möglich!')" \
    "preview without a printer"
expect_no_box "the box about the missing printer stayed open"
xdotool key ctrl+p
probe box "$WAIT_MS" >/dev/null || fail "Ctrl+P without a printer: no word from the print dialog"
expect_no_box "the print dialog's box stayed open"
# A box the viewer would add comes straight after the print dialog's: once the viewer answers
# again (settled), it would be up. Looked for a while, as absence cannot be waited for.
title >/dev/null
if probe box 3000 | utf8 >"$WORK/second-box"; then
    fail "a second box after the print dialog's own: $(tr '\n' ' ' <"$WORK/second-box")"
else
    pass
fi
xdotool search --name "^Vellumar - " windowfocus --sync 2>/dev/null
quit_viewer
unset CUPS_SERVER

# The PDFs go with the test's work folder.
[ -n "${PDF:-}" ] && mv "$PDF" "$WORK/" 2>/dev/null
[ -n "${PDF2:-}" ] && mv "$PDF2" "$WORK/" 2>/dev/null
summary
