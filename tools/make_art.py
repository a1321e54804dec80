#!/usr/bin/env python3
"""Draws Wakora's pictures from the shapes defined below and writes them as BMP and ICO files.

    python3 tools/make_art.py [OUTDIR_ROOT]   writes app/res/..., controls/res/... and
                                              framework/win/res/... under OUTDIR_ROOT
                                              (default: the repository root)
    python3 tools/make_art.py --check         exits 1 when a committed picture differs from
                                              what this script draws

The script is the source of the artwork: every letter, the alarm-clock mark and the background
pattern are built here from strokes, discs and polygons, rendered with supersampling and stored
with a palette. Python's standard library only; the output is the same bytes on every run.

Coordinates are pixels, x to the right and y downwards, (0, 0) the top-left corner of the
top-left pixel; a pixel's centre is at (x + 0.5, y + 0.5).
"""

import math
import struct
import sys

from generated import write_or_check

# ---------------------------------------------------------------------------------------------
# Colours of the artwork: one family shared by the logo, the glyph and the icons.

KEY = (255, 0, 255)  # see-through colour of the logo and the glyph; used nowhere else
NAVY = (26, 40, 88)  # outlines, clock hands
BLUE_TOP = (92, 170, 245)  # letter fill, top of the gradient
BLUE_BOTTOM = (28, 92, 196)  # letter fill, bottom of the gradient
SHADOW = (146, 156, 180)  # the letters' offset shadow, a darker tone of the background
ORANGE = (246, 140, 36)  # clock rim and bells
ORANGE_DARK = (214, 92, 20)  # lower part of the rim
YELLOW = (255, 206, 84)  # highlight on the bells
CREAM = (255, 250, 236)  # clock face
RED = (222, 48, 40)  # second hand
# Light blue-grey of the dialog background; anti-aliased edges of the logo blend towards it.
TILE_BASE = (216, 221, 230)

# ---------------------------------------------------------------------------------------------
# File formats.


def bmp_bytes(width, height, bits, palette, rows):
    """A BMP file (BITMAPFILEHEADER + BITMAPINFOHEADER + palette + bottom-up rows).

    palette is a list of (r, g, b), padded with black to 2**bits entries;
    rows is a list of `height` rows (top first) of `width` palette indices."""
    colours = 1 << bits
    assert len(palette) <= colours
    pal = list(palette) + [(0, 0, 0)] * (colours - len(palette))
    pixels = pack_rows(width, bits, rows)
    header_size = 14 + 40 + 4 * colours
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 3780, 3780,
                       colours, 0)
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0, header_size)
    return file_header + info + palette_bytes(pal) + pixels


def palette_bytes(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)


def pack_rows(width, bits, rows):
    """Packs index rows bottom-up, each row padded to a multiple of four bytes."""
    out = bytearray()
    for row in reversed(rows):
        assert len(row) == width
        line = bytearray()
        if bits == 8:
            line.extend(row)
        elif bits == 4:
            for x in range(0, width, 2):
                high = row[x]
                low = row[x + 1] if x + 1 < width else 0
                line.append((high << 4) | low)
        elif bits == 1:
            for x in range(0, width, 8):
                byte = 0
                for bit in range(8):
                    if x + bit < width and row[x + bit]:
                        byte |= 0x80 >> bit
                line.append(byte)
        elif bits == 32:
            for (r, g, b, a) in row:
                line.extend((b, g, r, a))
        else:
            raise ValueError(bits)
        while len(line) % 4:
            line.append(0)
        out.extend(line)
    return bytes(out)


def ico_bytes(images):
    """An ICO file. Each image is a dict with size, bits, palette (for 4 and 8 bits), rows
    (palette indices, or (r, g, b, a) for 32 bits) and mask (rows of 1 = see-through)."""
    entries = bytearray()
    blobs = []
    offset = 6 + 16 * len(images)
    for image in images:
        size, bits = image["size"], image["bits"]
        palette = image.get("palette", [])
        colours = (1 << bits) if bits <= 8 else 0
        if colours:
            palette = list(palette) + [(0, 0, 0)] * (colours - len(palette))
        xor = pack_rows(size, bits, image["rows"])
        andmask = pack_rows(size, 1, image["mask"])
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                           len(xor) + len(andmask), 0, 0, colours, 0)
        blob = info + (palette_bytes(palette) if colours else b"") + xor + andmask
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colours % 256, 0, 1, bits,
                               len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + bytes(entries) + b"".join(blobs)


# ---------------------------------------------------------------------------------------------
# Shapes. Each answers whether a point lies inside it and gives a bounding box for a quick
# rejection.


class Capsule:
    """All points within `radius` of the segment p-q: a stroke with round ends."""

    def __init__(self, p, q, radius):
        self.p, self.q, self.r = p, q, radius
        self.r2 = radius * radius
        self.dx, self.dy = q[0] - p[0], q[1] - p[1]
        self.len2 = self.dx * self.dx + self.dy * self.dy
        self.box = (min(p[0], q[0]) - radius, min(p[1], q[1]) - radius,
                    max(p[0], q[0]) + radius, max(p[1], q[1]) + radius)

    def contains(self, x, y):
        px, py = x - self.p[0], y - self.p[1]
        t = 0.0
        if self.len2 > 0:
            t = max(0.0, min(1.0, (px * self.dx + py * self.dy) / self.len2))
        ex, ey = px - t * self.dx, py - t * self.dy
        return ex * ex + ey * ey <= self.r2


class Disc:
    def __init__(self, centre, radius, inner=0.0):
        """A disc, or a ring when `inner` is given."""
        self.cx, self.cy = centre
        self.r2, self.i2 = radius * radius, inner * inner
        self.box = (self.cx - radius, self.cy - radius, self.cx + radius, self.cy + radius)

    def contains(self, x, y):
        d = (x - self.cx) ** 2 + (y - self.cy) ** 2
        return self.i2 <= d <= self.r2


class Polygon:
    def __init__(self, points):
        self.points = points
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.box = (min(xs), min(ys), max(xs), max(ys))

    def contains(self, x, y):
        inside = False
        pts = self.points
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return inside


class Clip:
    """The part of `shape` that also lies in `within`."""

    def __init__(self, shape, within):
        self.shape, self.within = shape, within
        a, b = shape.box, within.box
        self.box = (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3]))

    def contains(self, x, y):
        return self.shape.contains(x, y) and self.within.contains(x, y)


def stroke(points, radius):
    """A polyline drawn with a round pen: one capsule per segment."""
    if len(points) == 1:
        return [Disc(points[0], radius)]
    return [Capsule(points[i], points[i + 1], radius) for i in range(len(points) - 1)]


def arc(centre, radius, start_deg, end_deg, steps=24):
    """Points along a circular arc; angles in degrees, 0 = right, 90 = down."""
    cx, cy = centre
    return [(cx + radius * math.cos(math.radians(start_deg + (end_deg - start_deg) * i / steps)),
             cy + radius * math.sin(math.radians(start_deg + (end_deg - start_deg) * i / steps)))
            for i in range(steps + 1)]


def gradient(top_colour, bottom_colour, y0, y1):
    """A paint that runs from top_colour at y0 to bottom_colour at y1."""

    def paint(_x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top_colour, bottom_colour))

    return paint


class Scene:
    """Shapes in painting order; a later shape covers an earlier one. Paint is a colour or a
    function (x, y) -> colour."""

    def __init__(self):
        self.layers = []

    def add(self, shapes, paint):
        if not isinstance(shapes, (list, tuple)):
            shapes = [shapes]
        for shape in shapes:
            self.layers.append((shape, paint))

    def render(self, width, height, samples, reduce=None):
        """Samples each pixel on a samples x samples grid and hands the list of sample colours
        (None where no shape covers the sample) to `reduce`; returns rows of its results.
        The default reduction gives (coverage 0..1, average colour of the covered samples)."""
        reduce = reduce or average_samples
        step = 1.0 / samples
        offsets = [(i + 0.5) * step for i in range(samples)]
        rows = []
        for py in range(height):
            row_layers = [l for l in self.layers if l[0].box[1] <= py + 1 and l[0].box[3] >= py]
            row = []
            for px in range(width):
                here = [l for l in row_layers if l[0].box[0] <= px + 1 and l[0].box[2] >= px]
                found = []
                for oy in offsets:
                    y = py + oy
                    for ox in offsets:
                        x = px + ox
                        colour = None
                        for shape, paint in reversed(here):
                            if shape.contains(x, y):
                                colour = paint(x, y) if callable(paint) else paint
                                break
                        found.append(colour)
                row.append(reduce(found))
            rows.append(row)
        return rows


def average_samples(found):
    covered = [c for c in found if c is not None]
    if not covered:
        return (0.0, None)
    n = len(covered)
    return (n / len(found), tuple(sum(c[ch] for c in covered) / n for ch in range(3)))


def majority_samples(palette):
    """A reduction for small pictures: each sample takes its nearest palette entry and the
    pixel the entry that most samples took (None, see-through, when most samples are empty).
    Sharper than averaging, where a 16-colour palette would turn every mixed edge grey."""

    cache = {}

    def reduce(found):
        votes = {}
        for colour in found:
            if colour is not None and colour not in cache:
                cache[colour] = nearest(palette, colour, first=1)
            index = None if colour is None else cache[colour]
            votes[index] = votes.get(index, 0) + 1
        # Ties go to the lower index; see-through counts as index -1.
        return max(votes.items(), key=lambda item: (item[1], -(item[0] if item[0] is not None else -1)))[0]

    return reduce


def to_byte(value):
    return max(0, min(255, int(math.floor(value + 0.5))))


def blend(colour, background, coverage):
    return tuple(to_byte(c * coverage + b * (1.0 - coverage)) for c, b in zip(colour, background))


# ---------------------------------------------------------------------------------------------
# Palettes.


def median_cut(colour_counts, size):
    """A palette of at most `size` colours for a {(r, g, b): count} histogram. Deterministic:
    boxes are split at the weighted median of their widest channel, widest box first."""
    boxes = [sorted(colour_counts.items())]

    def extent(box):
        best = (-1, 0)
        for channel in range(3):
            values = [c[channel] for c, _ in box]
            best = max(best, (max(values) - min(values), -channel))
        return best[0], -best[1]

    while len(boxes) < size:
        candidates = [(extent(b)[0], -i) for i, b in enumerate(boxes) if len(b) > 1]
        if not candidates:
            break
        _, neg_index = max(candidates)
        box = boxes.pop(-neg_index)
        _, channel = extent(box)
        box.sort(key=lambda item: (item[0][channel], item[0]))
        total = sum(n for _, n in box)
        running = 0
        cut = 1
        for i, (_, n) in enumerate(box[:-1]):
            running += n
            cut = i + 1
            if running * 2 >= total:
                break
        boxes.append(box[:cut])
        boxes.append(box[cut:])
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple((sum(c[ch] * n for c, n in box) + total // 2) // total
                             for ch in range(3)))
    return sorted(set(palette))


def nearest(palette, colour, first=0):
    best, best_index = None, first
    for index in range(first, len(palette)):
        p = palette[index]
        d = (p[0] - colour[0]) ** 2 + (p[1] - colour[1]) ** 2 + (p[2] - colour[2]) ** 2
        if best is None or d < best:
            best, best_index = d, index
    return best_index


def index_image(pixels, palette, first=0):
    cache = {}
    rows = []
    for row in pixels:
        out = []
        for colour in row:
            if colour not in cache:
                cache[colour] = nearest(palette, colour, first)
            out.append(cache[colour])
        rows.append(out)
    return rows


# The 16 colours of the small pictures (glyph, 16- and 32-pixel icons): the key first.
SMALL_PALETTE = [
    KEY, (0, 0, 0), NAVY, (64, 108, 200), BLUE_TOP, (128, 128, 128), (192, 192, 192),
    (255, 255, 255), ORANGE, ORANGE_DARK, YELLOW, CREAM, RED, (96, 96, 96), (160, 160, 160),
    (224, 224, 224)
]

# The standard 16-colour palette of Windows; the spin arrows use its black and silver.
WINDOWS_16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)
]

# ---------------------------------------------------------------------------------------------
# The alarm clock: the program's mark. Drawn into a scene at centre (cx, cy) with body radius r.


def alarm_clock(scene, cx, cy, r, outline, detail=True, tilt=0.0):
    """Adds an alarm clock: two bells, a round body with rim and face, feet, hands.
    `outline` is the width of the navy outline; `tilt` rotates the mark (degrees)."""
    rot = math.radians(tilt)

    def at(angle_deg, dist):
        a = math.radians(angle_deg) + rot
        return (cx + dist * math.cos(a), cy + dist * math.sin(a))

    bell_r = r * 0.42
    bells = [at(-90 - 44, r * 0.98), at(-90 + 44, r * 0.98)]
    feet = [(at(90 + 42, r * 0.82), at(90 + 50, r * 1.22)),
            (at(90 - 42, r * 0.82), at(90 - 50, r * 1.22))]
    foot_w = max(0.9, r * 0.13)
    # Outlines first, so that touching parts merge into one silhouette.
    for a, b in feet:
        scene.add(Capsule(a, b, foot_w + outline), NAVY)
    for c in bells:
        scene.add(Disc(c, bell_r + outline), NAVY)
    handle = at(-90, r * 1.08)
    scene.add(Capsule(at(-90, r * 0.7), handle, max(0.8, r * 0.1) + outline), NAVY)
    # Feet and bells.
    for a, b in feet:
        scene.add(Capsule(a, b, foot_w), NAVY)
    for c in bells:
        scene.add(Disc(c, bell_r), ORANGE)
        if detail:
            hx, hy = c[0] - bell_r * 0.28, c[1] - bell_r * 0.3
            scene.add(Disc((hx, hy), bell_r * 0.38), YELLOW)
    scene.add(Disc((cx, cy), r + outline), NAVY)
    # Body: orange rim, darker below, then the face.
    scene.add(Disc((cx, cy), r), gradient(ORANGE, ORANGE_DARK, cy - r * 0.2, cy + r))
    face_r = r * 0.70
    if detail:
        scene.add(Disc((cx, cy), face_r + max(0.6, outline * 0.5)), NAVY)
    scene.add(Disc((cx, cy), face_r), CREAM)
    if detail:
        for hour in range(0, 12, 3):
            a = hour * 30 - 90
            scene.add(Capsule(at(a, face_r * 0.72), at(a, face_r * 0.86), max(0.5, r * 0.05)),
                      NAVY)
    hand_w = max(0.7, r * 0.075)
    scene.add(Capsule((cx, cy), at(-90, face_r * 0.78), hand_w), NAVY)  # minute hand at twelve
    scene.add(Capsule((cx, cy), at(-90 + 60, face_r * 0.55), hand_w * 1.15), NAVY)  # hour: two
    if detail:
        scene.add(Capsule((cx, cy), at(-90 + 150, face_r * 0.7), hand_w * 0.5), RED)
    scene.add(Disc((cx, cy), hand_w * 1.6), NAVY)


# ---------------------------------------------------------------------------------------------
# 1. The logo: "Wakora" with the alarm clock as its "o".

LOGO_W, LOGO_H = 206, 53
STROKE = 3.9  # half the width of a letter stroke
OUTLINE = 1.9  # width of the navy outline around the letters
BASELINE = 44.0
X_HEIGHT = 23.0
CAP = 35.0

# Letters as polylines in a frame whose origin is the left end of the baseline, y upwards
# negative; each entry is (advance width, list of polylines).
LETTERS = {
    "W": (33.0, [[(0.0, -CAP), (7.5, 0.0), (16.5, -CAP * 0.62), (25.5, 0.0), (33.0, -CAP)]]),
    "a": (22.0, [arc((9.0, -X_HEIGHT / 2), X_HEIGHT / 2 - 0.5, 0, 360, 32),
                 [(18.5, -X_HEIGHT + 1.5), (18.5, -1.0), (21.0, 0.0)]]),
    "k": (19.0, [[(0.0, -CAP), (0.0, 0.0)], [(15.0, -X_HEIGHT), (1.0, -9.5)],
                 [(5.5, -13.0), (16.5, 0.0)]]),
    "r": (17.0, [[(0.0, -X_HEIGHT), (0.0, 0.0)],
                 arc((10.0, -X_HEIGHT / 2 - 2.5), 10.0, 180, 280, 10) + [(15.5, -X_HEIGHT + 0.5)]]),
}
CLOCK_ADVANCE = 31.0
CLOCK_R = 14.0  # body radius of the clock that stands for the "o"
LETTER_GAP = 8.0
# Per letter: a small tilt (degrees) and lift (pixels) so that the word bounces a little.
BOUNCE = {0: (-4.0, 0.0), 1: (3.0, 1.0), 2: (-2.0, -0.5), 3: (4.0, 0.5), 4: (-3.0, 0.0),
          5: (3.0, 1.0)}


def transform(points, origin, tilt_deg, pivot):
    """Rotates letter-frame points about `pivot` and moves them to `origin`."""
    a = math.radians(tilt_deg)
    ca, sa = math.cos(a), math.sin(a)
    out = []
    for x, y in points:
        dx, dy = x - pivot[0], y - pivot[1]
        out.append((origin[0] + pivot[0] + dx * ca - dy * sa,
                    origin[1] + pivot[1] + dx * sa + dy * ca))
    return out


def logo_scene():
    word = "Wakora"
    widths = [CLOCK_ADVANCE if ch == "o" else LETTERS[ch][0] for ch in word]
    total = sum(widths) + LETTER_GAP * (len(word) - 1)
    x = (LOGO_W - total) / 2.0 - 1.0
    strokes = []  # (polyline in image coordinates)
    clock = None
    for i, ch in enumerate(word):
        tilt, lift = BOUNCE[i]
        origin = (x, BASELINE - lift)
        if ch == "o":
            clock = (x + widths[i] / 2.0, BASELINE - lift - X_HEIGHT / 2.0 - 1.0, tilt)
        else:
            pivot = (widths[i] / 2.0, -X_HEIGHT / 2.0)
            for line in LETTERS[ch][1]:
                strokes.append(transform(line, origin, tilt, pivot))
        x += widths[i] + LETTER_GAP

    scene = Scene()
    shadow_dx, shadow_dy = 1.6, 1.8
    for line in strokes:
        moved = [(px + shadow_dx, py + shadow_dy) for px, py in line]
        scene.add(stroke(moved, STROKE + OUTLINE), SHADOW)
    for line in strokes:
        scene.add(stroke(line, STROKE + OUTLINE), NAVY)
    fill = gradient(BLUE_TOP, BLUE_BOTTOM, BASELINE - CAP * 0.75, BASELINE)
    for line in strokes:
        scene.add(stroke(line, STROKE), fill)
    # A light gloss along the upper part of each stroke.
    gloss = (150, 204, 252)
    for line in strokes:
        moved = [(px - 0.9, py - 1.2) for px, py in line]
        for capsule in stroke(moved, STROKE * 0.32):
            scene.add(Clip(capsule, Polygon([(0, 0), (LOGO_W, 0), (LOGO_W, BASELINE - 14),
                                             (0, BASELINE - 14)])), gloss)
    cx, cy, tilt = clock
    scene.add(Disc((cx + shadow_dx, cy + shadow_dy), CLOCK_R + OUTLINE), SHADOW)
    alarm_clock(scene, cx, cy, CLOCK_R, OUTLINE, detail=True, tilt=tilt)
    return scene


def logo_pixels():
    cells = logo_scene().render(LOGO_W, LOGO_H, 5)
    pixels = []
    for row in cells:
        out = []
        for coverage, colour in row:
            # A sliver of coverage would become a speck of background colour: leave it out.
            if coverage < 0.12:
                out.append(KEY)
            else:
                out.append(blend(colour, TILE_BASE, coverage))
        pixels.append(out)
    return pixels


def make_logo():
    pixels = logo_pixels()
    assert pixels[LOGO_H - 1][0] == KEY
    counts = {}
    for row in pixels:
        for colour in row:
            if colour != KEY:
                counts[colour] = counts.get(colour, 0) + 1
    palette = [KEY] + median_cut(counts, 255)
    rows = [[0 if c == KEY else nearest_cached(palette, c) for c in row] for row in pixels]
    return bmp_bytes(LOGO_W, LOGO_H, 8, palette, rows)


_nearest_cache = {}


def nearest_cached(palette, colour):
    key = (id(palette), colour)
    if key not in _nearest_cache:
        _nearest_cache[key] = nearest(palette, colour, first=1)
    return _nearest_cache[key]


# ---------------------------------------------------------------------------------------------
# 2. The background tile: 38 x 38, periodic by construction (every term has a period that
# divides 38), light and quiet so that black 8-point text stays readable on it.

TILE = 38


def tile_colour(x, y):
    """Colour at pixel centre (x, y): a soft diamond lattice with a faint diagonal weave."""
    u = 2.0 * math.pi * (x + 0.5) / TILE
    v = 2.0 * math.pi * (y + 0.5) / TILE
    diamonds = math.cos(u + v) + math.cos(u - v)  # -2..2, one diamond per tile
    weave = math.cos(2.0 * (u + v)) * 0.5  # fine diagonal ridges, two per period
    light = 2.7 * diamonds + 1.4 * weave
    # A slightly bluer tone where the diamonds are dark, a warmer grey where they are light.
    r = TILE_BASE[0] + light * 1.15
    g = TILE_BASE[1] + light * 1.0
    b = TILE_BASE[2] + light * 0.7
    return (to_byte(r), to_byte(g), to_byte(b))


def make_tile():
    pixels = [[tile_colour(x, y) for x in range(TILE)] for y in range(TILE)]
    colours = sorted({c for row in pixels for c in row})
    if len(colours) > 256:
        counts = {}
        for row in pixels:
            for c in row:
                counts[c] = counts.get(c, 0) + 1
        colours = median_cut(counts, 256)
    rows = index_image(pixels, colours)
    return bmp_bytes(TILE, TILE, 8, colours, rows)


# ---------------------------------------------------------------------------------------------
# 3. The start button's glyph: 2 images of 16 x 16, normal and disabled.


def clock_scene(size):
    """The alarm clock sized for a square picture of `size` pixels."""
    scene = Scene()
    r = size * 0.32
    outline = max(1.0, size / 24.0)
    alarm_clock(scene, size / 2.0, size / 2.0 + size * 0.07, r, outline, detail=size >= 32)
    return scene


def clock_indexed(size, palette):
    """Rows of palette indices, None where the picture is see-through."""
    return clock_scene(size).render(size, size, 6, majority_samples(palette))


# At 16 pixels a drawn-by-hand grid beats any rendering: the same clock, pixel by pixel.
CLOCK_16 = [
    ".NNN.......NNN..",
    "NYOON.NNN.NYOON.",
    "NOONNNNNNNNNOON.",
    ".NNNOOOOOOONNN..",
    "..NOCCCNCCCON...",
    "..NOCCCNCCCON...",
    ".NOCCCCNCCCCON..",
    ".NOCCCCNCCCCON..",
    ".NOCCCCNNNCCON..",
    ".NOCCCCCCCCCON..",
    ".NDCCCCCCCCCDN..",
    "..NDCCCCCCCDN...",
    "..NDDCCCCCDDN...",
    "...NDDDDDDDN....",
    "..NN.NNNNN.NN...",
    ".NN.........NN..",
]
GRID_COLOURS = {"N": NAVY, "O": ORANGE, "D": ORANGE_DARK, "Y": YELLOW, "C": CREAM}


def clock_16(palette):
    """The hand-drawn 16-pixel clock as palette indices, None where see-through."""
    return [[None if ch == "." else palette.index(GRID_COLOURS[ch]) for ch in line]
            for line in CLOCK_16]


def glyph_images():
    normal = [[0 if i is None else i for i in row] for row in clock_16(SMALL_PALETTE)]
    # Disabled, in the button-face style: the dark lines of the picture in grey over a white
    # copy one pixel down and right; everything else becomes see-through.
    white = SMALL_PALETTE.index((255, 255, 255))
    grey = SMALL_PALETTE.index((128, 128, 128))
    ink = [[i != 0 and luminance(SMALL_PALETTE[i]) < INK_LUMINANCE for i in row] for row in normal]
    disabled = [[0] * 16 for _ in range(16)]
    for y in range(15):
        for x in range(15):
            if ink[y][x]:
                disabled[y + 1][x + 1] = white
    for y in range(16):
        for x in range(16):
            if ink[y][x]:
                disabled[y][x] = grey
    return normal, disabled


INK_LUMINANCE = 100


def luminance(colour):
    r, g, b = colour
    return 0.299 * r + 0.587 * g + 0.114 * b


def make_glyph():
    normal, disabled = glyph_images()
    for image in (normal, disabled):
        assert image[15][0] == 0, "the bottom-left pixel must stay the see-through colour"
    rows = [normal[y] + disabled[y] for y in range(16)]
    return bmp_bytes(32, 16, 4, SMALL_PALETTE, rows)


# ---------------------------------------------------------------------------------------------
# 4 and 5. Icons: the same alarm clock.


def icon_indexed(size, bits, palette):
    """A palette icon. See-through pixels carry black in the colour image and 1 in the mask,
    so that the screen shows through unchanged."""
    indexed = clock_16(palette) if size == 16 else clock_indexed(size, palette)
    black = palette.index((0, 0, 0))
    rows = [[black if i is None else i for i in row] for row in indexed]
    mask = [[1 if i is None else 0 for i in row] for row in indexed]
    return {"size": size, "bits": bits, "palette": palette, "rows": rows, "mask": mask}


def icon_rgba(size):
    """A 32-bit icon with real anti-aliasing in its alpha channel."""
    cells = clock_scene(size).render(size, size, 6)
    rows, mask = [], []
    for row in cells:
        out, bits_row = [], []
        for coverage, colour in row:
            if colour is None:
                out.append((0, 0, 0, 0))
                bits_row.append(1)
            else:
                r, g, b = (to_byte(c) for c in colour)
                out.append((r, g, b, to_byte(coverage * 255)))
                bits_row.append(0)
        rows.append(out)
        mask.append(bits_row)
    return {"size": size, "bits": 32, "rows": rows, "mask": mask}


def make_tray_icon():
    return ico_bytes([icon_indexed(32, 4, SMALL_PALETTE)])


def make_app_icon():
    return ico_bytes([
        icon_indexed(16, 4, SMALL_PALETTE),
        icon_indexed(32, 4, SMALL_PALETTE),
        icon_rgba(48),
    ])


# ---------------------------------------------------------------------------------------------
# 6. The spin edit's arrows: 9 x 6, a black triangle 7, 5, 3 and 1 pixels wide, margin 1.


def spin_arrow(up):
    black, face = WINDOWS_16.index((0, 0, 0)), WINDOWS_16.index((192, 192, 192))
    rows = [[face] * 9 for _ in range(6)]
    widths = [1, 3, 5, 7] if up else [7, 5, 3, 1]
    for i, width in enumerate(widths):
        start = (9 - width) // 2
        for x in range(start, start + width):
            rows[1 + i][x] = black
    return bmp_bytes(9, 6, 4, WINDOWS_16, rows)


# ---------------------------------------------------------------------------------------------
# 7. The outline's pictures, 16 x 16: an open folder, a closed one and a sheet for a leaf. The
# see-through magenta fills the corners, the bottom-left pixel among them.

OUTLINE_PICTURES = {
    "open": [
        "................",
        "................",
        "..KKKK..........",
        ".KYWYYK.........",
        ".KYYYYYKKKKKK...",
        ".KYYYYYYYYYYK...",
        ".KYYYKKKKKKKKKKK",
        ".KYYKWYYYYYYYYK.",
        ".KYYKYYYYYYYYOK.",
        ".KYKYYYYYYYYOK..",
        ".KYKYYYYYYYYOK..",
        ".KKYYYYYYYYOK...",
        ".KKOOOOOOOOOK...",
        ".KKKKKKKKKKKK...",
        "................",
        "................",
    ],
    "closed": [
        "................",
        "................",
        "..KKKK..........",
        ".KYWYYK.........",
        ".KYYYYYKKKKKKK..",
        ".KWWWWWWWWWWWWK.",
        ".KWYYYYYYYYYYOK.",
        ".KWYYYYYYYYYYOK.",
        ".KWYYYYYYYYYYOK.",
        ".KWYYYYYYYYYYOK.",
        ".KWYYYYYYYYYYOK.",
        ".KWYYYYYYYYYYOK.",
        ".KOOOOOOOOOOOOK.",
        ".KKKKKKKKKKKKKK.",
        "................",
        "................",
    ],
    "leaf": [
        "................",
        "...KKKKKKK......",
        "...KWWWWWKK.....",
        "...KWWWWWKWK....",
        "...KWWWWWKKKK...",
        "...KWWWWWWWWK...",
        "...KWGGGGGWWK...",
        "...KWWWWWWWWK...",
        "...KWGGGGGGWK...",
        "...KWWWWWWWWK...",
        "...KWGGGGGGWK...",
        "...KWWWWWWWWK...",
        "...KWGGGGWWWK...",
        "...KWWWWWWWWK...",
        "...KKKKKKKKKK...",
        "................",
    ],
}
OUTLINE_COLOURS = {".": (255, 0, 255), "K": (0, 0, 0), "Y": (255, 255, 0), "O": (128, 128, 0),
                   "W": (255, 255, 255), "G": (128, 128, 128)}


def outline_picture(name):
    rows = [[WINDOWS_16.index(OUTLINE_COLOURS[ch]) for ch in line]
            for line in OUTLINE_PICTURES[name]]
    assert rows[15][0] == WINDOWS_16.index(OUTLINE_COLOURS["."])
    return bmp_bytes(16, 16, 4, WINDOWS_16, rows)


# ---------------------------------------------------------------------------------------------

OUTPUTS = [
    ("app/res/logo.bmp", make_logo),
    ("app/res/tile.bmp", make_tile),
    ("app/res/glyph.bmp", make_glyph),
    ("app/res/tray.ico", make_tray_icon),
    ("app/res/Wakora.ico", make_app_icon),
    ("controls/res/spinup.bmp", lambda: spin_arrow(True)),
    ("controls/res/spindown.bmp", lambda: spin_arrow(False)),
    ("framework/win/res/outlineopen.bmp", lambda: outline_picture("open")),
    ("framework/win/res/outlineclosed.bmp", lambda: outline_picture("closed")),
    ("framework/win/res/outlineleaf.bmp", lambda: outline_picture("leaf")),
]


def main(argv):
    return write_or_check(argv, __doc__, OUTPUTS, "make_art.py")


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
