"""DLL planting: a DLL of ours lies beside each program under the names of system DLLs that get
loaded after the program has started, and must never be loaded while the program starts, moves
the documents, opens one, starts a setup program or shows a message box.

Wine prefers its own builtin DLLs to a file of the same name in the program's folder; the
environment asks it to prefer a native file for the planted names, as Windows does for a DLL
that is not one of its known DLLs. A control proves that the planting works in this setting: the
stand-in setup program, which has no start-up hardening, loads the planted DLL from its folder
in the same session.

Not planted: version.dll and imm32.dll. Under Wine the system DLLs that the programs import load
them before the programs' entry point runs, where no call of the program can have any effect.
Nor ole32.dll: under Wine imm32 loads it by name when the window is first activated, and finds a
planted file in the program's folder despite the program's search settings (Windows always takes
it from its own folder, as one of its known DLLs). oleaut32.dll and shell32.dll, which the
programs load themselves at first use, are planted."""

import shutil

from harness import FIRST_WINDOW_TIMEOUT, WIN32_BIN, E2ETestCase, poll

PLANTED = ("uxtheme", "dwmapi", "comctl32", "msctf", "oleacc", "scrrun", "clbcatq", "propsys",
           "windowscodecs", "apphelp", "cryptbase", "oleaut32", "shell32")
CONTROL = "setup_standin.exe"
CONTROL_CAPTION = "Setup stand-in"


class HardeningTestCase(E2ETestCase):
    def setUp(self):
        super().setUp()
        self.planted_log = self.wine.folder / "planted.log"
        overrides = self.wine.env["WINEDLLOVERRIDES"]
        self.wine.env.update(ORVANE_PLANTED_LOG=str(self.planted_log),
                             WINEDLLOVERRIDES=f"{overrides};{','.join(PLANTED)}=n,b")

    def plant(self, folder):
        for name in PLANTED:
            shutil.copy2(WIN32_BIN / "planted_dll.dll", folder / f"{name}.dll")

    def loads(self):
        """The planted DLLs loaded so far: (DLL, program), file names lowercased."""
        def name(path):
            return path.rsplit("\\", 1)[-1].lower()
        return [(name(line["dll"]), name(line["program"])) for line in self.wine.read_log(self.planted_log)]

    def run_control(self, folder):
        """Starts the stand-in setup program from `folder` (planted too), waits for its window and
        ends it: a program without the hardening."""
        self.plant(folder)
        shutil.copy2(WIN32_BIN / CONTROL, folder / CONTROL)
        process = self.wine.start(folder / CONTROL, cwd=folder)
        self.wine.wait_window(CONTROL_CAPTION)
        self.wine.standin_quit.touch()
        self.assertEqual(self.wine.wait_exit(process), 0)
        self.wine.standin_quit.unlink()

    def assertOnlyControlLoadedPlanted(self, program, control=CONTROL):
        loads = self.loads()
        self.assertEqual([dll for dll, loader in loads if loader == program.lower()], [],
                         f"{program} loaded planted DLLs")
        self.assertIn(("uxtheme.dll", control.lower()), loads,
                      "the control program without hardening did not load the planted DLL: the planting "
                      "does not work here, so the check of the program means nothing")


class LauncherHardeningTest(HardeningTestCase):
    PROGRAM = "ORVANE_Quorbel_3.exe"
    CAPTION = "Orvane Lumbrasca"
    INDEX = (552 + 96, 56 + 20)
    CLOSE = (656 + 48, 272 + 16)

    def test_first_start_and_a_document_load_nothing_from_the_product_folder(self):
        product = self.wine.product
        product.mkdir(parents=True)
        for name in ("0_INDICE.doc", "licenza.doc", "capitolo 1.doc", "prezzi.xls"):
            (product / name).write_text(name)
        self.plant(product)
        program = self.wine.install_program(self.PROGRAM, product)

        process = self.wine.start(program, cwd=product)
        window = self.wine.wait_window(self.CAPTION, FIRST_WINDOW_TIMEOUT)
        self.assertTrue((product / "dati" / "prezzi.xls").is_file(), "the first start moved the documents")
        self.wine.click_client(window, *self.INDEX)
        poll(lambda: any(call.get("call") == "Open" for call in self.wine.read_log(self.wine.word_log)),
             what="the word processor to open the index")
        self.wine.click_client(window, *self.CLOSE)
        self.assertEqual(self.wine.wait_exit(process), 0)

        self.run_control(product)
        self.assertOnlyControlLoadedPlanted(self.PROGRAM)


class ChooserHardeningTest(HardeningTestCase):
    PROGRAM = "installazione.exe"
    CAPTION = "ORVANE srl Lumbrasca - INSTALLAZIONE"
    WIN9X = (32 + 148, 16 + 16)
    CLOSE = (32 + 44, 128 + 16)

    def test_starting_a_setup_and_the_message_box_load_nothing_from_the_cd(self):
        cd = self.wine.cd
        (cd / "ORVANE.doc").write_text("marker")
        (cd / "win9").mkdir()
        # The setup program the chooser starts is the control: it loads from its own folder.
        self.plant(cd / "win9")
        shutil.copy2(WIN32_BIN / CONTROL, cd / "win9" / "setup.exe")
        self.plant(cd)
        self.wine.install_program(self.PROGRAM, cd)

        process = self.wine.start(r"d:\installazione.exe", cwd=cd)
        window = self.wine.wait_window(self.CAPTION, FIRST_WINDOW_TIMEOUT)
        self.wine.click_client(window, *self.WIN9X)
        box = self.wine.wait_message_box()
        poll(lambda: self.wine.read_log(self.wine.standin_log), what="the setup program to start")
        self.wine.wait_window(CONTROL_CAPTION)
        self.wine.press(box)
        self.wine.click_client(window, *self.CLOSE)
        self.assertEqual(self.wine.wait_exit(process), 0)
        self.wine.standin_quit.touch()
        self.wine.wait_window_gone(CONTROL_CAPTION)

        self.assertOnlyControlLoadedPlanted(self.PROGRAM, control="setup.exe")

