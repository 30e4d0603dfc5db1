#!/usr/bin/env bash
# Black-box checks of hypconv --lookup: exit codes as --search has them, and on the real corpus
# every label of tos-en.ref and every page name of every hypertext is found at the page and line
# its REF file or index names. The expected rows are read from the REF and HYP bytes by the small
# reader below, not by the converter. (There is no cflib hypertext in the corpus: the page names
# of all fifteen files stand in for its node names.)
set -u
. "$(dirname "$0")/lib/hypconv_checks.bash"

# Usage errors, unreadable files, nothing found.
echo "kein Hypertext" >"$tmp/kein.hyp"
check_search_text_usage --lookup Fsfirst "$tmp/kein.hyp"
expect not-hyp 1 "$bin" --lookup Fsfirst "$tmp/kein.hyp"
grep -q "Keine HYP-Datei:" "$tmp/not-hyp.err" || fail "not-hyp: $(cat "$tmp/not-hyp.err")"

stop_without_corpus

tos="$corpus/tos-en.hyp"
expect absent 1 "$bin" --lookup "kommt nirgends vor" "$tos"
[ -s "$tmp/absent.out" ] && fail "absent: printed $(cat "$tmp/absent.out")"

# Exact matches first, any letter case; with --prefix the longer keywords follow. tos-en.ref
# names the page Fsfirst and, on page PowerDOS, a label Fsfirstidx.
expect exact 0 "$bin" --lookup FSFIRST "$tos"
printf '%s\tFsfirst\t0\tFsfirst\n' "$tos" >"$tmp/exact.expected"
cmp -s "$tmp/exact.out" "$tmp/exact.expected" || fail "exact: $(cat -A "$tmp/exact.out")"
expect prefix 0 "$bin" --lookup fsfirst "$tos" --prefix
head -n 1 "$tmp/prefix.out" | cmp -s - "$tmp/exact.expected" || fail "prefix: exact row not first"
grep -q -P "^\Q$tos\E\tPowerDOS\t\d+\tFsfirstidx$" "$tmp/prefix.out" ||
    fail "prefix: Fsfirstidx missing: $(cat -A "$tmp/prefix.out")"

# The expected rows: FILE<TAB>PAGE<TAB>LINE<TAB>KEYWORD, read from the bytes. REF labels belong to
# the node entry before them; a page name is a type-0 index record's name, at line 0.
python3 - "$corpus" "$tmp" <<'PY'
import glob, os, struct, sys
corpus, tmp = sys.argv[1], sys.argv[2]
# The Atari set's letters outside ASCII that the corpus's names use.
atari = {0x84: "ä", 0x9E: "ß", 0xDD: "§", 0xE4: "Σ"}
def text(b):
    return "".join(chr(c) if c < 0x80 else atari[c] for c in b)

def labels(path):
    data = open(path, "rb").read()
    assert data[:4] == b"HREF"
    p, node, out = 4, None, []
    while p + 8 <= len(data):
        length, count = struct.unpack(">II", data[p:p + 8])
        p += 8
        if length == 0:
            break
        module, p, q = data[p:p + length], p + length, 0
        for _ in range(count):
            kind, size = module[q], module[q + 1]
            payload, q = module[q + 2:q + size], q + size
            name = payload.split(b"\0")[0]
            if kind == 1:
                node = name
            elif kind == 3:
                out.append((node, struct.unpack(">H", payload[-2:])[0], name))
    return out

def pages(path):
    data = open(path, "rb").read()
    assert data[:4] == b"HDOC"
    count = struct.unpack(">H", data[8:10])[0]
    p, out = 12, []
    for _ in range(count):
        size, kind = data[p], data[p + 1]
        if kind == 0 and size > 14:
            out.append(data[p + 14:p + size].split(b"\0")[0])
        p += size
    return out

tos = os.path.join(corpus, "tos-en.hyp")
rows = []
for node, line, name in labels(os.path.join(corpus, "tos-en.ref")):
    rows.append("%s\t%s\t%d\t%s" % (tos, text(node), line, text(name)))
with open(os.path.join(tmp, "labels.expected"), "w") as f:
    f.write("\n".join(rows) + "\n")
rows = []
for path in sorted(glob.glob(os.path.join(corpus, "*.hyp"))):
    for name in pages(path):
        if name:
            rows.append("%s\t%s\t0\t%s" % (path, text(name), text(name)))
with open(os.path.join(tmp, "pages.expected"), "w") as f:
    f.write("\n".join(rows) + "\n")
PY
[ -s "$tmp/labels.expected" ] && [ -s "$tmp/pages.expected" ] || fail "no expected rows read"
echo "tos-en.ref labels: $(wc -l <"$tmp/labels.expected"), page names: $(wc -l <"$tmp/pages.expected")"

# Every keyword, looked up by its first character with --prefix (one run per character, over the
# corpus folder), must appear as its own row.
python3 -c '
import sys
firsts = set()
for path in sys.argv[1:]:
    for row in open(path, encoding="utf-8"):
        firsts.add(row.rstrip("\n").split("\t")[3][0].lower())
print("\n".join(sorted(firsts)))' "$tmp/labels.expected" "$tmp/pages.expected" >"$tmp/firsts"
: >"$tmp/found"
while IFS= read -r first; do
    "$bin" --lookup "$first" "$corpus" --prefix >>"$tmp/found" 2>>"$tmp/found.err" ||
        fail "first character '$first': exit $?"
done <"$tmp/firsts"
for kind in labels pages; do
    sort -u "$tmp/$kind.expected" >"$tmp/$kind.sorted"
    missing=$(sort -u "$tmp/found" | comm -23 "$tmp/$kind.sorted" -)
    [ -z "$missing" ] ||
        fail "$kind not found: $(echo "$missing" | wc -l), first: $(echo "$missing" | head -3 | cat -A)"
done

# Every 40th label on its own: its row is among the exact matches, and every row printed is the
# label itself in some letter case.
python3 -c '
import subprocess, sys
bin, tos, rows = sys.argv[1], sys.argv[2], open(sys.argv[3], encoding="utf-8").read().splitlines()
bad = checked = 0
for row in rows[::40]:
    key, checked = row.split("\t")[3], checked + 1
    run = subprocess.run([bin, "--lookup", key, tos], capture_output=True, encoding="utf-8")
    out = run.stdout.splitlines()
    others = [l for l in out if l.split("\t")[3].casefold() != key.casefold()]
    if run.returncode or row not in out or others:
        print("FAIL: label %r: exit %d, rows %r" % (key, run.returncode, out[:3])); bad += 1
print("labels looked up one by one: %d" % checked)
sys.exit(1 if bad or checked <= 50 else 0)' "$bin" "$tos" "$tmp/labels.expected" ||
    fail "labels looked up one by one"

[ "$failures" -eq 0 ] && echo "hypconv --lookup: all checks passed"
[ "$failures" -eq 0 ]
