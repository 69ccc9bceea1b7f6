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


def make_buttons_4():
    # 22 columns: the main screen's main, order and combat buttons use
    # images up to 21.
    pic = Picture(880, 160)
    for state in range(4):
        for column in range(22):
            button_cell(pic, column * 40, state * 40, 40, 40, state, GLYPHS[(column + 5) % len(GLYPHS)])
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
