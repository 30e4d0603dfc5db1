#!/usr/bin/env bash
# Seeds for fuzz_stg_html: the same options byte and page bytes as the page walk target, whose
# seed script writes them (synthetic pages of every element, and real pages of the corpus).
# usage: seeds_stg_html.sh SEEDDIR
set -eu
bash "$(dirname "$0")/seeds_page_walk.sh" "$1"
