# Shared by the converter's black-box scripts (sourced, not a test itself): where the converter,
# the bundled sample and the corpus are, a scratch folder $tmp removed at exit, and the failure
# count with fail and expect.

bin="$VELLUMAR_BINARY_DIR/hypconv"
sample="$VELLUMAR_BINARY_DIR/samples/sample.hyp"
corpus="${VELLUMAR_CORPUS_DIR:-}"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect NAME EXIT-CODE COMMAND...: runs the command, keeps stdout/stderr in $tmp/NAME.{out,err}.
expect() {
    local name=$1 code=$2; shift 2
    "$@" >"$tmp/$name.out" 2>"$tmp/$name.err"
    local got=$?
    [ "$got" -eq "$code" ] || fail "$name: exit $got, expected $code ($(head -c 200 "$tmp/$name.err"))"
}

# Ends the script where there is no corpus for the checks that follow: as skipped (77) when
# every check so far passed, else as failed.
stop_without_corpus() {
    [ -d "$corpus" ] && return 0
    echo "corpus not found: $corpus"
    [ "$failures" -eq 0 ] && exit 77 || exit 1
}
