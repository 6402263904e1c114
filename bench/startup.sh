#!/usr/bin/env bash
# Start-up time: the median wall time of RUNS headless runs of examples/hello for one
# frame (start-up, the script up to its first frame, shut-down), beside two anchors
# run alternately with it: /bin/true (starting any process) and the script runner on
# the same main.kvj (the script system without the media layer).
# Usage: bench/startup.sh [build-folder] [runs]
set -eu
build=${1:-build-bench}
runs=${2:-10}
cd "$(dirname "$0")/.."
program=$(cd "$build/runtime/library" 2>/dev/null && pwd || true)/halvorine
runner=$(cd "$build/tests/scripts" 2>/dev/null && pwd || true)/script_runner
[ -x "$program" ] || { echo "start-up: no halvorine program in $build"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/game" "$work/runner"
cp -r examples/hello/. "$work/game/"

# Milliseconds of wall time of one run of the command.
wall() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2)}'; }

game=() truth=() script=()
for _ in $(seq "$runs"); do
  game+=("$(cd "$work/game" && HALVORINE_HEADLESS=1 HALVORINE_FRAMES=1 wall "$program")")
  truth+=("$(wall /bin/true)")
  [ -x "$runner" ] && script+=("$(wall "$runner" "$work/game/main.kvj" "$work/runner")")
done
echo "start-up of examples/hello, headless, one frame: median of $runs runs (wall time)"
echo "  halvorine:                $(median "${game[@]}") ms   (runs: $(printf '%s\n' "${game[@]}" | sort -n | tr '\n' ' '))"
echo "  /bin/true:                $(median "${truth[@]}") ms"
if [ ${#script[@]} -gt 0 ]; then
  echo "  script runner, same file: $(median "${script[@]}") ms"
fi
grep -q "starting a game-loop" "$work/game/kvlog.txt" || { echo "start-up: the game did not reach its loop"; exit 1; }
