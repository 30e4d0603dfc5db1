#!/usr/bin/env bash
# The document commands in the real viewer under Wine: Ctrl+C puts the page's text on the
# clipboard (read back from the X selection, compared with hypconv --page); the three exports
# through their save dialogs write exactly the files hypconv writes with the same settings (a
# picture file that cannot be written shows the failure box),
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
# expect_clipboard N MESSAGE: Ctrl+C has put page N's text (as hypconv --page gives it) on the
# clipboard (waited for); an empty page text or an empty clipboard fails, so that two empty
# sides never pass.
expect_clipboard() {
    local clip page
    page=$(hypconv --page "$1" "$SAMPLE" | tr -d '\r')
    clipboard_holds_page() {
        clip=$(xclip -o -selection clipboard 2>/dev/null | tr -d '\r')
        [ -n "$clip" ] && [ "$clip" = "$page" ]
    }
    wait_until clipboard_holds_page
    if [ -z "$page" ]; then
        fail "$2: hypconv --page $1 gave nothing"
    elif [ -z "$clip" ]; then
        fail "$2: the clipboard is empty"
    elif [ "$clip" = "$page" ]; then
        pass
    else
        fail "$2: the clipboard differs from hypconv --page $1"
        diff <(printf '%s\n' "$clip") <(printf '%s\n' "$page") | head -10
    fi
}
key ctrl+c
expect_clipboard 0 "the start page copied"
key plus                        # another page: Einführung
key ctrl+c
expect_clipboard 1 "page 1 copied"
key less

# --- 2. The three exports ---------------------------------------------------------------------
# Text and STG keep the proposed name, so they land beside the hypertext (the dialog's initial
# folder); HTML goes into a folder of its own.
export_through_dialog() { # key, name to type or "", expected proposal
    xdotool key "$1"
    local proposal
    proposal=$(probe save-dialog "$2" "$WAIT_MS" | utf8)
    expect_eq "$proposal" "$3" "file name proposed by the save dialog of $1"
}
# An export is done when its file is there and no dialog of it is open any more.
exported() { [ -s "$1" ] && probe no-box; }
export_through_dialog a "" sample.txt
wait_until exported "$WORK/viewer/sample.txt" || fail "the text export wrote nothing"
export_through_dialog r "" sample.stg
wait_until exported "$WORK/viewer/sample.stg" || fail "the STG export wrote nothing"
export_through_dialog m "$(winpath "$WORK/viewer/html")\\sample.html" sample.html
box=$(probe box "$WAIT_MS" | utf8)
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
# STG export writes the pictures beside it: the sample holds two, and every file must match.
viewer_bmps=$(cd "$WORK/viewer" && ls -- *.bmp 2>/dev/null)
expect_eq "$(cd "$WORK/hypconv" && ls -- *.bmp 2>/dev/null)" "$viewer_bmps" "the BMP files beside the STG"
expect_eq "$(echo "$viewer_bmps" | grep -c '\.bmp$')" 2 "BMP files of the sample's two pictures"
for f in $viewer_bmps; do
    cmp -s "$WORK/hypconv/$f" "$WORK/viewer/$f" && pass || fail "$f differs"
done
if [ -n "$(ls "$WORK/viewer/html")" ] && diff -r "$WORK/viewer/html" "$WORK/hypconv/html" >/dev/null; then
    pass
else
    fail "the HTML files differ from hypconv's"
    diff -rq "$WORK/viewer/html" "$WORK/hypconv/html" | head -5
fi
expect_reg_soon OptionsDiv LastSavePath "$(winpath "$WORK/viewer/html")\\sample.html" \
    "LastSavePath is the name last chosen"
# A picture file that cannot be written (a directory of its name in its place): the pages are
# written all the same, then the failure box names that file and the count.
mkdir -p "$WORK/viewer/blocked/sample_Index14.bmp"
export_through_dialog m "$(winpath "$WORK/viewer/blocked")\\sample.html" sample.html
box=$(probe box "$WAIT_MS" | utf8)
# (Wine's C library reports a directory opened for writing as error 13; the box has the
# system's caption.)
expect_eq "$box" "Error
--
Fehler 13 beim Schreiben der Datei

$(winpath "$WORK/viewer/blocked")\\sample_Index14.bmp

Eine Bilddatei konnte nicht geschrieben werden.
--end" "the failure box of a picture file that cannot be written"
[ -f "$WORK/viewer/blocked/Main.html" ] && pass || fail "the blocked export wrote no pages"

# --- 3. Information boxes ---------------------------------------------------------------------
key i
box=$(probe box "$WAIT_MS" | utf8)
info=$(hypconv --info "$SAMPLE" | tr -d '\r')
expect_eq "$box" "Vellumar - Info
--
$info
--end" "the file information box"
key F1
box=$(probe box "$WAIT_MS" | utf8)
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
Strg+K	Katalog: Stichwörter, Inhalt und Hypertexte
Strg+A	Alles markieren, Strg+C kopiert die Markierung

--end" "the keyboard help box"
expect_no_box "a box stayed open"
quit_viewer

# --- 4. With the OEM set the clipboard gets OEM text ------------------------------------------
# The system turns CF_OEMTEXT into the same characters again; had the OEM bytes been handed
# over as Windows text, the umlauts of the page would come back as other characters.
wine_run reg add "$ROOT_KEY\\OptionsOutput" /v char_conv /t REG_DWORD /d 1 /f >/dev/null
start_viewer "$SAMPLE"
key ctrl+c
case $(hypconv --page 0 "$SAMPLE") in *ü*) pass ;; *) fail "the page has no umlaut to tell the sets apart" ;; esac
expect_clipboard 0 "the start page copied in the OEM set"
quit_viewer

summary
