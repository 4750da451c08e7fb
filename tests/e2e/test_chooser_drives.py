"""Pointing the chooser at the CD: started from a drive without the CD (c:), a family button reveals
the drive list; choosing the CD's drive (d:) in it starts the CD's Win9x setup program, with no
box; choosing a drive without the CD starts nothing. The drive is chosen with the keyboard.

The stand-in setup programs end as soon as they have logged their start, so that no window of
theirs takes the focus from the drive list."""

import unittest

from harness import poll
from test_chooser_window import DRIVE1, FACES, PROMPT_BAND, VISTA, ChooserTestCase, drive_of

SETUP_WIN9X = r"d:\win9\setup.exe"


class ChooserDriveListCase(ChooserTestCase):
    """Started from c:, Command3 clicked: the drive list is shown and holds c:."""

    def setUp(self):
        super().setUp()
        self.make_cd()
        self.wine.set_cd(self.wine.cd, label="ORVANE")
        self.wine.env["ORVANE_STANDIN_EXIT_AT_ONCE"] = "1"
        self.start_from_c()
        self.assertEqual(drive_of(self.drive_list()["selection"]), "c:", "the drive the chooser was started from")
        self.click(VISTA)
        self.wine.press(self.wait_hint())
        self.assertDriveListsRevealed(True)
        self.assertEqual(self.wine.read_log(self.wine.standin_log), [], "setup programs started from c:")

    def selected_drive(self):
        return drive_of(self.drive_list()["selection"])

    def press_until_selected(self, key, drive, presses=6):
        """Presses `key` on the drive list until its selection is `drive`, one change at a time."""
        for _ in range(presses):
            current = self.selected_drive()
            if current == drive:
                return
            self.wine.key(key)
            poll(lambda: self.selected_drive() != current, what=f"{key} to move the drive list's selection")
        self.assertEqual(self.selected_drive(), drive)

    def assertStillRevealedWithoutBoxes(self):
        self.assertEqual(self.wine.message_boxes(), [], "no box on a drive chosen")
        self.assertDriveListsRevealed(True)
        self.assertLabels(prompt=True, note=False)


class ChooserClosedDriveListTest(ChooserDriveListCase):
    def test_down_and_up_on_the_closed_list_choose_at_once(self):
        for _ in range(4):  # from Command3: Command1, Command2, then the drive list
            before = self.focused_rect()
            if before == DRIVE1:
                break
            self.wine.key("Tab")
            poll(lambda: self.focused_rect() != before, what="Tab to move the focus")
        self.assertEqual(self.focused_rect(), DRIVE1, "the focus on the drive list")

        self.press_until_selected("Down", "d:")
        start = self.wait_setup_start()
        self.assertSetupStart(start, SETUP_WIN9X)
        self.assertStillRevealedWithoutBoxes()

        # Back to the drive without the CD: nothing starts, no box (a box would take the keys that
        # choose the CD again below).
        self.press_until_selected("Up", "c:")
        self.assertEqual(self.wine.message_boxes(), [], "no box on a drive without the CD")
        self.press_until_selected("Down", "d:")
        starts = self.wait_setup_starts(2)
        self.assertEqual(len(starts), 2, starts)
        self.assertSetupStart(starts[1], SETUP_WIN9X)
        self.assertStillRevealedWithoutBoxes()


class ChooserOpenDriveListTest(ChooserDriveListCase):
    def test_the_open_list_chooses_on_return_only(self):
        self.click(DRIVE1)
        self.wait_focus_on(DRIVE1)
        self.press_until_selected("Down", "d:")
        self.wine.key("Escape")
        poll(lambda: self.selected_drive() == "c:", what="Escape to bring back the drive held",
             seen=self.selected_drive)

        self.wine.key("alt+Down")
        self.press_until_selected("Down", "d:")
        self.wine.key("Return")
        start = self.wait_setup_start()
        self.assertSetupStart(start, SETUP_WIN9X)
        self.assertEqual(self.selected_drive(), "d:")
        self.assertStillRevealedWithoutBoxes()
        self.assertBackgroundBesides(*FACES, DRIVE1, PROMPT_BAND)
        self.assertEqual(len(self.wine.read_log(self.wine.standin_log)), 1, "setup programs started")


if __name__ == "__main__":
    unittest.main()
