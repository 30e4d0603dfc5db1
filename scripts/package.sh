#!/usr/bin/env bash
# Makes a Windows release of Vellumar: sets up the machine and builds as run.sh does, then packs
# the 32-bit programs (build/win32) into build/dist/:
#   vellumar-VERSION-setup.exe  installer: Programme\Vellumar, Start menu, .hyp files, uninstaller
#   vellumar-VERSION-win32.zip  the two programs and LIESMICH.txt, to unpack and run
# VERSION is the project version of the build (CMakeLists.txt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/setup.sh
scripts/build.sh native win32 win64
packaging/dist.sh build/win32 build/dist
