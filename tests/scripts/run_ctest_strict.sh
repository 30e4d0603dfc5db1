#!/usr/bin/env bash
# scripts/run-ctest.sh in strict mode on a small CTest project of its own: an ordinary skip fails
# the run with its reason, a skip that says its reason lies outside the project ("skip: outside
# the project: ...") is named and counted but does not, and without strict mode no skip fails.
set -uo pipefail
src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
command -v cmake >/dev/null && command -v ctest >/dev/null || { echo "skip: cmake missing"; exit 77; }
# The run under test must not add its skips to the tally of the run this test is part of.
unset VELLUMAR_SKIP_TALLY

. "$src/tests/scripts/lib/case_tally.bash"
mkdir -p "$WORK/project"
cat >"$WORK/project/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.16)
project(strict_skips NONE)
enable_testing()
add_test(NAME passing COMMAND sh -c "echo fine")
add_test(NAME outside COMMAND sh -c "echo 'skip: outside the project: the mirror is mid-sync'; exit 77")
add_test(NAME ordinary COMMAND sh -c "echo 'skip: xdotool missing'; exit 77")
add_test(NAME lookalike COMMAND sh -c "echo 'skip: the project is outside: not that line'; exit 77")
set_tests_properties(outside ordinary lookalike PROPERTIES SKIP_RETURN_CODE 77)
EOF
cmake -S "$WORK/project" -B "$WORK/build" >/dev/null || { echo "FAILED: the project does not configure"; exit 1; }

# Each case: name, strict, tests (a CTest regular expression), exit status, lines expected
# (extended regular expressions, separated by "|"), then after ";" the lines that must not appear.
cases=(
    "outside-strict;1;^(passing|outside)$;0;^STRICT: outside was skipped for a reason outside the project: the mirror is mid-sync$|: 1 skipped$;count as failures|STRICT: outside was skipped:"
    "ordinary-strict;1;^(passing|ordinary)$;1;^STRICT: ordinary was skipped: skip: xdotool missing$|^STRICT: skipped tests count as failures;outside the project"
    "both-strict;1;^(outside|ordinary)$;1;^STRICT: ordinary was skipped: skip: xdotool missing$|reason outside the project: the mirror|: 2 skipped$;"
    "lookalike-strict;1;^lookalike$;1;^STRICT: lookalike was skipped: skip: the project is outside;reason outside the project"
    "ordinary-not-strict;0;^(passing|ordinary|outside)$;0;: 2 skipped$;STRICT"
)
for row in "${cases[@]}"; do
    IFS=';' read -r case strict tests expected_status wanted unwanted <<<"$row"
    out=$(VELLUMAR_STRICT=$strict "$src/scripts/run-ctest.sh" "$WORK/build" -R "$tests" 2>&1)
    status=$?
    [ "$status" = "$expected_status" ] && pass || fail "exit status $status, expected $expected_status"
    IFS='|' read -r -a want <<<"$wanted"
    IFS='|' read -r -a shun <<<"$unwanted"
    for line in "${want[@]}"; do grep -qE -- "$line" <<<"$out" && pass || fail "no line matching '$line'"; done
    for line in "${shun[@]}"; do grep -qE -- "$line" <<<"$out" && fail "a line matches '$line'" || pass; done
    [ "$failed" -eq 0 ] || { echo "--- output of [$case]:"; echo "$out"; }
done

case_summary
