#!/usr/bin/env bash
# The web form of the HTML export (hypconv --html DIR FILE... --web) on the whole corpus: every
# HREF and SRC that is not a web address names, percent-decoded as UTF-8, a file the export
# wrote; no reference holds a byte outside ASCII; and in headless Chromium the texts the author
# lined up with blanks on qed-e's "Keystroke commands" start at the same x (read from the page's
# DOM by a script in a copy of the page).
set -u
hypconv=${VELLUMAR_BINARY_DIR:-}/hypconv
corpus=${VELLUMAR_CORPUS_DIR:-}
[ -x "$hypconv" ] || { echo "hypconv is not built"; exit 77; }
ls "$corpus"/*.hyp >/dev/null 2>&1 || { echo "no corpus"; exit 77; }
chromium=$(command -v chromium || command -v chromium-browser) || { echo "chromium is not installed"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$hypconv" --html "$work/web/" "$corpus"/*.hyp --web >"$work/first.txt" ||
  fail "hypconv --html --web failed"

# --- references -------------------------------------------------------------------------------
# A reference into a hypertext the corpus lacks ("../tos/...", a folder no export wrote) is
# counted apart: nothing could resolve it. Exit status: the references that fail.
perl -e '
  use strict; use File::Basename;
  my ($n, $outside, $bad) = (0, 0, 0);
  for my $page (@ARGV) {
    open(my $f, "<:raw", $page) or die; local $/; my $html = <$f>; my $dir = dirname($page);
    while ($html =~ /\b(?:HREF|SRC)="([^"]*)"/g) {
      my $ref = $1; $n++;
      next if $ref =~ /^[A-Za-z][A-Za-z0-9+.-]*:/;    # a web address
      (my $file = $ref) =~ s/#.*//;
      $file =~ s/%([0-9A-Fa-f]{2})/chr(hex($1))/ge;   # the UTF-8 bytes of the name
      if ($file =~ m|^\.\./([^/]+)/| && !-d "$dir/../$1") { $outside++; next; }
      next unless $ref =~ /[^\x21-\x7E]/ || ($file ne "" && !-e "$dir/$file");
      print "FAIL: $page: $ref\n" if $bad++ < 10;
    }
  }
  print "references: $n checked, $bad failing, $outside into hypertexts outside the corpus\n";
  exit($bad > 0 || $n < 1000);
' $(find "$work/web" -name '*.html') || fail "references that are not percent-encoded or lead nowhere"
find "$work/web" -name '*.html' -printf '%f\n' | iconv -f UTF-8 -t UTF-8 >/dev/null 2>&1 ||
  fail "file names that are not UTF-8"

# --- columns in a browser ---------------------------------------------------------------------
page="$work/web/qed-e/Keystroke_commands.html"
[ -f "$page" ] || { fail "no page Keystroke_commands.html for qed-e"; echo "$failures failures"; exit 1; }
# The left edge of the first character of each text in pixels, written into a paragraph the DOM
# dump shows. They must agree within 0.05 pixel: a one-column box of a wide character is
# rounded to the browser's layout unit (1/64 pixel), a blank is not.
measure='<SCRIPT>
window.onload = function () {
  var texts = ["Move by one line resp. column", "Page up/down", "Move to beginning/end of line"];
  document.getElementById("measured").textContent = texts.map(function (text) {
    for (var w = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT); w.nextNode();) {
      var at = w.currentNode.data.indexOf(text);
      if (at < 0) continue;
      var range = document.createRange();
      range.setStart(w.currentNode, at);
      range.setEnd(w.currentNode, at + 1);
      return range.getBoundingClientRect().left.toFixed(3);
    }
    return "none";
  }).join(" ");
};
</SCRIPT><P ID="measured">pending</P>'
perl -pe 'BEGIN { $m = shift } s|\t</BODY>|$m\n\t</BODY>|' "$measure" "$page" \
  >"$(dirname "$page")/measure.html"
profile=$(mktemp -d "$work/profile.XXXXXX")
dom=$(timeout 120 "$chromium" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$profile" --window-size=1000,900 --virtual-time-budget=5000 \
  --dump-dom "file://$(dirname "$page")/measure.html" 2>/dev/null)
edges=$(printf '%s' "$dom" | sed -n 's/.*<p id="measured">\([^<]*\)<\/p>.*/\1/p')
echo "left edges: $edges"
read -r a b c <<<"$edges"
case "$a$b$c" in *none* | *pending* | "") fail "the texts were not all found: '$edges'" ;; esac
perl -e 'my @x = @ARGV; exit(($x[0] - $x[1]) ** 2 < 0.0025 && ($x[1] - $x[2]) ** 2 < 0.0025 ? 0 : 1)' \
  "$a" "$b" "$c" || fail "the three texts start at different x: $edges"

echo "$failures failures"
[ "$failures" -eq 0 ]
