#!/usr/bin/env bash
# Fills the seed folder of fuzz_ref: the REF files of the corpus and the synthetic ones of
# seedgen.
# usage: seeds_ref.sh SEEDDIR   (env: VELLUMAR_CORPUS_DIR, FUZZ_SEEDGEN)
set -eu
bash "$(dirname "$0")/corpus_seeds.sh" "$1" ref '*.ref' 100k
