#!/usr/bin/env python3
"""Runs each script benchmark (name.kvj with the script runner, name.lua with
lua5.4) and compares them.

  compare.py <script_runner> [--runs N]   median wall times, ratio script/Lua
  compare.py <script_runner> --check      each pair once: result lines must match
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
NAMES = ["fib", "loops", "strings", "arrays", "properties", "methods", "closures", "array_methods"]


def run_script(runner, name, out):
    start = time.perf_counter()
    subprocess.run([runner, os.path.join(HERE, name + ".kvj"), out], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    elapsed = time.perf_counter() - start
    with open(os.path.join(out, "kvlog.txt"), encoding="utf-8", errors="replace") as f:
        lines = [l.rstrip("\r\n") for l in f]
    return elapsed, (lines[-1] if lines else "")


def run_lua(name):
    start = time.perf_counter()
    done = subprocess.run(["lua5.4", os.path.join(HERE, name + ".lua")], check=True,
                          capture_output=True, text=True)
    elapsed = time.perf_counter() - start
    return elapsed, done.stdout.strip()


def main():
    args = sys.argv[1:]
    if not args:
        print(__doc__)
        return 2
    runner = args[0]
    check = "--check" in args
    runs = int(args[args.index("--runs") + 1]) if "--runs" in args else 5
    failed = 0
    ratios = []
    with tempfile.TemporaryDirectory() as tmp:
        for name in NAMES:
            out = os.path.join(tmp, name)
            if check:
                _, mine = run_script(runner, name, out)
                _, lua = run_lua(name)
                if mine != lua:
                    print(f"{name}: script printed {mine!r}, Lua printed {lua!r}")
                    failed += 1
                else:
                    print(f"{name}: {mine}")
                continue
            mine = statistics.median(run_script(runner, name, out)[0] for _ in range(runs))
            lua = statistics.median(run_lua(name)[0] for _ in range(runs))
            ratios.append(mine / lua)
            print(f"{name:<11} script {mine:8.3f} s   lua {lua:8.3f} s   ratio {mine / lua:6.2f}")
    if not check:
        print(f"median ratio script/Lua: {statistics.median(ratios):.2f}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
