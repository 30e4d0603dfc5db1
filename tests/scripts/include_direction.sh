#!/usr/bin/env bash
# The folders depend one way: hyp/ <- settings/ <- render/ <- export/ <- app/ form the portable
# core, and the programs on top of it (tools/, the Windows front end win32/) use it. A core file
# may include headers of its own folder and of the core folders below it, never of one above it,
# never the front end (win32/) and never the Windows resources (resources/). Only the front end
# and the Windows test programs (tests/win32/) include <windows.h>. Lists every include that
# breaks this and fails.
# usage: include_direction.sh [SOURCE_DIR]
set -uo pipefail
src=${1:-${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}}
layers=(hyp settings render export app)
# Folders that only a program may include, never the core.
front_end=(win32 resources)

layer_of() {
    local i
    for i in "${!layers[@]}"; do
        [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }
    done
    echo -1
}

is_front_end() {
    local f
    for f in "${front_end[@]}"; do [ "$f" = "$1" ] && return 0; done
    return 1
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
            target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"(\.\.\/)*([^/"]+)\/.*/\2/' <<<"$text")
            [ "$target" = "$text" ] && continue  # an include without a folder
            if is_front_end "$target"; then
                echo "include_direction: $rel:$line includes $target/, the Windows front end" >&2
                status=1
                continue
            fi
            other=$(layer_of "$target")
            if [ "$other" -gt "$own" ]; then
                echo "include_direction: $rel:$line includes $target/, a folder above $dir/" >&2
                status=1
            fi
        done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file")
        if grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<windows\.h>' "$file" >/dev/null; then
            echo "include_direction: $rel includes <windows.h> outside the Win32 front end" >&2
            status=1
        fi
    done
done
# Everything that includes <windows.h> lives in the front end or among the Windows test programs.
while IFS= read -r file; do
    rel=${file#"$src/"}
    case $rel in
        win32/* | tests/win32/*) ;;
        "${layers[0]}"/* | "${layers[1]}"/* | "${layers[2]}"/* | "${layers[3]}"/* | "${layers[4]}"/*) ;;  # reported above
        *)
            echo "include_direction: $rel includes <windows.h> outside the Win32 front end" >&2
            status=1
            ;;
    esac
done < <(grep -rlE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*<windows\.h>' \
    "$src/hyp" "$src/settings" "$src/render" "$src/export" "$src/app" "$src/tools" "$src/fuzz" "$src/bench" 2>/dev/null)
[ "$checked" -gt 0 ] || { echo "include_direction: no sources found under $src" >&2; exit 1; }
[ $status -eq 0 ] && echo "include_direction: $checked files, every include points down"
exit $status
