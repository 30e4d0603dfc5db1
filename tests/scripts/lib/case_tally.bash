# Shared by the table-driven scripts that run a program against stand-ins (sourced, not a test
# itself): a scratch folder $WORK removed at exit, and pass/fail counting where each failure
# names the case it belongs to ($case) and the script ends in "N passed, M failed".

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAILED: [$case] $*"; }

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# The script's verdict: no check failed, and at least one ran.
case_summary() {
    case=all
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
}
