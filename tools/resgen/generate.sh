#!/usr/bin/env bash
# Builds tools/resgen natively and regenerates the Windows resources into OUTDIR (default:
# resources/, the committed copy). usage: tools/resgen/generate.sh [OUTDIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/resources}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The same narrow character set as the program: menu texts become Windows-1252 bytes.
g++ -std=c++17 -O1 -Wall -Wextra -finput-charset=UTF-8 -fexec-charset=CP1252 -I"$root" \
    "$root/tools/resgen/resgen.cpp" "$root/app/command_table.cpp" -o "$work/resgen"
mkdir -p "$out/images"
"$work/resgen" "$root/tools/resgen/pictures.txt" "$out"
