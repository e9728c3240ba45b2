#!/usr/bin/env python3
"""Draws the 14 tree icons (16 x 16 PNG): the seven category pictures, then
their greyed forms in the same order.  Run from this folder."""
import math
import struct
import zlib

SIZE = 16
SS = 4  # supersampling per axis


def png(path, pixels):
    raw = b"".join(b"\0" + bytes(sum((list(p) for p in row), [])) for row in pixels)

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def render(shapes):
    """shapes: list of (inside(x, y) -> bool, (r, g, b)); later shapes on top."""
    out = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SS):
                for sx in range(SS):
                    x = px + (sx + 0.5) / SS
                    y = py + (sy + 0.5) / SS
                    colour = None
                    for inside, c in shapes:
                        if inside(x, y):
                            colour = c
                    if colour:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            n = acc[3]
            if n:
                row.append((round(acc[0] / n), round(acc[1] / n), round(acc[2] / n), round(255 * n / SS / SS)))
            else:
                row.append((0, 0, 0, 0))
        out.append(row)
    return out


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r0, r1):
    return lambda x, y: r0 * r0 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 * r1


def segment(x0, y0, x1, y1, w):
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        return (x - x0 - t * dx) ** 2 + (y - y0 - t * dy) ** 2 <= (w / 2) ** 2
    return inside


def polyline(points, w):
    segs = [segment(*points[i], *points[i + 1], w) for i in range(len(points) - 1)]
    return lambda x, y: any(s(x, y) for s in segs)


def wedge(cx, cy, r, a0, a1):
    def inside(x, y):
        if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
            return False
        a = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return a0 <= a <= a1
    return inside


def star(cx, cy, r0, r1):
    pts = []
    for i in range(10):
        r = r1 if i % 2 == 0 else r0
        a = math.radians(90 + 36 * i)
        pts.append((cx + r * math.cos(a), cy - r * math.sin(a)))

    def inside(x, y):
        c = False
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c
    return inside


DARK = (40, 40, 40)

ICONS = [
    # 0 price: a rising line over an axis
    [(polyline([(1.5, 1.5), (1.5, 14.5), (14.5, 14.5)], 1.2), DARK),
     (polyline([(3, 12), (6.5, 8), (9, 10), (14, 3.5)], 2.0), (0, 150, 60)),
     (circle(14, 3.5, 1.6), (0, 150, 60))],
    # 1 earnings: a coin
    [(circle(8, 8, 7.2), (150, 110, 0)), (circle(8, 8, 6.0), (245, 195, 40)),
     (segment(8, 4, 8, 12, 1.6), (150, 110, 0)), (segment(6, 6, 10, 6, 1.4), (150, 110, 0)),
     (segment(6, 10, 10, 10, 1.4), (150, 110, 0))],
    # 2 dividends: a pie with one slice apart
    [(circle(7.2, 8.8, 6.2), (30, 100, 200)), (wedge(8.8, 7.2, 6.2, 0, 90), (240, 120, 30))],
    # 3 other fundamentals: a sheet with lines
    [(rect(2.5, 1, 13.5, 15), (110, 110, 110)), (rect(3.5, 2, 12.5, 14), (255, 255, 255)),
     (rect(5, 4.5, 11, 5.5), (120, 60, 160)), (rect(5, 7.5, 11, 8.5), (120, 60, 160)),
     (rect(5, 10.5, 9, 11.5), (120, 60, 160))],
    # 4 company: a building with windows
    [(rect(2, 2, 11, 15), (90, 70, 50)), (rect(11, 7, 14.5, 15), (130, 100, 70))] +
    [(rect(3.5 + 2.6 * c, 3.5 + 2.7 * r, 5 + 2.6 * c, 5 + 2.7 * r), (250, 230, 140))
     for c in range(3) for r in range(4)],
    # 5 volume: bars
    [(rect(1.5, 9, 4.5, 15), (0, 130, 140)), (rect(6, 4, 9, 15), (0, 130, 140)),
     (rect(10.5, 7, 13.5, 15), (0, 130, 140)), (rect(0.5, 15, 15.5, 15.9), DARK)],
    # 6 analyst: a star
    [(star(8, 8.5, 3.0, 7.5), (200, 40, 40))],
]


def grey(pixels):
    out = []
    for row in pixels:
        out.append([(g, g, g, a // 2 + a // 4) for (r, gg, b, a) in row
                    for g in [round(150 + 0.4 * (0.3 * r + 0.59 * gg + 0.11 * b))]])
    return out


for i, shapes in enumerate(ICONS):
    active = render(shapes)
    png("tree%02d.png" % i, active)
    png("tree%02d.png" % (i + 7), grey(active))
