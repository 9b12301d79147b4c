#!/usr/bin/env python3
"""Draws Quorvel Vavad's pictures and icons and writes them as BMP and ICO files.

The build does not run Python: the files this script writes are checked in beside it and
compiled into the exe through qvavad.rc. Run it again after changing a drawing:

    python3 resources/draw_art.py           # rewrite the files next to this script
    python3 resources/draw_art.py --check   # verify the checked-in files, write nothing

Standard library only. Every picture is drawn pixel by pixel from the grids and shapes
below, so the output is the same byte for byte on every run.
"""

import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# Colours are (red, green, blue); transparent pixels of icons are None.
MAGENTA = (255, 0, 255)  # the transparent colour of the menu pictures and check images
PANEL = (231, 223, 173)  # the main window's panel, behind the logo
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)


class Picture:
    """A width x height grid of colours, row 0 at the top."""

    def __init__(self, width, height, fill=None):
        self.width = width
        self.height = height
        self.rows = [[fill] * width for _ in range(height)]

    def get(self, x, y):
        return self.rows[y][x]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def fill(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        self.fill(x0, y0, x1, y0, colour)
        self.fill(x0, y1, x1, y1, colour)
        self.fill(x0, y0, x0, y1, colour)
        self.fill(x1, y0, x1, y1, colour)

    def stamp(self, x0, y0, grid, palette):
        """Copies a grid of characters; '.' leaves the pixel as it is."""
        for dy, line in enumerate(grid):
            for dx, ch in enumerate(line):
                if ch != ".":
                    self.put(x0 + dx, y0 + dy, palette[ch])

    def paste(self, x0, y0, other):
        for y in range(other.height):
            for x in range(other.width):
                if other.get(x, y) is not None:
                    self.put(x0 + x, y0 + y, other.get(x, y))


def grid_picture(grid, palette, background=None):
    width = len(grid[0])
    for line in grid:
        assert len(line) == width, (line, width)
    pic = Picture(width, len(grid), background)
    pic.stamp(0, 0, grid, palette)
    return pic


# ---------------------------------------------------------------------------------------------
# File formats

def bmp_bytes(pic):
    """A 24-bit bottom-up BMP: file header, BITMAPINFOHEADER, rows padded to 4 bytes."""
    row_size = (pic.width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(pic.height - 1, -1, -1):
        row = bytearray()
        for x in range(pic.width):
            colour = pic.get(x, y)
            assert colour is not None, "a BMP has no transparent pixels"
            r, g, b = colour
            row += bytes((b, g, r))
        row += bytes(row_size - len(row))
        pixels += row
    info = struct.pack("<IiiHHIIiiII", 40, pic.width, pic.height, 1, 24, 0, len(pixels),
                       2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + pixels


def icon_image_bytes(pic):
    """One icon image: BITMAPINFOHEADER (double height), 32-bit BGRA rows, then the AND mask.

    The alpha channel serves Windows versions that read it; the AND mask (1 = transparent)
    serves the ones that do not.
    """
    mask_row_size = ((pic.width + 31) // 32) * 4
    colour = bytearray()
    mask = bytearray()
    for y in range(pic.height - 1, -1, -1):
        bits = bytearray(mask_row_size)
        for x in range(pic.width):
            c = pic.get(x, y)
            if c is None:
                colour += bytes((0, 0, 0, 0))
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                r, g, b = c
                colour += bytes((b, g, r, 255))
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, pic.width, pic.height * 2, 1, 32, 0,
                       len(colour) + len(mask), 0, 0, 0, 0)
    return info + colour + mask


def ico_bytes(pics):
    images = [icon_image_bytes(p) for p in pics]
    out = bytearray(struct.pack("<HHH", 0, 1, len(pics)))
    offset = 6 + 16 * len(pics)
    for pic, data in zip(pics, images):
        out += struct.pack("<BBBBHHII", pic.width % 256, pic.height % 256, 0, 0, 1, 32,
                           len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


# ---------------------------------------------------------------------------------------------
# The clipboard (tray icons, exe icon, logo)

BOARD = {
    "o": (92, 54, 22),  # board edge
    "b": (186, 130, 66),  # board
    "h": (218, 170, 106),  # board, lit side
    "d": (150, 100, 46),  # board, shaded side
    "k": (44, 46, 54),  # clip edge
    "c": (170, 174, 184),  # clip
    "m": (226, 228, 234),  # clip, lit
}

SHEETS = {
    # sheet edge, sheet, text lines on it
    "blue": {"S": (18, 46, 140), "s": (44, 104, 222), "L": (196, 218, 255)},
    "darkred": {"S": (70, 0, 0), "s": (138, 16, 16), "L": (226, 150, 150)},
    "white": {"S": (112, 112, 124), "s": (252, 252, 252), "L": (72, 110, 210)},
}

CLIPBOARD_16 = [
    "......kkkk......",
    "..oookckkckooo..",
    ".obbkmmmmmmkbdo.",
    ".ohSkcccccckSdo.",
    ".ohSkkkkkkkkSdo.",
    ".ohSssssssssSdo.",
    ".ohSsLLLLLLsSdo.",
    ".ohSssssssssSdo.",
    ".ohSsLLLLLssSdo.",
    ".ohSssssssssSdo.",
    ".ohSsLLLLLLsSdo.",
    ".ohSssssssssSdo.",
    ".ohSsLLLLsssSdo.",
    ".ohSSSSSSSSSSdo.",
    ".obbbbbbbbbbbdo.",
    "..oooooooooooo..",
]

# The red cross of the "caching off" icon, laid over the sheet's inside (x 4-11, y 5-12).
CROSS_8 = [
    "rr....rr",
    "rrr..rrr",
    ".rrrrrr.",
    "..rrrr..",
    "..rrrr..",
    ".rrrrrr.",
    "rrr..rrr",
    "rr....rr",
]
CROSS_RED = {"r": (236, 18, 18)}


def clipboard_16(sheet):
    palette = dict(BOARD)
    palette.update(SHEETS[sheet])
    return grid_picture(CLIPBOARD_16, palette)


def clipboard_32(sheet):
    pal = dict(BOARD)
    pal.update(SHEETS[sheet])
    pic = Picture(32, 32)
    # Board with rounded corners; lit on the left, shaded on the right.
    pic.fill(3, 4, 28, 30, pal["b"])
    pic.fill(4, 3, 27, 3, pal["o"])
    pic.fill(4, 31, 27, 31, pal["o"])
    pic.fill(2, 5, 2, 29, pal["o"])
    pic.fill(29, 5, 29, 29, pal["o"])
    for x, y in ((3, 4), (28, 4), (3, 30), (28, 30)):
        pic.put(x, y, pal["o"])
    pic.fill(3, 5, 4, 29, pal["h"])
    pic.fill(27, 5, 28, 29, pal["d"])
    pic.fill(5, 30, 27, 30, pal["d"])
    pic.put(4, 30, pal["b"])
    # Sheet with text lines of varying length.
    pic.frame(6, 7, 25, 28, pal["S"])
    pic.fill(7, 8, 24, 27, pal["s"])
    for y, end in ((12, 22), (15, 21), (18, 22), (21, 19), (24, 16)):
        pic.fill(9, y, end, y + 1, pal["L"])
    # Clip: a tab with a slot on top of a wider base.
    tab = [
        "....kkkkkk....",
        "...kmmmmmmk...",
        "...kmkkkkmk...",
        "...kckkkkck...",
        ".kkkcccccckkk.",
        "kmmmmmmmmmmmmk",
        "kcccccccccccck",
        "kcccccccccccck",
        ".kkkkkkkkkkkk.",
    ]
    pic.stamp(9, 0, tab, pal)
    return pic


def clipboard_small(sheet):
    """The 12 x 15 clipboard at the left of the logo."""
    palette = dict(BOARD)
    palette.update(SHEETS[sheet])
    return grid_picture([
        "....kkkk....",
        ".oookmmkooo.",
        "obbkcccckbdo",
        "ohSkcccckSdo",
        "ohSkkkkkkSdo",
        "ohSssssssSdo",
        "ohSLLLLLsSdo",
        "ohSssssssSdo",
        "ohSLLLLssSdo",
        "ohSssssssSdo",
        "ohSLLLLLsSdo",
        "ohSssssssSdo",
        "ohSSSSSSSSdo",
        "obbbbbbbbbdo",
        ".oooooooooo.",
    ], palette)


def tray_icons():
    on = clipboard_16("blue")
    off = clipboard_16("blue")
    off.stamp(4, 5, CROSS_8, CROSS_RED)
    suppressed = clipboard_16("darkred")
    return on, off, suppressed


def tray_icons_32():
    """The same three for screens of more than 96 DPI, where the small icon is 20 to 32 pixels."""
    on = clipboard_32("blue")
    off = clipboard_32("blue")
    # The cross at twice the size, over the sheet's inside (x 7-24, y 8-27).
    off.stamp(8, 10, [line.replace("r", "rr").replace(".", "..") for line in CROSS_8
                      for _ in range(2)], CROSS_RED)
    suppressed = clipboard_32("darkred")
    return on, off, suppressed


# ---------------------------------------------------------------------------------------------
# The logo: clipboard, then "Quorel Vavad" in bold blue letters

# Glyphs are 2-pixel strokes. Capitals and ascenders are 10 rows, lower case 7 rows sitting on
# the same base line; rows past the base line hang below it (the tail of the Q).
GLYPHS = {
    "Q": [
        "..####..",
        ".######.",
        "##....##",
        "##....##",
        "##....##",
        "##....##",
        "##.##.##",
        "##..####",
        ".######.",
        "..######",
        "......##",
    ],
    "V": [
        "##....##",
        "##....##",
        "##....##",
        "##....##",
        ".##..##.",
        ".##..##.",
        ".##..##.",
        "..####..",
        "..####..",
        "...##...",
    ],
    "u": [
        "##..##",
        "##..##",
        "##..##",
        "##..##",
        "##..##",
        "######",
        ".#####",
    ],
    "o": [
        ".####.",
        "######",
        "##..##",
        "##..##",
        "##..##",
        "######",
        ".####.",
    ],
    "r": [
        "##.##",
        "#####",
        "###..",
        "##...",
        "##...",
        "##...",
        "##...",
    ],
    "e": [
        ".####.",
        "##..##",
        "######",
        "##....",
        "##....",
        "##..##",
        ".####.",
    ],
    "l": ["##"] * 10,
    "a": [
        ".####.",
        "....##",
        ".#####",
        "##..##",
        "##..##",
        "######",
        ".##.##",
    ],
    "v": [
        "##..##",
        "##..##",
        "##..##",
        "##..##",
        ".####.",
        ".####.",
        "..##..",
    ],
    "d": [
        "....##",
        "....##",
        "....##",
        ".#####",
        "######",
        "##..##",
        "##..##",
        "##..##",
        "######",
        ".#####",
    ],
}
TALL = set("QVld")
LOGO_BLUE = (0, 42, 196)
LOGO_TEXT = "Quorel Vavad"
CAP_TOP = 3  # first row of capitals; the base line is CAP_TOP + 9
LETTER_GAP = 1
SPACE = 4


def text_width(text):
    width = 0
    for i, ch in enumerate(text):
        width += SPACE if ch == " " else len(GLYPHS[ch][0])
        if i + 1 < len(text) and ch != " " and text[i + 1] != " ":
            width += LETTER_GAP
    return width


def draw_text(pic, x, text, colour):
    for i, ch in enumerate(text):
        if ch == " ":
            x += SPACE
            continue
        glyph = GLYPHS[ch]
        top = CAP_TOP if ch in TALL else CAP_TOP + 3
        pic.stamp(x, top, glyph, {"#": colour})
        x += len(glyph[0])
        if i + 1 < len(text) and text[i + 1] != " ":
            x += LETTER_GAP
    return x


def logo():
    pic = Picture(94, 16, PANEL)
    board = clipboard_small("white")
    pic.paste(0, 1, board)
    text_left = board.width + 3
    assert text_left + text_width(LOGO_TEXT) <= pic.width, "the name does not fit"
    draw_text(pic, text_left, LOGO_TEXT, LOGO_BLUE)
    return pic


# ---------------------------------------------------------------------------------------------
# Menu pictures, 16 x 16 on magenta

def menu_settings():
    """Three slider tracks with their knobs at different places."""
    pic = Picture(16, 16, MAGENTA)
    track, track_lit = (88, 88, 96), (200, 200, 208)
    edge, knob, knob_lit = (20, 44, 120), (52, 108, 220), (150, 190, 255)
    for y, knob_x in ((2, 9), (7, 3), (12, 7)):
        pic.fill(1, y + 1, 14, y + 1, track)
        pic.fill(1, y + 2, 14, y + 2, track_lit)
        pic.frame(knob_x, y - 1, knob_x + 3, y + 3, edge)
        pic.fill(knob_x + 1, y, knob_x + 2, y + 2, knob)
        pic.put(knob_x + 1, y, knob_lit)
    return pic


def menu_save():
    """A floppy disk: metal shutter on top, white label below."""
    pal = {
        "K": (16, 26, 70),
        "B": (42, 78, 170),
        "G": (186, 190, 200),
        "g": (70, 74, 86),
        "W": (250, 250, 250),
        "l": (150, 164, 204),
    }
    return grid_picture([
        "................",
        ".KKKKKKKKKKKKK..",
        ".KBBGGGGGGGBBBK.",
        ".KBBGGGGggGBBBK.",
        ".KBBGGGGggGBBBK.",
        ".KBBGGGGggGBBBK.",
        ".KBBGGGGGGGBBBK.",
        ".KBBBBBBBBBBBBK.",
        ".KBWWWWWWWWWWBK.",
        ".KBWWWWWWWWWWBK.",
        ".KBWllllllllWBK.",
        ".KBWWWWWWWWWWBK.",
        ".KBWllllllllWBK.",
        ".KBWWWWWWWWWWBK.",
        ".KKKKKKKKKKKKKK.",
        "................",
    ], pal, MAGENTA)


def menu_clear():
    """A written sheet with a red cross over its lower right."""
    pal = {
        "E": (110, 110, 122),
        "W": (252, 252, 252),
        "F": (214, 214, 222),
        "l": (150, 150, 160),
        "r": (224, 20, 20),
        "R": (130, 0, 0),
    }
    pic = grid_picture([
        "................",
        ".EEEEEEEE.......",
        ".EWWWWWWEE......",
        ".EWllllWEFE.....",
        ".EWWWWWWEEEE....",
        ".EWllllllWWE....",
        ".EWWWWWWWWWE....",
        ".EWllllllWWE....",
        ".EWWWWWWWWWE....",
        ".EWlllllWWWE....",
        ".EWWWWWWWWWE....",
        ".EWllllWWWWE....",
        ".EWWWWWWWWWE....",
        ".EWWWWWWWWWE....",
        ".EEEEEEEEEEE....",
        "................",
    ], pal, MAGENTA)
    pic.stamp(7, 7, [
        "RR....RR.",
        "RrR..RrR.",
        ".RrRRrR..",
        "..RrrR...",
        "..RrrR...",
        ".RrRRrR..",
        "RrR..RrR.",
        "RR....RR.",
    ], pal)
    return pic


def menu_quit():
    """A red power symbol: an open ring with a bar through its gap."""
    pic = Picture(16, 16, MAGENTA)
    red = (210, 24, 24)
    cx, cy = 7.5, 8.5
    for y in range(16):
        for x in range(16):
            dx, dy = x - cx, y - cy
            r2 = dx * dx + dy * dy
            in_ring = 4.3 ** 2 <= r2 <= 6.6 ** 2
            in_gap = dy < 0 and abs(dx) < 3.0
            if in_ring and not in_gap:
                pic.put(x, y, red)
    pic.fill(7, 1, 8, 8, red)
    return pic


# ---------------------------------------------------------------------------------------------
# Check images: 6 columns x 3 rows of 16 x 13 cells

CELL_W, CELL_H = 16, 13
BOX_LEFT, BOX_TOP = 2, 1  # the 11 x 11 box inside a cell

# The tick inside the box's 9 x 9 inside: one 3-pixel column per x, down then up.
TICK_TOPS = [3, 4, 5, 4, 3, 2, 1]

RADIO_RING = [
    "...#####...",
    ".##.....##.",
    ".#.......#.",
    "#.........#",
    "#.........#",
    "#.........#",
    "#.........#",
    "#.........#",
    ".#.......#.",
    ".##.....##.",
    "...#####...",
]
RADIO_DOT = [
    ".###.",
    "#####",
    "#####",
    "#####",
    ".###.",
]

# (border, inside, mark) for each state of columns 0-5.
CHECK_LOOKS = [
    ((64, 64, 64), WHITE, None),  # enabled, unchecked
    ((64, 64, 64), WHITE, BLACK),  # enabled, checked
    ((64, 64, 64), (208, 208, 208), (128, 128, 128)),  # enabled, grayed
    ((150, 150, 150), (236, 236, 236), None),  # disabled, unchecked
    ((150, 150, 150), (236, 236, 236), (150, 150, 150)),  # disabled, checked
    ((150, 150, 150), (208, 208, 208), (176, 176, 176)),  # disabled, grayed
]


def draw_tick(pic, left, top, colour):
    for i, t in enumerate(TICK_TOPS):
        pic.fill(left + i, top + t, left + i, top + t + 2, colour)


def inside_ring(grid, x, y):
    """True for the pixels enclosed by the ring on row y."""
    line = grid[y]
    if "#" not in line:
        return False
    first, last = line.index("#"), line.rindex("#")
    while first + 1 < len(line) and line[first + 1] == "#":
        first += 1
    while last - 1 >= 0 and line[last - 1] == "#":
        last -= 1
    return first < x < last and line[x] != "#"


def check_images():
    pic = Picture(CELL_W * 6, CELL_H * 3, MAGENTA)
    for col, (border, inside, mark) in enumerate(CHECK_LOOKS):
        x0 = col * CELL_W
        # Row 0: check box.
        bx, by = x0 + BOX_LEFT, BOX_TOP
        pic.frame(bx, by, bx + 10, by + 10, border)
        pic.fill(bx + 1, by + 1, bx + 9, by + 9, inside)
        if mark:
            draw_tick(pic, bx + 2, by + 1, mark)
        # Row 1: radio button.
        ry = CELL_H + BOX_TOP
        for y, line in enumerate(RADIO_RING):
            for x, ch in enumerate(line):
                if ch == "#":
                    pic.put(bx + x, ry + y, border)
                elif y not in (0, 10) and inside_ring(RADIO_RING, x, y):
                    pic.put(bx + x, ry + y, inside)
        if mark:
            pic.stamp(bx + 3, ry + 3, RADIO_DOT, {"#": mark})
        # Row 2: the tick alone.
        if mark:
            draw_tick(pic, bx + 2, 2 * CELL_H + BOX_TOP + 1, mark)
    return pic


def hide_glyph():
    """The hide button's glyph: a short dark bar low in a 9 x 10 field; the top-left pixel is
    the transparent colour."""
    pic = Picture(9, 10, MAGENTA)
    pic.fill(1, 6, 7, 7, (24, 24, 24))
    return pic


def find_glyph():
    """The find button's glyph: a magnifying glass, a ring with a handle to the lower right,
    in the hide glyph's dark colour; the top-left pixel is the transparent colour."""
    pic = Picture(9, 10, MAGENTA)
    dark = (24, 24, 24)
    ring = [".XXX.", "X...X", "X...X", "X...X", ".XXX."]
    for y, row in enumerate(ring):
        for x, c in enumerate(row):
            if c == "X":
                pic.put(1 + x, 1 + y, dark)
    for i in range(3):
        pic.fill(5 + i, 6 + i, 6 + i, 7 + i, dark)
    return pic


# ---------------------------------------------------------------------------------------------

def all_files():
    on, off, suppressed = tray_icons()
    on32, off32, suppressed32 = tray_icons_32()
    return {
        "mainicon.ico": ico_bytes([clipboard_32("blue"), clipboard_16("blue")]),
        "tray_on.ico": ico_bytes([on, on32]),
        "tray_off.ico": ico_bytes([off, off32]),
        "tray_suppressed.ico": ico_bytes([suppressed, suppressed32]),
        "logo.bmp": bmp_bytes(logo()),
        "menu_settings.bmp": bmp_bytes(menu_settings()),
        "menu_save.bmp": bmp_bytes(menu_save()),
        "menu_clear.bmp": bmp_bytes(menu_clear()),
        "menu_quit.bmp": bmp_bytes(menu_quit()),
        "check_images.bmp": bmp_bytes(check_images()),
        "hide_glyph.bmp": bmp_bytes(hide_glyph()),
        "find_glyph.bmp": bmp_bytes(find_glyph()),
    }


def main(argv):
    files = all_files()
    if "--check" in argv:
        stale = []
        for name, data in sorted(files.items()):
            path = os.path.join(HERE, name)
            if not os.path.exists(path) or open(path, "rb").read() != data:
                stale.append(name)
        if stale:
            print("out of date: " + ", ".join(stale) + " (run draw_art.py)")
            return 1
        print("all %d files up to date" % len(files))
        return 0
    for name, data in sorted(files.items()):
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
