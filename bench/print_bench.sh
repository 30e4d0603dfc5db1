#!/usr/bin/env bash
# Figures of printing and the page preview under Wine and Xvfb (not a test), on CUPS with the
# cups-pdf printer (set up as tests/scripts/print_wine.sh does; run that test once first):
# the time from Ctrl+P to the PDF complete for the longest page of tos-en.hyp, and from "Vor" to
# the next preview page painted.
#   bench/print_bench.sh [FILE.hyp [NODE]]   (default: tos-en.hyp and its longest page)
set -uo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
bin=${VELLUMAR_BINARY_DIR:-$src/build/native}
export VELLUMAR_NAVIGATION_WINEPREFIX=${VELLUMAR_PRINT_WINEPREFIX:-$bin/print-wineprefix}
. "$src/tests/scripts/lib/navigation_wine.bash"
file=${1:-$CORPUS/tos-en.hyp}
# The longest page: the node with the most unpacked bytes.
node=${2:-$("$bin/hypconv" --list "$file" | awk '$2 == 0 && $4 > max { max = $4; name = $0 }
    END { sub(/^ *[0-9]+ +[0-9]+ +[0-9]+ +[0-9]+ /, "", name); print name }')}
lpstat -r 2>/dev/null | grep -q "is running" && lpstat -d 2>/dev/null | grep -q PDF ||
    { echo "print_bench: no CUPS scheduler with the default printer PDF"; exit 1; }
out=$(awk '$1 == "Out" { $1 = ""; sub(/^ +/, ""); print }' /etc/cups/cups-pdf.conf)
home=$(getent passwd "$(id -un)" | cut -d: -f6)  # cups-pdf's, whatever $HOME says
pdf_dir=${out//'${HOME}'/${home:-$HOME}}
pdf_dir=${pdf_dir//'${USER}'/$(id -un)}
nav_setup || { echo "print_bench: Wine, Xvfb or the builds are missing"; exit 1; }
echo "$(wine_run --version) ($VELLUMAR_WINE_BITS-bit), $(basename "$file"), page \"$node\""

start_viewer "$(winpath "$file")" "$node"
for run in 1 2 3; do
    touch "$WORK/mark"
    sleep 1
    t0=$(date +%s%N)
    xdotool key ctrl+p
    probe wait-dialog "" 15000 >/dev/null || { echo "no print dialog"; break; }
    t1=$(date +%s%N)
    xdotool key Return
    pdf=
    queued=
    for _ in $(seq 1200); do
        # The viewer has sent the whole document once the job is in the queue.
        [ -z "$queued" ] && [ -n "$(lpstat -o PDF 2>/dev/null)" ] && queued=$(date +%s%N)
        f=$(find "$pdf_dir" -maxdepth 1 -name 'Vellumar*.pdf' -newer "$WORK/mark" | head -1)
        if [ -n "$f" ] && [ -z "$(lpstat -o PDF 2>/dev/null)" ]; then pdf=$f; break; fi
        sleep 0.05
    done
    t2=$(date +%s%N)
    [ -n "$pdf" ] || { echo "run $run: no PDF"; break; }
    echo "run $run: Ctrl+P to PDF complete $(( (t2 - t0) / 1000000 )) ms" \
        "(dialog shown after $(( (t1 - t0) / 1000000 )) ms; Return to the job queued" \
        "$(( (${queued:-$t2} - t1) / 1000000 )) ms, to PDF $(( (t2 - t1) / 1000000 )) ms)," \
        "$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }') printed pages"
    rm -f "$pdf"
done

xdotool key p
probe wait-dialog "Seitenvorschau" 10000 >/dev/null || { echo "no preview"; exit 1; }
sleep 1
for step in 1 2 3 4 5; do
    ms=$(probe preview-forward-timed) || break
    echo "\"Vor\" to preview page $((step + 1)) painted: $ms ms"
done
