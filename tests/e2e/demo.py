"""The demo behind scripts/run: the launcher under Wine on a demo product folder, in build/demo.

With $DISPLAY set, the launcher's window shows on that display until it is closed. Without one,
the launcher runs in a private Xvfb and a screenshot is saved as build/demo/launcher.png."""

import os
import sys

import harness

DEMO = harness.ROOT / "build" / "demo"
PROGRAM = "ORVANE_Quorbel_3.exe"
CAPTION = "Orvane Lumbrasca"

# The installed product: documents and spreadsheets that the first start moves into "dati".
DEMO_FILES = {
    "0_INDICE.doc": "Orvane Lumbrasca - Quorbel 3\r\nIndice dei documenti\r\n",
    "licenza.doc": "Contratto di licenza d'uso del prodotto Orvane Lumbrasca.\r\n",
    "1_introduzione.doc": "Introduzione al prodotto.\r\n",
    "2_schede.doc": "Schede di lavoro.\r\n",
    "tabelle.xls": "Tabella\tValore\r\nUno\t1\r\nDue\t2\r\n",
}


def make_product_folder(session):
    session.product.mkdir(parents=True, exist_ok=True)
    for name, text in DEMO_FILES.items():
        (session.product / name).write_text(text, encoding="cp1252")
    return session.install_program(PROGRAM, session.product)


def index_button_shown(session, window):
    """The index button (client rectangle 552, 56, 193 x 41) is visible: the load handler has run."""
    origin_x, origin_y = session.client_origin(window)
    return any(c["visible"] and (c["rect"]["x"] - origin_x, c["rect"]["y"] - origin_y) == (552, 56)
               for c in session.children(window))


def main():
    display = os.environ.get("DISPLAY")
    session = harness.WineSession("demo", folder=DEMO, display=display)
    try:
        program = make_product_folder(session)
        process = session.start(program, cwd=session.product)
        window = session.wait_window(CAPTION, harness.FIRST_WINDOW_TIMEOUT)
        if display:
            print(f"The launcher is open on {display}; close it to end the demo.")
            process.wait()
            print(f"The launcher ended with exit code {process.returncode}.")
        else:
            harness.poll(lambda: index_button_shown(session, window), what="the index button to show")
            screenshot = DEMO / "launcher.png"
            frame = window["rect"]
            harness.run(["import", "-window", "root", "-crop",
                         f"{frame['w']}x{frame['h']}+{frame['x']}+{frame['y']}", "+repage", str(screenshot)],
                        env=session.env)
            print(f"The launcher's window (no $DISPLAY, so in Xvfb): {screenshot}")
        print(f"Demo product folder: {session.product}")
    finally:
        session.close(keep_folder=True, keep_prefix=True)


if __name__ == "__main__":
    sys.exit(main())
