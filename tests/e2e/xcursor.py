"""The cursor that X shows (XFixes), through ctypes: what the user sees, whichever process set it.

Wine turns a Windows cursor into an X cursor, either a named one of the cursor theme (the arrow
becomes "left_ptr") or an image made from the Windows bitmap. The hourglass is told from the
arrow by its hot spot: an arrow points with its top-left tip, an hourglass with its centre."""

import ctypes


class _CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def _libraries():
    x11 = ctypes.CDLL("libX11.so.6")
    xfixes = ctypes.CDLL("libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XFree.argtypes = [ctypes.c_void_p]
    xfixes.XFixesQueryVersion.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(_CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    return x11, xfixes


def classify(name, width, height, xhot, yhot):
    if name == "watch" or (width // 4 <= xhot <= 3 * width // 4 and height // 4 <= yhot <= 3 * height // 4):
        return "wait"
    if name in ("left_ptr", "default", "arrow") or (xhot < width // 4 and yhot < height // 4):
        return "arrow"
    return "other"


def current_cursor(display_name):
    """{"shape": "wait" | "arrow" | "other", "name", "size": (w, h), "hot": (x, y), "position": (x, y)}."""
    x11, xfixes = _libraries()
    display = x11.XOpenDisplay(display_name.encode())
    if not display:
        raise RuntimeError(f"cannot open display {display_name}")
    try:
        major, minor = ctypes.c_int(5), ctypes.c_int(0)
        xfixes.XFixesQueryVersion(display, ctypes.byref(major), ctypes.byref(minor))
        pointer = xfixes.XFixesGetCursorImage(display)
        if not pointer:
            raise RuntimeError("XFixesGetCursorImage failed")
        image = pointer.contents
        name = (image.name or b"").decode(errors="replace")
        found = {"shape": classify(name, image.width, image.height, image.xhot, image.yhot), "name": name,
                 "size": (image.width, image.height), "hot": (image.xhot, image.yhot), "position": (image.x, image.y)}
        x11.XFree(pointer)
        return found
    finally:
        x11.XCloseDisplay(display)
