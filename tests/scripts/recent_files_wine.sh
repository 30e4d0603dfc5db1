#!/usr/bin/env bash
# The recently opened hypertexts in the real viewer under Wine: three files opened (the command
# line, then twice "Öffnen..."), the program ended and started again: the list in the registry
# is newest first, and the "Datei" menu's second item (Alt+D, 2) opens the second newest, which
# then heads the list; a listed file that is gone is told and leaves the list.
# Skipped (77) when Wine, Xvfb, the tools or the builds are missing.
set -uo pipefail
# shellcheck source=/dev/null
. "$(dirname "$0")/lib/navigation_wine.bash"
[ -f "$bin/samples/sample.hyp" ] || { echo "skip: sample not built"; exit 77; }
nav_setup || exit $?

for name in erste zweite dritte; do cp "$bin/samples/sample.hyp" "$WORK/$name.hyp"; done
FIRST=$(winpath "$WORK/erste.hyp")
SECOND=$(winpath "$WORK/zweite.hyp")
THIRD=$(winpath "$WORK/dritte.hyp")

# Waits until value $2 of key $1 is $3 (a path, or "" for an empty or missing value).
expect_text() {
    local got i
    for i in $(seq 1 40); do
        got=$(wine_run reg query "$ROOT_KEY\\$1" /v "$2" | tr -d '\r' |
            awk -v name="$2" '$1 == name { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print }')
        [ "$got" = "$3" ] && break
        sleep 0.5
    done
    expect_eq "$got" "$3" "$4"
}
expect_recent() { expect_text RecentFiles "$@"; }
expect_last_load() { expect_text OptionsDiv LastLoadPath "$@"; }
open_through_dialog() {
    xdotool key o
    probe save-dialog "$1" 15000 >/dev/null || fail "no file dialog for $1"
    expect_last_load "$1" "LastLoadPath after opening $1"
}

# --- 1. Three files by two ways, then a restart ------------------------------------------------
start_viewer "$FIRST"
open_through_dialog "$SECOND"
open_through_dialog "$THIRD"
quit_viewer
expect_recent File1 "$THIRD" "the newest first"
expect_recent File2 "$SECOND" "the second newest"
expect_recent File3 "$FIRST" "the oldest"
expect_recent File4 "" "the fourth place is empty"

# StartUp 2: the last hypertext opens again without arguments (and stays at the top).
wine_run reg add "$ROOT_KEY\\OptionsDiv" /v StartUp /t REG_DWORD /d 2 /f >/dev/null
start_viewer
expect_last_load "$THIRD" "the restart opened the newest"

# --- 2. The menu's second item -----------------------------------------------------------------
xdotool key alt+d
probe menu 10000 >/dev/null || fail "Alt+D opened no menu"
xdotool key 2
expect_last_load "$SECOND" "the menu's second item opened the second newest"
expect_recent File1 "$SECOND" "the chosen file heads the list"
expect_recent File2 "$THIRD" "the one shown before is second"
expect_recent File3 "$FIRST" "the oldest stays third"

# --- 3. A file that is gone --------------------------------------------------------------------
rm "$WORK/erste.hyp"
xdotool key alt+d
probe menu 10000 >/dev/null || fail "Alt+D opened no menu"
xdotool key 3
box=$(probe box 15000 | sed -n '/^--$/,/^--end$/p' | sed '1d;$d' | tr -d '\n')
expect_eq "$box" "Die Hypertextdatei${FIRST}wurde nicht gefunden und wird aus der Liste entfernt!" \
    "the message for a file that is gone"
expect_recent File3 "" "the missing file left the list"
expect_last_load "$SECOND" "nothing else was opened"
quit_viewer

summary
