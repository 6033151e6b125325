#!/usr/bin/env python3
"""Draws Parlo's pictures and writes them into res/.

Everything here is drawn from code: the send-button gems, the About picture and the program
icon. The gems and the About picture are drawn again, from the same geometry, for displays at
125, 150 and 200 % (gem_150.bmp, about_200.bmp...), so they stay sharp where the windows scale. Only the Python 3 standard library is used, so any machine can regenerate the files:

    python3 tools/art/make_art.py            # writes into <repo>/res
    python3 tools/art/make_art.py OUTDIR     # writes somewhere else (for comparing)

The output is deterministic: running it twice gives the same bytes.
"""

import math
import os
import struct
import sys
import zlib

GRID = (206, 185, 140)  # the phrase grid's background; the gem corners must match it exactly

# Display scales the pictures are drawn for, in percent of 96 dpi; 100 % is the original size.
SCALES = (100, 125, 150, 200)


def scaled(length, percent):
    """A 96-dpi length at percent, rounded half up as the program rounds its layout."""
    return (length * percent + 50) // 100


# ----------------------------------------------------------------------------------------------
# File writers


def _pack_rows(rows, row_bytes):
    """Bottom-up DIB rows, each padded to a multiple of four bytes."""
    out = bytearray()
    for row in reversed(rows):
        data = row_bytes(row)
        out += data + b"\0" * (-len(data) % 4)
    return bytes(out)


def bmp8(pixels):
    """An uncompressed 8-bit palette BMP of rows of (r, g, b)."""
    height, width = len(pixels), len(pixels[0])
    palette = sorted({p for row in pixels for p in row}, key=lambda c: (sum(c), c))
    if len(palette) > 256:
        raise ValueError("%d colours do not fit an 8-bit palette" % len(palette))
    index = {c: i for i, c in enumerate(palette)}
    bits = _pack_rows(pixels, lambda row: bytes(index[p] for p in row))
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + 40 + len(pal)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    # 3780 pixels per metre = 96 dpi.
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(bits), 3780, 3780,
                       len(palette), len(palette))
    return header + info + pal + bits


def _and_mask(rgba):
    """The 1-bit AND mask of an icon image: set where the pixel is transparent."""
    def row_bytes(row):
        out = bytearray((len(row) + 7) // 8)
        for x, p in enumerate(row):
            if p[3] < 128:
                out[x // 8] |= 0x80 >> (x % 8)
        return bytes(out)
    return _pack_rows(rgba, row_bytes)


def ico_dib32(rgba):
    height, width = len(rgba), len(rgba[0])
    xor = _pack_rows(rgba, lambda row: b"".join(struct.pack("<BBBB", b, g, r, a)
                                                  for r, g, b, a in row))
    mask = _and_mask(rgba)
    info = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, 32, 0, len(xor) + len(mask),
                       0, 0, 0, 0)
    return info + xor + mask


def ico_dib4(rgba, palette):
    """A 16-colour icon image; transparent pixels take palette index 0 and are masked."""
    height, width = len(rgba), len(rgba[0])
    assert len(palette) <= 16
    palette = list(palette) + [(0, 0, 0)] * (16 - len(palette))

    def row_bytes(row):
        idx = [palette.index(p[:3]) if p[3] >= 128 else 0 for p in row]
        idx += [0] * (len(idx) % 2)
        return bytes((idx[i] << 4) | idx[i + 1] for i in range(0, len(idx), 2))

    xor = _pack_rows(rgba, row_bytes)
    mask = _and_mask(rgba)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, 4, 0, len(xor) + len(mask),
                       0, 0, 16, 0)
    return info + pal + xor + mask


def png(rgba):
    height, width = len(rgba), len(rgba[0])

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rgba)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico(images):
    """images: list of (size, bit_count, colour_count, data)."""
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = len(head) + 16 * len(images)
    entries, blobs = b"", b""
    for size, bits, colours, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bits,
                               len(data), offset + len(blobs))
        blobs += data
    return head + entries + blobs


# ----------------------------------------------------------------------------------------------
# Drawing helpers


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    t = clamp(t)
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def ramp(stops, t):
    """Colour at t along [(t0, colour0), (t1, colour1), ...]."""
    t = clamp(t, stops[0][0], stops[-1][0])
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, (t - t0) / (t1 - t0) if t1 > t0 else 1.0)
    return stops[-1][1]


def to8(c):
    return tuple(int(round(clamp(v, 0, 255))) for v in c)


def render(width, height, shade, samples):
    """Supersamples shade(x, y) -> (r, g, b, a) (a in 0..1) into rows of premultiplied-averaged
    RGBA bytes."""
    step = 1.0 / samples
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    r, g, b, a = shade(px + (sx + 0.5) * step, py + (sy + 0.5) * step)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = samples * samples
            a = acc[3] / n
            if a <= 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(to8((acc[0] / acc[3], acc[1] / acc[3], acc[2] / acc[3])) +
                           (int(round(a * 255)),))
        rows.append(row)
    return rows


def flatten(rgba, background):
    return [[to8(mix(background, p[:3], p[3] / 255.0)) for p in row] for row in rgba]


# ----------------------------------------------------------------------------------------------
# The send-button gem


GOLD = [(-1.0, (150, 96, 16)), (-0.2, (205, 150, 36)), (0.45, (240, 196, 72)),
        (1.0, (255, 240, 160))]
OUTLINE = (92, 58, 16)


def gem_shader(cx, cy, radius, pressed):
    """A round blue gem in a gold setting, lit from the upper left. radius is the outer edge."""
    rim_out = radius * 0.82
    rim_in = radius * 0.62

    def shade(x, y):
        dx, dy = x - cx, y - cy
        r = math.hypot(dx, dy)
        if r > radius:
            return (0, 0, 0, 0)
        if r > rim_out:
            return OUTLINE + (1.0,)
        if r > rim_in:
            light = -(dx + dy) / (r * math.sqrt(2)) if r > 0 else 0
            return ramp(GOLD, light) + (1.0,)
        u, v = dx / rim_in, dy / rim_in  # -1..1 across the stone
        if pressed:
            # Lit from inside: a bright core fading to a vivid blue edge.
            t = math.hypot(u, v)
            c = ramp([(0.0, (215, 240, 255)), (0.45, (120, 185, 255)), (1.0, (40, 95, 225))], t)
        else:
            # A dome: light pools up-left, the lower right sinks into deep blue.
            t = math.hypot(u + 0.35, v + 0.4) / 1.5
            c = ramp([(0.0, (110, 165, 245)), (0.5, (45, 90, 205)), (1.0, (16, 34, 120))], t)
        glint = math.hypot(u + 0.42, v + 0.45)
        if glint < 0.28:
            c = mix(c, (250, 252, 255), 0.9)
        # A faint glint where light passes through the stone to its lower right.
        glint = math.hypot(u - 0.45, v - 0.45)
        if glint < 0.3 and not pressed:
            c = mix(c, (80, 140, 235), 0.6)
        return c + (1.0,)

    return shade


def make_gem(pressed, size=11):
    """The gem at its 96-dpi size of 11 pixels, or drawn afresh at a larger size."""
    rgba = render(size, size, gem_shader(size / 2.0, size / 2.0, size / 2.0, pressed), 8)
    pixels = flatten(rgba, GRID)
    # The grid shows through exactly wherever the round gem does not reach.
    for y in range(size):
        for x in range(size):
            if rgba[y][x][3] == 0:
                assert pixels[y][x] == GRID
    return pixels


# ----------------------------------------------------------------------------------------------
# The About picture: a traveller on a meadow at dusk, greeting whoever opens the box


ABOUT_W, ABOUT_H = 144, 135

BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def dithered(stops, t, x, y, levels):
    """Pixel-art banding: t is snapped to one of `levels` steps, with ordered dithering between."""
    f = clamp(t) * (levels - 1)
    base = int(f)
    if f - base > (BAYER4[y % 4][x % 4] + 0.5) / 16.0:
        base += 1
    return to8(ramp(stops, base / (levels - 1.0)))


class Rand:
    """A small LCG so the scene is the same on every run and every Python."""

    def __init__(self, seed):
        self.state = seed

    def next(self, n):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return (self.state >> 8) % n


SKY = [(0.0, (14, 18, 48)), (0.45, (40, 40, 96)), (0.75, (112, 74, 120)), (0.9, (196, 112, 106)),
       (1.0, (244, 168, 96))]
HORIZON = 84


def hill(x, base, parts):
    return base + sum(a * math.sin(x * f + p) for a, f, p in parts)


# The traveller, one character per pixel. '.' lets the scene show through.
FIGURE = [
    "......KKKK........",
    ".....KhHHhK.......",
    "....KhHhhhhK......",
    "....KhhhhhhK......",
    "....KhsssshK......",
    "....KseSseSK......",
    "....KssssSSK.....w",
    ".....KsSSSK......w",
    "....KKKSSKKK....Kw",
    "...KuuttttTTK..KsK",
    "..KuuuttttTTTKKss.",
    "..KuuKttttTKTTKK.w",
    "..KuKKttttTK.TK..w",
    "..KsKKttttTK..K..w",
    "..KsKbbbgbbK.....w",
    "...KKttttTTK.....w",
    "....KttttTTK.....w",
    "....KtttTTTK.....w",
    "....KppKKpPK.....w",
    "....KppK.pPK.....w",
    "....KppK.pPK.....w",
    "....KppK.pPK.....w",
    "....KooK.oOK.....w",
    "...KoooK.oOOK....w",
    "...KKKKK.KKKK....W",
]
FIGURE_COLOURS = {
    "K": (26, 20, 24), "h": (112, 62, 28), "H": (158, 98, 44), "s": (238, 190, 144),
    "S": (200, 146, 104), "e": (34, 30, 44), "t": (36, 92, 150), "T": (24, 60, 104),
    "u": (70, 136, 196), "b": (92, 58, 28), "g": (236, 196, 70), "p": (92, 74, 56),
    "P": (64, 50, 38), "o": (104, 60, 28), "O": (70, 40, 20), "w": (164, 120, 66),
    "W": (110, 78, 40),
}

# A tiny hand-made capital alphabet for the speech line, three or four pixels wide, five high.
GLYPHS = {
    "H": ["1.1", "1.1", "111", "1.1", "1.1"],
    "A": [".1.", "1.1", "111", "1.1", "1.1"],
    "I": ["111", ".1.", ".1.", ".1.", "111"],
    "L": ["1..", "1..", "1..", "1..", "111"],
    "F": ["111", "1..", "11.", "1..", "1.."],
    "R": ["11.", "1.1", "11.", "1.1", "1.1"],
    "E": ["111", "1..", "11.", "1..", "111"],
    "N": ["1..1", "11.1", "1.11", "1..1", "1..1"],
    "D": ["11.", "1.1", "1.1", "1.1", "11."],
    ",": ["..", "..", "..", ".1", "1."],
    "!": ["1", "1", "1", ".", "1"],
    " ": ["..", "..", "..", "..", ".."],
}


def text_width(text):
    return sum(len(GLYPHS[c][0]) + 1 for c in text) - 1


def draw_text(plot, text, x, y, colour):
    for c in text:
        glyph = GLYPHS[c]
        for gy, line in enumerate(glyph):
            for gx, bit in enumerate(line):
                if bit == "1":
                    plot(x + gx, y + gy, colour)
        x += len(glyph[0]) + 1


def make_about(percent=100):
    """The scene is laid out in 96-dpi pixels. At a larger scale the smooth parts (sky, moon,
    hills, meadow, tree crowns, shadow) are worked out afresh for every pixel, and the hand-placed
    pixels (stars, tufts, the traveller, the speech bubble) become blocks of whole pixels."""
    k = percent / 100.0
    w, h = scaled(ABOUT_W, percent), scaled(ABOUT_H, percent)
    rnd = Rand(1402)
    img = [[(0, 0, 0)] * w for _ in range(h)]

    def edge(v):  # a 96-dpi pixel edge, in pixels at this scale
        return int(math.floor(v * k + 0.5))

    def at(p):  # the 96-dpi pixel a pixel at this scale stands for (exact at 100 %)
        return (p + 0.5) / k - 0.5

    def plot(x, y, colour):
        for py in range(edge(y), min(edge(y + 1), h)):
            for px in range(edge(x), min(edge(x + 1), w)):
                img[py][px] = colour

    # Sky, darkening upward, with a warm band at the horizon.
    for y in range(edge(HORIZON + 8)):
        for x in range(w):
            img[y][x] = dithered(SKY, at(y) / float(HORIZON + 4), x, y, 14)

    # Stars, only in the dark part of the sky.
    for _ in range(34):
        x, y = rnd.next(ABOUT_W), rnd.next(46)
        plot(x, y, (150, 160, 200) if rnd.next(3) else (230, 234, 255))
    for x, y in ((28, 14), (104, 30), (58, 8)):
        plot(x, y, (255, 255, 255))
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            plot(x + dx, y + dy, (140, 150, 200))

    # A crescent moon.
    mx, my, mr = 122, 16, 7.5
    for y in range(h):
        for x in range(w):
            u, v = at(x), at(y)
            if math.hypot(u + 0.5 - mx, v + 0.5 - my) < mr and \
                    math.hypot(u + 0.5 - mx - 3.2, v + 0.5 - my + 2.0) > mr - 0.8:
                img[y][x] = (246, 238, 196) if u < mx - 2 else (222, 214, 176)

    # Two rows of hills against the glow, each with a lit crest.
    far = [(4.0, 0.045, 0.3), (2.0, 0.11, 1.7)]
    near = [(3.0, 0.06, 2.2), (1.5, 0.15, 0.4)]
    crest = max(1, int(round(k)))
    for x in range(w):
        top_far = int(hill(at(x), HORIZON - 8, far) * k)
        top_near = int(hill(at(x), HORIZON + 2, near) * k)
        for y in range(top_far, h):
            img[y][x] = (62, 52, 94) if y >= top_far + crest else (84, 68, 112)
        for y in range(top_near, h):
            img[y][x] = (38, 60, 62) if y >= top_near + crest else (56, 82, 70)

    # The meadow: lit near the horizon, falling to near black at the bottom where the
    # About box lays its white line of text over the picture.
    meadow_top = HORIZON + 8
    grass = [(0.0, (94, 150, 62)), (0.35, (64, 118, 50)), (0.62, (36, 78, 38)),
             (0.78, (20, 46, 26)), (1.0, (10, 24, 16))]
    for y in range(edge(meadow_top), h):
        for x in range(w):
            img[y][x] = dithered(grass, (at(y) - meadow_top) / float(ABOUT_H - 1 - meadow_top), x, y, 9)
    # Tufts: short blades a shade lighter or darker than the ground under them.
    for _ in range(260):
        x, y = rnd.next(ABOUT_W), meadow_top + rnd.next(ABOUT_H - meadow_top - 22)
        t = (y - meadow_top) / float(ABOUT_H - 1 - meadow_top)
        c = to8(ramp(grass, t - 0.12 if rnd.next(2) else t + 0.1))
        for j in range(1 + rnd.next(3)):
            if y - j >= meadow_top - 1:
                plot(x, y - j, c)
    for _ in range(14):  # a few flowers in the lit part
        x, y = rnd.next(ABOUT_W), meadow_top + 2 + rnd.next(14)
        plot(x, y, ((236, 220, 90), (226, 110, 120), (236, 236, 240))[rnd.next(3)])

    # A tree on the left, its crown a cluster of round leaf masses.
    for y in range(70, 108):
        for x in range(13, 18):
            plot(x, y, (58, 38, 24) if x > 14 else (84, 56, 32))
    for cx, cy, r in ((15, 62, 12), (7, 70, 8), (24, 70, 9), (15, 52, 8)):
        for y in range(max(0, edge(cy - r) - 1), min(h, edge(cy + r) + 1)):
            for x in range(max(0, edge(cx - r) - 1), min(w, edge(cx + r) + 1)):
                u, v = at(x), at(y)
                if math.hypot(u + 0.5 - cx, v + 0.5 - cy) < r:
                    lit = math.hypot(u + 0.5 - cx + r * 0.4, v + 0.5 - cy + r * 0.4) / r
                    img[y][x] = dithered([(0.0, (70, 122, 64)), (0.6, (36, 76, 46)),
                                          (1.0, (20, 46, 34))], lit, x, y, 5)

    # The traveller's shadow, then the traveller.
    fx, fy = 80, 114 - len(FIGURE)
    for y in range(edge(112) - 1, min(h, edge(117) + 1)):
        for x in range(edge(fx - 4) - 1, min(w, edge(fx + 22) + 1)):
            u, v = at(x), at(y)
            if ((u + 0.5 - (fx + 8)) / 12.0) ** 2 + ((v + 0.5 - 114.5) / 2.5) ** 2 < 1:
                r, g, b = img[y][x]
                img[y][x] = (r * 6 // 10, g * 6 // 10, b * 6 // 10)
    for row, line in enumerate(FIGURE):
        for col, ch in enumerate(line):
            if ch != ".":
                plot(fx + col, fy + row, FIGURE_COLOURS[ch])

    # The speech bubble over the head, its tail pointing down at the speaker.
    text = "HAIL, FRIEND!"
    tw = text_width(text)
    bx0, by0 = 46, fy - 22
    bx1, by1 = bx0 + tw + 9, by0 + 14
    ink, paper, shade = (40, 34, 52), (250, 246, 232), (214, 206, 192)
    for y in range(by0, by1 + 1):
        for x in range(bx0, bx1 + 1):
            corner = (x in (bx0, bx1)) and (y in (by0, by1))
            if corner:
                continue
            edge_ = x in (bx0, bx1) or y in (by0, by1)
            plot(x, y, ink if edge_ else (shade if y == by1 - 1 else paper))
    for x, y in ((bx0 + 1, by0 + 1), (bx1 - 1, by0 + 1), (bx0 + 1, by1 - 1), (bx1 - 1, by1 - 1)):
        plot(x, y, ink)
    tail_x = fx + 6
    for x in range(tail_x, tail_x + 3):
        plot(x, by1, paper)
        plot(x, by1 - 1, shade)
    for j in range(5):  # narrowing toward the speaker's head
        y = by1 + 1 + j
        width = 3 - j
        plot(tail_x - 1, y, ink)
        for x in range(tail_x, tail_x + width):
            plot(x, y, paper)
        plot(tail_x + max(width, 0), y, ink)
    draw_text(plot, text, bx0 + 5, by0 + 5, ink)
    return img


# ----------------------------------------------------------------------------------------------
# The program icon: a parchment speech bubble holding the blue send gem and a line of text


def sd_round_rect(x, y, x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    qx = abs(x - cx) - ((x1 - x0) / 2.0 - r)
    qy = abs(y - cy) - ((y1 - y0) / 2.0 - r)
    return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - r


def sd_polygon(x, y, pts):
    d = float("inf")
    inside = False
    n = len(pts)
    for i in range(n):
        (ax, ay), (bx, by) = pts[i], pts[(i + 1) % n]
        ex, ey = bx - ax, by - ay
        wx, wy = x - ax, y - ay
        t = clamp((wx * ex + wy * ey) / (ex * ex + ey * ey))
        d = min(d, math.hypot(wx - ex * t, wy - ey * t))
        if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
            inside = not inside
    return -d if inside else d


def sd_segment(x, y, ax, ay, bx, by, r):
    ex, ey = bx - ax, by - ay
    t = clamp(((x - ax) * ex + (y - ay) * ey) / (ex * ex + ey * ey))
    return math.hypot(x - ax - ex * t, y - ay - ey * t) - r


PARCHMENT = [(0.0, (252, 244, 218)), (1.0, (222, 198, 148))]
INK = (62, 40, 22)
BAR = (120, 88, 52)

# Layouts in pixels. The 32-pixel one scales to the larger sizes; 16 pixels gets its own, with
# its edges on whole pixels and one line of text, so that it stays crisp.
LAYOUT_32 = dict(box=(1, 2, 31, 23, 5.5), tail=[(6, 21), (14, 21), (3, 30.5)], line=1.5,
                 gem=(10.5, 12.5, 7.2), bars=[(19, 9.5, 26, 1.5), (19, 15.5, 23.5, 1.5)])
LAYOUT_16 = dict(box=(0, 1, 16, 12, 3.5), tail=[(3, 11), (7.5, 11), (1.5, 15.5)], line=1.0,
                 gem=(5.5, 6.5, 4.3), bars=[(11, 6, 13, 1.0)])


def icon_shader(size):
    if size == 16:
        lay, k = LAYOUT_16, 1.0
    else:
        lay, k = LAYOUT_32, size / 32.0
    x0, y0, x1, y1, radius = [v * k for v in lay["box"]]
    tail = [(x * k, y * k) for x, y in lay["tail"]]
    line = lay["line"] * k
    gx, gy, gr = [v * k for v in lay["gem"]]
    gem = gem_shader(gx, gy, gr, False)
    bars = [[v * k for v in bar] for bar in lay["bars"]]

    def shade(x, y):
        d = min(sd_round_rect(x, y, x0, y0, x1, y1, radius), sd_polygon(x, y, tail))
        if d > 0:
            return (0, 0, 0, 0)
        if d > -line:
            return INK + (1.0,)
        if math.hypot(x - gx, y - gy) <= gr:
            return gem(x, y)
        for bx0, by, bx1, br in bars:
            if sd_segment(x, y, bx0, by, bx1, by, br) < 0:
                return BAR + (1.0,)
        return ramp(PARCHMENT, (y - y0) / (y1 - y0)) + (1.0,)

    return shade


# The 16 colours of the classic-size icon, picked by hand so that each part keeps its shading.
ICON_16_COLOURS = [
    (0, 0, 0), INK, BAR, (252, 244, 218), (238, 222, 184), (222, 198, 148), OUTLINE,
    (160, 104, 18), (214, 160, 42), (252, 226, 130), (16, 34, 120), (40, 82, 196),
    (100, 152, 240), (246, 250, 255), (150, 130, 96), (196, 170, 120),
]


def nearest(palette, c):
    return min(palette, key=lambda p: sum((a - b) ** 2 for a, b in zip(p, c)))


def make_icon_16_colour():
    """32 x 32, 16 colours, hard-edged: a 16-colour icon has only an on/off mask."""
    rgba = render(32, 32, icon_shader(32), 6)
    out = [[(nearest(ICON_16_COLOURS, p[:3]) + (255,)) if p[3] >= 128 else (0, 0, 0, 0)
            for p in row] for row in rgba]
    return out, ICON_16_COLOURS


def make_icon():
    images = []
    icon4, palette = make_icon_16_colour()
    images.append((32, 4, 16, ico_dib4(icon4, palette)))
    for size, samples in ((16, 8), (48, 6)):
        images.append((size, 32, 0, ico_dib32(render(size, size, icon_shader(size), samples))))
    images.append((256, 32, 0, png(render(256, 256, icon_shader(256), 3))))
    return ico(images)


# ----------------------------------------------------------------------------------------------


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "res")
    os.makedirs(out, exist_ok=True)
    files = {
        "gem.bmp": bmp8(make_gem(False)),
        "gem_pressed.bmp": bmp8(make_gem(True)),
        "about.bmp": bmp8(make_about()),
        "parlo.ico": make_icon(),
    }
    # The same pictures for displays set to a larger scale, e.g. gem_150.bmp.
    for percent in SCALES[1:]:
        gem = scaled(11, percent)
        files["gem_%d.bmp" % percent] = bmp8(make_gem(False, gem))
        files["gem_pressed_%d.bmp" % percent] = bmp8(make_gem(True, gem))
        files["about_%d.bmp" % percent] = bmp8(make_about(percent))
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print("%-20s %6d bytes" % (name, len(data)))


if __name__ == "__main__":
    main()
