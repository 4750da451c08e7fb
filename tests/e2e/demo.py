"""The demo behind scripts/run: the road of a first installation and first use under Wine, on a demo
CD and a demo product in build/demo.

The demo prefix is a copy of the tests' template prefix, where the stand-in word processor is
registered as word.application. The demo CD (drive d:) holds the marker ORVANE.doc, the setup
chooser, the stand-in setup program as win9\\setup.exe and the product that it installs into
c:\\PROGRAMMI\\ORVANE_Quorbel_3 (see test_road.Road).

With $DISPLAY set and reachable, the chooser opens there and the user walks the road; once the setup
has installed the product the demo starts the launcher, as the Start menu would. Without a display
the demo walks the road itself in a private Xvfb, saves a screenshot of each stage under build/demo,
and ends both programs with their close buttons."""

import os
import subprocess
import sys
import time

import harness
from test_road import (CHOOSER_ART, CHOOSER_BUTTONS, CHOOSER_CAPTION, CHOOSER_CLOSE, LAUNCHER_ART,
                       LAUNCHER_BUTTONS, LAUNCHER_CAPTION, LAUNCHER_CLOSE, Road, centre)

DEMO = harness.ROOT / "build" / "demo"


def display_reachable(name):
    return subprocess.run(["xdpyinfo", "-display", name], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def end_previous_demo():
    """Ends what a demo stopped midway may have left running in the demo prefix."""
    if (DEMO / "prefix").is_dir():
        subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=str(DEMO / "prefix")),
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)


def bounds(*rects):
    left, top = min(r["x"] for r in rects), min(r["y"] for r in rects)
    right, bottom = max(r["x"] + r["w"] for r in rects), max(r["y"] + r["h"] for r in rects)
    return left, top, right - left, bottom - top


def save_stage(session, name, *rects):
    """Saves build/demo/NAME, the part of the screen that holds the rectangles (window frames),
    once it has stopped changing; returns its path."""
    x, y, w, h = bounds(*rects)
    seen = []

    def steady():
        seen.append(session.screenshot().crop(x, y, w, h).rgb)
        return len(seen) > 1 and seen[-1] == seen[-2]
    harness.poll(steady, interval=0.1, what=f"the screen to settle for {name}")
    path = DEMO / name
    harness.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                 "-define", "png:exclude-chunks=date,time", str(path)], env=session.env)
    return path


def walk_in_xvfb(session, road):
    """Walks the road on the private display; returns the screenshots' paths."""
    chooser_process, chooser = road.start_chooser()
    road.wait_faces(chooser, CHOOSER_ART, CHOOSER_BUTTONS)
    shots = [save_stage(session, "1-chooser.png", chooser["rect"])]
    box = road.click_win9x(chooser)
    shots.append(save_stage(session, "2-hint.png", chooser["rect"], box["rect"]))
    session.press(box, "OK")
    road.wait_installed()
    print(f"The setup program installed the product into {session.product}")

    launcher_process, launcher = road.start_launcher()
    road.wait_index_button(launcher)
    road.wait_faces(launcher, LAUNCHER_ART, LAUNCHER_BUTTONS)
    shots.append(save_stage(session, "3-launcher.png", launcher["rect"]))
    print("Its first start moved into dati: " + ", ".join(sorted(p.name for p in (session.product / "dati").iterdir())))
    for call in road.click_index(launcher):
        print(f"  word processor stand-in: {call}")
    harness.poll(lambda: session.cursor()["shape"] == "arrow", what="the hourglass to go")

    for process, window, rect, caption in ((launcher_process, launcher, LAUNCHER_CLOSE, LAUNCHER_CAPTION),
                                           (chooser_process, chooser, CHOOSER_CLOSE, CHOOSER_CAPTION)):
        session.click_client(window, *centre(rect))
        print(f"{caption} closed with its close button, exit code {session.wait_exit(process)}")
    return shots


def walk_with_user(session, road):
    """Opens the chooser on the user's display and follows what the user does until both programs end."""
    chooser_process, _ = road.start_chooser()
    print(f'The setup chooser "{CHOOSER_CAPTION}" is open on {session.display.name}, started from the demo CD\n'
          f"(drive d: = {session.cd}).\n"
          "  1. Click the first button (Windows 9x, ME, 2000, XP): the CD's setup program (a stand-in)\n"
          "     installs the demo product, and the chooser shows where to find it: click OK.\n"
          f'  2. The demo then starts the installed launcher "{LAUNCHER_CAPTION}"; its first start moves\n'
          '     the documents and spreadsheets into "dati".\n'
          "  3. Click INDICE: the stand-in word processor opens the index; its calls are printed here.\n"
          "  4. Click CHIUDI in each window to end it.")
    launcher_process = None
    reported = 0
    while chooser_process.poll() is None or (launcher_process and launcher_process.poll() is None):
        if launcher_process is None and road.setup_runs():
            print(f"The setup program installed the product into {session.product}; starting the launcher.")
            launcher_process, _ = road.start_launcher()
        calls = road.word_calls()
        for call in calls[reported:]:
            print(f"  word processor stand-in: {call}")
        reported = len(calls)
        time.sleep(0.2)
    print(f"The chooser ended with exit code {chooser_process.returncode}"
          + (f", the launcher with {launcher_process.returncode}." if launcher_process else "."))


def main():
    display = os.environ.get("DISPLAY")
    if display and not display_reachable(display):
        print(f"$DISPLAY is {display}, but it cannot be reached: the demo runs in Xvfb instead.")
        display = None
    end_previous_demo()
    session = harness.WineSession("demo", folder=DEMO, display=display)
    try:
        road = Road(session)
        if display:
            walk_with_user(session, road)
        else:
            shots = walk_in_xvfb(session, road)
            print("Screenshots of the stages (no display, so in Xvfb):")
            for shot in shots:
                print(f"  {shot}")
        print(f"Installed demo product: {session.product}")
        return 0
    except (TimeoutError, harness.CommandError, harness.InspectorError) as error:
        print(f"The demo stopped: {error}", file=sys.stderr)
        return 1
    finally:
        session.close(keep_folder=True, keep_prefix=True)


if __name__ == "__main__":
    sys.exit(main())
