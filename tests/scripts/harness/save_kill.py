#!/usr/bin/env python3
"""Kills a game that keeps saving its record, at random moments, many times over.

    save_kill.py <halvorine> <game-folder> <work-folder> [kills]

The game (tests/scripts/kill/save_record) logs at start what the save file holds
("start empty", "start N" for a whole record, "start torn ..." otherwise), then saves a
new record with one write, again and again. Each run is killed with SIGKILL at a random
moment once it has logged its start; the next start must read a whole record, never
an older one than the start before it read.
"""
import os
import random
import shutil
import signal
import subprocess
import sys
import time


def start_line(process):
    for raw in process.stdout:
        line = raw.decode("utf-8", "replace").rstrip("\n")
        if line.startswith("start"):
            return line
    return None


def main():
    program, game, work = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3]
    kills = int(sys.argv[4]) if len(sys.argv) > 4 else 30
    shutil.rmtree(work, ignore_errors=True)
    shutil.copytree(game, work)
    env = dict(os.environ, HALVORINE_HEADLESS="1", HALVORINE_FRAMES="100000")
    rng = random.Random(int(os.environ.get("HALVORINE_KILL_SEED", time.time_ns())))
    last = 0
    failures = []
    for run in range(kills + 1):
        process = subprocess.Popen([program], cwd=work, env=env, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL)
        line = start_line(process)
        if line is None:
            process.kill()
            process.wait()
            failures.append("run %d: no start line" % run)
            break
        if run == 0:
            if line != "start empty":
                failures.append("run 0: %r, expected a new file" % line)
        elif not line.startswith("start ") or not line[6:].isdigit():
            failures.append("run %d: %r" % (run, line))
        else:
            seen = int(line[6:])
            if seen < last:
                failures.append("run %d: record %d after %d" % (run, seen, last))
            last = seen
        if run == kills:
            process.kill()
        else:
            time.sleep(rng.uniform(0.0, 0.25))
            process.send_signal(signal.SIGKILL)
        process.wait()
    for f in failures:
        print(f)
    print("%d kills, last record read %d" % (kills, last))
    if last == 0:
        print("no record was ever read back")
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
