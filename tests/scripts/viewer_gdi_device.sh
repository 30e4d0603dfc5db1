#!/usr/bin/env bash
# The viewer's GDI drawing device on memory bitmaps under Wine (tests/win32/gdi_device_wintest.cpp).
set -uo pipefail
src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
bin=${VELLUMAR_BINARY_DIR:-$src/build/native}
. "$src/tests/scripts/lib/viewer_wine.bash"

run_wintest_alone gdi_device_wintest 120
