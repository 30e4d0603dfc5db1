#!/usr/bin/env bash
# The open hypertext rebuilt under the running viewer (Wine): overwritten by a Windows
# "copy /y" with a changed version of itself (a page's text changed, pages added before it),
# the viewer shows the new text on the same page within 2 s; overwritten by a truncated copy
# it keeps the page it shows and shows the file once it is whole again; deleted, it says so
# once. Every screenshot meanwhile is one of the two pages (never an empty one). What the page
# must look like comes from the viewer started afresh on each version.
# Skipped (77) when Wine, Xvfb, the tools or the builds are missing.
set -uo pipefail
# shellcheck source=/dev/null
. "$(dirname "$0")/lib/viewer_wine.bash"  # screenshots
# shellcheck source=/dev/null
. "$(dirname "$0")/lib/navigation_wine.bash"
MAKE_SAMPLE=$bin/samples/make_sample
[ -x "$MAKE_SAMPLE" ] || { echo "skip: make_sample not built"; exit 77; }
nav_setup || exit $?

# The versions, made from the sample's source: the old one, and one whose page "Textattribute"
# says "Verbindungen" for "Kombinationen" and has two new pages before it (its index changes).
sed -n '/^@node Textattribute/,/^@endnode/p' "$src/samples/sample.txt" | grep -q '^Kombinationen:' ||
    { fail "the sample's page Textattribute no longer starts a line with Kombinationen:"; summary; exit; }
mkdir -p "$WORK/old" "$WORK/new" "$WORK/viewer"
"$MAKE_SAMPLE" "$src/samples/sample.txt" "$WORK/old/doc.hyp" || { fail "make_sample (old)"; summary; exit; }
sed -e 's/^Kombinationen:/Verbindungen:/' \
    -e 's/^@node Textattribute$/@node Neu1\nEine neue Seite.\n@endnode\n\n@node Neu2\nNoch eine.\n@endnode\n\n&/' \
    "$src/samples/sample.txt" >"$WORK/new.txt"
"$MAKE_SAMPLE" "$WORK/new.txt" "$WORK/new/doc.hyp" || { fail "make_sample (new)"; summary; exit; }
# Cut inside its objects: the header and index promise what is not there.
head -c $(($(stat -c %s "$WORK/old/doc.hyp") / 2)) "$WORK/old/doc.hyp" >"$WORK/cut.hyp"
DOC=$WORK/viewer/doc.hyp
W_DOC=$(winpath "$DOC")
PAGE=Textattribute

# Overwrites the open file with $1 as a Windows program does; returns once it holds $1's bytes.
copy_over() {
    wine_run cmd /c copy /y "$(winpath "$1")" "$W_DOC" >/dev/null || fail "copy /y $1"
    copied() { cmp -s "$1" "$DOC"; }
    wait_until copied "$1" || fail "copy /y $1 did not arrive"
}

# The page as the viewer shows it when started on version $1; screenshot $2.
reference_shot() {
    cp "$WORK/$1/doc.hyp" "$DOC"
    start_viewer "$W_DOC" "$PAGE" || return 1
    wid=$(xdotool search --name "Vellumar - " | head -1)
    expect_title "Vellumar - $PAGE" "started on the $1 version"
    shot_until "$2" has_colour "$2" "#000000" || fail "no text on the $1 version's page"
    quit_viewer
}
reference_shot old old.png
reference_shot new new.png
expect_same old.png new.png no "the two versions' pages look alike: the test would see nothing"

# shots_while SECONDS STOP_AT STEP: screenshots for up to SECONDS (until one is like STOP_AT,
# when given), each like old.png or new.png; the last one is last.png. Prints the milliseconds
# from the call to the first shot like STOP_AT.
SHOT_N=0
shots_while() {
    local seconds=$1 stop=$2 step=$3 start now name
    start=$(date +%s%N)
    while :; do
        SHOT_N=$((SHOT_N + 1))
        name=step$SHOT_N.png
        now=$(date +%s%N)
        shot "$name" >/dev/null
        cp "$WORK/$name" "$WORK/last.png"
        if ! same_shots "$name" old.png && ! same_shots "$name" new.png; then
            fail "$step: a screenshot ($name) shows neither page" >&2
            return 1
        fi
        if [ -n "$stop" ] && same_shots "$name" "$stop"; then
            echo $(((now - start) / 1000000))
            return 0
        fi
        [ $(((now - start) / 1000000000)) -lt "$seconds" ] || return 1
        sleep 0.2
    done
}

# --- 1. the running viewer on the old version, rebuilt to the new one ----------------------------
cp "$WORK/old/doc.hyp" "$DOC"
start_viewer "$W_DOC" "$PAGE"
wid=$(xdotool search --name "Vellumar - " | head -1)
expect_title "Vellumar - $PAGE" "before the rebuild"
shot_until now.png same_shots now.png old.png || fail "the old version's page is not shown"
copy_over "$WORK/new/doc.hyp"
if ms=$(shots_while "$WAIT_SECONDS" new.png "rebuilt"); then
    echo "the new text shown ${ms} ms after the copy"
    if [ "$ms" -le 2000 ]; then pass; else fail "the new text took ${ms} ms (more than 2 s)"; fi
else
    fail "the new version's page never showed (last shot: last.png)"
fi
expect_title "Vellumar - $PAGE" "after the rebuild (the same page, by its name)"
expect_no_box "no message after a whole rebuild"

# --- 2. a truncated copy: the page stays; the whole file then shows ------------------------------
# Written here at once (a Windows program takes seconds to start): the cut file must stay well
# under the 5 s the viewer waits before it calls a file damaged.
cp "$WORK/cut.hyp" "$DOC"
# One screenshot while it is cut (compared afterwards: each comparison takes a while).
shot cut.png >/dev/null
[ "$(stat -c %s "$DOC")" = "$(stat -c %s "$WORK/cut.hyp")" ] ||
    fail "the truncated file changed before its screenshot was taken"
cp "$WORK/old/doc.hyp" "$DOC"
if same_shots cut.png new.png; then pass; else fail "the truncated file replaced the page shown"; fi
shots_while "$WAIT_SECONDS" old.png "whole again" >/dev/null ||
    fail "the whole file's page never showed after the truncated one"
expect_title "Vellumar - $PAGE" "after the truncated copy and the whole one"
expect_no_box "no message once the file was whole again"

# --- 3. deleted: one message, the page stays -----------------------------------------------------
rm "$DOC"
box=$(probe box "$WAIT_MS" | utf8 | sed 1d)  # without the system's caption
expect_eq "$box" "--
Die HYP-Datei ist nicht mehr vorhanden:

$W_DOC

Angezeigt wird weiter der bisherige Stand.
--end" "the message of the deleted file"
# Where the box was, the page is drawn again once it closed.
shot_until after.png same_shots after.png old.png || fail "the page went with the deleted file"
shots_while 7 "" "deleted" >/dev/null  # past the time the rules wait before telling again
if probe no-box; then pass; else fail "the deleted file was told a second time"; fi
quit_viewer

summary
