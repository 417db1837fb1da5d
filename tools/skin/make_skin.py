#!/usr/bin/env python3
"""Draws Velkor's skin: the window frame pieces, button strips, tree check boxes,
status images, chart pieces and the application icon.

Everything is drawn here from geometry, anti-aliased by supersampling, and
written as BMP (and one ICO) files that the resource compiler embeds. No image
is taken from anywhere else. Usage: make_skin.py OUTPUT_FOLDER
"""

import math
import os
import struct
import sys

# Palette: one navy-to-sky family for chrome, one green for "go", one red for
# "attention". Light surfaces stay close to the page panel colour (222, 239, 246).
NAVY = (18, 45, 82)
NAVY_2 = (31, 76, 130)
SKY = (64, 140, 214)
BAND_TOP = (246, 250, 253)
BAND_BOTTOM = (218, 232, 244)
HOVER_TOP = (232, 243, 252)
HOVER_BOTTOM = (196, 222, 243)
TAB_TOP = (44, 104, 170)
TAB_BOTTOM = (24, 66, 118)
GLYPH = (35, 82, 136)
WHITE = (255, 255, 255)
GREEN_TOP = (92, 184, 92)
GREEN_BOTTOM = (48, 138, 58)
RED = (209, 7, 45)
OK_GREEN = (64, 160, 70)
GREY = (170, 178, 186)
MAGENTA = (255, 0, 255)

SS = 4  # supersampling per axis


class Canvas:
    """RGBA float canvas with 'over' compositing."""

    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]
        if fill is not None:
            self.rect(0, 0, w, h, fill)

    def blend(self, x, y, color, a):
        if a <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        p = self.px[y * self.w + x]
        out_a = a + p[3] * (1 - a)
        if out_a <= 0:
            return
        for i in range(3):
            p[i] = (color[i] * a + p[i] * p[3] * (1 - a)) / out_a
        p[3] = out_a

    def rect(self, x, y, w, h, color, alpha=1.0):
        for yy in range(max(0, y), min(self.h, y + h)):
            for xx in range(max(0, x), min(self.w, x + w)):
                self.blend(xx, yy, color, alpha)

    def vgradient(self, x, y, w, h, top, bottom, alpha=1.0):
        for yy in range(max(0, y), min(self.h, y + h)):
            t = (yy - y) / max(1, h - 1)
            c = tuple(top[i] + (bottom[i] - top[i]) * t for i in range(3))
            for xx in range(max(0, x), min(self.w, x + w)):
                self.blend(xx, yy, c, alpha)

    def shape(self, inside, bbox, color, alpha=1.0):
        """Fills the points where inside(x, y) holds, anti-aliased; color may
        be a function of (x, y) for gradients."""
        x0, y0, x1, y1 = bbox
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        n = SS * SS
        for yy in range(y0, y1):
            for xx in range(x0, x1):
                hits = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(xx + (sx + 0.5) / SS, yy + (sy + 0.5) / SS):
                            hits += 1
                if hits:
                    c = color(xx + 0.5, yy + 0.5) if callable(color) else color
                    self.blend(xx, yy, c, alpha * hits / n)

    def blit(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                p = other.px[y * other.w + x]
                self.blend(ox + x, oy + y, p[:3], p[3])


# ---- shape predicates -------------------------------------------------------

def in_round_rect(x0, y0, w, h, r):
    def f(x, y):
        if x < x0 or y < y0 or x > x0 + w or y > y0 + h:
            return False
        cx = min(max(x, x0 + r), x0 + w - r)
        cy = min(max(y, y0 + r), y0 + h - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return f


def in_circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_ring(cx, cy, r_out, r_in, start=None, end=None):
    def f(x, y):
        d = (x - cx) ** 2 + (y - cy) ** 2
        if not (r_in * r_in <= d <= r_out * r_out):
            return False
        if start is None:
            return True
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360
        return (a - start) % 360 <= (end - start) % 360
    return f


def in_polygon(points):
    def f(x, y):
        inside = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return inside
    return f


def in_segment(ax, ay, bx, by, width):
    half = width / 2.0

    def f(x, y):
        dx, dy = bx - ax, by - ay
        l2 = dx * dx + dy * dy
        t = 0 if l2 == 0 else max(0, min(1, ((x - ax) * dx + (y - ay) * dy) / l2))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half * half
    return f


def in_polyline(points, width):
    segs = [in_segment(*points[i], *points[i + 1], width) for i in range(len(points) - 1)]
    return lambda x, y: any(s(x, y) for s in segs)


def union(*fs):
    return lambda x, y: any(f(x, y) for f in fs)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def bbox_of(points, pad=2):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return (min(xs) - pad, min(ys) - pad, max(xs) + pad, max(ys) + pad)


# ---- glyphs (drawn in a box at ox, oy of size s) ------------------------------

def glyph_home(c, ox, oy, s, col):
    p = lambda u, v: (ox + u * s, oy + v * s)
    roof = [p(0.5, 0.06), p(0.96, 0.48), p(0.84, 0.48), p(0.5, 0.18), p(0.16, 0.48), p(0.04, 0.48)]
    body = minus(in_polygon([p(0.2, 0.44), p(0.5, 0.2), p(0.8, 0.44), p(0.8, 0.92), p(0.2, 0.92)]),
                 in_polygon([p(0.42, 0.92), p(0.42, 0.62), p(0.58, 0.62), p(0.58, 0.92)]))
    c.shape(union(in_polygon(roof), body), (ox, oy, ox + s, oy + s), col)


def glyph_backup(c, ox, oy, s, col):
    # A drive with an arrow going into safe keeping.
    p = lambda u, v: (ox + u * s, oy + v * s)
    drive = minus(in_round_rect(ox + 0.08 * s, oy + 0.56 * s, 0.84 * s, 0.36 * s, 0.08 * s),
                  in_round_rect(ox + 0.14 * s, oy + 0.62 * s, 0.72 * s, 0.24 * s, 0.04 * s))
    led = in_circle(*p(0.76, 0.74), 0.05 * s)
    arrow = in_polygon([p(0.42, 0.04), p(0.58, 0.04), p(0.58, 0.28), p(0.72, 0.28), p(0.5, 0.5),
                        p(0.28, 0.28), p(0.42, 0.28)])
    c.shape(union(drive, led, arrow), (ox, oy, ox + s, oy + s), col)


def glyph_restore(c, ox, oy, s, col):
    cx, cy, r = ox + 0.5 * s, oy + 0.54 * s, 0.36 * s
    ring = in_ring(cx, cy, r, r - 0.12 * s, 200, 150)
    head = in_polygon([(ox + 0.02 * s, oy + 0.34 * s), (ox + 0.34 * s, oy + 0.34 * s),
                       (ox + 0.14 * s, oy + 0.62 * s)])
    hand = union(in_segment(cx, cy, cx, cy - 0.2 * s, 0.09 * s), in_segment(cx, cy, cx + 0.14 * s, cy + 0.08 * s, 0.09 * s))
    c.shape(union(ring, head, hand), (ox, oy, ox + s, oy + s), col)


def glyph_gear(c, ox, oy, s, col):
    cx, cy = ox + 0.5 * s, oy + 0.5 * s

    def f(x, y):
        dx, dy = x - cx, y - cy
        d = math.hypot(dx, dy)
        a = math.atan2(dy, dx)
        tooth = 0.5 + 0.5 * math.cos(8 * a)
        outer = (0.34 + (0.1 if tooth > 0.45 else 0.0)) * s
        return 0.14 * s <= d <= outer
    c.shape(f, (ox, oy, ox + s, oy + s), col)


def glyph_help(c, ox, oy, s, col):
    cx, cy = ox + 0.5 * s, oy + 0.5 * s
    ring = in_ring(cx, cy, 0.46 * s, 0.36 * s)
    hook = in_ring(cx, oy + 0.38 * s, 0.15 * s, 0.06 * s, 180, 90)
    stem = in_segment(cx + 0.02 * s, oy + 0.5 * s, cx, oy + 0.6 * s, 0.09 * s)
    hook_end = in_segment(cx + 0.1 * s, oy + 0.46 * s, cx + 0.02 * s, oy + 0.52 * s, 0.09 * s)
    dot = in_circle(cx, oy + 0.73 * s, 0.055 * s)
    c.shape(union(ring, hook, stem, hook_end, dot), (ox, oy, ox + s, oy + s), col)


def glyph_list(c, ox, oy, s, col):
    # Last scan: a report sheet with ticks.
    sheet = minus(in_round_rect(ox + 0.16 * s, oy + 0.04 * s, 0.68 * s, 0.92 * s, 0.08 * s),
                  in_round_rect(ox + 0.24 * s, oy + 0.12 * s, 0.52 * s, 0.76 * s, 0.03 * s))
    lines = []
    for i in range(3):
        y = oy + (0.3 + 0.2 * i) * s
        lines.append(in_segment(ox + 0.42 * s, y, ox + 0.66 * s, y, 0.07 * s))
        lines.append(in_circle(ox + 0.33 * s, y, 0.045 * s))
    c.shape(union(sheet, *lines), (ox, oy, ox + s, oy + s), col)


def glyph_rescan(c, ox, oy, s, col):
    cx, cy = ox + 0.42 * s, oy + 0.42 * s
    lens = in_ring(cx, cy, 0.3 * s, 0.2 * s)
    handle = in_segment(cx + 0.22 * s, cy + 0.22 * s, ox + 0.9 * s, oy + 0.9 * s, 0.13 * s)
    c.shape(union(lens, handle), (ox, oy, ox + s, oy + s), col)


def glyph_check(c, ox, oy, s, col, width=0.16):
    pts = [(ox + 0.18 * s, oy + 0.52 * s), (ox + 0.42 * s, oy + 0.74 * s), (ox + 0.82 * s, oy + 0.28 * s)]
    c.shape(in_polyline(pts, width * s), (ox, oy, ox + s, oy + s), col)


def glyph_folder(c, ox, oy, s, col):
    p = lambda u, v: (ox + u * s, oy + v * s)
    body = in_polygon([p(0.08, 0.22), p(0.38, 0.22), p(0.46, 0.32), p(0.92, 0.32), p(0.92, 0.82), p(0.08, 0.82)])
    c.shape(body, (ox, oy, ox + s, oy + s), col)


NAV_GLYPHS = {
    "home": glyph_home, "backup": glyph_backup, "restore": glyph_restore, "settings": glyph_gear,
    "help": glyph_help, "lastscan": glyph_list, "rescan": glyph_rescan,
}


# ---- pieces ------------------------------------------------------------------

def nav_strip(glyph):
    """Three 104 x 80 frames: normal, pressed (selected tab), hover. The caption
    is drawn by the button, centred below the glyph."""
    w, h = 104, 80
    c = Canvas(3 * w, h)
    for frame in range(3):
        x = frame * w
        c.vgradient(x, 0, w, h, BAND_TOP, BAND_BOTTOM)
        col = GLYPH
        if frame == 1:
            c.shape(in_round_rect(x + 3, 3, w - 6, h - 3, 7), (x, 0, x + w, h),
                    lambda xx, yy: tuple(TAB_TOP[i] + (TAB_BOTTOM[i] - TAB_TOP[i]) * yy / h for i in range(3)))
            col = WHITE
        elif frame == 2:
            c.shape(in_round_rect(x + 3, 3, w - 6, h - 3, 7), (x, 0, x + w, h),
                    lambda xx, yy: tuple(HOVER_TOP[i] + (HOVER_BOTTOM[i] - HOVER_TOP[i]) * yy / h for i in range(3)))
            c.shape(minus(in_round_rect(x + 3, 3, w - 6, h - 3, 7), in_round_rect(x + 4, 4, w - 8, h - 5, 6)),
                    (x, 0, x + w, h), (150, 190, 228))
        NAV_GLYPHS[glyph](c, x + 38, 6, 28, col)
    return c


def caption_strip(kind):
    """Minimize and close: three 43 x 18 frames on the dark header."""
    w, h = 43, 18
    c = Canvas(3 * w, h)
    for frame in range(3):
        x = frame * w
        # The buttons sit at y 2 of the header: continue its gradient.
        top = tuple(NAVY_2[i] + (NAVY[i] - NAVY_2[i]) * 2 / 33.0 for i in range(3))
        bottom = tuple(NAVY_2[i] + (NAVY[i] - NAVY_2[i]) * 19 / 33.0 for i in range(3))
        c.vgradient(x, 0, w, h, top, bottom)
        if frame:
            face = (200, 40, 50) if kind == "close" else SKY
            if frame == 1:
                face = tuple(int(v * 0.8) for v in face)
            c.shape(in_round_rect(x + 1, 0, w - 2, h - 1, 4), (x, 0, x + w, h), face)
        cx, cy = x + w / 2.0, h / 2.0
        if kind == "close":
            g = union(in_segment(cx - 4, cy - 4, cx + 4, cy + 4, 1.8), in_segment(cx - 4, cy + 4, cx + 4, cy - 4, 1.8))
        else:
            g = in_segment(cx - 5, cy + 3, cx + 5, cy + 3, 2.0)
        c.shape(g, (x, 0, x + w, h), WHITE)
    return c


def four_frame_button(w, h, glyph, faces):
    """Four frames: normal, pressed, hover, disabled."""
    c = Canvas(4 * w, h)
    for frame in range(4):
        x = frame * w
        top, bottom, glyph_col = faces[frame]
        c.shape(in_round_rect(x + 0.5, 0.5, w - 1, h - 1, min(6, h / 3.0)), (x, 0, x + w, h),
                lambda xx, yy, t=top, b=bottom: tuple(t[i] + (b[i] - t[i]) * yy / h for i in range(3)))
        if glyph:
            glyph(c, x, frame)
    return c


def green_faces():
    return [(GREEN_TOP, GREEN_BOTTOM, WHITE), ((40, 120, 50), (60, 150, 66), WHITE),
            ((112, 204, 108), (56, 154, 64), WHITE), ((200, 206, 210), (170, 176, 182), (240, 240, 240))]


def blue_faces():
    return [((90, 156, 220), (40, 98, 168), WHITE), ((32, 82, 142), (60, 120, 190), WHITE),
            ((110, 176, 236), (52, 116, 188), WHITE), ((200, 206, 210), (170, 176, 182), (240, 240, 240))]


def scan_button():
    w, h = 268, 89

    def deco(c, x, frame):
        col = (235, 250, 235) if frame != 3 else (235, 235, 235)
        glyph_rescan(c, x + 204, 14, 52, col)
        # lower band: a line of small chips, the devices being checked
        for i in range(6):
            c.shape(in_round_rect(x + 22 + i * 28, 58, 18, 14, 3), (x, 0, x + w, h), col, 0.55)
    return four_frame_button(w, h, deco, green_faces())


def browse_button():
    def deco(c, x, frame):
        glyph_folder(c, x + 5.5, 2, 16, (255, 214, 102) if frame != 3 else (235, 235, 235))
    return four_frame_button(27, 20, deco, blue_faces())


def action_button(w, h):
    """The pages' caption buttons. The caption is centred in the 145 x 36 box at
    the frame's top-left corner (a long one 10 pixels further left), so the
    frame is that box; a chevron on the right balances the longer captions."""
    def chevron(c, x, frame):
        col = WHITE if frame != 3 else (240, 240, 240)
        mid = h / 2.0
        c.shape(in_polyline([(x + w - 17, mid - 5), (x + w - 12, mid), (x + w - 17, mid + 5)], 2.0),
                (x, 0, x + w, h), col, 0.8)
    return four_frame_button(w, h, chevron, blue_faces())


def tree_checks():
    """Five 15 x 16 images on white (the mask colour): none, unchecked, checked,
    partly checked, disabled."""
    c = Canvas(75, 16, WHITE)
    for i in range(1, 5):
        x = i * 15 + 1.5
        border = (120, 130, 140) if i != 4 else (190, 190, 190)
        face = (252, 253, 254) if i != 4 else (232, 232, 232)
        c.shape(in_round_rect(x, 2.5, 12, 12, 2), (x - 1, 1, x + 13, 15), border)
        c.shape(in_round_rect(x + 1, 3.5, 10, 10, 1.5), (x - 1, 1, x + 13, 15), face)
        if i == 2:
            glyph_check(c, x + 0.5, 3, 11, GLYPH, 0.2)
        elif i == 3:
            c.shape(in_round_rect(x + 3, 5.5, 6, 6, 1), (x, 3, x + 12, 14), SKY)
    return c


def status_images():
    """Eight 14 x 14 status images on magenta (the mask colour): out of date,
    up to date, not scanned, information, downloaded, installed, warning, error."""
    c = Canvas(8 * 14, 14, MAGENTA)
    specs = [RED, OK_GREEN, GREY, SKY, (40, 110, 200), OK_GREEN, (230, 150, 20), (180, 20, 30)]
    for i, col in enumerate(specs):
        x = i * 14
        c.shape(in_circle(x + 7, 7, 6.5), (x, 0, x + 14, 14), col)
        if i in (1, 5):
            glyph_check(c, x + 1.5, 1.5, 11, WHITE, 0.2)
        elif i in (0, 6, 7):
            c.shape(union(in_segment(x + 7, 3.5, x + 7, 8, 2.0), in_circle(x + 7, 10.5, 1.2)), (x, 0, x + 14, 14), WHITE)
        elif i == 3:
            c.shape(union(in_segment(x + 7, 6.5, x + 7, 10.5, 2.0), in_circle(x + 7, 4, 1.2)), (x, 0, x + 14, 14), WHITE)
        elif i == 4:
            c.shape(in_polygon([(x + 5.5, 3), (x + 8.5, 3), (x + 8.5, 7), (x + 10.5, 7), (x + 7, 11), (x + 3.5, 7), (x + 5.5, 7)]),
                    (x, 0, x + 14, 14), WHITE)
        elif i == 2:
            c.shape(in_segment(x + 4, 7, x + 10, 7, 2.0), (x, 0, x + 14, 14), WHITE)
    return c


def class_icons():
    """Eight 16 x 16 device-class pictures on white (the mask colour), for
    systems that offer no class image list of their own: device, display,
    network, sound, USB, storage, input, system."""
    c = Canvas(8 * 16, 16)
    dark, mid, light = NAVY_2, SKY, (200, 222, 242)
    for i in range(8):
        x = i * 16
        box = (x, 0, x + 16, 16)
        if i == 0:  # a chip with pins
            for k in range(4):
                c.shape(in_round_rect(x + 3.5 + 2.5 * k, 1.5, 1.2, 13, 0.3), box, GREY)
            c.shape(in_round_rect(x + 2.5, 3.5, 11, 9, 1.5), box, dark)
        elif i == 1:  # a monitor
            c.shape(in_round_rect(x + 1.5, 2, 13, 9.5, 1.2), box, dark)
            c.shape(in_round_rect(x + 3, 3.5, 10, 6.5, 0.5), box, mid)
            c.shape(in_round_rect(x + 5, 12.5, 6, 1.8, 0.5), box, dark)
        elif i == 2:  # a network plug and cable
            c.shape(in_round_rect(x + 3.5, 1.5, 9, 8, 1.2), box, dark)
            c.shape(in_round_rect(x + 5.5, 3.5, 5, 3, 0.5), box, light)
            c.shape(in_segment(x + 8, 9.5, x + 8, 15, 2.0), box, mid)
        elif i == 3:  # a speaker
            c.shape(in_polygon([(x + 2, 5.5), (x + 5, 5.5), (x + 9, 2), (x + 9, 14), (x + 5, 10.5), (x + 2, 10.5)]),
                    box, dark)
            c.shape(in_ring(x + 9, 8, 5.5, 4.3, 310, 50), box, mid)
        elif i == 4:  # a USB trident
            c.shape(in_segment(x + 8, 2, x + 8, 14, 1.6), box, dark)
            c.shape(in_polyline([(x + 8, 10), (x + 4, 7), (x + 4, 5)], 1.4), box, dark)
            c.shape(in_polyline([(x + 8, 8.5), (x + 12, 6), (x + 12, 4)], 1.4), box, dark)
            c.shape(in_circle(x + 8, 13.5, 2), box, mid)
        elif i == 5:  # a disk drive
            c.shape(in_round_rect(x + 1.5, 4, 13, 8, 1.5), box, dark)
            c.shape(in_circle(x + 11.5, 9.5, 1), box, (120, 220, 120))
            c.shape(in_round_rect(x + 3, 5.5, 8, 1.5, 0.4), box, light)
        elif i == 6:  # a keyboard
            c.shape(in_round_rect(x + 1, 4.5, 14, 8, 1.2), box, dark)
            for row in range(2):
                for k in range(5):
                    c.shape(in_round_rect(x + 2.5 + 2.3 * k, 6 + 2.3 * row, 1.5, 1.5, 0.2), box, light)
        else:  # a system board
            c.shape(in_round_rect(x + 1.5, 1.5, 13, 13, 1.5), box, (48, 120, 70))
            c.shape(in_round_rect(x + 5, 5, 6, 6, 0.8), box, dark)
            c.shape(in_round_rect(x + 3, 3, 2, 2, 0.3), box, light)
    return c


def details_icon():
    c = Canvas(16, 16, WHITE)
    c.shape(in_circle(8, 8, 7.2), (0, 0, 16, 16), SKY)
    c.shape(union(in_segment(8, 7, 8, 12, 2.2), in_circle(8, 4.4, 1.4)), (0, 0, 16, 16), WHITE)
    return c


def feedback_icon():
    c = Canvas(16, 16, WHITE)
    bubble = union(in_round_rect(1, 2, 14, 10, 3), in_polygon([(4, 11), (8, 11), (3.5, 15)]))
    c.shape(bubble, (0, 0, 16, 16), (90, 120, 160))
    for i in range(3):
        c.shape(in_circle(5 + 3 * i, 7, 1.1), (0, 0, 16, 16), WHITE)
    return c


def phase_picture(active):
    """Two steps joined by a line: listing devices, then asking for updates."""
    w, h = 130, 44
    c = Canvas(w, h, (222, 239, 246))  # stands on the page's light panel
    done = active == 2
    c.shape(in_segment(30, 22, 100, 22, 4), (0, 0, w, h), OK_GREEN if done else (200, 210, 220))
    for i, cx in enumerate((22, 108)):
        step = i + 1
        if step < active:
            col = OK_GREEN
        elif step == active:
            col = SKY
        else:
            col = (200, 210, 220)
        c.shape(in_circle(cx, 22, 17), (0, 0, w, h), col)
        if step < active:
            glyph_check(c, cx - 11, 11, 22, WHITE)
        elif step == 1:
            glyph_rescan(c, cx - 10, 12, 21, WHITE)
        else:
            glyph_restore(c, cx - 11, 11, 22, WHITE)
    return c


def chart_background():
    """Panel behind the home page's bars (drawn at 444, 37; bars stand on y 103)."""
    w, h = 100, 75
    c = Canvas(w, h, (222, 239, 246))
    c.shape(in_round_rect(0.5, 0.5, w - 1, h - 1, 6), (0, 0, w, h), WHITE)
    for y in (11, 25, 39, 53):
        c.rect(8, y, w - 16, 1, (226, 234, 240))
    c.rect(6, 66, w - 12, 1, (150, 165, 180))
    return c


def bar(top, bottom):
    c = Canvas(20, 55)
    c.vgradient(0, 0, 20, 55, top, bottom)
    c.rect(0, 0, 1, 55, tuple(int(v * 0.85) for v in bottom))
    c.rect(19, 0, 1, 55, tuple(int(v * 0.85) for v in bottom))
    return c


def spinner_frames(count=12, size=42):
    """The scan page's busy animation: a ring of dots whose bright head goes
    round, on the page's light panel."""
    frames = []
    dots = 12
    for f in range(count):
        c = Canvas(size, size, (222, 239, 246))
        for d in range(dots):
            angle = 2 * math.pi * d / dots - math.pi / 2
            cx = size / 2 + 14 * math.cos(angle)
            cy = size / 2 + 14 * math.sin(angle)
            # Dots fade behind the head, which moves one dot per frame.
            age = (f - d) % dots
            weight = max(0.0, 1.0 - age / 7.0)
            col = tuple(int(round(GREY[i] + (SKY[i] - GREY[i]) * weight)) for i in range(3))
            c.shape(in_circle(cx, cy, 2.2 + 1.4 * weight), (cx - 5, cy - 5, cx + 5, cy + 5), col)
        frames.append(c)
    return frames


def write_avi(frames, path, fps=12):
    """An uncompressed 24-bit AVI (one video stream of DIB frames), the kind
    the system's animation control plays without a codec."""
    w, h = frames[0].w, frames[0].h
    images = [b"".join(rgb_rows(c, WHITE)) for c in frames]
    size = len(images[0])

    def chunk(fourcc, data):
        pad = b"\0" if len(data) % 2 else b""
        return fourcc + struct.pack("<I", len(data)) + data + pad

    def lst(kind, data):
        return chunk(b"LIST", kind + data)

    avih = struct.pack("<IIIIIIIIII4I", 1000000 // fps, size * fps, 0, 0x10, len(frames), 0, 1, size, w, h,
                       0, 0, 0, 0)
    strh = b"vids" + b"DIB " + struct.pack("<IHHIIIIIIiI4h", 0, 0, 0, 0, 1, fps, 0, len(frames), size, -1, 0,
                                           0, 0, w, h)
    strf = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, size, 0, 0, 0, 0)
    hdrl = lst(b"hdrl", chunk(b"avih", avih) + lst(b"strl", chunk(b"strh", strh) + chunk(b"strf", strf)))
    movi_data = b""
    index = b""
    offset = 4  # from the 'movi' type to the first chunk
    for img in images:
        index += b"00db" + struct.pack("<III", 0x10, offset, len(img))
        piece = chunk(b"00db", img)
        movi_data += piece
        offset += len(piece)
    body = b"AVI " + hdrl + lst(b"movi", movi_data) + chunk(b"idx1", index)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


def header():
    c = Canvas(771, 34)
    c.vgradient(0, 0, 771, 34, NAVY_2, NAVY)
    c.rect(0, 33, 771, 1, (12, 30, 56))
    return c


def band():
    c = Canvas(771, 81)
    c.vgradient(0, 0, 771, 81, BAND_TOP, BAND_BOTTOM)
    c.rect(0, 80, 771, 1, (170, 196, 222))
    return c


def side_border():
    c = Canvas(9, 581)
    for x in range(9):
        t = x / 8.0
        c.rect(x, 0, 1, 581, tuple(NAVY[i] + (NAVY_2[i] - NAVY[i]) * t for i in range(3)))
    return c


def bottom_border():
    c = Canvas(771, 9)
    c.vgradient(0, 0, 771, 9, NAVY_2, NAVY)
    return c


def app_icon(size):
    c = Canvas(size, size)
    s = float(size)
    c.shape(in_round_rect(0.5, 0.5, s - 1, s - 1, s * 0.22), (0, 0, size, size),
            lambda x, y: tuple(SKY[i] + (NAVY_2[i] - SKY[i]) * y / s for i in range(3)))
    # A chip with pins, and a check mark across it: a device that is up to date.
    chip = in_round_rect(s * 0.26, s * 0.26, s * 0.48, s * 0.48, s * 0.06)
    pins = []
    for k in range(3):
        o = s * (0.34 + 0.13 * k)
        pins += [in_segment(o, s * 0.14, o, s * 0.26, s * 0.06), in_segment(o, s * 0.74, o, s * 0.86, s * 0.06),
                 in_segment(s * 0.14, o, s * 0.26, o, s * 0.06), in_segment(s * 0.74, o, s * 0.86, o, s * 0.06)]
    c.shape(union(chip, *pins), (0, 0, size, size), WHITE, 0.95)
    glyph_check(c, s * 0.25, s * 0.24, s * 0.5, OK_GREEN, 0.2)
    return c


# ---- writers -----------------------------------------------------------------

def rgb_rows(c, background):
    for y in range(c.h - 1, -1, -1):
        row = bytearray()
        for x in range(c.w):
            p = c.px[y * c.w + x]
            a = p[3]
            for i in (2, 1, 0):
                v = p[i] * a + background[i] * (1 - a)
                row.append(max(0, min(255, int(round(v)))))
        row += b"\0" * ((4 - len(row) % 4) % 4)
        yield bytes(row)


def write_bmp(c, path, background=WHITE):
    data = b"".join(rgb_rows(c, background))
    header_size = 14 + 40
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", header_size + len(data), 0, 0, header_size))
        f.write(struct.pack("<IiiHHIIiiII", 40, c.w, c.h, 1, 24, 0, len(data), 2835, 2835, 0, 0))
        f.write(data)


def icon_image(c):
    xor = bytearray()
    for y in range(c.h - 1, -1, -1):
        for x in range(c.w):
            p = c.px[y * c.w + x]
            xor += bytes([max(0, min(255, int(round(p[i])))) for i in (2, 1, 0)])
            xor.append(max(0, min(255, int(round(p[3] * 255)))))
    mask_row = ((c.w + 31) // 32) * 4
    andmask = bytearray()
    for y in range(c.h - 1, -1, -1):
        row = bytearray(mask_row)
        for x in range(c.w):
            if c.px[y * c.w + x][3] < 0.5:
                row[x // 8] |= 0x80 >> (x % 8)
        andmask += row
    head = struct.pack("<IiiHHIIiiII", 40, c.w, c.h * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    return head + bytes(xor) + bytes(andmask)


def write_ico(canvases, path):
    images = [icon_image(c) for c in canvases]
    offset = 6 + 16 * len(images)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)))
        for c, img in zip(canvases, images):
            f.write(struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, 1, 32, len(img), offset))
            offset += len(img)
        for img in images:
            f.write(img)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    pieces = {
        "header.bmp": header(), "band.bmp": band(), "border_side.bmp": side_border(),
        "border_bottom.bmp": bottom_border(), "caption_min.bmp": caption_strip("min"),
        "caption_close.bmp": caption_strip("close"), "scan_button.bmp": scan_button(),
        "browse_button.bmp": browse_button(), "action_button.bmp": action_button(145, 36),
        "tree_checks.bmp": tree_checks(), "details.bmp": details_icon(), "feedback.bmp": feedback_icon(),
        "phase1.bmp": phase_picture(1), "phase2.bmp": phase_picture(2), "chart_back.bmp": chart_background(),
        "bar_out_of_date.bmp": bar((240, 80, 96), (190, 10, 40)),
        "bar_up_to_date.bmp": bar((120, 190, 96), (56, 120, 44)),
        "bar_placeholder.bmp": bar((214, 220, 226), (180, 188, 196)),
    }
    for name in NAV_GLYPHS:
        pieces["nav_%s.bmp" % name] = nav_strip(name)
    for name, canvas in pieces.items():
        write_bmp(canvas, os.path.join(out, name))
    write_bmp(status_images(), os.path.join(out, "status.bmp"), MAGENTA)
    write_bmp(class_icons(), os.path.join(out, "class_icons.bmp"))
    write_ico([app_icon(s) for s in (16, 24, 32, 48)], os.path.join(out, "velkor.ico"))
    write_avi(spinner_frames(), os.path.join(out, "scan.avi"))


if __name__ == "__main__":
    main()
