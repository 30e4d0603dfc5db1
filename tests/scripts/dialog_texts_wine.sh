#!/usr/bin/env bash
# The texts of the version box, the option dialogs, the page preview and the search dialogs fit
# their controls in the dialog font as Wine renders it, and each field has its label before it in
# tab order (tests/win32/dialog_texts_wintest.cpp).
set -uo pipefail
src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
bin=${VELLUMAR_BINARY_DIR:-$src/build/native}
. "$src/tests/scripts/lib/viewer_wine.bash"

viewer_setup || exit $?
test_exe=$(dirname "$VIEWER_WINTEST")/dialog_texts_wintest.exe
[ -f "$test_exe" ] || { echo "skip: $test_exe not built"; exit 77; }
run_counted dialog_texts_wintest 120 "$(winpath "$test_exe")"
viewer_teardown
summary
