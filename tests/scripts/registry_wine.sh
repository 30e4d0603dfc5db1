#!/usr/bin/env bash
# The registry store under Wine: settings_wintest.exe saves and loads every key through the real
# registry calls, and Wine's own reg tool (and its registry file) read the values back: types,
# byte counts and contents.
#
# Runs in a Wine prefix of its own (made once per build folder), so no other Wine test can write
# the same keys meanwhile. Skipped (77) when Wine or the Windows build is missing.
set -uo pipefail

root=${VELLUMAR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
binary_dir=${VELLUMAR_BINARY_DIR:-$root/build/native}
export VELLUMAR_WINEPREFIX=${VELLUMAR_REGISTRY_WINEPREFIX:-$binary_dir/wineprefix-registry}
# shellcheck source=/dev/null
if ! source "$root/scripts/wine-env.sh"; then
    echo "registry_wine: Wine is not available; skipped"
    exit 77
fi
exe="$VELLUMAR_WINE_BUILD/tests/win32/settings_wintest.exe"
if [ ! -f "$exe" ]; then
    echo "registry_wine: $exe not built; skipped"
    exit 77
fi

ROOT_KEY='HKCU\Software\Ostwick\Vellumar'
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
run() { "$VELLUMAR_WINE" "$exe" "$@"; }
reg() { "$VELLUMAR_WINE" reg "$@" 2>/dev/null | tr -d '\r'; }
clear_store() {
    "$VELLUMAR_WINE" reg delete "$ROOT_KEY" /f >/dev/null 2>&1
    return 0
}

# Every stored value with its type and byte count, as the store promises them.
expected_layout() {
    cat <<'EOF'
OptionsDiv CatalogPlacement REG_BINARY 44
OptionsDiv DefHyp REG_SZ 512
OptionsDiv expmultispace REG_DWORD 4
OptionsDiv HypPath REG_SZ 512
OptionsDiv LastLoadIndex REG_DWORD 4
OptionsDiv LastLoadPath REG_SZ 512
OptionsDiv LastLoadZeile REG_DWORD 4
OptionsDiv LastSavePath REG_SZ 512
OptionsDiv Marken REG_BINARY 7128
OptionsDiv scale_bitmaps REG_DWORD 4
OptionsDiv StartUp REG_DWORD 4
OptionsDiv WindowPlacement REG_BINARY 44
OptionsOutput alllinks_stg REG_DWORD 4
OptionsOutput alllinks_txt REG_DWORD 4
OptionsOutput char_conv REG_DWORD 4
OptionsOutput forceindex REG_DWORD 4
OptionsOutput inlink REG_SZ 2
OptionsOutput linksel_visible REG_DWORD 4
OptionsOutput outlink REG_SZ 2
OptionsOutput p_left_margin REG_DWORD 4
OptionsOutput p_right_margin REG_DWORD 4
OptionsOutput p_top_margin REG_DWORD 4
OptionsFont FONT REG_BINARY 60
OptionsFont XFONT REG_BINARY 60
OptionsColor BCKCOLOR REG_DWORD 4
OptionsColor CUST_COL REG_BINARY 64
OptionsColor GTXTCOLOR REG_DWORD 4
OptionsColor POPCOLOR REG_DWORD 4
OptionsColor REFCOLOR_INTERNE_SEITE REG_DWORD 4
OptionsColor REFCOLOR_POPUP_NODE REG_DWORD 4
OptionsColor REFCOLOR_EXTERNE_REFERENZ REG_DWORD 4
OptionsColor REFCOLOR_SYSTEM_ARGUMENT REG_DWORD 4
OptionsColor REFCOLOR_REXX_SCRIPT REG_DWORD 4
OptionsColor REFCOLOR_REXX_KOMMANDO REG_DWORD 4
OptionsColor REFCOLOR_QUIT_EINTRAG REG_DWORD 4
OptionsColor TXTCOLOR REG_DWORD 4
EOF
}

# "name<TAB>type<TAB>data" for every value of a key, as reg query shows it.
query_key() {
    reg query "$ROOT_KEY\\$1" | awk '/^    / {
        sub(/^    /, ""); n = index($0, "    "); name = substr($0, 1, n - 1)
        rest = substr($0, n + 4); m = index(rest, "    ")
        if (m == 0) { type = rest; data = "" } else { type = substr(rest, 1, m - 1); data = substr(rest, m + 4) }
        printf "%s\t%s\t%s\n", name, type, data }'
}

# Characters of a REG_SZ value in Wine's registry file, its terminating NUL included (the file
# spells embedded NULs and backslashes as escapes and leaves the final NUL implicit).
stored_text_length() {
    local key=$1 name=$2
    awk -v section="[Software\\\\\\\\Ostwick\\\\\\\\Vellumar\\\\\\\\$key]" -v name="\"$name\"" '
        index($0, section) == 1 { inside = 1; next }
        /^\[/ { inside = 0 }
        inside && index($0, name "=\"") == 1 {
            s = substr($0, length(name) + 3); sub(/"$/, "", s)
            gsub(/\\\\/, "B", s); gsub(/\\0/, "Z", s); gsub(/\\"/, "Q", s)
            print length(s) + 1; exit }' "$WINEPREFIX/user.reg"
}

hex_to_text() { # hex bytes up to the first 00, as text
    local hex=$1 out="" i
    for ((i = 0; i < ${#hex}; i += 2)); do
        [ "${hex:i:2}" = 00 ] && break
        out+=$(printf "\\x${hex:i:2}")
    done
    printf '%s' "$out"
}

le_hex_to_number() { # 8 hex digits, little-endian, as reg query shows a REG_DWORD
    local h=$1
    printf '0x%x' "$((16#${h:6:2}${h:4:2}${h:2:2}${h:0:2}))"
}

# --- 1. An empty store loads the defaults and creates nothing ---------------------------------
clear_store
run defaults || fail "loading from an empty registry changed a default"
reg query "$ROOT_KEY" >/dev/null && fail "loading created the settings key"

# --- 2. Saving one key writes that key and nothing else --------------------------------------
clear_store
run save-one OptionsFont || fail "save-one OptionsFont"
keys=$(reg query "$ROOT_KEY" | grep -c '^HKEY_CURRENT_USER\\Software\\Ostwick\\Vellumar\\')
[ "$keys" = 1 ] || fail "saving the fonts created $keys keys"
for other in OptionsDiv OptionsOutput OptionsColor; do
    reg query "$ROOT_KEY\\$other" >/dev/null && fail "saving the fonts wrote $other"
done
font=$(query_key OptionsFont | awk -F'\t' '$1 == "FONT"')
[ "$(cut -f2 <<<"$font")" = REG_BINARY ] || fail "FONT type: $font"
font_hex=$(cut -f3 <<<"$font")
[ ${#font_hex} = 120 ] || fail "FONT holds $((${#font_hex} / 2)) bytes, not 60"
[ "${font_hex:0:8}" = F0FFFFFF ] || fail "FONT height is not -16: ${font_hex:0:8}"
[ "$(hex_to_text "${font_hex:56}")" = Arial ] || fail "FONT face is not Arial"

# --- 3. Every value, random through its whole buffer, comes back byte for byte ---------------
for seed in 1 2 3; do
    clear_store
    run roundtrip "$seed" || fail "round trip with seed $seed"
done

# --- 4. What was saved is what the registry holds ---------------------------------------------
clear_store
listing=$(run save-known | tr -d '\r') || fail "save-known"
"$WINESERVER" -w # the registry file is written when the server ends
[ "$(cut -f1,2,3,4 <<<"$listing" | tr '\t' ' ')" = "$(expected_layout)" ] ||
    fail "the saved values are not the expected keys, names, types and sizes"

declare -A shown
for key in OptionsDiv OptionsOutput OptionsFont OptionsColor; do
    count=0
    while IFS=$'\t' read -r name type data; do
        shown["$key/$name"]="$type"$'\t'"$data"
        count=$((count + 1))
    done < <(query_key "$key")
    expected_count=$(expected_layout | grep -c "^$key ")
    [ "$count" = "$expected_count" ] || fail "$key holds $count values, not $expected_count"
done

while read -r key name type size; do
    saved=$(awk -F'\t' -v k="$key" -v n="$name" '$1 == k && $2 == n { print $5 }' <<<"$listing")
    entry=${shown["$key/$name"]-}
    [ -n "$entry" ] || { fail "$key\\$name missing"; continue; }
    stored_type=${entry%%$'\t'*}
    data=${entry#*$'\t'}
    [ "$stored_type" = "$type" ] || fail "$key\\$name is $stored_type, not $type"
    case $type in
        REG_DWORD)
            [ "$data" = "$(le_hex_to_number "$saved")" ] || fail "$key\\$name = $data"
            ;;
        REG_BINARY)
            [ $((${#data} / 2)) = "$size" ] || fail "$key\\$name holds $((${#data} / 2)) bytes"
            [ "$data" = "$saved" ] || fail "$key\\$name differs from what was saved"
            ;;
        REG_SZ)
            [ "$data" = "$(hex_to_text "$saved")" ] || fail "$key\\$name = '$data'"
            length=$(stored_text_length "$key" "$name")
            [ "$length" = "$size" ] || fail "$key\\$name stored with ${length:-?} characters"
            ;;
    esac
done < <(expected_layout)

run check-known || fail "loading did not give back the saved values"
clear_store

if [ $failures -ne 0 ]; then
    echo "registry_wine: $failures failures"
    exit 1
fi
echo "registry_wine: all checks passed"
