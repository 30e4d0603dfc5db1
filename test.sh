#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Vellumar (native, sanitizers, fuzzers, Windows) and runs
# every test through CTest. Exits non-zero on any failure.
#   VELLUMAR_FUZZ_SECONDS  seconds per fuzz target (default 60)
set -uo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"

scripts/setup.sh || exit 1
# The Wine tests need the Windows build that runs on this machine (32-bit where it can).
source scripts/wine-env.sh
win_kinds=(win32)
[ "$VELLUMAR_WINE_BITS" = 32 ] || win_kinds+=(win64)
echo "== build ($(date +%T)) =="
scripts/build.sh native asan fuzz "${win_kinds[@]}" || exit 1
cmake -S . -B build/fuzz -DVELLUMAR_FUZZ_SECONDS="${VELLUMAR_FUZZ_SECONDS:-60}" >/dev/null || exit 1

status=0
phase() { echo "== $1 ($(date +%T), ${SECONDS}s since start) =="; }
phase "native tests"
(cd build/native && ctest --output-on-failure -j2) || status=1
phase "sanitizer tests (ASan+UBSan)"
(cd build/asan && ctest --output-on-failure -j2 -E '^script\.') || status=1
phase "fuzz targets"
(cd build/fuzz && ctest --output-on-failure -j2) || status=1
phase "done"

if [ $status -ne 0 ]; then echo "test.sh: FAILED"; else echo "test.sh: all tests passed"; fi
exit $status
