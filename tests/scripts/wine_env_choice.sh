#!/usr/bin/env bash
# Which Wine scripts/wine-env.sh gives the tests, on the machines there are: wine32 where the
# kernel runs i386 code; the x86-64 build under wine64 where i386 code runs only through an
# emulator (a hundred times slower), unless the caller asks for wine32 (VELLUMAR_WINE_I386=1);
# wine64 where wine32 is missing, does not start or cannot run at all. The probe and the 32-bit
# loader are stand-ins; the prefix is marked ready, so no Wine program is started.
set -uo pipefail
src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}

. "$src/tests/scripts/lib/case_tally.bash"
mkdir -p "$WORK/prefix"
touch "$WORK/prefix/.vellumar-ready"
# The probe answers from FAKE_NATIVE and FAKE_ANY (1 runs, 0 refused).
cat >"$WORK/probe" <<'EOF'
#!/usr/bin/env bash
case $1 in native) [ "$FAKE_NATIVE" = 1 ] ;; any) [ "$FAKE_ANY" = 1 ] ;; *) exit 2 ;; esac
EOF
printf '#!/bin/sh\necho wine-8.0\n' >"$WORK/wine32"
printf '#!/bin/sh\necho "wine: could not load kernel32.dll" >&2\nexit 1\n' >"$WORK/wine32-broken"
chmod +x "$WORK/probe" "$WORK/wine32" "$WORK/wine32-broken"

# name; 32-bit loader (none: not installed); kernel runs i386; i386 runs at all; wine32 asked
# for; expected bits; expected emulated flag.
cases=(
    "no wine32;none;1;1;0;64;0"
    "native i386;wine32;1;1;0;32;0"
    "native i386, asked for;wine32;1;1;1;32;0"
    "emulated only;wine32;0;1;0;64;0"
    "emulated only, asked for;wine32;0;1;1;32;1"
    "no i386 code, asked for;wine32;0;0;1;64;0"
    "wine32 does not start;wine32-broken;1;1;1;64;0"
)
for row in "${cases[@]}"; do
    IFS=';' read -r case loader native any asked bits emulated <<<"$row"
    got=$(
        export VELLUMAR_WINE32_LOADER=$WORK/$loader VELLUMAR_I386_PROBE=$WORK/probe
        export FAKE_NATIVE=$native FAKE_ANY=$any VELLUMAR_WINEPREFIX=$WORK/prefix
        unset VELLUMAR_WINE_BUILD
        [ "$asked" = 1 ] && export VELLUMAR_WINE_I386=1 || unset VELLUMAR_WINE_I386
        # shellcheck source=/dev/null
        . "$src/scripts/wine-env.sh" >/dev/null 2>&1
        echo "$VELLUMAR_WINE_BITS $VELLUMAR_WINE_EMULATED $(basename "$VELLUMAR_WINE_BUILD") $VELLUMAR_WINE"
    )
    loader_path=/usr/lib/wine/wine64
    [ "$bits" = 32 ] && loader_path=$WORK/$loader
    expected="$bits $emulated win$bits $loader_path"
    [ "$got" = "$expected" ] && pass || fail "bits, emulated, build, loader: got '$got', expected '$expected'"
done

# The native probe against this machine's binfmt_misc entries: no enabled entry may take it
# (else an emulator would run it and pass it for native). The "any" probe, an ordinary i386
# program, is taken by every entry registered for i386 programs, which shows the comparison
# works. An entry takes a file when its bytes at the offset equal the magic wherever the mask is set.
case=binfmt
binfmt=/proc/sys/fs/binfmt_misc
"$src/scripts/i386-probe.sh" native "$WORK/native.elf"
"$src/scripts/i386-probe.sh" any "$WORK/any.elf"
takes() { # ENTRY FILE: the entry is enabled and its magic, under its mask, is at its offset in FILE
    python3 - "$1" "$2" <<'PY'
import sys
text = open(sys.argv[1]).read()
entry = dict(l.split(' ', 1) for l in text.split('\n') if ' ' in l)
if 'magic' not in entry or not text.startswith('enabled'):
    sys.exit(1)
magic = bytes.fromhex(entry['magic'].strip())
mask = bytes.fromhex(entry.get('mask', 'ff' * len(magic)).strip())
at = int(entry.get('offset', '0'))
part = open(sys.argv[2], 'rb').read()[at:at + len(magic)]
sys.exit(len(part) != len(magic) or any((b ^ g) & m for b, m, g in zip(part, mask, magic)))
PY
}
entries=0
for entry in "$binfmt"/*; do
    name=$(basename "$entry")
    [ -f "$entry" ] && [ "$name" != register ] && [ "$name" != status ] || continue
    entries=$((entries + 1))
    takes "$entry" "$WORK/native.elf" && fail "binfmt_misc entry $name takes the native probe" || pass
    [[ $(sed -n 's/^interpreter //p' "$entry") != *i386* ]] || { takes "$entry" "$WORK/any.elf" && pass ||
        fail "i386 entry $name does not take an i386 program"; }
done
echo "binfmt_misc entries held against the probe: $entries"

case_summary
