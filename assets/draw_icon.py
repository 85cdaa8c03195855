#!/usr/bin/env python3
"""Draws icon.ico: a grey film clapperboard, 32 x 32, 256 colours, transparent background.

Plain Python, no libraries: the icon is small enough to describe pixel by pixel.
"""
import math
import struct
from pathlib import Path

SIZE = 32
TRANSPARENT = None
PALETTE = [
    (0, 0, 0),        # 0 unused (black)
    (32, 32, 34),     # 1 outline
    (88, 90, 94),     # 2 board
    (150, 152, 156),  # 3 board rim, dark stripes
    (228, 230, 232),  # 4 light stripes, writing
    (120, 122, 126),  # 5 hinge
]


def clapper_arm(x, y):
    """The hinged arm, lifted 16 degrees about its left end."""
    angle = math.radians(16)
    dx, dy = x - 3.5, y - 11.5
    u = dx * math.cos(angle) - dy * math.sin(angle)
    v = -(dx * math.sin(angle) + dy * math.cos(angle))
    if 0 <= u <= 25.5 and 0 <= v <= 4.5:
        return 4 if int((u + v) // 3.5) % 2 == 0 else 3
    return TRANSPARENT


def pixel(x, y):
    if 3 <= x <= 28 and 12 <= y <= 16:  # the fixed stripe bar
        return 3 if int((x - y) // 3.5) % 2 == 0 else 4
    if 3 <= x <= 28 and 17 <= y <= 28:  # the board
        if x in (3, 28) or y == 28:
            return 3
        if (y == 21 and 7 <= x <= 22) or (y == 24 and 7 <= x <= 17):
            return 4
        return 2
    if 3 <= x <= 5 and 10 <= y <= 11:  # the hinge
        return 5
    return clapper_arm(x, y)


def draw():
    image = [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
    # A dark outline keeps the shape readable on light and dark backgrounds alike.
    outlined = [row[:] for row in image]
    for y in range(SIZE):
        for x in range(SIZE):
            if image[y][x] is not TRANSPARENT:
                continue
            near = [image[y + dy][x + dx] for dy in (-1, 0, 1) for dx in (-1, 0, 1)
                    if 0 <= y + dy < SIZE and 0 <= x + dx < SIZE]
            if any(p not in (TRANSPARENT, 1) for p in near):
                outlined[y][x] = 1
    return outlined


def ico_bytes(image):
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, 0, 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    palette += b"\0" * (256 * 4 - len(palette))
    rows = list(reversed(image))  # bottom-up
    xor = b"".join(bytes(p or 0 for p in row) for row in rows)
    mask = b""
    for row in rows:
        bits = 0
        for x, p in enumerate(row):
            if p is TRANSPARENT:
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    image_data = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image_data), 6 + 16)
    return directory + entry + image_data


if __name__ == "__main__":
    out = Path(__file__).with_name("icon.ico")
    out.write_bytes(ico_bytes(draw()))
