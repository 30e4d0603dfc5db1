#!/usr/bin/env bash
# scripts/setup.sh on the days a package mirror has: it runs against stand-ins for apt-get,
# dpkg, dpkg-query, id, mount and the i386 probe put first on PATH (nothing on this machine is
# installed or registered), each case a machine and a mirror, and ends as a person expects: the
# exit status, the lines it printed, the order it installed in and what it recorded for the tests.
# The apt messages the stand-ins print are the ones apt-get 2.6 prints in those situations.
set -uo pipefail
src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}

. "$src/tests/scripts/lib/case_tally.bash"
BIN=$WORK/bin
mkdir -p "$BIN"
# binfmt_misc's line for qemu-i386 (magic and mask of an i386 ELF program, in the form of the
# entries qemu-user-static ships for other processors), with the static emulator and flag F.
export QEMU_LINE=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F'

# --- The stand-ins. They read the machine of the current case from $FAKE: --------------------
#   missing, installed  packages not installed (all others are) / installed by apt-get since
#   update_failures     times "apt-get update" still fails for the i386 index ("always": every time)
#   broken              "package<TAB>apt's complaint" for packages apt cannot install
#   native, no_binfmt   present when the kernel runs i386 code / binfmt_misc cannot be mounted
#   calls               every apt-get, dpkg --add-architecture and mount call, in order
# dpkg-query names the libraries (which exist for several architectures here) with their
# architecture, as it does.
cat >"$BIN/dpkg-query" <<'EOF'
#!/usr/bin/env bash
status=0
for p in "${@:3}"; do
    if grep -qx -- "$p" "$FAKE/installed" || ! grep -qx -- "$p" "$FAKE/missing"; then
        case $p in lib*:*) ;; lib*) p=$p:amd64 ;; esac
        printf 'install ok installed\t%s\n' "$p"
    else echo "dpkg-query: no packages found matching $p" >&2; status=1; fi
done
exit $status
EOF
cat >"$BIN/dpkg" <<'EOF'
#!/usr/bin/env bash
case $1 in
    --print-architecture) echo amd64 ;;
    --print-foreign-architectures) cat "$FAKE/foreign" ;;
    --add-architecture) echo "dpkg $*" >>"$FAKE/calls"; echo "$2" >>"$FAKE/foreign" ;;
    *) exit 2 ;;
esac
EOF
cat >"$BIN/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE/calls"
case " $* " in
*" update "*)
    left=$(cat "$FAKE/update_failures")
    [ "$left" = 0 ] && exit 0
    [ "$left" = always ] || echo $((left - 1)) >"$FAKE/update_failures"
    cat <<MSG
E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 203.0.113.80 80]
   Hashes of expected file:
    - Filesize:376004 [weak]
    - SHA256:5aa58ea44688978d17b28ffab762d89251fefc64aa2548ac43e228e5fd91d903
   Release file created at: Mon, 07 Dec 2026 23:22:40 +0000
E: Some index files failed to download. They have been ignored, or old ones used instead.
MSG
    exit 100 ;;
*" install "*)
    packages=(); bad=0
    for a; do case $a in -*|install|env|*=*) ;; *) packages+=("$a") ;; esac; done
    for p in "${packages[@]}"; do
        complaint=$(awk -F'\t' -v p="$p" '$1 == p { print $2 }' "$FAKE/broken")
        case $complaint in
            '') continue ;;
            E:*) echo "$complaint" ;;
            *) printf 'Some packages could not be installed.\nThe following packages have unmet dependencies:\n %s\nE: Unable to correct problems, you have held broken packages.\n' "$complaint" ;;
        esac
        bad=1
    done
    [ $bad = 0 ] || exit 100
    [[ " $* " = *" -s "* ]] || printf '%s\n' "${packages[@]}" >>"$FAKE/installed" ;;
esac
exit 0
EOF
printf '#!/bin/sh\necho 0\n' >"$BIN/id"
cat >"$BIN/mount" <<'EOF'
#!/usr/bin/env bash
echo "mount $*" >>"$FAKE/calls"
[ -e "$FAKE/no_binfmt" ] && { echo "mount: permission denied" >&2; exit 32; }
touch "${*: -1}/register"
EOF
# The probe: "native" runs where the kernel takes i386 code; "any" also where qemu is installed
# and the line written to binfmt_misc's register file is the expected one.
cat >"$WORK/probe" <<'EOF'
#!/usr/bin/env bash
[ -e "$FAKE/native" ] && exit 0
[ "$1" = any ] && grep -qx qemu-user-static "$FAKE/installed" &&
    [ "$(cat "$FAKE/binfmt/register" 2>/dev/null)" = "$QEMU_LINE" ]
EOF
chmod +x "$BIN"/* "$WORK/probe"

# --- One case: a machine on which every package but the "missing" ones is installed, the
# indexes download, the kernel refuses i386 code and binfmt_misc is not mounted yet; its "given"
# and "broken" lines change that, its first check runs setup.sh (output $out, status $status).
first_install() { grep -n -- "install .*$1" "$FAKE/calls" | head -1 | cut -d: -f1; }
run_case() { # STRICT DIRECTIVE...
    local strict=$1 ran=0 line kw a b p x y got before=$failed
    shift
    export FAKE=$WORK/${case//[^a-z0-9]/_}
    mkdir -p "$FAKE/binfmt" && (cd "$FAKE" && touch missing installed broken calls &&
        echo 0 >update_failures && echo i386 >foreign)
    for line; do
        if [[ $line = [01]:* ]]; then [ "${line:0:1}" = "$strict" ] || continue; line=${line:2}; fi
        read -r kw a b <<<"$line"
        case $kw in
        given) for p in $a $b; do case $p in
            missing=*) tr , '\n' <<<"${p#*=}" >>"$FAKE/missing" ;;
            update_failures=*) echo "${p#*=}" >"$FAKE/update_failures" ;;
            *) touch "$FAKE/$p" ;; # native, no_binfmt
            esac; done; continue ;;
        broken) printf '%s\t%s\n' "$a" "$b" >>"$FAKE/broken"; continue ;;
        esac
        if [ $ran = 0 ]; then
            ran=1
            out=$(PATH="$BIN:$PATH" VELLUMAR_STRICT=$strict VELLUMAR_SETUP_PAUSE=0 VELLUMAR_SETUP_TRIES=3 \
                VELLUMAR_SETUP_STATE="$FAKE/state" VELLUMAR_BINFMT_DIR="$FAKE/binfmt" \
                VELLUMAR_I386_PROBE="$WORK/probe" bash "$SETUP" 2>&1 </dev/null)
            status=$?
        fi
        case $kw in
        status) [ "$status" = "$a" ] && pass || fail "exit status $status, expected $a" ;;
        lines | calls) [ $kw = lines ] && got=$(grep -cE -- "$b" <<<"$out") || got=$(grep -cE -- "$b" "$FAKE/calls")
            [ "$got" = "$a" ] && pass || fail "$got $kw match '$b', expected $a" ;;
        installed) for p in $a $b; do grep -qx -- "$p" "$FAKE/installed" && pass || fail "$p not installed"; done ;;
        absent) for p in $a $b; do grep -qx -- "$p" "$FAKE/installed" && fail "$p installed" || pass; done ;;
        before) x=$(first_install "$a"); y=$(first_install "$b")
            [ -n "$x" ] && [ -n "$y" ] && [ "$x" -lt "$y" ] && pass || fail "$a not installed before $b" ;;
        register) [ "$(cat "$FAKE/binfmt/register")" = "$QEMU_LINE" ] && pass ||
            fail "binfmt_misc register got: $(cat "$FAKE/binfmt/register")" ;;
        state) got=$(sed -n "s/^$a=//p" "$FAKE/state" | head -1)
            [[ $got =~ $b ]] && pass || fail "recorded $a='$got', expected to match '$b'" ;;
        *) fail "unknown directive '$kw'" ;;
        esac
    done
    [ "$failed" = "$before" ] || printf -- '--- output:\n%s\n--- calls:\n%s\n' "$out" "$(cat "$FAKE/calls")"
}
SETUP=$src/scripts/setup.sh

# --- The cases: "= NAME STRICT..." opens one, run once for each strict value; a line beginning
# "1:" or "0:" holds for that value only. "lines N RE": N lines of the output match the extended
# regular expression RE; "calls N RE" likewise for the calls made; "state KEY RE": the recorded value.
name=
block=()
flush() {
    local s
    for s in $stricts; do case="$name, strict $s"; run_case "$s" "${block[@]}"; done
}
mapfile -t table <<'EOF'
= update-fails-once 1
given missing=tidy,wine32:i386,libcups2:i386 update_failures=1 native
status 0
lines 1 ^setup: package index download failed \(try 1 of 3\), again in 0 s: .*binary-i386
lines 0 going on without|no 32-bit Wine|cannot install
lines 1 ^setup: all build and test tools present$
installed tidy wine32:i386 libcups2:i386
before tidy wine32:i386
state i386_code ^native$
state i386_packages ^installed$
state index_failed ^$

# The bad day of a real mirror: the i386 security index stays half synced, so the 32-bit Wine's
# libraries no longer match the x86-64 ones; the kernel refuses i386 code, so qemu comes first.
= i386-index-broken 1 0
given missing=tidy,qemu-user-static,wine32:i386,libcups2:i386 update_failures=always
broken wine32:i386 libwine:i386 : Depends: libgstreamer-plugins-base1.0-0:i386 (>= 1.0.0) but it is not going to be installed
broken libcups2:i386 libcups2:i386 : Depends: zlib1g:i386 (>= 1:1.2.0) but it is not going to be installed
status 0
lines 2 ^setup: package index download failed \(try [12] of 3\)
lines 1 ^setup: package index failed 3 times, going on without it: http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz File has unexpected size \(374820 != 376004\)\. Mirror sync in progress\?
lines 1 ^setup: the kernel refuses i386 code: registered /usr/bin/qemu-i386-static for i386 programs with binfmt_misc$
lines 1 ^setup: no 32-bit Wine \(cannot install wine32:i386: libwine:i386 : Depends: libgstreamer-plugins-base1.0-0:i386 \(>= 1.0.0\) but it is not going to be installed \| libcups2:i386: libcups2:i386 : Depends: zlib1g:i386 .*\); the Wine tests run the x86-64 build under wine64$
lines 0 FAILED
lines 1 ^setup: all build and test tools present$
installed tidy qemu-user-static
absent wine32:i386 libcups2:i386
before tidy qemu-user-static
before qemu-user-static wine32:i386
register
state index_failed ^http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz File has unexpected size
state i386_code ^emulated$
state i386_packages ^not-installable$
state i386_reason zlib1g:i386

# apt refuses an i386 package on a good day: the Wine tests go the x86-64 way, strict or not.
= i386-install-fails 1 0
given missing=wine32:i386,libcups2:i386 native
broken libcups2:i386 E: Unable to locate package libcups2:i386
status 0
lines 1 ^setup: no 32-bit Wine \(cannot install libcups2:i386: Unable to locate package libcups2:i386\); the Wine tests run the x86-64 build under wine64$
lines 0 package index|registered
lines 1 ^setup: all build and test tools present$
state i386_packages ^not-installable$
state index_failed ^$

= nothing-to-install 1
given native
status 0
lines 1 ^setup: 
lines 1 ^setup: all build and test tools present$
calls 0 .
state i386_packages ^installed$

# A package of the x86-64 side that apt does not know: strict stops, otherwise the run goes on.
= x86-64-package-missing 1 0
given missing=tidy,lhasa native
broken tidy E: Unable to locate package tidy
lines 1 ^setup: cannot install tidy: Unable to locate package tidy$
installed lhasa
1:status 1
1:lines 1 ^setup: FAILED \(strict\): cannot install tidy$
1:lines 0 all build and test tools present
0:status 0
0:lines 1 ^setup: going on without tidy; the tests needing them are skipped$
0:lines 1 ^setup: done, without tidy$

# No 32-bit code and no way to emulate it: the i386 packages are not even tried.
= no-binfmt 1
given missing=wine32:i386,libcups2:i386 no_binfmt
status 0
lines 1 ^setup: no 32-bit Wine \(the kernel refuses i386 code, and binfmt_misc cannot be mounted at .*\); the Wine tests run the x86-64 build under wine64$
lines 0 installing
calls 0 install
state i386_code ^none$
state i386_packages ^not-tried$
EOF
for line in "${table[@]}"; do
    case $line in
    '' | '#'*) ;;
    '= '*) [ -z "$name" ] || flush; read -r _ name stricts <<<"$line"; block=() ;;
    *) block+=("$line") ;;
    esac
done
flush

case_summary
