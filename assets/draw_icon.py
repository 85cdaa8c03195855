#!/usr/bin/env python3
"""Draws icon.ico: a grey film clapperboard with a transparent background.

It holds the design at every size Windows asks for:
- 32 x 32 in 256 colours, pixel for pixel: the design itself;
- 16, 20, 24, 40, 48 and 64 pixels in 32-bit colour with alpha, for 100 % to 200 % scaling
  in title bars, Alt+Tab, the taskbar and Explorer;
- 256 pixels, for Explorer's largest views.
All are the same shapes: the smooth ones are drawn at their size, with soft edges.

Windows XP reads no PNG in an icon, so every size it asks for is a bitmap: at 96 and 120
DPI, the two settings it offers, the small icon (16, 20: title bar, taskbar, Explorer's
lists), the large icon (32, 40: Alt+Tab, the desktop, Explorer's Icons view) and Explorer's
Tiles and Thumbnails (48 at any DPI before Vista); and 24, its small icon at 144 DPI. The
sizes only Windows Vista and later ask for, 64 and 256, are PNG, a tenth of the bytes.

Plain Python, no libraries.
"""
import math
import struct
import zlib
from pathlib import Path

DESIGN = 32
TRANSPARENT = None
PALETTE = [
    (0, 0, 0),        # 0 unused (black)
    (32, 32, 34),     # 1 outline
    (88, 90, 94),     # 2 board
    (150, 152, 156),  # 3 board rim, dark stripes
    (228, 230, 232),  # 4 light stripes, writing
    (120, 122, 126),  # 5 hinge
]
OUTLINE = 1
SMOOTH_SIZES = (16, 20, 24, 40, 48, 64, 256)
PNG_SIZES = (64, 256)  # asked for only by Windows Vista and later


def clapper_arm(x, y):
    """The hinged arm, lifted 16 degrees about its left end."""
    angle = math.radians(16)
    dx, dy = x - 3.5, y - 11.5
    u = dx * math.cos(angle) - dy * math.sin(angle)
    v = -(dx * math.sin(angle) + dy * math.cos(angle))
    if 0 <= u <= 25.5 and 0 <= v <= 4.5:
        return 4 if int((u + v) // 3.5) % 2 == 0 else 3
    return TRANSPARENT


def shape(x, y):
    """The colour at the point (x, y) of the 32-pixel grid, whose pixel centres lie on whole
    numbers: pixel (3, 12) covers 2.5 to 3.5 across and 11.5 to 12.5 down."""
    if 2.5 <= x < 28.5 and 11.5 <= y < 16.5:  # the fixed stripe bar
        return 3 if int((x - y) // 3.5) % 2 == 0 else 4
    if 2.5 <= x < 28.5 and 16.5 <= y < 28.5:  # the board
        if x < 3.5 or x >= 27.5 or y >= 27.5:
            return 3
        if (20.5 <= y < 21.5 and 6.5 <= x < 22.5) or (23.5 <= y < 24.5 and 6.5 <= x < 17.5):
            return 4
        return 2
    if 2.5 <= x < 5.5 and 9.5 <= y < 11.5:  # the hinge
        return 5
    return clapper_arm(x, y)


def outlined(x, y):
    """The shape with a dark outline one design pixel wide around it, which keeps it readable
    on light and dark backgrounds alike."""
    colour = shape(x, y)
    if colour is not TRANSPARENT:
        return colour
    near = (shape(x + OUTLINE * dx, y + OUTLINE * dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1))
    return 1 if any(p is not TRANSPARENT for p in near) else TRANSPARENT


def design_image():
    """The 32 x 32 design, as palette indexes, top row first."""
    return [[outlined(x, y) for x in range(DESIGN)] for y in range(DESIGN)]


def smooth_image(size, samples):
    """The design drawn at `size` pixels: RGBA rows, top row first, each pixel the average of
    samples x samples points spread over it."""
    scale = DESIGN / size
    rows = []
    for row in range(size):
        pixels = []
        for column in range(size):
            red = green = blue = opaque = 0
            for i in range(samples):
                for j in range(samples):
                    x = (column + (i + 0.5) / samples) * scale - 0.5
                    y = (row + (j + 0.5) / samples) * scale - 0.5
                    colour = outlined(x, y)
                    if colour is not TRANSPARENT:
                        r, g, b = PALETTE[colour]
                        red, green, blue, opaque = red + r, green + g, blue + b, opaque + 1
            if opaque == 0:
                pixels.append((0, 0, 0, 0))
            else:
                pixels.append((round(red / opaque), round(green / opaque), round(blue / opaque),
                               round(255 * opaque / samples ** 2)))
        rows.append(pixels)
    return rows


def mask_bytes(rows, transparent):
    """The AND mask: one bit per pixel, set where the pixel is transparent, rows padded to 32
    bits, bottom row first."""
    out = b""
    for row in reversed(rows):
        bits = 0
        for x, p in enumerate(row):
            if transparent(p):
                bits |= 1 << (len(row) - 1 - x)
        width = (len(row) + 31) // 32 * 32
        out += (bits << (width - len(row))).to_bytes(width // 8, "big")
    return out


def paletted_bmp(image):
    header = struct.pack("<IiiHHIIiiII", 40, DESIGN, DESIGN * 2, 1, 8, 0, 0, 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    palette += b"\0" * (256 * 4 - len(palette))
    xor = b"".join(bytes(p or 0 for p in row) for row in reversed(image))
    return header + palette + xor + mask_bytes(image, lambda p: p is TRANSPARENT)


def rgba_bmp(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    return header + xor + mask_bytes(rows, lambda p: p[3] == 0)


def paeth(left, above, upper_left):
    guess = left + above - upper_left
    nearest = min((abs(guess - left), 0), (abs(guess - above), 1), (abs(guess - upper_left), 2))[1]
    return (left, above, upper_left)[nearest]


def filtered_rows(rows):
    """Each row under each of PNG's five filters (none, sub, up, average, paeth), each with
    its filter byte in front."""
    out, above = [], bytes(4 * len(rows[0]))
    for row in rows:
        raw = bytes(v for p in row for v in p)
        left = bytes(4) + raw[:-4]
        upper_left = bytes(4) + above[:-4]
        predictions = (bytes(len(raw)), left, above,
                       bytes((a + b) // 2 for a, b in zip(left, above)),
                       bytes(paeth(a, b, c) for a, b, c in zip(left, above, upper_left)))
        out.append([bytes([kind]) + bytes((x - guess) & 255 for x, guess in zip(raw, predicted))
                    for kind, predicted in enumerate(predictions)])
        above = raw
    return out


def png(rows):
    """RGBA, each row under the filter that keeps the compressed image smallest so far."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    size = len(rows)
    raw = b""
    for choices in filtered_rows(rows):
        raw = min((raw + row for row in choices), key=lambda data: len(zlib.compress(data, 9)))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico(images):
    """images: (size, bits per pixel, image data), in the order the file lists them."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, data = b"", b""
    for size, bits, image in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bits, len(image), offset)
        offset += len(image)
        data += image
    return directory + entries + data


def icon_file():
    def smooth(size):
        rows = smooth_image(size, 3 if size == 256 else 8)
        return png(rows) if size in PNG_SIZES else rgba_bmp(rows)
    images = [(size, 32, smooth(size)) for size in SMOOTH_SIZES]
    images.insert(3, (DESIGN, 8, paletted_bmp(design_image())))  # between 24 and 40
    return ico(images)


if __name__ == "__main__":
    Path(__file__).with_name("icon.ico").write_bytes(icon_file())
