"""The road of a first installation and first use, in one prefix.

The user starts the setup chooser from the CD (d:) and clicks its Windows 9x button; the chooser
finds the CD marker, starts the CD's setup program (a stand-in that installs the product folder and
ends) and shows the hint on the Start menu. Later the user starts the installed launcher: its first
start moves the documents and spreadsheets into "dati", its index button opens the index in the word
processor (a stand-in), and the close buttons end both programs.

`Road` prepares the CD and the product and walks the steps; the test checks each one on the screen
and on disk, and demo.py walks the same road for a newcomer."""

import hashlib
import json
import shutil

from harness import FIRST_WINDOW_TIMEOUT, ROOT, TIMEOUT, WIN32_BIN, E2ETestCase, find_part, poll, read_bmp

CHOOSER = "installazione.exe"
LAUNCHER = "ORVANE_Quorbel_3.exe"
CHOOSER_CAPTION = "ORVANE srl Lumbrasca - INSTALLAZIONE"
LAUNCHER_CAPTION = "Orvane Lumbrasca"
HINT_TITLE = "Installazione "
HINT_TEXT = "Dopo l'installazione per avviare il programma START - PROGRAMMI - ORVANE_(nomeprodotto)"
INSTALLED_LAUNCHER = r"c:\PROGRAMMI\ORVANE_Quorbel_3\ORVANE_Quorbel_3.exe"
INDEX_DOCUMENT = r"c:\PROGRAMMI\ORVANE_Quorbel_3\dati\0_INDICE.doc"

# Client-area rectangles (x, y, w, h) of the buttons on the road, and of what the chooser hides
# while the CD is found: its drive lists and their prompts, and the note on the installation folder.
WIN9X = (32, 16, 297, 33)
CHOOSER_CLOSE = (32, 128, 89, 33)
INDEX = (552, 56, 193, 41)
LAUNCHER_CLOSE = (656, 272, 97, 33)
CHOOSER_BUTTONS = {WIN9X: "win9x.bmp", (32, 64, 297, 33): "vista.bmp", CHOOSER_CLOSE: "chiudi.bmp"}
LAUNCHER_BUTTONS = {INDEX: "indice.bmp", (544, 272, 97, 33): "licenza.bmp", LAUNCHER_CLOSE: "chiudi.bmp"}
CHOOSER_ART = ROOT / "installazione" / "res"
LAUNCHER_ART = ROOT / "ORVANE_Quorbel_3" / "res"

# What the setup program installs beside the launcher: documents, spreadsheets and a file that is
# neither. Texts in Windows-1252, accents included, each with bytes of its own.
PRODUCT = {
    "0_INDICE.doc": "Orvane Lumbrasca - Quorbel 3\r\nIndice dei documenti\r\n",
    "licenza.doc": "Contratto di licenza d'uso del prodotto Orvane Lumbrasca.\r\n",
    "1_introduzione.doc": "Introduzione al prodotto: perché e come usarlo.\r\n",
    "2_schede.doc": "Schede di lavoro, qualità e quantità.\r\n",
    "tabelle.xls": "Tabella\tValore\r\nUno\t1\r\nDue\t2\r\n",
    "prezzi.xls": "Articolo\tPrezzo\r\nQuaderno\t3,50 €\r\n",
    "leggimi.txt": "Leggimi: il prodotto si avvia da START - PROGRAMMI.\r\n",
}
DOCUMENTS_AND_SPREADSHEETS = {name for name in PRODUCT if name.endswith((".doc", ".xls"))}
LICENCES = {"licenza.doc"}


def centre(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


def tree(folder):
    """Every file under `folder`: relative path (with /) -> the start of its SHA-256."""
    return {path.relative_to(folder).as_posix(): hashlib.sha256(path.read_bytes()).hexdigest()[:12]
            for path in sorted(folder.rglob("*")) if path.is_file()}


def json_lines(path):
    """The complete JSON lines of a log (a line still being written is left out)."""
    if not path.exists():
        return []
    return [json.loads(line) for line in path.read_text(encoding="utf-8").splitlines(keepends=True)
            if line.endswith("\n") and line.strip()]


class Road:
    """The CD and the product of one road in a WineSession, and the user's steps on it.

    The CD holds the marker ORVANE.doc, the chooser, the stand-in setup program as win9\\setup.exe
    and, in win9\\prodotto, what that setup installs into c:\\PROGRAMMI\\ORVANE_Quorbel_3."""

    def __init__(self, session):
        self.session = session
        cd = session.cd
        (cd / "ORVANE.doc").write_bytes(b"ORVANE\r\n")
        shutil.copy2(WIN32_BIN / CHOOSER, cd / CHOOSER)
        (cd / "win9").mkdir()
        shutil.copy2(WIN32_BIN / "setup_standin.exe", cd / "win9" / "setup.exe")
        self.payload = cd / "win9" / "prodotto"
        self.payload.mkdir()
        for name, text in PRODUCT.items():
            (self.payload / name).write_bytes(text.encode("cp1252"))
        shutil.copy2(WIN32_BIN / LAUNCHER, self.payload / LAUNCHER)
        session.env.update(ORVANE_STANDIN_INSTALL_FROM=r"d:\win9\prodotto", ORVANE_STANDIN_EXIT_AT_ONCE="1")

    def start_chooser(self):
        """Starts the chooser from the CD, as from d:\\; returns its process and its window."""
        process = self.session.start(r"d:\%s" % CHOOSER, cwd=self.session.cd)
        return process, self.session.wait_window(CHOOSER_CAPTION, FIRST_WINDOW_TIMEOUT)

    def click_win9x(self, chooser):
        """Clicks the Windows 9x button; returns the hint box once it shows."""
        self.session.click_client(chooser, *centre(WIN9X))
        self.session.wait_window(HINT_TITLE)
        return self.session.wait_message_box(HINT_TITLE)

    def setup_runs(self):
        """The setup program's runs so far, each logged once it has installed the product."""
        return json_lines(self.session.standin_log)

    def wait_installed(self):
        return poll(self.setup_runs, what="the setup program to install the product",
                    seen=lambda: sorted(tree(self.session.programmi)))

    def start_launcher(self):
        """Starts the installed launcher in its folder; returns its process and its window."""
        process = self.session.start(INSTALLED_LAUNCHER, cwd=self.session.product)
        return process, self.session.wait_window(LAUNCHER_CAPTION, FIRST_WINDOW_TIMEOUT)

    def visible_controls(self, window):
        """Client rectangles (x, y, w, h) of the window's visible controls."""
        origin_x, origin_y = self.session.client_origin(window)
        return {(c["rect"]["x"] - origin_x, c["rect"]["y"] - origin_y, c["rect"]["w"], c["rect"]["h"])
                for c in self.session.children(window) if c["visible"]}

    def wait_index_button(self, launcher):
        """Waits until the load handler has shown the index button."""
        poll(lambda: INDEX in self.visible_controls(launcher), what="the index button to show",
             seen=lambda: sorted(self.visible_controls(launcher)))

    def wait_faces(self, window, art, buttons):
        """Waits until the centre of each button's picture (a file in `art`) shows at its button's place."""
        for rect, face_file in buttons.items():
            face = read_bmp(art / face_file)
            part = face.crop(face.width // 2 - 12, face.height // 2 - 5, 24, 10)
            x, y = centre(rect)
            poll(lambda: find_part(self.session.client_picture(window), part, x - 12, y - 5, slack=4),
                 what=f"the centre of {face_file} at {rect}")

    def word_calls(self):
        return json_lines(self.session.word_log)

    def click_index(self, launcher):
        """Clicks the index button; returns the word processor's calls once it has been made visible."""
        self.session.click_client(launcher, *centre(INDEX))
        return poll(lambda: (calls := self.word_calls()) and any(c.get("call") == "Visible" for c in calls) and calls,
                    what="the word processor to be made visible", seen=self.word_calls)


class RoadTest(E2ETestCase):
    maxDiff = None

    def setUp(self):
        super().setUp()
        self.road = Road(self.wine)

    def assertFaces(self, window, art, buttons):
        try:
            self.road.wait_faces(window, art, buttons)
        except TimeoutError as error:
            self.fail(str(error))

    def assertBackground(self, window, art, buttons, what):
        """The background picture shows everywhere but on the buttons (a hidden control shows none)."""
        def on_button(x, y):
            return any(bx - 2 <= x < bx + bw + 2 and by - 2 <= y < by + bh + 2 for bx, by, bw, bh in buttons)
        client = window["client"]
        points = [(x, y) for y in range(2, client["h"], 7) for x in range(3, client["w"], 7) if not on_button(x, y)]
        self.assertClientShows(window, read_bmp(art / "background.bmp"), points, what=what)

    def close_with_button(self, process, window, rect, caption):
        self.wine.click_client(window, *centre(rect))
        self.assertEqual(self.wine.wait_exit(process), 0, f"exit code of {caption}")
        self.wine.wait_window_gone(caption)

    def test_first_installation_and_first_use(self):
        chooser_process, chooser = self.chooser_started_from_the_cd()
        self.win9x_button_starts_the_setup_and_shows_the_hint(chooser)
        self.setup_installs_the_product()
        launcher_process, launcher = self.launcher_first_start_moves_the_documents()
        self.index_button_opens_the_index(launcher)
        self.close_with_button(launcher_process, launcher, LAUNCHER_CLOSE, LAUNCHER_CAPTION)
        self.close_with_button(chooser_process, chooser, CHOOSER_CLOSE, CHOOSER_CAPTION)
        self.assertEqual(len(self.road.setup_runs()), 1, "the setup program ran once")
        self.assertEqual(sum("call" in c for c in self.road.word_calls()), 3, "calls to the word processor")

    def chooser_started_from_the_cd(self):
        process, chooser = self.road.start_chooser()
        self.assertEqual((chooser["client"]["w"], chooser["client"]["h"]), (530, 317), "chooser's client size")
        self.assertEqual(self.road.visible_controls(chooser), set(CHOOSER_BUTTONS), "the chooser's visible controls")
        self.assertFaces(chooser, CHOOSER_ART, CHOOSER_BUTTONS)
        self.assertBackground(chooser, CHOOSER_ART, CHOOSER_BUTTONS, "the chooser without drive lists and prompts")
        self.assertEqual(self.road.setup_runs(), [], "a setup program ran before any click")
        return process, chooser

    def win9x_button_starts_the_setup_and_shows_the_hint(self, chooser):
        box = self.road.click_win9x(chooser)
        self.assertEqual((box["title"], box["text"]), (HINT_TITLE, HINT_TEXT))
        self.assertEqual([b["text"].replace("&", "") for b in box["buttons"]], ["OK"], "the hint's buttons")
        self.assertEqual(box["pid"], chooser["pid"], "the hint is the chooser's")
        self.wine.press(box, "OK")
        self.wine.wait_window_gone(HINT_TITLE)
        self.assertEqual(self.road.visible_controls(chooser), set(CHOOSER_BUTTONS), "the chooser's controls")
        self.assertBackground(chooser, CHOOSER_ART, CHOOSER_BUTTONS, "the chooser after the hint, no prompts")

    def setup_installs_the_product(self):
        runs = self.road.wait_installed()
        self.assertEqual(len(runs), 1, runs)
        run = runs[0]
        self.assertEqual(run["module"].lower(), r"d:\win9\setup.exe", "the setup program started")
        self.assertEqual((run["use_show_window"], run["show"]), (True, 1), "started in a normal window with focus")
        self.assertEqual(run["installed_files"], len(PRODUCT) + 1, "files installed")
        self.assertEqual(tree(self.wine.product), tree(self.road.payload), "the installed product folder")

    def launcher_first_start_moves_the_documents(self):
        installed = tree(self.wine.product)
        process, launcher = self.road.start_launcher()
        self.assertEqual((launcher["client"]["w"], launcher["client"]["h"]), (771, 350), "launcher's client size")
        self.road.wait_index_button(launcher)
        self.assertEqual(self.road.visible_controls(launcher), set(LAUNCHER_BUTTONS), "the launcher's visible controls")
        self.assertFaces(launcher, LAUNCHER_ART, LAUNCHER_BUTTONS)
        self.assertBackground(launcher, LAUNCHER_ART, LAUNCHER_BUTTONS, "the launcher's background")

        moved = {name: installed[name] for name in DOCUMENTS_AND_SPREADSHEETS}
        expected = {name: digest for name, digest in installed.items() if name not in DOCUMENTS_AND_SPREADSHEETS}
        expected |= {name: installed[name] for name in LICENCES}
        expected |= {f"dati/{name}": digest for name, digest in moved.items()}
        self.assertEqual(tree(self.wine.product), expected, "the product folder after the first start")
        self.assertEqual(self.wine.message_boxes(), [], "message boxes after the first start")
        return process, launcher

    def index_button_opens_the_index(self, launcher):
        calls = self.road.click_index(launcher)
        made = [c for c in calls if "call" in c]
        self.assertEqual([c["call"] for c in made], ["Documents", "Open", "Visible"], calls)
        self.assertEqual([a.lower() for a in made[1]["args"]], [INDEX_DOCUMENT.lower()], "the document opened")
        self.assertFalse(made[1]["failed"], "the index document was there to open")
        self.assertEqual(made[2]["value"], -1, "Visible set to True")
        poll(lambda: self.wine.cursor()["shape"] == "arrow", TIMEOUT, what="the hourglass to go",
             seen=self.wine.cursor)
        self.assertEqual(self.wine.message_boxes(), [], "message boxes after the index click")
