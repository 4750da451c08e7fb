"""The launcher's window under Wine: artwork, buttons, keyboard, closing, and the built file itself.

The product folder already holds dati\\0_INDICE.doc, so a start moves nothing and only shows the
index button."""

import unittest

from harness import FIRST_WINDOW_TIMEOUT, ROOT, E2ETestCase, poll, read_bmp

PROGRAM = "ORVANE_Quorbel_3.exe"
CAPTION = "Orvane Lumbrasca"
RESOURCES = ROOT / "ORVANE_Quorbel_3" / "res"

# Client-area rectangles (x, y, w, h) of the buttons, and the pictures on their faces.
INDEX = (552, 56, 193, 41)
LICENCE = (544, 272, 97, 33)
CLOSE = (656, 272, 97, 33)
FACES = {INDEX: "indice.bmp", LICENCE: "licenza.bmp", CLOSE: "chiudi.bmp"}


def inside(rect, x, y, margin=0):
    left, top, width, height = rect
    return left - margin <= x < left + width + margin and top - margin <= y < top + height + margin


class LauncherWindowTest(E2ETestCase):
    def setUp(self):
        super().setUp()
        product = self.wine.product
        (product / "dati").mkdir(parents=True)
        (product / "dati" / "0_INDICE.doc").write_text("indice")
        (product / "licenza.doc").write_text("licenza")
        (product / "note.doc").write_text("note")
        program = self.wine.install_program(PROGRAM, product)
        self.files_before = self.product_files()
        self.process = self.wine.start(program, cwd=product)
        self.window = self.wine.wait_window(CAPTION, FIRST_WINDOW_TIMEOUT)

    def product_files(self):
        return sorted(str(p.relative_to(self.wine.product)) for p in self.wine.product.rglob("*"))

    def client_rect(self, control):
        """A control's rectangle in client coordinates, as (x, y, w, h)."""
        x, y = self.wine.client_origin(self.window)
        r = control["rect"]
        return (r["x"] - x, r["y"] - y, r["w"], r["h"])

    def buttons(self):
        """The window's visible controls by their client rectangle."""
        return {self.client_rect(c): c for c in self.wine.children(self.window) if c["visible"]}

    def assertFocusOn(self, rect):
        poll(lambda: (focus := self.wine.focus()) is not None and self.client_rect(focus) == rect,
             what=f"the focus on the button at {rect}",
             seen=lambda: self.wine.focus() and self.client_rect(self.wine.focus()))

    def test_window_shows_the_background_and_the_three_buttons(self):
        self.assertEqual(self.window["caption"], CAPTION)
        self.assertEqual((self.window["client"]["w"], self.window["client"]["h"]), (771, 350))
        buttons = poll(lambda: b if INDEX in (b := self.buttons()) else None,
                       what="the index button to show", seen=lambda: sorted(self.buttons()))
        self.assertEqual(sorted(buttons), sorted(FACES), "visible controls by client rectangle")

        background = read_bmp(RESOURCES / "background.bmp")
        points = [(x, y) for y in range(2, 350, 12) for x in range(3, 771, 12)
                  if not any(inside(rect, x, y, margin=2) for rect in FACES)]
        self.assertClientShows(self.window, background, points, what="the background picture")

        self.assertFacesOnButtons(self.window, FACES, RESOURCES)

        self.assertEqual(self.product_files(), self.files_before, "a start with the index in place moves nothing")

    def test_close_button_ends_the_program(self):
        self.wine.click_client(self.window, CLOSE[0] + CLOSE[2] // 2, CLOSE[1] + CLOSE[3] // 2)
        self.assertEqual(self.wine.wait_exit(self.process, timeout=2), 0)

    def test_caption_close_button_ends_the_program(self):
        self.wine.click_rect(self.window["close_button"])
        self.assertEqual(self.wine.wait_exit(self.process), 0)

    def test_alt_f4_ends_the_program(self):
        self.assertFocusOn(CLOSE)
        self.wine.key("alt+F4")
        self.assertEqual(self.wine.wait_exit(self.process), 0)

    def test_tab_goes_from_close_to_index_to_licence_and_round(self):
        self.assertFocusOn(CLOSE)
        for rect in (INDEX, LICENCE, CLOSE):
            self.wine.key("Tab")
            self.assertFocusOn(rect)
        self.wine.key("shift+Tab")
        self.assertFocusOn(LICENCE)


if __name__ == "__main__":
    unittest.main()
