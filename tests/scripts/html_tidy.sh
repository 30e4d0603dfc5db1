#!/usr/bin/env bash
# Every HTML page that hypconv --html writes for the real hypertexts passes tidy with 0 errors
# (warnings allowed); the pages are read as ISO 8859-1, the set their META line names.
set -u
corpus=${VELLUMAR_CORPUS_DIR:-}
hypconv=${VELLUMAR_BINARY_DIR:-}/hypconv
if [ -z "$corpus" ] || ! ls "$corpus"/*.hyp >/dev/null 2>&1; then echo "no corpus"; exit 77; fi
if ! command -v tidy >/dev/null; then echo "tidy is not installed"; exit 77; fi
if [ ! -x "$hypconv" ]; then echo "hypconv is not built"; exit 77; fi

shopt -s dotglob  # a page named "...x" has a file name that starts with a dot
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
total_pages=0
total_errors=0
for hyp in "$corpus"/*.hyp; do
  base=$(basename "$hyp" .hyp)
  mkdir -p "$work/$base"
  if ! first=$("$hypconv" --html "$work/$base/$base.html" "$hyp"); then
    echo "FAIL $base: hypconv --html failed"; failed=1; continue
  fi
  if [ ! -f "$work/$base/$first" ]; then
    echo "FAIL $base: the first page file \"$first\" does not exist"; failed=1
  fi
  pages=0; errors=0
  for page in "$work/$base"/*.html; do
    pages=$((pages + 1))
    tidy -errors -quiet -latin1 "$page" >/dev/null 2>"$work/tidy.txt"
    if [ $? -ge 2 ]; then
      errors=$((errors + 1))
      echo "FAIL $base: $(basename "$page")"; head -n 5 "$work/tidy.txt"
    fi
  done
  echo "$base: $pages pages, $errors with tidy errors"
  # An export that wrote no page gave tidy nothing to judge.
  [ "$pages" -gt 0 ] || { echo "FAIL $base: no HTML page written"; failed=1; }
  total_pages=$((total_pages + pages)); total_errors=$((total_errors + errors))
  [ "$errors" -eq 0 ] || failed=1
done
echo "all: $total_pages pages, $total_errors with tidy errors"
exit $failed
