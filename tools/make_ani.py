#!/usr/bin/env python3
"""Writes the window's animated icon and the ANI test files. Python 3 standard library only.

The artwork is drawn here, pixel by pixel, so the output is the same on every run: a red twin-bell
alarm clock that rings (it rocks from side to side, the hammer swings between the bells) while its
long hand goes once round the face. 15 frames of 32 x 32 pixels in the 16 standard colours.

    make_ani.py all                  the window's animation, the test files and the fuzz seeds
    make_ani.py check                the committed files are what `all` writes (exit 1 if not)
    make_ani.py sheet FILE.ppm       contact sheet of the 15 frames, 8 times enlarged
    make_ani.py one FILE.ani [...]   one file from parameters (see --help)

File layout (RIFF form "ACON"): an optional "LIST"/"INFO" with a title and an author, "anih"
(nine 32-bit integers), optional "rate" and "seq ", then "LIST"/"fram" holding one "icon"
chunk per frame. Each icon chunk is an icon file with one image.
"""

import argparse
import math
import os
import struct
import sys

SIZE = 32
FRAMES = 15

# The 16 standard colours, by palette index, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, SILVER, GREY, RED, WHITE = 0, 1, 7, 8, 9, 15
CLEAR = None  # transparent: the mask bit is set

# --- Artwork ------------------------------------------------------------------------------------

FACE_X, FACE_Y = 16.0, 18.5
BODY_R = 10.6
FACE_R = 8.2
BELL_R = 4.6
BELLS = ((8.0, 8.2), (24.0, 8.2))
PIVOT = (16.0, 30.0)  # the clock rocks about the middle of its feet


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def hand_end(angle_deg, length):
    a = math.radians(angle_deg)
    return FACE_X + length * math.sin(a), FACE_Y - length * math.cos(a)


def clock_colour(x, y, hand_angle, hammer_dx):
    """Colour at (x, y) in the clock's own upright coordinates, or CLEAR."""
    # Hands and centre over the face.
    r = math.hypot(x - FACE_X, y - FACE_Y)
    if r <= 1.3:
        return RED
    if r < FACE_R:
        hx, hy = hand_end(hand_angle, 6.6)
        if segment_distance(x, y, FACE_X, FACE_Y, hx, hy) <= 0.75:
            return BLACK
        sx, sy = hand_end(300.0, 4.2)
        if segment_distance(x, y, FACE_X, FACE_Y, sx, sy) <= 0.95:
            return BLACK
        for mark in range(0, 360, 90):
            mx, my = hand_end(mark, 6.6)
            if math.hypot(x - mx, y - my) <= 0.8:
                return BLACK
        return WHITE
    if r < BODY_R - 0.9:
        # Light from the top left: the lower right of the rim is in shadow.
        return MAROON if (x - FACE_X) + (y - FACE_Y) > 7.0 else RED
    if r < BODY_R:
        return BLACK
    # Feet.
    for fx in (-1, 1):
        if segment_distance(x, y, FACE_X + fx * 6.0, 26.0, FACE_X + fx * 8.8, 30.6) <= 0.9:
            return BLACK
    # Hammer: a stem from the top of the body and a knob that swings between the bells.
    kx, ky = 16.0 + hammer_dx, 3.2
    if math.hypot(x - kx, y - ky) <= 1.6:
        return GREY
    if segment_distance(x, y, 16.0, FACE_Y - BODY_R + 0.5, kx, ky) <= 0.6:
        return BLACK
    # Bells: domes open towards the body.
    for bx, by in BELLS:
        d = math.hypot(x - bx, y - by)
        towards_body = (x - bx) * (FACE_X - bx) + (y - by) * (FACE_Y - by)
        if d <= BELL_R and towards_body < 2.2 * BELL_R:
            if d > BELL_R - 0.9:
                return BLACK
            if math.hypot(x - (bx - 1.4), y - (by - 1.4)) <= 1.0:
                return WHITE
            return GREY if (x - bx) + (y - by) > 1.2 else SILVER
    return CLEAR


def ring_marks(frame):
    """Short strokes beside the bells on the frames where the hammer strikes."""
    phase = frame % 5
    marks = []
    if phase in (1, 2):
        marks = [((0.3, 2.6), (2.4, 4.9)), ((0.0, 9.0), (2.2, 9.0)), ((0.3, 15.4), (2.4, 13.1))]
    elif phase in (3, 4):
        marks = [((31.7, 2.6), (29.6, 4.9)), ((32.0, 9.0), (29.8, 9.0)),
                 ((31.7, 15.4), (29.6, 13.1))]
    return marks


def frame_pixels(frame):
    """32 rows of 32 palette indices (or CLEAR), top row first."""
    t = frame / FRAMES
    tilt = math.radians(7.0 * math.sin(2 * math.pi * 3 * t))
    hammer_dx = -3.2 * math.sin(2 * math.pi * 3 * t)
    hand_angle = 360.0 * t
    cos_t, sin_t = math.cos(-tilt), math.sin(-tilt)
    marks = ring_marks(frame)
    samples = 4
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            votes = {}
            for sy in range(samples):
                for sx in range(samples):
                    x = px + (sx + 0.5) / samples
                    y = py + (sy + 0.5) / samples
                    colour = CLEAR
                    for (ax, ay), (bx, by) in marks:
                        if segment_distance(x, y, ax, ay, bx, by) <= 0.6:
                            colour = BLACK
                    if colour is CLEAR:
                        # Into the upright clock: undo the rocking about the pivot.
                        dx, dy = x - PIVOT[0], y - PIVOT[1]
                        ux = PIVOT[0] + dx * cos_t - dy * sin_t
                        uy = PIVOT[1] + dx * sin_t + dy * cos_t
                        colour = clock_colour(ux, uy, hand_angle, hammer_dx)
                    votes[colour] = votes.get(colour, 0) + 1
            # The most covered colour wins; on a tie the darker outline colours come first.
            best = max(votes.items(),
                       key=lambda kv: (kv[1], kv[0] is not CLEAR, kv[0] == BLACK))
            row.append(best[0])
        rows.append(row)
    return rows


def mono_pixels(frame):
    """The same frame in black and white (palette 0 black, 1 white)."""
    return [[CLEAR if c is CLEAR else (1 if c in (WHITE, SILVER) else 0)
             for c in row] for row in frame_pixels(frame)]


# --- Icon images --------------------------------------------------------------------------------

def icon_file(pixels, bits, image_offset=22):
    """An icon file with one 32 x 32 image of 4 or 1 bits per pixel, or of 32 (with alpha)."""
    colours = 1 << bits
    palette = {4: PALETTE, 1: [(0, 0, 0), (255, 255, 255)], 32: []}[bits]
    xor_stride = SIZE * bits // 8
    and_stride = 4
    xor_rows, and_rows = [], []
    for row in reversed(pixels):  # bitmaps are stored bottom row first
        xor_row, and_row = bytearray(xor_stride), bytearray(and_stride)
        for x, c in enumerate(row):
            if c is CLEAR:
                and_row[x // 8] |= 0x80 >> (x % 8)
                c = 0
            if bits == 32:
                r, g, b = PALETTE[c]
                xor_row[4 * x:4 * x + 4] = bytes((b, g, r, 0 if row[x] is CLEAR else 255))
            elif bits == 4:
                xor_row[x // 2] |= c << (4 if x % 2 == 0 else 0)
            elif c:
                xor_row[x // 8] |= 0x80 >> (x % 8)
        xor_rows.append(bytes(xor_row))
        and_rows.append(bytes(and_row))
    image = struct.pack('<IiiHHIIiiII', 40, SIZE, 2 * SIZE, 1, bits, 0,
                        (xor_stride + and_stride) * SIZE, 0, 0, 0, 0)
    image += b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    image += b''.join(xor_rows) + b''.join(and_rows)
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, colours if colours < 256 else 0, 0, 1, bits,
                        len(image), image_offset)
    gap = bytes(range(image_offset - 22)) if image_offset > 22 else b''
    return directory + entry + gap + image


# --- ANI files ----------------------------------------------------------------------------------

def chunk(identifier, body):
    data = identifier + struct.pack('<I', len(body)) + body
    return data + (b'\0' if len(body) % 2 else b'')


def ani_file(frames, header_frames=None, default_rate=10, rates=None, sequence=None,
             info=None, frame_list=True, tail=b''):
    """An ANI file from a list of icon files."""
    count = len(frames) if header_frames is None else header_frames
    steps = len(sequence) if sequence else count
    flags = 1 | (2 if sequence else 0)  # icon frames; a sequence is present
    body = b'ACON'
    if info:
        title, author = info
        body += chunk(b'LIST', b'INFO' + chunk(b'INAM', title + b'\0') +
                      chunk(b'IART', author + b'\0'))
    body += chunk(b'anih', struct.pack('<9i', 36, count, steps, 0, 0, 0, 0, default_rate, flags))
    if rates is not None:
        body += chunk(b'rate', struct.pack('<%di' % len(rates), *rates))
    if sequence is not None:
        body += chunk(b'seq ', struct.pack('<%di' % len(sequence), *sequence))
    icons = b''.join(chunk(b'icon', f) for f in frames)
    body += chunk(b'LIST', b'fram' + icons) if frame_list else icons
    body += tail
    return b'RIFF' + struct.pack('<I', len(body)) + body


_cache = {}


def colour_frame(i):
    key = ('colour', i % FRAMES)
    if key not in _cache:
        _cache[key] = icon_file(frame_pixels(i % FRAMES), 4)
    return _cache[key]


def mono_frame(i):
    key = ('mono', i % FRAMES)
    if key not in _cache:
        _cache[key] = icon_file(mono_pixels(i % FRAMES), 1)
    return _cache[key]


def window_animation():
    """The window's own animation: 15 frames, default rate 10, a rate of 9 for each frame."""
    return ani_file([colour_frame(i) for i in range(FRAMES)], default_rate=10,
                    rates=[9] * FRAMES)


def test_files():
    """Name -> bytes of each test file; each name says what the file exercises."""
    return {
        'frames100.ani': ani_file([colour_frame(i) for i in range(66)], header_frames=100,
                                  rates=[9] * 66),
        'mono3.ani': ani_file([colour_frame(0), colour_frame(1), colour_frame(2), mono_frame(3),
                               colour_frame(4)], rates=[9] * 5),
        'norate.ani': ani_file([colour_frame(i) for i in range(4)], default_rate=6),
        'info.ani': ani_file([colour_frame(i) for i in range(FRAMES)], default_rate=10,
                             rates=[9] * FRAMES, info=(b'Wakora alarm', b'Wakora')),
        'seq.ani': ani_file([colour_frame(i) for i in (0, 5, 10)], default_rate=3,
                            rates=[2, 4, 6, 8, 10, 12], sequence=[2, 1, 0, 0, 1, 2]),
        'nolist.ani': ani_file([colour_frame(i) for i in range(3)], rates=[9] * 3,
                               sequence=[0, 1, 2], frame_list=False),
        'single.ani': ani_file([colour_frame(7)], default_rate=4),
        'offset30.ani': ani_file([icon_file(frame_pixels(i), 4, image_offset=30)
                                  for i in (0, 1)], rates=[9, 9]),
    }


def outputs():
    """Path under the repository -> bytes, for everything `all` writes."""
    files = {'controls/res/wakora.ani': window_animation(),
             'fuzz/corpus/aniicon_core_fuzz/wakora.ani': window_animation()}
    for name, data in test_files().items():
        files['tests/controls/data/' + name] = data
        files['fuzz/corpus/aniicon_core_fuzz/' + name] = data
    # Frames of 32 bits, 4264 bytes each, as most animated cursors since have them: a seed.
    files['fuzz/corpus/aniicon_core_fuzz/argb32.ani'] = ani_file(
        [icon_file(frame_pixels(i), 32) for i in range(3)], rates=[9] * 3)
    return files


def write(path, data):
    os.makedirs(os.path.dirname(path) or '.', exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


def contact_sheet(path, scale=8):
    """The 15 frames side by side on a checkerboard (so the transparent pixels show), as PPM."""
    frames = [frame_pixels(i) for i in range(FRAMES)]
    gap = 4
    width = FRAMES * (SIZE * scale + gap) + gap
    height = SIZE * scale + 2 * gap
    out = bytearray()
    for y in range(height):
        for x in range(width):
            cell, fx = divmod(x - gap, SIZE * scale + gap)
            fy = y - gap
            colour = (90, 90, 90)
            if 0 <= fx < SIZE * scale and 0 <= fy < SIZE * scale and 0 <= cell < FRAMES:
                c = frames[cell][fy // scale][fx // scale]
                if c is CLEAR:
                    colour = (204, 204, 204) if ((fx // 8) + (fy // 8)) % 2 else (236, 236, 236)
                else:
                    colour = PALETTE[c]
            out += bytes(colour)
    write(path, b'P6\n%d %d\n255\n' % (width, height) + bytes(out))


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest='command', required=True)
    sub.add_parser('all', help='write controls/res/wakora.ani, the test files and fuzz seeds')
    sub.add_parser('check', help='compare the committed files with what `all` writes')
    sheet = sub.add_parser('sheet', help='contact sheet of the frames (PPM)')
    sheet.add_argument('file')
    one = sub.add_parser('one', help='one ANI file from parameters')
    one.add_argument('file')
    one.add_argument('--frames', type=int, default=FRAMES, help='frames stored')
    one.add_argument('--header-frames', type=int, help='frame count the header claims')
    one.add_argument('--rate', type=int, default=10, help='default display rate')
    one.add_argument('--rates', help='comma-separated "rate" chunk (none if omitted)')
    one.add_argument('--seq', help='comma-separated "seq " chunk (none if omitted)')
    one.add_argument('--info', nargs=2, metavar=('TITLE', 'AUTHOR'), help='information list')
    one.add_argument('--no-list', action='store_true', help='frames without the "LIST" chunk')
    one.add_argument('--mono-at', type=int, help='this frame in black and white (326 bytes)')
    one.add_argument('--image-offset', type=int, default=22, help='image offset of every frame')
    args = parser.parse_args(argv)

    if args.command == 'all':
        for path, data in outputs().items():
            write(os.path.join(root, path), data)
    elif args.command == 'check':
        stale = []
        for path, data in outputs().items():
            try:
                with open(os.path.join(root, path), 'rb') as f:
                    if f.read() == data:
                        continue
            except OSError:
                pass
            stale.append(path)
        for path in stale:
            print('%s differs from what tools/make_ani.py all writes' % path)
        return 1 if stale else 0
    elif args.command == 'sheet':
        contact_sheet(args.file)
    else:
        def numbers(text):
            return [int(v) for v in text.split(',')] if text is not None else None
        frames = []
        for i in range(args.frames):
            if i == args.mono_at:
                frames.append(mono_frame(i))
            elif args.image_offset != 22:
                frames.append(icon_file(frame_pixels(i % FRAMES), 4, args.image_offset))
            else:
                frames.append(colour_frame(i))
        info = tuple(s.encode('cp1252') for s in args.info) if args.info else None
        write(args.file, ani_file(frames, args.header_frames, args.rate, numbers(args.rates),
                                  numbers(args.seq), info, not args.no_list))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
