#!/usr/bin/env bash
# The committed Windows resources (resources/vellumar.rc and resources/images/) are exactly what
# tools/resgen makes from the command list and the pixel art: regenerate and compare.
set -euo pipefail
src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$src/tools/resgen/generate.sh" "$tmp"
status=0
for f in "$tmp/vellumar.rc" "$tmp"/images/*; do
    rel=${f#"$tmp/"}
    if ! cmp -s "$f" "$src/resources/$rel"; then
        echo "viewer_resources: resources/$rel differs from the generator's output" >&2
        status=1
    fi
done
# Every committed image is one the generator makes (no stale leftovers).
for f in "$src"/resources/images/*; do
    [ -e "$tmp/images/$(basename "$f")" ] || { echo "viewer_resources: stale $f" >&2; status=1; }
done
# The script compiles with windres, when the MinGW tools are there.
if command -v x86_64-w64-mingw32-windres >/dev/null; then
    x86_64-w64-mingw32-windres -I"$src/resources" "$src/resources/vellumar.rc" -O rc \
        -o "$tmp/dump.rc"
    # Umlauts arrive as the Unicode characters (the menu texts of the compiled resource).
    for text in 'L"\\326&ffnen...\\tO"' 'L"&R\\374ckg\\344ngig\\tStrg+Z"' \
                'L"Zur\\374&ck im Stack\\tU,Esc"' 'L"S&tack l\\366schen\\tE"'; do
        grep -qF -- "$(printf '%s' "$text" | sed 's/\\\\/\\/g')" "$tmp/dump.rc" || {
            echo "viewer_resources: compiled menu lacks $text" >&2
            status=1
        }
    done
fi
[ $status -eq 0 ] && echo "viewer_resources: resources match their sources"
exit $status
