#!/usr/bin/env bash
# Black-box checks of the converter's text verbs: --text writes the whole hypertext with CR LF
# line ends and the banner, its options override the settings for one run, failures leave no
# file; --page writes one page as UTF-8 to stdout.
set -u
. "$(dirname "$0")/lib/hypconv_checks.bash"
[ -x "$bin" ] || { echo "no converter at $bin"; exit 77; }
[ -f "$sample" ] || { echo "no sample at $sample"; exit 77; }
export VELLUMAR_SETTINGS="$tmp/settings.ini"  # the built-in defaults

# Usage errors and failures.
expect text-no-args 2 "$bin" --text
expect text-one-arg 2 "$bin" --text "$tmp/out.txt"
expect text-bad-option 2 "$bin" --text "$tmp/out.txt" "$sample" --frobnicate
expect text-bad-charset 2 "$bin" --text "$tmp/out.txt" "$sample" --charset latin9
expect text-long-marker 2 "$bin" --text "$tmp/out.txt" "$sample" --inlink "<<"
expect text-missing 1 "$bin" --text "$tmp/missing.txt" "$tmp/none.hyp"
# A failure is one line: the file, the message with its line breaks folded, the system's reason.
[ "$(cat "$tmp/text-missing.err")" = "hypconv: $tmp/none.hyp: HYP-Datei konnte nicht geöffnet werden: $tmp/none.hyp (No such file or directory)" ] ||
    fail "text-missing: $(cat "$tmp/text-missing.err")"
[ ! -e "$tmp/missing.txt" ] || fail "text-missing left a file"
printf 'no hypertext\n' >"$tmp/text.hyp"
expect text-not-hyp 1 "$bin" --text "$tmp/nothyp.txt" "$tmp/text.hyp"
grep -q "Keine HYP-Datei:" "$tmp/text-not-hyp.err" || fail "text-not-hyp: $(cat "$tmp/text-not-hyp.err")"
expect text-unwritable 1 "$bin" --text "$tmp/no/such/dir/out.txt" "$sample"
grep -q "Fehler beim Öffnen der Datei!" "$tmp/text-unwritable.err" || fail "text-unwritable: $(cat "$tmp/text-unwritable.err")"
expect page-range 1 "$bin" --page 99999 "$sample"
expect page-word 1 "$bin" --page x "$sample"
expect page-args 2 "$bin" --page 0

# The whole sample: banner first, every line ending in CR LF, a heading for the first page.
expect text 0 "$bin" --text "$tmp/sample.txt" "$sample"
# The version's "ß" in the Windows set (the default char_conv) is the byte 0xDF.
head -n 1 "$tmp/sample.txt" | LC_ALL=C grep -q $'^## Erzeugt von Vellumar v0.5\xdf / Modul HYPCONV' || fail "text: no banner"
sed -n 2p "$tmp/sample.txt" | grep -Eq '^## \(Compiled [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4}, [0-9]{2}:[0-9]{2}:[0-9]{2}\)' || fail "text: banner date $(sed -n 2p "$tmp/sample.txt")"
sed -n 3p "$tmp/sample.txt" | grep -q '^#.*#' || fail "text: no heading after the banner"
lines=$(wc -l <"$tmp/sample.txt")
crlf=$(grep -c $'\r$' "$tmp/sample.txt")
[ "$lines" -gt 10 ] && [ "$lines" -eq "$crlf" ] || fail "text: $crlf of $lines lines end in CR LF"

# Link markers: none by default, given ones with --all-links.
expect text-links 0 "$bin" --text "$tmp/links.txt" "$sample" --all-links --inlink '{' --outlink '}'
grep -q '{[^}]*}' "$tmp/links.txt" || fail "text-links: no framed link"
if grep -q '{[^}]*}' "$tmp/sample.txt"; then fail "text: links framed without --all-links"; fi

# Character sets: UTF-8 output is valid UTF-8; ANSI output of a corpus file has Windows bytes.
if [ -f "$corpus/freemint.hyp" ]; then
    expect text-utf8 0 "$bin" --text "$tmp/utf8.txt" "$corpus/freemint.hyp" --charset utf8
    if command -v iconv >/dev/null 2>&1; then
        iconv -f UTF-8 -t UTF-8 "$tmp/utf8.txt" >/dev/null 2>&1 || fail "text-utf8: not valid UTF-8"
    fi
    expect text-ansi 0 "$bin" --text "$tmp/ansi.txt" "$corpus/freemint.hyp" --charset ansi
    [ "$(wc -c <"$tmp/utf8.txt")" -gt "$(wc -c <"$tmp/ansi.txt")" ] || fail "text-utf8: no longer than ANSI"
fi

# --page: the first page as the clipboard would get it, in UTF-8.
expect page 0 "$bin" --page 0 "$sample"
head -n 1 "$tmp/page.out" | grep -q '^#.*#' || fail "page: no heading"
if grep -q "Erzeugt von" "$tmp/page.out"; then fail "page: has the banner"; fi
[ "$(grep -c $'\r$' "$tmp/page.out")" -eq "$(wc -l <"$tmp/page.out")" ] || fail "page: bare line feeds"
# The page's text is the same as in the whole export.
body=$(tail -n +2 "$tmp/page.out" | head -n 3)
grep -qF -- "$(echo "$body" | head -n 1)" "$tmp/sample.txt" || fail "page: text not in the export"

if [ "$failures" -ne 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "hypconv text verbs: all checks passed"
