#!/usr/bin/env bash
# The viewer's GDI drawing device on memory bitmaps under Wine (tests/win32/gdi_device_wintest.cpp).
set -uo pipefail
src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
bin=${VELLUMAR_BINARY_DIR:-$src/build/native}
. "$src/tests/scripts/lib/viewer_wine.bash"

viewer_setup || exit $?
test_exe=$(dirname "$VIEWER_WINTEST")/gdi_device_wintest.exe
[ -f "$test_exe" ] || { echo "skip: $test_exe not built"; exit 77; }
run_counted gdi_device_wintest 120 "$(winpath "$test_exe")"
viewer_teardown
summary
