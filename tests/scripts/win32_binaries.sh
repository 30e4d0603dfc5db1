#!/usr/bin/env bash
# The shipped 32-bit programs, checked on every machine whether it can run them or not: the
# viewer, the converter and the installer packaging/dist.sh makes of them are PE32 programs for
# i386 (file), import only DLLs every 32-bit Windows has (objdump -p: no runtime library of the
# compiler left to load), and carry a version resource with the project version of
# CMakeLists.txt; and the x86-64 build the Wine tests run here is made of the same sources with
# the same settings (the two build.ninja files alike but for the toolchain and the build folder).
# Skipped (77) when a tool or the two Windows builds are missing.
set -uo pipefail
src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
win32=$src/build/win32
win64=$src/build/win64

for tool in file objdump strings od makensis zip; do
    command -v "$tool" >/dev/null || { echo "skip: $tool missing"; exit 77; }
done
for f in "$win32/vellumar.exe" "$win32/hypconv.exe" "$win32/build.ninja" "$win64/build.ninja"; do
    [ -f "$f" ] || { echo "skip: $f not built"; exit 77; }
done
VERSION=$(sed -n 's/^project(Vellumar VERSION \([0-9.]*\) .*/\1/p' "$src/CMakeLists.txt")
[ -n "$VERSION" ] || { echo "FAILED: no project version in CMakeLists.txt"; exit 1; }
# The four numbers of the version resource: the project version padded with zeros.
IFS=. read -r v1 v2 v3 v4 <<<"$VERSION"
FIELDS="${v1:-0}.${v2:-0}.${v3:-0}.${v4:-0}"

# shellcheck source=lib/tally.bash
. "$src/tests/scripts/lib/tally.bash"

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# DLLs of every 32-bit Windows (XP on) that the programs may import, in lower case. The
# compiler's runtime (libstdc++, libgcc, libwinpthread) must be linked in, not imported.
SYSTEM_DLLS=" $(echo advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll \
    ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll version.dll winspool.drv) "

# The numbers of the fixed part of the version resource (VS_FIXEDFILEINFO, found by its
# signature 0xFEEF04BD): FileVersion as "a.b.c.d", or nothing.
file_version() {
    local at
    at=$(LC_ALL=C grep -obUaP '\xBD\x04\xEF\xFE' "$1" | head -1 | cut -d: -f1)
    [ -n "$at" ] || return 0
    # After the signature and the structure version: the high then the low double word of
    # the file version, each little-endian with its high word second.
    od -An -tu2 -j $((at + 8)) -N 8 "$1" | awk '{ print $2 "." $1 "." $4 "." $3 }'
}

# check_program FILE KIND: KIND is what file(1) must say after "PE32 executable (", e.g. "GUI".
check_program() {
    local exe=$1 kind=$2 name description dll imports
    name=$(basename "$exe")
    description=$(file -b "$exe")
    case $description in
        "PE32 executable ($kind) Intel 80386"*) pass ;;
        *) fail "$name is no 32-bit $kind program for i386: $description" ;;
    esac
    imports=$(objdump -p "$exe" | awk '/DLL Name:/ { print tolower($3) }' | sort -u)
    [ -n "$imports" ] && pass || fail "$name: objdump finds no imported DLL"
    for dll in $imports; do
        case $SYSTEM_DLLS in
            *" $dll "*) pass ;;
            *) fail "$name imports $dll, which 32-bit Windows does not have" ;;
        esac
    done
    # A version resource (type 16) in the resource directory, with the project's numbers.
    objdump -p "$exe" | grep -qE '^[0-9a-f]+   Entry: ID: 0x000010,' && pass ||
        fail "$name has no version resource"
    expect_eq "$(file_version "$exe")" "$FIELDS" "$name: file version"
    expect_eq "$(strings -el -n 3 "$exe" | grep -A1 -x ProductVersion | sed -n 2p)" "$VERSION" \
        "$name: ProductVersion text"
}

check_program "$win32/vellumar.exe" GUI
# The common dialogs and the shell are loaded when first used, not before the first page.
for dll in comdlg32.dll shell32.dll; do
    objdump -p "$win32/vellumar.exe" | awk '/DLL Name:/ { print tolower($3) }' | grep -qx "$dll" &&
        fail "vellumar.exe imports $dll at start-up" || pass
done
check_program "$win32/hypconv.exe" console

# The installer made of the 32-bit build as a release is made.
if "$src/packaging/dist.sh" "$win32" "$WORK/dist" >"$WORK/dist.log" 2>&1; then
    check_program "$WORK/dist/vellumar-$VERSION-setup.exe" GUI
else
    fail "packaging/dist.sh on build/win32: $(tail -3 "$WORK/dist.log")"
fi

# The same sources and settings: what build.ninja says of every object, resource, library and
# program (its sources, compile flags, definitions, include folders, link flags and libraries)
# differs only in the toolchain's prefix and in the folder built in. (A source added since one
# of the two was configured shows here too: both must be built from the same tree.) CMake's
# own bookkeeping (its re-run rule, debug database names) is left aside.
normalised() {
    grep -E '^build [^ :]+\.(obj|res|exe|a): |^  (FLAGS|DEFINES|INCLUDES|LINK_FLAGS|LINK_LIBRARIES|LINK_PATH) = ' \
        "$1/build.ninja" |
        sed -e "s#$(cd "$1" && pwd)#BUILD#g" -e 's#i686-w64-mingw32#MINGW#g; s#x86_64-w64-mingw32#MINGW#g'
}
if diff <(normalised "$win32") <(normalised "$win64") >"$WORK/ninja.diff"; then
    pass
else
    fail "build/win32 and build/win64 are built differently: $(grep -c '^[<>]' "$WORK/ninja.diff") lines differ"
    grep '^[<>]' "$WORK/ninja.diff" | head -6
fi
# Each object file of the two builds comes from a source, and both list the same ones (read off
# build.ninja's compile statements, as a check on the comparison above).
sources() { grep -oE '^build [^:]+\.(obj|res): [A-Z_]+_COMPILER__[A-Za-z0-9_]+ [^ ]+' "$1/build.ninja" |
    awk '{ print $4 }' | sort -u; }
n=$(sources "$win32" | wc -l)
[ "$n" -gt 20 ] && pass || fail "build/win32 compiles only $n sources"
if apart=$(diff <(sources "$win32") <(sources "$win64")); then pass; else
    fail "the two builds compile other sources: $(grep '^[<>]' <<<"$apart" | head -3 | tr '\n' ' ')"
fi
for setting in CMAKE_BUILD_TYPE; do
    expect_eq "$(grep "^$setting:" "$win64/CMakeCache.txt")" "$(grep "^$setting:" "$win32/CMakeCache.txt")" \
        "$setting of the two builds"
done

summary
