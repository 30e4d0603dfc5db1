#!/usr/bin/env bash
# The version box and the option dialogs in the real viewer under Wine: each key opens its dialog;
# the output options set with the keyboard are written to the registry and shape the next text
# export (compared with the native hypconv given the same options); cancelling the colour dialog
# changes nothing, a background chosen in the colour chooser shows at once; a font size chosen in
# the font chooser changes the line height on screen; the start-up choice of the miscellaneous
# options opens the default hypertext, or the last one at its page and line.
# Skipped (77) when Wine, Xvfb, the tools or the builds are missing.
set -uo pipefail
# shellcheck source=/dev/null
. "$(dirname "$0")/lib/viewer_wine.bash"  # screenshots and their pixels
# shellcheck source=/dev/null
. "$(dirname "$0")/lib/navigation_wine.bash"
[ -f "$bin/samples/sample.hyp" ] || { echo "skip: sample not built"; exit 77; }
[ -x "$bin/hypconv" ] || { echo "skip: native hypconv not built"; exit 77; }
nav_setup || exit $?

mkdir -p "$WORK/viewer" "$WORK/native" "$WORK/default"
cp "$bin/samples/sample.hyp" "$WORK/viewer/sample.hyp"
cp "$bin/samples/sample.hyp" "$WORK/default/standard.hyp"
SAMPLE=$(winpath "$WORK/viewer/sample.hyp")
DEFAULT=$(winpath "$WORK/default/standard.hyp")
# The native converter reads no settings of the viewer: it gets every option on its command line.
export VELLUMAR_SETTINGS=$WORK/native/settings.ini

# The viewer under Wine here may take a few seconds to close a dialog, write or repaint: the
# checks below wait for the expected state (lib/wait.bash) and fail only when it never comes.

dialog_caption() { probe dialog "$WAIT_MS" | utf8; }
item() { probe dialog-item "$1" | utf8; }
# Clicks are posted to the dialog and handled in turn: the next step waits for their effect.
click() { probe dialog-click "$1" || fail "no dialog for a click on $1"; }
# Closes the open dialog of the viewer and checks that it closed.
close_dialog() {
    click "$1"
    expect_no_box "the dialog stayed open after button $1"
}
# The viewer has handled everything sent before: it answers a message only between two of its
# own steps. A check that nothing happened follows this.
settled() { title >/dev/null; }

# The display lines of the blue links of the start page's contents list, as the rows of their
# first pixel: the distance between two is the line height.
link_line_rows() {
    client_pixels "$1" | awk -F'[,:]' '/ #0000FF / && $1 < 120 { print $2 }' | sort -n | uniq |
        awk 'NR == 1 || $1 > last + 1 { print } { last = $1 }'
}
line_height_of() { link_line_rows "$1" | head -2 | awk 'NR == 1 { a = $1 } NR == 2 { print $1 - a }'; }

# --- 1. Each key opens its dialog --------------------------------------------------------------
start_viewer "$SAMPLE"
wid=$(xdotool search --name "Vellumar - " | head -1)
for pair in "question:Vellumar - Versionsinfo" "g:Vellumar - Ausgabeoptionen" \
    "c:Vellumar - Farben auswählen" "z:Vellumar - Schriften auswählen" \
    "v:Vellumar - Verschiedene Optionen"; do
    xdotool key "${pair%%:*}"
    expect_eq "$(dialog_caption)" "${pair#*:}" "the dialog of key ${pair%%:*}"
    if [ "${pair%%:*}" = question ]; then
        expect_eq "$(item 10)" "0.5ß" "the version"
        case $(item 11) in
            "(Compiled "[A-Z][a-z][a-z]" "[0-9\ ][0-9]" "[0-9][0-9][0-9][0-9]", "[0-9][0-9]:[0-9][0-9]:[0-9][0-9]")") pass ;;
            *) fail "the build date line: '$(item 11)'" ;;
        esac
        close_dialog 1  # its only button
    else
        close_dialog 2
    fi
done

# --- 2. Output options by keyboard, then a text export ------------------------------------------
xdotool key g
dialog_caption >/dev/null
# TOS and "LINK als" by their mnemonics; the margins are the 5th to 7th stops after "LINK als".
key alt+t alt+l Tab Tab Tab Tab Tab
xdotool type 150
key Tab
xdotool type 150
key Tab
xdotool type 150
key Return
expect_no_box "Return did not close the output options"
expect_reg_soon OptionsOutput char_conv 0x2 "char_conv after choosing TOS"
expect_reg_soon OptionsOutput alllinks_txt 0x1 "alllinks_txt after LINK als"
for margin in p_left_margin p_right_margin p_top_margin; do
    expect_reg_soon OptionsOutput $margin 0x96 "$margin after typing 150"
done
key a
expect_eq "$(probe save-dialog "" "$WAIT_MS" | utf8)" sample.txt "the text export's proposal"
"$bin/hypconv" --text "$WORK/native/options.txt" "$WORK/viewer/sample.hyp" --charset tos \
    --all-links >/dev/null
"$bin/hypconv" --text "$WORK/native/plain.txt" "$WORK/viewer/sample.hyp" >/dev/null
# The export is written whole once it is the converter's (the build time of line 2 aside).
export_done() { [ -s "$WORK/viewer/sample.txt" ] &&
    cmp -s <(sed 2d "$WORK/viewer/sample.txt") <(sed 2d "$WORK/native/options.txt"); }
wait_until export_done
# The banner's second line holds the time its program was compiled: two builds differ there.
compiled='^## \(Compiled [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4}, [0-9]{2}:[0-9]{2}:[0-9]{2}\)'$'\r''$'
for f in "$WORK/viewer/sample.txt" "$WORK/native/options.txt"; do
    sed -n 2p "$f" | grep -qE "$compiled" && pass || fail "no build time on line 2 of $f"
done
if [ -s "$WORK/viewer/sample.txt" ] &&
    cmp -s <(sed 2d "$WORK/viewer/sample.txt") <(sed 2d "$WORK/native/options.txt"); then
    pass
else
    fail "the viewer's text export differs from hypconv --charset tos --all-links"
fi
# The options made a difference the comparison can see.
cmp -s "$WORK/native/options.txt" "$WORK/native/plain.txt" && fail "the options change nothing"

# --- 3. Colours: cancel changes nothing; a new background shows at once -----------------------
# choose_background BUTTON: in the colour dialog, 0,128,255 chosen for the window background;
# the dialog then closed by BUTTON (1 OK, 2 Cancel).
choose_background() {
    xdotool key c
    dialog_caption >/dev/null
    click 40
    probe choose-colour 0 128 255 "$WAIT_MS" || fail "no colour chooser for the window background"
    probe wait-no-chooser "$WAIT_MS" >/dev/null || fail "the colour chooser stayed open"
    close_dialog "$1"
}
shot before.png
choose_background 2
expect_shot cancelled.png same before.png "the window after a cancelled colour dialog differs from before"
settled
expect_eq "$(reg_value OptionsColor BCKCOLOR)" "" "BCKCOLOR stored after a cancel"
has_colour before.png "#0080FF" && fail "the chosen colour is on screen before it is chosen"

choose_background 1
expect_colour_soon chosen.png "#0080FF" "the window background after choosing 0,128,255"
expect_reg_soon OptionsColor BCKCOLOR 0xff8000 "BCKCOLOR stored (0x00BBGGRR)"

# --- 4. Fonts: a 20-point FONT changes the line height ------------------------------------------
before=$(line_height_of chosen.png)
xdotool key z
dialog_caption >/dev/null
click 20
probe choose-font 20 "$WAIT_MS" || fail "no font chooser for FONT"
probe wait-no-chooser "$WAIT_MS" >/dev/null || fail "the font chooser stayed open"
close_dialog 1
line_height_changed() { after=$(line_height_of font.png); [ -n "$after" ] && [ "$after" != "$before" ]; }
shot_until font.png line_height_changed
after=$(line_height_of font.png)
if [ -n "$before" ] && [ -n "$after" ] && [ "$after" -gt "$before" ]; then pass; else
    fail "line height on screen: $before before, $after after choosing 20 points"
fi
stored_height() { font=$(reg_value OptionsFont "$1"); echo "${font:0:8}"; }
# 20 points on a display of 96 dots per inch are 27 pixels: height -27, for both fonts.
expect_soon E5FFFFFF "FONT's stored height" stored_height FONT
xfont=$(reg_value OptionsFont XFONT)
expect_eq "${xfont:0:8}" E5FFFFFF "XFONT's stored height follows FONT"
expect_eq "$(text_at "$xfont" 28 32)" "Courier New" "XFONT keeps its face"
quit_viewer

# --- 5. Start-up: the default hypertext, then the last one at its page and line --------------
start_viewer "$SAMPLE"
xdotool key v
dialog_caption >/dev/null
probe dialog-set 10 'C:\hyp'
probe dialog-set 11 "$DEFAULT"
click 15
close_dialog 1
expect_reg_soon OptionsDiv StartUp 0x1 "StartUp after the second button"
expect_reg_soon OptionsDiv HypPath 'C:\hyp\' "HypPath gets its backslash"
quit_viewer
start_viewer
expect_title "Vellumar - Vellumar Beispiel" "a start without arguments, StartUp 1"
expect_eq "$(wine_run reg query "$ROOT_KEY\\OptionsDiv" /v LastLoadPath | tr -d '\r' |
    awk '$1 == "LastLoadPath" { $1 = $2 = ""; sub(/^ +/, ""); print }')" "$DEFAULT" \
    "the default hypertext was opened"

xdotool key v
dialog_caption >/dev/null
click 16
close_dialog 1
expect_reg_soon OptionsDiv StartUp 0x2 "StartUp after the third button"
# The 7th link of the contents: "Lange Seite", 136 lines long.
key Tab Tab Tab Tab Tab Tab Tab Return
expect_title "Vellumar - Eine lange Seite" "the long page"
key Down Down Down Down Down
quit_viewer
expect_eq "$(reg_value OptionsDiv LastLoadIndex)" 0x8 "the page at exit"
expect_eq "$(reg_value OptionsDiv LastLoadZeile)" 0x5 "the line at exit"
start_viewer
expect_title "Vellumar - Eine lange Seite" "StartUp 2 reopens the last page"
quit_viewer
expect_eq "$(reg_value OptionsDiv LastLoadZeile)" 0x5 "StartUp 2 reopens the last line"

# A remembered page the file does not have: its last node (Index), not its first page.
wine_run reg add "$ROOT_KEY\\OptionsDiv" /v LastLoadIndex /t REG_DWORD /d 23 /f >/dev/null
start_viewer
expect_title "Vellumar - Index" "a remembered page beyond the file"
quit_viewer

summary
