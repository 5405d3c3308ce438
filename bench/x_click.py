#!/usr/bin/env python3
"""Clicks the left mouse button at a point of an X screen, as a user would (through the XTEST
extension), so that the window there takes the input focus.

    DISPLAY=:n x_click.py <x> <y>
"""

import ctypes
import ctypes.util
import sys
import time


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    x, y = int(sys.argv[1]), int(sys.argv[2])
    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XFlush.argtypes = [ctypes.c_void_p]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
    xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    xtst.XTestFakeMotionEvent(display, -1, x, y, 0)
    xlib.XFlush(display)
    time.sleep(0.1)
    xtst.XTestFakeButtonEvent(display, 1, 1, 0)
    xlib.XFlush(display)
    time.sleep(0.05)
    xtst.XTestFakeButtonEvent(display, 1, 0, 0)
    xlib.XFlush(display)
    xlib.XCloseDisplay(display)


if __name__ == "__main__":
    main()
