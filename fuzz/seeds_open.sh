#!/usr/bin/env bash
# Fills the seed folder of fuzz_open: the smaller real hypertexts of the corpus (large ones slow
# every run down) and the synthetic files of seedgen.
# usage: seeds_open.sh SEEDDIR   (env: VELLUMAR_CORPUS_DIR, FUZZ_SEEDGEN)
set -eu
bash "$(dirname "$0")/corpus_seeds.sh" "$1" open '*.hyp' 70k
