#!/usr/bin/env bash
# Runs one libFuzzer target for a fixed time from its seed corpus; any finding fails the test.
# usage: run_fuzzer.sh BINARY NAME SECONDS WORKDIR
set -eu
bin=$1; name=$2; seconds=$3; work=$4
seeds="$work/$name/seeds"; corpus="$work/$name/corpus"; crashes="$work/$name/crashes"
rm -rf "$seeds" "$crashes"; mkdir -p "$seeds" "$corpus" "$crashes"
seeder="$VELLUMAR_SOURCE_DIR/fuzz/seeds_${name#fuzz_}.sh"
if [ -f "$seeder" ]; then bash "$seeder" "$seeds"; fi
echo "fuzzing $name for ${seconds}s with $(ls "$seeds" | wc -l) seeds"
"$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$crashes/" "$corpus" "$seeds" 2>&1 | tail -n 25
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ] || [ -n "$(ls -A "$crashes")" ]; then
  echo "FUZZ FINDING in $name: see $crashes"; exit 1
fi
