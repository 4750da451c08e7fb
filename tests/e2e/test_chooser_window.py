"""The setup chooser's window under Wine: artwork, hidden controls, keyboard, closing, and the built
file itself.

ChooserTestCase holds what the chooser's end-to-end tests share: the CD folder (drive d:) with its
marker and the stand-in setup programs, starting the chooser from the CD or from c:, its controls
by client rectangle, and the looks of its two painted labels."""

import shutil
import unittest

from harness import FIRST_WINDOW_TIMEOUT, ROOT, WIN32_BIN, E2ETestCase, differences, poll, read_bmp

PROGRAM = "installazione.exe"
CAPTION = "ORVANE srl Lumbrasca - INSTALLAZIONE"
TITLE = "Installazione "
HINT = "Dopo l'installazione per avviare il programma START - PROGRAMMI - ORVANE_(nomeprodotto)"
RESOURCES = ROOT / "installazione" / "res"
CLIENT_SIZE = (530, 317)

# Client-area rectangles (x, y, w, h) of the controls.
WIN9X = (32, 16, 297, 33)
VISTA = (32, 64, 297, 33)
CLOSE = (32, 128, 89, 33)
DRIVE1 = (336, 168, 177, 21)
DRIVE2 = (336, 216, 178, 21)
PROMPT = (336, 144, 171, 17)
NOTE = (16, 192, 241, 49)
FACES = {WIN9X: "win9x.bmp", VISTA: "vista.bmp", CLOSE: "chiudi.bmp"}
# The prompt's one line may run past its label's right edge, up to the client's.
PROMPT_BAND = (PROMPT[0], PROMPT[1], CLIENT_SIZE[0] - PROMPT[0], PROMPT[3])

# The product CD: the marker at its root and one setup program per Windows family.
MARKER = "ORVANE.doc"
SETUP_FOLDERS = ("win9", "winvISTA")
WHITE = (255, 255, 255)


def inside(rect, x, y, margin=0):
    left, top, width, height = rect
    return left - margin <= x < left + width + margin and top - margin <= y < top + height + margin


def rect_points(rect):
    left, top, width, height = rect
    return [(x, y) for y in range(top, top + height) for x in range(left, left + width)]


def is_dark_red(colour):
    r, g, b = colour
    return r >= 128 and g <= 64 and b <= 64


def is_dark(colour):
    return max(colour) < 100


def drive_of(item):
    """The drive of a drive list's item ("d:" of "d: [LABEL]"), or None."""
    return item.split(" ")[0].lower() if item else None


class ChooserTestCase(E2ETestCase):
    """A test of the chooser: the CD folder is drive d:; self.window and self.process once started."""

    background = read_bmp(RESOURCES / "background.bmp")

    def make_cd(self, marker=True, setups=SETUP_FOLDERS):
        """Fills the CD folder: the marker, and the stand-in as setup.exe in each of `setups`."""
        if marker:
            (self.wine.cd / MARKER).write_text("ORVANE")
        for folder in setups:
            (self.wine.cd / folder).mkdir()
            shutil.copy2(WIN32_BIN / "setup_standin.exe", self.wine.cd / folder / "setup.exe")

    def start_from_cd(self):
        """Starts the chooser as d:\\installazione.exe from the CD's root."""
        shutil.copy2(WIN32_BIN / PROGRAM, self.wine.cd / PROGRAM)
        self._start(r"d:\installazione.exe", self.wine.cd)

    def start_from_c(self):
        """Starts the chooser as c:\\installazione.exe, from a drive without the CD."""
        self.wine.install_program(PROGRAM, self.wine.drive_c)
        self._start(r"c:\installazione.exe", self.wine.drive_c)

    def _start(self, program, cwd):
        self.process = self.wine.start(program, cwd=cwd)
        self.window = self.wine.wait_window(CAPTION, FIRST_WINDOW_TIMEOUT)

    # --- controls ---------------------------------------------------------------------------

    def client_rect(self, control):
        """A control's rectangle in client coordinates, as (x, y, w, h)."""
        x, y = self.wine.client_origin(self.window)
        r = control["rect"]
        return (r["x"] - x, r["y"] - y, r["w"], r["h"])

    def controls(self):
        """Every child window of the chooser (shown or hidden) by its client rectangle."""
        return {self.client_rect(c): c for c in self.wine.children(self.window)}

    def drive_list(self, rect=DRIVE1):
        return self.controls()[rect]

    def click(self, rect):
        left, top, width, height = rect
        self.wine.click_client(self.window, left + width // 2, top + height // 2)

    def focused_rect(self):
        focus = self.wine.focus()
        return focus and self.client_rect(focus)

    def wait_focus_on(self, rect):
        poll(lambda: self.focused_rect() == rect, what=f"the focus on the control at {rect}",
             seen=self.focused_rect)

    # --- boxes and stand-ins ----------------------------------------------------------------

    def wait_hint(self):
        """Waits for the closing hint; checks its title, text and lone OK button; returns it."""
        box = self.wine.wait_message_box()
        self.assertEqual(box["title"], TITLE)
        self.assertEqual(box["text"], HINT)
        self.assertEqual([b["text"].replace("&", "") for b in box["buttons"]], ["OK"])
        return box

    def wait_setup_starts(self, count=1):
        """Waits until the stand-in setup programs have logged `count` starts; returns the log."""
        return poll(lambda: len(log := self.wine.read_log(self.wine.standin_log)) >= count and log,
                    what=f"{count} start(s) of a setup program", seen=lambda: self.wine.read_log(self.wine.standin_log))

    def wait_setup_start(self):
        """Waits for the start of one setup program, checks it is the only one so far; returns its entry."""
        log = self.wait_setup_starts()
        self.assertEqual(len(log), 1, f"setup programs started: {log}")
        return log[0]

    def assertSetupStart(self, entry, path):
        """A log entry of the stand-in started as `path` (d:\\...), as the chooser starts a setup."""
        self.assertNotIn("error", entry)
        self.assertEqual(entry["module"].lower(), path.lower(), entry)
        self.assertEqual(entry["cwd"].lower(), path.lower().rsplit("\\", 1)[0], "its own folder as current folder")
        self.assertTrue(entry["use_show_window"], entry)
        self.assertEqual(entry["show"], 1, "SW_SHOWNORMAL")

    # --- the painted labels -----------------------------------------------------------------

    def shows_background(self, picture, rect):
        return not differences(picture, self.background, rect_points(rect))

    def shows_note(self, picture):
        """Label3 as a white rectangle exactly at its place, with dark text on it."""
        left, top, width, height = NOTE
        points = rect_points(NOTE)
        white = sum(picture.get(x, y) == WHITE for x, y in points)
        dark = sum(is_dark(picture.get(x, y)) for x, y in points)
        corners = [(x, y) for x in (left, left + width - 1) for y in (top, top + height - 1)]
        ring = set(rect_points((left - 1, top - 1, width + 2, height + 2))) - set(points)
        return (white >= len(points) // 2 and dark >= 150 and all(picture.get(x, y) == WHITE for x, y in corners)
                and not differences(picture, self.background, sorted(ring)))

    def dark_red_count(self, picture):
        return sum(is_dark_red(picture.get(x, y)) for x, y in rect_points(PROMPT_BAND))

    def assertLabels(self, prompt, note):
        """The prompt (Label1) and the note (Label3) are shown or hidden as said; a hidden one leaves
        the background untouched. Screenshots are taken until they are."""
        seen = {}

        def matches():
            picture = self.wine.client_picture(self.window)
            seen.update(dark_red_in_prompt_band=self.dark_red_count(picture), note_shown=self.shows_note(picture),
                        prompt_area_is_background=self.shows_background(picture, PROMPT_BAND),
                        note_area_is_background=self.shows_background(picture, NOTE))
            prompt_ok = seen["dark_red_in_prompt_band"] >= 100 if prompt else seen["prompt_area_is_background"]
            note_ok = seen["note_shown"] if note else seen["note_area_is_background"]
            return prompt_ok and note_ok
        try:
            poll(matches, what="the labels")
        except TimeoutError:
            self.fail(f"expected prompt {'shown' if prompt else 'hidden'}, note {'shown' if note else 'hidden'}; "
                      f"seen {seen}")

    def assertBackgroundBesides(self, *rects):
        """The client area shows the background picture on a grid of points away from `rects`."""
        points = [(x, y) for y in range(1, CLIENT_SIZE[1], 9) for x in range(2, CLIENT_SIZE[0], 9)
                  if not any(inside(rect, x, y, margin=2) for rect in rects)]
        self.assertClientShows(self.window, self.background, points, what=f"the background picture besides {rects}")

    def assertDriveListsRevealed(self, first):
        """Drive1 is shown (or hidden) at its place; Drive2 is never shown."""
        controls = self.controls()
        self.assertIn(DRIVE1, controls, f"a control at the drive list's place: {sorted(controls)}")
        self.assertEqual(controls[DRIVE1]["class"], "ComboBox")
        self.assertEqual(controls[DRIVE1]["visible"], first, "the drive list")
        self.assertFalse(controls[DRIVE2]["visible"], "the second drive list")


class ChooserWindowTest(ChooserTestCase):
    def setUp(self):
        super().setUp()
        self.make_cd()
        self.start_from_cd()

    def test_window_shows_the_background_and_three_buttons_only(self):
        self.assertEqual(self.window["caption"], CAPTION)
        self.assertEqual((self.window["client"]["w"], self.window["client"]["h"]), CLIENT_SIZE)

        controls = self.controls()
        self.assertEqual(sorted(rect for rect, c in controls.items() if c["visible"]), sorted(FACES),
                         "visible controls by client rectangle")
        for rect in (DRIVE1, DRIVE2):
            self.assertEqual(controls[rect]["class"], "ComboBox")
            self.assertFalse(controls[rect]["visible"], f"the drive list at {rect}")
            self.assertEqual(drive_of(controls[rect]["selection"]), "d:", "the drive the chooser was started from")

        self.assertBackgroundBesides(*FACES)
        self.assertLabels(prompt=False, note=False)

        self.assertFacesOnButtons(self.window, FACES, RESOURCES)

    def test_close_button_ends_the_program(self):
        self.click(CLOSE)
        self.assertEqual(self.wine.wait_exit(self.process), 0)


class ChooserKeyboardTest(ChooserTestCase):
    """No CD in the drive held, so that a click reveals the drive list."""

    def setUp(self):
        super().setUp()
        self.make_cd(marker=False)
        self.start_from_cd()

    def assertTabCycle(self, rects):
        """From the first of `rects`, Tab visits the others in order and comes back; Shift+Tab goes back."""
        self.wait_focus_on(rects[0])
        for rect in rects[1:] + rects[:1]:
            self.wine.key("Tab")
            self.wait_focus_on(rect)
        self.wine.key("shift+Tab")
        self.wait_focus_on(rects[-1])
        self.wine.key("Tab")
        self.wait_focus_on(rects[0])

    def test_tab_goes_through_the_buttons_then_also_the_drive_list_once_shown(self):
        self.assertTabCycle([WIN9X, CLOSE, VISTA])

        self.wine.key("space")
        self.wine.press(self.wait_hint())
        self.assertDriveListsRevealed(True)
        self.assertTabCycle([WIN9X, CLOSE, DRIVE1, VISTA])


if __name__ == "__main__":
    unittest.main()
