#!/usr/bin/env bash
# Packs the programs of a Windows build into the two release files:
#   vellumar-VERSION-setup.exe  the installer (packaging/vellumar.nsi)
#   vellumar-VERSION-win32.zip  vellumar.exe, hypconv.exe and LIESMICH.txt, nothing else
# usage: packaging/dist.sh BUILD_DIR OUT_DIR [--amd64]
#
# VERSION is the build's own: the numbers its version resource carries (generated from the
# project version), so the programs, the installer and the file names always agree.
# --amd64 packs an x86-64 build into an x86-64 installer of the same script, both named
# ...-win64...: only for the tests on machines that cannot run 32-bit code. Releases are 32-bit.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

usage() { echo "usage: packaging/dist.sh BUILD_DIR OUT_DIR [--amd64]" >&2; exit 2; }
[ $# -ge 2 ] && [ $# -le 3 ] || usage
build=$(cd "$1" && pwd)
out=$2
amd64=
if [ $# -eq 3 ]; then
    [ "$3" = --amd64 ] || usage
    amd64=1
fi

numbers=$build/generated/version_numbers.h
for f in "$build/vellumar.exe" "$build/hypconv.exe" "$numbers"; do
    [ -f "$f" ] || { echo "dist: $f is missing (build the Windows programs first)" >&2; exit 1; }
done
version=$(sed -n 's/^#define VELLUMAR_VERSION_TEXT "\(.*\)"$/\1/p' "$numbers")
fields=$(sed -n 's/^#define VELLUMAR_VERSION_FIELDS \([0-9,]*\)$/\1/p' "$numbers" | tr , .)
[[ "$version" =~ ^[0-9]+(\.[0-9]+)*$ ]] && [[ "$fields" =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] ||
    { echo "dist: no version in $numbers" >&2; exit 1; }

# The programs are packed without their debugging sections (the runtime libraries bring them).
if [ -n "$amd64" ]; then
    arch=win64
    strip=x86_64-w64-mingw32-strip
    nsis_defines=(-DAMD64)
else
    arch=win32
    strip=i686-w64-mingw32-strip
    nsis_defines=()
fi
setup_name=vellumar-$version-setup.exe
[ -n "$amd64" ] && setup_name=vellumar-$version-win64-setup.exe
zip_name=vellumar-$version-$arch.zip

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
for exe in vellumar.exe hypconv.exe; do
    "$strip" --strip-all -o "$stage/$exe" "$build/$exe"
done
# Notepad on every Windows reads Windows-1252 with CR LF.
sed "s/@VERSION@/$version/g" "$root/packaging/LIESMICH.txt" | iconv -f UTF-8 -t CP1252 |
    sed 's/$/\r/' >"$stage/LIESMICH.txt"

mkdir -p "$out"
out=$(cd "$out" && pwd)
makensis -V2 -NOCD -INPUTCHARSET UTF8 \
    "-DVERSION=$version" "-DVERSION_FIELDS=$fields" "-DBUILD_DIR=$stage" \
    "-DSOURCE_DIR=$root" "-DOUT_FILE=$out/$setup_name" "${nsis_defines[@]}" \
    "$root/packaging/vellumar.nsi"

# zip adds to an existing archive: start from nothing so that exactly these files are in it.
rm -f "$out/$zip_name"
(cd "$stage" && zip -q -X "$out/$zip_name" vellumar.exe hypconv.exe LIESMICH.txt)
echo "dist: $out/$setup_name ($(stat -c %s "$out/$setup_name") bytes)"
echo "dist: $out/$zip_name ($(stat -c %s "$out/$zip_name") bytes)"
