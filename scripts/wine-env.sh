# Source this file to run Windows programs of the build under Wine in a private prefix.
#
# It sets WINEPREFIX (under build/) and WINEDEBUG=-all, and on first use creates the prefix and
# maps Arial and Courier New to the Liberation fonts, so that text metrics are the same on every
# machine. Safe to source many times; a lock keeps parallel first uses from initialising twice.
# Returns 1 (having set nothing up) when no Wine loader is installed.
#
# Everything that differs between a machine running the 32-bit programs and one running the
# x86-64 build comes from here alone: the loader, the server, the prefix's architecture and the
# build folder. Scripts name none of them themselves.
#
# Exports:
#   VELLUMAR_WINE       the Wine loader to call instead of "wine" (e.g. "$VELLUMAR_WINE reg query")
#   VELLUMAR_WINE_BITS  32 when 32-bit Windows programs run here (wine32), else 64
#   VELLUMAR_WINE_BUILD the build folder whose programs Wine runs: build/win32 or build/win64
#   VELLUMAR_WINE_EMULATED  1 when that wine32 runs through an emulator (see below), else 0
#
# Vellumar ships as a 32-bit program and is tested as one under wine32. Some machines cannot run
# 32-bit code at all (the kernel refuses i386 binaries); there the same sources, built for x86-64,
# run under wine64, so every Wine test still exercises the real Win32 code.
#
# Such a kernel may still run i386 programs through qemu's emulator registered with binfmt_misc
# (scripts/setup.sh registers it), but a hundred times slower: wine32 is then taken only when the
# caller asks for it with VELLUMAR_WINE_I386=1 (the script that runs the shipped 32-bit programs
# themselves). scripts/i386-probe.sh tells the two apart: its "native" probe is a program no
# emulator entry matches, so it runs only where the kernel itself takes i386 code.
_vellumar_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEDEBUG=-all
# No Mono/Gecko install prompts, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# The 32-bit loader and the probe (both replaceable for the test of this choice).
_vellumar_wine32=${VELLUMAR_WINE32_LOADER:-/usr/lib/wine/wine}
_vellumar_probe=${VELLUMAR_I386_PROBE:-$_vellumar_root/scripts/i386-probe.sh}
export VELLUMAR_WINE_EMULATED=0
if [ -x "$_vellumar_wine32" ] && "$_vellumar_probe" native; then
    export VELLUMAR_WINE_BITS=32
elif [ -x "$_vellumar_wine32" ] && [ "${VELLUMAR_WINE_I386:-0}" = 1 ] && "$_vellumar_probe" any; then
    export VELLUMAR_WINE_BITS=32 VELLUMAR_WINE_EMULATED=1
else
    export VELLUMAR_WINE_BITS=64
fi
# The loader must start, too (an i386 library missing shows only here).
if [ "$VELLUMAR_WINE_BITS" = 32 ] && ! "$_vellumar_wine32" --version >/dev/null 2>&1; then
    export VELLUMAR_WINE_BITS=64 VELLUMAR_WINE_EMULATED=0
fi
if [ "$VELLUMAR_WINE_BITS" = 32 ]; then
    export VELLUMAR_WINE=$_vellumar_wine32
    export WINESERVER=/usr/lib/wine/wineserver32
    export WINEARCH=win32
else
    export VELLUMAR_WINE=/usr/lib/wine/wine64
    export WINELOADER=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64
    export WINEARCH=win64
fi
export VELLUMAR_WINE_BUILD="${VELLUMAR_WINE_BUILD:-$_vellumar_root/build/win$VELLUMAR_WINE_BITS}"
[ -x "$VELLUMAR_WINE" ] || { echo "wine-env: no Wine loader at $VELLUMAR_WINE" >&2; return 1; }
export WINEPREFIX="${VELLUMAR_WINEPREFIX:-$_vellumar_root/build/wineprefix$VELLUMAR_WINE_BITS}"

vellumar_wine_init() {
    mkdir -p "$WINEPREFIX"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.vellumar-ready" ]; then
            "$VELLUMAR_WINE" wineboot -i >/dev/null 2>&1 || true
            "$WINESERVER" -w
            local key='HKCU\Software\Wine\Fonts\Replacements'
            "$VELLUMAR_WINE" reg add "$key" /v Arial /t REG_SZ /d 'Liberation Sans' /f >/dev/null 2>&1
            "$VELLUMAR_WINE" reg add "$key" /v 'Courier New' /t REG_SZ /d 'Liberation Mono' /f >/dev/null 2>&1
            "$VELLUMAR_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
            "$WINESERVER" -w
            touch "$WINEPREFIX/.vellumar-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
}
vellumar_wine_init
