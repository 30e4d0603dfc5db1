#!/usr/bin/env bash
# Runs CTest in one build folder and says how many tests were skipped (a test skips when a tool,
# the X server, the corpus or a build it needs is missing). With VELLUMAR_STRICT=1 (CI) every
# skipped test is a failure, listed with the reason it gave, but for a skip that says its reason
# lies outside the project ("skip: outside the project: ..."), which is listed and still counted.
# usage: scripts/run-ctest.sh BUILD_DIR [CTEST_ARGS...]
set -uo pipefail
dir=$1
shift
[ -d "$dir" ] || { echo "run-ctest: no build folder $dir" >&2; exit 1; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT
(cd "$dir" && ctest --output-on-failure "$@") 2>&1 | tee "$log"
status=${PIPESTATUS[0]}

# CTest lists them at the end as "  12 - name (Skipped)".
mapfile -t skipped < <(sed -nE 's/^[[:space:]]*[0-9]+ - (.*) \(Skipped\)$/\1/p' "$log")
echo "$dir: ${#skipped[@]} skipped"
[ -n "${VELLUMAR_SKIP_TALLY:-}" ] && echo "${#skipped[@]}" >>"$VELLUMAR_SKIP_TALLY"
if [ ${#skipped[@]} -gt 0 ] && [ "${VELLUMAR_STRICT:-0}" = 1 ]; then
    strict_failures=0
    # The reason is in the test's output: a script's "skip: ..." line, or the message GoogleTest
    # prints after "Skipped".
    for name in "${skipped[@]}"; do
        reason=$(awk -v name="$name" '
            $0 ~ "^[0-9]+/[0-9]+ Test: " { current = substr($0, index($0, "Test: ") + 6) }
            current == name && /^Output:/ { inside = 1; next }
            current == name && /^<end of output>/ { inside = 0 }
            inside && after { print; exit }
            inside && /: Skipped$/ { after = 1; next }
            inside && /(^|: )skip(ped)?[: ]/ { print; exit }
        ' "$dir/Testing/Temporary/LastTest.log")
        # One kind of skip is no fault of the project or the machine, and a test says so only
        # for it: a package the distribution cannot deliver today (its index mid-sync).
        case $reason in
            "skip: outside the project: "*)
                echo "STRICT: $name was skipped for a reason outside the project: ${reason#skip: outside the project: }" >&2
                continue ;;
        esac
        echo "STRICT: $name was skipped: ${reason:-no reason given}" >&2
        strict_failures=$((strict_failures + 1))
    done
    if [ "$strict_failures" -gt 0 ]; then
        echo "STRICT: skipped tests count as failures (VELLUMAR_STRICT=1)" >&2
        status=1
    fi
fi
exit "$status"
