#!/usr/bin/env python3
"""Draws the program icon (a particle streaking across a dark disc) at 256, 128, 64 and 32 pixels,
or at the sizes given after the folder (the icon theme also wants 48)."""
import math
import struct
import sys
import zlib


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def pixel(x, y):
    # Coordinates in 0..1; 4x4 supersampling is done by the caller.
    cx, cy, r = 0.5, 0.5, 0.46
    d = math.hypot(x - cx, y - cy)
    if d > r:
        return (0, 0, 0, 0)
    # Dark red disc with a soft rim.
    shade = 1.0 - 0.35 * (d / r)
    color = [int(150 * shade), int(20 * shade), int(25 * shade)]
    # The streak: a bright wedge from the lower left to a head at the upper right.
    hx, hy = 0.68, 0.32
    t = ((x - 0.18) * (hx - 0.18) + (y - 0.82) * (hy - 0.82)) / ((hx - 0.18) ** 2 + (hy - 0.82) ** 2)
    if 0.0 <= t <= 1.0:
        px, py = 0.18 + t * (hx - 0.18), 0.82 + t * (hy - 0.82)
        width = 0.01 + 0.07 * t
        dist = math.hypot(x - px, y - py)
        if dist < width:
            glow = (1.0 - dist / width) * (0.35 + 0.65 * t)
            color = [min(255, int(c + (255 - c) * glow)) for c in color]
    if math.hypot(x - hx, y - hy) < 0.085:
        color = [255, 240, 200]
    return (*color, 255)


def render(size):
    rows = []
    for j in range(size):
        row = []
        for i in range(size):
            acc = [0, 0, 0, 0]
            for sj in range(4):
                for si in range(4):
                    p = pixel((i + (si + 0.5) / 4) / size, (j + (sj + 0.5) / 4) / size)
                    for k in range(4):
                        acc[k] += p[k] * (p[3] / 255 if k < 3 else 1)
            alpha = acc[3] / 16
            rgb = [int(acc[k] / 16 / (alpha / 255)) if alpha else 0 for k in range(3)]
            row += rgb + [int(alpha)]
        rows.append(row)
    return png(size, size, rows)


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    sizes = [int(size) for size in sys.argv[2:]] or [256, 128, 64, 32]
    for size in sizes:
        with open(f"{folder}/tachyon-{size}.png", "wb") as f:
            f.write(render(size))
