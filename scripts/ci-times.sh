#!/usr/bin/env bash
# Times every stage of .ci/run, split into its build and test halves, on a clean clone
# of this checkout's HEAD pinned to a few cores (two by default, as CI may have).
#
#   scripts/ci-times.sh [cores]        e.g. scripts/ci-times.sh 0,1
#
# Each half's output goes to a log beside the clone; the figures are printed as they
# come and again as a table at the end. A failing half stops the run.
set -euo pipefail
cores=${1:-0,1}
src=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/ci-times.XXXXXX")
git clone -q "$src" "$work/clone"
cd "$work/clone"
echo "clean clone of $(git rev-parse --short HEAD) in $work/clone, cores $cores"

table=()
total_start=$(date +%s)
half() {
  local name=$1
  shift
  local start end
  start=$(date +%s)
  if ! taskset -c "$cores" "$@" >"$work/$name.log" 2>&1; then
    echo "$name failed; its output is in $work/$name.log"
    exit 1
  fi
  end=$(date +%s)
  local line
  line=$(printf '%-16s %4d:%02d' "$name" $(((end - start) / 60)) $(((end - start) % 60)))
  echo "$line"
  table+=("$line")
}

half deps make deps
half format-check make format-check
half build make build
half check make check
half asan-build make asan-build
half asan-check make asan-check
half tsan-build make tsan-build
half tsan-check make tsan-check
half gcstress-build make gcstress-build
half gcstress-check make gcstress-check

total_end=$(date +%s)
echo
printf '%s\n' "${table[@]}"
printf '%-16s %4d:%02d\n' total $(((total_end - total_start) / 60)) $(((total_end - total_start) % 60))
