#!/usr/bin/env bash
# Black-box checks of the command-line converter: exit codes, usage errors, the system's messages
# on stderr, --list/--unpack/--check against the fixture and corpus files, and the same checks of
# the Windows console build under Wine (its output must equal the native one).
set -u
. "$(dirname "$0")/lib/hypconv_checks.bash"
# Without the corpus its checks are passed over, and the script ends as skipped (77), not passed.
[ -d "$corpus" ] || echo "skip: no corpus at $corpus: its checks are left out"

# Usage and failures.
expect no-verb 2 "$bin"
expect unknown-verb 2 "$bin" --frobnicate
expect list-no-file 2 "$bin" --list
expect missing-file 1 "$bin" --list "$tmp/none.hyp"
grep -q "HYP-Datei konnte nicht geöffnet werden:" "$tmp/missing-file.err" || fail "missing-file: message $(cat "$tmp/missing-file.err")"
printf 'Dies ist keine HYP-Datei\n' >"$tmp/text.hyp"
expect not-hyp 1 "$bin" --list "$tmp/text.hyp"
grep -q "Keine HYP-Datei:" "$tmp/not-hyp.err" || fail "not-hyp: message $(cat "$tmp/not-hyp.err")"
expect unpack-range 1 "$bin" --unpack 99999 "$sample"
expect unpack-word 1 "$bin" --unpack x1 "$sample"
expect help 0 "$bin" --help
grep -q -- "--check" "$tmp/help.out" || fail "help lists no --check"

# --list: one line per entry, unpacked length matching --unpack's byte count.
expect list 0 "$bin" --list "$sample"
entries=$(wc -l <"$tmp/list.out")
[ "$entries" -gt 10 ] || fail "list: only $entries lines"
while read -r index type stored unpacked name; do
    expect "unpack-$index" 0 "$bin" --unpack "$index" "$sample"
    size=$(stat -c %s "$tmp/unpack-$index.out")
    [ "$size" -eq "$unpacked" ] || fail "unpack $index: $size bytes, --list says $unpacked"
done <"$tmp/list.out"

# --check on the same file given twice and on a bad one: totals add up, a bad file fails the run.
expect check-twice 0 "$bin" --check "$sample" "$sample"
total=$(awk '{ s += $4 } END { print s }' "$tmp/list.out")
grep -q "^$((2 * total)) Bytes entpackt, 0 fehlerhafte" "$tmp/check-twice.out" || fail "check-twice: $(cat "$tmp/check-twice.out")"
expect check-bad 1 "$bin" --check "$sample" "$tmp/text.hyp"

# A device that refuses writes: every export fails with the system's message, and the converter
# leaves the device alone (it removes only output files it created itself).
if [ -c /dev/full ]; then
    for verb in --text --stg; do
        expect "full$verb" 1 "$bin" "$verb" /dev/full "$sample"
        [ "$(cat "$tmp/full$verb.err")" = "hypconv: /dev/full: Fehler 28 beim Schreiben der Datei: /dev/full (No space left on device)" ] ||
            fail "full$verb: $(cat "$tmp/full$verb.err")"
        [ -c /dev/full ] || fail "full$verb: /dev/full is gone"
    done
fi

# Picture files that cannot be written (a directory of each name in its place): every page is
# written all the same, then the run fails with one line naming the first picture and the count.
mkdir -p "$tmp/pictures/sample_Index14.bmp" "$tmp/pictures/sample_Index15.bmp"
expect blocked-pictures 1 "$bin" --html "$tmp/pictures/sample.html" "$sample"
[ "$(cat "$tmp/blocked-pictures.err")" = "hypconv: $sample: Fehler 21 beim Schreiben der Datei: $tmp/pictures/sample_Index14.bmp: 2 Bilddateien konnten nicht geschrieben werden. (Is a directory)" ] ||
    fail "blocked-pictures: $(cat "$tmp/blocked-pictures.err")"
[ -f "$tmp/pictures/Main.html" ] || fail "blocked-pictures: the pages were not written"
# A failed export removes the output file it created, but never one that was there before.
expect text-bad-input 1 "$bin" --text "$tmp/new.txt" "$tmp/text.hyp"
[ ! -e "$tmp/new.txt" ] || fail "text-bad-input: left its empty output behind"
echo keep >"$tmp/old.txt"
expect text-bad-input-old 1 "$bin" --text "$tmp/old.txt" "$tmp/text.hyp"
[ -e "$tmp/old.txt" ] || fail "text-bad-input-old: removed a file it did not create"

# Umlauts of names and messages reach the terminal as UTF-8.
grep -q "Fußnote" "$tmp/list.out" || fail "list: Atari name not shown as UTF-8"

# --info: the viewer's information text, labels and header values, Atari umlauts as UTF-8.
expect info 0 "$bin" --info "$sample"
for line in "Indexlänge"$'\t' "Indexanzahl"$'\t'"$entries" "Compiled on"$'\t'"Atari" \
            "@subject    "$'\t'"Dokumentation/Übungsbeispiele" "@width      "$'\t'"75"; do
    grep -qF -- "$line" "$tmp/info.out" || fail "info: no line \"$line\""
done
if [ -d "$corpus" ]; then
    expect info-tos-en 0 "$bin" --info "$corpus/tos-en.hyp"
    grep -qF "Compiled on"$'\t'"Unbekannt" "$tmp/info-tos-en.out" || fail "info: tos-en os 5 not Unbekannt"
fi

# --settings: with no stored settings every value shows its default.
VELLUMAR_SETTINGS="$tmp/no-settings.ini" expect settings 0 "$bin" --settings
for line in 'expmultispace = 1' 'inlink = "["' 'outlink = "]"' 'p_left_margin = 200' 'char_conv = 0'; do
    grep -qxF -- "$line" "$tmp/settings.out" || fail "settings: no line '$line'"
done

# The corpus: every entry of every file unpacks without a data error.
if [ -d "$corpus" ]; then
    expect check-corpus 0 "$bin" --check "$corpus"/*.hyp
    grep -q " 0 fehlerhafte Einträge" "$tmp/check-corpus.out" || fail "check-corpus: $(tail -n 3 "$tmp/check-corpus.out")"
fi

# --html with a set of hypertexts: each into OUT/<base>/, each first page named; the links of
# the set, across its files too, all name files that exist.
# dead_links DIR: every HREF of the pages below DIR that is no address and names no file.
dead_links() {
    perl -e 'for my $page (@ARGV) { (my $dir = $page) =~ s{[^/]*$}{}; open my $f, "<", $page or next;
        local $/; my $t = <$f>; while ($t =~ /HREF="([^"]*)"/g) { my $h = $1; next if $h =~ /^[a-z]+:/i;
        $h =~ s/#.*//; $h =~ s/&amp;/&/g; $h =~ s/%([0-9A-F]{2})/chr(hex($1))/ge;
        print "$page -> $h\n" unless -f "$dir$h"; } }' "$1"/*/*.html
}
if [ -f "$corpus/mintdocs.hyp" ]; then
    expect html-set 0 "$bin" --html "$tmp/set" "$corpus/mintdocs.hyp" "$corpus/mint-en.hyp" "$corpus/mint-prg.hyp" --charset utf8
    [ "$(wc -l <"$tmp/html-set.out")" -eq 3 ] || fail "html-set: $(cat "$tmp/html-set.out")"
    while read -r first; do [ -f "$first" ] || fail "html-set: first page $first missing"; done <"$tmp/html-set.out"
    grep -q '"\.\./mint-en/' "$tmp/set/mintdocs/"*.html || fail "html-set: mintdocs has no link into mint-en"
    [ -z "$(dead_links "$tmp/set")" ] || fail "html-set: dead links: $(dead_links "$tmp/set" | head -n 3)"
    # One hypertext and a folder (named as one by its trailing separator): into its own folder too.
    expect html-folder 0 "$bin" --html "$tmp/folder/" "$corpus/mint-prg.hyp"
    [ -f "$(cat "$tmp/html-folder.out")" ] && [ -d "$tmp/folder/mint-prg" ] || fail "html-folder: $(cat "$tmp/html-folder.out")"
    cp "$corpus/mint-en.hyp" "$tmp/MINT-EN.hyp"
    expect html-clash 2 "$bin" --html "$tmp/clash" "$corpus/mint-en.hyp" "$tmp/MINT-EN.hyp"
    [ ! -e "$tmp/clash" ] || fail "html-clash: wrote before refusing"
fi

# The Windows console build under Wine gives the same answers.
if ! source "$VELLUMAR_SOURCE_DIR/scripts/wine-env.sh"; then
    fail "Wine cannot be set up (scripts/setup.sh installs it)"
elif winbin="$VELLUMAR_WINE_BUILD/hypconv.exe" && [ ! -f "$winbin" ]; then
    fail "no Windows build of hypconv at $winbin (scripts/build.sh win$VELLUMAR_WINE_BITS)"
else
    cp "$sample" "$tmp/sample.hyp"
    (cd "$tmp" && "$VELLUMAR_WINE" "$winbin" --list sample.hyp >"$tmp/win-list.out" 2>"$tmp/win-list.err")
    cmp -s "$tmp/list.out" <(tr -d '\r' <"$tmp/win-list.out") || fail "wine --list differs: $(diff "$tmp/list.out" <(tr -d '\r' <"$tmp/win-list.out") | head -5)"
    (cd "$tmp" && "$VELLUMAR_WINE" "$winbin" --unpack 0 sample.hyp >"$tmp/win-unpack.out" 2>/dev/null)
    cmp -s "$tmp/unpack-0.out" "$tmp/win-unpack.out" || fail "wine --unpack 0 differs"
    (cd "$tmp" && "$VELLUMAR_WINE" "$winbin" --list text.hyp >/dev/null 2>"$tmp/win-bad.err"); code=$?
    [ "$code" -eq 1 ] || fail "wine --list text.hyp: exit $code"
    grep -q "Keine HYP-Datei:" "$tmp/win-bad.err" || fail "wine message: $(cat "$tmp/win-bad.err")"
    # A set of hypertexts, each into a folder of its own, the same files as natively.
    if [ -f "$corpus/mintdocs.hyp" ]; then
        cp "$corpus/mintdocs.hyp" "$corpus/mint-en.hyp" "$corpus/mint-prg.hyp" "$tmp/"
        (cd "$tmp" && "$VELLUMAR_WINE" "$winbin" --html winset mintdocs.hyp mint-en.hyp mint-prg.hyp >"$tmp/win-set.out" 2>"$tmp/win-set.err") ||
            fail "wine --html set: $(cat "$tmp/win-set.err")"
        "$bin" --html "$tmp/nativeset" "$tmp/mintdocs.hyp" "$tmp/mint-en.hyp" "$tmp/mint-prg.hyp" >/dev/null
        diff <(cd "$tmp/winset" && find . -type f | sort) <(cd "$tmp/nativeset" && find . -type f | sort) >/dev/null ||
            fail "wine --html set: other files than natively"
        [ -z "$(dead_links "$tmp/winset")" ] || fail "wine --html set: dead links: $(dead_links "$tmp/winset" | head -n 3)"
    fi
fi

if [ "$failures" -ne 0 ]; then echo "$failures failures"; exit 1; fi
[ -d "$corpus" ] || exit 77
echo "hypconv checks passed"
