"""The launcher's document buttons under Wine: the index and the licence open in the word processor
(the stand-in registered as "word.application", which logs every call), under the hourglass
pointer, which a failed step leaves until a later click gets through."""

import unittest

from harness import TIMEOUT, poll, run
from test_launcher_first_start import CLOSE, DOCUMENTS, INDEX, SPREADSHEETS, LauncherRun, fill

LICENCE = (544, 272, 97, 33)
INDEX_DOCUMENT = "c:\\PROGRAMMI\\ORVANE_Quorbel_3\\dati\\0_INDICE.doc"
LICENCE_DOCUMENT = "c:\\PROGRAMMI\\ORVANE_Quorbel_3\\licenza.doc"
# Where the template's `regsvr32` put the stand-in: its programmatic identifier and its class.
WORD_KEYS = ("HKCR\\word.application", "HKCR\\CLSID\\{D275519D-92DC-4889-B160-0ED8C13EE74C}")
# A point of the window's background, away from every button.
BACKGROUND = (200, 180)


def opened(path):
    """The word processor's log of one document opened and shown."""
    return [{"event": "created"}, {"call": "Documents"}, {"call": "Open", "args": [path], "failed": False},
            {"call": "Visible", "value": -1}, {"event": "released"}]


def centre(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


class DocumentButtons(LauncherRun):
    """After a first start of a product folder with documents and spreadsheets, the window is up."""

    word_registered = True

    def setUp(self):
        super().setUp()
        if not self.word_registered:
            # The template registered the stand-in (regsvr32): this test's prefix forgets it.
            # One Wine process for both keys: each start of one costs seconds.
            run(["wine", "cmd", "/c", " && ".join(f"reg delete {key} /f" for key in WORD_KEYS)], env=self.wine.env)
        fill(self.wine.product, DOCUMENTS | SPREADSHEETS)
        self.window = self.start()
        self.assertIndexButtonShown(self.window)
        self.assertNoMessageBox()

    def click_button(self, rect):
        self.click(self.window, *centre(rect))

    def word_log(self, entries):
        """Waits until the word processor has logged `entries` lines; returns them all."""
        def logged():
            return self.wine.read_log(self.wine.word_log)
        return poll(lambda: log if len(log := logged()) >= entries else None,
                    what=f"{entries} lines in the word processor's log", seen=logged)

    def assertPointer(self, shape, at):
        """The pointer is `shape` ("wait" or "arrow") with the mouse over the client point `at`."""
        self.move_mouse(self.window, *at)
        try:
            poll(lambda: self.wine.cursor()["shape"] == shape, what=f"the {shape} pointer at {at}",
                 seen=self.wine.cursor)
        except TimeoutError as error:
            self.fail(str(error))


class IndexAndLicenceTest(DocumentButtons):
    def test_index_then_licence_open_their_documents(self):
        self.click_button(INDEX)
        self.assertEqual(self.word_log(5), opened(INDEX_DOCUMENT), "the index button")
        self.click_button(LICENCE)
        self.assertEqual(self.word_log(10)[5:], opened(LICENCE_DOCUMENT), "the licence button")
        self.assertNoMessageBox()
        self.assertPointer("arrow", BACKGROUND)

    def test_index_without_its_document_does_nothing(self):
        (self.wine.product / "dati" / "0_INDICE.doc").unlink()
        self.click_button(INDEX)
        # Clicks are handled in turn: once the licence is logged, the index click is done.
        self.click_button(LICENCE)
        self.assertEqual(self.word_log(5), opened(LICENCE_DOCUMENT), "the index button opens nothing")
        self.assertNoMessageBox()


class NoWordProcessorTest(DocumentButtons):
    word_registered = False

    def test_index_reports_429_keeps_the_hourglass_and_closes(self):
        self.click_button(INDEX)
        box = self.wait_report(TIMEOUT)
        self.assertTrue(box["text"].startswith("Errore di run-time '429'"), f"the report's text: {box['text']!r}")
        self.wine.press(box, "OK")
        self.assertIsNone(self.process.poll(), "the program still runs after the report")
        self.assertEqual(self.wine.read_log(self.wine.word_log), [], "no word processor was reached")
        self.assertPointer("wait", BACKGROUND)
        self.assertPointer("wait", centre(CLOSE))
        self.close(self.window)


class MissingLicenceTest(DocumentButtons):
    def test_failed_open_is_reported_and_the_hourglass_stays_until_an_open_succeeds(self):
        (self.wine.product / "licenza.doc").unlink()
        self.click_button(LICENCE)
        box = self.wait_report(TIMEOUT)
        self.assertEqual(self.word_log(4), [{"event": "created"}, {"call": "Documents"},
                                            {"call": "Open", "args": [LICENCE_DOCUMENT], "failed": True},
                                            {"event": "released"}], "the licence button, Visible never set")
        self.wine.press(box, "OK")
        self.assertPointer("wait", BACKGROUND)

        self.click_button(INDEX)
        self.assertEqual(self.word_log(9)[4:], opened(INDEX_DOCUMENT), "the index button after the failure")
        self.assertPointer("arrow", BACKGROUND)
        self.assertNoMessageBox()


if __name__ == "__main__":
    unittest.main()
