#!/usr/bin/env bash
# Installs what building and testing Vellumar needs on a Debian 12 machine, skipping what is
# already there (a second run costs a few seconds). Uses apt-get, with sudo when not root.
#
# A bad day on the package mirror does not stop it: a failed index download is tried again after
# a pause, and an index that stays broken is reported and passed over, the packages coming from
# the indexes there are. The x86-64 side is installed first. The 32-bit Wine (the i386 packages)
# follows only where this machine runs i386 code: natively, or through qemu's user-mode emulator,
# which this script installs and registers with binfmt_misc when the kernel refuses i386 code
# (root and binfmt_misc needed). Where the i386 side cannot be had, one line says why and the Wine
# tests take the path they take on every machine without 32-bit Wine: the x86-64 build under
# wine64 (scripts/wine-env.sh chooses).
#
# Strict mode (VELLUMAR_STRICT=1) fails when a package of the x86-64 side, which the tests need
# on either path, cannot be installed; otherwise that is reported and the tests needing it skip.
# Every failure names the package and apt's reason. What happened is recorded for the tests in
# build/setup-state.txt: key=value lines (index_failed, i386_code, i386_packages, i386_reason).
#
# Settings (for the tests of this script; the defaults suit a real machine):
#   VELLUMAR_SETUP_TRIES   downloads of the indexes tried before going on without them (3)
#   VELLUMAR_SETUP_PAUSE   seconds between two tries (5)
#   VELLUMAR_SETUP_STATE   the record's path
#   VELLUMAR_BINFMT_DIR    binfmt_misc's folder (/proc/sys/fs/binfmt_misc)
#   VELLUMAR_I386_PROBE    the program telling whether i386 code runs (scripts/i386-probe.sh)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
strict=${VELLUMAR_STRICT:-0}
tries=${VELLUMAR_SETUP_TRIES:-3}
pause=${VELLUMAR_SETUP_PAUSE:-5}
state=${VELLUMAR_SETUP_STATE:-$root/build/setup-state.txt}
binfmt=${VELLUMAR_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}
probe=${VELLUMAR_I386_PROBE:-$root/scripts/i386-probe.sh}

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev
    g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev
    g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
    wine wine64 xvfb xauth xdotool x11-utils xclip imagemagick fonts-liberation
    jlha-utils lhasa tidy file ccache fontconfig python3
    nsis zip unzip chromium
    cups printer-driver-cups-pdf ghostscript poppler-utils
)
# The 32-bit Wine and the printing library its print path loads.
packages_i386=(wine32:i386 libcups2:i386)
# The emulator for machines whose kernel refuses i386 code (statically linked, so it needs no
# i386 library itself), and binfmt_misc's line for it: the ELF header of an i386 executable or
# shared object, the bytes that may vary masked out. Flag F opens the emulator now, so the entry
# works in every mount namespace and chroot (Wine's own processes included).
qemu_package=qemu-user-static
qemu_binary=/usr/bin/qemu-i386-static
qemu_line=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu_binary"':F'

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
as_root() { "${sudo_cmd[@]}" "$@"; }

mkdir -p "$(dirname "$state")"
: >"$state"
record() { echo "$1=$2" >>"$state"; }

# What of the given packages is not installed, one a line: one dpkg-query for them all. It names
# a package of several architectures with its own (libcups2:amd64 for libcups2 on x86-64).
native_arch=$(dpkg --print-architecture)
missing_of() {
    local present
    present=$(dpkg-query -W -f='${Status}\t${binary:Package}\n' "$@" 2>/dev/null |
        awk -F'\t' -v arch=":$native_arch" '$1 == "install ok installed" { sub(arch "$", "", $2); print $2 }')
    printf '%s\n' "$@" | grep -vxF -f <(echo "$present")
}
installed() { [ -z "$(missing_of "$1")" ]; }

# apt's reason in one line: the first unmet dependency it names and its errors ("E: " lines
# but the generic ones that follow every unmet dependency).
apt_reason() {
    local dependency errors
    dependency=$(grep -E '^ +[^ ]+ : (Pre)?Depends:|^ +[^ ]+ : (Conflicts|Breaks):' <<<"$1" | head -1 |
        tr -s ' ' | sed 's/^ //')
    errors=$(grep '^E: ' <<<"$1" | grep -v 'E: Unable to correct problems, you have held broken packages' |
        sed 's/^E: //' | paste -sd ';' | sed 's/;/; /g')
    [ -n "$dependency" ] && [ -n "$errors" ] && dependency+="; "
    [ -z "$dependency$errors" ] && errors=$(grep -v '^ *$' <<<"$1" | tail -1)
    echo "$dependency$errors"
}

# Downloads the package indexes, trying again after a pause while any fails. An index that
# still fails is named with apt's reason and recorded; installing goes on with the indexes
# there are (apt keeps the last good copy of a failed one, or has none).
indexes_updated=0
update_indexes() {
    [ "$indexes_updated" = 1 ] && return 0
    indexes_updated=1
    local try out failures
    for ((try = 1; ; try++)); do
        out=$(as_root apt-get update -qq 2>&1) && return 0
        # "E: Failed to fetch URL  reason" (W: when apt treats it as transient).
        failures=$(sed -nE 's/^[EW]: Failed to fetch ([^ ]+) +(.*)$/\1 \2/p' <<<"$out")
        [ -n "$failures" ] || failures="(no index named) $(apt_reason "$out")"
        [ "$try" -lt "$tries" ] || break
        echo "setup: package index download failed (try $try of $tries), again in ${pause} s: ${failures%%$'\n'*}"
        sleep "$pause"
    done
    local line
    while IFS= read -r line; do
        echo "setup: package index failed $tries times, going on without it: $line"
        record index_failed "$line"
    done <<<"$failures"
}

# install PACKAGE...: installs them; on failure prints one line per package that cannot be
# installed, with apt's reason, and leaves the packages still missing in not_installed.
not_installed=()
install() {
    local out p why
    not_installed=()
    out=$(as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" 2>&1) &&
        return 0
    # Which ones: each alone, as apt would install it (a simulation changes nothing); the others
    # are installed together after all.
    local installable=()
    for p; do
        installed "$p" && continue
        if why=$(as_root apt-get install -s --no-install-recommends "$p" 2>&1); then
            installable+=("$p")
        else
            not_installed+=("$p")
            echo "setup: cannot install $p: $(apt_reason "$why")"
        fi
    done
    if [ ${#not_installed[@]} -eq 0 ]; then
        # Each one alone is fine, together they are not: apt's reason for the whole set.
        not_installed=("${installable[@]}")
        echo "setup: cannot install ${installable[*]}: $(apt_reason "$out")"
    elif [ ${#installable[@]} -gt 0 ] &&
        ! out=$(as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "${installable[@]}" 2>&1); then
        not_installed+=("${installable[@]}")
        echo "setup: cannot install ${installable[*]}: $(apt_reason "$out")"
    fi
    return 1
}

# Whether i386 code runs here, in i386_code (native, emulated or none with i386_reason). Where
# the kernel refuses it, sets up the emulator: installs it, mounts binfmt_misc if needed and
# registers the emulator for i386 programs.
i386_code=none
i386_reason=
find_i386_code() {
    if "$probe" native; then i386_code=native; return; fi
    if "$probe" any; then i386_code=emulated; return; fi
    if [ ${#sudo_cmd[@]} -gt 0 ] && ! sudo -n true 2>/dev/null; then
        i386_reason="the kernel refuses i386 code, and registering an emulator needs root"
        return
    fi
    if [ ! -e "$binfmt/register" ] &&
        ! as_root mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null; then
        i386_reason="the kernel refuses i386 code, and binfmt_misc cannot be mounted at $binfmt"
        return
    fi
    if ! installed "$qemu_package"; then
        update_indexes
        local out
        out=$(install "$qemu_package") || {
            i386_reason="the kernel refuses i386 code, and ${out#setup: }"
            return
        }
    fi
    # An entry of that name left disabled, or pointing at an emulator that is gone, is replaced.
    [ -e "$binfmt/qemu-i386" ] && as_root sh -c 'echo -1 >"$1"' sh "$binfmt/qemu-i386" 2>/dev/null
    if ! as_root sh -c 'printf "%s" "$1" >"$2"' sh "$qemu_line" "$binfmt/register" 2>/dev/null; then
        i386_reason="the kernel refuses i386 code, and binfmt_misc refused the qemu-i386 entry"
        return
    fi
    if "$probe" any; then
        i386_code=emulated
        echo "setup: the kernel refuses i386 code: registered $qemu_binary for i386 programs with binfmt_misc"
    else
        i386_reason="the kernel refuses i386 code, and i386 programs do not run through the registered $qemu_binary"
    fi
}

mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing_i386 < <(missing_of "${packages_i386[@]}")
status=0
left_out=()

# The x86-64 side first: everything the tests need on either path.
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    update_indexes
    if ! install "${missing[@]}"; then
        if [ "$strict" = 1 ]; then
            echo "setup: FAILED (strict): cannot install ${not_installed[*]}"
            status=1
        else
            echo "setup: going on without ${not_installed[*]}; the tests needing them are skipped"
            left_out=("${not_installed[@]}")
        fi
    fi
fi

# Then the i386 side, where i386 code runs (native or emulated).
find_i386_code
record i386_code "$i386_code"
if [ "$i386_code" = none ]; then
    if [ ${#missing_i386[@]} -gt 0 ]; then
        record i386_packages not-tried
        echo "setup: no 32-bit Wine ($i386_reason); the Wine tests run the x86-64 build under wine64"
    else
        record i386_packages installed
        echo "setup: 32-bit Wine is installed but cannot run ($i386_reason); the Wine tests run the x86-64 build under wine64"
    fi
    record i386_reason "$i386_reason"
elif [ ${#missing_i386[@]} -gt 0 ]; then
    echo "setup: installing ${missing_i386[*]} (i386 code runs here: $i386_code)"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
        indexes_updated=0
    fi
    update_indexes
    if out=$(install "${missing_i386[@]}"); then
        record i386_packages installed
    else
        i386_reason=$(sed 's/^setup: cannot install //' <<<"$out" | paste -sd '|' | sed 's/|/ | /g')
        record i386_packages not-installable
        record i386_reason "$i386_reason"
        echo "setup: no 32-bit Wine (cannot install $i386_reason); the Wine tests run the x86-64 build under wine64"
    fi
else
    record i386_packages installed
fi

[ $status -eq 0 ] || exit 1
if [ ${#left_out[@]} -eq 0 ]; then
    echo "setup: all build and test tools present"
else
    echo "setup: done, without ${left_out[*]}"
fi
