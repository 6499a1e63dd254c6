#!/usr/bin/env python3
"""Writes agent/quillon.ico, the icon of quillon.dll and ctrview.exe: a quill over a
rising curve on a dark blue tile, at 16x16 and 32x32 pixels, 32-bit colour. Uses only
the standard library; run it again after changing the drawing:
    python3 scripts/make-icon.py agent/quillon.ico
"""
import math
import struct
import sys

TILE = (0x5A, 0x2E, 0x12)   # BGR: dark blue
CURVE = (0x3C, 0xC8, 0x5A)  # green
QUILL = (0xF0, 0xF0, 0xF0)  # near white


def pixel(size, x, y):
    """BGRA of one pixel; (x, y) from the top left."""
    u = (x + 0.5) / size
    v = (y + 0.5) / size
    corner = 0.18
    dx = max(corner - u, 0, u - (1 - corner))
    dy = max(corner - v, 0, v - (1 - corner))
    if dx * dx + dy * dy > corner * corner:
        return (0, 0, 0, 0)
    # The quill: a blade from the nib at the lower left to the upper right.
    off_axis = abs(u + v - 1) / math.sqrt(2)
    position = (u - v + 1) / 2
    if 0.15 < position < 0.95 and off_axis < 0.1 * math.sin(math.pi * (position - 0.15) / 0.8):
        return QUILL + (255,)
    if 0.06 < position <= 0.15 and off_axis < 0.03:
        return QUILL + (255,)
    # The curve: a counter's graph along the bottom.
    curve = 0.82 - 0.25 * u * u
    if abs(v - curve) < 0.06:
        return CURVE + (255,)
    return TILE + (255,)


def image(size):
    rows = []
    for y in reversed(range(size)):  # bottom-up
        rows.append(b"".join(struct.pack("BBBB", *pixel(size, x, y)) for x in range(size)))
    mask_row = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + bytes(mask_row * size)


def main(path):
    sizes = (16, 32)
    images = [image(size) for size in sizes]
    offset = 6 + 16 * len(sizes)
    directory = struct.pack("<HHH", 0, 1, len(sizes))
    for size, data in zip(sizes, images):
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as out:
        out.write(directory + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "agent/quillon.ico")
