#!/usr/bin/env python3
"""Draws the program icon (a camera lens on a dark rounded square) and writes it as
tesk60.ico with 16, 32 and 48 pixel images (32-bit, with alpha). Run it to remake the icon:
    python3 resources/make_icon.py resources/tesk60.ico
"""
import math
import struct
import sys


def pixel(size, x, y):
    """BGRA of the icon at pixel centre (x, y) for an image of `size` pixels."""
    s = size
    cx = cy = (s - 1) / 2.0
    u, v = (x - cx) / s, (y - cy) / s
    # Rounded square body.
    r = 0.18
    qx, qy = max(abs(u) - (0.5 - r), 0.0), max(abs(v) - (0.5 - r), 0.0)
    if math.hypot(qx, qy) > r:
        return (0, 0, 0, 0)
    d = math.hypot(u, v)
    if d < 0.12:                       # pupil with a highlight
        if math.hypot(u + 0.05, v + 0.05) < 0.045:
            return (255, 255, 255, 255)
        return (40, 20, 10, 255)
    if d < 0.30:                       # blue lens
        t = (d - 0.12) / 0.18
        return (int(230 - 90 * t), int(150 - 60 * t), int(40 - 20 * t), 255)
    if d < 0.36:                       # silver ring
        return (200, 200, 200, 255)
    if math.hypot(u - 0.30, v + 0.30) < 0.06:   # red indicator light
        return (40, 40, 230, 255)
    return (70, 60, 55, 255)           # body


def image(size):
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up, as in a DIB
        rows.append(b"".join(struct.pack("4B", *pixel(size, x, y)) for x in range(size)))
    xor = b"".join(rows)
    and_stride = ((size + 31) // 32) * 4
    mask = b"\x00" * (and_stride * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def main(path):
    sizes = [16, 32, 48]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "tesk60.ico")
