#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Vellumar and runs its main job on a hypertext:
#   ./run.sh [FILE.hyp]
# Without a file it uses the bundled sample hypertext. For now the main job is the converter's
# file information and index listing (hypconv --info and --list).
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"

scripts/setup.sh
scripts/build.sh native win32

file=${1:-build/native/samples/sample.hyp}
hypconv=build/native/hypconv
echo "== hypconv --info $file =="
"$hypconv" --info "$file"
echo
echo "== hypconv --list $file =="
"$hypconv" --list "$file"
