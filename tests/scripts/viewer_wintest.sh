#!/usr/bin/env bash
# The viewer's main window tested from inside (tests/win32/viewer_wintest.cpp) under Wine and Xvfb:
# the sample hypertext driven by messages, and start-up with a file that is no hypertext.
set -uo pipefail
src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
bin=${VELLUMAR_BINARY_DIR:-$src/build/native}
. "$src/tests/scripts/lib/viewer_wine.bash"

viewer_setup || exit $?
[ -f "$VIEWER_WINTEST" ] || { echo "skip: $VIEWER_WINTEST not built"; exit 77; }
reset_registry
for scenario in "main $(winpath "$SAMPLE")" "wrongfile $(winpath "$src/README.md")"; do
    # shellcheck disable=SC2086
    run_counted "scenario ${scenario%% *}" 300 "$(winpath "$VIEWER_WINTEST")" $scenario
done
viewer_teardown
summary
