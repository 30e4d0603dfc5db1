#!/usr/bin/env bash
# The Windows release under Wine: packaging/dist.sh packs the build that Wine runs here (the
# x86-64 one, in an x86-64 installer of the same script, where 32-bit code cannot run); then, in
# a fresh Wine prefix of its own, the zip's viewer opens a real hypertext, and the installer and
# uninstaller run silently through four rounds (the shipped 32-bit files, which cannot run here,
# are packed too and checked to be 32-bit programs):
#   1. .hyp free: files, Start menu, file type, Uninstall entry; a double click (ShellExecute
#      through "wine start") opens the installed viewer on a file in a folder with a space; the
#      installed hypconv.exe reads a file; the uninstaller removes all of it but the settings.
#   2. .hyp owned by another program: it stays the owner, Vellumar is only under "Open with".
#   3. the same with /HYPSTANDARD: Vellumar takes .hyp, the uninstaller gives it back; with
#      /REMOVESETTINGS the uninstaller removes the settings too.
#   4. .hyp naming a file type that no longer exists: Vellumar takes it.
# Expected values come from outside the programs: the version from CMakeLists.txt, the hypertext's
# title and database name from its STG source, Wine's own folders and file sizes from du.
# Skipped (77) when a tool, the Windows build or the corpus is missing.
set -uo pipefail

src=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
bin=${VELLUMAR_BINARY_DIR:-$src/build/native}
CORPUS=${VELLUMAR_CORPUS_DIR:-$src/../shared/corpus}
# shellcheck source=lib/wait.bash
. "$(dirname "$0")/lib/wait.bash"

for tool in makensis zip unzip Xvfb iconv strings file; do
    command -v "$tool" >/dev/null || { echo "skip: $tool missing"; exit 77; }
done
# gemma.stg: @database and the @title of its first node "Main", the page a start shows.
HYP=$CORPUS/gemma.hyp
[ -f "$HYP" ] || { echo "skip: $HYP missing"; exit 77; }
DATABASE="The GEM application support library"
TITLE="Vellumar - The GEM application support library"
VERSION=$(sed -n 's/^project(Vellumar VERSION \([0-9.]*\) .*/\1/p' "$src/CMakeLists.txt")
[ -n "$VERSION" ] || { echo "FAILED: no project version in CMakeLists.txt"; exit 1; }

# A fresh prefix every run; runs of this test take turns on it.
export VELLUMAR_WINEPREFIX=${VELLUMAR_PACKAGE_WINEPREFIX:-$bin/package-wineprefix}
mkdir -p "$(dirname "$VELLUMAR_WINEPREFIX")"
exec 9>"$VELLUMAR_WINEPREFIX.run.lock"
flock 9
rm -rf "$VELLUMAR_WINEPREFIX"
# shellcheck source=/dev/null
. "$src/scripts/wine-env.sh" || { echo "skip: Wine cannot be set up"; exit 77; }
build=$VELLUMAR_WINE_BUILD
PROBE_EXE=$build/tests/win32/window_probe_wintest.exe
for f in "$build/vellumar.exe" "$build/hypconv.exe" "$PROBE_EXE" "$src/build/win32/vellumar.exe" \
    "$src/build/win32/hypconv.exe"; do
    [ -f "$f" ] || { echo "skip: $f not built"; exit 77; }
done

# shellcheck source=lib/tally.bash
. "$src/tests/scripts/lib/tally.bash"
# expect_file yes|no PATH MESSAGE
expect_file() {
    if { [ "$1" = yes ] && [ -e "$2" ]; } || { [ "$1" = no ] && [ ! -e "$2" ]; }; then pass; else fail "$3"; fi
}

WORK=$(mktemp -d)
XVFB_PID=
cleanup() {
    "$WINESERVER" -k >/dev/null 2>&1
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
start_xvfb 200 249 || { echo "skip: no free X display"; exit 77; }

wine_run() { "$VELLUMAR_WINE" "$@" 2>/dev/null; }
unix_path() { wine_run winepath -u "$1" | tr -d '\r'; }
win_path() { wine_run winepath -w "$1" | tr -d '\r'; }
# The data of value $2 ("" for the default value) of key $1, as "reg query" prints it.
reg_value() {
    local args=(/v "$2")
    [ -z "$2" ] && args=(/ve)
    wine_run reg query "$1" "${args[@]}" | tr -d '\r' | awk 'NR > 1 && NF >= 2 {
        for (i = 1; i <= NF; i++) if ($i ~ /^REG_/) break
        out = ""; for (j = i + 1; j <= NF; j++) out = out (j > i + 1 ? " " : "") $j
        print out; exit }'
}
key_exists() { wine_run reg query "$1" >/dev/null; }
value_exists() { wine_run reg query "$1" /v "$2" >/dev/null; }
expect_key() {
    if key_exists "$2"; then have=yes; else have=no; fi
    expect_eq "$have" "$1" "$3"
}
# Waits for the viewer's main window; prints its title as UTF-8.
viewer_title() { wine_run "$PROBE_EXE" wait-main "$WAIT_MS" | tr -d '\r' | iconv -f CP1252 -t UTF-8; }
# Ends every program of the prefix (the viewer), so that the next round starts clean.
end_programs() { "$WINESERVER" -k >/dev/null 2>&1; "$WINESERVER" -w; }

# --- the release files ------------------------------------------------------------------------
dist_args=("$build" "$WORK/dist")
setup_name=vellumar-$VERSION-setup.exe
zip_name=vellumar-$VERSION-win32.zip
if [ "$VELLUMAR_WINE_BITS" = 64 ]; then
    dist_args+=(--amd64)
    setup_name=vellumar-$VERSION-win64-setup.exe
    zip_name=vellumar-$VERSION-win64.zip
fi
"$src/packaging/dist.sh" "${dist_args[@]}" >"$WORK/dist.log" 2>&1 || { cat "$WORK/dist.log"; fail "dist.sh failed"; }
SETUP=$WORK/dist/$setup_name
ZIP=$WORK/dist/$zip_name
expect_file yes "$SETUP" "installer $setup_name written"
expect_file yes "$ZIP" "archive $zip_name written"

expect_eq "$(unzip -Z1 "$ZIP" 2>/dev/null | sort | tr '\n' ' ')" "LIESMICH.txt hypconv.exe vellumar.exe " \
    "files in the archive"
mkdir -p "$WORK/zip"
unzip -q "$ZIP" -d "$WORK/zip"
readme=$(iconv -f CP1252 -t UTF-8 "$WORK/zip/LIESMICH.txt")
expect_eq "$(head -1 <<<"$readme" | tr -d '\r')" "Vellumar $VERSION" "LIESMICH.txt names the version"
case $(file -b "$WORK/zip/LIESMICH.txt") in
    *"with CRLF line terminators"*) pass ;;
    *) fail "LIESMICH.txt has Windows line ends: $(file -b "$WORK/zip/LIESMICH.txt")" ;;
esac
grep -q "Konverter für die Eingabeaufforderung" <<<"$readme" && pass || fail "LIESMICH.txt is German Windows-1252 text"

# One version in the programs' version resources and the installer's.
for exe in "$WORK/zip/vellumar.exe" "$WORK/zip/hypconv.exe" "$SETUP"; do
    expect_eq "$(strings -el -n 3 "$exe" | grep -A1 -x ProductVersion | tail -1)" "$VERSION" \
        "ProductVersion of $(basename "$exe")"
done

# The viewer from the archive opens a real hypertext.
"$VELLUMAR_WINE" "$WORK/zip/vellumar.exe" "$(win_path "$HYP")" >/dev/null 2>&1 &
expect_eq "$(viewer_title)" "$TITLE" "the archive's viewer opens $HYP"
end_programs

# What is shipped is 32-bit whatever Wine runs here: the same script packs build/win32.
if [ "$build" != "$src/build/win32" ]; then
    "$src/packaging/dist.sh" "$src/build/win32" "$WORK/dist32" >"$WORK/dist32.log" 2>&1 ||
        { cat "$WORK/dist32.log"; fail "dist.sh failed on build/win32"; }
    for f in vellumar-$VERSION-setup.exe vellumar-$VERSION-win32.zip; do
        expect_file yes "$WORK/dist32/$f" "32-bit release file $f written"
    done
    case $(file -b "$WORK/dist32/vellumar-$VERSION-setup.exe") in
        "PE32 executable (GUI) Intel 80386"*) pass ;;
        *) fail "the shipped installer is a 32-bit program" ;;
    esac
    mkdir -p "$WORK/zip32"
    unzip -q "$WORK/dist32/vellumar-$VERSION-win32.zip" -d "$WORK/zip32"
    for exe in vellumar hypconv; do
        case $(file -b "$WORK/zip32/$exe.exe") in
            "PE32 executable"*"Intel 80386"*) pass ;;
            *) fail "the shipped $exe.exe is a 32-bit program: $(file -b "$WORK/zip32/$exe.exe")" ;;
        esac
    done
fi

# --- installer and uninstaller --------------------------------------------------------------
PROGRAM_DIR_WIN="$(wine_run cmd /c echo %ProgramFiles% | tr -d '\r')\\Vellumar"
PROGRAM_DIR=$(unix_path "$PROGRAM_DIR_WIN")
START_MENU=$(unix_path "$(wine_run cmd /c echo %ProgramData% | tr -d '\r')")/Microsoft/Windows/Start\ Menu/Programs
PROGID='HKCR\Vellumar.Hypertext'
UNINSTALL='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellumar'
SETTINGS='HKCU\Software\Ostwick\Vellumar\OptionsDiv'
OTHER_CLASS='HKLM\Software\Classes\Other.Hypertext'

install() {
    wine_run "$SETUP" /S "$@"
    expect_eq "$?" 0 "silent installation ($*) exit code"
    "$WINESERVER" -w
}
# The uninstaller runs from a copy of itself in the temporary folder; the wait covers the copy.
uninstall() {
    wine_run "$PROGRAM_DIR_WIN\\uninstall.exe" /S "$@"
    expect_eq "$?" 0 "silent uninstallation ($*) exit code"
    "$WINESERVER" -w
}
expect_removed() {
    local f
    for f in vellumar.exe hypconv.exe uninstall.exe; do
        expect_file no "$PROGRAM_DIR/$f" "$1: $f removed"
    done
    expect_file no "$PROGRAM_DIR" "$1: program folder removed"
    expect_file no "$START_MENU/Vellumar.lnk" "$1: Start-menu entry removed"
    expect_key no "$PROGID" "$1: file type removed"
    expect_key no "$UNINSTALL" "$1: Uninstall entry removed"
    value_exists 'HKCR\.hyp\OpenWithProgids' Vellumar.Hypertext && fail "$1: Open-with entry removed" || pass
}

# Round 1: .hyp is free.
wine_run reg add "$SETTINGS" /v StartUp /t REG_DWORD /d 1 /f >/dev/null
# Something of the user's in the program folder: it stays, and it is not Vellumar's size.
mkdir -p "$PROGRAM_DIR"
head -c 300000 /dev/zero >"$PROGRAM_DIR/notizen.txt"
install
for f in vellumar.exe hypconv.exe uninstall.exe; do
    expect_file yes "$PROGRAM_DIR/$f" "$f installed in $PROGRAM_DIR_WIN"
done
expect_file yes "$START_MENU/Vellumar.lnk" "Start-menu entry"
case $(file -b "$PROGRAM_DIR/vellumar.exe") in *"(GUI)"*) pass ;; *) fail "vellumar.exe is a GUI program" ;; esac
case $(file -b "$PROGRAM_DIR/hypconv.exe") in *"(console)"*) pass ;; *) fail "hypconv.exe is a console program" ;; esac
expect_eq "$(reg_value 'HKCR\.hyp' '')" Vellumar.Hypertext ".hyp belongs to Vellumar"
value_exists 'HKCR\.hyp\OpenWithProgids' Vellumar.Hypertext && pass || fail ".hyp lists Vellumar under Open with"
expect_eq "$(reg_value "$PROGID\\shell\\open\\command" '')" "\"$PROGRAM_DIR_WIN\\vellumar.exe\" \"%1\"" "open verb"
expect_eq "$(reg_value "$PROGID\\DefaultIcon" '')" "$PROGRAM_DIR_WIN\\vellumar.exe,0" "file type icon"
expect_eq "$(reg_value "$UNINSTALL" DisplayName)" Vellumar "Uninstall: name"
expect_eq "$(reg_value "$UNINSTALL" DisplayVersion)" "$VERSION" "Uninstall: version"
expect_eq "$(reg_value "$UNINSTALL" Publisher)" Ostwick "Uninstall: publisher"
expect_eq "$(reg_value "$UNINSTALL" UninstallString)" "\"$PROGRAM_DIR_WIN\\uninstall.exe\"" "Uninstall: command"
size=$(reg_value "$UNINSTALL" EstimatedSize)
kib=$(($(du -b -c "$PROGRAM_DIR"/*.exe | tail -1 | cut -f1) / 1024))
if [ -n "$size" ] && [ $((size - kib)) -ge -2 ] && [ $((size - kib)) -le 2 ]; then pass; else
    fail "Uninstall: size $((size)) KiB, the files hold $kib KiB"; fi

# A double click: ShellExecute finds the file type and starts the installed viewer on the file.
mkdir -p "$WORK/mit Leerzeichen"
cp "$HYP" "$WORK/mit Leerzeichen/gemma.hyp"
wine_run start /unix "$WORK/mit Leerzeichen/gemma.hyp"
expect_eq "$(viewer_title)" "$TITLE" "start on a .hyp file opens the viewer on it"
# Wine shows a program's Windows command line as its process's command line.
running=$(for f in /proc/[0-9]*/cmdline; do tr '\0' ' ' 2>/dev/null <"$f"; echo; done | grep -a 'vellumar\.exe')
grep -qF "$PROGRAM_DIR_WIN\\vellumar.exe" <<<"$running" && pass || fail "the installed viewer runs: $running"
end_programs

info=$(wine_run "$PROGRAM_DIR_WIN\\hypconv.exe" --info "$(win_path "$HYP")" | tr -d '\r')
grep -qxF "@database   	$DATABASE" <<<"$info" && pass || fail "installed hypconv --info: $info"

uninstall
expect_file yes "$PROGRAM_DIR/notizen.txt" "uninstall keeps the user's file in the program folder"
rm -rf "$PROGRAM_DIR"
expect_removed "uninstall"
expect_key no 'HKCR\.hyp' "uninstall: .hyp removed (it was free before)"
expect_eq "$(reg_value "$SETTINGS" StartUp)" 0x1 "uninstall keeps the settings"

# Round 2: another program owns .hyp; its file type holds no more than a description (its verbs
# may be elsewhere, e.g. under the user's own classes).
wine_run reg add 'HKLM\Software\Classes\.hyp' /ve /d Other.Hypertext /f >/dev/null
wine_run reg add "$OTHER_CLASS" /ve /d 'Anderer Hypertext' /f >/dev/null
install
expect_eq "$(reg_value 'HKCR\.hyp' '')" Other.Hypertext "the other owner keeps .hyp"
value_exists 'HKCR\.hyp\OpenWithProgids' Vellumar.Hypertext && pass || fail "Vellumar is under Open with"
uninstall
expect_removed "uninstall beside another owner"
expect_eq "$(reg_value 'HKCR\.hyp' '')" Other.Hypertext "the other owner keeps .hyp after uninstall"

# Round 3: the user makes Vellumar the default; the uninstaller gives .hyp back and, when asked,
# removes the settings.
install /HYPSTANDARD
expect_eq "$(reg_value 'HKCR\.hyp' '')" Vellumar.Hypertext "/HYPSTANDARD takes .hyp"
uninstall /REMOVESETTINGS
expect_removed "uninstall after /HYPSTANDARD"
expect_eq "$(reg_value 'HKCR\.hyp' '')" Other.Hypertext ".hyp given back to its previous owner"
expect_key no 'HKCU\Software\Ostwick' "/REMOVESETTINGS removes the settings"

# Round 4: .hyp names a file type that is gone: nobody owns it.
wine_run reg delete "$OTHER_CLASS" /f >/dev/null
install
expect_eq "$(reg_value 'HKCR\.hyp' '')" Vellumar.Hypertext "a stale owner does not keep .hyp"
uninstall
expect_removed "uninstall after a stale owner"

summary
