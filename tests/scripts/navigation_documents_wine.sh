#!/usr/bin/env bash
# The document commands in the real viewer under Wine: Ctrl+C puts the page's text on the
# clipboard (read back from the X selection, compared with hypconv --page); the three exports
# through their save dialogs write exactly the files hypconv writes with the same settings,
# and the HTML export's box names the first page file; "Dateiinfo" and F1 show their boxes;
# with the OEM set the clipboard receives OEM text.
# Skipped (77) when Wine, Xvfb, the tools or the Windows build are missing.
set -uo pipefail
# shellcheck source=/dev/null
. "$(dirname "$0")/lib/navigation_wine.bash"
[ -f "$bin/samples/sample.hyp" ] || { echo "skip: sample not built"; exit 77; }
command -v xclip >/dev/null || { echo "skip: xclip missing"; exit 77; }
nav_setup || exit $?

hypconv() { wine_run "$HYPCONV_EXE" "$@"; }

mkdir -p "$WORK/viewer" "$WORK/viewer/html" "$WORK/hypconv/html"
cp "$bin/samples/sample.hyp" "$WORK/viewer/sample.hyp"
SAMPLE=$(winpath "$WORK/viewer/sample.hyp")
start_viewer "$SAMPLE"
expect_title "Vellumar - Vellumar Beispiel" "sample start page"

# --- 1. The page on the clipboard -------------------------------------------------------------
key ctrl+c
clip=$(xclip -o -selection clipboard 2>/dev/null | tr -d '\r')
page=$(hypconv --page 0 "$SAMPLE" | tr -d '\r')
[ -n "$page" ] || fail "hypconv --page gave nothing"
if [ "$clip" = "$page" ]; then pass; else
    fail "clipboard differs from hypconv --page 0"
    diff <(printf '%s\n' "$clip") <(printf '%s\n' "$page") | head -10
fi
key plus                        # another page: Einführung
key ctrl+c
clip=$(xclip -o -selection clipboard 2>/dev/null | tr -d '\r')
page=$(hypconv --page 1 "$SAMPLE" | tr -d '\r')
[ "$clip" = "$page" ] && pass || fail "clipboard of page 1 differs from hypconv --page 1"
key less

# --- 2. The three exports ---------------------------------------------------------------------
# Text and STG keep the proposed name, so they land beside the hypertext (the dialog's initial
# folder); HTML goes into a folder of its own.
export_through_dialog() { # key, name to type or "", expected proposal
    xdotool key "$1"
    local proposal
    proposal=$(probe save-dialog "$2" 15000 | utf8)
    expect_eq "$proposal" "$3" "file name proposed by the save dialog of $1"
}
export_through_dialog a "" sample.txt
sleep 2
export_through_dialog r "" sample.stg
sleep 2
export_through_dialog m "$(winpath "$WORK/viewer/html")\\sample.html" sample.html
box=$(probe box 30000 | utf8)
first=$(hypconv --html "$(winpath "$WORK/hypconv/html/sample.html")" "$SAMPLE" | tr -d '\r')
expect_eq "$box" "Info
--
HTML-Dateien erfolgreich erzeugt!

Name der Anfangsdatei:

$first
--end" "the HTML export's box"
hypconv --text "$(winpath "$WORK/hypconv/sample.txt")" "$SAMPLE" >/dev/null
hypconv --stg "$(winpath "$WORK/hypconv/sample.stg")" "$SAMPLE" >/dev/null
for f in sample.txt sample.stg; do
    if [ -s "$WORK/viewer/$f" ] && cmp -s "$WORK/viewer/$f" "$WORK/hypconv/$f"; then pass; else
        fail "$f written by the viewer differs from hypconv's"
    fi
done
# STG export writes the pictures beside it; every file must match.
for f in "$WORK"/hypconv/*.bmp; do
    [ -e "$f" ] || continue
    cmp -s "$f" "$WORK/viewer/$(basename "$f")" && pass || fail "$(basename "$f") differs"
done
if [ -n "$(ls "$WORK/viewer/html")" ] && diff -r "$WORK/viewer/html" "$WORK/hypconv/html" >/dev/null; then
    pass
else
    fail "the HTML files differ from hypconv's"
    diff -rq "$WORK/viewer/html" "$WORK/hypconv/html" | head -5
fi
expect_eq "$(reg_value OptionsDiv LastSavePath)" "$(winpath "$WORK/viewer/html")\\sample.html" \
    "LastSavePath is the name last chosen"

# --- 3. Information boxes ---------------------------------------------------------------------
key i
box=$(probe box 10000 | utf8)
info=$(hypconv --info "$SAMPLE" | tr -d '\r')
expect_eq "$box" "Vellumar - Info
--
$info
--end" "the file information box"
key F1
box=$(probe box 10000 | utf8)
expect_eq "$box" "Vellumar - Hilfe
--
Tastaturbedienung:

+, -	Nächste/Vorherige logische Seite anzeigen
*, /	Nächste/Vorherige physikalische Seite anzeigen
>, <	Letzte/Erste Seite anzeigen
T	Zum Inhaltsverzeichnis der aktuellen Seite
X	Indexseite der aktuellen HYP-Datei anzeigen
H	Hilfeseite der aktuellen HYP-Datei anzeigen (Help)
U, Esc oder Rechte Maustaste:
	Zurück im Stack (Undo)

--end" "the keyboard help box"
sleep 1
probe no-box && pass || fail "a box stayed open"
quit_viewer

# --- 4. With the OEM set the clipboard gets OEM text ------------------------------------------
# The system turns CF_OEMTEXT into the same characters again; had the OEM bytes been handed
# over as Windows text, the umlauts of the page would come back as other characters.
wine_run reg add "$ROOT_KEY\\OptionsOutput" /v char_conv /t REG_DWORD /d 1 /f >/dev/null
start_viewer "$SAMPLE"
key ctrl+c
clip=$(xclip -o -selection clipboard 2>/dev/null | tr -d '\r')
page=$(hypconv --page 0 "$SAMPLE" | tr -d '\r')
case $page in *ü*) pass ;; *) fail "the page has no umlaut to tell the sets apart" ;; esac
[ "$clip" = "$page" ] && pass || fail "clipboard in the OEM set differs from the page's text"
quit_viewer

summary
