#!/usr/bin/env python3
"""Stops a running game with SIGINT and then, in a second run, with SIGTERM.

    close_signals.py <halvorine> <game-folder> <work-folder> headless|window

The game (tests/scripts/kill/close_on_signal) saves its frame count and logs it every
frame. Each signal must close the game as closing its window does: the run ends within
two frames of the signal with status 0, its log ends "closing logfile.", and the save
file holds the last count the game logged. "window" runs on the display of the
environment (the test runs it under xvfb-run); "headless" runs without one.
"""
import os
import shutil
import signal
import struct
import subprocess
import sys

SIGNAL_AT = 20
# The frame read back from the pipe before the signal is sent may be one behind the
# frame the game is running when the signal lands.
FRAMES_AFTER = 2 + 1


def frame_of(line):
    return int(line[6:]) if line.startswith("frame ") and line[6:].isdigit() else None


def run(program, game, work, headless, sig):
    shutil.rmtree(work, ignore_errors=True)
    shutil.copytree(game, work)
    env = dict(os.environ)
    env.pop("HALVORINE_FRAMES", None)
    if headless:
        env["HALVORINE_HEADLESS"] = "1"
    else:
        env.pop("HALVORINE_HEADLESS", None)
    process = subprocess.Popen([program], cwd=work, env=env, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL)
    seen = None
    for raw in process.stdout:
        seen = frame_of(raw.decode("utf-8", "replace").rstrip("\n"))
        if seen is not None and seen >= SIGNAL_AT:
            break
    if seen is None or seen < SIGNAL_AT:
        process.kill()
        process.wait()
        return ["no frame %d logged" % SIGNAL_AT]
    process.send_signal(sig)
    last = seen
    try:
        rest, _ = process.communicate(timeout=20)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        return ["still running 20 s after the signal"]
    for line in rest.decode("utf-8", "replace").split("\n"):
        f = frame_of(line)
        if f is not None:
            last = f
    failures = []
    if process.returncode != 0:
        failures.append("exit status %d" % process.returncode)
    if last - seen > FRAMES_AFTER:
        failures.append("frame %d seen at the signal, the last was %d" % (seen, last))
    with open(os.path.join(work, "kvlog.txt"), encoding="utf-8", errors="replace") as f:
        log = f.read().split("\n")
    if "System: closing logfile." not in log[-3:]:
        failures.append("the log ends %r" % log[-3:])
    with open(os.path.join(work, "frames.sav"), "rb") as f:
        data = f.read()
    saved = struct.unpack("<i", data[256:260])[0] if len(data) >= 260 else None
    if saved != last:
        failures.append("the save file holds %r, the last frame logged was %d" % (saved, last))
    return failures


def main():
    program, game, work, mode = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
    failed = False
    for sig in (signal.SIGINT, signal.SIGTERM):
        name = signal.Signals(sig).name
        failures = run(program, game, os.path.join(work, name), mode == "headless", sig)
        for f in failures:
            print("%s %s: %s" % (mode, name, f))
        failed = failed or bool(failures)
    if not failed:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
