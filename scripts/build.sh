#!/usr/bin/env bash
# Configures and builds Vellumar. usage: scripts/build.sh [native] [asan] [fuzz] [win32] [win64]
# (no argument: native and the Windows builds). Outputs go to build/<kind>.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${VELLUMAR_JOBS:-2}
# Compiler cache: repeated builds (and several checkouts side by side) compile each unchanged
# file once. Paths below the checkout's parent are hashed relative to it.
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$root")}
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

configure_and_build() {
    local dir=$1; shift
    if [ ! -f "build/$dir/build.ninja" ]; then
        cmake -S . -B "build/$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
    fi
    echo "build: $dir ($(date +%T))"
    cmake --build "build/$dir" -j"$jobs"
}

kinds=("$@")
[ ${#kinds[@]} -gt 0 ] || kinds=(native win32 win64)
for kind in "${kinds[@]}"; do
    case "$kind" in
        native) configure_and_build native -DCMAKE_BUILD_TYPE=Release ;;
        asan)   configure_and_build asan -DCMAKE_BUILD_TYPE=Debug -DVELLUMAR_SANITIZE=ON ;;
        fuzz)   CXX=clang++ CC=clang configure_and_build fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUMAR_FUZZ=ON ;;
        win32)  configure_and_build win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake ;;
        win64)  configure_and_build win64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake ;;
        *) echo "build: unknown kind $kind" >&2; exit 2 ;;
    esac
done
