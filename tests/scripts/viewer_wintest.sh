#!/usr/bin/env bash
# The viewer's main window tested from inside (win32/viewer_wintest.cpp) under Wine and Xvfb:
# the sample hypertext driven by messages, and start-up with a file that is no hypertext.
set -uo pipefail
src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
bin=${VELLUMAR_BINARY_DIR:-$src/build/native}
. "$src/tests/scripts/lib/viewer_wine.bash"

viewer_setup || exit $?
[ -f "$VIEWER_WINTEST" ] || { echo "skip: $VIEWER_WINTEST not built"; exit 77; }
reset_registry
status=0
for scenario in "main $(winpath "$SAMPLE")" "wrongfile $(winpath "$src/README.md")"; do
    # shellcheck disable=SC2086
    out=$(timeout 300 "$VELLUMAR_WINE" "$(winpath "$VIEWER_WINTEST")" $scenario 2>&1 | tr -d '\r')
    echo "$out" | grep -v '^seen:'
    line=$(echo "$out" | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -1)
    if [ -z "$line" ]; then
        fail "scenario ${scenario%% *} ended without a result"
    else
        passed=$((passed + $(echo "$line" | cut -d' ' -f1)))
        n=$(echo "$line" | cut -d' ' -f3)
        [ "$n" -gt 0 ] && failed=$((failed + n))
    fi
done
viewer_teardown
summary
