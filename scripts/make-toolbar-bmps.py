#!/usr/bin/env python3
"""Draws the toolbar and menu images and the application icon into res/.

Writes, for each of the two toolbars and for the undo and redo buttons, a strip of 24 x 24 images in three bitmaps: normal and hot
as 24-bit BMPs, disabled as an 8-bit BMP. The first stored pixel of every bitmap (the bottom-left
one, the bitmaps are stored bottom-up) has the background colour, which the program makes
transparent. The 8-bit bitmaps use a grey-scale palette, so that palette index i is the colour
(i, i, i): the first three stored bytes then name the background colour whichever way they are
read. Each strip is also drawn at twice the size (48 x 48 images, "@2x" in the name) for
screens with twice the pixels. Also writes the window icon res/quodra.png (48 x 48) and the
application icon for the desktop's icon theme at 24, 48, 96 and 192 pixels (res/icons/).

Only the Python standard library is used. Run from anywhere: python3 scripts/make-toolbar-bmps.py
"""

import math
import os
import struct
import zlib

SIZE = 24
BACKGROUND = (192, 192, 192)  # never used by a drawn pixel

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")


class Image:
    """A picture drawn in logical pixels; at scale s each logical pixel is s x s device pixels,
    and lines, curves and outlines are drawn again at the finer grid rather than enlarged."""

    def __init__(self, w, h, bg=BACKGROUND, s=1):
        self.s = s
        self.w, self.h = w * s, h * s  # device pixels
        self.px = [[bg] * self.w for _ in range(self.h)]

    def put(self, x, y, c):
        """One device pixel."""
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def block(self, x, y, size, c):
        """A size x size square of device pixels with its top-left corner at (x, y)."""
        for j in range(size):
            for i in range(size):
                self.put(x + i, y + j, c)

    def set(self, x, y, c):
        x, y = int(x), int(y)
        if self.s == 1:
            self.put(x, y, c)
        else:
            self.block(x * self.s, y * self.s, self.s, c)

    def get(self, x, y):
        return self.px[y][x]

    def line(self, x0, y0, x1, y1, c, width=1, dotted=0):
        """Bresenham line including both ends; width 2 adds the pixel below/right."""
        s = self.s
        self.device_line(int(x0) * s, int(y0) * s, int(x1) * s, int(y1) * s, c, width * s,
                         dotted * s)

    def device_line(self, x0, y0, x1, y1, c, size, dotted=0):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        n = 0
        while True:
            if not dotted or (n // dotted) % 2 == 0:
                self.block(x0, y0, size, c)
            n += 1
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def dot(self, x, y, c, width=1):
        if self.s == 1:
            self.block(int(x), int(y), width, c)
        else:
            self.block(round(x * self.s), round(y * self.s), width * self.s, c)

    def rect(self, x0, y0, x1, y1, c, fill=None):
        """Outline of the rectangle with corners (x0, y0) and (x1, y1), both inclusive."""
        if fill is not None:
            self.fill_rect(x0, y0, x1, y1, fill)
        self.line(x0, y0, x1, y0, c)
        self.line(x1, y0, x1, y1, c)
        self.line(x1, y1, x0, y1, c)
        self.line(x0, y1, x0, y0, c)

    def fill_rect(self, x0, y0, x1, y1, c):
        s = self.s
        for y in range(y0 * s, (y1 + 1) * s):
            for x in range(x0 * s, (x1 + 1) * s):
                self.put(x, y, c)

    def polygon(self, pts, c):
        """Filled polygon by scan lines through pixel centres."""
        pts = [(x * self.s, y * self.s) for x, y in pts]
        ys = [p[1] for p in pts]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            yc = y + 0.5
            xs = []
            for i in range(len(pts)):
                (xa, ya), (xb, yb) = pts[i], pts[(i + 1) % len(pts)]
                if (ya <= yc < yb) or (yb <= yc < ya):
                    xs.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                for x in range(int(math.ceil(a - 0.5)), int(math.floor(b - 0.5)) + 1):
                    self.put(x, y, c)

    def ellipse(self, cx, cy, rx, ry, c, fill=None, width=1):
        s = self.s
        if fill is not None:
            # A device pixel's centre, in logical pixel-index coordinates, is (d - (s - 1) / 2) / s.
            for y in range(int(cy - ry) * s, (int(cy + ry) + 1) * s):
                for x in range(int(cx - rx) * s, (int(cx + rx) + 1) * s):
                    lx, ly = (x - (s - 1) / 2) / s, (y - (s - 1) / 2) / s
                    if ((lx - cx) / rx) ** 2 + ((ly - cy) / ry) ** 2 <= 1.0:
                        self.put(x, y, fill)
        steps = 360 * s
        for i in range(steps):
            a = 2 * math.pi * i / steps
            self.dot(round(cx + rx * math.cos(a)) if s == 1 else cx + rx * math.cos(a),
                     round(cy + ry * math.sin(a)) if s == 1 else cy + ry * math.sin(a), c, width)

    def bezier(self, p0, p1, p2, p3, c, width=1):
        s = self.s
        prev = p0
        for i in range(1, 41 * s):
            t = i / (40 * s)
            u = 1 - t
            x = u**3 * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t**3 * p3[0]
            y = u**3 * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t**3 * p3[1]
            self.device_line(round(prev[0] * s), round(prev[1] * s), round(x * s), round(y * s),
                             c, width * s)
            prev = (x, y)

    def glyph(self, x0, y0, rows, c):
        for j, row in enumerate(rows):
            for i, ch in enumerate(row):
                if ch == "#":
                    self.set(x0 + i, y0 + j, c)

    def blit(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                p = other.get(x, y)
                if p != BACKGROUND:
                    self.put(ox * self.s + x, oy * self.s + y, p)


# Colour themes: normal, hot (brighter, warmer accents) and disabled (grey, embossed later).
NORMAL = dict(ink=(24, 32, 72), accent=(32, 96, 208), red=(208, 32, 32), paper=(255, 255, 255),
              fill=(168, 200, 240), grid=(138, 130, 255), handle=(0, 0, 255), metal=(150, 150, 160),
              green=(24, 144, 48), yellow=(250, 220, 90))
HOT = dict(ink=(0, 0, 0), accent=(0, 120, 255), red=(255, 64, 0), paper=(255, 255, 240),
           fill=(255, 214, 120), grid=(100, 90, 255), handle=(0, 60, 255), metal=(120, 120, 140),
           green=(0, 180, 60), yellow=(255, 200, 0))


def handle_square(img, x, y, t):
    img.rect(x - 1, y - 1, x + 1, y + 1, t["ink"])
    img.set(x, y, t["handle"])


def page(img, x0, y0, x1, y1, t):
    """A sheet with a folded top-right corner."""
    img.fill_rect(x0, y0, x1, y1, t["paper"])
    img.line(x0, y0, x1 - 4, y0, t["ink"])
    img.line(x1 - 4, y0, x1, y0 + 4, t["ink"])
    img.line(x1, y0 + 4, x1, y1, t["ink"])
    img.line(x1, y1, x0, y1, t["ink"])
    img.line(x0, y1, x0, y0, t["ink"])
    img.line(x1 - 4, y0, x1 - 4, y0 + 4, t["ink"])
    img.line(x1 - 4, y0 + 4, x1, y0 + 4, t["ink"])
    for y in range(y0 + 1, y0 + 4):
        for x in range(x1 - 3 + (y - y0 - 1), x1 + 1):
            img.set(x, y, BACKGROUND)
    img.line(x1 - 3, y0 + 1, x1 - 1, y0 + 3, t["ink"])


def double_arrow(img, x0, y0, x1, y1, c):
    img.line(x0, y0, x1, y1, c, 1)
    if y0 == y1:  # horizontal
        img.polygon([(x0 - 0.5, y0 + 0.5), (x0 + 3.5, y0 - 3.5), (x0 + 3.5, y0 + 4.5)], c)
        img.polygon([(x1 + 1.5, y1 + 0.5), (x1 - 2.5, y1 - 3.5), (x1 - 2.5, y1 + 4.5)], c)
    else:
        img.polygon([(x0 + 0.5, y0 - 0.5), (x0 - 3.5, y0 + 3.5), (x0 + 4.5, y0 + 3.5)], c)
        img.polygon([(x1 + 0.5, y1 + 1.5), (x1 - 3.5, y1 - 2.5), (x1 + 4.5, y1 - 2.5)], c)


# ---- main toolbar -------------------------------------------------------------------------------

def icon_save(img, t):
    img.rect(3, 3, 20, 20, t["ink"], fill=t["accent"])
    img.set(20, 3, BACKGROUND)
    img.fill_rect(6, 4, 17, 10, t["paper"])
    img.line(7, 6, 16, 6, t["metal"])
    img.line(7, 8, 16, 8, t["metal"])
    img.fill_rect(7, 14, 16, 19, t["metal"])
    img.fill_rect(9, 15, 11, 18, t["ink"])


def icon_duplicate(img, t):
    img.rect(2, 2, 14, 14, t["ink"], fill=t["fill"])
    img.rect(8, 8, 21, 21, t["ink"], fill=t["paper"])
    img.line(11, 12, 18, 12, t["accent"])
    img.line(11, 15, 18, 15, t["accent"])
    img.line(11, 18, 16, 18, t["accent"])


def icon_snap_keypoints(img, t):
    img.line(4, 19, 19, 4, t["ink"], 2)
    handle_square(img, 4, 19, t)
    img.ellipse(19, 5, 3.5, 3.5, t["red"])
    img.rect(17, 3, 21, 7, t["ink"])
    img.fill_rect(18, 4, 20, 6, t["handle"])
    # a small magnet beside the point
    img.fill_rect(3, 3, 5, 9, t["red"])
    img.fill_rect(9, 3, 11, 9, t["red"])
    img.fill_rect(3, 10, 11, 12, t["red"])
    img.fill_rect(3, 3, 5, 4, t["metal"])
    img.fill_rect(9, 3, 11, 4, t["metal"])


def icon_snap_grid(img, t):
    for v in (4, 11, 18):
        img.line(v, 2, v, 21, t["grid"])
        img.line(2, v, 21, v, t["grid"])
    img.line(5, 20, 11, 11, t["ink"], 2)
    img.ellipse(11, 11, 3, 3, t["red"])
    img.set(11, 11, t["red"])


def icon_snap_intersection(img, t):
    img.line(2, 5, 21, 18, t["ink"], 2)
    img.line(3, 20, 20, 2, t["accent"], 2)
    img.ellipse(12, 11, 4, 4, t["red"])


def icon_grid(img, t):
    img.fill_rect(2, 2, 21, 21, t["paper"])
    for v in range(2, 22, 5):
        img.line(v, 2, v, 21, t["grid"])
        img.line(2, v, 21, v, t["grid"])
    img.rect(2, 2, 21, 21, t["ink"])


def icon_actual_size(img, t):
    page(img, 3, 2, 20, 21, t)
    one = ["..#", ".##", "#.#", "..#", "..#", "..#", "..#", "###"]
    img.glyph(6, 8, one, t["ink"])
    img.glyph(7, 8, one, t["ink"])
    img.fill_rect(11, 10, 12, 11, t["ink"])
    img.fill_rect(11, 14, 12, 15, t["ink"])
    img.glyph(14, 8, one, t["ink"])
    img.glyph(15, 8, one, t["ink"])


def icon_fit_page(img, t):
    page(img, 6, 5, 17, 18, t)
    c = t["accent"]
    for (x, y, dx, dy) in ((2, 2, 1, 1), (21, 2, -1, 1), (2, 21, 1, -1), (21, 21, -1, -1)):
        img.line(x, y, x + 4 * dx, y, c, 1)
        img.line(x, y, x, y + 4 * dy, c, 1)
        img.line(x + dx, y + dy, x + 4 * dx, y + dy, c, 1)
        img.line(x + dx, y + dy, x + dx, y + 4 * dy, c, 1)


def icon_fit_width(img, t):
    page(img, 4, 3, 19, 20, t)
    double_arrow(img, 2, 12, 21, 12, t["accent"])
    img.line(2, 13, 21, 13, t["accent"])


def icon_fit_height(img, t):
    page(img, 4, 3, 19, 20, t)
    double_arrow(img, 11, 1, 11, 22, t["accent"])
    img.line(12, 1, 12, 22, t["accent"])


def icon_about(img, t):
    img.ellipse(11.5, 11.5, 9.5, 9.5, t["ink"], fill=t["accent"])
    q = [".####.", "##..##", "....##", "...##.", "..##..", "..##..", "......", "..##..",
         "..##.."]
    img.glyph(9, 7, q, t["paper"])


# ---- additional toolbar -------------------------------------------------------------------------

def icon_select(img, t):
    pts = [(6, 2), (6, 19), (10, 15), (13, 21), (16, 20), (13, 14), (18, 14)]
    img.polygon([(x + 0.5, y + 0.5) for x, y in pts], t["paper"])
    for i in range(len(pts)):
        a, b = pts[i], pts[(i + 1) % len(pts)]
        img.line(a[0], a[1], b[0], b[1], t["ink"])


def icon_zoom(img, t):
    img.ellipse(9.5, 9.5, 6.5, 6.5, t["ink"], fill=t["fill"], width=1)
    img.ellipse(9.5, 9.5, 7, 7, t["ink"])
    img.line(8, 6, 6, 8, t["paper"])
    for k in range(0, 3):
        img.line(14 + k, 15, 20 + k, 21, t["metal"] if k == 1 else t["ink"])
    img.line(15, 14, 21, 20, t["ink"])
    img.line(9, 7, 9, 12, t["ink"])
    img.line(7, 9, 12, 9, t["ink"])


def icon_line(img, t):
    img.line(3, 20, 19, 4, t["ink"], 2)
    img.dot(19, 4, t["red"], 2)


def icon_rectangle(img, t):
    img.rect(2, 5, 21, 18, t["ink"], fill=t["paper"])
    img.rect(3, 6, 20, 17, t["ink"])
    img.glyph(8, 9, ["#####", "..#..", "..#..", "..#..", "..#.."], t["accent"])
    img.glyph(13, 11, [".##", "#..", ".#.", "..#", "##."], t["accent"])


def icon_ellipse(img, t):
    img.ellipse(11.5, 11.5, 10, 7, t["ink"], fill=t["paper"], width=2)
    img.line(8, 11, 15, 11, t["accent"])
    img.line(9, 13, 14, 13, t["accent"])


def icon_rhomb(img, t):
    pts = [(11.5, 1.5), (22, 12), (11.5, 22.5), (1, 12)]
    img.polygon(pts, t["paper"])
    for i in range(4):
        a, b = pts[i], pts[(i + 1) % 4]
        img.line(a[0], a[1], b[0], b[1], t["ink"], 2)
    img.line(9, 11, 14, 11, t["accent"])
    img.line(10, 13, 13, 13, t["accent"])


def icon_bezier(img, t):
    p0, p1, p2, p3 = (2, 20), (4, 2), (19, 21), (21, 3)
    img.line(p0[0], p0[1], p1[0], p1[1], t["metal"], dotted=2)
    img.line(p3[0], p3[1], p2[0], p2[1], t["metal"], dotted=2)
    img.bezier(p0, p1, p2, p3, t["ink"], 2)
    handle_square(img, p1[0], p1[1] + 1, t)
    handle_square(img, p2[0], p2[1] - 1, t)


def icon_arrow(img, t):
    img.line(3, 20, 15, 8, t["ink"], 2)
    img.polygon([(21.5, 2.5), (11, 8), (16, 13)], t["ink"])


def icon_dotted_line(img, t):
    img.line(3, 20, 20, 3, t["ink"], 2, dotted=2)


# ---- edit buttons (undo, redo), a strip of their own ------------------------------------------

def turn_arrow(img, t, mirror):
    """A thick arrow turning back over the top: its head on the left (undo) or the right (redo)."""
    def px(x):
        return 23 - x if mirror else x
    cx, cy, r = 12.0, 13.0, 7.0
    for i in range(0, 181):
        a = math.radians(-180 + i * 1.25)
        if a > math.radians(70):
            break
        x, y = cx + r * math.cos(a), cy + r * math.sin(a)
        img.dot(px(round(x)) - (1 if mirror else 0), round(y), t["accent"], 2)
    tip = [(1.5, 12.5), (10.5, 12.5), (6, 19)]
    img.polygon([(px(x), y) for x, y in tip], t["ink"])


def icon_undo(img, t):
    turn_arrow(img, t, False)


def icon_redo(img, t):
    turn_arrow(img, t, True)


EDIT = [icon_undo, icon_redo]

MAIN = [icon_save, icon_duplicate, icon_snap_keypoints, icon_snap_grid, icon_snap_intersection,
        icon_grid, icon_actual_size, icon_fit_page, icon_fit_width, icon_fit_height, icon_about]
ADDITIONAL = [icon_select, icon_zoom, icon_line, icon_rectangle, icon_ellipse, icon_rhomb,
              icon_bezier, icon_arrow, icon_dotted_line]


def strip(icons, theme, scale=1):
    img = Image(SIZE * len(icons), SIZE, s=scale)
    for i, f in enumerate(icons):
        one = Image(SIZE, SIZE, s=scale)
        f(one, theme)
        img.blit(one, i * SIZE, 0)
    return img


def disabled_strip(icons, scale=1):
    """Grey, embossed look: a white copy one pixel down-right under a grey copy."""
    shape = strip(icons, NORMAL, scale)
    img = Image(shape.w // scale, shape.h // scale, s=scale)
    for y in range(shape.h):
        for x in range(shape.w):
            if shape.get(x, y) != BACKGROUND and x + scale < shape.w and y + scale < shape.h:
                img.block(x + scale, y + scale, 1, (255, 255, 255))
    for y in range(shape.h):
        for x in range(shape.w):
            p = shape.get(x, y)
            if p != BACKGROUND:
                lum = (p[0] * 3 + p[1] * 6 + p[2]) // 10
                img.put(x, y, (128, 128, 128) if lum < 160 else (170, 170, 170))
    return img


def bmp_bytes(img, bits):
    """A bottom-up BMP; 24-bit, or 8-bit with the grey-scale palette (index i = (i, i, i))."""
    w, h = img.w, img.h
    if bits == 24:
        row_len = (w * 3 + 3) & ~3
        palette = b""
    else:
        row_len = (w + 3) & ~3
        palette = b"".join(struct.pack("<BBBB", i, i, i, 0) for i in range(256))
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = img.get(x, y)
            if bits == 24:
                row += bytes((b, g, r))
            else:
                if not (r == g == b):
                    raise ValueError("8-bit images must be grey")
                row.append(r)
        row += b"\0" * (row_len - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, len(pixels), 2835, 2835,
                       256 if bits == 8 else 0, 0)
    return header + info + palette + pixels


def png_bytes(img, transparent=BACKGROUND):
    raw = bytearray()
    for y in range(img.h):
        raw.append(0)
        for x in range(img.w):
            p = img.get(x, y)
            raw += bytes(p) + (b"\0" if p == transparent else b"\xff")

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    ihdr = struct.pack(">IIBBBBB", img.w, img.h, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def draw_app_icon(img, t):
    page(img, 2, 1, 21, 22, t)
    img.rect(5, 6, 12, 11, t["accent"])
    img.ellipse(14, 14, 4, 3, t["red"])
    img.line(5, 19, 10, 14, t["ink"])
    img.polygon([(11.5, 12.5), (8, 14), (10, 16)], t["ink"])


def app_icon():
    """The window's icon: the 24-pixel picture with every pixel doubled."""
    small = Image(24, 24)
    draw_app_icon(small, NORMAL)
    big = Image(48, 48)
    for y in range(48):
        for x in range(48):
            big.set(x, y, small.get(x // 2, y // 2))
    return big


def app_icon_at(scale):
    """The icon drawn at 24 x scale pixels for the desktop's icon theme."""
    img = Image(24, 24, s=scale)
    draw_app_icon(img, NORMAL)
    return img


def write(name, data):
    path = os.path.join(RES, name)
    with open(path, "wb") as f:
        f.write(data)
    print("wrote", os.path.normpath(path))


# The scales drawn for the toolbars: 1 for ordinary screens, 2 for screens with twice the pixels
# (the program picks the second strip there).
ICON_SCALES = (24, 48, 96, 192)


def main():
    os.makedirs(os.path.join(RES, "icons"), exist_ok=True)
    for name, icons in (("main", MAIN), ("additional", ADDITIONAL), ("edit", EDIT)):
        for scale, suffix in ((1, ""), (2, "@2x")):
            write(f"toolbar-{name}{suffix}.bmp", bmp_bytes(strip(icons, NORMAL, scale), 24))
            write(f"toolbar-{name}-hot{suffix}.bmp", bmp_bytes(strip(icons, HOT, scale), 24))
            write(f"toolbar-{name}-disabled{suffix}.bmp",
                  bmp_bytes(disabled_strip(icons, scale), 8))
    write("quodra.png", png_bytes(app_icon()))
    for size in ICON_SCALES:
        write(os.path.join("icons", f"quodra-{size}.png"), png_bytes(app_icon_at(size // 24)))


if __name__ == "__main__":
    main()
