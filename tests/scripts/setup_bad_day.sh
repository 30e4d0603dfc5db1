#!/usr/bin/env bash
# scripts/setup.sh on the days a package mirror has: it runs against stand-ins for apt-get,
# dpkg, dpkg-query, id, mount and the i386 probe put first on PATH (nothing on this machine is
# installed or registered), each case a machine and a mirror, and ends as a person expects: the
# exit status, the lines it printed, the order it installed in and what it recorded for the tests.
# The apt messages the stand-ins print are the ones apt-get 2.6 prints in those situations.
set -uo pipefail
src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
SETUP=$src/scripts/setup.sh

. "$src/tests/scripts/lib/case_tally.bash"
BIN=$WORK/bin
mkdir -p "$BIN"

I386_INDEX=http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz
# binfmt_misc's line for qemu-i386 (magic and mask of an i386 ELF program, in the form of the
# entries qemu-user-static ships for other processors), with the static emulator and flag F.
QEMU_LINE=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F'

# --- The stand-ins. They read the machine of the current case from $FAKE: --------------------
#   missing          packages not installed (one a line); every other one is installed
#   installed        packages installed by apt-get during the case
#   update_failures  times "apt-get update" still fails for the i386 index ("always": every time)
#   broken           "package<TAB>apt's complaint" for packages apt cannot install
#   native           present when the kernel runs i386 code
#   no_binfmt        present when binfmt_misc cannot be mounted
#   calls            every apt-get, dpkg --add-architecture and mount call, in order
# dpkg-query -W -f='${Status}\t${binary:Package}\n' PACKAGE...: a line for each installed one,
# naming the libraries (which exist for several architectures here) with their architecture.
cat >"$BIN/dpkg-query" <<'EOF'
#!/usr/bin/env bash
status=0
for p in "${@:3}"; do
    if grep -qx -- "$p" "$FAKE/installed" || ! grep -qx -- "$p" "$FAKE/missing"; then
        case $p in lib*:*) name=$p ;; lib*) name=$p:amd64 ;; *) name=$p ;; esac
        printf 'install ok installed\t%s\n' "$name"
    else
        echo "dpkg-query: no packages found matching $p" >&2; status=1
    fi
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
    simulate=0; packages=()
    for a; do
        case $a in -s) simulate=1 ;; -*|install|env|*=*) ;; *) packages+=("$a") ;; esac
    done
    bad=0
    for p in "${packages[@]}"; do
        complaint=$(awk -F'\t' -v p="$p" '$1 == p { print $2 }' "$FAKE/broken")
        [ -n "$complaint" ] || continue
        bad=1
        case $complaint in
            E:*) echo "$complaint" ;;
            *) printf 'Some packages could not be installed.\nThe following packages have unmet dependencies:\n %s\nE: Unable to correct problems, you have held broken packages.\n' "$complaint" ;;
        esac
    done
    [ $bad = 0 ] || exit 100
    [ $simulate = 1 ] || printf '%s\n' "${packages[@]}" >>"$FAKE/installed"
    exit 0 ;;
esac
exit 0
EOF
cat >"$BIN/id" <<'EOF'
#!/usr/bin/env bash
echo 0
EOF
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

# --- One case ---------------------------------------------------------------------------------
# new_case NAME: a machine on which every package but those given later is installed, the
# indexes download, the kernel refuses i386 code, binfmt_misc is not mounted yet.
new_case() {
    case=$1
    FAKE=$WORK/$case
    mkdir -p "$FAKE/binfmt"
    : >"$FAKE/missing"; : >"$FAKE/installed"; : >"$FAKE/broken"; : >"$FAKE/calls"
    echo 0 >"$FAKE/update_failures"
    echo i386 >"$FAKE/foreign"
    export FAKE QEMU_LINE
}
missing() { printf '%s\n' "$@" >>"$FAKE/missing"; }
broken() { printf '%s\t%s\n' "$1" "$2" >>"$FAKE/broken"; }

# run_setup STRICT: runs setup.sh; its output in $out, its status in $status.
run_setup() {
    out=$(PATH="$BIN:$PATH" VELLUMAR_STRICT=$1 VELLUMAR_SETUP_PAUSE=0 VELLUMAR_SETUP_TRIES=3 \
        VELLUMAR_SETUP_STATE="$FAKE/state" VELLUMAR_BINFMT_DIR="$FAKE/binfmt" \
        VELLUMAR_I386_PROBE="$WORK/probe" bash "$SETUP" 2>&1)
    status=$?
}

expect_status() { if [ "$status" = "$1" ]; then pass; else fail "exit status $status, expected $1; output:"; echo "$out"; fi; }
# A line of the output matching the extended regular expression $1, or none.
expect_line() { if grep -qE -- "$1" <<<"$out"; then pass; else fail "no line matching '$1' in:"; echo "$out"; fi; }
expect_no_line() { if grep -qE -- "$1" <<<"$out"; then fail "a line matches '$1':"; grep -E -- "$1" <<<"$out"; else pass; fi; }
expect_lines() { local n; n=$(grep -cE -- "$1" <<<"$out"); [ "$n" = "$2" ] && pass || fail "$n lines match '$1', expected $2"; }
expect_state() {
    local got
    got=$(sed -n "s/^$1=//p" "$FAKE/state" | head -1)
    [[ $got =~ $2 ]] && pass || fail "recorded $1='$got', expected to match '$2'"
}
expect_installed() {
    local p
    for p; do grep -qx -- "$p" "$FAKE/installed" && pass || fail "$p not installed"; done
}
expect_not_installed() {
    local p
    for p; do grep -qx -- "$p" "$FAKE/installed" && fail "$p installed" || pass; done
}
# The first install call naming $1 comes before the first naming $2.
expect_before() {
    local a b
    a=$(grep -n -- "install .*$1" "$FAKE/calls" | head -1 | cut -d: -f1)
    b=$(grep -n -- "install .*$2" "$FAKE/calls" | head -1 | cut -d: -f1)
    [ -n "$a" ] && [ -n "$b" ] && [ "$a" -lt "$b" ] && pass || fail "$1 not installed before $2 (calls: $(paste -sd '|' "$FAKE/calls"))"
}

# --- The cases --------------------------------------------------------------------------------
new_case update-fails-once
missing tidy wine32:i386 libcups2:i386
echo 1 >"$FAKE/update_failures"
touch "$FAKE/native"
run_setup 1
expect_status 0
expect_lines '^setup: package index download failed \(try 1 of 3\), again in 0 s: .*binary-i386' 1
expect_no_line 'going on without|no 32-bit Wine|cannot install'
expect_line '^setup: all build and test tools present$'
expect_installed tidy wine32:i386 libcups2:i386
expect_before tidy wine32:i386
expect_state i386_code '^native$'
expect_state i386_packages '^installed$'
expect_state index_failed '^$'

# The bad day of a real mirror: the i386 security index stays half synced, so the 32-bit Wine's
# libraries no longer match the x86-64 ones; the kernel refuses i386 code, so qemu comes first.
for strict in 1 0; do
    new_case "i386-index-broken-strict$strict"
    missing tidy qemu-user-static wine32:i386 libcups2:i386
    echo always >"$FAKE/update_failures"
    broken wine32:i386 'libwine:i386 : Depends: libgstreamer-plugins-base1.0-0:i386 (>= 1.0.0) but it is not going to be installed'
    broken libcups2:i386 'libcups2:i386 : Depends: zlib1g:i386 (>= 1:1.2.0) but it is not going to be installed'
    run_setup $strict
    expect_status 0
    expect_lines '^setup: package index download failed \(try [12] of 3\)' 2
    expect_lines "^setup: package index failed 3 times, going on without it: $I386_INDEX File has unexpected size \(374820 != 376004\)\. Mirror sync in progress\?" 1
    expect_lines '^setup: the kernel refuses i386 code: registered /usr/bin/qemu-i386-static for i386 programs with binfmt_misc$' 1
    expect_lines '^setup: no 32-bit Wine \(cannot install wine32:i386: libwine:i386 : Depends: libgstreamer-plugins-base1.0-0:i386 \(>= 1.0.0\) but it is not going to be installed \| libcups2:i386: libcups2:i386 : Depends: zlib1g:i386 .*\); the Wine tests run the x86-64 build under wine64$' 1
    expect_no_line 'FAILED'
    expect_line '^setup: all build and test tools present$'
    expect_installed tidy qemu-user-static
    expect_not_installed wine32:i386 libcups2:i386
    expect_before tidy qemu-user-static
    expect_before qemu-user-static wine32:i386
    [ "$(cat "$FAKE/binfmt/register")" = "$QEMU_LINE" ] && pass || fail "binfmt_misc register got: $(cat "$FAKE/binfmt/register")"
    expect_state index_failed "^$I386_INDEX File has unexpected size"
    expect_state i386_code '^emulated$'
    expect_state i386_packages '^not-installable$'
    expect_state i386_reason 'zlib1g:i386'
done

# apt refuses an i386 package on a good day: the Wine tests go the x86-64 way, strict or not.
for strict in 1 0; do
    new_case "i386-install-fails-strict$strict"
    missing wine32:i386 libcups2:i386
    touch "$FAKE/native"
    broken libcups2:i386 'E: Unable to locate package libcups2:i386'
    run_setup $strict
    expect_status 0
    expect_lines '^setup: no 32-bit Wine \(cannot install libcups2:i386: Unable to locate package libcups2:i386\); the Wine tests run the x86-64 build under wine64$' 1
    expect_no_line 'package index|registered'
    expect_line '^setup: all build and test tools present$'
    expect_state i386_packages '^not-installable$'
    expect_state index_failed '^$'
done

new_case nothing-to-install
touch "$FAKE/native"
run_setup 1
expect_status 0
expect_lines '^setup: ' 1
expect_line '^setup: all build and test tools present$'
[ -s "$FAKE/calls" ] && fail "calls made: $(paste -sd '|' "$FAKE/calls")" || pass
expect_state i386_packages '^installed$'

# A package of the x86-64 side that apt does not know: strict stops, otherwise the run goes on.
for strict in 1 0; do
    new_case "x86-64-package-missing-strict$strict"
    missing tidy lhasa
    touch "$FAKE/native"
    broken tidy 'E: Unable to locate package tidy'
    run_setup $strict
    expect_lines '^setup: cannot install tidy: Unable to locate package tidy$' 1
    expect_no_line 'cannot install lhasa'
    expect_installed lhasa
    if [ $strict = 1 ]; then
        expect_status 1
        expect_line '^setup: FAILED \(strict\): cannot install tidy$'
        expect_no_line 'all build and test tools present'
    else
        expect_status 0
        expect_line '^setup: going on without tidy; the tests needing them are skipped$'
        expect_line '^setup: done, without tidy$'
    fi
done

# No 32-bit code and no way to emulate it: the i386 packages are not even tried.
new_case no-binfmt
missing wine32:i386 libcups2:i386
touch "$FAKE/no_binfmt"
run_setup 1
expect_status 0
expect_lines '^setup: no 32-bit Wine \(the kernel refuses i386 code, and binfmt_misc cannot be mounted at .*\); the Wine tests run the x86-64 build under wine64$' 1
expect_no_line 'installing'
grep -q 'install' "$FAKE/calls" && fail "apt-get install called: $(paste -sd '|' "$FAKE/calls")" || pass
expect_state i386_code '^none$'
expect_state i386_packages '^not-tried$'

case_summary
