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

# check_search_text_usage VERB TEXT FILE: the usage errors of a verb that takes a search text
# and files (exit 2: no operands, only the text, an empty text, a text that is not UTF-8) and a
# missing file (exit 1), with the messages the last two give. FILE is never read.
check_search_text_usage() {
    local verb=$1 text=$2 file=$3
    expect no-args 2 "$bin" "$verb"
    expect text-only 2 "$bin" "$verb" "$text"
    expect empty 2 "$bin" "$verb" "" "$file"
    grep -q "Bitte geben Sie einen Suchtext ein." "$tmp/empty.err" ||
        fail "empty: $(cat "$tmp/empty.err")"
    expect bad-utf8 2 "$bin" "$verb" $'\xff\xfe' "$file"
    expect missing-file 1 "$bin" "$verb" "$text" "$tmp/none.hyp"
    grep -q "HYP-Datei konnte nicht geöffnet werden:" "$tmp/missing-file.err" ||
        fail "missing-file: $(cat "$tmp/missing-file.err")"
}
