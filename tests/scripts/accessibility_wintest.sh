#!/usr/bin/env bash
# The viewer as a screen reader reads it and at high contrast (tests/win32/accessibility_wintest.cpp)
# under Wine and Xvfb. It changes system colours and the high-contrast mode, so it has a Wine
# prefix of its own.
set -uo pipefail
src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
bin=${VELLUMAR_BINARY_DIR:-$src/build/native}
export VELLUMAR_VIEWER_WINEPREFIX=${VELLUMAR_ACCESSIBILITY_WINEPREFIX:-$bin/accessibility-wineprefix}
. "$src/tests/scripts/lib/viewer_wine.bash"

viewer_setup || exit $?
program=$VELLUMAR_WINE_BUILD/tests/win32/accessibility_wintest.exe
[ -f "$program" ] || { echo "skip: $program not built"; exit 77; }
reset_registry
run_counted "screen reader and high contrast" 300 "$(winpath "$program")" "$(winpath "$SAMPLE")"
viewer_teardown
summary
