#!/usr/bin/env bash
# Seeds for fuzz_lh5: real LH5 streams of the corpus pages, each preceded by the three bytes that
# give its unpacked size. usage: seeds_lh5.sh SEEDDIR
set -eu
seeds=$1
mkdir -p "$seeds"
corpus=${VELLUMAR_CORPUS_DIR:-}
command -v python3 >/dev/null 2>&1 || { echo "seeds_lh5: python3 missing (scripts/setup.sh installs it)" >&2; exit 1; }
if [ -z "$corpus" ] || [ ! -d "$corpus" ]; then
    echo "seeds_lh5: no corpus at ${corpus:-?}: no seeds" >&2
    # CI fuzzes from real streams or not at all.
    [ "${VELLUMAR_STRICT:-0}" = 1 ] && exit 1
    exit 0
fi
python3 - "$corpus" "$seeds" <<'PY'
import os, struct, sys
corpus, seeds = sys.argv[1], sys.argv[2]
written = 0
for name in sorted(os.listdir(corpus)):
    if not name.endswith(".hyp"):
        continue
    data = open(os.path.join(corpus, name), "rb").read()
    if data[:4] != b"HDOC":
        continue
    count = struct.unpack(">H", data[8:10])[0]
    pos, records = 12, []
    for _ in range(count):
        length, kind = data[pos], data[pos + 1]
        seek, diff, nxt = struct.unpack(">IHH", data[pos + 2:pos + 10])
        if kind == 3:
            diff |= nxt << 16
        records.append((seek, diff))
        pos += length
    taken = 0
    for i, (seek, diff) in enumerate(records):
        end = records[i + 1][0] if i + 1 < len(records) else len(data)
        stored = end - seek
        unpacked = stored + diff
        if diff == 0 or stored == 0 or stored > 3000 or unpacked > 0xFFFF:
            continue
        with open(os.path.join(seeds, "%s_%d" % (name, i)), "wb") as f:
            f.write(struct.pack(">HB", unpacked, 0) + data[seek:end])
        taken += 1
        if taken == 6:
            break
PY
