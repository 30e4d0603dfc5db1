#!/usr/bin/env bash
# Fills the seed folder of fuzz_ref: the REF files of the corpus and the synthetic ones of
# seedgen.
# usage: seeds_ref.sh SEEDDIR   (env: VELLUMAR_CORPUS_DIR, FUZZ_SEEDGEN)
set -eu
seeds=$1
mkdir -p "$seeds"
if [ -n "${VELLUMAR_CORPUS_DIR:-}" ] && [ -d "$VELLUMAR_CORPUS_DIR" ]; then
  find "$VELLUMAR_CORPUS_DIR" -maxdepth 1 -iname '*.ref' -size -100k -exec cp {} "$seeds/" \;
fi
if [ -n "${FUZZ_SEEDGEN:-}" ] && [ -x "$FUZZ_SEEDGEN" ]; then
  "$FUZZ_SEEDGEN" ref "$seeds"
fi
