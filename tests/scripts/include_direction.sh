#!/usr/bin/env bash
# The core's folders depend one way: hyp/ <- settings/ <- render/ <- export/ <- app/ (and the
# programs in tools/ and win32/ on top). A file may include headers of its own folder and of the
# folders below it, never of one above; and only the Win32 front end (*_win32.cpp, *_win32.h)
# includes <windows.h>. Lists every include that breaks this and fails.
# usage: include_direction.sh [SOURCE_DIR]
set -uo pipefail
src=${1:-${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}}
layers=(hyp settings render export app)

layer_of() {
    local i
    for i in "${!layers[@]}"; do
        [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }
    done
    echo -1
}

status=0
checked=0
for dir in "${layers[@]}"; do
    own=$(layer_of "$dir")
    for file in "$src/$dir"/*.h "$src/$dir"/*.cpp; do
        [ -e "$file" ] || continue
        checked=$((checked + 1))
        rel=${file#"$src/"}
        while IFS=: read -r line text; do
            target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^/"]+)\/.*/\1/' <<<"$text")
            [ "$target" = "$text" ] && continue  # an include without a folder
            other=$(layer_of "$target")
            if [ "$other" -gt "$own" ]; then
                echo "include_direction: $rel:$line includes $target/, a folder above $dir/" >&2
                status=1
            fi
        done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file")
        case $rel in
            *_win32.cpp | *_win32.h) ;;
            *)
                if grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<windows\.h>' "$file" >/dev/null; then
                    echo "include_direction: $rel includes <windows.h> outside the Win32 front end" >&2
                    status=1
                fi
                ;;
        esac
    done
done
[ "$checked" -gt 0 ] || { echo "include_direction: no sources found under $src" >&2; exit 1; }
[ $status -eq 0 ] && echo "include_direction: $checked files, every include points down"
exit $status
