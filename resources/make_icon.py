#!/usr/bin/env python3
"""Draws the application icon (a white V on a blue rounded square) and writes
it as a Windows .ico with 16, 32 and 48 pixel 32-bit images."""
import struct
import sys

BLUE_TOP = (0x2F, 0x6F, 0xC8)
BLUE_BOTTOM = (0x17, 0x3E, 0x86)
WHITE = (0xFF, 0xFF, 0xFF)


def coverage(size, x, y):
    """Alpha of the rounded square at the pixel centre, 0..1 (4x4 samples)."""
    r = size * 0.22
    inside = 0
    for sy in range(4):
        for sx in range(4):
            px = x + (sx + 0.5) / 4
            py = y + (sy + 0.5) / 4
            cx = min(max(px, r), size - r)
            cy = min(max(py, r), size - r)
            if (px - cx) ** 2 + (py - cy) ** 2 <= r * r:
                inside += 1
    return inside / 16


def on_v(size, px, py):
    """True when the point lies on one of the two strokes of the V."""
    top, bottom = size * 0.22, size * 0.80
    if not top <= py <= bottom:
        return False
    t = (py - top) / (bottom - top)
    half = size * 0.30 * (1 - t)
    width = size * 0.085
    centre = size / 2
    return abs(px - (centre - half)) <= width or abs(px - (centre + half)) <= width


def pixel(size, x, y):
    a = coverage(size, x, y)
    if a == 0:
        return (0, 0, 0, 0)
    t = y / (size - 1)
    base = tuple(round(BLUE_TOP[i] * (1 - t) + BLUE_BOTTOM[i] * t) for i in range(3))
    hits = sum(on_v(size, x + (sx + 0.5) / 4, y + (sy + 0.5) / 4)
               for sy in range(4) for sx in range(4)) / 16
    rgb = tuple(round(base[i] * (1 - hits) + WHITE[i] * hits) for i in range(3))
    return rgb + (round(a * 255),)


def image(size):
    """BITMAPINFOHEADER, bottom-up BGRA rows, then the 1-bit AND mask."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    mask_rows = []
    mask_stride = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        row = bytearray()
        bits = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = pixel(size, x, y)
            row += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
        mask_rows.append(bytes(bits))
    return header + b''.join(rows) + b''.join(mask_rows)


def main(out):
    sizes = (16, 32, 48)
    images = [image(s) for s in sizes]
    data = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        data += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    data += b''.join(images)
    with open(out, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main(sys.argv[1])
