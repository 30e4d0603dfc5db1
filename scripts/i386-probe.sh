#!/usr/bin/env bash
# Tells whether this machine runs i386 (32-bit x86) Linux programs, without installing anything:
# it writes a 96-byte i386 ELF program that only exits with status 42, and runs it.
# usage: scripts/i386-probe.sh native|any [FILE]
#   native  the kernel runs it itself, no emulator involved
#   any     it runs by any means: natively or through an emulator registered with binfmt_misc
# Exit status 0 when it runs, 1 when it does not, 2 on a usage error. With FILE, the probe is
# only written there (for a test that holds it against binfmt_misc's entries).
#
# Why "native" needs a probe of its own: binfmt_misc is asked before the kernel's own ELF loader,
# so once qemu-i386 is registered every ordinary i386 program runs, emulated, even on a kernel
# that could run it natively; a plain run proves nothing. The native probe therefore differs from
# the "any" probe in one byte: the last padding byte of its ELF identification is not 0. The
# kernel's ELF loader never reads the padding, but the qemu-i386 entry setup.sh writes (masked
# like the entries Debian's qemu-user-static ships for other processors) demands 0 there, so no
# emulator entry matches the native probe and it runs only where the kernel takes i386 code.
# This asks the kernel afresh on every call: no state to go stale, nothing to switch off and on
# while other programs start, and about a millisecond per call.
set -uo pipefail
case ${1:-} in
    native) pad='\x56' ;;
    any) pad='\x00' ;;
    *) echo "usage: $0 native|any" >&2; exit 2 ;;
esac
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
out=${2:-$dir/probe}
# The ELF header (52 bytes): identification (class 32-bit, little-endian, version 1, 8 padding
# bytes of which the last is $pad), executable for i386, entry 0x08048054, one program header at
# offset 52. The program header (32 bytes): the whole file loaded at 0x08048000, readable and
# executable. The code (12 bytes): mov eax, 1 (exit); mov ebx, 42; int 0x80.
printf "\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00$pad\\x02\\x00\\x03\\x00\\x01\\x00\\x00\\x00\\x54\\x80\\x04\\x08\\x34\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x34\\x00\\x20\\x00\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x80\\x04\\x08\\x00\\x80\\x04\\x08\\x60\\x00\\x00\\x00\\x60\\x00\\x00\\x00\\x05\\x00\\x00\\x00\\x00\\x10\\x00\\x00\\xb8\\x01\\x00\\x00\\x00\\xbb\\x2a\\x00\\x00\\x00\\xcd\\x80" >"$out"
[ $# -lt 2 ] || exit 0
chmod +x "$dir/probe"
"$dir/probe" 2>/dev/null
[ $? -eq 42 ]
