#!/usr/bin/env bash
# The include check must be able to fail: on a copy of the core folders it passes, and each
# include below, added to one file of the copy, makes it fail naming that file. The real tree
# passes too.
set -u
src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
check="$src/tests/scripts/include_direction.sh"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# file of the copy | include added to it ("" adds none) | exit code the check must give
cases=(
    "app/scroll.cpp||0"
    "app/scroll.cpp|win32/viewer_win32.h|1"
    "render/page_walk.cpp|resources/resource.h|1"
    "hyp/document.cpp|settings/settings.h|1"
    "settings/settings.cpp|hyp/charset.h|0"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r file include code <<<"$entry"
    copy="$tmp/tree"
    rm -rf "$copy" && mkdir -p "$copy"
    cp -r "$src/hyp" "$src/settings" "$src/render" "$src/export" "$src/app" "$copy/"
    [ -n "$include" ] && echo "#include \"$include\"" >>"$copy/$file"
    out=$(bash "$check" "$copy" 2>&1)
    got=$?
    [ "$got" -eq "$code" ] || fail "$file + ${include:-nothing}: exit $got, expected $code: $out"
    if [ "$code" -ne 0 ] && ! grep -q "$file" <<<"$out"; then
        fail "$file + $include: the report does not name the file: $out"
    fi
done

out=$(bash "$check" "$src" 2>&1) || fail "the real tree: $out"

[ "$failures" -eq 0 ] && echo "include_direction_selftest: ${#cases[@]} cases and the real tree"
exit $((failures > 0))
