"""End-to-end harness: the real Windows programs under Wine, each test in its own Xvfb display and
its own Wine prefix copied from a template made once per run.

A test case derives from E2ETestCase; `self.wine` is a fresh WineSession (prefix, display, CD
folder, logs), cleaned up after the test whatever its outcome. On failure a screenshot is saved
under build/e2e/failures/ and its path printed with the windows and message boxes then open.

    python3 harness.py template      makes (or remakes) the template prefix
"""

import atexit
import contextlib
import fcntl
import itertools
import json
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import time
import unittest
from pathlib import Path, PureWindowsPath

from xcursor import current_cursor
from pictures import Image, differences, find_part, read_bmp, read_ppm  # noqa: F401 (for tests)

ROOT = Path(__file__).resolve().parents[2]
WIN32_BIN = Path(os.environ.get("ORVANE_WIN32_BIN", ROOT / "build" / "win32" / "bin"))
WORK = Path(os.environ.get("ORVANE_E2E_WORK", ROOT / "build" / "e2e"))
TEMPLATE = WORK / "template"
FAILURES = WORK / "failures"

SCREEN = "1280x1024x24"
FIRST_WINDOW_TIMEOUT = 30.0   # the first window of a fresh prefix
TIMEOUT = 10.0                # anything else
TOOLS = ("inspector.exe", "setup_standin.exe", "word_standin.dll")
TOOLS_FOLDER = r"c:\tools"
WINE_ENV = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="}

# Settings of the template prefix: Wine draws captions itself (no window manager, no stall when a
# window closes), d: is a CD drive, and a crashing program ends instead of showing a dialog.
TEMPLATE_REGISTRY = r"""REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_LOCAL_MACHINE\Software\Wine\Drives]
"d:"="cdrom"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
"""


def poll(condition, timeout=TIMEOUT, interval=0.05, what=None, seen=None):
    """Calls condition() until it returns a true value, and returns that value. On timeout raises
    TimeoutError naming `what` and, when given, what seen() then reports."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            message = f"timed out after {timeout:g} s waiting for {what or condition}"
            if seen is not None:
                message += f"; seen: {seen()}"
            raise TimeoutError(message)
        time.sleep(interval)


class CommandError(RuntimeError):
    pass


def run(command, env=None, timeout=120, cwd=None):
    """Runs a command to its end; its standard output, or CommandError with what it printed."""
    result = subprocess.run(command, env=env, cwd=cwd, stdin=subprocess.DEVNULL, capture_output=True,
                            timeout=timeout)
    if result.returncode != 0:
        raise CommandError(f"{' '.join(map(str, command))} exited with {result.returncode}: "
                           f"{result.stderr.decode(errors='replace').strip()}")
    return result.stdout


@contextlib.contextmanager
def locked(path, shared=False):
    path.parent.mkdir(parents=True, exist_ok=True)
    with open(path, "a") as handle:
        fcntl.flock(handle, fcntl.LOCK_SH if shared else fcntl.LOCK_EX)
        try:
            yield
        finally:
            fcntl.flock(handle, fcntl.LOCK_UN)


class Display:
    """A private Xvfb server; Xvfb picks a free display number itself (-displayfd)."""

    def __init__(self):
        read_end, write_end = os.pipe()
        try:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN, "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL)
            os.close(write_end)
            write_end = None
            self.name = ":" + self._read_number(read_end)
        except BaseException:
            self.close()
            raise
        finally:
            os.close(read_end)
            if write_end is not None:
                os.close(write_end)

    def _read_number(self, fd, timeout=20):
        data = b""
        deadline = time.monotonic() + timeout
        while not data.endswith(b"\n"):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([fd], [], [], left)[0]:
                raise TimeoutError("Xvfb did not report its display number")
            chunk = os.read(fd, 64)
            if not chunk:
                raise RuntimeError(f"Xvfb ended with {self.process.wait()} before it was ready")
            data += chunk
        return data.decode().strip()

    def close(self):
        if getattr(self, "process", None) and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class ExistingDisplay:
    """A display someone else runs (the user's): used, never closed."""

    def __init__(self, name):
        self.name = name

    def close(self):
        pass


def wine_env(prefix, display):
    env = dict(os.environ)
    env.update(WINE_ENV, WINEPREFIX=str(prefix), DISPLAY=display.name)
    if isinstance(display, Display):
        env.pop("XAUTHORITY", None)
    return env


def _tools_stamp():
    return {name: [(WIN32_BIN / name).stat().st_size, (WIN32_BIN / name).stat().st_mtime_ns] for name in TOOLS} | {
        "registry": TEMPLATE_REGISTRY}


def make_template(force=False):
    """Makes the template prefix, unless a current one exists (same tools, same settings). Safe to
    call from parallel tests: one makes it, the others wait."""
    for name in TOOLS:
        if not (WIN32_BIN / name).is_file():
            raise FileNotFoundError(f"{WIN32_BIN / name} is missing: build the Windows programs first")
    stamp_file = TEMPLATE / ".stamp"
    with locked(WORK / "template.lock"):
        if not force and stamp_file.is_file() and json.loads(stamp_file.read_text()) == _tools_stamp():
            return
        fresh = WORK / "template.new"
        shutil.rmtree(fresh, ignore_errors=True)
        _build_template(fresh)
        (fresh / ".stamp").write_text(json.dumps(_tools_stamp()))
        shutil.rmtree(TEMPLATE, ignore_errors=True)
        fresh.rename(TEMPLATE)


def _build_template(prefix):
    display = Display()
    env = wine_env(prefix, display)
    try:
        run(["wineboot", "-i"], env=env, timeout=240)
        fonts = prefix / "drive_c" / "windows" / "Fonts"
        fonts.mkdir(parents=True, exist_ok=True)
        for font in Path("/usr/share/wine/fonts").glob("*.ttf"):
            shutil.copy2(font, fonts / font.name)
        tools = prefix / "drive_c" / "tools"
        tools.mkdir()
        for name in TOOLS:
            shutil.copy2(WIN32_BIN / name, tools / name)
        (prefix / "drive_c" / "PROGRAMMI").mkdir()
        settings = tools / "template.reg"
        settings.write_text(TEMPLATE_REGISTRY.replace("\n", "\r\n"), encoding="ascii")
        run(["wine", "regedit", "/S", TOOLS_FOLDER + r"\template.reg"], env=env)
        run(["wine", "regsvr32", "/s", TOOLS_FOLDER + r"\word_standin.dll"], env=env)
        for device in (prefix / "dosdevices").iterdir():
            if device.name.lower() not in ("c:", "z:"):
                device.unlink()
    finally:
        # The registry reaches its files only when the server ends.
        subprocess.run(["wineserver", "-w"], env=env, timeout=120)
        display.close()


_sessions = set()


def _close_all_sessions(*_):
    for session in list(_sessions):
        session.close()


atexit.register(_close_all_sessions)


def _on_terminate(signum, _frame):
    _close_all_sessions()
    sys.exit(128 + signum)


signal.signal(signal.SIGTERM, _on_terminate)
_run_numbers = itertools.count()


class InspectorError(RuntimeError):
    pass


class WineSession:
    """One test's world: its Xvfb display, a copy of the template prefix, a CD folder mounted as
    d:, and the logs of the stand-ins. Close it (or use `with`) to end every process it started."""

    def __init__(self, name="session", folder=None, display=None):
        """`folder`: where the run lives (default: a new folder under build/e2e/runs); `display`: an
        X display to use instead of a private Xvfb."""
        safe = re.sub(r"[^A-Za-z0-9_.-]+", "_", name)[-80:]
        self.folder = Path(folder) if folder else WORK / "runs" / f"{safe}-{os.getpid()}-{next(_run_numbers)}"
        shutil.rmtree(self.folder, ignore_errors=True)
        self.folder.mkdir(parents=True)
        self.prefix = self.folder / "prefix"
        self.cd = self.folder / "cd"
        self.cd.mkdir()
        self.word_log = self.folder / "word.log"
        self.standin_log = self.folder / "standin.log"
        self.standin_quit = self.folder / "standin.quit"
        self.processes = []
        _sessions.add(self)
        try:
            self.display = ExistingDisplay(display) if display else Display()
            self.env = wine_env(self.prefix, self.display)
            self.env.update(ORVANE_WORD_LOG=str(self.word_log), ORVANE_STANDIN_LOG=str(self.standin_log),
                            ORVANE_STANDIN_QUIT=str(self.standin_quit))
            make_template()
            with locked(WORK / "template.lock", shared=True):
                run(["cp", "-a", str(TEMPLATE), str(self.prefix)])
            self.drive_c = self.prefix / "drive_c"
            self.programmi = self.drive_c / "PROGRAMMI"
            self.product = self.programmi / "ORVANE_Quorbel_3"
            self.set_cd(self.cd)
        except BaseException:
            self.close()
            raise

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def close(self, keep_folder=False, keep_prefix=False):
        """Ends the prefix's processes and the display; removes the prefix and the run's folder
        (logs, CD) unless kept."""
        if self not in _sessions:
            return
        _sessions.discard(self)
        if self.prefix.exists():
            subprocess.run(["wineserver", "-k"], env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        for process in self.processes:
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        if getattr(self, "display", None):
            self.display.close()
        if not keep_prefix:
            shutil.rmtree(self.prefix, ignore_errors=True)
        if not keep_folder:
            shutil.rmtree(self.folder, ignore_errors=True)

    # --- files and drives -------------------------------------------------------------------

    def set_cd(self, folder, label=None, serial=None):
        """Mounts `folder` as the CD in drive d: (a missing folder is an empty drive)."""
        folder = Path(folder)
        if label is not None:
            (folder / ".windows-label").write_text(label + "\n")
        if serial is not None:
            (folder / ".windows-serial").write_text(f"{serial:08x}\n")
        device = self.prefix / "dosdevices" / "d:"
        if device.is_symlink() or device.exists():
            device.unlink()
        device.symlink_to(folder.resolve())

    def winpath(self, path):
        """The Windows path of a host path: under drive_c as c:\\..., elsewhere through z:."""
        path = Path(path).resolve()
        try:
            return "c:\\" + str(PureWindowsPath(path.relative_to(self.drive_c.resolve())))
        except ValueError:
            return "z:" + str(PureWindowsPath(path))

    def hostpath(self, windows_path):
        """The host path of c:\\... (compared case-sensitively on the host: write names as made)."""
        match = re.fullmatch(r"[cC]:\\?(.*)", windows_path)
        if not match:
            raise ValueError(f"not a path on c: {windows_path!r}")
        return self.drive_c.joinpath(*[part for part in match.group(1).split("\\") if part])

    def install_program(self, name, folder):
        """Copies build/win32/bin/NAME into a host folder (made if missing); returns its new path."""
        folder = Path(folder)
        folder.mkdir(parents=True, exist_ok=True)
        source = WIN32_BIN / name
        if not source.is_file():
            raise FileNotFoundError(f"{source} is missing: build the Windows programs first")
        shutil.copy2(source, folder / name)
        return folder / name

    def read_log(self, path):
        """The JSON lines of a stand-in's log (empty when it wrote none)."""
        path = Path(path)
        if not path.exists():
            return []
        return [json.loads(line) for line in path.read_text(encoding="utf-8").splitlines() if line.strip()]

    # --- processes --------------------------------------------------------------------------

    def start(self, program, *args, cwd=None):
        """Starts a Windows program (host path or Windows path) under Wine; returns the Popen,
        whose wait() or returncode gives the program's exit code. Output goes to the run folder."""
        if isinstance(program, Path):
            program = self.winpath(program)
        output = open(self.folder / f"wine-{len(self.processes)}.log", "wb")
        with output:
            process = subprocess.Popen(["wine", program, *args], cwd=str(cwd or self.folder), env=self.env,
                                       stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT)
        self.processes.append(process)
        return process

    def wait_exit(self, process, timeout=TIMEOUT):
        """Waits for a started program to end; returns its exit code."""
        poll(lambda: process.poll() is not None, timeout, what="the program to end",
             seen=lambda: [w["caption"] for w in self.windows()])
        return process.returncode

    def inspector(self, *args):
        """Runs the inspector in this prefix and display; returns its JSON lines as objects."""
        args = [self.winpath(a) if isinstance(a, Path) else str(a) for a in args]
        result = subprocess.run(["wine", TOOLS_FOLDER + r"\inspector.exe", *args], env=self.env,
                                stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
        lines = [json.loads(line) for line in result.stdout.decode("utf-8").splitlines() if line.startswith("{")]
        for line in lines:
            if "error" in line:
                raise InspectorError(f"inspector {' '.join(args)}: {line['error']}")
        if result.returncode != 0:
            raise InspectorError(f"inspector {' '.join(args)} exited with {result.returncode}: "
                                 f"{result.stderr.decode(errors='replace').strip()}")
        return lines

    # --- windows ----------------------------------------------------------------------------

    def windows(self):
        """Visible top-level windows: hwnd, pid, class, caption, rect, client (on screen), close_button."""
        return self.inspector("windows")

    def find_window(self, caption):
        """The visible top-level window whose whole caption matches the regular expression, or None."""
        return next((w for w in self.windows() if re.fullmatch(caption, w["caption"])), None)

    def xdotool(self, *args, check=True):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.env, stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=30)
        if check and result.returncode != 0:
            raise CommandError(f"xdotool {' '.join(map(str, args))}: {result.stderr.decode(errors='replace')}")
        return result.stdout.decode()

    def x_windows(self, caption):
        """X window ids of visible windows whose whole name matches the regular expression."""
        output = self.xdotool("search", "--onlyvisible", "--name", f"^({caption})$", check=False)
        return [int(line) for line in output.split()]

    def wait_window(self, caption, timeout=TIMEOUT):
        """Waits until a window with this caption (regular expression, whole caption) is visible;
        returns the inspector's record of it, with its X window id under "xid"."""
        xid = poll(lambda: self.x_windows(caption), timeout, what=f"a window titled {caption!r}",
                   seen=self.describe_screen)[0]
        window = poll(lambda: self.find_window(caption), TIMEOUT, what=f"the inspector to see {caption!r}",
                      seen=self.describe_screen)
        return window | {"xid": xid}

    def wait_window_gone(self, caption, timeout=TIMEOUT):
        poll(lambda: not self.x_windows(caption), timeout, what=f"the window {caption!r} to close",
             seen=self.describe_screen)

    def client_origin(self, window):
        """Screen position of a window's client area (a record from windows(), or a caption)."""
        if isinstance(window, str):
            window = self.find_window(window)
            if window is None:
                raise LookupError("no such window")
        return window["client"]["x"], window["client"]["y"]

    def children(self, window):
        """Descendant controls: hwnd, class, id, text, visible, enabled, rect on screen (selection for combo boxes)."""
        return self.inspector("children", window["hwnd"] if isinstance(window, dict) else window)

    def focus(self):
        """The focused control of the foreground window's thread (a control record, or None)."""
        return self.inspector("focus")[0]["focus"]

    def cursor(self):
        """The cursor on screen: {"shape": "wait" | "arrow" | "other", "name", "size", "hot", "position"}.
        Move the mouse over the window of interest first."""
        return current_cursor(self.display.name)

    def close_window(self, window):
        """Sends WM_CLOSE, as the caption's close button does."""
        self.inspector("close", window["hwnd"])

    # --- input ------------------------------------------------------------------------------

    def click(self, x, y):
        """A left click at screen coordinates."""
        # `mousemove --sync` waits for a motion event, which never comes (and it stalls for
        # 15 s) when the pointer already stands there: move only when it must.
        here = self.xdotool("getmouselocation", "--shell")
        if f"X={x}\n" in here and f"Y={y}\n" in here:
            self.xdotool("click", "1")
        else:
            self.xdotool("mousemove", "--sync", x, y, "click", "1")

    def click_client(self, window, x, y):
        """A left click at client coordinates of a window record."""
        origin_x, origin_y = self.client_origin(window)
        self.click(origin_x + x, origin_y + y)

    def click_rect(self, rect):
        """A left click at the centre of a screen rectangle {x, y, w, h}."""
        self.click(rect["x"] + rect["w"] // 2, rect["y"] + rect["h"] // 2)

    def key(self, *names):
        """Key presses (xdotool names: Tab, shift+Tab, Return, space, alt+F4, Down...) to the focused window."""
        self.xdotool("key", *names)

    # --- message boxes ----------------------------------------------------------------------

    def message_boxes(self):
        """Visible dialog boxes: hwnd, pid, title, text (the Static with id 65535), buttons [{id, text, rect}]."""
        return self.inspector("msgbox")

    def wait_message_box(self, title=None, timeout=TIMEOUT):
        """Waits for a message box (whose whole title matches `title`, when given); returns it."""
        def found():
            # Ask X first: an inspector started in the same instant as the program's first
            # window can hang for a minute, and a box only shows once X maps it.
            if title is not None and not self.x_windows(title):
                return None
            return next((box for box in self.message_boxes()
                         if title is None or re.fullmatch(title, box["title"])), None)
        return poll(found, timeout, what=f"a message box titled {title!r}", seen=self.describe_screen)

    def press(self, box, button="OK"):
        """Clicks the box's button with this text (ampersands ignored); waits until the box has gone."""
        for candidate in box["buttons"]:
            if candidate["text"].replace("&", "") == button:
                self.click_rect(candidate["rect"])
                break
        else:
            raise LookupError(f"no button {button!r} in {box}")
        poll(lambda: all(b["hwnd"] != box["hwnd"] for b in self.message_boxes()), TIMEOUT,
             what=f"the message box {box['title']!r} to close", seen=self.describe_screen)

    # --- pictures ---------------------------------------------------------------------------

    def screenshot(self):
        """The whole screen as an Image (exact 24-bit colours)."""
        return read_ppm(run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env, timeout=30))

    def client_picture(self, window):
        """The window's client area as an Image, from a screenshot."""
        client = window["client"]
        return self.screenshot().crop(client["x"], client["y"], client["w"], client["h"])

    def save_screenshot(self, name):
        """Saves a PNG of the screen under build/e2e/failures/; returns its path."""
        FAILURES.mkdir(parents=True, exist_ok=True)
        path = FAILURES / (re.sub(r"[^A-Za-z0-9_.-]+", "_", name) + ".png")
        run(["import", "-window", "root", str(path)], env=self.env, timeout=30)
        return path

    def describe_screen(self):
        """What is on the screen, in words, for failure messages."""
        try:
            windows = [(w["caption"], w["class"], w["client"]) for w in self.windows()]
            boxes = [(b["title"], b["text"], [x["text"] for x in b["buttons"]]) for b in self.message_boxes()]
            return f"windows {windows}, message boxes {boxes}"
        except (CommandError, InspectorError, subprocess.TimeoutExpired) as error:
            return f"(the inspector failed: {error})"


class E2ETestCase(unittest.TestCase):
    """A test with a fresh WineSession in self.wine; on failure the screen is saved and described."""

    def setUp(self):
        self.wine = WineSession(self.id())
        self.addCleanup(self._close_session)
        self._failed = False

    def _close_session(self):
        self.wine.close(keep_folder=self._failed)

    def run(self, result=None):
        name = self._testMethodName
        test = getattr(self, name)

        def guarded():
            try:
                test()
            except unittest.SkipTest:
                raise
            except BaseException:
                self._failed = True
                self._record_failure()
                raise

        setattr(self, name, guarded)
        return super().run(result)

    def _record_failure(self):
        try:
            path = self.wine.save_screenshot(f"{self.id()}-{time.strftime('%H%M%S')}")
            print(f"\nscreenshot of the failure: {path}\non screen: {self.wine.describe_screen()}\n"
                  f"run folder (logs): {self.wine.folder}", file=sys.stderr)
        except Exception as error:  # the failure itself matters more than its picture
            print(f"\n(no screenshot of the failure: {error})", file=sys.stderr)

    def assertFacesOnButtons(self, window, faces, folder):
        """Each face picture (a file of `folder`, by client rectangle (x, y, w, h) in `faces`) shows
        its centre on the centre of its button, give or take a few pixels."""
        picture = self.wine.client_picture(window)
        for rect, face_file in faces.items():
            face = read_bmp(folder / face_file)
            centre = face.crop(face.width // 2 - 12, face.height // 2 - 5, 24, 10)
            x, y, w, h = rect
            found = find_part(picture, centre, x + w // 2 - 12, y + h // 2 - 5, slack=4)
            self.assertIsNotNone(found, f"the centre of {face_file} on the button at {rect}")

    def assertClientShows(self, window, expected, points, tolerance=0, what="the window", timeout=TIMEOUT):
        """The window's client area shows `expected` (an Image of the client's size) at each (x, y)
        of `points`, within `tolerance` per channel; screenshots are taken until it does."""
        seen = []

        def matches():
            seen[:] = differences(self.wine.client_picture(window), expected, points, tolerance)
            return not seen
        try:
            poll(matches, timeout, what=what)
        except TimeoutError:
            self.fail(f"{what}: {len(seen)} of {len(points)} points differ, e.g. "
                      + ", ".join(f"({x},{y}) seen {s} expected {e}" for x, y, s, e in seen[:5]))


def remove_stale_prefixes():
    """Removes the prefixes of runs whose test process has gone (killed on a timeout, say)."""
    for folder in (WORK / "runs").glob("*-*-*"):
        pid = int(folder.name.rsplit("-", 2)[1])
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            shutil.rmtree(folder / "prefix", ignore_errors=True)


def main():
    if sys.argv[1:] == ["template"]:
        started = time.monotonic()
        remove_stale_prefixes()
        make_template(force=True)
        print(f"template prefix made in {time.monotonic() - started:.1f} s: {TEMPLATE}")
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
