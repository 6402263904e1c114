#!/usr/bin/env python3
"""Peak resident memory of the script runner on array_frames.kvj (10,000 frames
that each make and drop a 5,000-element array), against the 32 MB it must stay
under, beside the same runner on an empty program.

  peak_rss.py <script_runner>
"""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
LIMIT_MB = 32


def peak_mb(runner, source, out):
    child = subprocess.Popen([runner, source, out], stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    _, status, use = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        raise RuntimeError(f"{source}: exit status {child.returncode}")
    return use.ru_maxrss / 1024.0


def main():
    runner = sys.argv[1]
    with tempfile.TemporaryDirectory() as work:
        empty = os.path.join(work, "empty.kvj")
        with open(empty, "w", encoding="utf-8") as f:
            f.write('console.log("empty");\n')
        base = peak_mb(runner, empty, os.path.join(work, "empty"))
        out = os.path.join(work, "frames")
        peak = peak_mb(runner, os.path.join(HERE, "array_frames.kvj"), out)
        with open(os.path.join(out, "kvlog.txt"), encoding="utf-8", errors="replace") as f:
            last = [l.rstrip("\r\n") for l in f][-1:]
    done = last and last[0].startswith("rounds 10000 ")
    print(f"array loop, 10,000 frames of a 5,000-element array: peak RSS {peak:.1f} MB "
          f"(limit {LIMIT_MB} MB; empty program {base:.1f} MB)"
          + ("" if done else " -- the run did not finish"))
    return 0 if done and peak < LIMIT_MB else 1


if __name__ == "__main__":
    sys.exit(main())
