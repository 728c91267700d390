#!/usr/bin/env python3
"""Draws the About window's logo, a label printer issuing an RFID label, into a PNG.

Plain Python, no imaging library: every shape is a test of whether a point lies inside it,
sampled 4 x 4 times per pixel for smooth edges, so the same drawing comes out sharp at any size.

Usage: make_logo.py [out.png]                 the About window's logo, 83 x 71
       make_logo.py --size N [out.png]        the application icon, N x N, the logo centred
       make_logo.py --icons DIR               the icon in every size desktops ask for, as
                                              DIR/NxN/apps/v4400-tag-rf.png (a hicolor theme)
"""
import math
import os
import struct
import sys
import zlib

W, H = 83, 71
SS = 4  # samples per pixel along each axis


def rgb(hex_colour):
    return tuple(int(hex_colour[i:i + 2], 16) for i in (1, 3, 5))


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def outline(outer, inner):
    return lambda x, y: outer(x, y) and not inner(x, y)


def ring_arc(cx, cy, r, width, a0, a1):
    """Part of a ring around (cx, cy), angles in degrees, 0 pointing right, counter-clockwise."""
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if abs(d - r) > width / 2:
            return False
        a = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return a0 <= a <= a1
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def coil(x0, y0, x1, y1, turns, step, width):
    """A flat antenna: concentric rounded rectangles, as printed on an RFID inlay."""
    rings = []
    for t in range(turns):
        o = t * step
        outer = rounded_rect(x0 + o, y0 + o, x1 - o, y1 - o, 3)
        inner = rounded_rect(x0 + o + width, y0 + o + width, x1 - o - width, y1 - o - width, 2)
        rings.append(outline(outer, inner))
    return lambda x, y: any(r(x, y) for r in rings)


# Back to front.
SHAPES = [
    (rounded_rect(14, 10, 60, 24, 2), rgb("#B0BEC5")),       # paper roll cover
    (rounded_rect(4, 20, 79, 52, 5), rgb("#37474F")),         # printer body
    (rounded_rect(4, 20, 79, 29, 5), rgb("#546E7A")),         # lid
    (rounded_rect(14, 40, 69, 45, 1.5), rgb("#17212B")),      # label exit slot
    (circle(71, 34.5, 2.2), rgb("#66BB6A")),                  # power light
    (rounded_rect(8, 32, 26, 36, 1.5), rgb("#90A4AE")),       # display
    (rounded_rect(19, 42, 64, 69, 2), rgb("#9EA7AD")),        # label edge
    (rounded_rect(20, 42, 63, 68, 1.5), rgb("#FFFFFF")),      # label
    (coil(25, 46, 58, 65, 3, 3, 1.4), rgb("#D9822B")),        # antenna
    (rounded_rect(38.5, 53, 44.5, 58, 0.8), rgb("#263238")),  # chip
    (ring_arc(64, 16, 4.5, 1.8, 10, 80), rgb("#1E88E5")),     # radio waves
    (ring_arc(64, 16, 8.5, 1.8, 10, 80), rgb("#1E88E5")),
    (ring_arc(64, 16, 12.5, 1.8, 15, 75), rgb("#1E88E5")),
]


ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
ICON_NAME = "v4400-tag-rf"


def pixel(px, py, scale=1.0, dy=0.0):
    """Pixel (px, py) of a picture that shows the drawing enlarged by scale, moved down by dy."""
    r = g = b = a = 0.0
    for sy in range(SS):
        for sx in range(SS):
            x = (px + (sx + 0.5) / SS) / scale
            y = (py + (sy + 0.5) / SS) / scale - dy
            colour = None
            for inside, c in SHAPES:
                if inside(x, y):
                    colour = c
            if colour:
                r += colour[0]
                g += colour[1]
                b += colour[2]
                a += 1
    if a == 0:
        return (0, 0, 0, 0)
    return (round(r / a), round(g / a), round(b / a), round(255 * a / (SS * SS)))


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def logo():
    return png(W, H, [[pixel(x, y) for x in range(W)] for y in range(H)])


def icon(size):
    """The logo on a square canvas: as wide as the canvas, centred from top to bottom."""
    scale = size / W
    dy = (W - H) / 2
    return png(size, size, [[pixel(x, y, scale, dy) for x in range(size)] for y in range(size)])


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    args = sys.argv[1:]
    if args[:1] == ["--icons"] and len(args) == 2:
        for size in ICON_SIZES:
            folder = os.path.join(args[1], "%dx%d" % (size, size), "apps")
            os.makedirs(folder, exist_ok=True)
            write(os.path.join(folder, ICON_NAME + ".png"), icon(size))
    elif args[:1] == ["--size"] and len(args) in (2, 3):
        write(args[2] if len(args) == 3 else ICON_NAME + ".png", icon(int(args[1])))
    elif len(args) <= 1:
        write(args[0] if args else "logo.png", logo())
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
