#!/usr/bin/env bash
# UTF-8 output of the converter keeps every character of the hypertext's own set: the cursor
# arrows of the Atari font in the qed manual and the Greek letters of the TOS manual survive
# --text --charset utf8 exactly as often as the file holds them (counted in the export in the
# file's own set, --charset tos), --page and --info write valid UTF-8 with those characters, and
# --text --charset utf8 is valid UTF-8 for every real hypertext. --stg refuses UTF-8.
set -u
. "$(dirname "$0")/lib/hypconv_checks.bash"
[ -x "$bin" ] || { echo "no converter at $bin"; exit 77; }
if [ -z "$corpus" ] || ! ls "$corpus"/*.hyp >/dev/null 2>&1; then echo "no corpus"; exit 77; fi
command -v iconv >/dev/null || { echo "iconv is not installed"; exit 77; }
export VELLUMAR_SETTINGS="$tmp/settings.ini"  # the built-in defaults
valid_utf8() { iconv -f UTF-8 -t UTF-8 "$1" >/dev/null 2>&1; }

# same_count BASE LABEL OCTAL CHARACTER: the byte (octal, for tr) in the export in the file's own
# set must be as frequent as the character the published Atari mapping gives it in the UTF-8
# export; the count is left in $counted.
counted=0
same_count() {
    local base=$1 label=$2 octal=$3 char=$4
    local chars
    counted=$(LC_ALL=C tr -cd "\\$octal" <"$tmp/$base.tos" | wc -c)
    chars=$(grep -o "$char" "$tmp/$base.utf8" | wc -l)
    [ "$counted" -eq "$chars" ] || fail "$base: $counted bytes \\$octal ($label) but $chars \"$char\""
}

for base in qed-e tos-en; do
    [ -f "$corpus/$base.hyp" ] || { fail "$base.hyp is not in the corpus"; continue; }
    "$bin" --text "$tmp/$base.tos" "$corpus/$base.hyp" --charset tos || fail "$base: --charset tos"
    "$bin" --text "$tmp/$base.utf8" "$corpus/$base.hyp" --charset utf8 || fail "$base: --charset utf8"
done

# The qed manual's cursor keys (bytes 0x01 to 0x04 of the Atari set).
arrows=0
for pair in "001 ⇧" "002 ⇩" "003 ⇨" "004 ⇦"; do
    same_count qed-e "arrow" "${pair% *}" "${pair#* }"; arrows=$((arrows + counted))
done
[ "$(LC_ALL=C tr -cd '\003' <"$tmp/qed-e.tos" | wc -c)" -gt 0 ] || fail "qed-e: no byte 0x03 at all"
echo "qed-e: $arrows cursor arrows kept"

# The Greek letters of the TOS manual (0xE0 to 0xED of the Atari set).
greek=0
for pair in "340 α" "341 β" "342 Γ" "343 π" "344 Σ" "345 σ" "347 τ" "350 Φ" "351 Θ" "352 Ω" \
            "353 δ" "355 φ"; do
    same_count tos-en "Greek" "${pair% *}" "${pair#* }"; greek=$((greek + counted))
done
[ "$greek" -gt 0 ] || fail "tos-en: no Greek letter found"
echo "tos-en: $greek Greek letters kept"

# --page: a page of the qed manual with the arrows, in UTF-8 for the terminal.
found=0
for n in $(seq 0 100); do
    "$bin" --page "$n" "$corpus/qed-e.hyp" >"$tmp/page.out" 2>/dev/null || break
    if grep -q "⇨" "$tmp/page.out"; then found=1; break; fi
done
[ "$found" -eq 1 ] || fail "page: no page of qed-e shows ⇨"
valid_utf8 "$tmp/page.out" || fail "page: not valid UTF-8"

# --info: labels of the Windows set and header texts of the file's set, all in UTF-8.
"$bin" --info "$corpus/qed-e.hyp" >"$tmp/info.out" || fail "info failed"
valid_utf8 "$tmp/info.out" || fail "info: not valid UTF-8"
grep -q "Indexlänge" "$tmp/info.out" || fail "info: no \"Indexlänge\""

# Every real hypertext as UTF-8 text.
for hyp in "$corpus"/*.hyp; do
    base=$(basename "$hyp" .hyp)
    "$bin" --text "$tmp/all.txt" "$hyp" --charset utf8 || { fail "$base: --text utf8 failed"; continue; }
    valid_utf8 "$tmp/all.txt" || fail "$base: --text utf8 is not valid UTF-8"
done

# STG source cannot state its character set: UTF-8 is refused with a reason, no file written.
"$bin" --stg "$tmp/x.stg" "$corpus/qed-e.hyp" --charset utf8 2>"$tmp/stg.err"
code=$?
[ "$code" -eq 2 ] || fail "stg utf8: exit $code, expected 2"
grep -q "ST-Guide-Quelltext" "$tmp/stg.err" || fail "stg utf8: $(cat "$tmp/stg.err")"
[ ! -e "$tmp/x.stg" ] || fail "stg utf8: a file was written"

if [ "$failures" -ne 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "UTF-8 output: all checks passed"
