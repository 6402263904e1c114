#!/usr/bin/env bash
# Runs every built fuzz target for the given number of seconds, starting from its
# committed seeds. New inputs go to a scratch corpus, never into fuzz/corpus/.
set -euo pipefail
build=$1 seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
found=0
for t in "$build"/fuzz/fuzz_*; do
  [ -x "$t" ] || continue
  found=1
  name=$(basename "$t"); name=${name#fuzz_}
  work="$build/fuzz-work/$name"
  mkdir -p "$work"
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
  echo "== fuzz $name for ${seconds}s"
  "$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
       "$work" "${seeds[@]}" > "$build/fuzz-$name.log" 2>&1 || { tail -60 "$build/fuzz-$name.log"; exit 1; }
  grep -E 'stat::number_of_executed_units|Done' "$build/fuzz-$name.log" | tail -2
done
[ $found -eq 1 ] || echo "no fuzz targets built"
