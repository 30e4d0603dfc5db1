#!/usr/bin/env bash
# Black-box checks of hypconv --search: exit codes as grep's, the output's form on the bundled
# sample (one file, and several with the file in front), and on real hypertexts every chosen plain line of an STG source is found in the page
# the source puts it in.
set -u
. "$(dirname "$0")/lib/hypconv_checks.bash"

# Usage errors, nothing found, found.
check_search_text_usage --search Handbuch "$sample"
expect absent 1 "$bin" --search "kommt nirgends vor" "$sample"
[ -s "$tmp/absent.out" ] && fail "absent: printed $(cat "$tmp/absent.out")"

# The sample's title page, line 2 (source: "Ein kleines Handbuch für den Hypertext-Betrachter"
# below the bold heading; the box above it is no text line): umlaut typed in capitals.
expect umlaut 0 "$bin" --search "HANDBUCH FÜR" "$sample"
printf '0\tMain\t2\t                 Ein kleines Handbuch für den Hypertext-Betrachter\n' >"$tmp/umlaut.expected"
cmp -s "$tmp/umlaut.out" "$tmp/umlaut.expected" || fail "umlaut: $(cat -A "$tmp/umlaut.out")"
expect case-differs 1 "$bin" --search "HANDBUCH FÜR" "$sample" --case
expect case-same 0 "$bin" --search "Handbuch für" --case "$sample"

# Several files: a folder (its .hyp files, not its sub-folders) and a file; each row starts with
# its file. A text file named .hyp is named on stderr and passed over; the exit code follows the
# finds.
mkdir -p "$tmp/shelf/sub"
cp "$sample" "$tmp/shelf/a.hyp"; cp "$sample" "$tmp/shelf/sub/c.hyp"; cp "$sample" "$tmp/b.HYP"
echo "Handbuch für niemanden" >"$tmp/shelf/kein.hyp"
echo "Handbuch für niemanden" >"$tmp/shelf/notiz.txt"
expect several 0 "$bin" --search "HANDBUCH FÜR" "$tmp/shelf" "$tmp/b.HYP"
line=$'0\tMain\t2\t                 Ein kleines Handbuch für den Hypertext-Betrachter'
printf '%s\t%s\n' "$tmp/shelf/a.hyp" "$line" "$tmp/b.HYP" "$line" >"$tmp/several.expected"
cmp -s "$tmp/several.out" "$tmp/several.expected" || fail "several: $(cat -A "$tmp/several.out")"
grep -q "Keine HYP-Datei:" "$tmp/several.err" && grep -q "kein.hyp" "$tmp/several.err" ||
    fail "several: the text file not named: $(cat "$tmp/several.err")"
grep -q -e "a.hyp" -e "b.HYP" -e "notiz" -e "c.hyp" "$tmp/several.err" &&
    fail "several: readable files named: $(cat "$tmp/several.err")"
expect several-absent 1 "$bin" --search "kommt nirgends vor" "$tmp/shelf" "$sample"
expect only-unreadable 1 "$bin" --search Handbuch "$tmp/shelf/kein.hyp" "$tmp/none.hyp"

# Characters the Windows set lacks, pasted: the Atari arrows of qed-e's "Keystroke commands"
# (page 76, its text line 9).
if [ -f "$corpus/qed-e.hyp" ]; then
    expect arrows 0 "$bin" --search "shift ⇧, shift ⇩" "$corpus/qed-e.hyp"
    printf '76\tKeystroke commands\t10\t   shift ⇧, shift ⇩  Page up/down\n' >"$tmp/arrows.expected"
    cmp -s "$tmp/arrows.out" "$tmp/arrows.expected" || fail "arrows: $(cat -A "$tmp/arrows.out")"
    expect snowman 1 "$bin" --search "☃" "$corpus/qed-e.hyp"
fi

stop_without_corpus

# Plain lines of the sources (no commands, links or escapes, printable ASCII, long enough to be
# one of a kind), each with the node it stands in; three per source: first, middle and last.
checked=0
for base in led-en mint-en xaaes gemma ramdisk; do
    stg="$corpus/$base.stg" hyp="$corpus/$base.hyp"
    [ -f "$stg" ] && [ -f "$hyp" ] || { fail "$base: source or hypertext missing"; continue; }
    LC_ALL=C awk '
        { sub(/\r$/, "") }
        /^@(p)?node[ \t]/ {
            rest = $0; sub(/^@(p)?node[ \t]+/, "", rest)
            if (rest ~ /^"/) { sub(/^"/, "", rest); name = rest; sub(/".*$/, "", name) }
            else { name = rest; sub(/[ \t].*$/, "", name) }
            inside = 1; next
        }
        /^@endnode/ { inside = 0; next }
        inside && length($0) >= 30 && $0 !~ /[@\\\t]/ && $0 !~ /[^ -~]/ && $0 ~ /^[ A-Za-z]/ {
            print name "\t" $0
        }' "$stg" >"$tmp/$base.lines"
    n=$(wc -l <"$tmp/$base.lines")
    [ "$n" -ge 3 ] || { fail "$base: only $n plain lines"; continue; }
    for k in 1 $(( (n + 1) / 2 )) "$n"; do
        IFS=$'\t' read -r node text < <(sed -n "${k}p" "$tmp/$base.lines")
        text=${text%"${text##*[! ]}"}  # the compiler drops trailing blanks
        expect "$base-$k" 0 "$bin" --search "$text" "$hyp"
        awk -F'\t' -v node="$node" -v text="$text" '$2 == node && index($4, text) { found = 1 }
            END { exit !found }' "$tmp/$base-$k.out" ||
            fail "$base: \"$text\" not reported in node \"$node\": $(head -c 300 "$tmp/$base-$k.out")"
        checked=$((checked + 1))
    done
done
echo "$checked source lines checked"
[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
