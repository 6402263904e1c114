#!/usr/bin/env bash
# Runs every built fuzz target for the given number of seconds, starting from its
# committed seeds and those the build made (the shader decoders' assembled test
# shaders, in <build>/fuzz/seeds/<name>). New inputs go to a scratch corpus, never
# into fuzz/corpus/ or the build's seeds.
# A failing target does not stop the others; every failure is reported at the
# end and the script then exits with status 1.
set -uo pipefail
build=$1 seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
found=0
failed=()
for t in "$build"/fuzz/fuzz_*; do
  [ -x "$t" ] || continue
  found=1
  name=$(basename "$t"); name=${name#fuzz_}
  work="$build/fuzz-work/$name"
  mkdir -p "$work"
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
  [ -d "$build/fuzz/seeds/$name" ] && seeds+=("$build/fuzz/seeds/$name")
  echo "== fuzz $name for ${seconds}s"
  LSAN_OPTIONS=suppressions=$root/tests/platform/win/display/lsan.supp \
  "$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
       "$work" "${seeds[@]}" > "$build/fuzz-$name.log" 2>&1
  status=$?
  if [ $status -ne 0 ]; then
    tail -60 "$build/fuzz-$name.log"
    failed+=("$name (status $status, log $build/fuzz-$name.log)")
    continue
  fi
  grep -E 'stat::number_of_executed_units|Done' "$build/fuzz-$name.log" | tail -2
done
[ $found -eq 1 ] || echo "no fuzz targets built"
if [ ${#failed[@]} -gt 0 ]; then
  echo "== ${#failed[@]} fuzz target(s) failed:"
  printf '   %s\n' "${failed[@]}"
  exit 1
fi
