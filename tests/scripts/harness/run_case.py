#!/usr/bin/env python3
"""Runs halvorine on a fresh copy of one case folder and compares what it left.

    run_case.py <halvorine> <case-folder> <work-folder>

A case folder holds the game's files and these expectation files (none is copied):
  game           a folder, relative to the case, whose files are copied in first (the
                 case then tests a game kept elsewhere, such as an example)
  args           the command-line arguments, one a line
  before         earlier runs, one a line: its arguments separated by blanks (their
                 results are not checked; e.g. "-m" writes the object file first)
  env            KEY=VALUE lines added to the environment
  make           shell commands, one a line, run in the work folder before the runs
                 (fixtures made at test time, e.g. by sox); a failing one fails the case.
                 $HALVORINE is the program under test, run headless there; $HALVORINE_SOURCE_DIR
                 the source tree (the language guide's examples are read from there)
  expect.status  the exit status (0 when absent)
  limits         "address-space MB": the run's virtual-memory limit (ulimit -v)
  timeout        seconds the run may take (20 when absent)
  expect.log     every line of kvlog.txt, in order
  expect.stdout  every line of standard output, in order
  expect.stderr  every line of standard error, in order
  expect.files   lines "exists NAME", "absent NAME", "prefix NAME HEXBYTES",
                 "at NAME OFFSET HEXBYTES", "size NAME BYTES"
  expect.frame   "size W H" and "pixel X Y R G B" lines on the dumped frame (frame.png);
                 "some X0 Y0 X1 Y1 R G B" / "none X0 Y0 X1 Y1 R G B": some pixel / no pixel
                 of that colour in the rectangle from (X0, Y0) up to but not including
                 (X1, Y1) (for text, whose glyph shapes depend on the face);
                 "compare MISSING TOLERANCE [SHARE]": the case runs again with
                 HALVORINE_MISSING=MISSING and no channel of the two frames differs by
                 more than TOLERANCE (with SHARE, at most SHARE % of the pixels differ by
                 more than 2); a collector-stress run leaves the second run out
  expect.sound   checks on the mixed sound (captured to capture.wav):
                 "format RATE CHANNELS";
                 "match FILE GAIN TOLERANCE [REPEATS]": the first non-silent run
                 equals FILE's samples x GAIN within TOLERANCE (a mono FILE in every
                 channel), REPEATS times back to back (1 when absent);
                 "sound FROM TO" / "silence FROM TO": every 10-ms block between those
                 seconds has / has not a non-zero sample; with a last word "onset" the
                 seconds count from the capture's first non-zero sample, so a slow
                 start-up does not move the window;
                 "rms FROM TO FILE GAIN PERCENT": the RMS over that span is FILE's
                 RMS x GAIN within PERCENT.
In expected lines, {date} stands for a date-and-time text, {n} for a whole number
and {argv0} for the program's path.

A case of several runs in one folder holds sub-folders run1, run2, ... instead of
the expectation files: the case's other files are copied once, then each run's
folder in turn adds its own game files (replacing those of the same name) and
gives that run's args, env and expectations, so a file one run writes is there
for the next.
"""
import os
import re
import resource
import shutil
import struct
import subprocess
import sys
import zlib

EXPECT_FILES = {"game", "args", "before", "env", "make", "limits", "timeout", "expect.status", "expect.log", "expect.stdout",
                "expect.stderr", "expect.files", "expect.frame", "expect.sound"}
# A collector-stress run (a collection at every allocation) runs cases far slower.
TIMEOUT = int(os.environ.get("HALVORINE_CASE_TIMEOUT", "20"))
STRESS = os.environ.get("HALVORINE_GC_STRESS", "0") not in ("", "0")
if STRESS:
    TIMEOUT = max(TIMEOUT, 600)


def read_lines(path):
    with open(path, "rb") as f:
        return f.read().decode("utf-8", "replace").split("\n")[:-1] if os.path.getsize(path) else []


def optional_lines(case, name):
    path = os.path.join(case, name)
    return read_lines(path) if os.path.exists(path) else None


def line_pattern(expected, argv0):
    parts = re.split(r"(\{date\}|\{n\}|\{argv0\})", expected)
    out = ""
    for p in parts:
        if p == "{date}":
            out += r"\d+/\d+/\d+ \d+:\d+:\d+"
        elif p == "{n}":
            out += r"-?\d+"
        elif p == "{argv0}":
            out += re.escape(argv0)
        else:
            out += re.escape(p)
    return re.compile(out + r"\Z")


def compare_lines(what, expected, actual, argv0):
    for i, want in enumerate(expected):
        if i >= len(actual):
            return f"{what}: line {i + 1} missing, expected: {want}"
        if not line_pattern(want, argv0).match(actual[i]):
            return f"{what}: line {i + 1} is\n  {actual[i]}\nexpected\n  {want}"
    if len(actual) > len(expected):
        return f"{what}: unexpected line {len(expected) + 1}: {actual[len(expected)]}"
    return None


def read_png(path):
    """Width, height and RGBA rows of an 8-bit RGB or RGBA PNG without interlace."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat, width, height, ctype = 8, b"", 0, 0, 0
    while pos < len(data):
        n, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + n]
        if kind == b"IHDR":
            width, height, depth, ctype = struct.unpack(">IIBB", body[:10])
            if depth != 8 or ctype not in (2, 6):
                raise ValueError("unsupported PNG kind")
        elif kind == b"IDAT":
            idat += body
        pos += 12 + n
    bpp = 4 if ctype == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev = [], bytearray(stride)
    for y in range(height):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - bpp] if x >= bpp else 0
            b = prev[x]
            c = prev[x - bpp] if x >= bpp else 0
            if f == 1:
                line[x] = (line[x] + a) & 255
            elif f == 2:
                line[x] = (line[x] + b) & 255
            elif f == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line))
        prev = line
    return width, height, bpp, rows


def check_files(work, lines):
    for line in lines:
        words = line.split()
        if not words:
            continue
        path = os.path.join(work, words[1])
        if words[0] == "exists" and not os.path.exists(path):
            return f"file {words[1]} does not exist"
        if words[0] == "absent" and os.path.exists(path):
            return f"file {words[1]} exists"
        if words[0] in ("prefix", "at", "size") and not os.path.exists(path):
            return f"file {words[1]} does not exist"
        if words[0] == "size" and os.path.getsize(path) != int(words[2]):
            return f"file {words[1]} is {os.path.getsize(path)} bytes, expected {words[2]}"
        if words[0] in ("prefix", "at"):
            offset = int(words[2]) if words[0] == "at" else 0
            want = bytes.fromhex(words[-1])
            with open(path, "rb") as f:
                f.seek(offset)
                got = f.read(len(want))
            if got != want:
                return f"file {words[1]} has {got.hex()} at {offset}, expected {want.hex()}"
    return None


def compare_frames(first, second, words):
    """Channel-by-channel comparison of two dumped frames for a "compare" line."""
    w1, h1, bpp1, rows1 = read_png(first)
    w2, h2, bpp2, rows2 = read_png(second)
    if (w1, h1) != (w2, h2):
        return f"compare: frames are {w1}x{h1} and {w2}x{h2}"
    tolerance = int(words[2])
    share = float(words[3]) if len(words) > 3 else None
    worst, worst_at, above = 0, None, 0
    for y in range(h1):
        r1, r2 = rows1[y], rows2[y]
        for x in range(w1):
            d = max(abs(r1[x * bpp1 + c] - r2[x * bpp2 + c]) for c in range(3))
            if d > 2:
                above += 1
            if d > worst:
                worst, worst_at = d, (x, y)
    if share is None and worst > tolerance or share is not None and worst > tolerance and \
            above * 100.0 > share * w1 * h1:
        x, y = worst_at
        return (f"compare with {words[1]} missing: ({x}, {y}) differs by {worst} "
                f"({tuple(rows1[y][x * bpp1:x * bpp1 + 3])} against {tuple(rows2[y][x * bpp2:x * bpp2 + 3])}), "
                f"{above} pixels by more than 2")
    return None


def check_frame(work, lines):
    path = os.path.join(work, "frame.png")
    if not os.path.exists(path):
        return "no frame was dumped"
    width, height, bpp, rows = read_png(path)
    for line in lines:
        words = line.split()
        if not words:
            continue
        if words[0] == "size" and (width, height) != (int(words[1]), int(words[2])):
            return f"frame is {width}x{height}, expected {words[1]}x{words[2]}"
        if words[0] == "pixel":
            x, y = int(words[1]), int(words[2])
            got = tuple(rows[y][x * bpp:x * bpp + 3])
            want = tuple(int(v) for v in words[3:6])
            if got != want:
                return f"pixel ({x}, {y}) is {got}, expected {want}"
        if words[0] in ("some", "none"):
            x0, y0, x1, y1 = (int(v) for v in words[1:5])
            want = bytes(int(v) for v in words[5:8])
            found = next(((x, y) for y in range(max(y0, 0), min(y1, height))
                          for x in range(max(x0, 0), min(x1, width))
                          if rows[y][x * bpp:x * bpp + 3] == want), None)
            if words[0] == "some" and found is None:
                return f"no pixel of {tuple(want)} in ({x0}, {y0})-({x1}, {y1})"
            if words[0] == "none" and found is not None:
                return f"pixel {found} is {tuple(want)}, expected none in ({x0}, {y0})-({x1}, {y1})"
    return None


def make_fixtures(case, work, program):
    """Runs the case's make lines in the work folder; answers the first failure or None."""
    env = dict(os.environ)
    env["HALVORINE"] = program
    env["HALVORINE_HEADLESS"] = "1"
    for line in optional_lines(case, "make") or []:
        if not line.strip():
            continue
        run = subprocess.run(line, shell=True, cwd=work, env=env, capture_output=True, timeout=TIMEOUT)
        if run.returncode != 0:
            return f"make: '{line}' failed with status {run.returncode}:\n" + run.stderr.decode("utf-8", "replace")
    return None


def limiter(lines):
    """A function that applies the case's resource limits in the child, or None."""
    limits = []
    for line in lines or []:
        words = line.split()
        if len(words) == 2 and words[0] == "address-space":
            size = int(words[1]) << 20
            limits.append((resource.RLIMIT_AS, (size, size)))
    if not limits:
        return None
    return lambda: [resource.setrlimit(kind, value) for kind, value in limits]


def read_wave(path):
    """(rate, channels, samples as a list of frames of ints) of a 16-bit PCM WAVE file."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError(f"{path} is not a WAVE file")
    at, rate, channels, bits = 12, 0, 0, 0
    while at + 8 <= len(data):
        cid, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        body = data[at + 8:at + 8 + size]
        if cid == b"fmt ":
            _, channels, rate = struct.unpack("<HHI", body[:8])
            bits = struct.unpack("<H", body[14:16])[0]
        elif cid == b"data":
            if bits != 16 or channels == 0:
                raise ValueError(f"{path} is not 16-bit PCM")
            count = len(body) // 2 // channels
            values = struct.unpack(f"<{count * channels}h", body[:count * channels * 2])
            return rate, channels, [values[i * channels:(i + 1) * channels] for i in range(count)]
        at += 8 + size + (size & 1)
    raise ValueError(f"{path} has no data")


def check_sound_lines(capture, folder, lines):
    """Checks expect.sound lines on a capture file; FILE names are relative to folder."""
    rate, channels, frames = read_wave(capture)
    block = max(1, rate // 100)

    onset = next((i for i, fr in enumerate(frames) if any(fr)), 0)

    def span(words):
        base = onset if words[-1] == "onset" else 0
        return base + int(float(words[1]) * rate), base + int(float(words[2]) * rate)

    for line in lines:
        words = line.split()
        if not words:
            continue
        if words[0] == "format" and (rate, channels) != (int(words[1]), int(words[2])):
            return f"sound is {rate} Hz {channels} channels, expected {words[1]} Hz {words[2]}"
        if words[0] in ("sound", "silence"):
            start, end = span(words)
            for b in range(start, min(end, len(frames)), block):
                loud = any(v != 0 for fr in frames[b:min(b + block, end)] for v in fr)
                if loud != (words[0] == "sound"):
                    return f"sound: the 10-ms block at {b / rate:.2f} s is {'not ' if not loud else ''}silent"
            if end > len(frames) and words[0] == "sound":
                return f"sound: the capture ends at {len(frames) / rate:.2f} s"
        if words[0] == "match":
            _, _, source = read_wave(os.path.join(folder, words[1]))
            gain, tolerance = float(words[2]), float(words[3])
            repeats = int(words[4]) if len(words) > 4 else 1
            first = next((i for i, fr in enumerate(frames) if any(fr)), None)
            if first is None:
                return "match: the capture is silent"
            first -= next((i for i, fr in enumerate(source) if any(fr)), 0)  # the source's own lead
            for r in range(repeats):
                for i, want in enumerate(source):
                    at = first + r * len(source) + i
                    if at >= len(frames):
                        return f"match: the capture ends in repeat {r + 1} at sample {i}"
                    for c in range(channels):
                        expected = want[c if len(want) > 1 else 0] * gain
                        if abs(frames[at][c] - expected) > tolerance + 0.5:
                            return (f"match: repeat {r + 1} sample {i} channel {c} is {frames[at][c]}, "
                                    f"expected {expected:.1f}")
        if words[0] == "rms":
            start, end = span(words)
            _, _, source = read_wave(os.path.join(folder, words[3]))
            gain, percent = float(words[4]), float(words[5])
            got = frames[start:end]
            if not got or not source:
                return "rms: empty span"
            rms = (sum(v * v for fr in got for v in fr) / (len(got) * channels)) ** 0.5
            want = (sum(v * v for fr in source for v in fr) / sum(len(fr) for fr in source)) ** 0.5 * gain
            if abs(rms - want) > want * percent / 100:
                return f"rms: {rms:.1f}, expected {want:.1f} within {percent}%"
    return None


def run_folders(case):
    """The run folders of a several-run case in order, or [case] for a single run."""
    runs = [d for d in os.listdir(case) if re.fullmatch(r"run\d+", d) and os.path.isdir(os.path.join(case, d))]
    runs.sort(key=lambda d: int(d[3:]))
    return [os.path.join(case, d) for d in runs] or [case]


def copy_game_files(spec, work):
    for name in os.listdir(spec):
        src = os.path.join(spec, name)
        if name in EXPECT_FILES or re.fullmatch(r"run\d+", name):
            continue
        if os.path.isdir(src):
            shutil.copytree(src, os.path.join(work, name), dirs_exist_ok=True)
        else:
            shutil.copy2(src, os.path.join(work, name))


def run_once(program, spec, work):
    """Runs halvorine as the folder `spec` says; answers the failures and the output."""
    args = optional_lines(spec, "args") or []
    env = dict(os.environ)
    env["HALVORINE_HEADLESS"] = "1"
    env.pop("HALVORINE_MISSING", None)
    sound = optional_lines(spec, "expect.sound")
    if sound is not None:
        env["HALVORINE_AUDIO_CAPTURE"] = os.path.join(work, "capture.wav")
    if STRESS:
        # A collection at every allocation can keep a game from its first frame for
        # longer than the window's minute without one; the run's own limit holds.
        env["HALVORINE_NO_FRAME_SECONDS"] = str(TIMEOUT)
    for line in optional_lines(spec, "env") or []:
        if "=" in line:
            key, value = line.split("=", 1)
            env[key] = value.replace("{work}", work)
    if os.environ.get("HALVORINE_COMPARE_RUN"):
        env["HALVORINE_MISSING"] = os.environ["HALVORINE_COMPARE_RUN"]
        env.pop("HALVORINE_COMPARE_RUN", None)
    for line in optional_lines(spec, "before") or []:
        subprocess.run([program] + line.split(), cwd=work, env=env, capture_output=True, timeout=TIMEOUT)
    # A case's own limit, or the build's when that is longer.
    timeout = max(int((optional_lines(spec, "timeout") or ["0"])[0]), TIMEOUT)
    try:
        run = subprocess.run([program] + args, cwd=work, env=env, capture_output=True, timeout=timeout,
                             preexec_fn=limiter(optional_lines(spec, "limits")))
    except subprocess.TimeoutExpired:
        return [f"halvorine did not end within {timeout} s"], ""
    stdout = run.stdout.decode("utf-8", "replace").split("\n")[:-1]
    failures = []
    status = int((optional_lines(spec, "expect.status") or ["0"])[0])
    if run.returncode != status:
        failures.append(f"exit status {run.returncode}, expected {status}")
    expected_log = optional_lines(spec, "expect.log")
    if expected_log is not None:
        positional = [a for a in args if not a.startswith("-")]
        log_path = os.path.join(work, positional[1] if len(positional) > 1 else "kvlog.txt")
        actual = read_lines(log_path) if os.path.exists(log_path) else []
        failures.append(compare_lines("kvlog", expected_log, actual, program))
    expected_out = optional_lines(spec, "expect.stdout")
    if expected_out is not None:
        failures.append(compare_lines("stdout", expected_out, stdout, program))
    expected_err = optional_lines(spec, "expect.stderr")
    if expected_err is not None:
        stderr = run.stderr.decode("utf-8", "replace").split("\n")[:-1]
        failures.append(compare_lines("stderr", expected_err, stderr, program))
    files = optional_lines(spec, "expect.files")
    if files is not None:
        failures.append(check_files(work, files))
    frame = optional_lines(spec, "expect.frame")
    if frame is not None:
        failures.append(check_frame(work, frame))
        for line in frame:
            words = line.split()
            # Under collector stress the renderers' agreement is left to the ordinary
            # run: the stress run checks the collector, three times slower for nothing.
            if (words and words[0] == "compare" and not any(failures) and not STRESS
                    and not os.environ.get("HALVORINE_COMPARE_RUN")):
                failures.append(compare_run(program, spec, work, words))
    if sound is not None:
        failures.append(check_sound_lines(os.path.join(work, "capture.wav"), work, sound))
    output = run.stdout.decode("utf-8", "replace")
    output += "\n--- standard error ---\n" + run.stderr.decode("utf-8", "replace")
    return [f for f in failures if f], output


def compare_run(program, spec, work, words):
    """Runs the case again in a sibling folder with HALVORINE_MISSING=words[1] and compares
    the frames."""
    other = work.rstrip("/") + "-compare"
    shutil.rmtree(other, ignore_errors=True)
    os.makedirs(other)
    copy_game_files(spec, other)
    failure = make_fixtures(spec, other, program)
    if failure:
        return failure
    saved = dict(os.environ)
    os.environ["HALVORINE_COMPARE_RUN"] = words[1]
    try:
        failures, output = run_once(program, spec, other)
    finally:
        os.environ.clear()
        os.environ.update(saved)
    # The second run's own pixel lines hold the first renderer's values; only the frame counts.
    path = os.path.join(other, "frame.png")
    if not os.path.exists(path):
        return f"compare: the run with {words[1]} missing dumped no frame"
    return compare_frames(os.path.join(work, "frame.png"), path, words)


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "--check-sound":
        # run_case.py --check-sound CAPTURE FOLDER EXPECT: the sound checks alone.
        failure = check_sound_lines(sys.argv[2], sys.argv[3], read_lines(sys.argv[4]))
        if failure:
            print(failure)
        return 1 if failure else 0
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    program, case, work = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    game = optional_lines(case, "game")
    if game:
        copy_game_files(os.path.join(case, game[0]), work)
    copy_game_files(case, work)
    failure = make_fixtures(case, work, program)
    if failure:
        print(failure)
        return 1
    for spec in run_folders(case):
        if spec != case:
            copy_game_files(spec, work)
        failures, output = run_once(program, spec, work)
        if failures:
            if spec != case:
                print(f"in {os.path.basename(spec)}:")
            print("\n".join(failures))
            print("--- standard output ---")
            print(output)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
