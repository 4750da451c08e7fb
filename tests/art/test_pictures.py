#!/usr/bin/env python3
"""Tests for the committed pictures and for check_pictures.py.

    python3 tests/art/test_pictures.py            # checks the files as committed
    ART_REDRAW=1 python3 tests/art/test_pictures.py   # also reruns art/draw and
                                            # demands byte-identical output
"""

import collections
import hashlib
import os
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
HERE = os.path.join(ROOT, "art")
LRES = os.path.join(ROOT, "ORVANE_Quorbel_3", "res")
SRES = os.path.join(ROOT, "installazione", "res")
CHECK = os.path.join(HERE, "check_pictures.py")
CRIMSON = (0xB1, 0x0C, 0x2D)

PICTURES = [
    (os.path.join(LRES, "background.bmp"), 771, 350),
    (os.path.join(LRES, "indice.bmp"), 197, 37),
    (os.path.join(LRES, "licenza.bmp"), 96, 33),
    (os.path.join(LRES, "chiudi.bmp"), 96, 33),
    (os.path.join(SRES, "background.bmp"), 530, 350),
    (os.path.join(SRES, "win9x.bmp"), 301, 34),
    (os.path.join(SRES, "vista.bmp"), 301, 43),
    (os.path.join(SRES, "chiudi.bmp"), 96, 33),
]


def read(path):
    with open(path, "rb") as f:
        return f.read()


def read_bmp(path):
    """Returns (w, h, rows) with rows top first, each a list of (r, g, b)."""
    data = read(path)
    offset = struct.unpack_from("<I", data, 10)[0]
    w, h = struct.unpack_from("<ii", data, 18)
    stride = (3 * w + 3) & ~3
    rows = []
    for y in range(h):
        base = offset + (h - 1 - y) * stride
        rows.append([(data[base + 3 * x + 2], data[base + 3 * x + 1], data[base + 3 * x])
                     for x in range(w)])
    return w, h, rows


def run_check(path, w, h, bpp):
    return subprocess.run([sys.executable, CHECK, path, str(w), str(h), str(bpp)],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT)


def lum(c):
    return 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]


class Headers(unittest.TestCase):
    def test_every_picture_has_its_size_and_depth(self):
        for path, w, h in PICTURES:
            r = run_check(path, w, h, 24)
            self.assertEqual(r.returncode, 0, r.stdout.decode())

    def test_icons(self):
        for res in (LRES, SRES):
            r = run_check(os.path.join(res, "orvane.ico"), 32, 32, 8)
            self.assertEqual(r.returncode, 0, r.stdout.decode())


class CheckerRejects(unittest.TestCase):
    """check_pictures.py must say no to files that are wrong."""

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.good = read(os.path.join(LRES, "chiudi.bmp"))

    def tearDown(self):
        self.tmp.cleanup()

    def verdict(self, data, w=96, h=33, bpp=24):
        p = os.path.join(self.tmp.name, "x.bmp")
        with open(p, "wb") as f:
            f.write(data)
        return run_check(p, w, h, bpp)

    def test_accepts_the_original(self):
        self.assertEqual(self.verdict(self.good).returncode, 0)

    def test_wrong_size_or_depth(self):
        self.assertEqual(self.verdict(self.good, w=97).returncode, 1)
        self.assertEqual(self.verdict(self.good, h=32).returncode, 1)
        self.assertEqual(self.verdict(self.good, bpp=32).returncode, 1)

    def test_top_down(self):
        d = bytearray(self.good)
        struct.pack_into("<i", d, 22, -33)
        self.assertEqual(self.verdict(bytes(d)).returncode, 1)

    def test_compressed(self):
        d = bytearray(self.good)
        struct.pack_into("<I", d, 30, 1)
        self.assertEqual(self.verdict(bytes(d)).returncode, 1)

    def test_other_header_kind(self):
        d = bytearray(self.good)
        struct.pack_into("<I", d, 14, 108)
        self.assertEqual(self.verdict(bytes(d)).returncode, 1)

    def test_truncated(self):
        self.assertEqual(self.verdict(self.good[:-100]).returncode, 1)

    def test_not_a_picture(self):
        r = self.verdict(b"MZ" + bytes(100))
        self.assertEqual(r.returncode, 1)
        self.assertIn(b"neither", r.stdout)


class Faces(unittest.TestCase):
    def check_face(self, path, face, top_left_lighter=True):
        w, h, rows = read_bmp(path)
        count = collections.Counter(c for row in rows for c in row)
        self.assertEqual(count.most_common(1)[0][0], face, path)
        # raised edge: top/left lighter than the face, bottom/right darker
        self.assertGreater(lum(rows[0][w // 2]), lum(face))
        self.assertGreater(lum(rows[h // 2][0]), lum(face))
        self.assertLess(lum(rows[h - 1][w // 2]), lum(face))
        self.assertLess(lum(rows[h // 2][w - 1]), lum(face))
        return w, h, rows

    def text_box(self, w, h, rows, is_ink):
        xs = [x for y in range(2, h - 2) for x in range(2, w - 2) if is_ink(rows[y][x])]
        ys = [y for y in range(2, h - 2) for x in range(2, w - 2) if is_ink(rows[y][x])]
        self.assertTrue(xs, "no lettering found")
        return min(xs), min(ys), max(xs), max(ys)

    def assert_centred(self, w, h, box, slack=2):
        x0, y0, x1, y1 = box
        self.assertLessEqual(abs(x0 - (w - 1 - x1)), slack, box)
        self.assertLessEqual(abs(y0 - (h - 1 - y1)), slack, box)
        self.assertGreaterEqual(x0, 3)          # clear of the edge
        self.assertGreaterEqual(y0, 3)

    def test_crimson_faces(self):
        for name in ("indice.bmp", "licenza.bmp", "chiudi.bmp"):
            w, h, rows = self.check_face(os.path.join(LRES, name), CRIMSON)
            box = self.text_box(w, h, rows, lambda c: min(c) > 200)
            self.assert_centred(w, h, box)

    def test_grey_faces(self):
        for name in ("win9x.bmp", "vista.bmp", "chiudi.bmp"):
            w, h, rows = self.check_face(os.path.join(SRES, name), (192, 192, 192))
            self.assertEqual(rows[0][0], (255, 255, 255))
            self.assertEqual(rows[h - 1][w - 1], (0, 0, 0))
            box = self.text_box(w, h, rows, lambda c: max(c) < 60)
            self.assert_centred(w, h, box)

    def test_licence_face_has_two_lines(self):
        w, h, rows = read_bmp(os.path.join(LRES, "licenza.bmp"))
        inked = [any(min(c) > 200 for c in rows[y][2:w - 2]) for y in range(2, h - 2)]
        runs = sum(1 for i, v in enumerate(inked) if v and (i == 0 or not inked[i - 1]))
        self.assertEqual(runs, 2)


class Backgrounds(unittest.TestCase):
    def test_launcher_button_areas_are_calm(self):
        w, h, rows = read_bmp(os.path.join(LRES, "background.bmp"))
        for (left, top, bw, bh) in ((552, 56, 193, 41), (544, 272, 97, 33), (656, 272, 97, 33)):
            ls = [lum(rows[y][x]) for y in range(top, top + bh) for x in range(left, left + bw)]
            self.assertLess(max(ls) - min(ls), 12, (left, top))

    def test_launcher_title_is_bright_on_the_left(self):
        w, h, rows = read_bmp(os.path.join(LRES, "background.bmp"))
        bright = [(x, y) for y in range(h) for x in range(w) if min(rows[y][x]) > 230]
        self.assertGreater(len(bright), 1000)
        self.assertLess(max(x for x, _ in bright), 540)

    def test_setup_field_has_five_by_eight_pictograms(self):
        w, h, rows = read_bmp(os.path.join(SRES, "background.bmp"))
        field = collections.Counter(c for row in rows for c in row).most_common(1)[0][0]
        self.assertGreater(lum(field), 190)     # a light field
        marked = [[abs(lum(rows[y][x]) - lum(field)) > 8 for x in range(w)] for y in range(h)]
        seen = [[False] * w for _ in range(h)]
        blobs = []
        for y in range(h):
            for x in range(w):
                if marked[y][x] and not seen[y][x]:
                    stack, pts = [(x, y)], []
                    seen[y][x] = True
                    while stack:
                        px, py = stack.pop()
                        pts.append((px, py))
                        for nx in range(px - 2, px + 3):      # glyphs may have holes,
                            for ny in range(py - 2, py + 3):  # so join near pixels
                                if 0 <= nx < w and 0 <= ny < h and marked[ny][nx] and not seen[ny][nx]:
                                    seen[ny][nx] = True
                                    stack.append((nx, ny))
                    blobs.append(pts)
        self.assertEqual(len(blobs), 40)
        for pts in blobs:
            r, g, b = rows[pts[0][1]][pts[0][0]]
            self.assertTrue(abs(r - g) < 4 and abs(g - b) < 4, "pictograms are grey")
            self.assertLessEqual(max(y for _, y in pts), 316, "pictogram outside the visible rows")
            self.assertLess(max(x for x, _ in pts) - min(x for x, _ in pts), 40, "small")
        def groups(values):
            """Number of clusters of values lying within 12 px of a neighbour."""
            values = sorted(values)
            return 1 + sum(1 for a, b in zip(values, values[1:]) if b - a > 12)

        cx = [sum(x for x, _ in p) / len(p) for p in blobs]
        cy = [sum(y for _, y in p) / len(p) for p in blobs]
        self.assertEqual((groups(cy), groups(cx)), (5, 8))


class Icon(unittest.TestCase):
    def test_both_programs_share_identical_files(self):
        for name in ("orvane.ico", "orvane_icon_image.bin", "orvane_icon_group.bin"):
            a = read(os.path.join(LRES, name))
            b = read(os.path.join(SRES, name))
            self.assertEqual(a, b, name)

    def test_ico_layout_and_resources(self):
        ico = read(os.path.join(LRES, "orvane.ico"))
        image = read(os.path.join(LRES, "orvane_icon_image.bin"))
        group = read(os.path.join(LRES, "orvane_icon_group.bin"))
        self.assertEqual(struct.unpack_from("<HHH", ico, 0), (0, 1, 1))
        entry = struct.unpack_from("<BBBBHHII", ico, 6)
        self.assertEqual(entry[:6], (32, 32, 0, 0, 1, 8))
        self.assertEqual(entry[6], len(image))
        self.assertEqual(ico[entry[7]:], image)
        self.assertEqual(len(image), 40 + 1024 + 32 * 32 + 4 * 32)
        self.assertEqual(struct.unpack_from("<IiiHH", image, 0), (40, 32, 64, 1, 8))
        self.assertEqual(len(group), 20)
        self.assertEqual(struct.unpack("<HHHBBBBHHIH", group),
                         (0, 1, 1, 32, 32, 0, 0, 1, 8, len(image), 30001))

    def test_emblem(self):
        image = read(os.path.join(LRES, "orvane_icon_image.bin"))
        pal = [(image[40 + 4 * i + 2], image[40 + 4 * i + 1], image[40 + 4 * i]) for i in range(256)]
        xor = image[40 + 1024:40 + 1024 + 1024]
        andm = image[40 + 2048:]

        def transparent(x, y):        # y counted from the top
            return bool(andm[(31 - y) * 4 + x // 8] & (0x80 >> (x % 8)))

        def colour(x, y):
            return pal[xor[(31 - y) * 32 + x]]

        for x, y in ((0, 0), (31, 0), (0, 31), (31, 31)):
            self.assertTrue(transparent(x, y))
            self.assertEqual(colour(x, y), (0, 0, 0))   # so the screen shows through
        self.assertFalse(transparent(16, 16))
        used = collections.Counter(colour(x, y) for y in range(32) for x in range(32)
                                   if not transparent(x, y))
        self.assertIn(CRIMSON, used)
        self.assertIn((255, 255, 255), used)


@unittest.skipUnless(os.environ.get("ART_REDRAW"), "set ART_REDRAW=1 to rerun art/draw")
class Reproducible(unittest.TestCase):
    def test_redraw_gives_identical_bytes(self):
        files = [p for p, _, _ in PICTURES] + [
            os.path.join(res, n) for res in (LRES, SRES)
            for n in ("orvane.ico", "orvane_icon_image.bin", "orvane_icon_group.bin")]

        def digest():
            return {p: hashlib.sha256(read(p)).hexdigest() for p in files}

        before = digest()
        subprocess.run([os.path.join(HERE, "draw")], check=True, stdout=subprocess.DEVNULL)
        self.assertEqual(digest(), before)


if __name__ == "__main__":
    unittest.main()
