#!/usr/bin/env python3
"""Draws Kovra's icon, a recorder with its lens and a red record light, and writes it as an
.ico file holding two 16-colour images, 32 x 32 and 16 x 16.

    make_icon.py OUTPUT.ico

The glyph is described in fractions of the image, so both sizes come from the one drawing.
"""
import struct
import sys

# The 16 colours every display could show, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_BLUE, LIGHT_GREY, GREY, RED, CYAN, WHITE = 0, 4, 7, 8, 9, 14, 15
TRANSPARENT = None


def in_rect(x, y, left, top, right, bottom):
    return left <= x <= right and top <= y <= bottom


def in_circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def colour_at(x, y):
    """The glyph's colour at (x, y), both 0 to 1 from the top left corner."""
    if in_circle(x, y, 0.45, 0.56, 0.14):
        return CYAN if in_circle(x, y, 0.40, 0.51, 0.05) else BLACK
    if in_circle(x, y, 0.45, 0.56, 0.25):
        return LIGHT_GREY if in_circle(x, y, 0.45, 0.56, 0.21) else GREY
    if in_circle(x, y, 0.81, 0.37, 0.08):
        return RED
    if in_rect(x, y, 0.18, 0.14, 0.42, 0.26):
        return DARK_BLUE
    if in_rect(x, y, 0.04, 0.24, 0.96, 0.86):
        edge = not in_rect(x, y, 0.09, 0.29, 0.91, 0.81)
        return WHITE if edge else DARK_BLUE
    return TRANSPARENT


def image(size):
    """One icon image: header, palette, 4-bit colour rows and the 1-bit mask, bottom row first."""
    pixels = [[colour_at((col + 0.5) / size, (row + 0.5) / size) for col in range(size)]
              for row in range(size)]
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colour_stride = ((size * 4 + 31) // 32) * 4
    mask_stride = ((size + 31) // 32) * 4
    colour, mask = bytearray(), bytearray()
    for row in reversed(pixels):
        line = bytearray(colour_stride)
        bits = bytearray(mask_stride)
        for col, value in enumerate(row):
            if value is TRANSPARENT:
                bits[col // 8] |= 0x80 >> (col % 8)
                value = BLACK
            line[col // 2] |= value << (4 if col % 2 == 0 else 0)
        colour += line
        mask += bits
    return header + palette + bytes(colour) + bytes(mask)


def icon_file(sizes):
    images = [image(size) for size in sizes]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(images)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: make_icon.py OUTPUT.ico")
    with open(sys.argv[1], "wb") as out:
        out.write(icon_file([32, 16]))
