#!/usr/bin/env bash
# Navigation in the real viewer under Wine: a link into another hypertext and Back again, a
# bookmark that outlives the program (Shift+F3, quit, start, F3) and its record in the
# registry, and a popup: opened by a click on its link, placed and sized as specified, painted
# in the popup colour with the node's text, closed by the next key without any other effect;
# the marks menu (going to a bookmark, deleting one with Ctrl), the history and "Siehe auch"
# menus.
# Skipped (77) when Wine, Xvfb, the tools, the Windows build or the corpus are missing.
set -uo pipefail
# shellcheck source=/dev/null
. "$(dirname "$0")/lib/navigation_wine.bash"
[ -f "$CORPUS/mintdocs.hyp" ] || { echo "skip: corpus missing"; exit 77; }
[ -f "$bin/samples/sample.hyp" ] || { echo "skip: sample not built"; exit 77; }
nav_setup || exit $?

MINTDOCS=$(winpath "$CORPUS/mintdocs.hyp")
MINT_EN=$(winpath "$CORPUS/mint-en.hyp")
MINTDOCS_TITLE="Vellumar - FreeMiNT Documentation (Entry Point)"

# --- 1. Into another file by a link, and Back -------------------------------------------------
start_viewer "$MINTDOCS"
expect_title "$MINTDOCS_TITLE" "start page of mintdocs.hyp"
key Down Down Down              # top line 3
key Tab Return                  # the first link: mint-en.hyp/Main
expect_reg_soon OptionsDiv LastLoadPath "$MINT_EN" "the link loaded mint-en.hyp"
other_title() { mint_en_title=$(title); [ "$mint_en_title" != "$MINTDOCS_TITLE" ]; }
wait_until other_title || fail "title unchanged after the link"
case $mint_en_title in
    "Vellumar - "?*) pass ;;
    *) fail "title after the link: $mint_en_title" ;;
esac
key plus                        # next logical page of mint-en: Preface, entry 1
key Down Down                   # top line 2
key shift+F3                    # bookmark 1 here
key Escape                      # Back: browsing with + pushed nothing, so mintdocs again
expect_reg_soon OptionsDiv LastLoadPath "$MINTDOCS" "Back loaded mintdocs.hyp again"
expect_title "$MINTDOCS_TITLE" "title after Back"
quit_viewer
expect_eq "$(reg_value OptionsDiv LastLoadIndex)" 0x0 "Back restored the page"
expect_eq "$(reg_value OptionsDiv LastLoadZeile)" 0x3 "Back restored the top line"

# --- 2. The bookmark record in the registry ---------------------------------------------------
marks=$(reg_value OptionsDiv Marken)
expect_eq "$((${#marks} / 2))" 7128 "Marken holds eleven records of 648 bytes"
expect_eq "$(le16_at "$marks" 6)" 0 "F2 is not in use"
f3=648
expect_eq "$(le16_at "$marks" $((f3 + 6)))" 1 "F3 is in use"
expect_eq "$(le16_at "$marks" $f3)" 1 "F3 page: Preface"
expect_eq "$(le16_at "$marks" $((f3 + 2)))" 2 "F3 top line"
expect_eq "$(le16_at "$marks" $((f3 + 4)))" 0 "F3 column"
expect_eq "$(text_at "$marks" $((f3 + 8)) 512)" "$MINT_EN" "F3 path"
expect_eq "$(text_at "$marks" $((f3 + 520)) 128)" "Preface" "F3 node name"

# --- 3. The bookmark after a new start --------------------------------------------------------
start_viewer "$MINTDOCS"
expect_title "$MINTDOCS_TITLE" "second start"
key F3
expect_reg_soon OptionsDiv LastLoadPath "$MINT_EN" "F3 loaded the bookmark's file"
key F3                          # already there: nothing happens
key Escape                      # the bookmark's navigation was pushed: Back to mintdocs
expect_title "$MINTDOCS_TITLE" "Back after F3"
key F3
quit_viewer
expect_eq "$(reg_value OptionsDiv LastLoadIndex)" 0x1 "F3 showed the bookmark's page"
expect_eq "$(reg_value OptionsDiv LastLoadZeile)" 0x2 "F3 showed the bookmark's top line"

# --- 4. A popup -------------------------------------------------------------------------------
clear_settings
cp "$bin/samples/sample.hyp" "$WORK/sample.hyp"
SAMPLE=$(winpath "$WORK/sample.hyp")
start_viewer "$SAMPLE"
expect_title "Vellumar - Vellumar Beispiel" "sample start page"
# The last link of the page is the popup link: Shift+Tab selects it, and the selection's
# inversion shows where it is.
import -window root "$WORK/before.png"
key shift+Tab
import -window root "$WORK/selected.png"
area=$(convert "$WORK/before.png" "$WORK/selected.png" -compose difference -composite \
    -threshold 0 -format '%@' info:)
if [[ $area =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]]; then
    click_x=$((BASH_REMATCH[3] + BASH_REMATCH[1] / 2))
    click_y=$((BASH_REMATCH[4] + BASH_REMATCH[2] / 2))
    pass
else
    fail "the selected link was not found on screen ($area)"
    click_x=120 click_y=416
fi
xdotool mousemove "$click_x" "$click_y" click 1
popup_open() { rect=$(probe popup); [ "$rect" != none ]; }
wait_until popup_open || fail "no popup after a click on its link"
# The footnote has 3 lines, the widest of 38 columns ("Popup-Fenster mit eigenem Hintergrund.").
# Width: both frames and 38 + 2 cells; height: three frame heights and 3 lines; centred on the
# click (halves truncated) and kept on the screen.
read -r frame_w frame_h screen_w screen_h cell_w line_h <<<"$(probe popup-metrics)"
if [ -n "${line_h:-}" ]; then
    w=$((2 * frame_w + (38 + 2) * cell_w)) h=$((3 * frame_h + 3 * line_h))
    x=$((click_x - w / 2)) y=$((click_y - h / 2))
    ((x < 0)) && x=0
    ((y < 0)) && y=0
    ((x > screen_w - w)) && x=$((screen_w - w))
    ((y > screen_h - h)) && y=$((screen_h - h))
    expect_eq "$rect" "$x $y $w $h" "popup rectangle for a click at $click_x,$click_y"
else
    fail "the probe measured no popup metrics"
fi
expect_title "Vellumar - Vellumar Beispiel" "the popup leaves the title"
import -window root "$WORK/popup.png"
read -r px py pw ph <<<"$rect"
if [ -n "${ph:-}" ]; then
    # Inside the frame: the popup colour (POPCOLOR 0x80FFFF), and dark text in three bands.
    inner_x=$((px + 3)) inner_y=$((py + 3)) inner_w=$((pw - 6)) inner_h=$((ph - 9))
    convert "$WORK/popup.png" -crop "${inner_w}x${inner_h}+${inner_x}+${inner_y}" +repage \
        "$WORK/inner.png"
    for corner in "2,1" "$((inner_w - 3)),1" "2,$((inner_h - 2))" "$((inner_w - 3)),$((inner_h - 2))"; do
        colour=$(convert "$WORK/inner.png" -format "%[pixel:p{$corner}]" info:)
        expect_eq "$colour" "srgb(255,255,128)" "popup background at $corner"
    done
    # Rows with text pixels, grouped into bands.
    bands=$(convert "$WORK/inner.png" -colorspace gray -threshold 50% -negate -scale "1x${inner_h}!" \
        -threshold 0 txt:- | awk 'NR > 1 { dark = ($0 ~ /gray\(255\)|white/); if (dark && !was) n++; was = dark } END { print n + 0 }')
    expect_eq "$bands" 3 "text lines drawn in the popup"
fi
key x                           # closes the popup and does nothing else
expect_soon none "the key closed the popup" probe popup
expect_title "Vellumar - Vellumar Beispiel" "the closing key did not act"
key x                           # now it acts: the index page
expect_title "Vellumar - Index" "the next key acts normally"
quit_viewer

# --- 5. The marks and history menus of the picture buttons -----------------------------------
# Their menus open at the mouse cursor; items are chosen with the keyboard, or with a click on
# the last item (just above the menu's bottom edge) while Ctrl is held.
clear_settings
start_viewer "$SAMPLE"
key shift+F2                    # bookmark 0: Main
key plus
key shift+F4                    # bookmark 2: Einführung
open_menu() { # picture button id
    xdotool mousemove 400 300
    probe command "$1"
    menu=$(probe menu "$WAIT_MS") || { fail "no menu for button $1"; return 1; }
    sleep 0.3
}
open_menu 1003 && key Down Down Return   # the first bookmark, F2
expect_title "Vellumar - Vellumar Beispiel" "marks menu entry F2 went to its place"
if open_menu 1003; then
    read -r mx my mw mh <<<"$menu"
    xdotool keydown ctrl mousemove $((mx + mw / 2)) $((my + mh - 6)) click 1
    # Ctrl is held until the menu has gone (the choice is made with the click).
    menu_gone() { ! probe menu 0 >/dev/null; }
    wait_until menu_gone || fail "the marks menu stayed open after the click"
    xdotool keyup ctrl
fi
mark_in_use() { le16_at "$(reg_value OptionsDiv Marken)" $(($1 * 648 + 6)); }
expect_soon 0 "Ctrl while choosing F4 in the marks menu deleted it" mark_in_use 2
expect_eq "$(mark_in_use 0)" 1 "F2 stays set"
expect_title "Vellumar - Vellumar Beispiel" "deleting a bookmark does not navigate"
xdotool mousemove 600 600
key x                           # Index, Main pushed
key h                           # the help page, Index pushed
expect_title "Vellumar - Hilfe zum Beispiel" "help page"
open_menu 1002 && key Down Down Down Return   # two places back: Main
expect_title "Vellumar - Vellumar Beispiel" "history menu entry two places back"
xdotool mousemove 600 600
key Escape                      # left: the place the F2 navigation pushed
expect_title "Vellumar - Einführung in das Beispiel" "Back after the history menu"
key Escape                      # the stack is empty now: nothing happens
expect_title "Vellumar - Einführung in das Beispiel" "Back with an empty stack"
open_menu 1013 && key Down Down Down Return   # "Siehe auch": the second cross reference
expect_title "Vellumar - Verweise aller Arten" "Siehe-auch menu entry"
xdotool mousemove 600 600
xdotool click 3                 # the right mouse button steps back too
expect_title "Vellumar - Einführung in das Beispiel" "right button after the Siehe-auch menu"
key u                           # U with an empty stack: nothing
expect_title "Vellumar - Einführung in das Beispiel" "U with an empty stack"
quit_viewer

summary
