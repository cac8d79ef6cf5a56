#!/usr/bin/env python3
"""Draws Zippit.exe's own pictures: the program icon and the loading splash.

Writes, next to this script:
  zippit.ico  the program and tray icon (16, 32 and 48 pixels, 32-bit colour
              with an alpha channel and the classic AND mask)
  splash.bmp  the splash picture: 137 x 155 pixels, 16 colours (4 bits per
              pixel), Zippy waving on the title bar of a window
The output is committed, so building never needs this script; run it again
after changing the art:

    python3 resources/zippit/generate.py

Python 3 standard library only. Zippy is drawn by the shipped characters'
own drawing code (resources/characters/generate.py) on a canvas that samples
every shape at a finer or coarser pixel grid, so the icon and the splash show
the same critter as the default character. The same input always gives the
same bytes.
"""

import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # no __pycache__ beside the committed art
sys.path.insert(0, os.path.join(HERE, "..", "characters"))
import generate as chars  # noqa: E402


class ScaledCanvas(chars.Canvas):
    """A Canvas whose pixels are `scale` times the drawing's units."""

    def __init__(self, width, height, outline, scale):
        self.scale = scale
        super().__init__(int(width * scale + 0.5), int(height * scale + 0.5), outline)

    def part(self, shape, outline=True):
        s = self.scale
        x0, y0, x1, y1 = shape.box
        box = (int(x0 * s) - 2, int(y0 * s) - 2, int(x1 * s) + 3, int(y1 * s) + 3)
        inside = {}
        for y in range(max(0, box[1]), min(self.h, box[3])):
            for x in range(max(0, box[0]), min(self.w, box[2])):
                inside[(x, y)] = shape.inside((x + 0.5) / s, (y + 0.5) / s)
        if outline:
            for (x, y), isin in inside.items():
                if isin:
                    continue
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1), (1, 1), (-1, 1), (1, -1), (-1, -1)):
                    if inside.get((x + dx, y + dy)):
                        self.px[y][x] = self.outline
                        break
        for (x, y), isin in inside.items():
            if isin:
                self.px[y][x] = shape.shade((x + 0.5) / self.scale, (y + 0.5) / self.scale)

    def dot(self, x, y, color):
        s = self.scale
        for py in range(int(y * s), max(int(y * s) + 1, int((y + 1) * s))):
            for px in range(int(x * s), max(int(x * s) + 1, int((x + 1) * s))):
                if 0 <= px < self.w and 0 <= py < self.h:
                    self.px[py][px] = color


def zippy_at(scale, **pose):
    """Zippy in the given pose, drawn at `scale` pixels per drawing unit."""
    original = chars.Canvas
    chars.Canvas = lambda w, h, outline: ScaledCanvas(w, h, outline, scale)
    try:
        return chars.zippy(**pose)
    finally:
        chars.Canvas = original


def crop_box(canvas):
    xs = [x for row in canvas.px for x, c in enumerate(row) if c is not None]
    ys = [y for y, row in enumerate(canvas.px) if any(c is not None for c in row)]
    return min(xs), min(ys), max(xs), max(ys)


# ---------------------------------------------------------------- icon


def icon_image(size):
    """One square icon picture: rows of (r, g, b, a), top row first."""
    # Zippy's drawing is 72 x 80 units with blank margins; find the scale at
    # which the visible part fills the square.
    probe = zippy_at(1.0, eyes="open", mouth="smile")
    x0, y0, x1, y1 = crop_box(probe)
    scale = (size - 1) / max(x1 - x0 + 1, y1 - y0 + 1)
    c = zippy_at(scale, eyes="open", mouth="smile")
    bx0, by0, bx1, by1 = crop_box(c)
    ox = (size - (bx1 - bx0 + 1)) // 2 - bx0
    oy = (size - (by1 - by0 + 1)) // 2 - by0
    rows = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for y, row in enumerate(c.px):
        for x, color in enumerate(row):
            tx, ty = x + ox, y + oy
            if color is not None and 0 <= tx < size and 0 <= ty < size:
                rows[ty][tx] = (color[0], color[1], color[2], 255)
    return rows


def ico_entry(size, rows):
    """A BITMAPINFOHEADER icon image: 32-bit BGRA bottom-up, then the AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(xor) + bytes(mask)


def write_ico(path, sizes):
    images = [(s, ico_entry(s, icon_image(s))) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


# ---------------------------------------------------------------- splash

SPLASH_W, SPLASH_H = 137, 155

# The 16 colours of the splash: Zippy's own materials (outline, three body
# teals, two belly creams, ear pink, eye white, two feet oranges, bolt
# yellow) and the scene (sky light and mid, window frame blue and grey).
SPLASH_PALETTE = [chars.hex_color(c) for c in (
    "#1A1F2E", "#196A7C", "#2FA6B3", "#9BE3DD", "#F2E8C6", "#D26A8E", "#FFFFFF", "#DCCDA2",
    "#C25A22", "#F8A95A", "#F5C933", "#E4F3F1", "#BFE2E6", "#3C6FB6", "#8FB3E2", "#D8DDE6")]
SKY_LIGHT, SKY_MID, FRAME_BLUE, FRAME_LIGHT, FRAME_GREY = 11, 12, 13, 14, 15


def nearest(color):
    r, g, b = color
    return min(range(16), key=lambda i: (SPLASH_PALETTE[i][0] - r) ** 2 * 3 + (SPLASH_PALETTE[i][1] - g) ** 2 * 4
               + (SPLASH_PALETTE[i][2] - b) ** 2 * 2)


def splash_pixels():
    """Palette indices, rows top first."""
    px = [[SKY_LIGHT] * SPLASH_W for _ in range(SPLASH_H)]
    # sky: light at the top, a band of the mid tone lower down, mixed in a
    # checkerboard where they meet
    for y in range(SPLASH_H):
        for x in range(SPLASH_W):
            if y > 70 or (y > 58 and (x + y) % 2 == 0):
                px[y][x] = SKY_MID
    # the window Zippy stands on: a title bar with its buttons, then the
    # window's body below
    bar_top = 112
    for y in range(bar_top, SPLASH_H):
        for x in range(6, SPLASH_W - 6):
            if y == bar_top or x in (6, SPLASH_W - 7):
                px[y][x] = 0
            elif y < bar_top + 11:
                px[y][x] = FRAME_BLUE if y > bar_top + 2 else FRAME_LIGHT
            elif y == bar_top + 11:
                px[y][x] = 0
            else:
                px[y][x] = FRAME_GREY
    for i in range(3):
        bx = SPLASH_W - 18 - i * 10
        for y in range(bar_top + 3, bar_top + 9):
            for x in range(bx, bx + 7):
                px[y][x] = 0 if y in (bar_top + 3, bar_top + 8) or x in (bx, bx + 6) else FRAME_GREY
    # sparkles around Zippy
    for sx, sy in ((16, 20), (118, 30), (24, 78), (112, 84)):
        for d in range(-2, 3):
            px[sy][sx + d] = 6
            px[sy + d][sx] = 6
        px[sy][sx] = 10

    # Zippy, waving, his standing line on the title bar
    scale = 1.45
    c = zippy_at(scale, arms="wave", eyes="happy", mouth="smile")
    stand = int(chars.Z_ANCHOR[1] * scale)  # the row of the standing line, in canvas pixels
    ox = (SPLASH_W - c.w) // 2
    oy = bar_top - stand
    for y, row in enumerate(c.px):
        for x, color in enumerate(row):
            tx, ty = x + ox, y + oy
            if color is not None and 0 <= tx < SPLASH_W and 0 <= ty < SPLASH_H:
                px[ty][tx] = nearest(color)
    return px


def write_bmp4(path, width, height, rows, palette):
    """A 4-bit bottom-up Windows bitmap with a 16-entry colour table."""
    stride = ((width * 4 + 31) // 32) * 4
    data = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, index in enumerate(row):
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        data += line
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(data), 2835, 2835, 16, 16)
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + table + bytes(data))


def main():
    write_ico(os.path.join(HERE, "zippit.ico"), (16, 32, 48))
    write_bmp4(os.path.join(HERE, "splash.bmp"), SPLASH_W, SPLASH_H, splash_pixels(), SPLASH_PALETTE)


if __name__ == "__main__":
    main()
