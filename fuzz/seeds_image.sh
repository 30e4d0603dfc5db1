#!/usr/bin/env bash
# Seeds for fuzz_image: small image objects of 1 to 5 planes, odd widths, a cut one.
# usage: seeds_image.sh SEEDDIR
set -eu
out=$1
mkdir -p "$out"
python3 - "$out" <<'PY'
import os, sys
out = sys.argv[1]
def image(width, height, planes, fill):
    row = 2 * ((width + 15) // 16)
    head = bytes([width >> 8, width & 255, height >> 8, height & 255, planes, 0, 0, 0])
    body = bytes((fill * (i + 1) * 37) & 255 for i in range(row * height * planes))
    return head + body
cases = {
    "one_plane": image(17, 3, 1, 1),
    "two_planes": image(5, 4, 2, 2),
    "three_planes": image(31, 3, 3, 3),
    "four_planes": image(40, 6, 4, 4),
    "five_planes": image(8, 2, 5, 5),
    "cut": image(33, 8, 4, 6)[:50],
    "empty": b"",
}
for name, data in cases.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
PY
