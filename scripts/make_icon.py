#!/usr/bin/env python3
"""Draws the program icon and writes it as a .ico file with 16, 24, 32, 48, 64, 128 and 256 pixel
images at 32 bits per pixel (the 256 pixel image PNG-compressed, the others as DIBs).

The picture: a rounded dark-blue tile with a red recording dot and a white play triangle.
Usage: make_icon.py OUTPUT.ico
"""
import struct
import sys
import zlib

SIZES = [16, 24, 32, 48, 64, 128, 256]
SUPERSAMPLE = 4


def coverage(size, inside):
    """Per-pixel fraction of supersampled points for which inside(u, v) holds (u, v in 0..1)."""
    n = SUPERSAMPLE
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            hits = 0
            for sy in range(n):
                v = (y + (sy + 0.5) / n) / size
                for sx in range(n):
                    u = (x + (sx + 0.5) / n) / size
                    if inside(u, v):
                        hits += 1
            row.append(hits / (n * n))
        rows.append(row)
    return rows


def in_tile(u, v):
    r = 0.18
    lo, hi = 0.03, 0.97
    if not (lo <= u <= hi and lo <= v <= hi):
        return False
    cx = min(max(u, lo + r), hi - r)
    cy = min(max(v, lo + r), hi - r)
    return (u - cx) ** 2 + (v - cy) ** 2 <= r * r


def in_dot(u, v):
    return (u - 0.36) ** 2 + (v - 0.5) ** 2 <= 0.2 ** 2


def in_triangle(u, v):
    # Play triangle pointing right, right of the dot.
    x0, x1, cy, half = 0.60, 0.86, 0.5, 0.17
    if u < x0 or u > x1:
        return False
    t = (u - x0) / (x1 - x0)
    return abs(v - cy) <= half * (1 - t)


def render(size):
    """Rows of (r, g, b, a) from top to bottom."""
    layers = [
        (coverage(size, in_tile), (30, 56, 96)),
        (coverage(size, in_dot), (211, 47, 47)),
        (coverage(size, in_triangle), (255, 255, 255)),
    ]
    image = []
    for y in range(size):
        row = []
        for x in range(size):
            r = g = b = 0.0
            a = 0.0
            for cov, colour in layers:
                c = cov[y][x]
                if c == 0:
                    continue
                # "over" compositing with premultiplied accumulation
                r = colour[0] * c + r * (1 - c)
                g = colour[1] * c + g * (1 - c)
                b = colour[2] * c + b * (1 - c)
                a = c + a * (1 - c)
            if a > 0:
                row.append((round(r / a), round(g / a), round(b / a), round(a * 255)))
            else:
                row.append((0, 0, 0, 0))
        image.append(row)
    return image


def dib_entry(size, image):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(image):  # bottom-up
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytes(mask_stride * size)  # alpha decides; the AND mask stays clear
    return header + bytes(pixels) + mask


def png_entry(size, image):
    raw = bytearray()
    for row in image:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xFFFFFFFF)

    ihdr = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b'')


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: make_icon.py OUTPUT.ico')
    entries = []
    for size in SIZES:
        image = render(size)
        entries.append((size, png_entry(size, image) if size >= 256 else dib_entry(size, image)))
    out = bytearray(struct.pack('<HHH', 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for size, data in entries:
        dim = 0 if size >= 256 else size
        out += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in entries:
        out += data
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
