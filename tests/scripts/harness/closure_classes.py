#!/usr/bin/env python3
"""Closures constructed through once and dropped must not grow the run's memory.

    closure_classes.py <halvorine> <work-folder>

Every closure has a class number of its own for the instances `new` makes through it;
the slots of that class must go when the closure dies. The same game runs with 3,000
and with 300,000 such closures (3,000 a frame); the peak resident memory of the two
runs must lie within 5 MB. Both runs first touch the heap's areas with throw-away
objects, so that they differ only by what the closures leave behind.
"""
import os
import shutil
import subprocess
import sys

GAME = """var i, o, s = 0, keep;
for (i = 0; i < 200000; i++) { keep = {a: i, b: i}; }
function make(k) { return function (v) { this.v = v; this.k = k; }; }
for (i = 0; i < %d; i++) { var C = make(i); o = new C(i); s += o.k; if (i %% 3000 == 2999) wait; }
console.log("made " @ s);
"""
LIMIT_KB = 5 * 1024


def peak_kb(program, work, closures):
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    with open(os.path.join(work, "main.kvj"), "w") as f:
        f.write(GAME % closures)
    env = dict(os.environ, HALVORINE_HEADLESS="1", HALVORINE_FRAMES="110")
    process = subprocess.Popen([program], cwd=work, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    with open(os.path.join(work, "kvlog.txt"), encoding="utf-8", errors="replace") as f:
        made = [line for line in f if line.startswith("made ")]
    if process.returncode != 0 or not made:
        raise RuntimeError("the run of %d closures ended with status %d, %s" %
                           (closures, process.returncode, "no result" if not made else made[0].strip()))
    return usage.ru_maxrss


def main():
    program, work = os.path.abspath(sys.argv[1]), sys.argv[2]
    few = peak_kb(program, os.path.join(work, "few"), 3000)
    many = peak_kb(program, os.path.join(work, "many"), 300000)
    print("peak resident memory: %d KB with 3,000 closures, %d KB with 300,000" % (few, many))
    if many - few > LIMIT_KB:
        print("300,000 closures took %d KB more than 3,000" % (many - few))
        return 1
    shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
