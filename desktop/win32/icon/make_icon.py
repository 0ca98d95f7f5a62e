#!/usr/bin/env python3
"""Draws veradoc.ico: a page with lines of text and a conversion arrow, as a
32 x 32 and a 16 x 16 image in the 16 standard VGA colours (4 bits per pixel,
with a transparency mask), so it shows on every Windows generation.
Usage: make_icon.py OUTPUT.ico"""
import struct
import sys

PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, NAVY, TEAL, SILVER, GREY, GREEN, DARK_GREEN, BLUE, WHITE = 0, 4, 6, 7, 8, 10, 2, 12, 15
CLEAR = None


def canvas(size):
    return [[CLEAR] * size for _ in range(size)]


def page(img, left, top, right, bottom, fold, lines):
    """A sheet with a dog-eared top-right corner and text lines (y, x0, x1)."""
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            corner = x - (right - fold) > y - top  # above the fold's diagonal
            if corner:
                continue
            edge = x in (left, right) or y in (top, bottom) or x - (right - fold) == y - top
            img[y][x] = BLACK if edge else WHITE
    for d in range(1, fold):  # the folded-over flap
        for x in range(right - fold, right - fold + d):
            img[top + d][x] = SILVER if img[top + d][x] == WHITE else img[top + d][x]
    for x in range(right - fold, right + 1):
        img[top + fold][x] = BLACK
    for y in range(top, top + fold + 1):
        img[y][right - fold] = BLACK
    for y, x0, x1 in lines:
        for x in range(x0, x1 + 1):
            img[y][x] = NAVY


def arrow(img, x0, y0, shaft_len, shaft_half, head_half):
    """A right-pointing arrow: shaft from x0 at centre row y0, then a head."""
    fill = {}
    for x in range(x0, x0 + shaft_len):
        for y in range(y0 - shaft_half, y0 + shaft_half + 1):
            fill[(x, y)] = True
    for i in range(head_half + 1):
        x = x0 + shaft_len + i
        for y in range(y0 - (head_half - i), y0 + (head_half - i) + 1):
            fill[(x, y)] = True
    size = len(img)
    for (x, y) in fill:
        border = any((x + dx, y + dy) not in fill for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
        if 0 <= x < size and 0 <= y < size:
            img[y][x] = DARK_GREEN if border else GREEN


def icon32():
    img = canvas(32)
    page(img, 3, 1, 22, 30, 6, [(9, 6, 13), (12, 6, 18), (15, 6, 16), (18, 6, 18), (21, 6, 11), (24, 6, 9)])
    arrow(img, 12, 23, 11, 2, 6)
    return img


def icon16():
    img = canvas(16)
    page(img, 1, 0, 11, 15, 3, [(5, 3, 7), (7, 3, 9), (9, 3, 6)])
    arrow(img, 6, 11, 5, 1, 3)
    return img


def dib(img):
    size = len(img)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor_rows, and_rows = [], []
    for row in reversed(img):  # bottom-up
        nibbles = [0 if p is None else p for p in row]
        data = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor_rows.append(data + b'\0' * (-len(data) % 4))
        bits = 0
        for p in row:
            bits = (bits << 1) | (1 if p is None else 0)
        mask = bits.to_bytes(size // 8, 'big')
        and_rows.append(mask + b'\0' * (-len(mask) % 4))
    return header + palette + b''.join(xor_rows) + b''.join(and_rows)


def main():
    images = [(32, dib(icon32())), (16, dib(icon16()))]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, data in images)
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
