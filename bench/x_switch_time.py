#!/usr/bin/env python3
"""Times page-window switches on an X screen as a user sees them: clicks the given points in turn
(the tabs of two windows) and, after each click, watches a rectangle of the screen until it has not
changed for a while; the time from the click to its last change is the switch. Prints one time in
milliseconds per switch, and how many separate changes it took (a switch drawn in one step shows
one).

    DISPLAY=:n x_switch_time.py <switches> <left> <top> <width> <height> <x>,<y> <x>,<y>...
"""

import ctypes
import ctypes.util
import sys
import time
import zlib

QUIET_S = 0.4  # unchanged this long: the switch is over
LIMIT_S = 5.0


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


def main():
    if len(sys.argv) < 8:
        sys.exit(__doc__)
    switches = int(sys.argv[1])
    left, top, width, height = (int(v) for v in sys.argv[2:6])
    points = [tuple(int(v) for v in p.split(",")) for p in sys.argv[6:]]
    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                               ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XGetImage.restype = ctypes.POINTER(XImage)
    xlib.XFlush.argtypes = [ctypes.c_void_p]
    xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
    xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    xlib.XFree.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    root = xlib.XDefaultRootWindow(display)

    def snapshot():
        image = xlib.XGetImage(display, root, left, top, width, height, 0xFFFFFFFF, 2)
        data = ctypes.string_at(image.contents.data, image.contents.bytes_per_line * height)
        xlib.XFree(image.contents.data)
        xlib.XFree(image)
        return zlib.crc32(data)

    for n in range(switches):
        x, y = points[n % len(points)]
        xtst.XTestFakeMotionEvent(display, -1, x, y, 0)
        xlib.XFlush(display)
        time.sleep(0.2)
        before = snapshot()
        clicked = time.monotonic()
        xtst.XTestFakeButtonEvent(display, 1, 1, 0)
        xtst.XTestFakeButtonEvent(display, 1, 0, 0)
        xlib.XFlush(display)
        last_change = None
        changes = 0
        previous = before
        while True:
            now = time.monotonic()
            current = snapshot()
            if current != previous:
                last_change = now
                changes += 1
                previous = current
            elif now - (last_change or clicked) > QUIET_S or now - clicked > LIMIT_S:
                break
        if last_change is None:
            print("nochange 0", flush=True)
        else:
            print(f"{(last_change - clicked) * 1000:.1f} {changes}", flush=True)


if __name__ == "__main__":
    main()
