#!/usr/bin/env python3
"""Makes the pictures and sounds of the sample games under examples/.

    tools/example_assets.py [examples-folder]

The files are small and committed; run this again after changing a drawing or a tune.
Pictures are PNG with black as the transparent colour; sounds are 16-bit mono WAVE at
44,100 Hz, and the arcade game's music is Ogg Vorbis (made with oggenc).
"""
import math
import os
import random
import struct
import subprocess
import sys
import tempfile
import wave
import zlib

RATE = 44100


def write_png(path, width, height, pixel):
    """pixel(x, y) answers (r, g, b); writes an 8-bit RGB PNG."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
        f.write(chunk(b"IEND", b""))


def sheet(frames, palette):
    """frames: lists of equal-sized text rows, side by side; palette: char -> colour."""
    h, w = len(frames[0]), len(frames[0][0])
    return w * len(frames), h, lambda x, y: palette[frames[x // w][y][x % w]]


SHIP = [
    ".......ww.......",
    ".......ww.......",
    "......wccw......",
    "......wccw......",
    ".....wwccww.....",
    ".....wwwwww.....",
    "....wwwwwwww....",
    "...bwwwwwwwwb...",
    "..bbwwwwwwwwbb..",
    ".bbbwwwwwwwwbbb.",
    "bbbbwwwwwwwwbbbb",
    "bbb.wwwwwwww.bbb",
    "bb...ww..ww...bb",
    "......r..r......",
    ".....ryr.ryr....",
    "......r..r......",
]
ENEMY_A = [
    "....g......g....",
    ".....g....g.....",
    "....gggggggg....",
    "...gg.gggg.gg...",
    "..gggggggggggg..",
    "..g.gggggggg.g..",
    "..g.g......g.g..",
    ".....gg..gg.....",
]
ENEMY_B = [
    "....g......g....",
    "..g..g....g..g..",
    "..g.gggggggg.g..",
    "..ggg.gggg.ggg..",
    "..gggggggggggg..",
    "...gggggggggg...",
    "....g......g....",
    "...g........g...",
]


def tall(rows):
    """Doubles every row, so an 8-row drawing fills a 16 × 16 frame."""
    return [r for r in rows for _ in (0, 1)]


def whiten(rows):
    return [r.replace("g", "w") for r in rows]


COLOURS = {".": (0, 0, 0), "w": (230, 230, 240), "c": (80, 200, 255), "b": (60, 110, 230),
           "r": (255, 90, 30), "y": (255, 230, 60), "g": (90, 230, 90)}


def pictures(folder):
    arcade, showcase = os.path.join(folder, "arcade"), os.path.join(folder, "showcase")
    # The ship: two frames whose exhaust flickers.
    flicker = [r.replace("y", "r") for r in SHIP]
    write_png(os.path.join(arcade, "ship.png"), *sheet([SHIP, flicker], COLOURS))
    # The enemy: a row of two wing beats, and a row of the same frames flashing white
    # for the moment it is hit.
    a, b = tall(ENEMY_A), tall(ENEMY_B)
    w, h, top = sheet([a, b], COLOURS)
    _, _, bottom = sheet([whiten(a), whiten(b)], COLOURS)
    write_png(os.path.join(arcade, "enemy.png"), w, h * 2,
              lambda x, y: top(x, y) if y < h else bottom(x, y - h))

    # The showcase's picture: a sunset of four bands behind a checked floor and a sun.
    def sunset(x, y):
        if (x - 22) ** 2 + (y - 28) ** 2 < 13 ** 2:
            return (255, 220, 80)
        if y >= 44:
            return (200, 60, 160) if (x // 8 + y // 4) % 2 else (60, 20, 90)
        t = y / 44
        return (int(250 - 120 * t), int(140 - 100 * t), int(40 + 140 * t))
    write_png(os.path.join(showcase, "sunset.png"), 64, 64, sunset)


def tone(seconds, voice):
    n = int(seconds * RATE)
    return [voice(i / RATE, i / n) for i in range(n)]


def write_wave(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", max(-32767, min(32767, int(s * 32767)))) for s in samples))


def square(f, t):
    return 1.0 if (t * f) % 1.0 < 0.5 else -1.0


def sounds(folder):
    noise = random.Random(7)
    # A falling bleep for a shot, a noisy crunch for a hit, a rising chime for the
    # reaction game's point.
    write_wave(os.path.join(folder, "arcade", "shot.wav"),
               tone(0.12, lambda t, p: 0.35 * (1 - p) * square(1200 - 700 * p, t)))
    write_wave(os.path.join(folder, "arcade", "hit.wav"),
               tone(0.25, lambda t, p: 0.6 * (1 - p) ** 2 * (noise.uniform(-1, 1) * 0.7 + 0.3 * square(90, t))))
    write_wave(os.path.join(folder, "hello", "point.wav"),
               tone(0.2, lambda t, p: 0.5 * (1 - p) * math.sin(2 * math.pi * (660 + 440 * p) * t)))
    # Four bars of bass and arpeggio that loop without a seam.
    notes = [220.0, 261.63, 329.63, 261.63, 196.0, 246.94, 293.66, 246.94]
    beat = 0.25

    def music(t, _):
        step = int(t / beat) % len(notes)
        local = (t % beat) / beat
        bass = 0.25 * square(notes[(step // 4) * 4] / 2, t)
        lead = 0.2 * (1 - local) * math.sin(2 * math.pi * notes[step] * 2 * t)
        return bass * 0.6 + lead
    with tempfile.TemporaryDirectory() as tmp:
        raw = os.path.join(tmp, "music.wav")
        write_wave(raw, tone(beat * len(notes) * 2, music))
        subprocess.run(["oggenc", "-Q", "-q", "0", "-o", os.path.join(folder, "arcade", "music.ogg"), raw],
                       check=True)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "examples")
    for name in ("arcade", "showcase", "hello"):
        os.makedirs(os.path.join(folder, name), exist_ok=True)
    pictures(folder)
    sounds(folder)
    return 0


if __name__ == "__main__":
    sys.exit(main())
