#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a bounded time (seconds, default 30) from its seed
# corpus in fuzz/corpus/. New inputs go to a scratch folder, never into the repository; a crash
# leaves its input in build/fuzz/crashes/ and fails the run (add it to the seeds as a regression case).
# Paths are absolute: the ledger target's whole run changes to the program's folder, as the program does.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

mkdir -p build/fuzz/crashes
for target in textreader profile ledger pathrules; do
  scratch="$(mktemp -d)"
  mkdir -p "$scratch/corpus" "$scratch/tmp"
  echo "-- ${target}_fuzz for ${seconds} s"
  if ! TMPDIR="$scratch/tmp" build/fuzz/fuzz/${target}_fuzz -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$PWD/build/fuzz/crashes/${target}-" \
       "$scratch/corpus" "$PWD/fuzz/corpus/$target" 2>build/fuzz/${target}.log; then
    tail -n 40 build/fuzz/${target}.log
    rm -rf "$scratch"
    exit 1
  fi
  grep -E '^stat::number_of_executed_units|^Done' build/fuzz/${target}.log || true
  rm -rf "$scratch"
done
