# Pass/fail counting for the scripts that end in "N passed, M failed" (sourced, not a test
# itself): pass, fail MESSAGE, expect_eq GOT EXPECTED MESSAGE, and summary as the verdict.

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAILED: $*"; }
expect_eq() { if [ "$1" = "$2" ]; then pass; else fail "$3: got '$1', expected '$2'"; fi; }
# The script's verdict: no check failed, and at least one ran (a script whose checks were all
# passed over proves nothing).
summary() {
    echo "$passed passed, $failed failed"
    [ "$passed" -gt 0 ] || echo "FAILED: no check ran"
    [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
}
