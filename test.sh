#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Vellumar (native, sanitizers, fuzzers, Windows) and runs
# every test through CTest. Exits non-zero on any failure.
#   VELLUMAR_FUZZ_SECONDS  seconds per fuzz target (default 60)
#   VELLUMAR_STRICT=1      (CI) a missing tool, X server or corpus, and any skipped test, fail
#                          the run instead of being passed over; every run says how many
#                          tests were skipped
set -uo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
strict=${VELLUMAR_STRICT:-0}
export VELLUMAR_STRICT=$strict

scripts/setup.sh || exit 1
# Strict: what the tests need is checked before anything is built, each cause by name.
if [ "$strict" = 1 ]; then
    missing=0
    for tool in Xvfb xdotool xclip import convert compare iconv tidy lhasa python3 wine; do
        command -v "$tool" >/dev/null || { echo "STRICT: $tool is not on PATH" >&2; missing=1; }
    done
    # The corpus the native build is configured with (../shared/corpus unless set otherwise).
    corpus=$(sed -n 's/^VELLUMAR_CORPUS_DIR:PATH=//p' build/native/CMakeCache.txt 2>/dev/null)
    corpus=${corpus:-$root/../shared/corpus}
    ls "$corpus"/*.hyp >/dev/null 2>&1 || { echo "STRICT: no corpus at $corpus" >&2; missing=1; }
    [ $missing -eq 0 ] || { echo "test.sh: FAILED (strict: the test machine is incomplete)"; exit 1; }
fi
# Both Windows builds on every machine: the shipped 32-bit one and its x86-64 twin, which the
# Wine tests run where 32-bit code cannot run and which script.win32_binaries compares with it.
echo "== build ($(date +%T)) =="
scripts/build.sh native asan fuzz win32 win64 || exit 1
cmake -S . -B build/fuzz -DVELLUMAR_FUZZ_SECONDS="${VELLUMAR_FUZZ_SECONDS:-60}" >/dev/null || exit 1

status=0
# Each CTest run adds its number of skipped tests to this file.
export VELLUMAR_SKIP_TALLY=$root/build/skipped-tests.txt
: >"$VELLUMAR_SKIP_TALLY"
phase() { echo "== $1 ($(date +%T), ${SECONDS}s since start) =="; }
phase "native tests"
scripts/run-ctest.sh build/native -j2 || status=1
phase "sanitizer tests (ASan+UBSan)"
scripts/run-ctest.sh build/asan -j2 -E '^script\.' || status=1
phase "fuzz targets"
scripts/run-ctest.sh build/fuzz -j2 || status=1
phase "done"

skipped=$(awk '{ n += $1 } END { print n + 0 }' "$VELLUMAR_SKIP_TALLY")
if [ $status -ne 0 ]; then
    echo "test.sh: FAILED ($skipped skipped)"
else
    echo "test.sh: all tests passed ($skipped skipped)"
fi
exit $status
