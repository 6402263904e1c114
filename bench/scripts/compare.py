#!/usr/bin/env python3
"""Runs each script benchmark (name.kvj with the script runner, name.lua with
lua5.4) and compares them by processor time (user + system of the child), which
stays meaningful on a loaded machine where wall time does not. Each time is the
fastest of N runs, the programs alternated: on a shared machine another tenant
only ever adds time to a run, and one run in several slowed by a third moves the
median of the others as well.

  compare.py <script_runner> [--runs N]   fastest CPU times, ratio script/Lua
  compare.py <script_runner> --check      each pair once: result lines must match
  compare.py <script_runner> --program <halvorine> [--runs N]
                                          also the whole program, headless for
                                          one tick (-x1), and its ratio to the runner;
                                          also the fixed cost of each (an empty
                                          script, run beside every round) and the
                                          ratio of the two net of it

A benchmark shorter than 0.4 s gets more runs than N, so that each binary's
runs of it add up to about two seconds (at most 15 runs): the fastest of five runs of a
short program still moves by a few per cent, and net of the fixed costs by more.

The whole program against the runner is a ratio of two near-equal costs, so it takes
15 runs of each benchmark and the mean of the fastest half of them, not the fastest
one. On this kind of shared machine one binary's runs spread by 15 to 20 per cent with
nothing changed (where its pages land in memory, another tenant), and the fastest of a
few is a lucky draw now for one side, now for the other: it put one benchmark in
eighteen 6 to 11 per cent off in most runs, where the fastest half over 15 runs keeps
every one within about 2 per cent of its value over 30.

A benchmark that fails is reported and skipped; the others still run.
"""
import math
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ENOUGH_SECONDS = 2.0
MOST_RUNS = 15
# The twins written beside the interpreter's own work, and general programs of
# the classic kinds; each group gets its own median.
TWINS = ["fib", "loops", "strings", "arrays", "properties", "methods", "closures", "array_methods",
         "binarytrees"]
CLASSICS = ["sched", "solver", "lists", "bst", "sieve", "perms", "queens", "towers", "nbody"]
NAMES = TWINS + CLASSICS


def child_cpu():
    use = resource.getrusage(resource.RUSAGE_CHILDREN)
    return use.ru_utime + use.ru_stime


def fastest_half(times):
    times = sorted(times)
    half = times[:max(1, len(times) // 2)]
    return sum(half) / len(half)


def run_script(runner, name, out, folder=HERE):
    start = child_cpu()
    subprocess.run([runner, os.path.join(folder, name + ".kvj"), out], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    elapsed = child_cpu() - start
    with open(os.path.join(out, "kvlog.txt"), encoding="utf-8", errors="replace") as f:
        lines = [l.rstrip("\r\n") for l in f]
    return elapsed, (lines[-1] if lines else "")


def run_program(program, name, out, folder=HERE):
    os.makedirs(out, exist_ok=True)
    shutil.copy(os.path.join(folder, name + ".kvj"), out)
    env = dict(os.environ, HALVORINE_HEADLESS="1")
    start = child_cpu()
    subprocess.run([program, name + ".kvj", "-x1"], check=True, cwd=out, env=env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return child_cpu() - start


def run_lua(name):
    start = child_cpu()
    done = subprocess.run(["lua5.4", os.path.join(HERE, name + ".lua")], check=True,
                          capture_output=True, text=True)
    elapsed = child_cpu() - start
    return elapsed, done.stdout.strip()


def main():
    args = sys.argv[1:]
    if not args:
        print(__doc__)
        return 2
    runner = args[0]
    check = "--check" in args
    runs = int(args[args.index("--runs") + 1]) if "--runs" in args else 5
    program = os.path.abspath(args[args.index("--program") + 1]) if "--program" in args else None
    failed = 0
    ratios = {}
    with tempfile.TemporaryDirectory() as tmp:
        # Start and shut-down with nothing to run: the program starts its media layer
        # (window, sound, loading workers), the runner only the interpreter. Both run
        # once beside every round of a benchmark, and that benchmark's net ratio takes
        # the fastest half of those: start-up costs move with the machine's load as much as
        # the benchmarks do, so they are measured under the same load.
        if program and not check:
            with open(os.path.join(tmp, "empty.kvj"), "w", encoding="utf-8") as f:
                f.write('console.log("empty");\n')
        nets = {}
        for name in NAMES:
            out = os.path.join(tmp, name)
            try:
                if check:
                    _, mine = run_script(runner, name, out)
                    _, lua = run_lua(name)
                    if mine != lua:
                        print(f"{name}: script printed {mine!r}, Lua printed {lua!r}")
                        failed += 1
                    else:
                        print(f"{name}: {mine}")
                    continue
                # Alternate the two so that a change in machine load hits both alike.
                mine_runs, lua_runs, whole_runs, empty_runs = [], [], [], []
                wanted = runs
                while len(mine_runs) < wanted:
                    mine_runs.append(run_script(runner, name, out)[0])
                    lua_runs.append(run_lua(name)[0])
                    if program:
                        whole_runs.append(run_program(program, name, out + "-program"))
                        empty_runs.append((run_script(runner, "empty", os.path.join(tmp, "empty-out"), tmp)[0],
                                           run_program(program, "empty", os.path.join(tmp, "empty-program"), tmp)))
                    if len(mine_runs) == 1:
                        more = MOST_RUNS if program else math.ceil(ENOUGH_SECONDS / max(mine_runs[0], 1e-3))
                        wanted = max(runs, min(more, MOST_RUNS))
                mine = max(min(mine_runs), 1e-6)
                lua = max(min(lua_runs), 1e-6)
            except (OSError, subprocess.CalledProcessError) as error:
                print(f"{name}: failed ({error})")
                failed += 1
                continue
            ratios[name] = mine / lua
            line = (f"{name:<13} script {mine:8.3f} s CPU   lua {lua:8.3f} s CPU   ratio {mine / lua:6.2f}"
                    f"   ({len(mine_runs)} runs)")
            if program:
                whole = min(whole_runs)
                fixed_runner = fastest_half([e[0] for e in empty_runs])
                fixed_program = fastest_half([e[1] for e in empty_runs])
                nets[name] = (max(fastest_half(whole_runs) - fixed_program, 1e-6) /
                              max(fastest_half(mine_runs) - fixed_runner, 1e-6))
                line += (f"   program {whole:8.3f} s CPU ratio {whole / lua:6.2f} ({whole / mine:5.2f} of the runner,"
                         f" {nets[name]:6.3f} net of the fixed costs {fixed_runner * 1000:.0f} and"
                         f" {fixed_program * 1000:.0f} ms)")
            print(line, flush=True)
        if nets:
            print(f"whole program against the runner net of the fixed costs: median {statistics.median(nets.values()):.3f}"
                  f" (lowest {min(nets.values()):.3f}, highest {max(nets.values()):.3f})")
    if not check:
        for title, group in (("twins", TWINS), ("classic programs", CLASSICS)):
            mine = [ratios[n] for n in group if n in ratios]
            if mine:
                print(f"median ratio script/Lua, {title}: {statistics.median(mine):.2f} (highest {max(mine):.2f})")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
