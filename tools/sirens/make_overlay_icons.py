#!/usr/bin/env python3
"""Draws the two picture overlays radar.png (monitoring on) and timer.png (delayed start pending).

Both are 64 x 64 RGB pictures on a pure black background: the program draws them with black as the
transparent colour, so only the bright glyph shows over the camera picture. Edges are smoothed by
4 x 4 supersampling. Written with the standard library only (zlib, struct); deterministic output.

Usage: make_overlay_icons.py [output folder]   (default: the data/ folder of the source tree)
"""

import math
import os
import struct
import sys
import zlib

SIZE = 64
SUB = 4  # supersamples per pixel side


def write_png(path, rows):
    """rows: SIZE lists of SIZE (r, g, b) tuples."""
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 2, 0, 0, 0)  # 8-bit RGB
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", header))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def render(shade):
    """shade(x, y) -> (r, g, b) floats 0..255 at a point in pixel coordinates; averaged per pixel."""
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            acc = [0.0, 0.0, 0.0]
            for sy in range(SUB):
                for sx in range(SUB):
                    c = shade(px + (sx + 0.5) / SUB, py + (sy + 0.5) / SUB)
                    for k in range(3):
                        acc[k] += c[k]
            n = SUB * SUB
            row.append(tuple(min(255, int(round(a / n))) for a in acc))
        rows.append(row)
    return rows


def over(base, colour, alpha):
    return tuple(b * (1 - alpha) + c * alpha for b, c in zip(base, colour))


def near_segment(x, y, ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy)) <= half_width


def clock_angle(x, y, cx, cy):
    """Angle in degrees clockwise from 12 o'clock."""
    return math.degrees(math.atan2(x - cx, cy - y)) % 360


BLACK = (0.0, 0.0, 0.0)


def radar(x, y):
    cx = cy = 32.0
    r = math.hypot(x - cx, y - cy)
    c = BLACK
    if r > 30.5:
        return c
    # The sweep: a bright edge at 45 degrees with a fading trail of 100 degrees behind it.
    lag = (45.0 - clock_angle(x, y, cx, cy)) % 360
    if lag < 100:
        c = over(c, (0, 255, 90), 0.75 * (1 - lag / 100) ** 1.6)
    ring_green = (40, 230, 90)
    for radius in (10.0, 20.0, 29.5):
        if abs(r - radius) <= 0.8:
            c = over(c, ring_green, 1.0)
    if abs(x - cx) <= 0.5 or abs(y - cy) <= 0.5:
        c = over(c, ring_green, 0.8)
    if lag < 1.6 or lag > 358.4:
        c = over(c, (200, 255, 200), 1.0)
    for bx, by in ((43.0, 25.0), (22.0, 40.0)):
        if math.hypot(x - bx, y - by) <= 2.4:
            c = over(c, (255, 240, 60), 1.0)
    return c


def timer(x, y):
    cx, cy = 32.0, 35.5
    r = math.hypot(x - cx, y - cy)
    angle = clock_angle(x, y, cx, cy)
    orange = (255, 150, 20)
    c = BLACK
    # Crown and the side button of the stopwatch.
    if 28.5 <= x <= 35.5 and 3.0 <= y <= 7.5:
        c = orange
    if 30.5 <= x <= 33.5 and 7.5 <= y <= 10.5:
        c = orange
    if near_segment(x, y, 48.0, 13.5, 51.5, 10.0, 2.2):
        c = orange
    if r <= 22.5:
        # Elapsed part of the dial: 12 to 4 o'clock.
        if angle <= 120 and r <= 18.5:
            c = over(c, (0, 190, 255), 0.85)
        for k in range(12):
            a = math.radians(k * 30)
            inner = 15.0 if k % 3 == 0 else 17.0
            if near_segment(x, y, cx + inner * math.sin(a), cy - inner * math.cos(a),
                            cx + 19.5 * math.sin(a), cy - 19.5 * math.cos(a), 0.9):
                c = (255, 255, 255)
        hand = math.radians(120)
        if near_segment(x, y, cx, cy, cx + 16 * math.sin(hand), cy - 16 * math.cos(hand), 1.2):
            c = (255, 60, 60)
        if r <= 2.6:
            c = (255, 255, 255)
    if 22.5 < r <= 27.0:
        c = orange
    return c


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "data")
    for name, shade in (("radar.png", radar), ("timer.png", timer)):
        path = os.path.join(folder, name)
        write_png(path, render(shade))
        print(os.path.normpath(path))


if __name__ == "__main__":
    main()
