#!/usr/bin/env python3
"""Draws the ribbon's images and writes them beside this script as PNG files.

Three motifs at four sizes (32, 40, 48 and 64 pixels, one per DPI band):
  on_<size>.png           a page pinched at its waist, with blue text lines
  off_<size>.png          the same page in grey
  preferences_<size>.png  the pinched page with a blue gear

Shapes are described in a unit square (y downwards) and sampled 6 x 6 times per pixel;
the files are non-interlaced 8-bit RGBA. Run it again after changing a shape:
    python3 mail_addin/res/make_ribbon_images.py
"""
import math
import os
import struct
import zlib

SIZES = (32, 40, 48, 64)
SAMPLES = 6

TOP, BOTTOM = 0.05, 0.95
SIDE = 0.17            # distance of the page's left and right edges from the square's sides
PINCH = 0.10           # how far each edge comes in at the waist
FOLD = 0.18            # the folded top-right corner
BORDER = 0.045
LINE_ROWS = (0.30, 0.43, 0.56, 0.69, 0.82)
LINE_HALF_HEIGHT = 0.028

GEAR_CENTRE = (0.65, 0.67)
GEAR_BODY, GEAR_TIP, GEAR_HOLE, GEAR_TEETH = 0.18, 0.27, 0.07, 8
GEAR_HALO = 0.045      # white ring that sets the gear off from the page

COLOURS = {
    "on": {"border": (52, 78, 120), "page": (255, 255, 255), "fold": (205, 220, 240),
           "line": (32, 112, 214)},
    "off": {"border": (128, 128, 128), "page": (238, 238, 238), "fold": (205, 205, 205),
            "line": (166, 166, 166)},
}
GEAR_COLOUR = (22, 96, 200)
WHITE = (255, 255, 255)


def page_edges(y, inset=0.0):
    """Left and right edge of the page at height y, moved inwards by inset."""
    waist = PINCH * math.exp(-((y - 0.5) / 0.2) ** 2)
    return SIDE + waist + inset, 1.0 - SIDE - waist - inset


def in_page(x, y, inset=0.0):
    if not TOP + inset <= y <= BOTTOM - inset:
        return False
    left, right = page_edges(y, inset)
    if not left <= x <= right:
        return False
    # The folded corner is cut off along its diagonal.
    return (x - (1.0 - SIDE - FOLD)) - (y - TOP) <= -inset * math.sqrt(2.0) + 1e-9


def in_fold(x, y, inset=0.0):
    """The flap of the folded corner, lying on the page below the cut."""
    corner_x = 1.0 - SIDE - FOLD
    return x >= corner_x + inset and y <= TOP + FOLD - inset and in_page(x, y)


def in_line(x, y):
    for row in LINE_ROWS:
        if abs(y - row) <= LINE_HALF_HEIGHT:
            left, right = page_edges(y, 0.09)
            if row < TOP + FOLD + 0.04:
                right = min(right, 1.0 - SIDE - FOLD - 0.02)  # keep clear of the fold
            return left <= x <= right
    return False


def in_gear(x, y, grow=0.0):
    dx, dy = x - GEAR_CENTRE[0], y - GEAR_CENTRE[1]
    r = math.hypot(dx, dy)
    if r <= GEAR_BODY + grow:
        return r >= GEAR_HOLE - grow
    if r > GEAR_TIP + grow:
        return False
    # Each tooth takes 45 % of its sector, slightly wider at its root.
    phase = (math.atan2(dy, dx) / (2 * math.pi) * GEAR_TEETH) % 1.0
    half_width = 0.24 + 0.06 * (GEAR_TIP - r) / (GEAR_TIP - GEAR_BODY)
    return abs(phase - 0.5) <= half_width + grow * GEAR_TEETH / (2 * math.pi * max(r, 1e-6))


def sample(motif, x, y):
    """Colour of one sample point, or None where the image is transparent."""
    if motif == "preferences" and in_gear(x, y):
        return GEAR_COLOUR
    colours = COLOURS["off" if motif == "off" else "on"]
    colour = None
    if in_page(x, y):
        colour = colours["page"] if in_page(x, y, BORDER) else colours["border"]
        if in_fold(x, y):
            colour = colours["fold"] if in_fold(x, y, BORDER * 0.7) and in_page(x, y, BORDER) \
                else colours["border"]
        elif motif != "preferences" or not in_gear(x, y, GEAR_HALO):
            if in_line(x, y):
                colour = colours["line"]
    if motif == "preferences" and colour is not None and in_gear(x, y, GEAR_HALO):
        colour = WHITE
    return colour


def render(motif, size):
    rows = []
    total = SAMPLES * SAMPLES
    for py in range(size):
        row = bytearray([0])  # filter type: none
        for px in range(size):
            red = green = blue = covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    colour = sample(motif, (px + (sx + 0.5) / SAMPLES) / size,
                                    (py + (sy + 0.5) / SAMPLES) / size)
                    if colour:
                        red += colour[0]
                        green += colour[1]
                        blue += colour[2]
                        covered += 1
            if covered:
                row += bytes((round(red / covered), round(green / covered), round(blue / covered),
                              round(255 * covered / total)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return b"".join(rows)


def png(size, pixels):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + \
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA, no interlace
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + \
        chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b"")


def main():
    folder = os.path.dirname(os.path.abspath(__file__))
    for motif in ("on", "off", "preferences"):
        for size in SIZES:
            path = os.path.join(folder, "%s_%d.png" % (motif, size))
            with open(path, "wb") as out:
                out.write(png(size, render(motif, size)))
            print(path)


if __name__ == "__main__":
    main()
