"""The launcher's first start under Wine, with the system's own file-system object (Wine's scrrun).

At the first start (no dati\\0_INDICE.doc yet) the product's documents and spreadsheets move into
"dati" and the licence documents (lic*.doc) come back beside the program. Whatever happens, no file
leaves the product folder without a byte-identical copy in "dati"; later starts move nothing."""

import hashlib
import re
import unittest

from harness import FIRST_WINDOW_TIMEOUT, ROOT, E2ETestCase, find_part, poll, read_bmp

PROGRAM = "ORVANE_Quorbel_3.exe"
CAPTION = "Orvane Lumbrasca"
TITLE = "ORVANE_Quorbel_3"
REPORT_START = "Errore di run-time '"

# Client-area rectangles (x, y, w, h) of the index and close buttons.
INDEX = (552, 56, 193, 41)
CLOSE = (656, 272, 97, 33)
INDEX_FACE = ROOT / "ORVANE_Quorbel_3" / "res" / "indice.bmp"

# The product folder of the first start: files and their sizes. Names in every case, with spaces
# and accents; "nota.docx" matches *.doc through its short name, "vecchio.doc.bak" matches nothing,
# and "cartella.doc" is a folder.
DOCUMENTS = {"0_INDICE.doc": 4000, "licenza.doc": 2500, "LIC_allegato.doc": 1800, "perché.doc": 900,
             "Relazione finale.doc": 70000, "CAPITOLO.DOC": 300}
SPREADSHEETS = {"conti.xls": 250000, "BILANCIO.XLS": 1200, "dati mensili.xls": 64}
LICENCES = {"licenza.doc", "LIC_allegato.doc"}
OTHERS = {"leggimi.txt": 500, "nota.docx": 700, "vecchio.doc.bak": 400, "cartella.doc/dentro.doc": 100,
          "cartella.doc/tabella.xls": 120}


def contents(name, size):
    """Bytes of their own for each file: its name, line ends, a NUL, an end-of-file mark and every
    byte value, repeated to `size` bytes."""
    seed = name.encode("utf-8") + b"\r\n\x00\x1a" + bytes(range(256))
    return (seed * (size // len(seed) + 1))[:size]


def fill(folder, files):
    """Writes `files` (relative path -> size) under `folder`, making subfolders as needed."""
    for name, size in files.items():
        path = folder / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(contents(name, size))


def tree(folder):
    """Every file and folder under `folder`: relative path -> "size sha256" of a file, "folder" of a folder."""
    found = {}
    for path in sorted(folder.rglob("*")):
        if path.is_dir():
            found[path.relative_to(folder).as_posix()] = "folder"
        else:
            data = path.read_bytes()
            found[path.relative_to(folder).as_posix()] = f"{len(data)} {hashlib.sha256(data).hexdigest()[:16]}"
    return found


def outside_dati(files):
    return {name: value for name, value in files.items() if name != "dati" and not name.startswith("dati/")}


def in_dati(files):
    return {name[len("dati/"):]: value for name, value in files.items() if name.startswith("dati/")}


class LauncherRun(E2ETestCase):
    """Starts of the launcher in the product folder of this test's prefix."""

    def setUp(self):
        super().setUp()
        self.program = self.wine.install_program(PROGRAM, self.wine.product)

    def start(self, timeout=FIRST_WINDOW_TIMEOUT):
        """Starts the launcher and waits for its window."""
        self.process = self.wine.start(self.program, cwd=self.wine.product)
        return self.wine.wait_window(CAPTION, timeout)

    def pointer(self):
        """The pointer's position on the screen."""
        found = re.search(r"x:(\d+) y:(\d+)", self.wine.xdotool("getmouselocation"))
        return int(found.group(1)), int(found.group(2))

    def move_mouse(self, window, x, y):
        """Moves the pointer to the client point (x, y) and waits until it is there. Not with
        `mousemove --sync`: with Wine's windows on the screen it waits 15 s for a pointer that is
        already in place."""
        origin_x, origin_y = self.wine.client_origin(window)
        target = (origin_x + x, origin_y + y)
        self.wine.xdotool("mousemove", *target)
        poll(lambda: self.pointer() == target, what=f"the pointer at {target}", seen=self.pointer)

    def click(self, window, x, y):
        """A click at the client point (x, y); the pointer leaves that point first, for the same reason."""
        self.move_mouse(window, x + 1, y)
        self.wine.click_client(window, x, y)

    def close(self, window):
        """Ends the launcher with its close button."""
        self.click(window, CLOSE[0] + CLOSE[2] // 2, CLOSE[1] + CLOSE[3] // 2)
        self.assertEqual(self.wine.wait_exit(self.process), 0, "exit code")

    def assertIndexButtonShown(self, window):
        """The index button's face is on the screen at its place."""
        face = read_bmp(INDEX_FACE)
        centre = face.crop(face.width // 2 - 12, face.height // 2 - 5, 24, 10)
        x, y, w, h = INDEX
        try:
            poll(lambda: find_part(self.wine.client_picture(window), centre, x + w // 2 - 12, y + h // 2 - 5, slack=4),
                 what="the index button's face on the screen")
        except TimeoutError as error:
            self.fail(str(error))

    def wait_report(self, timeout=FIRST_WINDOW_TIMEOUT):
        """Waits for the runtime's error report; returns the message box. X sees it first: an
        inspector started together with the program's first process in a prefix can hang."""
        try:
            poll(lambda: self.wine.x_windows(TITLE), timeout, what="the error report", seen=self.wine.describe_screen)
        except TimeoutError as error:
            self.fail(str(error))
        box = self.wine.wait_message_box(TITLE)
        self.assertTrue(box["text"].startswith(REPORT_START), f"the report's text: {box['text']!r}")
        return box

    def assertNoMessageBox(self):
        self.assertEqual([(b["title"], b["text"]) for b in self.wine.message_boxes()], [], "message boxes")

    def start_cleanly(self):
        """A start that shows the window and the index button, and no message box; ends it."""
        window = self.start()
        self.assertIndexButtonShown(window)
        self.assertNoMessageBox()
        self.close(window)

    def assertNothingLost(self, before, after):
        """Every file of the product folder before a start is still there unchanged, or gone and
        standing byte-identical in "dati" under its name."""
        copies = in_dati(after)
        for name, value in before.items():
            if value == "folder" or after.get(name) == value:
                continue
            self.assertNotIn(name, after, f"{name} changed in place")
            self.assertEqual(copies.get(name.rsplit("/", 1)[-1]), value,
                             f"{name} left the product folder without its copy in dati")


class FirstStartTest(LauncherRun):
    def test_documents_and_spreadsheets_move_into_dati_and_licences_come_back(self):
        fill(self.wine.product, DOCUMENTS | SPREADSHEETS | OTHERS)
        before = tree(self.wine.product)

        self.start_cleanly()

        after = tree(self.wine.product)
        self.assertNothingLost(before, after)
        moved = (set(DOCUMENTS) | set(SPREADSHEETS)) - LICENCES
        self.assertEqual(outside_dati(after), {name: value for name, value in before.items() if name not in moved},
                         "the product folder: no documents or spreadsheets but the licences, everything else untouched")
        dati = in_dati(after)
        for name in set(DOCUMENTS) | set(SPREADSHEETS):
            self.assertEqual(dati.get(name), before[name], f"the copy of {name} in dati")
        # The system's file-system object also takes files matched through their short names.
        for name, value in dati.items():
            self.assertEqual(value, before.get(name), f"dati/{name} is a copy of a file of the product folder")


class SecondStartTest(LauncherRun):
    def test_start_after_the_move_changes_nothing(self):
        fill(self.wine.product, DOCUMENTS | SPREADSHEETS | OTHERS)
        self.start_cleanly()
        fill(self.wine.product, {"nuovo.doc": 600, "lic_nuova.doc": 700, "Nuovo Foglio.XLS": 800, "aggiunta.xls": 90})
        before = tree(self.wine.product)

        self.start_cleanly()

        self.assertEqual(tree(self.wine.product), before, "the product folder and dati after a later start")


class FirstStartWithoutSpreadsheetsTest(LauncherRun):
    def test_failed_copy_is_reported_loses_nothing_and_counts_as_done(self):
        fill(self.wine.product, {name: DOCUMENTS[name] for name in ("0_INDICE.doc", "licenza.doc", "perché.doc")}
             | {"leggimi.txt": 500})
        before = tree(self.wine.product)

        self.process = self.wine.start(self.program, cwd=self.wine.product)
        self.wine.press(self.wait_report(), "OK")
        window = self.wine.wait_window(CAPTION)
        self.assertIndexButtonShown(window)
        self.assertNoMessageBox()
        self.assertIsNone(self.process.poll(), "the program still runs after the report")

        after = tree(self.wine.product)
        self.assertNothingLost(before, after)
        self.assertEqual(outside_dati(after), before, "the product folder after the failed first start")
        self.assertEqual(in_dati(after), {name: before[name] for name in before if name.endswith(".doc")},
                         "dati: the documents copied before the spreadsheets failed")
        self.close(window)

        self.start_cleanly()
        self.assertEqual(tree(self.wine.product), after, "the start after the failed one moves nothing")


if __name__ == "__main__":
    unittest.main()
