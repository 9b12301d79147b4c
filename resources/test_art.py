#!/usr/bin/env python3
"""Checks the checked-in pictures: they match their generator and hold what the program
relies on (sizes, transparent colours, cell layout, icon masks).

    python3 resources/test_art.py

The files are read back with a reader of their own, so a fault in the writers (row order,
padding, mask bits) shows up here instead of as a garbled picture in the exe.
"""

import os
import struct
import sys
import unittest

sys.dont_write_bytecode = True  # keep __pycache__ out of the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import draw_art  # noqa: E402

MAGENTA = (255, 0, 255)


def read(name):
    with open(os.path.join(draw_art.HERE, name), "rb") as f:
        return f.read()


def read_bmp(data):
    """Returns (width, height, rows of (r, g, b)) of a 24-bit BMP, top row first."""
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    assert magic == b"BM" and size == len(data)
    hsize, width, height, planes, bpp, compression = struct.unpack_from("<IiiHHI", data, 14)
    assert (hsize, planes, bpp, compression) == (40, 1, 24, 0)
    assert height > 0, "bottom-up rows expected"
    stride = (width * 3 + 3) // 4 * 4
    assert offset + stride * height == len(data)
    rows = []
    for y in range(height):
        base = offset + (height - 1 - y) * stride
        rows.append([tuple(reversed(data[base + 3 * x:base + 3 * x + 3])) for x in range(width)])
    return width, height, rows


def read_ico(data):
    """Returns a list of rows of (r, g, b) or None (transparent) per image in the icon file.

    A pixel counts as transparent from its AND bit; the alpha byte must agree with it.
    """
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert (reserved, kind) == (0, 1)
    images = []
    for i in range(count):
        w, h, colours, _, planes, bpp, size, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        assert (colours, planes, bpp) == (0, 1, 32)
        hsize, width, height2, _, bits = struct.unpack_from("<IiiHH", data, offset)
        assert (hsize, width, height2, bits) == (40, w, 2 * h, 32)
        colour_at = offset + 40
        mask_stride = (w + 31) // 32 * 4
        mask_at = colour_at + 4 * w * h
        assert mask_at + mask_stride * h == offset + size
        rows = []
        for y in range(h):
            src = h - 1 - y
            row = []
            for x in range(w):
                b, g, r, a = data[colour_at + 4 * (src * w + x):colour_at + 4 * (src * w + x) + 4]
                clear = data[mask_at + src * mask_stride + x // 8] & (0x80 >> (x % 8))
                assert (a == 0) == bool(clear) and a in (0, 255), (x, y, a, clear)
                row.append(None if clear else (r, g, b))
            rows.append(row)
        images.append(rows)
    return images


class FilesMatchGenerator(unittest.TestCase):
    def test_checked_in_files_are_current_and_generation_is_repeatable(self):
        first, second = draw_art.all_files(), draw_art.all_files()
        self.assertEqual(first, second)
        for name, data in first.items():
            self.assertEqual(read(name), data, name + " is out of date: run draw_art.py")

    def test_every_file_is_named_in_the_resource_script(self):
        with open(os.path.join(draw_art.HERE, "qvavad.rc")) as f:
            script = f.read()
        for name in draw_art.all_files():
            self.assertIn('"%s"' % name, script)
        # Named icon groups are stored in name order; the first one is the exe's icon.
        icons = [line.split()[0] for line in script.splitlines() if " ICON " in line]
        self.assertEqual(icons[0], "MAINICON")
        self.assertEqual(min(icons), "MAINICON")


class Bitmaps(unittest.TestCase):
    def test_sizes(self):
        sizes = {"logo.bmp": (94, 16), "check_images.bmp": (96, 39), "hide_glyph.bmp": (9, 10),
                 "find_glyph.bmp": (9, 10),
                 "menu_settings.bmp": (16, 16), "menu_save.bmp": (16, 16),
                 "menu_clear.bmp": (16, 16), "menu_quit.bmp": (16, 16)}
        for name, size in sizes.items():
            self.assertEqual(read_bmp(read(name))[:2], size, name)

    def test_menu_pictures_on_magenta_with_a_drawing_inside(self):
        for name in ("menu_settings.bmp", "menu_save.bmp", "menu_clear.bmp", "menu_quit.bmp"):
            _, _, rows = read_bmp(read(name))
            corners = [rows[0][0], rows[0][-1], rows[-1][0], rows[-1][-1]]
            self.assertIn(MAGENTA, corners, name)
            drawn = sum(1 for row in rows for c in row if c != MAGENTA)
            self.assertGreater(drawn, 40, name)

    def test_hide_glyph_takes_its_transparent_colour_from_the_top_left(self):
        _, _, rows = read_bmp(read("hide_glyph.bmp"))
        background = rows[0][0]
        bar = [(x, y) for y, row in enumerate(rows) for x, c in enumerate(row) if c != background]
        self.assertTrue(bar)
        # One solid, dark, wider-than-tall bar.
        xs, ys = {x for x, _ in bar}, {y for _, y in bar}
        self.assertEqual(len(bar), len(xs) * len(ys))
        self.assertGreater(len(xs), len(ys))
        self.assertTrue(all(max(rows[y][x]) < 64 for x, y in bar))

    def test_logo_sits_on_the_panel_colour_with_blue_lettering(self):
        _, _, rows = read_bmp(read("logo.bmp"))
        for x, y in ((0, 0), (93, 0), (93, 15)):
            self.assertEqual(rows[y][x], draw_art.PANEL)
        blue = [x for row in rows for x, c in enumerate(row) if c == draw_art.LOGO_BLUE]
        self.assertGreater(min(blue), 12, "the letters start right of the clipboard")
        self.assertLessEqual(max(blue), 93)


class CheckImages(unittest.TestCase):
    def setUp(self):
        _, _, self.rows = read_bmp(read("check_images.bmp"))

    def cell(self, col, row):
        return [line[col * 16:col * 16 + 16] for line in self.rows[row * 13:row * 13 + 13]]

    def test_every_cell_has_magenta_corners_and_stays_inside_its_box(self):
        for row in range(3):
            for col in range(6):
                cell = self.cell(col, row)
                for x, y in ((0, 0), (15, 0), (0, 12), (15, 12)):
                    self.assertEqual(cell[y][x], MAGENTA, (col, row))
                # Nothing outside the 11 x 11 area centred in the cell.
                for y in range(13):
                    for x in range(16):
                        if not (2 <= x <= 12 and 1 <= y <= 11):
                            self.assertEqual(cell[y][x], MAGENTA, (col, row, x, y))

    def test_boxes_have_a_full_square_border(self):
        for col in range(6):
            cell = self.cell(col, 0)
            border = cell[1][2]
            for i in range(11):
                for x, y in ((2 + i, 1), (2 + i, 11), (2, 1 + i), (12, 1 + i)):
                    self.assertEqual(cell[y][x], border, (col, x, y))

    def test_states_are_told_apart(self):
        for row in range(3):
            cells = [self.cell(col, row) for col in range(6)]
            if row == 2:
                # Unchecked check marks are empty; everything else differs.
                blank = [[MAGENTA] * 16 for _ in range(13)]
                self.assertEqual(cells[0], blank)
                self.assertEqual(cells[3], blank)
                cells = [cells[1], cells[2], cells[4], cells[5]]
            for i in range(len(cells)):
                for j in range(i + 1, len(cells)):
                    self.assertNotEqual(cells[i], cells[j], (row, i, j))

    def test_disabled_is_lighter_than_enabled(self):
        def darkest(cell):
            return min(sum(c) for line in cell for c in line if c != MAGENTA)

        for row in range(2):
            for col in range(3):
                self.assertLess(darkest(self.cell(col, row)), darkest(self.cell(col + 3, row)))


class Icons(unittest.TestCase):
    def test_main_icon_has_32_and_16_pixel_images(self):
        images = read_ico(read("mainicon.ico"))
        self.assertEqual([(len(i[0]), len(i)) for i in images], [(32, 32), (16, 16)])

    def test_tray_icons_are_one_clipboard_in_three_states(self):
        names = ("tray_on.ico", "tray_off.ico", "tray_suppressed.ico")
        for name in names:
            self.assertEqual([(len(i[0]), len(i)) for i in read_ico(read(name))],
                             [(16, 16), (32, 32)], name)
        on, off, suppressed = (read_ico(read(n))[0] for n in names)
        for icon in (on, off, suppressed):
            self.assertEqual((len(icon[0]), len(icon)), (16, 16))
            self.assertIsNone(icon[0][0], "transparent corner")
            self.assertIsNotNone(icon[8][8])
        # Same outline: the states differ only inside the sheet.
        for y in range(16):
            for x in range(16):
                same_shape = (on[y][x] is None) == (off[y][x] is None) == \
                             (suppressed[y][x] is None)
                self.assertTrue(same_shape, (x, y))
                if not (3 <= x <= 12 and 3 <= y <= 13):
                    self.assertEqual(on[y][x], off[y][x], (x, y))
                    self.assertEqual(on[y][x], suppressed[y][x], (x, y))
        self.assertNotEqual(on, off)
        self.assertNotEqual(on, suppressed)
        # The cross is red; the suppressed sheet is dark red.
        r, g, b = off[8][8]
        self.assertTrue(r > 200 and g < 60 and b < 60)
        r, g, b = suppressed[7][6]
        self.assertTrue(r > g + 80 and r < 200)


if __name__ == "__main__":
    unittest.main()
