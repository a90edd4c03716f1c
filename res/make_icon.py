#!/usr/bin/env python3
"""Draws the launcher's icon and writes it as an .ico file.

The design: a teal tile with a white arrow pointing down into a tray, "put
onto the device". Two images, as the resource script expects: 32x32 in
24-bit colour (with its transparency mask) and 16x16 in 32-bit colour (with
alpha). Run it after changing the drawing: python3 res/make_icon.py res/launcher.ico
"""
import struct
import sys

TILE = (0x1F, 0x7A, 0x8C)     # teal
EDGE = (0x12, 0x4E, 0x5A)     # darker rim
MARK = (0xFF, 0xFF, 0xFF)     # arrow and tray


def draw(size):
    """Returns rows (top first) of (r, g, b, a) pixels for a size x size icon."""
    s = size / 32.0
    radius = 5 * s
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            cx, cy = x + 0.5, y + 0.5
            # Rounded tile: inside when within the corner circles.
            dx = max(radius - cx, 0, cx - (size - radius))
            dy = max(radius - cy, 0, cy - (size - radius))
            if dx * dx + dy * dy > radius * radius:
                row.append((0, 0, 0, 0))
                continue
            edge = dx * dx + dy * dy > (radius - 1.5 * s) ** 2 or min(cx, cy, size - cx, size - cy) < 1.5 * s
            colour = EDGE if edge else TILE
            u, v = cx / s, cy / s  # in 32x32 units
            shaft = 13 <= u <= 19 and 5 <= v <= 15
            head = 15 <= v <= 22 and abs(u - 16) <= (22 - v) * 1.15
            tray = (7 <= u <= 25 and 24 <= v <= 27) or ((7 <= u <= 10 or 22 <= u <= 25) and 19 <= v <= 27)
            if shaft or head or tray:
                colour = MARK
            row.append(colour + (255,))
        pixels.append(row)
    return pixels


def and_mask(pixels):
    """1 bit a pixel, rows padded to 32 bits, bottom row first; 1 = transparent."""
    out = b""
    for row in reversed(pixels):
        bits = 0
        width = len(row)
        padded = (width + 31) // 32 * 32
        for x in range(padded):
            bits <<= 1
            if x >= width or row[x][3] == 0:
                bits |= 1
        out += bits.to_bytes(padded // 8, "big")
    return out


def dib(pixels, bpp):
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bpp, 0, 0, 0, 0, 0, 0)
    body = b""
    for row in reversed(pixels):
        line = b""
        for r, g, b, a in row:
            line += bytes((b, g, r)) if bpp == 24 else bytes((b, g, r, a))
        line += b"\0" * (-len(line) % 4)
        body += line
    return header + body + and_mask(pixels)


def ico(images):
    """images: list of (size, bpp, dib bytes)."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, bpp, data in images:
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, bpp, len(data), offset)
        offset += len(data)
    return out + entries + b"".join(data for _, _, data in images)


def main():
    images = [(32, 24, dib(draw(32), 24)), (16, 32, dib(draw(16), 32))]
    with open(sys.argv[1], "wb") as f:
        f.write(ico(images))


if __name__ == "__main__":
    main()
