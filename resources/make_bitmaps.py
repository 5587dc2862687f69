#!/usr/bin/env python3
"""Draws the bitmaps of the camera program and of the camera button utility and writes
them as uncompressed 24-bit BMP files (bottom-up, no colour table) into
resources/bitmaps/100, 150 and 200: one set for each display scale the programs load.
Run it from the repository root to remake them all:
    python3 resources/make_bitmaps.py

Every drawing is in the 96-DPI design's pixels; a set at another scale draws the same
shapes at that scale. Sizes and places are scaled as the programs scale them
(controls/DisplayScale.h: each coordinate times DPI / 96, halves rounded away from zero).

Everything is drawn by the small rasteriser below (shapes are inside-tests, anti-aliased
by supersampling), so the output is the same on every run. To change the look, start
with the palette; each image has its own function further down.
"""
import math
import os
import struct

# ---------------------------------------------------------------- palette (R, G, B)
STRIP = (251, 251, 251)            # control strip of the camera window
GLYPH = (71, 85, 105)              # slate: icons and arrows
GLYPH_DARK = (45, 55, 72)          # pressed icons, logo
GLYPH_OFF = (190, 196, 204)        # disabled icons
ACCENT = (43, 108, 196)            # calm blue: hover, selection, "on"
ACCENT_DARK = (30, 82, 156)
ACCENT_SOFT = (214, 229, 249)
SELECTION = (60, 134, 228)         # frame of the selected thumbnail (on the dark strip)
AMBER = (236, 150, 32)             # low light "on"
AMBER_DARK = (196, 112, 14)
AMBER_SOFT = (255, 236, 200)
WHITE = (255, 255, 255)

FACE = ((248, 249, 250), (230, 234, 239))        # button face gradient, top -> bottom
FACE_HOVER = ((255, 255, 255), (241, 246, 253))
FACE_PRESSED = ((210, 216, 224), (226, 231, 237))
FACE_OFF = ((245, 246, 247), (245, 246, 247))
BORDER = (196, 203, 212)
BORDER_HOVER = (120, 164, 224)
BORDER_PRESSED = (150, 160, 173)
BORDER_OFF = (224, 227, 231)
FIELD = (255, 255, 255)            # text area of the resolution list

THUMBS = ((60, 65, 72), (36, 39, 44))            # thumbnail strip gradient
THUMBS_LINE = (205, 210, 217)                    # separator at the top of the strip
PANEL = ((250, 251, 252), (229, 233, 238))       # floating button panel gradient
PANEL_EDGE = (128, 137, 150)

SS = 4                             # supersampling per axis (SS x SS samples per pixel)
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "bitmaps")
SETS = (96, 144, 192)              # the DPIs of the sets: 100, 150 and 200 %
DPI = 96                           # the set being drawn


def px(v):
    """A design coordinate in the pixels of the set being drawn, as the programs round it."""
    return (abs(v) * DPI + 48) // 96 * (1 if v >= 0 else -1)


# ---------------------------------------------------------------- rasteriser
class Shape:
    """A set of points given by an inside-test, with a bounding box (x0, y0, x1, y1).
    Coordinates are in pixels; pixel (i, j) covers [i, i+1) x [j, j+1)."""

    def __init__(self, test, box):
        self.test, self.box = test, box

    def __or__(self, o):
        a, b = self.box, o.box
        return Shape(lambda x, y: self.test(x, y) or o.test(x, y),
                     (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3])))

    def __sub__(self, o):
        return Shape(lambda x, y: self.test(x, y) and not o.test(x, y), self.box)

    def __and__(self, o):
        return Shape(lambda x, y: self.test(x, y) and o.test(x, y), self.box)


def rect(x0, y0, x1, y1, r=0.0):
    def test(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        qx = max(x0 + r - x, x - (x1 - r), 0.0)
        qy = max(y0 + r - y, y - (y1 - r), 0.0)
        return qx * qx + qy * qy <= r * r
    return Shape(test, (x0, y0, x1, y1))


def frame(x0, y0, x1, y1, r, t):
    """Border of width t inside the rounded rectangle."""
    return rect(x0, y0, x1, y1, r) - rect(x0 + t, y0 + t, x1 - t, y1 - t, max(r - t, 0.0))


def circle(cx, cy, r):
    return Shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, (cx - r, cy - r, cx + r, cy + r))


def ring(cx, cy, r, t):
    return circle(cx, cy, r) - circle(cx, cy, r - t)


def polygon(pts):
    n = len(pts)

    def test(x, y):
        inside = False
        for i in range(n):
            (ax, ay), (bx, by) = pts[i], pts[i - 1]
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return inside
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]
    return Shape(test, (min(xs), min(ys), max(xs), max(ys)))


def polyline(pts, w):
    """Stroke of width w along the points, with round ends and joins."""
    h = w / 2.0
    segs = list(zip(pts, pts[1:])) or [(pts[0], pts[0])]

    def test(x, y):
        for (ax, ay), (bx, by) in segs:
            dx, dy = bx - ax, by - ay
            ll = dx * dx + dy * dy
            t = 0.0 if ll == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / ll))
            if (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= h * h:
                return True
        return False
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]
    return Shape(test, (min(xs) - h, min(ys) - h, max(xs) + h, max(ys) + h))


def line(x0, y0, x1, y1, w):
    return polyline([(x0, y0), (x1, y1)], w)


def arc_points(cx, cy, rx, ry, a0, a1, n=24):
    """Points on an ellipse from angle a0 to a1 (degrees, 0 = right, 90 = down)."""
    return [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * i / n)),
             cy + ry * math.sin(math.radians(a0 + (a1 - a0) * i / n))) for i in range(n + 1)]


def vgrad(top, bottom, y0, y1):
    """Colour function of a vertical gradient from y0 (top colour) to y1 (bottom colour)."""
    def colour(x, y):
        t = min(max((y - y0) / float(max(y1 - y0, 1e-6)), 0.0), 1.0)
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return colour


def mix(a, b, t):
    return tuple(int(round(p + (q - p) * t)) for p, q in zip(a, b))


class Canvas:
    """A picture of w x h design pixels, held in the pixels of the set being drawn (or of
    exactly `pixels` = (width, height)). Shapes and colours take design coordinates."""

    def __init__(self, w, h, bg=WHITE, pixels=None):
        self.w, self.h = pixels or (px(w), px(h))
        self.z = DPI / 96.0
        self.dw, self.dh = self.w / self.z, self.h / self.z   # the size in design pixels
        self.px = [[list(bg) for _ in range(self.w)] for _ in range(self.h)]

    def fill(self, shape, colour, alpha=1.0, ss=SS):
        """Paints the shape; colour is an RGB tuple or a function (x, y) -> RGB."""
        paint = colour if callable(colour) else (lambda x, y: colour)
        b, z = shape.box, self.z
        for j in range(max(int(math.floor(b[1] * z)), 0), min(int(math.ceil(b[3] * z)), self.h)):
            for i in range(max(int(math.floor(b[0] * z)), 0), min(int(math.ceil(b[2] * z)), self.w)):
                hits = sum(shape.test((i + (a + 0.5) / ss) / z, (j + (c + 0.5) / ss) / z)
                           for a in range(ss) for c in range(ss))
                if hits:
                    k = alpha * hits / (ss * ss)
                    p, q = self.px[j][i], paint((i + 0.5) / z, (j + 0.5) / z)
                    for n in range(3):
                        p[n] += (q[n] - p[n]) * k

    def gradient(self, top, bottom, y0=0, y1=None):
        """Fills every row with a vertical gradient (no anti-aliasing needed); y0 and y1
        in design pixels, by default the first and the last row."""
        colour = vgrad(top, bottom, y0, (self.h - 1) / self.z if y1 is None else y1)
        for j in range(self.h):
            c = colour(0, (j + 0.5) / self.z - 0.5)
            self.px[j] = [list(c) for _ in range(self.w)]

    def rows(self, first, last, colour):
        """Paints the pixel rows that design rows first .. last - 1 cover."""
        for j in range(px(first), px(last)):
            self.px[j] = [list(colour) for _ in range(self.w)]

    def paste(self, other, x, y):
        """Copies `other` with its top left corner at pixel (x, y)."""
        for j in range(other.h):
            for i in range(other.w):
                self.px[y + j][x + i] = list(other.px[j][i])

    def crop(self, x, y, w, h):
        """The pixels from (x, y), w x h, in pixels of this set."""
        c = Canvas(0, 0, pixels=(w, h))
        c.px = [[list(p) for p in row[x:x + w]] for row in self.px[y:y + h]]
        return c

    def save(self, name):
        stride = (self.w * 3 + 3) & ~3
        data = bytearray()
        for row in reversed(self.px):           # bottom-up
            for r, g, b in row:
                data += bytes((int(round(min(max(b, 0), 255))), int(round(min(max(g, 0), 255))),
                               int(round(min(max(r, 0), 255)))))
            data += b"\0" * (stride - self.w * 3)
        head = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        folder = os.path.join(OUT, str(DPI * 100 // 96))
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(b"BM" + struct.pack("<IHHI", 14 + len(head) + len(data), 0, 0, 14 + len(head)))
            f.write(head + data)
        print("%3d%% %-28s %4d x %d" % (DPI * 100 // 96, name, self.w, self.h))


# ---------------------------------------------------------------- glyphs
def camera_glyph(cx, cy, s=1.0):
    """Camera body with a viewfinder bump and a lens (the lens ring is left open)."""
    body = rect(cx - 8 * s, cy - 4.5 * s, cx + 8 * s, cy + 6.5 * s, 2.2 * s)
    bump = polygon([(cx - 4.5 * s, cy - 4 * s), (cx - 3 * s, cy - 7 * s),
                    (cx + 3 * s, cy - 7 * s), (cx + 4.5 * s, cy - 4 * s)])
    bump = bump | rect(cx - 3.5 * s, cy - 7 * s, cx + 3.5 * s, cy - 4 * s, 1.0 * s)
    lens = ring(cx, cy + 1 * s, 4.3 * s, 1.5 * s)
    flash = rect(cx + 4.6 * s, cy - 2.9 * s, cx + 6.6 * s, cy - 1.6 * s, 0.5 * s)
    return (body | bump) - lens - flash


def bin_glyph(cx, cy):
    """Bin: lid with a handle, tapered body with three ribs."""
    handle = frame(cx - 2.8, cy - 9.0, cx + 2.8, cy - 5.5, 1.2, 1.4)
    lid = rect(cx - 7.5, cy - 6.3, cx + 7.5, cy - 4.3, 0.9)
    body = polygon([(cx - 6.0, cy - 3.0), (cx + 6.0, cy - 3.0), (cx + 5.0, cy + 8.5), (cx - 5.0, cy + 8.5)])
    body = body & rect(cx - 7, cy - 3.0, cx + 7, cy + 8.5, 1.4)
    ribs = line(cx, cy - 0.6, cx, cy + 6.2, 1.3) | line(cx - 2.8, cy - 0.6, cx - 2.5, cy + 6.2, 1.3) \
        | line(cx + 2.8, cy - 0.6, cx + 2.5, cy + 6.2, 1.3)
    return handle | lid | (body - ribs)


def chevron(cx, cy, s=1.0, w=1.8):
    return polyline([(cx - 4 * s, cy - 2 * s), (cx, cy + 2 * s), (cx + 4 * s, cy - 2 * s)], w)


def inset(pts, t):
    """The polygon shrunk by t (points inside it and at least t from every edge)."""
    outer, edges = polygon(pts), list(zip(pts, pts[1:] + pts[:1]))

    def far(x, y):
        for (ax, ay), (bx, by) in edges:
            dx, dy = bx - ax, by - ay
            k = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            if (x - ax - k * dx) ** 2 + (y - ay - k * dy) ** 2 < t * t:
                return False
        return True
    return outer & Shape(far, outer.box)


def flip_glyph(cx, cy, flipped=False):
    """Mirror-flip: a dashed axis between a solid and an outlined triangle."""
    axis = rect(cx - 1, cy - 7, cx + 1, cy - 5)
    for y in range(-4, 6, 3):
        axis = axis | rect(cx - 1, cy + y, cx + 1, cy + y + 2)
    left = [(cx - 2, cy - 6), (cx - 2, cy + 6), (cx - 9.5, cy + 6)]
    right = [(2 * cx - x, y) for x, y in left]
    solid, hollow = (right, left) if flipped else (left, right)
    return axis | polygon(solid) | (polygon(hollow) - inset(hollow, 1.3))


def moon_glyph(cx, cy, filled):
    """Crescent moon; outlined when `filled` is false."""
    outer, bite = (cx - 0.5, cy + 0.5, 7.5), (cx + 3.5, cy - 3.0, 6.2)
    moon = circle(*outer) - circle(*bite)
    if filled:
        return moon
    t = 1.6
    return moon - (circle(outer[0], outer[1], outer[2] - t) - circle(bite[0], bite[1], bite[2] + t))


def sparkle(cx, cy, r):
    return polygon([(cx, cy - r), (cx + r * 0.3, cy - r * 0.3), (cx + r, cy), (cx + r * 0.3, cy + r * 0.3),
                    (cx, cy + r), (cx - r * 0.3, cy + r * 0.3), (cx - r, cy), (cx - r * 0.3, cy - r * 0.3)])


def gear_glyph(cx, cy, teeth=8, outer=8.3, root=6.2, hole=2.6, tooth=1.75):
    def test(x, y):
        dx, dy = x - cx, y - cy
        r = math.hypot(dx, dy)
        if r < hole or r > outer:
            return False
        if r <= root:
            return True
        step = 2 * math.pi / teeth
        a = (math.atan2(dy, dx) + step / 2) % step - step / 2
        return abs(math.sin(a)) * r <= tooth
    return Shape(test, (cx - outer, cy - outer, cx + outer, cy + outer))


# ---------------------------------------------------------------- logo (Delm Halvo)
# Stroke letters on a 10-unit cap height: y = 0 cap top, 3 x-height, 10 baseline.
LETTERS = {
    "D": (6, [[(0, 0), (0, 10)], [(0, 0), (2, 0)] + arc_points(2, 5, 4, 5, -90, 90) + [(0, 10)]]),
    "e": (6, [[(0.2, 6), (5.8, 6)] + arc_points(3, 6.5, 2.8, 3.5, -8, -310)]),
    "l": (0, [[(0, 0), (0, 10)]]),
    "m": (8, [[(0, 3), (0, 10)], arc_points(2, 5.2, 2, 2.2, 180, 360, 12) + [(4, 10)],
              arc_points(6, 5.2, 2, 2.2, 180, 360, 12) + [(8, 10)]]),
    "H": (6, [[(0, 0), (0, 10)], [(6, 0), (6, 10)], [(0, 5), (6, 5)]]),
    "a": (5, [arc_points(2.5, 6.5, 2.5, 3.5, 0, 360), [(5, 3), (5, 10)]]),
    "v": (6, [[(0, 3), (3, 10), (6, 3)]]),
    "o": (6, [arc_points(3, 6.5, 3, 3.5, 0, 360)]),
}
GAP, SPACE = 2, 5                  # between letters, between words


def word_shape(text, x, y, w):
    """Stroke letters from (x, y) = cap top left; returns the shape and the next x."""
    shape = None
    for ch in text:
        advance, strokes = LETTERS[ch]
        for pts in strokes:
            s = polyline([(x + px, y + py) for px, py in pts], w)
            shape = s if shape is None else shape | s
        x += advance + GAP
    return shape, x


def logo():
    c = Canvas(75, 20, STRIP)
    # Stems and the cap line fall on pixel centres (x.5) so they stay crisp.
    first, x = word_shape("Delm", 5.5, 4.5, 1.45)
    second, _ = word_shape("Halvo", x - GAP + SPACE, 4.5, 1.45)
    c.fill(first, GLYPH_DARK, ss=6)
    c.fill(second, ACCENT, ss=6)
    c.save("312_logo.bmp")


# ---------------------------------------------------------------- camera window buttons
def face(c, state, x0=1, y0=1, x1=None, y1=None, r=4.0):
    """Rounded button face with a 1-px border; `state` is normal, hover, pressed or disabled."""
    x1 = c.dw - 1 if x1 is None else x1
    y1 = c.dh - 1 if y1 is None else y1
    fill, edge = {"normal": (FACE, BORDER), "hover": (FACE_HOVER, BORDER_HOVER),
                  "pressed": (FACE_PRESSED, BORDER_PRESSED), "disabled": (FACE_OFF, BORDER_OFF)}[state]
    if state in ("normal", "hover"):              # soft shadow under a raised face
        c.fill(rect(x0, y0 + 1, x1, y1 + 1, r), (0, 0, 0), 0.07)
    c.fill(rect(x0, y0, x1, y1, r), vgrad(fill[0], fill[1], y0, y1))
    if state == "pressed":                        # inner shadow along the top
        c.fill(frame(x0 + 1, y0 + 1, x1 - 1, y1 - 1, r - 1, 1) & rect(x0, y0, x1, y0 + 2.5), (0, 0, 0), 0.10)
    elif state in ("normal", "hover"):            # highlight just inside the top edge
        c.fill(frame(x0 + 1, y0 + 1, x1 - 1, y1 - 1, r - 1, 1) & rect(x0, y0, x1, y0 + 3), WHITE, 0.8)
    c.fill(frame(x0, y0, x1, y1, r, 1), edge)


GLYPH_FOR = {"normal": GLYPH, "hover": ACCENT, "pressed": GLYPH_DARK, "disabled": GLYPH_OFF}
SHIFT = {"pressed": 1}


def button(number, state, what, glyph):
    c = Canvas(40, 30, STRIP)
    face(c, state)
    d = SHIFT.get(state, 0)
    c.fill(glyph(20 + d, 15.5 + d), GLYPH_FOR[state])
    c.save("%d_%s_%s.bmp" % (number, what, state))


def capture_buttons():
    for number, state in ((316, "normal"), (315, "hover"), (317, "pressed"), (314, "disabled")):
        button(number, state, "capture", camera_glyph)


def delete_buttons():
    for number, state in ((320, "normal"), (319, "hover"), (313, "pressed"), (318, "disabled")):
        button(number, state, "delete", bin_glyph)


def resolution_list():
    # The program writes the resolution in black inside x 3..66, y 3..27: keep that plain.
    for number, state in ((324, "normal"), (323, "hover")):
        c = Canvas(86, 30, STRIP)
        hover = state == "hover"
        c.fill(rect(1, 2, 85, 30, 4), (0, 0, 0), 0.07)
        c.fill(rect(1, 1, 85, 29, 4), FIELD)
        top, bottom = (FACE_HOVER if hover else FACE)
        c.fill(rect(60, 1, 85, 29, 4) - rect(0, 0, 67, 30), vgrad(top, bottom, 1, 29))
        c.fill(rect(66, 2, 67, 28), BORDER_HOVER if hover else BORDER)
        c.fill(frame(1, 1, 85, 29, 4, 1), BORDER_HOVER if hover else BORDER)
        c.fill(chevron(76, 15.5, 1.0, 1.7), ACCENT if hover else GLYPH)
        c.save("%d_resolution_%s.bmp" % (number, state))


def thumbnail_strip():
    c = Canvas(642, 75)
    c.gradient(THUMBS[0], THUMBS[1])
    c.rows(0, 1, THUMBS_LINE)
    c.rows(1, 2, mix(THUMBS[0], WHITE, 0.10))
    return c


def selection_frame(strip):
    # Drawn behind the selected thumbnail (which covers x 5..85, y 5..65) at window
    # (6, 520), where the strip starts at y 517: its background is the strip's there.
    c = strip.crop(px(6), px(520) - px(517), px(90), px(70))
    c.fill(frame(0, 0, 90, 70, 7, 1.5), SELECTION, 0.35)      # outer glow
    c.fill(frame(1, 1, 89, 69, 6, 3), SELECTION)              # accent border
    c.fill(frame(1, 1, 89, 69, 6, 1), mix(SELECTION, WHITE, 0.35), 0.7)
    c.fill(frame(4, 4, 86, 66, 2, 1), WHITE, 0.85)            # hairline next to the picture
    c.save("325_selection.bmp")


# ---------------------------------------------------------------- floating button panel
BUTTONS = {"flip": (8, 50), "lowlight": (10, 86), "setting": (8, 120)}


def panel():
    c = Canvas(42, 162, PANEL_EDGE)
    c.fill(rect(1, 1, 41, 161, 4), vgrad(PANEL[0], PANEL[1], 1, 161))
    c.fill(frame(2, 2, 40, 160, 3, 1) & rect(0, 0, 42, 40), WHITE, 0.7)   # top sheen
    c.fill(rect(7, 8, 35, 30, 5), ACCENT_SOFT)                              # camera mark
    c.fill(frame(7, 8, 35, 30, 5, 1), mix(ACCENT_SOFT, ACCENT, 0.35))
    c.fill(camera_glyph(21, 19.4, 0.75), ACCENT)
    for i in range(3):                                                      # grip dots
        for j in range(2):
            x, y = 14 + 6 * i, 34 + 4 * j
            c.fill(rect(x + 1, y + 1, x + 3, y + 3, 0.5), WHITE)
            c.fill(rect(x, y, x + 2, y + 2, 0.5), mix(PANEL[0], GLYPH, 0.6))
    c.fill(line(8, 42.5, 34, 42.5, 1), mix(PANEL[0], BORDER, 0.9))          # header separator
    c.fill(line(8, 43.5, 34, 43.5, 1), WHITE, 0.8)
    c.fill(line(8, 150.5, 34, 150.5, 1), mix(PANEL[1], BORDER, 0.9))         # foot line
    c.save("215_panel.bmp")
    return c


def tile(c, style, d=0):
    """Rounded highlight behind a 24 x 24 glyph: hover, pressed, on, on-hover, on-pressed."""
    looks = {
        "hover": (FACE_HOVER, BORDER_HOVER),
        "pressed": (FACE_PRESSED, BORDER_PRESSED),
        "on": ((mix(ACCENT, WHITE, 0.12), ACCENT_DARK), ACCENT_DARK),
        "amber": ((AMBER_SOFT, mix(AMBER_SOFT, AMBER, 0.35)), AMBER),
        "amber-hover": ((WHITE, AMBER_SOFT), mix(AMBER, WHITE, 0.2)),
        "amber-pressed": ((mix(AMBER_SOFT, AMBER, 0.55), mix(AMBER_SOFT, AMBER, 0.3)), AMBER_DARK),
    }
    if style not in looks:
        return
    (top, bottom), edge = looks[style]
    c.fill(rect(0.5, 0.5, 23.5, 23.5, 4.5), vgrad(top, bottom, 0.5, 23.5))
    if "pressed" in style:
        c.fill(frame(1.5, 1.5, 22.5, 22.5, 3.5, 1) & rect(0, 0, 24, 3.5), (0, 0, 0), 0.12)
    c.fill(frame(0.5, 0.5, 23.5, 23.5, 4.5, 1), edge)


def strip(panel_canvas, name, frames):
    """Writes a strip of 24 x 24 frames over the panel colours; frames = [(style, draw)]."""
    bx, by = BUTTONS[name.split("_", 1)[1]]
    out = Canvas(0, 0, pixels=(px(24) * len(frames), px(24)))
    for k, (style, draw) in enumerate(frames):
        c = panel_canvas.crop(px(bx), px(by), px(24), px(24))
        tile(c, style)
        draw(c, 1 if "pressed" in style else 0)
        out.paste(c, px(24) * k, 0)
    out.save(name + ".bmp")


def flip_buttons(p):
    def draw(colour, flipped=False):
        return lambda c, d: c.fill(flip_glyph(12 + d, 12 + d, flipped), colour)
    strip(p, "216_flip", [("normal", draw(GLYPH)), ("hover", draw(ACCENT)),
                          ("on", draw(WHITE, True)), ("pressed", draw(GLYPH_DARK))])


def lowlight_buttons(p):
    def off(colour):
        return lambda c, d: c.fill(moon_glyph(12 + d, 12 + d, False), colour)

    def on(colour):
        def draw(c, d):
            c.fill(moon_glyph(12 + d, 12 + d, True), colour)
            c.fill(sparkle(17.5 + d, 7.5 + d, 3.2) | circle(19.5 + d, 14 + d, 1.1), colour)
        return draw
    strip(p, "217_lowlight", [("normal", off(GLYPH)), ("hover", off(ACCENT)), ("pressed", off(GLYPH_DARK)),
                              ("amber", on(AMBER)), ("amber-hover", on(AMBER)),
                              ("amber-pressed", on(AMBER_DARK))])


def setting_buttons(p):
    def draw(colour):
        return lambda c, d: c.fill(gear_glyph(12 + d, 12 + d), colour)
    strip(p, "218_setting", [("normal", draw(GLYPH)), ("hover", draw(ACCENT)),
                             ("on", draw(WHITE)), ("pressed", draw(GLYPH_DARK))])


def main():
    global DPI
    for DPI in SETS:
        draw_set()


def draw_set():
    logo()
    capture_buttons()
    delete_buttons()
    resolution_list()
    s = thumbnail_strip()
    s.save("326_strip.bmp")
    selection_frame(s)
    p = panel()
    flip_buttons(p)
    lowlight_buttons(p)
    setting_buttons(p)


if __name__ == "__main__":
    main()
