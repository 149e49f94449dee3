#!/usr/bin/env python3
"""Draws the built-in sample logo "SampleLogo500": a 500 x 250 mark with transparency.

A dark translucent rounded plate holding a white ring with a cropping corner through it
and three bars. Pure Python (zlib only), 4 x 4 supersampled edges, so anyone can
regenerate the PNG byte for byte:

    scripts/make-sample-logo.py src/decorations/resources/SampleLogo500.png
"""
import math
import struct
import sys
import zlib

W, H, SS = 500, 250, 4


def rounded_rect(x, y, x0, y0, x1, y1, r):
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and x0 <= x <= x1 and y0 <= y <= y1


def plate(x, y):
    return rounded_rect(x, y, 6, 6, W - 6, H - 6, 40)


def ring(x, y):
    d = math.hypot(x - 125, y - 125)
    return 62 <= d <= 86


def corner(x, y):
    # An L-shaped crop corner laid over the ring.
    return (60 <= x <= 180 and 170 <= y <= 186) or (164 <= x <= 180 and 70 <= y <= 186)


def bars(x, y):
    rows = ((70, 430), (117, 390), (164, 350))
    return any(240 <= x <= x1 and y0 <= y <= y0 + 18 for y0, x1 in rows)


def pixel(px, py):
    plate_n = white_n = 0
    for sy in range(SS):
        for sx in range(SS):
            x = px + (sx + 0.5) / SS
            y = py + (sy + 0.5) / SS
            if plate(x, y):
                plate_n += 1
                if ring(x, y) or corner(x, y) or bars(x, y):
                    white_n += 1
    n = SS * SS
    # Plate: slate blue at 60 % alpha; the mark: opaque white. Straight (not premultiplied).
    pa = plate_n / n * 0.6
    wa = white_n / n
    a = wa + pa * (1 - wa)
    if a <= 0:
        return (0, 0, 0, 0)
    rgb = [(255 * wa + c * pa * (1 - wa)) / a for c in (40, 60, 90)]
    return tuple(int(round(v)) for v in rgb) + (int(round(a * 255)),)


def png(rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)
    header = struct.pack(">IIBBBBB", W, H, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "SampleLogo500.png"
    rows = [[pixel(x, y) for x in range(W)] for y in range(H)]
    with open(out, "wb") as f:
        f.write(png(rows))


if __name__ == "__main__":
    main()
