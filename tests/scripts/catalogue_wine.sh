#!/usr/bin/env bash
# The catalogue window in the real viewer under Wine, on a folder of three corpus files (gemma,
# led-en, xaaes): the "KAT" button opens it; a keyword of another hypertext typed and Return
# opens that file at that page (title), Esc hides the window and Back returns (title); Ctrl+K
# shows it again; the contents part selects the page a keyword opened, and the page the main
# window moved on to; then by keys alone: the focus into the window and back to the main window,
# Tab and Shift+Tab through field, list and tabs, the tabs' arrows, Alt+S, Return and Esc.
# Expected names come from hypconv's listing of the file.
# Skipped (77) when Wine, Xvfb, the tools, the Windows build or the corpus are missing.
set -uo pipefail
# shellcheck source=/dev/null
. "$(dirname "$0")/lib/navigation_wine.bash"
for f in gemma led-en xaaes; do
    [ -f "$CORPUS/$f.hyp" ] || { echo "skip: corpus missing"; exit 77; }
done
nav_setup || exit $?
need_wintest CATALOGUE_PROBE catalogue_probe_wintest
need_wintest FOCUS_PROBE focus_probe_wintest
catalogue() { wine_run "$CATALOGUE_PROBE" "$@" | tr -d '\r'; }
tree_selection() { catalogue tree-selection | utf8; }
part() { catalogue part; }

mkdir -p "$WORK/shelf"
cp "$CORPUS/gemma.hyp" "$CORPUS/led-en.hyp" "$CORPUS/xaaes.hyp" "$WORK/shelf/"
# The page after "Installation" in gemma.hyp's index (the next page entry, type 0).
next_page=$(wine_run "$HYPCONV_EXE" --list "$(winpath "$WORK/shelf/gemma.hyp")" | tr -d '\r' |
    awk 'found && $2 == 0 { sub(/^ *[0-9]+ +[0-9]+ +[0-9]+ +[0-9]+ /, ""); print; exit }
         $NF == "Installation" && $2 == 0 { found = 1 }')
[ -n "$next_page" ] || fail "hypconv lists no page after Installation"

start_viewer "$(winpath "$WORK/shelf/gemma.hyp")"

# --- 1. The "KAT" button opens the window, keywords shown --------------------------------------
probe command 1012              # TB_CATALOGUE, as a click on the button sends it
catalogue shown "$WAIT_MS" && pass || fail "the KAT button opened no catalogue window"
expect_eq "$(part)" 0 "the keyword part comes first"
has_rows() { [ "$(catalogue rows)" -gt 100 ] 2>/dev/null; }
wait_until has_rows && pass || fail "the keyword list of three files stayed short: $(catalogue rows)"

# --- 2. A keyword of another hypertext, Return, Back --------------------------------------------
xdotool type --delay 30 "led.cfg"
expect_soon 1 "typing narrows the list to one row" catalogue rows
key Return
expect_title "Vellumar - LED's Configuration File" "the keyword opened led-en.hyp at its page"
key Escape
catalogue hidden "$WAIT_MS" && pass || fail "Esc did not hide the catalogue"
key Escape
expect_title "Vellumar - The GEM application support library" "Back returned to gemma.hyp"

# --- 3. Ctrl+K, the contents part follows the reader -------------------------------------------
key ctrl+k
catalogue shown "$WAIT_MS" && pass || fail "Ctrl+K showed no catalogue window"
xdotool type --delay 30 "Installation"   # replaces the text, selected when shown
key Return                      # gemma.hyp's page first: the open file leads the shelf
key ctrl+Tab
expect_soon 1 "Ctrl+Tab switched to the contents part" part
expect_soon "Installation" "the contents part selects the page the keyword opened" tree_selection
probe command 304               # CM_NEXT_PHYSICAL in the main window
expect_soon "$next_page" "the contents part follows the main window to the next page" \
    tree_selection
key Escape                      # the catalogue hidden: the keys are the main window's again
catalogue hidden "$WAIT_MS" && pass || fail "Esc did not hide the catalogue the second time"

# --- 4. Keys only: focus in and out, Tab and Shift+Tab, the tabs' arrows, a mnemonic, Return ---
# Stops of the keyword part: field 101, list 102, tabs 100; the contents tree is 103.
key ctrl+k
catalogue shown "$WAIT_MS" && pass || fail "Ctrl+K showed no catalogue window the third time"
expect_soon "103 Katalog" "the focus lands in the part left open, the contents tree" focus
key ctrl+shift+Tab
expect_soon "101 Katalog" "Ctrl+Shift+Tab went back to the keywords, the focus in their field" focus
key Tab
expect_soon "102 Katalog" "Tab went on to the keyword list" focus
key Tab
expect_soon "100 Katalog" "Tab went on to the tabs" focus
key Right
expect_soon 1 "Right on the tabs showed the contents part" part
expect_soon "100 Katalog" "the focus stays on the tabs while they are walked" focus
key Left
expect_soon 0 "Left on the tabs showed the keywords again" part
key shift+Tab
expect_soon "102 Katalog" "Shift+Tab went back from the tabs to the list" focus
key alt+s
expect_soon "101 Katalog" "Alt+S (\"&Stichwort:\") went to the field" focus
xdotool type --delay 30 "led.cfg"   # replaces the field's text, selected when reached
expect_soon 1 "typing narrowed the list to one row" catalogue rows
key Tab
expect_soon "102 Katalog" "Tab from the field to the list" focus
key Return                      # opened from the list
expect_title "Vellumar - LED's Configuration File" "Return in the list opened the keyword"
key Escape
catalogue hidden "$WAIT_MS" && pass || fail "Esc did not hide the catalogue the third time"
expect_soon "0 Vellumar - LED's Configuration File" "the focus went back to the main window" focus
quit_viewer
summary
