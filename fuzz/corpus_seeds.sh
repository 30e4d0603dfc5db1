#!/usr/bin/env bash
# Fills a seed folder with the corpus files of one kind that are small enough (large ones slow
# every run down) and the synthetic files seedgen makes for the target.
# usage: corpus_seeds.sh SEEDDIR TARGET PATTERN MAXSIZE   (env: VELLUMAR_CORPUS_DIR, FUZZ_SEEDGEN)
#   e.g. corpus_seeds.sh seeds open '*.hyp' 70k
set -eu
seeds=$1 target=$2 pattern=$3 max_size=$4
mkdir -p "$seeds"
if [ -n "${VELLUMAR_CORPUS_DIR:-}" ] && [ -d "$VELLUMAR_CORPUS_DIR" ]; then
  find "$VELLUMAR_CORPUS_DIR" -maxdepth 1 -iname "$pattern" -size "-$max_size" -exec cp {} "$seeds/" \;
fi
if [ -n "${FUZZ_SEEDGEN:-}" ] && [ -x "$FUZZ_SEEDGEN" ]; then
  "$FUZZ_SEEDGEN" "$target" "$seeds"
fi
