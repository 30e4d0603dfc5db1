#!/usr/bin/env bash
# Every HTML page that hypconv --html writes for the real hypertexts passes tidy with 0 errors
# (warnings allowed), in the default set (read as ISO 8859-1, the set its META line names), with
# --charset utf8 and in the web form --web (both read as UTF-8, and valid UTF-8 throughout).
set -u
corpus=${VELLUMAR_CORPUS_DIR:-}
hypconv=${VELLUMAR_BINARY_DIR:-}/hypconv
if [ -z "$corpus" ] || ! ls "$corpus"/*.hyp >/dev/null 2>&1; then echo "no corpus"; exit 77; fi
if ! command -v tidy >/dev/null; then echo "tidy is not installed"; exit 77; fi
if ! command -v iconv >/dev/null; then echo "iconv is not installed"; exit 77; fi
if [ ! -x "$hypconv" ]; then echo "hypconv is not built"; exit 77; fi

shopt -s dotglob  # a page named "...x" has a file name that starts with a dot
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
for set in default utf8 web; do
  options=(); tidy_set=-latin1; meta="CHARSET=iso8859-1"
  if [ "$set" = utf8 ]; then options=(--charset utf8); tidy_set=-utf8; meta="CHARSET=utf-8"; fi
  if [ "$set" = web ]; then options=(--web); tidy_set=-utf8; meta="CHARSET=utf-8"; fi
  total_pages=0
  total_errors=0
  for hyp in "$corpus"/*.hyp; do
    base=$(basename "$hyp" .hyp)
    out="$work/$set/$base"
    mkdir -p "$out"
    if ! first=$("$hypconv" --html "$out/$base.html" "$hyp" "${options[@]}"); then
      echo "FAIL $set $base: hypconv --html failed"; failed=1; continue
    fi
    if [ ! -f "$out/$first" ]; then
      echo "FAIL $set $base: the first page file \"$first\" does not exist"; failed=1
    fi
    # Both cores: the pages in batches, each failing page named on its own line.
    pages=$(find "$out" -maxdepth 1 -name '*.html' | wc -l)
    find "$out" -maxdepth 1 -name '*.html' -print0 |
      xargs -0 -n 64 -P 2 sh -c 'opts="$0"; for p; do
          tidy -errors -quiet "$opts" "$p" >/dev/null 2>&1; [ $? -lt 2 ] || echo "$p"; done' \
        "$tidy_set" >"$work/failing.txt"
    errors=$(wc -l <"$work/failing.txt")
    while read -r page; do
      echo "FAIL $set $base: $(basename "$page")"
      tidy -errors -quiet "$tidy_set" "$page" 2>&1 >/dev/null | head -n 5
    done <"$work/failing.txt"
    if grep -L "$meta" "$out"/*.html | grep -q .; then
      echo "FAIL $set $base: pages without $meta:"; grep -L "$meta" "$out"/*.html | head -n 3; failed=1
    fi
    if [ "$set" != default ] && ! cat "$out"/*.html | iconv -f UTF-8 -t UTF-8 >/dev/null 2>&1; then
      echo "FAIL $set $base: pages that are not valid UTF-8"; failed=1
    fi
    echo "$set $base: $pages pages, $errors with tidy errors"
    total_pages=$((total_pages + pages)); total_errors=$((total_errors + errors))
    [ "$errors" -eq 0 ] || failed=1
    # An export that wrote no page gave tidy nothing to judge.
    [ "$pages" -gt 0 ] || { echo "FAIL $set $base: no HTML page written"; failed=1; }
  done
  echo "$set all: $total_pages pages, $total_errors with tidy errors"
done
exit $failed
