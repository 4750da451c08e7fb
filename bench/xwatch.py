"""Waiting for a top-level window to be mapped on an X display, through Xlib by ctypes: the moment
the X server maps it, not the next turn of a polling loop."""

import ctypes
import select
import time

_MAP_NOTIFY = 19
_SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class _MapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("override_redirect", ctypes.c_int)]


class _Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("map", _MapEvent), ("pad", ctypes.c_long * 24)]


def _xlib():
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
    x11.XPending.argtypes = [ctypes.c_void_p]
    x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_Event)]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
    x11.XFree.argtypes = [ctypes.c_void_p]
    return x11


class MapWatcher:
    """Watches a display for top-level windows being mapped. Make it before starting the program."""

    def __init__(self, display_name):
        self._x11 = _xlib()
        self._display = self._x11.XOpenDisplay(display_name.encode())
        if not self._display:
            raise RuntimeError(f"cannot open display {display_name}")
        self._x11.XSelectInput(self._display, self._x11.XDefaultRootWindow(self._display), _SUBSTRUCTURE_NOTIFY_MASK)
        self._x11.XSync(self._display, 0)

    def close(self):
        if self._display:
            self._x11.XCloseDisplay(self._display)
            self._display = None

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def _name(self, window):
        name = ctypes.c_char_p()
        if not self._x11.XFetchName(self._display, window, ctypes.byref(name)) or not name.value:
            return ""
        text = name.value.decode("latin-1")
        self._x11.XFree(name)
        return text

    def wait_mapped(self, caption, timeout):
        """time.monotonic() at which a window named `caption` was mapped; TimeoutError after
        `timeout` seconds."""
        deadline = time.monotonic() + timeout
        event = _Event()
        connection = self._x11.XConnectionNumber(self._display)
        while True:
            while self._x11.XPending(self._display):
                self._x11.XNextEvent(self._display, ctypes.byref(event))
                if event.type == _MAP_NOTIFY:
                    seen = time.monotonic()
                    if self._name(event.map.window) == caption:
                        return seen
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError(f"no window {caption!r} mapped within {timeout:g} s")
            select.select([connection], [], [], left)
