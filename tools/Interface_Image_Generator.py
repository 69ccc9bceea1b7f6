#!/usr/bin/env python3
"""Draws the game's own interface atlases and nation flags as 24-bit BMP files.

Usage: Interface_Image_Generator.py <game folder>
Writes images/ui/{Buttons,Buttons_2,Buttons_3,Buttons_4,Cursors,Misc,Map_Values,
MoveArrow,CombatFlag}.bmp and images/flags/Flags.bmp under the game folder.
Black (0, 0, 0) is the transparent colour of the keyed atlases; drawn pixels
never use pure black.
"""
import math
import os
import struct
import sys

BLACK = (0, 0, 0)
INK = (8, 8, 8)  # the darkest drawn colour (not the key)


class Picture:
    def __init__(self, width, height, fill=BLACK):
        self.width, self.height = width, height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, color):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = tuple(max(0, min(255, int(c))) for c in color)

    def rect(self, x, y, w, h, color):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                self.put(xx, yy, color)

    def frame(self, x, y, w, h, light, dark):
        for xx in range(x, x + w):
            self.put(xx, y, light)
            self.put(xx, y + h - 1, dark)
        for yy in range(y, y + h):
            self.put(x, yy, light)
            self.put(x + w - 1, yy, dark)

    def polygon(self, points, color, ox=0, oy=0):
        """Fills a polygon (even-odd rule, pixel centres)."""
        ys = [p[1] for p in points]
        for yy in range(int(math.floor(min(ys))), int(math.ceil(max(ys))) + 1):
            cy = yy + 0.5
            xs = []
            for i in range(len(points)):
                (x1, y1), (x2, y2) = points[i], points[(i + 1) % len(points)]
                if (y1 <= cy < y2) or (y2 <= cy < y1):
                    xs.append(x1 + (cy - y1) * (x2 - x1) / (y2 - y1))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                for xx in range(int(math.ceil(a - 0.5)), int(math.ceil(b - 0.5))):
                    self.put(ox + xx, oy + yy, color)

    def disc(self, cx, cy, r, color):
        for yy in range(int(cy - r - 1), int(cy + r + 2)):
            for xx in range(int(cx - r - 1), int(cx + r + 2)):
                if (xx + 0.5 - cx) ** 2 + (yy + 0.5 - cy) ** 2 <= r * r:
                    self.put(xx, yy, color)

    def save(self, path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        row_size = (self.width * 3 + 3) & ~3
        data = bytearray()
        for row in reversed(self.pixels):
            line = bytearray()
            for r, g, b in row:
                line += bytes((b, g, r))
            line += bytes(row_size - len(line))
            data += line
        header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
        info = struct.pack('<IiiHHIIiiII', 40, self.width, self.height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(path, 'wb') as f:
            f.write(header + info + data)


def shade(color, factor):
    return tuple(max(8, min(255, int(c * factor))) for c in color)


# The four states of a button cell: normal, hovered, pressed, disabled.
STATE_FACES = [(70, 82, 104), (96, 116, 150), (48, 58, 76), (72, 72, 72)]
STATE_GLYPHS = [(225, 225, 210), (255, 245, 170), (200, 200, 190), (130, 130, 130)]


def button_cell(pic, x, y, w, h, state, glyph=None):
    face = STATE_FACES[state]
    pic.rect(x, y, w, h, face)
    light, dark = shade(face, 1.6), shade(face, 0.5)
    if state == 2:
        light, dark = dark, light
    pic.frame(x, y, w, h, light, dark)
    pic.frame(x + 1, y + 1, w - 2, h - 2, shade(face, 1.25), shade(face, 0.75))
    if glyph:
        glyph(pic, x, y, w, h, STATE_GLYPHS[state])


def arrow_glyph(direction):
    def draw(pic, x, y, w, h, color):
        cx, cy, r = x + w / 2, y + h / 2, min(w, h) * 0.28
        pts = {'up': [(0, -r), (r, r * 0.6), (-r, r * 0.6)],
               'down': [(0, r), (-r, -r * 0.6), (r, -r * 0.6)],
               'left': [(-r, 0), (r * 0.6, -r), (r * 0.6, r)],
               'right': [(r, 0), (-r * 0.6, r), (-r * 0.6, -r)]}[direction]
        pic.polygon([(cx + px, cy + py) for px, py in pts], color)
    return draw


def plus_glyph(pic, x, y, w, h, color):
    t = max(2, min(w, h) // 8)
    pic.rect(x + w // 4, y + h // 2 - t // 2, w // 2, t, color)
    pic.rect(x + w // 2 - t // 2, y + h // 4, t, h // 2, color)


def minus_glyph(pic, x, y, w, h, color):
    t = max(2, min(w, h) // 8)
    pic.rect(x + w // 4, y + h // 2 - t // 2, w // 2, t, color)


def thick_line(pic, x1, y1, x2, y2, t, color):
    dx, dy = x2 - x1, y2 - y1
    n = math.hypot(dx, dy) or 1.0
    nx, ny = -dy / n * t / 2, dx / n * t / 2
    pic.polygon([(x1 + nx, y1 + ny), (x2 + nx, y2 + ny), (x2 - nx, y2 - ny), (x1 - nx, y1 - ny)], color)


def cross_glyph(pic, x, y, w, h, color):
    cx, cy, r, t = x + w / 2, y + h / 2, min(w, h) * 0.26, max(2.0, min(w, h) / 9)
    thick_line(pic, cx - r, cy - r, cx + r, cy + r, t, color)
    thick_line(pic, cx - r, cy + r, cx + r, cy - r, t, color)


def check_glyph(pic, x, y, w, h, color):
    cx, cy, r = x + w / 2, y + h / 2, min(w, h) * 0.28
    pic.polygon([(cx - r, cy), (cx - r * 0.35, cy + r * 0.7), (cx + r, cy - r * 0.8),
                 (cx + r * 0.85, cy - r), (cx - r * 0.35, cy + r * 0.3), (cx - r * 0.8, cy - r * 0.3)], color)


def dot_glyph(pic, x, y, w, h, color):
    pic.disc(x + w / 2, y + h / 2, min(w, h) * 0.2, color)


def bars_glyph(pic, x, y, w, h, color):
    for i in range(3):
        pic.rect(x + w // 4, y + h // 4 + i * h // 5, w // 2, max(2, h // 12), color)


def ring_glyph(pic, x, y, w, h, color):
    cx, cy, r = x + w / 2, y + h / 2, min(w, h) * 0.26
    for yy in range(y, y + h):
        for xx in range(x, x + w):
            d = math.hypot(xx + 0.5 - cx, yy + 0.5 - cy)
            if r - 1.6 <= d <= r:
                pic.put(xx, yy, color)


def star_glyph(pic, x, y, w, h, color):
    cx, cy, r = x + w / 2, y + h / 2, min(w, h) * 0.32
    pts = []
    for i in range(10):
        a = -math.pi / 2 + i * math.pi / 5
        rr = r if i % 2 == 0 else r * 0.42
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    pic.polygon(pts, color)


GLYPHS = [None, arrow_glyph('up'), arrow_glyph('down'), arrow_glyph('left'), arrow_glyph('right'), plus_glyph,
          minus_glyph, cross_glyph, check_glyph, dot_glyph, bars_glyph, ring_glyph, star_glyph]


# The small cells of Buttons.bmp by column: 2 the drop-down and scroll-down
# arrow, 3 the scroll-up arrow, 6 a checked and 7 an unchecked check box,
# 8 a selected and 9 an unselected option button, 10 a list's scroll piece.
SMALL_BUTTON_GLYPHS = [None, arrow_glyph('up'), arrow_glyph('down'), arrow_glyph('up'), arrow_glyph('left'),
                       plus_glyph, check_glyph, None, dot_glyph, ring_glyph, bars_glyph, arrow_glyph('right')]


def make_buttons():
    # Twelve 22 x 22 cells per row, then the 90 x 22 wide cell at x 264.
    pic = Picture(354, 88)
    for state in range(4):
        for column in range(12):
            button_cell(pic, column * 22, state * 22, 22, 22, state, SMALL_BUTTON_GLYPHS[column])
        button_cell(pic, 264, state * 22, 90, 22, state)
    return pic


def make_buttons_2():
    pic = Picture(672, 160)
    for state in range(4):
        for column in range(4):
            button_cell(pic, column * 168, state * 40, 168, 40, state)
    return pic


def make_buttons_3():
    # 40 x 40 cells from x 0; the narrow 20 x 40 cells of the other style
    # start at x 40, so the atlas holds both kinds over the same columns.
    pic = Picture(320, 160)
    for state in range(4):
        for column in range(8):
            button_cell(pic, column * 40, state * 40, 40, 40, state, GLYPHS[(column + 1) % len(GLYPHS)])
    return pic


# ---------------------------------------------------------------- button icons
# The icons of the main screen's 40 x 40 buttons are drawn as shapes on a
# four-times finer grid and brought down to coverage, so that their edges
# are smooth; a dark rim around every shape keeps them readable on all four
# button faces.

ICON_SCALE = 4
ICON_RIM = (16, 20, 28)


class Mask:
    """Coverage of shapes on a 40 x 40 cell, kept at ICON_SCALE samples a pixel."""

    def __init__(self, size=40):
        self.size = size
        self.n = size * ICON_SCALE
        self.bits = bytearray(self.n * self.n)

    def _span(self, yy, a, b, value):
        row = yy * self.n
        lo = max(0, int(math.ceil(a - 0.5)))
        hi = min(self.n, int(math.ceil(b - 0.5)))
        for xx in range(lo, hi):
            self.bits[row + xx] = value

    def poly(self, points, value=1):
        pts = [(x * ICON_SCALE, y * ICON_SCALE) for x, y in points]
        ys = [p[1] for p in pts]
        for yy in range(max(0, int(math.floor(min(ys)))), min(self.n, int(math.ceil(max(ys))) + 1)):
            cy = yy + 0.5
            xs = []
            for i in range(len(pts)):
                (x1, y1), (x2, y2) = pts[i], pts[(i + 1) % len(pts)]
                if (y1 <= cy < y2) or (y2 <= cy < y1):
                    xs.append(x1 + (cy - y1) * (x2 - x1) / (y2 - y1))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                self._span(yy, a, b, value)
        return self

    def rect(self, x, y, w, h, value=1):
        return self.poly([(x, y), (x + w, y), (x + w, y + h), (x, y + h)], value)

    def disc(self, cx, cy, r, value=1):
        cx, cy, r = cx * ICON_SCALE, cy * ICON_SCALE, r * ICON_SCALE
        for yy in range(max(0, int(cy - r - 1)), min(self.n, int(cy + r + 2))):
            d = r * r - (yy + 0.5 - cy) ** 2
            if d > 0:
                h = math.sqrt(d)
                self._span(yy, cx - h, cx + h, value)
        return self

    def ring(self, cx, cy, r, t):
        self.disc(cx, cy, r)
        return self.disc(cx, cy, r - t, 0)

    def line(self, x1, y1, x2, y2, t, value=1, round_ends=True):
        dx, dy = x2 - x1, y2 - y1
        n = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / n * t / 2, dx / n * t / 2
        self.poly([(x1 + nx, y1 + ny), (x2 + nx, y2 + ny), (x2 - nx, y2 - ny), (x1 - nx, y1 - ny)], value)
        if round_ends:
            self.disc(x1, y1, t / 2, value)
            self.disc(x2, y2, t / 2, value)
        return self

    def arc(self, cx, cy, r, a0, a1, t, value=1):
        steps = max(6, int(abs(a1 - a0) * r / 2))
        pts = [(cx + r * math.cos(a0 + (a1 - a0) * i / steps), cy + r * math.sin(a0 + (a1 - a0) * i / steps))
               for i in range(steps + 1)]
        for (x1, y1), (x2, y2) in zip(pts, pts[1:]):
            self.line(x1, y1, x2, y2, t, value)
        return self

    def coverage(self):
        """Coverage 0..1 per pixel of the cell."""
        s, n = ICON_SCALE, self.n
        out = [[0.0] * self.size for _ in range(self.size)]
        for y in range(self.size):
            for x in range(self.size):
                total = 0
                for sy in range(s):
                    row = (y * s + sy) * n + x * s
                    total += sum(self.bits[row:row + s])
                out[y][x] = total / (s * s)
        return out


def arrow_head(m, tip_x, tip_y, angle, length, width):
    bx, by = tip_x - length * math.cos(angle), tip_y - length * math.sin(angle)
    nx, ny = -math.sin(angle) * width / 2, math.cos(angle) * width / 2
    m.poly([(tip_x, tip_y), (bx + nx, by + ny), (bx - nx, by - ny)])


# Each icon gives layers of (mask, colour): None is the button's glyph
# colour of its state, a colour an accent that fades with a disabled button.

def icon_menu():
    # a cog: the game's own settings, saving and leaving
    m = Mask()
    cx, cy = 20, 20
    for i in range(8):
        a = i * math.pi / 4
        m.line(cx + 8 * math.cos(a), cy + 8 * math.sin(a), cx + 13 * math.cos(a), cy + 13 * math.sin(a), 5,
               round_ends=False)
    m.disc(cx, cy, 10)
    m.disc(cx, cy, 4.2, 0)
    return [(m, None)]


def icon_purchases():
    # a stack of gold coins, each its own layer so that the rims part them
    layers = []
    for i in range(4):
        y = 30 - i * 5.5
        side = Mask()
        side.rect(9, y - 2.6, 22, 3.2)
        side.poly([(20 + 11 * math.cos(a / 12 * math.pi), y + 0.6 + 3 * math.sin(a / 12 * math.pi))
                   for a in range(13)])
        top = Mask()
        top.poly([(20 + 11 * math.cos(a / 24 * 2 * math.pi), y - 2.6 + 3 * math.sin(a / 24 * 2 * math.pi))
                  for a in range(24)])
        layers += [(side, (196, 142, 36)), (top, (248, 214, 96))]
    return layers


def icon_statistics():
    # a bar chart on its axis
    m = Mask()
    m.rect(7, 31, 27, 2.6)
    m.rect(7, 8, 2.6, 25)
    bars = Mask()
    for i, h in enumerate((9, 16, 12, 21)):
        bars.rect(12 + i * 5.6, 31 - h, 4.2, h)
    return [(m, None), (bars, (120, 200, 250))]


def icon_log():
    # a written page
    m = Mask()
    m.poly([(10, 6), (26, 6), (31, 11), (31, 34), (10, 34)])
    m.poly([(13, 9), (24.5, 9), (28, 12.5), (28, 31), (13, 31)], 0)
    m.poly([(24, 6), (24, 13), (31, 13)])
    for i in range(4):
        m.rect(15, 15 + i * 4.2, 11 - (3 if i == 3 else 0), 1.8)
    return [(m, None)]


def icon_end_turn():
    # play on to the end: the turn passes to the next nation
    m = Mask()
    m.poly([(8, 10), (19, 20), (8, 30)])
    m.poly([(18, 10), (29, 20), (18, 30)])
    m.rect(29.5, 10, 3.5, 20)
    return [(m, (150, 235, 140))]


def group_arrow(forward):
    m = Mask()
    # a unit group (a small square) and the way to the next one
    sx = 8 if forward else 22
    m.rect(sx, 14, 10, 12)
    m.rect(sx + 2.2, 16.2, 5.6, 7.6, 0)
    tip = 34 if forward else 6
    base = 22 if forward else 18
    m.poly([(tip, 20), (base, 11), (base, 29)])
    return [(m, None)]


def icon_move():
    # a bold arrow leaving a trail of steps
    m = Mask()
    m.line(14, 26, 24, 16, 4.2)
    arrow_head(m, 33, 7, -math.pi / 4, 13, 15)
    dots = Mask()
    dots.disc(7.5, 32.5, 2.3)
    return [(m, (150, 235, 140)), (dots, None)]


def icon_attack():
    # two crossed swords, points up
    blades = Mask()
    hilts = Mask()
    for flip in (1, -1):
        def px(x):
            return 20 + flip * (x - 20)
        blades.poly([(px(33), 6), (px(31.5), 11.5), (px(14), 29), (px(11), 26), (px(28.5), 7.5)])
        hilts.line(px(9), 22, px(18), 31, 3)
        hilts.line(px(12.5), 27.5, px(7.5), 32.5, 3.2)
        hilts.disc(px(6.5), 33.5, 2.4)
    return [(blades, None), (hilts, (226, 120, 70))]


def icon_bombard():
    # a target's crosshairs
    m = Mask()
    m.ring(20, 20, 11, 2.6)
    for a, b in ((5, 13), (27, 35)):
        m.rect(a, 18.7, b - a, 2.6)
        m.rect(18.7, a, 2.6, b - a)
    centre = Mask().disc(20, 20, 3)
    return [(m, None), (centre, (240, 90, 70))]


def icon_transport():
    # a crate lowered onto a ship
    hull = Mask()
    hull.poly([(4, 25), (36, 25), (31, 33), (9, 33)])
    hull.rect(23, 19, 8, 6)
    crate = Mask()
    crate.rect(9, 5, 11, 10)
    crate.rect(11.2, 7.2, 6.6, 5.6, 0)
    crate.line(14.5, 16, 14.5, 19, 2.6, round_ends=False)
    arrow_head(crate, 14.5, 24, math.pi / 2, 6, 8)
    return [(hull, None), (crate, (240, 200, 110))]


def icon_land():
    # from the water onto the shore
    water = Mask()
    for y in (27, 32):
        for x in (5, 11):
            water.arc(x + 3, y, 3, math.pi, 2 * math.pi, 1.8)
    ground = Mask()
    ground.poly([(20, 24), (36, 24), (36, 34), (22, 34)])
    m = Mask()
    m.arc(21, 24, 12, math.pi * 1.05, math.pi * 1.62, 3.4)
    arrow_head(m, 29, 17.5, 0.95, 8, 10)
    return [(water, (110, 170, 240)), (ground, (180, 150, 90)), (m, None)]


def icon_decommission():
    # a waste bin: the units are disbanded
    m = Mask()
    m.rect(9, 10, 22, 3)
    m.rect(16, 7, 8, 3)
    m.poly([(11, 14.5), (29, 14.5), (27, 34), (13, 34)])
    for x in (15.5, 19.2, 22.9):
        m.rect(x, 17.5, 1.8, 13.5, 0)
    return [(m, None)]


def icon_skip():
    # a jump over the next place: this group waits
    m = Mask()
    m.arc(20, 26, 11, math.pi * 1.1, math.pi * 1.85, 3.2)
    arrow_head(m, 31.5, 24, 1.25, 8, 10)
    spot = Mask().rect(16, 27, 8, 6)
    return [(m, None), (spot, (170, 190, 220))]


def icon_cancel():
    # a barred circle: the order is taken back
    m = Mask()
    m.ring(20, 20, 12, 3.4)
    m.line(12, 12, 28, 28, 3.4)
    return [(m, (240, 100, 80))]


def icon_clear_selection():
    # the selection corners, emptied
    m = Mask()
    for cx, cy, sx, sy in ((7, 7, 1, 1), (33, 7, -1, 1), (7, 33, 1, -1), (33, 33, -1, -1)):
        m.line(cx, cy, cx + 8 * sx, cy, 2.6)
        m.line(cx, cy, cx, cy + 8 * sy, 2.6)
    x = Mask()
    x.line(14, 14, 26, 26, 3)
    x.line(14, 26, 26, 14, 3)
    return [(m, None), (x, (240, 100, 80))]


def icon_wait():
    # an hourglass: this unit acts again later
    m = Mask()
    m.rect(11, 6, 18, 3)
    m.rect(11, 31, 18, 3)
    m.poly([(12, 9), (28, 9), (21.5, 20), (28, 31), (12, 31), (18.5, 20)])
    m.poly([(15, 11), (25, 11), (20.6, 19), (20.6, 21), (25, 29), (15, 29), (19.4, 21), (19.4, 19)], 0)
    sand = Mask()
    sand.poly([(16.5, 12.5), (23.5, 12.5), (20, 17)])
    sand.poly([(20, 24), (24.5, 29), (15.5, 29)])
    return [(m, None), (sand, (240, 205, 120))]


def icon_options():
    # three sliders: the battle's settings
    m = Mask()
    knobs = Mask()
    for i, k in enumerate((26, 14, 21)):
        y = 11 + i * 9
        m.rect(7, y - 1.2, 26, 2.4)
        knobs.rect(k - 3, y - 4, 6, 8)
    return [(m, None), (knobs, (120, 200, 250))]


# Buttons_4 columns: main buttons 0 menu, 1 purchases, 2 statistics, 4 log,
# 5 end turn; order buttons 16/17 previous/next group, 6 move, 8 attack,
# 9 bombard, 10 transport, 11 land, 7 decommission, 12 skip (also the
# battle's end of a unit's turn), 19 cancel order, 18 clear selection;
# battle buttons 21 options, 15 wait. Columns 3, 13, 14 and 20 are unused.
MAIN_ICONS = {0: icon_menu, 1: icon_purchases, 2: icon_statistics, 4: icon_log, 5: icon_end_turn,
              6: icon_move, 7: icon_decommission, 8: icon_attack, 9: icon_bombard, 10: icon_transport,
              11: icon_land, 12: icon_skip, 15: icon_wait, 16: lambda: group_arrow(False),
              17: lambda: group_arrow(True), 18: icon_clear_selection, 19: icon_cancel, 21: icon_options}


def blend(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def draw_icon(pic, x0, y0, layers, state):
    glyph = STATE_GLYPHS[state]
    covers = [(m.coverage(), colour) for m, colour in layers]
    # the dark rim: the shapes' coverage grown by a pixel
    rim = [[0.0] * 40 for _ in range(40)]
    for cov, _ in covers:
        for y in range(40):
            for x in range(40):
                c = cov[y][x]
                if c <= 0:
                    continue
                for yy in range(max(0, y - 1), min(40, y + 2)):
                    for xx in range(max(0, x - 1), min(40, x + 2)):
                        if rim[yy][xx] < c:
                            rim[yy][xx] = c
    off = 1 if state == 2 else 0  # a pressed button's icon sinks a pixel
    for y in range(40):
        for x in range(40):
            if rim[y][x] > 0:
                px, py = x0 + x + off, y0 + y + off
                pic.put(px, py, blend(pic.pixels[py][px], ICON_RIM, rim[y][x] * 0.75))
    for cov, colour in covers:
        if colour is None:
            c = glyph
        elif state == 3:
            c = blend(colour, (140, 140, 140), 0.75)
        elif state == 1:
            c = blend(colour, (255, 255, 255), 0.25)
        else:
            c = colour
        for y in range(40):
            for x in range(40):
                if cov[y][x] > 0:
                    px, py = x0 + x + off, y0 + y + off
                    pic.put(px, py, blend(pic.pixels[py][px], c, cov[y][x]))


def make_buttons_4():
    # 22 columns: the main screen's main, order and combat buttons use
    # images up to 21, each with the icon of what it does.
    pic = Picture(880, 160)
    layers = {column: make() for column, make in MAIN_ICONS.items()}
    for state in range(4):
        for column in range(22):
            button_cell(pic, column * 40, state * 40, 40, 40, state)
            if column in layers:
                draw_icon(pic, column * 40, state * 40, layers[column], state)
    return pic


def pointer(pic, ox, oy, color):
    outline = [(1, 1), (1, 30), (9, 23), (15, 36), (20, 34), (14, 21), (25, 21)]
    pic.polygon([(x + 1, y + 1) for x, y in outline], (240, 240, 240), ox, oy)
    pic.polygon([(x * 0.8 + 2.2, y * 0.8 + 3.2) for x, y in outline], color, ox, oy)


def make_cursors():
    # Five 40 x 40 pointers; the game draws its own pointer from the fifth.
    pic = Picture(200, 40)
    colors = [(60, 60, 70), (40, 140, 60), (170, 50, 40), (60, 90, 170), (30, 40, 70)]
    for i, c in enumerate(colors):
        pointer(pic, i * 40, 0, c)
    return pic


def make_misc():
    pic = Picture(256, 160)
    # Status-bar icons (16 x 16) at (2, 56), (20, 56) and (38, 56): calendar, coins, upkeep.
    pic.rect(2, 56, 16, 16, (220, 220, 205))
    pic.rect(2, 56, 16, 4, (170, 40, 40))
    for i in range(3):
        for j in range(3):
            pic.rect(4 + j * 5, 62 + i * 3, 2, 2, (60, 60, 60))
    pic.disc(28, 64, 7, (215, 175, 40))
    pic.disc(28, 64, 4.5, (240, 210, 80))
    pic.disc(46, 64, 7, (150, 150, 160))
    pic.rect(42, 63, 9, 2, (60, 60, 70))
    # The marker band: texels x 1..213, y 109..140.
    pic.rect(1, 109, 212, 31, (30, 60, 110))
    pic.frame(1, 109, 212, 31, (200, 220, 255), (90, 120, 170))
    for i in range(6):
        pic.polygon([(18 + i * 36, 115), (30 + i * 36, 124.5), (18 + i * 36, 134)], (240, 220, 120))
    return pic


def make_map_values():
    # Ten 16 x 16 value symbols: money, production, population, defence,
    # attack, movement, supply, research, morale, size.
    pic = Picture(160, 16)
    symbols = [(215, 175, 40), (160, 110, 60), (90, 170, 90), (90, 120, 200), (200, 70, 60),
               (220, 220, 220), (130, 100, 170), (70, 190, 200), (230, 140, 60), (170, 170, 170)]
    for i, c in enumerate(symbols):
        x = i * 16
        if i % 3 == 0:
            pic.disc(x + 8, 8, 6.5, c)
        elif i % 3 == 1:
            pic.rect(x + 2, 2, 12, 12, c)
        else:
            pic.polygon([(x + 8, 1.5), (x + 14.5, 14.5), (x + 1.5, 14.5)], c)
    return pic


def make_move_arrow():
    # Pointing up: the image's top lies at the end of a move.
    pic = Picture(64, 128)
    for y in range(128):
        for x in range(64):
            inside_head = y < 44 and abs(x + 0.5 - 32) <= (y + 0.5) * 30 / 44
            inside_shaft = y >= 44 and abs(x + 0.5 - 32) <= 13
            if inside_head or inside_shaft:
                glow = 1.0 - abs(x + 0.5 - 32) / 40
                pic.put(x, y, shade((120, 255, 120), 0.45 + 0.55 * glow))
    return pic


def make_combat_flag():
    pic = Picture(128, 128)
    pic.rect(14, 6, 6, 118, (150, 120, 80))  # the pole
    pic.polygon([(20, 10), (118, 18), (104, 44), (118, 70), (20, 62)], (200, 40, 30))
    # Two crossed blades on the cloth.
    thick_line(pic, 44, 16, 88, 56, 4, (235, 235, 225))
    thick_line(pic, 88, 16, 44, 56, 4, (235, 235, 225))
    return pic


FLAG_COLORS = [(170, 30, 30), (30, 70, 180), (30, 120, 40), (190, 150, 20),
               (110, 40, 150), (200, 95, 20), (20, 130, 130), (80, 80, 100)]
# The neutral empire's flags: a ninth row in its own earthen colour (the
# game settings' "Neutral Empire Color Index" 9).
NEUTRAL_FLAG_COLOR = (110, 100, 80)
LIGHT = (235, 235, 225)


def flag(pic, ox, oy, w, h, color, pattern):
    dark = shade(color, 0.55)
    pic.rect(ox, oy, w, h, color)
    if pattern == 0:  # bands across
        pic.rect(ox, oy + h // 3, w, h // 3, LIGHT)
    elif pattern == 1:  # bands down
        pic.rect(ox + w // 3, oy, w - 2 * (w // 3), h, LIGHT)
    elif pattern == 2:  # a light disc
        pic.disc(ox + w / 2, oy + h / 2, h * 0.3, LIGHT)
    elif pattern == 3:  # a cross
        pic.rect(ox, oy + h // 2 - 2, w, 4, LIGHT)
        pic.rect(ox + w // 3 - 2, oy, 4, h, LIGHT)
    elif pattern == 4:  # a hoist triangle
        pic.polygon([(0, 0), (w * 0.45, h / 2), (0, h)], LIGHT, ox, oy)
    elif pattern == 5:  # a diagonal band
        pic.polygon([(0, h), (0, h - 5), (w - 7, 0), (w, 0), (7, h)], LIGHT, ox, oy)
    elif pattern == 6:  # a star in the canton
        star_glyph(pic, ox, oy, w // 2, h // 2 + 2, LIGHT)
        pic.rect(ox, oy + h - 4, w, 4, dark)
    else:  # quarters
        pic.rect(ox, oy, w // 2, h // 2, LIGHT)
        pic.rect(ox + w // 2, oy + h // 2, w - w // 2, h - h // 2, LIGHT)
    pic.frame(ox, oy, w, h, shade(color, 1.3), dark)


def make_flags(w=32, h=20):
    # One row per player colour and the neutral row, one column per flag
    # pattern.
    colors = FLAG_COLORS + [NEUTRAL_FLAG_COLOR]
    pic = Picture(8 * w, len(colors) * h)
    for row, color in enumerate(colors):
        for column in range(8):
            flag(pic, column * w, row * h, w, h, color, column)
    return pic


def main():
    if len(sys.argv) != 2:
        print('usage: Interface_Image_Generator.py <game folder>', file=sys.stderr)
        return 2
    root = sys.argv[1]
    ui = os.path.join(root, 'images', 'ui')
    outputs = {
        os.path.join(ui, 'Buttons.bmp'): make_buttons,
        os.path.join(ui, 'Buttons_2.bmp'): make_buttons_2,
        os.path.join(ui, 'Buttons_3.bmp'): make_buttons_3,
        os.path.join(ui, 'Buttons_4.bmp'): make_buttons_4,
        os.path.join(ui, 'Cursors.bmp'): make_cursors,
        os.path.join(ui, 'Misc.bmp'): make_misc,
        os.path.join(ui, 'Map_Values.bmp'): make_map_values,
        os.path.join(ui, 'MoveArrow.bmp'): make_move_arrow,
        os.path.join(ui, 'CombatFlag.bmp'): make_combat_flag,
        os.path.join(root, 'images', 'flags', 'Flags.bmp'): make_flags,
    }
    for path, make in outputs.items():
        make().save(path)
        print(path)
    return 0


if __name__ == '__main__':
    sys.exit(main())
