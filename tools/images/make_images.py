#!/usr/bin/env python3
"""Draws the applet's icons and built-in logo (standard library only).

Writes res/status_*.ico, res/oem_logo.bmp and enlarged PNG previews in
docs/images/. Output is byte-identical from run to run, so the generated
files can be checked in and re-made at will.

Usage: python3 tools/images/make_images.py [repo-root]
"""

import math
import os
import struct
import sys
import zlib

SUPERSAMPLE = 8          # 8 x 8 samples per pixel
ICON_SIZES = (16, 20, 24, 32, 48)


# ---------------------------------------------------------------- geometry
# Shapes are signed distance functions: f(x, y) <= 0 inside. Every function
# here never overstates the distance, which lets the rasteriser skip
# sampling for pixels that are clearly inside or outside.

def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def rrect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def f(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        return (math.hypot(max(qx, 0.0), max(qy, 0.0))
                + min(max(qx, qy), 0.0) - r)
    return f


def rect(x0, y0, x1, y1):
    return rrect(x0, y0, x1, y1, 0.0)


def _seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(1.0, max(0.0, t))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def stroke(points, width):
    """A polyline with round caps and joins."""
    segs = list(zip(points, points[1:]))
    half = width / 2

    def f(x, y):
        return min(_seg_dist(x, y, a[0], a[1], b[0], b[1])
                   for a, b in segs) - half
    return f


def convex(points):
    """Convex polygon, vertices in either winding order."""
    n = len(points)
    area = sum(points[i][0] * points[(i + 1) % n][1]
               - points[(i + 1) % n][0] * points[i][1] for i in range(n))
    sign = 1.0 if area > 0 else -1.0
    edges = []
    for i in range(n):
        (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
        length = math.hypot(bx - ax, by - ay)
        # Outward normal for the detected winding.
        nx, ny = sign * (by - ay) / length, -sign * (bx - ax) / length
        edges.append((ax, ay, nx, ny))

    def f(x, y):
        return max((x - ax) * nx + (y - ay) * ny for ax, ay, nx, ny in edges)
    return f


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def grow(shape, amount):
    return lambda x, y: shape(x, y) - amount


def arc_points(cx, cy, r, a0, a1, steps=24):
    """Points on a circle, angles in degrees, y pointing down."""
    return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
             cy + r * math.sin(math.radians(a0 + (a1 - a0) * i / steps)))
            for i in range(steps + 1)]


# ---------------------------------------------------------------- raster

class Canvas:
    """Premultiplied RGBA floats, origin top-left, one unit per pixel."""

    def __init__(self, w, h, background=None):
        self.w, self.h = w, h
        fill = (0.0, 0.0, 0.0, 0.0)
        if background:
            fill = tuple(c / 255 for c in background) + (1.0,)
        self.px = [list(fill) for _ in range(w * h)]

    def coverage(self, shape, x, y):
        d = shape(x + 0.5, y + 0.5)
        if d <= -0.75:
            return 1.0
        if d >= 0.75:
            return 0.0
        hit = 0
        for sy in range(SUPERSAMPLE):
            yy = y + (sy + 0.5) / SUPERSAMPLE
            for sx in range(SUPERSAMPLE):
                if shape(x + (sx + 0.5) / SUPERSAMPLE, yy) <= 0:
                    hit += 1
        return hit / (SUPERSAMPLE * SUPERSAMPLE)

    def fill(self, shape, colour, opacity=1.0):
        """colour: (r, g, b) 0-255 or a function (x, y) -> (r, g, b)."""
        for y in range(self.h):
            for x in range(self.w):
                a = self.coverage(shape, x, y) * opacity
                if a <= 0:
                    continue
                c = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                p = self.px[y * self.w + x]
                keep = 1.0 - a
                p[0] = c[0] / 255 * a + p[0] * keep
                p[1] = c[1] / 255 * a + p[1] * keep
                p[2] = c[2] / 255 * a + p[2] * keep
                p[3] = a + p[3] * keep

    def erase(self, shape):
        for y in range(self.h):
            for x in range(self.w):
                a = self.coverage(shape, x, y)
                if a > 0:
                    p = self.px[y * self.w + x]
                    for i in range(4):
                        p[i] *= 1.0 - a

    def rgba(self):
        """Rows of straight (not premultiplied) 8-bit (r, g, b, a)."""
        rows = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                r, g, b, a = self.px[y * self.w + x]
                alpha = int(round(a * 255))
                if alpha == 0:
                    row.append((0, 0, 0, 0))
                    continue
                row.append(tuple(min(255, int(round(c / a * 255)))
                                 for c in (r, g, b)) + (alpha,))
            rows.append(row)
        return rows


def vgradient(y0, c0, y1, c1):
    def f(x, y):
        t = min(1.0, max(0.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(c0, c1))
    return f


def hexrgb(s):
    return tuple(int(s[i:i + 2], 16) for i in (0, 2, 4))


# ---------------------------------------------------------------- icons
# Drawn in a 16-unit design space and scaled; the outline widths are kept at
# whole pixels so the edges stay crisp at every size.

OUTLINE = hexrgb("1d2733")
BEZEL = hexrgb("e6ebf1")
SCREEN_TOP, SCREEN_BOTTOM = hexrgb("6cc0f4"), hexrgb("2f7fd0")
STAND = hexrgb("6b7a8c")

BADGES = {
    # state: (top colour, bottom colour, rim colour)
    "enabled": (hexrgb("4fcf5f"), hexrgb("23973a"), hexrgb("0f4f1c")),
    "disabled": (hexrgb("f0615a"), hexrgb("c62828"), hexrgb("5c0d0d")),
    "unknown": (hexrgb("ffd54a"), hexrgb("f2a500"), hexrgb("5e3d00")),
}


# Hand-placed question marks for the small sizes, where a drawn curve blurs.
QUESTION = {
    16: [".###.",
         "#...#",
         "...#.",
         "..#..",
         ".....",
         "..#.."],
    20: [".###.",
         "#...#",
         "....#",
         "..##.",
         "..#..",
         ".....",
         "..#.."],
    24: [".####.",
         "##..##",
         "....##",
         "...##.",
         "..##..",
         "..##..",
         "......",
         "..##.."],
}


def pixel_glyph(c, bitmap, left, top, colour):
    for ry, bits in enumerate(bitmap):
        for rx, bit in enumerate(bits):
            if bit == "#":
                c.fill(rect(left + rx, top + ry, left + rx + 1, top + ry + 1), colour)


def draw_icon(state, n):
    k = n / 16
    line = max(1, round(k))          # outline width in whole pixels
    c = Canvas(n, n)

    # Monitor: "this computer". Top-left, the badge sits bottom-right.
    mx0, my0, mx1, my1 = 0, round(1 * k), round(15 * k), round(12 * k)
    radius = 1.5 * k
    c.fill(rrect(mx0, my0, mx1, my1, radius), OUTLINE)
    c.fill(rrect(mx0 + line, my0 + line, mx1 - line, my1 - line,
                 max(0.5, radius - line)), BEZEL)
    inset = line + max(1, round(0.75 * k))
    sx0, sy0, sx1, sy1 = mx0 + inset, my0 + inset, mx1 - inset, my1 - inset
    c.fill(rect(sx0, sy0, sx1, sy1), vgradient(sy0, SCREEN_TOP, sy1, SCREEN_BOTTOM))
    # Stand in a mid grey so it shows on light and on dark task bars; centred
    # under the part of the monitor the badge leaves free.
    neck_w = max(2, round(2 * k))
    ncx = round(4 * k)
    by0 = n - max(2, round(2 * k))
    neck = rect(ncx - neck_w / 2, my1, ncx + neck_w / 2, by0 + 0.5)
    base = rrect(max(0, ncx - round(3.5 * k)), by0, ncx + round(3 * k), n, 0.6 * k)
    stand = union(neck, base)
    if n >= 32:
        c.fill(grow(stand, line / 2), OUTLINE)
        c.fill(grow(stand, -line / 2), STAND)
    else:
        c.fill(stand, STAND)

    # Badge, with a transparent gap so it reads against the monitor.
    top, bottom, rim = BADGES[state]
    gap = max(1, round(0.75 * k))
    rim_w = max(1, round(0.75 * k))
    if state == "unknown":
        # Diamond: a different outline from the two round badges.
        dr = round(6.6 * k * 2) / 2
        if n in QUESTION and (2 * dr - len(QUESTION[n][0])) % 2:
            dr -= 0.5                    # centre the pixel glyph exactly
        bcx = bcy = n - dr
        body = rrect_diamond(bcx, bcy, dr, 0.6 * k)
        extent = dr
    else:
        br = round(5.5 * k * 2) / 2      # edges and centre on the half-pixel grid
        bcx = bcy = n - br
        body = circle(bcx, bcy, br)
        extent = br
    c.erase(grow(body, gap))
    c.fill(body, rim)
    c.fill(grow(body, -rim_w), vgradient(bcy - extent, top, bcy + extent, bottom))

    white = (255, 255, 255)
    if state == "enabled":
        w = 1.7 * k
        c.fill(stroke([(bcx - 2.6 * k, bcy + 0.1 * k),
                       (bcx - 0.8 * k, bcy + 1.9 * k),
                       (bcx + 2.6 * k, bcy - 1.7 * k)], w), white)
    elif state == "disabled":
        h = max(2, round(2 * k))
        if (h - round(2 * br)) % 2:
            h += 1                       # same parity as the badge: crisp edges
        half = round(3.4 * k - bcx % 1) + bcx % 1
        c.fill(rrect(bcx - half, bcy - h / 2, bcx + half, bcy + h / 2, 0.3 * k),
               white)
    else:
        glyph = hexrgb("2b1d00")
        if n in QUESTION:
            bitmap = QUESTION[n]
            left = math.floor(bcx - len(bitmap[0]) / 2 + 0.5)
            top_row = math.floor(bcy - len(bitmap) / 2 + 0.5)
            pixel_glyph(c, bitmap, left, top_row, glyph)
        else:
            w = 1.45 * k
            pts = arc_points(bcx, bcy - 1.6 * k, 1.45 * k, 200, 395)
            pts.append((bcx, bcy + 0.6 * k))
            c.fill(stroke(pts, w), glyph)
            c.fill(circle(bcx, bcy + 2.75 * k, 0.9 * k), glyph)
    return c


def rrect_diamond(cx, cy, r, rounding):
    """A square standing on a corner, corners rounded."""
    s = (r - rounding * math.sqrt(2)) / math.sqrt(2)   # half side before rounding
    inner = rrect(-s, -s, s, s, 0.0)
    inv = 1 / math.sqrt(2)

    def f(x, y):
        dx, dy = x - cx, y - cy
        return inner((dx + dy) * inv, (dy - dx) * inv) - rounding
    return f


def ico_bytes(canvases):
    """ICO with 32-bit BGRA images plus the 1-bit AND mask; from 32 pixels up
    PNG images, as Windows has read them since Vista: a quarter of the size."""
    images = []
    for c in canvases:
        n = c.w
        rows = c.rgba()
        if n >= 32:
            images.append((n, png_bytes(rows)))
            continue
        xor = bytearray()
        for row in reversed(rows):                    # bottom-up
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
        stride = ((n + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            line = bytearray(stride)
            for x, p in enumerate(row):
                if p[3] == 0:                         # fully clear: screen shows
                    line[x // 8] |= 0x80 >> (x % 8)
            mask += line
        header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0,
                             len(xor) + len(mask), 0, 0, 0, 0)
        images.append((n, header + xor + mask))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for n, data in images:
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32,
                           len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


# ---------------------------------------------------------------- logo

LOGO_W, LOGO_H = 64, 42


def hexagon(cx, cy, r):
    return convex([(cx + r * math.cos(math.radians(90 + 60 * i)),
                    cy + r * math.sin(math.radians(90 + 60 * i))) for i in range(6)])


def draw_logo():
    c = Canvas(LOGO_W, LOGO_H, background=(255, 255, 255))
    # Mark: rounded tile holding a hexagon, a neutral "hardware" emblem.
    x0, y0, size = 2, 9, 24
    c.fill(rrect(x0, y0, x0 + size, y0 + size, 5),
           vgradient(y0, hexrgb("2f86e0"), y0 + size, hexrgb("123f8f")))
    cx, cy = x0 + size / 2, y0 + size / 2
    # Radii put the upright edges on whole pixels (r * cos 30 = 7, 5, 3).
    outer, inner = hexagon(cx, cy, 7 / 0.8660254), hexagon(cx, cy, 5 / 0.8660254)
    c.fill(lambda x, y: max(outer(x, y), -inner(x, y)), (255, 255, 255))
    c.fill(hexagon(cx, cy, 3 / 0.8660254), (255, 255, 255))
    # "OEM": geometric letters, 12 px cap height, 2 px strokes on whole pixels.
    ink = hexrgb("23303f")
    top, bottom = 15, 27
    x = 30
    o_out = rrect(x, top, x + 9, bottom, 4)
    o_in = rrect(x + 2, top + 2, x + 7, bottom - 2, 2.2)
    c.fill(lambda px, py: max(o_out(px, py), -o_in(px, py)), ink)
    x += 9 + 3
    c.fill(union(rect(x, top, x + 2, bottom), rect(x, top, x + 7, top + 2),
                 rect(x, top + 5, x + 6, top + 7), rect(x, bottom - 2, x + 7, bottom)),
           ink)
    x += 7 + 3
    c.fill(union(rect(x, top, x + 2, bottom), rect(x + 8, top, x + 10, bottom),
                 stroke([(x + 1.2, top + 1.2), (x + 5, top + 7.5),
                         (x + 8.8, top + 1.2)], 2.2)),
           ink)
    return c


def bmp_bytes(c):
    """24-bit BI_RGB bottom-up BMP; the canvas is opaque."""
    stride = (c.w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(c.rgba()):
        line = bytearray()
        for r, g, b, _ in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, c.w, c.h, 1, 24, 0, len(pixels),
                       2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0,
                         14 + len(info))
    return header + info + bytes(pixels)


# ---------------------------------------------------------------- previews

def png_bytes(rows):
    h, w = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for p in row:
            raw += bytes(p)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def composite(p, bg):
    r, g, b, a = p
    return tuple(int(round(c * a / 255 + k * (255 - a) / 255))
                 for c, k in zip((r, g, b), bg)) + (255,)


def icon_preview(canvases, scale=8, pad=8):
    """Every size enlarged, on a light and on a dark task bar colour."""
    backgrounds = [(243, 243, 243), (32, 32, 32)]
    width = pad + sum(c.w * scale + pad for c in canvases)
    tallest = max(c.h for c in canvases) * scale
    band = tallest + 2 * pad
    rows = [[(0, 0, 0, 255)] * width for _ in range(band * len(backgrounds))]
    for bi, bg in enumerate(backgrounds):
        for y in range(band):
            rows[bi * band + y] = [bg + (255,)] * width
        x0 = pad
        for c in canvases:
            src = c.rgba()
            y0 = bi * band + pad + (tallest - c.h * scale)
            for y in range(c.h * scale):
                line = rows[y0 + y]
                for x in range(c.w * scale):
                    line[x0 + x] = composite(src[y // scale][x // scale], bg)
            x0 += c.w * scale + pad
    return rows


def logo_preview(c, scale=4):
    src = c.rgba()
    return [[src[y // scale][x // scale] for x in range(c.w * scale)]
            for y in range(c.h * scale)]


# ---------------------------------------------------------------- main

def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(
        os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    for state in ("enabled", "disabled", "unknown"):
        canvases = [draw_icon(state, n) for n in ICON_SIZES]
        write(os.path.join(root, "res", "status_%s.ico" % state),
              ico_bytes(canvases))
        write(os.path.join(root, "docs", "images", "status_%s.png" % state),
              png_bytes(icon_preview(canvases)))
    logo = draw_logo()
    write(os.path.join(root, "res", "oem_logo.bmp"), bmp_bytes(logo))
    write(os.path.join(root, "docs", "images", "oem_logo.png"),
          png_bytes(logo_preview(logo)))


if __name__ == "__main__":
    main()
