#!/usr/bin/env bash
# Fills the seed folder of fuzz_open: the smaller real hypertexts of the corpus (large ones slow
# every run down) and the synthetic files of seedgen.
# usage: seeds_open.sh SEEDDIR   (env: VELLUMAR_CORPUS_DIR, FUZZ_SEEDGEN)
set -eu
seeds=$1
mkdir -p "$seeds"
if [ -n "${VELLUMAR_CORPUS_DIR:-}" ] && [ -d "$VELLUMAR_CORPUS_DIR" ]; then
  find "$VELLUMAR_CORPUS_DIR" -maxdepth 1 -iname '*.hyp' -size -70k -exec cp {} "$seeds/" \;
fi
if [ -n "${FUZZ_SEEDGEN:-}" ] && [ -x "$FUZZ_SEEDGEN" ]; then
  "$FUZZ_SEEDGEN" open "$seeds"
fi
