#!/usr/bin/env python3
"""Draws the program's icon (a rising ticker chart on a dark tile) and writes it as
Tickerwell.ico (one 32 x 32 image, 256 colours, 2,238 bytes) and Tickerwell.png.

Standard library only; run from any directory: python3 ui/icons/MakeIcon.py
With --hicolor FOLDER it writes the icon theme's sizes instead, FOLDER/NxN/apps/tickerwell.png,
resampled from the 32 x 32 drawing (whole multiples stay crisp pixel blocks).
"""
import os
import struct
import sys
import zlib

SIZE = 32
HERE = os.path.dirname(os.path.abspath(__file__))

# Palette: index 0 stays black for the transparent corners; the rest are the colours drawn.
PALETTE = [(0, 0, 0)] * 256
TILE_TOP, TILE_BOTTOM = 1, 8          # 1..8: the tile's vertical gradient
GRID, EDGE, LINE, LINE_DARK, UP, DOWN, WICK, GLOW = range(9, 17)
for i in range(8):
    t = i / 7
    PALETTE[TILE_TOP + i] = (int(24 - 10 * t), int(44 - 18 * t), int(82 - 30 * t))
PALETTE[GRID] = (46, 72, 112)
PALETTE[EDGE] = (90, 120, 170)
PALETTE[LINE] = (255, 208, 64)
PALETTE[LINE_DARK] = (196, 140, 20)
PALETTE[UP] = (64, 200, 96)
PALETTE[DOWN] = (224, 72, 64)
PALETTE[WICK] = (170, 190, 215)
PALETTE[GLOW] = (120, 96, 40)

pixels = [[0] * SIZE for _ in range(SIZE)]    # palette indices, top row first
opaque = [[False] * SIZE for _ in range(SIZE)]


def inside_tile(x, y, r=5):
    """The tile is a rounded square over the whole 32 x 32 area with corner radius r."""
    cx = min(max(x, r), SIZE - 1 - r)
    cy = min(max(y, r), SIZE - 1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r + 1


def put(x, y, colour):
    if 0 <= x < SIZE and 0 <= y < SIZE and opaque[y][x]:
        pixels[y][x] = colour


for y in range(SIZE):
    for x in range(SIZE):
        if inside_tile(x, y):
            opaque[y][x] = True
            pixels[y][x] = TILE_TOP + min(7, y * 8 // SIZE)
# Edge of the tile: opaque pixels with a transparent neighbour.
edge = [(x, y) for y in range(SIZE) for x in range(SIZE) if opaque[y][x] and any(
    not (0 <= x + dx < SIZE and 0 <= y + dy < SIZE and opaque[y + dy][x + dx])
    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))]
for x, y in edge:
    pixels[y][x] = EDGE
# Faint grid.
for g in (8, 16, 24):
    for i in range(3, SIZE - 3):
        if i % 2 == 0:
            put(i, g, GRID)
            put(g, i, GRID)

# Three candles in the lower left: (x, wick top, wick bottom, body top, body bottom, colour).
for cx, wt, wb, bt, bb, colour in ((6, 17, 27, 19, 25, UP), (11, 19, 28, 21, 26, DOWN), (16, 14, 25, 16, 22, UP)):
    for y in range(wt, wb + 1):
        put(cx, y, WICK)
    for y in range(bt, bb + 1):
        for x in (cx - 1, cx, cx + 1):
            put(x, y, colour)

# Rising price line with a soft shadow, ending in an arrow head at the upper right.
points = [(3, 22), (8, 17), (13, 19), (19, 11), (23, 13), (27, 6)]


def segment(p, q, colour, dy=0):
    (x0, y0), (x1, y1) = p, q
    steps = max(abs(x1 - x0), abs(y1 - y0))
    for s in range(steps + 1):
        x = round(x0 + (x1 - x0) * s / steps)
        y = round(y0 + (y1 - y0) * s / steps) + dy
        put(x, y, colour)
        put(x, y + 1, colour)


for p, q in zip(points, points[1:]):
    segment(p, q, GLOW, dy=1)
for p, q in zip(points, points[1:]):
    segment(p, q, LINE)
for x, y in ((24, 5), (25, 5), (26, 5), (27, 5), (28, 5), (28, 6), (28, 7), (28, 8), (28, 9),
             (25, 4), (26, 4), (27, 4), (28, 4), (29, 4), (29, 5), (29, 6), (29, 7), (29, 8)):
    put(x, y, LINE)
for x, y in ((30, 4), (30, 5), (30, 6), (30, 7), (30, 8), (24, 4)):
    put(x, y, LINE_DARK)


def write_ico(path):
    header = struct.pack('<HHH', 0, 1, 1)
    xor = b''.join(bytes(pixels[y]) for y in reversed(range(SIZE)))          # bottom-up rows
    mask = b''
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            if not opaque[y][x]:
                bits |= 1 << (31 - x)
        mask += struct.pack('>I', bits)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 8, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + palette + xor + mask
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    data = header + entry + image
    assert len(data) == 2238, len(data)
    with open(path, 'wb') as f:
        f.write(data)


def rgba(x, y):
    r, g, b = PALETTE[pixels[y][x]]
    return (r, g, b, 255 if opaque[y][x] else 0)


def resampled(size):
    """Area average of the drawing over each target pixel, weighted by opacity."""
    scale = SIZE / size
    out = []
    for ty in range(size):
        row = []
        for tx in range(size):
            acc = [0.0] * 4
            y0, y1 = ty * scale, (ty + 1) * scale
            x0, x1 = tx * scale, (tx + 1) * scale
            for sy in range(int(y0), min(SIZE, int(y1 + 0.999999))):
                hy = min(y1, sy + 1) - max(y0, sy)
                for sx in range(int(x0), min(SIZE, int(x1 + 0.999999))):
                    w = hy * (min(x1, sx + 1) - max(x0, sx))
                    r, g, b, a = rgba(sx, sy)
                    acc[0] += r * a * w
                    acc[1] += g * a * w
                    acc[2] += b * a * w
                    acc[3] += a * w
            area = scale * scale
            alpha = acc[3] / area
            row.append(tuple(round(c / acc[3]) if acc[3] else 0 for c in acc[:3]) + (round(alpha),))
        out.append(row)
    return out


def write_png(path, size=SIZE):
    image = resampled(size) if size != SIZE else [[rgba(x, y) for x in range(SIZE)] for y in range(SIZE)]
    rows = b''
    for y in range(size):
        rows += b'\0'
        for x in range(size):
            rows += bytes(image[y][x])

    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
    png = (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0))
           + chunk(b'IDAT', zlib.compress(rows, 9)) + chunk(b'IEND', b''))
    with open(path, 'wb') as f:
        f.write(png)


if sys.argv[1:2] == ['--hicolor']:
    for size in (16, 24, 32, 48, 64, 128, 256):
        folder = os.path.join(sys.argv[2], f'{size}x{size}', 'apps')
        os.makedirs(folder, exist_ok=True)
        write_png(os.path.join(folder, 'tickerwell.png'), size)
else:
    write_ico(os.path.join(HERE, 'Tickerwell.ico'))
    write_png(os.path.join(HERE, 'Tickerwell.png'))
