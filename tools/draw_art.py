#!/usr/bin/env python3
"""Draws FLINDOR's two pictures: the application icon and the toolbar glyph strip.

    tools/draw_art.py [FOLDER]    writes FOLDER/flindor.ico and FOLDER/toolbar.bmp (default: res/)

The output depends on nothing but this file, so the committed pictures are checked by drawing
them again and comparing the bytes.
"""

import math
import pathlib
import struct
import sys

PALETTE_ENTRIES = 256
INFO_HEADER_SIZE = 40  # BITMAPINFOHEADER


def info_header(width, height, bits, image_size):
    # Colours used 0: the full 2^bits palette follows the header.
    return struct.pack("<IiiHHIIiiII", INFO_HEADER_SIZE, width, height, 1, bits, 0, image_size,
                       0, 0, 0, 0)


def palette_bytes(colours):
    """The 256-entry colour table, RGBQUAD order (blue, green, red, 0), unused entries black."""
    table = list(colours)
    table += [(0, 0, 0)] * (PALETTE_ENTRIES - len(table))
    return b"".join(bytes((b, g, r, 0)) for r, g, b in table)


def row_stride(width, bits):
    return (width * bits + 31) // 32 * 4


def bottom_up(rows, stride):
    """Pixel rows, given top row first, as a DIB stores them: bottom row first, padded."""
    return b"".join(bytes(row).ljust(stride, b"\0") for row in reversed(rows))


# --- The toolbar strip: four 16 x 16 glyphs on light grey -----------------------------------

TOOLBAR_COLOURS = {
    "K": (0, 0, 0),  # black
    "B": (0, 0, 132),  # dark blue: outlines
    "O": (132, 132, 0),  # olive
    ".": (198, 198, 198),  # light grey: the background
    "Y": (255, 255, 0),  # yellow
    "W": (255, 255, 255),  # white
}
TOOLBAR_ORDER = "KBO.YW"  # palette index of each colour

# Every glyph ends in a black right-hand column and a black bottom row.
OPEN_FOLDER = """
...............K
.........BBB...K
........B...B.BK
.............BBK
.BBB........BBBK
BWYWBBBBBBB....K
BYWYWYWYWYB....K
BWYWYWYWYWB....K
BYWYWYBBBBBBBBBK
BWYWYBYYYYYYYYBK
BYWYBYYYYYYYYB.K
BWYBOYYYYYYYB..K
BYBOOOOOOOOB...K
BBOOOOOOOOB....K
BBBBBBBBBB.....K
KKKKKKKKKKKKKKKK
"""

# The arrow's tip reaches into the bottom row.
DOWN_ARROW = """
...............K
...............K
....BBBBBBB....K
....BYYYYYB....K
....BYYYYYB....K
....BYYYYYB....K
....BYYYYYB....K
....BYYYYYB....K
BBBBBYYYYYBBBBBK
.BYYYYYYYYYYYB.K
..BYYYYYYYYYB..K
...BYYYYYYYB...K
....BYYYYYB....K
.....BYYYB.....K
......BYB......K
KKKKKKKBKKKKKKKK
"""

BLANK = """
...............K
...............K
...............K
...............K
...............K
...............K
...............K
...............K
...............K
...............K
...............K
...............K
...............K
...............K
...............K
KKKKKKKKKKKKKKKK
"""

QUESTION_MARK = """
...............K
.....BBBBB.....K
....BYYYYYB....K
...BYYBBBYYB...K
...BYYB.BYYB...K
....BB..BYYB...K
.......BYYB....K
......BYYB.....K
......BYYB.....K
.......BB......K
...............K
.......BB......K
......BYYB.....K
......BYYB.....K
.......BB......K
KKKKKKKKKKKKKKKK
"""

GLYPHS = [OPEN_FOLDER, DOWN_ARROW, BLANK, QUESTION_MARK]  # Open, Download, unused, About
GLYPH_SIZE = 16


def glyph_rows(art):
    rows = art.strip("\n").split("\n")
    assert len(rows) == GLYPH_SIZE and all(len(r) == GLYPH_SIZE for r in rows), art
    return rows


def toolbar_bitmap():
    """The strip as a .bmp file: file header, info header, palette, 8-bit pixels."""
    width, height = GLYPH_SIZE * len(GLYPHS), GLYPH_SIZE
    glyphs = [glyph_rows(art) for art in GLYPHS]
    rows = [[TOOLBAR_ORDER.index(c) for g in glyphs for c in g[y]] for y in range(height)]
    stride = row_stride(width, 8)
    dib = (info_header(width, height, 8, stride * height) +
           palette_bytes(TOOLBAR_COLOURS[c] for c in TOOLBAR_ORDER) + bottom_up(rows, stride))
    file_header_size = 14
    pixels_at = file_header_size + INFO_HEADER_SIZE + PALETTE_ENTRIES * 4
    return struct.pack("<2sIHHI", b"BM", file_header_size + len(dib), 0, 0, pixels_at) + dib


# --- The icon: a disc-like emblem on a light background -------------------------------------

ICON_WIDTH, ICON_HEIGHT = 56, 59
BACKGROUND, YELLOW, BLUE, BLACK, RED = 1, 2, 3, 0, 4
ICON_COLOURS = [(0, 0, 0), (240, 240, 232), (255, 222, 0), (0, 72, 200), (208, 16, 16)]
BRONZE_FIRST, BRONZE_SHADES = 16, 32
BRONZE_DARK, BRONZE_LIGHT = (72, 40, 12), (250, 214, 150)

# Outer radius of each ring in pixels, from the outside in; off the half-pixel distances of the
# middle row, which would give the rings one-pixel nubs there.
RINGS = [(27.2, None), (20.8, YELLOW), (15.8, BLUE), (10.8, BLACK), (6.8, RED)]


def icon_palette():
    colours = ICON_COLOURS + [(0, 0, 0)] * (BRONZE_FIRST - len(ICON_COLOURS))
    for i in range(BRONZE_SHADES):
        t = i / (BRONZE_SHADES - 1)
        colours.append(tuple(round(d + (l - d) * t) for d, l in zip(BRONZE_DARK, BRONZE_LIGHT)))
    return palette_bytes(colours)


def bronze_shade(dx, dy, r):
    """A bevelled ring lit from the top left: the outer slope faces the light at the top left,
    the inner slope at the bottom right."""
    outer, inner = RINGS[0][0], RINGS[1][0]
    slope = 1.0 if r > (outer + inner) / 2 else -1.0
    facing = (-dx - dy) / (r * math.sqrt(2.0)) * slope
    level = 0.5 + 0.45 * facing
    return BRONZE_FIRST + round(level * (BRONZE_SHADES - 1))


def icon_pixel(x, y):
    dx, dy = x + 0.5 - ICON_WIDTH / 2, y + 0.5 - ICON_HEIGHT / 2
    r = math.hypot(dx, dy)
    colour = BACKGROUND
    for radius, ring in RINGS:
        if r <= radius:
            colour = ring if ring is not None else bronze_shade(dx, dy, r)
    return colour


def icon_file():
    """The icon as a .ico file with one image: 8-bit colour bitmap, then an all-zero mask
    (every pixel opaque)."""
    rows = [[icon_pixel(x, y) for x in range(ICON_WIDTH)] for y in range(ICON_HEIGHT)]
    colour_stride, mask_stride = row_stride(ICON_WIDTH, 8), row_stride(ICON_WIDTH, 1)
    colour = bottom_up(rows, colour_stride)
    mask = bytes(mask_stride * ICON_HEIGHT)
    # The height in an icon image's header counts the colour bitmap and the mask.
    image = (info_header(ICON_WIDTH, 2 * ICON_HEIGHT, 8, len(colour) + len(mask)) +
             icon_palette() + colour + mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry_size = 16
    entry = struct.pack("<BBBBHHII", ICON_WIDTH, ICON_HEIGHT, 0, 0, 1, 8, len(image),
                        len(directory) + entry_size)
    return directory + entry + image


def main(argv):
    folder = pathlib.Path(argv[1]) if len(argv) > 1 else pathlib.Path(__file__).parent.parent / "res"
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "flindor.ico").write_bytes(icon_file())
    (folder / "toolbar.bmp").write_bytes(toolbar_bitmap())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
