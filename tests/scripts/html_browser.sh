#!/usr/bin/env bash
# A page of a real hypertext exported with --charset utf8, as a real browser shows it (Chromium,
# headless): the picture's pixels lie where the page puts it (centred), the links have the link
# colour of the style sheet (a colour chosen in the settings, not the browser's own), and the
# umlaut renders as the umlaut. Each is found by comparing the rendered page with a page the
# test writes beside it: the picture inverted, the links transparent, the umlaut as a character
# reference or as a plain "u".
set -u
hypconv=${VELLUMAR_BINARY_DIR:-}/hypconv
corpus=${VELLUMAR_CORPUS_DIR:-}
[ -x "$hypconv" ] || { echo "hypconv is not built"; exit 77; }
[ -f "$corpus/smurfeng.hyp" ] || { echo "no smurfeng.hyp in the corpus"; exit 77; }
chromium=$(command -v chromium || command -v chromium-browser) || { echo "chromium is not installed"; exit 77; }
for tool in convert compare identify perl; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The link colour 0x00206040 (blue, green, red) is #406020 in a style sheet.
export VELLUMAR_SETTINGS="$work/settings.ini"
printf '[OptionsColor]\nREFCOLOR_INTERNE_SEITE = dword %d\n' $((0x00206040)) >"$VELLUMAR_SETTINGS"
link_colour=406020

out="$work/smurfeng"
mkdir -p "$out"
first=$("$hypconv" --html "$out/smurfeng.html" "$corpus/smurfeng.hyp" --charset utf8) ||
  { echo "FAIL: hypconv --html failed"; exit 1; }
page="$out/$first"
grep -q 'CHARSET=utf-8' "$page" || fail "the page does not declare UTF-8"
grep -q "color: #$link_colour;" "$page" || fail "the style sheet lacks the link colour #$link_colour"
grep -q 'Nürnberg' "$page" || fail "the page has no \"Nürnberg\" in UTF-8"
picture=$(sed -n 's/.*<IMG SRC="\([^"]*\)".*/\1/p' "$page" | head -n 1)
[ -n "$picture" ] && [ -f "$out/$picture" ] || { echo "FAIL: no picture on $first"; exit 1; }

width=1000; height=900
# Renders a page of $out to a PNG.
shot() {
  local profile
  profile=$(mktemp -d "$work/profile.XXXXXX")
  timeout 120 "$chromium" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile" --hide-scrollbars --force-device-scale-factor=1 \
    --window-size=$width,$height --screenshot="$2" "file://$out/$1" >/dev/null 2>&1
  [ -s "$2" ] || { echo "FAIL: chromium rendered nothing for $1"; exit 1; }
}
# The box "WxH+X+Y" of the pixels in which two screenshots differ, or "" when none do.
difference_box() {
  local differing
  differing=$(compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1)
  [ "${differing%.*}" != 0 ] || return 0
  convert "$1" "$2" -compose difference -composite -threshold 0 -format '%@' info:
}
# The number of pixels in which a crop of two screenshots differs.
crop_difference() {  # A B BOX
  convert "$1" -crop "$3" +repage "$work/crop-a.png"
  convert "$2" -crop "$3" +repage "$work/crop-b.png"
  compare -metric AE "$work/crop-a.png" "$work/crop-b.png" null: 2>&1 | cut -d' ' -f1
}

# Reference pages beside the exported one (so that relative references resolve the same).
sed 's|<IMG SRC=|<IMG STYLE="filter: invert(1)" SRC=|' "$page" >"$out/ref-inverted.html"
sed 's|\t</HEAD>|<STYLE TYPE="text/css">A:LINK, A:VISITED { color: transparent }</STYLE>\n\t</HEAD>|' \
  "$page" >"$out/ref-nolinks.html"
perl -CSD -pe 's/([^\x00-\x7F])/sprintf("&#%d;", ord($1))/ge' "$page" >"$out/ref-entities.html"
perl -CSD -pe 's/\x{fc}/u/g' "$page" >"$out/ref-plain.html"
shot "$first" "$work/page.png"
for ref in inverted nolinks entities plain; do shot "ref-$ref.html" "$work/$ref.png"; done

# The picture: the pixels that change when it is inverted are exactly the picture's, the same
# size as its BMP file, centred on the page, and the same pixels as the BMP file.
box=$(difference_box "$work/page.png" "$work/inverted.png")
size=$(identify -format '%wx%h' "$out/$picture")
if [ -z "$box" ]; then
  fail "picture: inverting it changes nothing on the page"
else
  [ "${box%%+*}" = "$size" ] || fail "picture: drawn as $box, its file is $size"
  IFS='x+' read -r w h x y <<<"$box"
  centre=$((x + w / 2))
  [ $((centre - width / 2)) -le 2 ] && [ $((width / 2 - centre)) -le 2 ] ||
    fail "picture: centred at $centre, not at $((width / 2))"
  convert "$out/$picture" "$work/picture.png"
  convert "$work/page.png" -crop "$box" +repage "$work/drawn.png"
  differing=$(compare -metric AE "$work/picture.png" "$work/drawn.png" null: 2>&1 | cut -d' ' -f1)
  [ "${differing%.*}" = 0 ] || fail "picture: $differing pixels differ from $picture"
  echo "picture: $picture ($size) drawn at $box"
fi

# The links: where their text disappears, the colour drawn most is the style sheet's.
box=$(difference_box "$work/page.png" "$work/nolinks.png")
if [ -z "$box" ]; then
  fail "links: no link text drawn"
else
  convert "$work/page.png" "$work/nolinks.png" -compose difference -composite -threshold 0 \
    "$work/link-mask.png"
  drawn=$(convert "$work/page.png" "$work/link-mask.png" -compose multiply -composite \
    -format %c histogram:info:- | grep -v '#000000' | sort -rn | head -n 1 |
    sed -n 's/.*#\([0-9A-F]\{6\}\).*/\1/p')
  [ "$drawn" = "$link_colour" ] || fail "links: drawn in #$drawn, the style sheet says #$link_colour"
  echo "links: drawn in #$drawn within $box"
fi

# The umlaut: it is on the screen (a plain "u" changes a small spot), and that spot looks the
# same as on the page that writes it as a character reference.
box=$(difference_box "$work/page.png" "$work/plain.png")
if [ -z "$box" ]; then
  fail "umlaut: writing \"u\" instead changes nothing on the page"
else
  IFS='x+' read -r w h x y <<<"$box"
  [ "$w" -le 20 ] && [ "$h" -le 20 ] || fail "umlaut: \"u\" for it changes $box, more than its dots"
  line="$((w + 200))x$((h + 20))+$((x > 100 ? x - 100 : 0))+$((y > 10 ? y - 10 : 0))"
  differing=$(crop_difference "$work/page.png" "$work/entities.png" "$line")
  [ "${differing%.*}" = 0 ] || fail "umlaut: $differing pixels differ from the reference around $box"
  differing=$(crop_difference "$work/page.png" "$work/entities.png" "${width}x${height}+0+0")
  [ "${differing%.*}" = 0 ] || fail "umlaut: the page differs from the reference in $differing pixels"
  echo "umlaut: rendered at $box as on the reference page"
fi

if [ "$failures" -ne 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "browser: picture, link colour and umlaut as the page says"
