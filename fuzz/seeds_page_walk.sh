#!/usr/bin/env bash
# Seeds for fuzz_page_walk: an options byte followed by page bytes. Synthetic pages with every
# kind of element, and real pages of the corpus unpacked by the converter of the same build.
# usage: seeds_page_walk.sh SEEDDIR
set -eu
seeds=$1
mkdir -p "$seeds"
command -v python3 >/dev/null 2>&1 || { echo "seeds_page_walk: python3 missing (scripts/setup.sh installs it)" >&2; exit 1; }

python3 - "$seeds" <<'PY'
import os, sys
out = sys.argv[1]
ESC = b"\x1b"
def b255(v):
    return bytes([v % 255 + 1, v // 255 + 1])
def link(code, target, text, line=None):
    head = ESC + bytes([code]) + (b255(line) if line is not None else b"") + b255(target)
    return head + bytes([32 + len(text)]) + text
pages = {
    "text": b"Hello world\0second  line   with gaps\0\0",
    "links": b"see " + link(0x24, 1, b"there") + b" and " + link(0x26, 3, b"") + b"\0"
             + link(0x25, 1, b"line", 7) + link(0x27, 5, b"   ") + b"\0",
    "attributes": ESC + bytes([100 + 2]) + b"ghost " + link(0x24, 1, b"in") + b" after\0"
                  + ESC + bytes([100 + 16 + 32 + 8]) + b"a  b\0" + ESC + bytes([100 + 64 + 1]) + b"x\0",
    "title": ESC + b"#The title\0" + b"text\0" + ESC + b"#Second\0",
    "pictures": ESC + b"\x32" + b255(2) + b"\x00" + b255(0) + b"\x01\x00"
                + ESC + b"\x32" + b255(4) + b"\x05" + b255(1) + b"\x01\x00"
                + ESC + b"\x33\x01" + b255(1) + b"\x83\x02\x0b"
                + ESC + b"\x34\x02" + b255(0) + b"\x05\x02\x03"
                + ESC + b"\x35\x02" + b255(2) + b"\x05\x02\x09" + b"a\0b\0c\0",
    "codes": ESC + b"\x30\x0c" + b255(1) + b"\x00Target\0" + ESC + b"\x31" + b255(1) + b255(2)
             + b255(3) + b255(1) + ESC + b"\x2a\x05\x01\x02" + ESC + ESC + b"@<>\"" + ESC + b" x\0",
    "cut": b"abc\0" + ESC + b"\x24\x02",
}
for name, page in pages.items():
    for options in (0x00, 0x25, 0x4e, 0x93, 0xff):
        with open(os.path.join(out, "%s_%02x" % (name, options)), "wb") as f:
            f.write(bytes([options]) + page)
PY

# Real pages: the converter of this build lists and unpacks the corpus files.
corpus=${VELLUMAR_CORPUS_DIR:-}
hypconv=""
for candidate in "${VELLUMAR_FUZZ_DIR:-.}/../hypconv" "${VELLUMAR_SOURCE_DIR:-.}/build/native/hypconv"; do
    if [ -x "$candidate" ]; then hypconv=$candidate; break; fi
done
if [ -z "$corpus" ] || [ ! -d "$corpus" ] || [ -z "$hypconv" ]; then
    echo "seeds_page_walk: no corpus at ${corpus:-?} or no converter built: synthetic seeds only" >&2
    # CI fuzzes from real pages too.
    [ "${VELLUMAR_STRICT:-0}" = 1 ] && exit 1
    exit 0
fi
for file in "$corpus"/*.hyp; do
    base=$(basename "$file" .hyp)
    # Pages (types 0 and 1) of up to 6 KB, at most 12 per file.
    "$hypconv" --list "$file" 2>/dev/null |
        awk '($2 == 0 || $2 == 1) && $4 <= 6144 { print $1 }' | head -n 12 |
        while read -r index; do
            options=$(( (index * 37) % 256 ))
            {
                printf "\\$(printf '%03o' "$options")"
                "$hypconv" --unpack "$index" "$file" 2>/dev/null || true
            } > "$seeds/${base}_$index"
        done
done
