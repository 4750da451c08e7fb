"""The setup chooser looks for the product CD in the drive it was started from: its family buttons
start the CD's setup program for that family, or reveal the drive list when the CD is not there;
either way they end with the closing hint. The chooser runs from the CD (d:) here."""

import re
import unittest

from harness import poll
from test_chooser_window import (CLOSE, DRIVE1, FACES, NOTE, PROMPT_BAND, TITLE, VISTA, WIN9X, ChooserTestCase,
                                 drive_of)

SETUP_WIN9X = r"d:\win9\setup.exe"
SETUP_VISTA = r"d:\winvISTA\setup.exe"
STANDIN_CAPTION = "Setup stand-in"


class ChooserCdTest(ChooserTestCase):
    """The CD is in the drive held: its marker and both setup programs are there."""

    def setUp(self):
        super().setUp()
        self.make_cd()
        self.start_from_cd()

    def test_win9x_button_starts_the_win9x_setup_which_outlives_the_chooser(self):
        self.click(WIN9X)
        start = self.wait_setup_start()
        self.assertSetupStart(start, SETUP_WIN9X)
        self.wine.press(self.wait_hint())
        self.assertDriveListsRevealed(False)

        standin = self.wine.wait_window(STANDIN_CAPTION)
        self.assertEqual(standin["pid"], start["pid"])
        self.assertIsNone(self.process.poll(), "the chooser keeps running beside the setup program")
        self.assertIsNotNone(self.wine.find_window(re.escape(self.window["caption"])), "the chooser's window")

        self.click(CLOSE)
        self.assertEqual(self.wine.wait_exit(self.process), 0)
        standin = self.wine.find_window(STANDIN_CAPTION)
        self.assertIsNotNone(standin, "the setup program's window after the chooser ended")
        self.assertEqual(standin["pid"], start["pid"])
        self.assertEqual(len(self.wine.read_log(self.wine.standin_log)), 1, "setup programs started")

    def test_vista_button_starts_the_vista_setup(self):
        self.click(VISTA)
        start = self.wait_setup_start()
        self.assertSetupStart(start, SETUP_VISTA)
        self.wine.press(self.wait_hint())
        self.assertDriveListsRevealed(False)
        self.assertLabels(prompt=False, note=False)

    def test_enter_on_the_win9x_button_focused_at_start_clicks_it(self):
        self.wait_focus_on(WIN9X)
        self.wine.key("Return")
        start = self.wait_setup_start()
        self.assertSetupStart(start, SETUP_WIN9X)
        self.wait_hint()


class ChooserNoCdTest(ChooserTestCase):
    """The drive held has setup programs but no marker: it is not the CD."""

    def setUp(self):
        super().setUp()
        self.make_cd(marker=False)
        self.start_from_cd()

    def test_win9x_button_reveals_drive_list_prompt_and_note_then_hints(self):
        self.click(WIN9X)
        box = self.wait_hint()
        self.assertDriveListsRevealed(True)
        self.assertEqual(drive_of(self.drive_list()["selection"]), "d:", "the drive held")
        self.wine.press(box)
        self.assertLabels(prompt=True, note=True)
        self.assertBackgroundBesides(*FACES, DRIVE1, PROMPT_BAND, NOTE)
        self.assertEqual(self.wine.read_log(self.wine.standin_log), [], "setup programs started")

    def test_vista_button_reveals_drive_list_and_prompt_but_not_the_note(self):
        self.click(VISTA)
        box = self.wait_hint()
        self.assertDriveListsRevealed(True)
        self.wine.press(box)
        self.assertLabels(prompt=True, note=False)
        self.assertBackgroundBesides(*FACES, DRIVE1, PROMPT_BAND)
        self.assertEqual(self.wine.read_log(self.wine.standin_log), [], "setup programs started")


class ChooserMissingSetupTest(ChooserTestCase):
    """The CD's marker is there but its Win9x setup program is missing."""

    def setUp(self):
        super().setUp()
        self.make_cd(setups=["winvISTA"])
        self.start_from_cd()

    def test_missing_setup_is_reported_as_error_53_without_the_hint(self):
        self.click(WIN9X)
        report = self.wine.wait_message_box()
        self.assertEqual(report["title"], TITLE)
        self.assertTrue(report["text"].startswith("Errore di run-time '53':"), report["text"])
        self.assertEqual([b["text"].replace("&", "") for b in report["buttons"]], ["OK"])
        self.wine.press(report)

        # With a hint open after the report, the window would take no click: the Vista button
        # answering shows that none came.
        self.click(VISTA)
        start = self.wait_setup_start()
        self.assertSetupStart(start, SETUP_VISTA)
        self.wait_hint()
        boxes = poll(self.wine.message_boxes, what="the message boxes")
        self.assertEqual(len(boxes), 1, f"boxes open: {boxes}")


if __name__ == "__main__":
    unittest.main()
